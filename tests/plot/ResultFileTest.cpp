// Reading result files: the numbers of every line, the kind of file, and
// the grid of a contact-patch trace.

#include <gtest/gtest.h>

#include <tuple>

#include "TempDir.h"
#include "plot/ContactPatch.h"

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
  EXPECT_EQ(checkKind(table, FileKind::sweep), "");  // split rows pass when told to draw a sweep
}

TEST(ResultTable, KindFollowsTheLayoutAndStrayEmptyLinesPass) {
  struct Case {
    const char* name;
    std::string text;
    FileKind kind;
  };
  const std::string trace = kTraceLine + kTraceLine + "\n";
  const Case cases[] = {
      {"a.dat", kFileLine + kFileLine, FileKind::compare},
      {"a.dat", kFileLine + "\n" + kFileLine + "\n", FileKind::compare},  // empty lines mean nothing here
      {"a.dat", kRangeLine + kRangeLine, FileKind::sweep},
      {"a.dat", kRangeLine + kRangeLine + "\n", FileKind::sweep},  // a stray empty line at the end
      {"a.dat", trace + trace, FileKind::patch},                   // rows split by empty lines
      {"DiscreteOutput.dat", trace, FileKind::patch},              // one row, known by its name
      {"a.dat", trace, FileKind::sweep},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ":\n" + c.text);
    dir.write(c.name, c.text);
    ResultTable table;
    ASSERT_EQ(readResultTable(dir.file(c.name), table), "");
    EXPECT_EQ(detectKind(table), c.kind);
    EXPECT_EQ(checkKind(table, c.kind), "");
  }
}

/// Reads trace text into a patch; returns the message. A trace line holds
/// x, y, ux, uy, pz, fx, fy of a grid point; empty lines end the rows.
std::string patchOf(const std::string& text, ContactPatch& patch) {
  static TempDir dir;
  dir.write("DiscreteOutput.dat", text);
  ResultTable table;
  const std::string fault = readResultTable(dir.file("DiscreteOutput.dat"), table);
  if (!fault.empty()) return fault;
  return readContactPatch(table, patch);
}

TEST(ContactPatch, GridSpacingAndTotalsOfThreeByThree) {
  // 20 mm long and 10 mm wide, swept from x = -10 to +10 as for a positive
  // speed; five points carry load, the corners none.
  const std::string trace =
      "-10 5 0 0 0 0 0\n0 5 0 0 2 0.5 0\n10 5 0 0 0 0 0\n\n"
      "-10 0 0 0 2 0 0.5\n0 0 0 0 5 1.5 2\n10 0 0 0 2 0.5 0\n\n"
      "-10 -5 0 0 0 0 0\n0 -5 0 0 2 0 -0.5\n10 -5 0 0 0 0 0\n\n";
  ContactPatch patch;
  ASSERT_EQ(patchOf(trace, patch), "");
  EXPECT_EQ(std::tie(patch.rows, patch.columns, patch.evaluations), std::make_tuple(3, 3, 1));
  // Sums of halves and whole numbers: exact, no tolerance.
  EXPECT_EQ(std::tie(patch.dx, patch.dy), std::make_tuple(10.0, 5.0));
  const PatchTotals t = totalsOf(patch);
  EXPECT_EQ(std::tie(t.Fx, t.Fy, t.Fz, t.loaded, t.area), std::make_tuple(2.5, 2.0, 13.0, 5, 5 * 10.0 * 5.0));
}

TEST(ContactPatch, TravelPointsToTheEntryEdge) {
  // The sweep starts at the entry edge: from -x for a positive speed, so the
  // tyre travels towards -x; from +x for a negative speed.
  ContactPatch patch;
  ASSERT_EQ(patchOf("-10 5 0 0 1 0 0\n10 5 0 0 1 0 0\n\n", patch), "");
  EXPECT_EQ(patch.travel, -1);
  ASSERT_EQ(patchOf("10 5 0 0 1 0 0\n-10 5 0 0 1 0 0\n\n", patch), "");
  EXPECT_EQ(patch.travel, +1);
  ASSERT_EQ(patchOf("0 5 0 0 1 0 0\n\n0 -5 0 0 1 0 0\n\n", patch), "");
  EXPECT_EQ(patch.travel, 0);
  EXPECT_EQ(patch.dx, 10.0);  // a single column borrows the spacing across
}

TEST(ContactPatch, AppendedEvaluationsKeepTheLast) {
  const std::string first = "-10 5 0 0 1 0 0\n10 5 0 0 1 0 0\n\n-10 -5 0 0 1 0 0\n10 -5 0 0 1 0 0\n\n";
  const std::string second = "-20 8 0 0 3 0 0\n20 8 0 0 3 0 0\n\n-20 -8 0 0 3 0 0\n20 -8 0 0 3 0 0\n\n";
  ContactPatch patch;
  ASSERT_EQ(patchOf(first + second, patch), "");
  EXPECT_EQ(patch.evaluations, 2);
  ASSERT_EQ(patch.points.size(), 4u);
  EXPECT_EQ(patch.dx, 40.0);
  EXPECT_EQ(totalsOf(patch).Fz, 12.0);
}

}  // namespace
}  // namespace grip::plot
