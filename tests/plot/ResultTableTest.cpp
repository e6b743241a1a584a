#include <gtest/gtest.h>

#include "TempDir.h"
#include "plot/ResultTable.h"

namespace grip::plot {
namespace {

using test::TempDir;

// Lines as gripsim writes them.
const std::string kRangeLine =
    " +0.000000e+00 -1.000000e+01 +0.000000e+00 +0.000000e+00 -3.804136e+03 +4.000000e+03 -0.000000e+00\n";
const std::string kFileLine =
    " +0.000000e+00 -8.000000e+00 +0.000000e+00 +2.998080e+03 +2.000000e+04 -6.029770e+01 -2.936940e+03"
    " +8.416570e+01  -4.175654e+01 -2.957961e+03 +1.782278e+02\n";
const std::string kTraceLine = " +1.0e+01 +5.0e+00 +0.0e+00 +0.0e+00 +2.0e+00 +1.0e+00 +0.0e+00 \n";

TEST(ResultTable, ReadsEveryNumberWithItsLine) {
  TempDir dir;
  dir.write("sweep.dat", kRangeLine + "\r\n" + kRangeLine);  // a Windows line end and an empty line
  ResultTable table;
  ASSERT_EQ(readResultTable(dir.file("sweep.dat"), table), "");
  EXPECT_EQ(table.columns, 7);
  ASSERT_EQ(table.rows.size(), 2u);
  EXPECT_EQ(table.rows[1].lineNumber, 3);
  EXPECT_EQ(table.rows[1].value[1], -10.0);
  EXPECT_EQ(table.rows[1].value[4], -3804.136);
  EXPECT_TRUE(table.rowsSeparated);
}

struct Fault {
  const char* name;
  std::string text;
  std::string message;  ///< with FILE standing for the file's path
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class ResultTableFault : public testing::TestWithParam<Fault> {};

TEST_P(ResultTableFault, NamesFileAndLine) {
  TempDir dir;
  const Fault& fault = GetParam();
  const std::string path = dir.file("result.dat");
  dir.write("result.dat", fault.text);
  std::string expected = fault.message;
  expected.replace(expected.find("FILE"), 4, path);
  ResultTable table;
  EXPECT_EQ(readResultTable(path, table), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ResultTableFault,
    testing::Values(
        Fault{"Empty", "", "gripplot: FILE holds no numbers to draw\n"},
        Fault{"OnlyBlankLines", "\n  \n\t\n", "gripplot: FILE holds no numbers to draw\n"},
        Fault{"SixColumns", "1 2 3 4 5 6\n",
              "gripplot: line 1 of FILE holds 6 numbers; result files hold 7 or 11 per line\n"},
        Fault{"MixedLayouts", kRangeLine + kFileLine,
              "gripplot: line 2 of FILE holds 11 numbers where line 1 holds 7\n"},
        Fault{"TextInNumberColumn", kRangeLine + "1 2 x 4 5 6 7\n",
              "gripplot: line 2 of FILE: \"x\" is not a number\n"},
        Fault{"NumberFollowedByText", "1 2 3 4 5 6 7kN\n", "gripplot: line 1 of FILE: \"7kN\" is not a number\n"},
        Fault{"NotANumber", "1 2 3 nan 5 6 7\n", "gripplot: line 1 of FILE: nan is not a finite number\n"},
        Fault{"Infinite", "1 2 3 4 5 6 -inf\n", "gripplot: line 1 of FILE: -inf is not a finite number\n"},
        Fault{"Binary", std::string("\x89PNG\r\n\x1a\n", 8), "gripplot: line 1 of FILE: \"?PNG\" is not a number\n"},
        Fault{"LongLine", std::string(300, '1') + "\n", "gripplot: line 1 of FILE is longer than 255 characters\n"}),
    [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

TEST(ResultTable, MissingFileIsNamed) {
  ResultTable table;
  EXPECT_EQ(readResultTable("/nonexistent/alpha_sweep.dat", table),
            "gripplot: cannot open /nonexistent/alpha_sweep.dat: No such file or directory\n");
  TempDir dir;
  EXPECT_EQ(readResultTable(dir.path().string(), table),
            "gripplot: cannot open " + dir.path().string() + ": Is a directory\n");
}

TEST(ResultTable, KindFollowsTheLayout) {
  struct Case {
    const char* name;
    std::string text;
    FileKind kind;
  };
  const std::string trace = kTraceLine + kTraceLine + "\n";
  const Case cases[] = {
      {"a.dat", kFileLine + kFileLine, FileKind::compare},
      {"a.dat", kRangeLine + kRangeLine, FileKind::sweep},
      {"a.dat", kRangeLine + kRangeLine + "\n", FileKind::sweep},  // a stray empty line at the end
      {"a.dat", trace + trace, FileKind::patch},                   // rows split by empty lines
      {"DiscreteOutput.dat", trace, FileKind::patch},              // one row, known by its name
      {"a.dat", trace, FileKind::sweep},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.write(c.name, c.text);
    ResultTable table;
    ASSERT_EQ(readResultTable(dir.file(c.name), table), "");
    EXPECT_EQ(detectKind(table), c.kind) << c.name << ":\n" << c.text;
  }
}

TEST(ResultTable, KindForcedOnTheWrongLayoutIsRefused) {
  TempDir dir;
  dir.write("a.dat", kRangeLine + "\n" + kRangeLine);
  ResultTable table;
  ASSERT_EQ(readResultTable(dir.file("a.dat"), table), "");
  EXPECT_EQ(checkKind(table, FileKind::patch), "");
  EXPECT_EQ(checkKind(table, FileKind::sweep), "");  // a stray empty line means nothing in a sweep
  EXPECT_EQ(checkKind(table, FileKind::compare),
            "gripplot: " + dir.file("a.dat") + " holds 7 numbers per line; a compare file holds 11\n");
}

}  // namespace
}  // namespace grip::plot
