#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>

#include "TempDir.h"
#include "core/KeyedLine.h"
#include "core/LineReader.h"
#include "core/Numbers.h"
#include "core/TextFile.h"

namespace grip {
namespace {

TEST(KeyedLine, ValueIsTheNumberAfterTheFirstEqualsSign) {
  struct Case {
    const char* line;
    KeyedValue outcome;
    double value;
  };
  const Case cases[] = {
      {" cx0      = +5.0e-02 [N/mm^3]\n", KeyedValue::ok, 0.05},
      {"12 = 3 = 4\n", KeyedValue::ok, 3.0},
      {"x=\t-2.5e3abc", KeyedValue::ok, -2500.0},
      {" Fz = 1e400\n", KeyedValue::ok, INFINITY},
      {" no equals sign 5\n", KeyedValue::noEqualsSign, 0.0},
      {" v = [N]\n", KeyedValue::noNumber, 0.0},
      {" v =\n", KeyedValue::noNumber, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    double value = 0.0;
    EXPECT_EQ(readRealAfterEquals(c.line, value), c.outcome);
    EXPECT_EQ(value, c.value);
  }
  double value = 0.0;
  EXPECT_EQ(readRealAfterEquals(" v = nan\n", value), KeyedValue::ok);
  EXPECT_TRUE(std::isnan(value));
}

TEST(KeyedLine, WholeNumbersStopAtThePointAndClamp) {
  int value = 0;
  EXPECT_EQ(readIntAfterEquals("[TWGpar1] number = 4, object = stiffness", value), KeyedValue::ok);
  EXPECT_EQ(value, 4);
  EXPECT_EQ(readIntAfterEquals(" points = 20.9", value), KeyedValue::ok);
  EXPECT_EQ(value, 20);
  EXPECT_EQ(readIntAfterEquals(" points = 99999999999999999999", value), KeyedValue::ok);
  EXPECT_EQ(value, INT_MAX);
  EXPECT_EQ(readIntAfterEquals(" points = many", value), KeyedValue::noNumber);
}

TEST(KeyedLine, FirstWordAfterEqualsSign) {
  EXPECT_EQ(firstWordAfterEquals(" file     = range_slip.dat\n"), "range_slip.dat");
  EXPECT_EQ(firstWordAfterEquals(" file = meas1.dat speed = 10\n"), "meas1.dat");
  EXPECT_EQ(firstWordAfterEquals(" file =   \n"), "");
  EXPECT_EQ(firstWordAfterEquals(" file\n"), "");
}

TEST(Numbers, IntegerPowerBySquaring) {
  EXPECT_EQ(integerPower(2.0, 10), 1024.0);
  EXPECT_EQ(integerPower(-3.0, 3), -27.0);
  EXPECT_EQ(integerPower(2.0, -2), 0.25);
  EXPECT_EQ(integerPower(0.0, 0), 1.0);
  EXPECT_EQ(integerPower(7.5, 1), 7.5);
  EXPECT_EQ(integerPower(1.0, INT_MIN), 1.0);
  EXPECT_EQ(integerPower(0.0, -2), INFINITY);
}

TEST(Numbers, TruncationTowardZeroNeverOverflows) {
  EXPECT_EQ(truncateToInt(20.9), 20);
  EXPECT_EQ(truncateToInt(-0.7), 0);
  EXPECT_EQ(truncateToInt(-1.5), -1);
  EXPECT_EQ(truncateToInt(1e300), INT_MAX);
  EXPECT_EQ(truncateToInt(-INFINITY), INT_MIN);
  EXPECT_EQ(truncateToInt(NAN), 0);
}

/// All lines of a text as the reader delivers them.
std::vector<std::string> linesOf(const std::string& text) {
  test::TempDir dir;
  dir.write("t.txt", text);
  TextFile file = openForReading(dir.file("t.txt"));
  LineReader reader(file.get(), "t.txt");
  std::vector<std::string> lines;
  while (reader.next()) lines.push_back(reader.line());
  return lines;
}

TEST(LineReader, LongLinesAreSplitAfter255Characters) {
  const std::string longLine(300, 'a');
  auto lines = linesOf(longLine + "\nb\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(255, 'a'));
  EXPECT_EQ(lines[1], std::string(45, 'a') + "\n");
  EXPECT_EQ(lines[2], "b\n");
  // 254 characters and the line end still make one line.
  EXPECT_EQ(linesOf(std::string(254, 'c') + "\n").size(), 1u);
}

TEST(LineReader, WindowsLineEndsReadAsNewlines) {
  auto lines = linesOf("a = 1\r\nname.dat\r\nlast\r");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "a = 1\n");
  EXPECT_EQ(lines[1], "name.dat\n");
  EXPECT_EQ(lines[2], "last\r");  // a lone carriage return is text
}

TEST(LineReader, EndOfFileKeepsTheLastLine) {
  test::TempDir dir;
  dir.write("t.txt", "first\nlast");
  TextFile file = openForReading(dir.file("t.txt"));
  LineReader reader(file.get(), "t.txt");
  EXPECT_TRUE(reader.next());
  EXPECT_TRUE(reader.next());
  EXPECT_FALSE(reader.next());
  EXPECT_EQ(reader.line(), "last");
  EXPECT_EQ(reader.lineNumber(), 2);
  EXPECT_TRUE(reader.atEnd());
}

}  // namespace
}  // namespace grip
