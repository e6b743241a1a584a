#include <gtest/gtest.h>

#include <climits>
#include <cmath>

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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    double value = 0.0;
    EXPECT_EQ(readRealAfterEquals(c.line, value), c.outcome);
    EXPECT_EQ(value, c.value);
  }
  int count = 0;
  EXPECT_EQ(readIntAfterEquals(" points = 99999999999999999999", count), KeyedValue::ok);
  EXPECT_EQ(count, INT_MAX);
}

TEST(Numbers, PowersAndTruncationNeverOverflow) {
  EXPECT_EQ(integerPower(-3.0, 3), -27.0);
  EXPECT_EQ(integerPower(2.0, -2), 0.25);
  EXPECT_EQ(integerPower(0.0, 0), 1.0);
  EXPECT_EQ(integerPower(1.0, INT_MIN), 1.0);
  EXPECT_EQ(truncateToInt(20.9), 20);
  EXPECT_EQ(truncateToInt(-1.5), -1);
  EXPECT_EQ(truncateToInt(1e300), INT_MAX);
  EXPECT_EQ(truncateToInt(NAN), 0);
}

TEST(LineReader, SplitsLongLinesReadsWindowsLineEndsAndKeepsTheLastLine) {
  test::TempDir dir;
  dir.write("t.txt", std::string(300, 'a') + "\r\n" + std::string(254, 'b') + "\nlast\r");
  TextFile file = openForReading(dir.file("t.txt"));
  LineReader reader(file.get(), "t.txt");
  std::vector<std::string> lines;
  while (reader.next()) lines.push_back(reader.line());
  const std::vector<std::string> expected{std::string(255, 'a'), std::string(45, 'a') + "\n",
                                          std::string(254, 'b') + "\n", "last\r"};
  EXPECT_EQ(lines, expected);  // a lone carriage return is text
  EXPECT_EQ(reader.line(), "last\r");
  EXPECT_EQ(reader.lineNumber(), 4);
  EXPECT_TRUE(reader.atEnd());
}

}  // namespace
}  // namespace grip
