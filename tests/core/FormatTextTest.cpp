// The core's printf-to-string against the C library's own printf in the C
// locale (the test process's locale), and the readers of numbers.

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "core/FormatText.h"
#include "core/MeasurementLine.h"
#include "core/NumberText.h"

namespace grip {
namespace {

std::string printed(const char* format, double value) {
  char text[512];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Every real conversion of the stored files and messages, and the flags a
// format may carry, on rounding ties, limits and the words of non-numbers.
TEST(FormatText, RealsAreWrittenAsPrintfWritesThemInTheCLocale) {
  const char* formats[] = {"%+12.6e", "%+16.10e", "%+14.6e", "%lf",  "%f",     "%g",     "%.9g",   "%.10g",
                           "%.17g",   "%.6f",     "%.2f",    "%10.3f", "%9.1f", "%.0f",   "%.0e",   "%#.0f",
                           "%#.0e",   "%#.3g",    "%-12.3e", "%012.4f", "% e", "%E",     "%G",
                           "%+.3a",   "%a",       "%-+9.2f|", "%08.1e", "%.3g",  "%.1g",   "%e"};
  const double values[] = {0.0,     -0.0,    1.0,        -1.5,     0.1,      0.5,       2.5,      -2.5,
                           1e300,   -1e-300, 5e-324,     DBL_MAX,  DBL_MIN,  123456.789, 9.9999995, 0.00012345,
                           1e-5,    999999.5, 1234567.0, INFINITY, -INFINITY, NAN,      -NAN,     6.0e-2};
  for (const char* format : formats) {
    for (const double value : values) {
      SCOPED_TRACE(std::string(format) + " of " + printed("%.17g", value));
      EXPECT_EQ(formatted(format, value), printed(format, value));
    }
  }
  // "%#g" keeps its zeros. Where rounding reaches the next power of ten the
  // C rule gives the exponent form with all six digits; glibc writes "1.e+06".
  EXPECT_EQ(formatted("%#g", 1.0), "1.00000");
  EXPECT_EQ(formatted("%#g", 999999.5), "1.00000e+06");
}

TEST(FormatText, RandomRealsAreWrittenAsPrintfWritesThem) {
  std::mt19937_64 random(20260);
  const char* formats[] = {"%+12.6e", "%+16.10e", "%g", "%lf", "%.10g", "%10.3f"};
  for (int k = 0; k < 20000; ++k) {
    const double value = std::ldexp(std::uniform_real_distribution<double>(-1.0, 1.0)(random),
                                    std::uniform_int_distribution<int>(-80, 80)(random));
    for (const char* format : formats) ASSERT_EQ(formatted(format, value), printed(format, value)) << format;
  }
}

TEST(FormatText, OtherConversionsAreWrittenAsPrintfWritesThem) {
  char expected[256];
  std::snprintf(expected, sizeof expected, "%3d|%-5d|%zu|%lld|%ld|%-*s|%*s|%.2s|%c|%04x|%%|%s|%+d|%o|%X|%hd",
                7, -42, std::size_t{99}, -12345678901LL, 77L, 6, "ab", 4, "cd", "xyz", 'q', 255u, "text", 5, 8u,
                0xABCu, static_cast<short>(-3));
  EXPECT_EQ(formatted("%3d|%-5d|%zu|%lld|%ld|%-*s|%*s|%.2s|%c|%04x|%%|%s|%+d|%o|%X|%hd", 7, -42, std::size_t{99},
                      -12345678901LL, 77L, 6, "ab", 4, "cd", "xyz", 'q', 255u, "text", 5, 8u, 0xABCu,
                      static_cast<short>(-3)),
            expected);
  std::string text = "line: ";
  appendFormatted(text, " %s %g \n", "cx0", 0.25);
  EXPECT_EQ(text, "line:  cx0 0.25 \n");
  EXPECT_EQ(formatted("%s", std::string(5000, 'x').c_str()).size(), 5000u) << "no fixed buffer";
  EXPECT_EQ(formatted("%.400f", 1.0).size(), 402u);
}

TEST(NumberText, DecimalCommaAndWholeNumbersAreReadAsWritten) {
  struct Case {
    const char* text;
    NumberRead outcome;
    double value;
    std::size_t used;  ///< characters the reader passed
  };
  const Case cases[] = {
      {" +6,0000000000e-02", NumberRead::decimalComma, -1.0, 0},
      {"0,06 1", NumberRead::decimalComma, -1.0, 0},
      {"6, 7", NumberRead::ok, 6.0, 1},      // a comma before a blank is no decimal comma
      {"6,x", NumberRead::ok, 6.0, 1},
      {"6.5,", NumberRead::ok, 6.5, 3},
      {"1e999", NumberRead::ok, INFINITY, 5},
      {"0x1p-2", NumberRead::ok, 0.25, 6},
      {",5", NumberRead::noNumber, -1.0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string text = c.text;
    const char* at = text.c_str();
    double value = -1.0;
    EXPECT_EQ(readNumber(at, text.c_str() + text.size(), value), c.outcome);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(static_cast<std::size_t>(at - text.c_str()), c.used);
  }
  struct Whole {
    const char* word;
    bool whole;
    long long value;
  };
  const Whole words[] = {{"55", true, 55},  {"+4", true, 4},    {"-5", true, -5},  {"4x1", false, 0},
                         {"1.9", false, 0}, {"1e3", false, 0},  {"", false, 0},    {"+-1", false, 0},
                         {"- 1", false, 0}, {"99999999999999999999", false, 0}};
  for (const Whole& w : words) {
    SCOPED_TRACE(w.word);
    long long value = 0;
    EXPECT_EQ(parseWholeNumber(w.word, value), w.whole);
    EXPECT_EQ(value, w.value);
  }
}

TEST(MeasurementLine, EachLineIsAPointBlankOrOneKindOfFault) {
  using K = MeasurementLineKind;
  struct Case {
    const char* line;
    K kind;
    double load;  ///< the sixth number where seven were read
  };
  const Case cases[] = {
      {" 0.01 1 0 100 -200 4000 1500\n", K::point, 4000.0},
      {"0.01\t1 0 100 -200 4000 1500\r\n", K::point, 4000.0},
      {" \t\r\n", K::blank, 0.0},
      {"", K::blank, 0.0},
      {" 0.01 1 0 100 -200 4000\n", K::fewerNumbers, 4000.0},
      {"slip alpha camber Fx Fy Fz Mz\n", K::fewerNumbers, 0.0},
      {" 0.01 1 0 100 -200 4000 1500 7\n", K::moreNumbers, 4000.0},
      {" 0.01 1 0 100 -200 4000 1500 N\n", K::trailingText, 4000.0},
      {" 0.01 1 0 100 -200 4000 1500abc\n", K::trailingText, 4000.0},
      {" 0,01 1 0 100 -200 4000 1500\n", K::decimalComma, 0.0},
      {" 0.01 1 0 100 -200 4000 1500,5\n", K::decimalComma, 4000.0},
      {" 0.01 1 0 100 -200 4000 1500 2,5\n", K::decimalComma, 4000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::array<double, kPointNumbers> values{};
    EXPECT_EQ(readMeasurementLine(c.line, values), c.kind);
    EXPECT_EQ(values[5], c.load);
  }
}

}  // namespace
}  // namespace grip
