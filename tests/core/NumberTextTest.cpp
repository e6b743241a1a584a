// The number text of result and measurement files: the fast writer and
// reader against the C library they stand in for, text for text.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/NumberText.h"

namespace grip {
namespace {

std::string printed(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%+12.6e", value);
  return text;
}

std::string written(double value) {
  std::string text;
  appendScientific(text, value);
  return text;
}

/// Bits of a double, for values named by their representation.
double fromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(NumberText, WritesAsPrintfOnRoundingEdgesAndLimits) {
  std::vector<double> values = {
      0.0, -0.0, 1.0, -1.0, 1.0000005, 1.0000015, 9.9999995e5, 9.9999995, 9.99999949999e-3, 0.5, 2.5e-7,
      1.2345675, 1.2345665, 999999.5, 9999995.0, 1.5e-323,
      DBL_MIN, -DBL_MIN, DBL_TRUE_MIN, -DBL_TRUE_MIN, DBL_MAX, -DBL_MAX, DBL_EPSILON, 1.0 - DBL_EPSILON / 4,
      std::nextafter(DBL_MIN, 0.0), std::nextafter(1.0000005, 0.0), std::nextafter(1.0000005, 2.0),
      std::nextafter(9.9999995e5, 0.0), std::nextafter(9.9999995e5, 1e6),
      INFINITY, -INFINITY, NAN, -NAN, fromBits(0x7ff0000000000001), fromBits(0xfff8000000000001),
      // Exact ties at the seventh digit, which go to the even neighbour.
      1234567.5, 1234568.5, 12345675.0, 12345685.0, 9999999.5, 99999995.0, 0.12345675, 1.5e-7, 2.5e-7,
      // Around the ends of the integer path, about 1e-21 and 1e33.
      1e-21, 9.99999949e-22, 1e-22, 1e33, 9.9999995e33, 1e34, 1.2345675e-20, 5.5e32};
  // Every decade of the range, and a number just below each one, which
  // rounds up to the next exponent.
  for (int exponent = -320; exponent <= 308; ++exponent) {
    const double decade = std::strtod(("1e" + std::to_string(exponent)).c_str(), nullptr);
    values.push_back(decade);
    values.push_back(-std::nextafter(decade, 0.0));
    values.push_back(decade * 9.9999996);
  }
  for (double value : values) {
    SCOPED_TRACE(printed(value));
    EXPECT_EQ(written(value), printed(value));
  }
  // The sign of NaN is written as glibc writes it.
  EXPECT_EQ(written(NAN), "        +nan");
  EXPECT_EQ(written(-NAN), "        -nan");
  EXPECT_EQ(written(-INFINITY), "        -inf");
  EXPECT_EQ(written(-DBL_MAX).size(), kScientificMaxLength);
}

TEST(NumberText, WritesAsPrintfForTwoMillionRandomNumbers) {
  std::mt19937_64 random(20240611);
  std::uniform_int_distribution<int> digits(0, 9999999);
  std::uniform_int_distribution<int> decade(-12, 12);
  std::uniform_int_distribution<int> exponent(-25, 36);
  int mismatches = 0;
  for (int k = 0; k < 2'000'000 && mismatches < 10; ++k) {
    double value;
    if (k % 3 == 0) {
      value = fromBits(random());  // any bit pattern: denormals, NaN payloads, infinities
    } else if (k % 3 == 1) {
      // Any mantissa at magnitudes from 1e-25 to 1e36, and eight-digit
      // whole numbers ending in 5, ties at the seventh digit.
      value = k % 9 == 1 ? 10.0 * (digits(random) % 9'000'000) + 10'000'005.0
                         : fromBits(random() >> 12 | 0x3ff0000000000000) * std::pow(10.0, exponent(random));
    } else {
      // "Nice" numbers as measured data holds them, seven or eight digits
      // long, many of them exactly half way at the seventh digit.
      value = (digits(random) + (k % 4 == 1 ? 0.5 : 0.0)) * std::pow(10.0, decade(random));
    }
    if (k % 5 == 0) value = -value;
    if (written(value) != printed(value)) {
      ADD_FAILURE() << printed(value) << " written as " << written(value);
      ++mismatches;
    }
  }
}

TEST(NumberText, LinesFollowTheirLayout) {
  const double values[] = {1.0, -2.5e-7, NAN, 3.0};
  const NumberLine line("x %+12.6e %+12.6e  %+12.6e|\n");
  EXPECT_EQ(line.count(), 3u);
  std::string text = "<";
  EXPECT_TRUE(line.append(text, values));
  EXPECT_TRUE(line.append(text, std::span(values).subspan(1)));
  char expected[128];
  std::snprintf(expected, sizeof expected, "<x %+12.6e %+12.6e  %+12.6e|\nx %+12.6e %+12.6e  %+12.6e|\n",
                values[0], values[1], values[2], values[1], values[2], values[3]);
  EXPECT_EQ(text, expected);
  // A layout the writer does not know, or too few numbers: nothing appended.
  text.clear();
  EXPECT_FALSE(line.append(text, std::span(values).subspan(2)));
  for (const char* layout : {" %+12.6e %lf\n", " %+12.6e%", " %12.6e\n", "%%"}) {
    SCOPED_TRACE(layout);
    const NumberLine bad(layout);
    EXPECT_FALSE(bad.valid());
    EXPECT_FALSE(bad.append(text, values));
  }
  EXPECT_EQ(text, "");
  const NumberLine plain("no numbers\n");
  EXPECT_TRUE(plain.append(text, {}));
  EXPECT_EQ(text, "no numbers\n");
}

/// What strtod makes of text: the value and the characters it takes.
struct Reading {
  bool ok = false;
  double value = 0.0;
  std::size_t used = 0;
};

Reading byStrtod(const std::string& text) {
  char* end = nullptr;
  Reading r;
  r.value = std::strtod(text.c_str(), &end);
  r.used = static_cast<std::size_t>(end - text.c_str());
  r.ok = r.used != 0;
  if (!r.ok) r.value = 0.0;
  return r;
}

Reading byParseReal(const std::string& text) {
  const char* at = text.c_str();
  Reading r;
  r.ok = parseReal(at, text.c_str() + text.size(), r.value);
  r.used = static_cast<std::size_t>(at - text.c_str());
  return r;
}

/// Same value bit for bit; NaNs agree in their sign (their payload is never written).
bool sameReading(const Reading& a, const Reading& b) {
  if (a.ok != b.ok || a.used != b.used) return false;
  if (std::isnan(a.value) || std::isnan(b.value))
    return std::isnan(a.value) && std::isnan(b.value) && std::signbit(a.value) == std::signbit(b.value);
  return std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
}

TEST(NumberText, ReadsWhatStrtodReads) {
  const char* texts[] = {
      "1", " \t\v\f\r\n-2.5e3x", "+7", "+-7", "-+7", "++7", "- 7", "+ 7", ".5", "5.", ".", "-.", ".e1", "1e", "1e+",
      "1e+x", "1E-2", "1e400", "-1e400", "1e-400", "4e-320", "2.4703282292062328e-324", "2.4703282292062327e-324",
      "1.7976931348623158e308", "1.7976931348623159e308", "0x1p3", "-0x1.8p-2", "0X1P3", "+0x10", "0x", "0xg",
      "0x.p1", "-0x", "inf", "-INF", "+Infinity", "infinit", "infx", "in", "nan", "-nan", "+NaN(123)", "nan(",
      "nan(1 2)", "na", "", "   ", "e5", "0.1000000000000000055511151231257827", "9007199254740993",
      "1.00000000000000011102230246251565404236316680908203125", "00012", "1,5", "1_000"};
  for (const char* text : texts) {
    SCOPED_TRACE(std::string("\"") + text + "\"");
    const Reading want = byStrtod(text), got = byParseReal(text);
    EXPECT_TRUE(sameReading(got, want)) << got.ok << " " << got.value << " " << got.used << " against " << want.ok
                                        << " " << want.value << " " << want.used;
  }
}

TEST(NumberText, ReadsWhatStrtodReadsForRandomTexts) {
  // Short texts over the characters a number can be made of, so that most of
  // them are near misses: signs in odd places, lone exponents, hex prefixes.
  const std::string alphabet = "0123456789.eE+-xXpPinfatyINFATY() \t";
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 12);
  int mismatches = 0;
  for (int k = 0; k < 200'000 && mismatches < 10; ++k) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
    if (!sameReading(byParseReal(text), byStrtod(text))) {
      ADD_FAILURE() << "\"" << text << "\"";
      ++mismatches;
    }
  }
}

TEST(NumberText, ReadingStopsAtTheEndGiven) {
  const std::string text = "12345";
  const char* at = text.c_str();
  double value = 0.0;
  ASSERT_TRUE(parseReal(at, text.c_str() + 3, value));
  EXPECT_EQ(value, 123.0);
  EXPECT_EQ(at, text.c_str() + 3);
  // So does the strtod path of hexadecimal numbers.
  const std::string hex = "0x10";
  at = hex.c_str();
  ASSERT_TRUE(parseReal(at, hex.c_str() + 3, value));
  EXPECT_EQ(value, 1.0);
}

}  // namespace
}  // namespace grip
