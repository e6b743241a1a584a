#include <gtest/gtest.h>

#include "PatchTrace.h"
#include "TempDir.h"
#include "plot/ContactPatch.h"

namespace grip::plot {
namespace {

using test::TempDir;
using test::traceLine;

/// Reads trace text into a patch; returns the message.
std::string patchOf(const std::string& text, ContactPatch& patch, std::string* path = nullptr) {
  static TempDir dir;
  dir.write("DiscreteOutput.dat", text);
  if (path) *path = dir.file("DiscreteOutput.dat");
  ResultTable table;
  const std::string fault = readResultTable(dir.file("DiscreteOutput.dat"), table);
  if (!fault.empty()) return fault;
  return readContactPatch(table, patch);
}

TEST(ContactPatch, GridSpacingAndTotalsOfThreeByThree) {
  ContactPatch patch;
  ASSERT_EQ(patchOf(test::threeByThreeTrace(), patch), "");
  EXPECT_EQ(patch.rows, 3);
  EXPECT_EQ(patch.columns, 3);
  EXPECT_EQ(patch.evaluations, 1);
  EXPECT_DOUBLE_EQ(patch.dx, 10.0);
  EXPECT_DOUBLE_EQ(patch.dy, 5.0);
  const PatchTotals totals = totalsOf(patch);
  EXPECT_DOUBLE_EQ(totals.Fx, 2.5);
  EXPECT_DOUBLE_EQ(totals.Fy, 2.0);
  EXPECT_DOUBLE_EQ(totals.Fz, 13.0);
  EXPECT_EQ(totals.loaded, 5);
  EXPECT_DOUBLE_EQ(totals.area, 5 * 10.0 * 5.0);
}

TEST(ContactPatch, TravelPointsToTheEntryEdge) {
  // The sweep starts at the entry edge: from -x for a positive speed, so the
  // tyre travels towards -x; from +x for a negative speed.
  ContactPatch patch;
  ASSERT_EQ(patchOf(traceLine(-10, 5, 1, 0, 0) + traceLine(10, 5, 1, 0, 0) + "\n", patch), "");
  EXPECT_EQ(patch.travel, -1);
  ASSERT_EQ(patchOf(traceLine(10, 5, 1, 0, 0) + traceLine(-10, 5, 1, 0, 0) + "\n", patch), "");
  EXPECT_EQ(patch.travel, +1);
  ASSERT_EQ(patchOf(traceLine(0, 5, 1, 0, 0) + "\n" + traceLine(0, -5, 1, 0, 0) + "\n", patch), "");
  EXPECT_EQ(patch.travel, 0);
  EXPECT_DOUBLE_EQ(patch.dx, 10.0);  // a single column borrows the spacing across
}

TEST(ContactPatch, AppendedEvaluationsKeepTheLast) {
  const std::string first = traceLine(-10, 5, 1, 0, 0) + traceLine(10, 5, 1, 0, 0) + "\n" +
                            traceLine(-10, -5, 1, 0, 0) + traceLine(10, -5, 1, 0, 0) + "\n";
  const std::string second = traceLine(-20, 8, 3, 0, 0) + traceLine(20, 8, 3, 0, 0) + "\n" +
                             traceLine(-20, -8, 3, 0, 0) + traceLine(20, -8, 3, 0, 0) + "\n";
  ContactPatch patch;
  ASSERT_EQ(patchOf(first + second, patch), "");
  EXPECT_EQ(patch.evaluations, 2);
  ASSERT_EQ(patch.points.size(), 4u);
  EXPECT_DOUBLE_EQ(patch.dx, 40.0);
  EXPECT_DOUBLE_EQ(totalsOf(patch).Fz, 12.0);
}

TEST(ContactPatch, BrokenGridsAreRefusedAtTheirLine) {
  struct Case {
    std::string text;
    std::string message;  ///< after "gripplot: ", with FILE for the path
  };
  const Case cases[] = {
      {traceLine(-10, 5, 1, 0, 0) + traceLine(10, 5, 1, 0, 0) + "\n" + traceLine(-10, -5, 1, 0, 0) + "\n",
       "row 2 of the contact patch in FILE (from line 4) holds 1 points where row 1 holds 2\n"},
      {traceLine(-10, 5, 1, 0, 0) + traceLine(10, 4, 1, 0, 0) + "\n",
       "line 2 of FILE has y = 4 where its row of the contact patch has y = 5\n"},
      {traceLine(-10, 5, 1, 0, 0) + traceLine(10, 5, 1, 0, 0) + "\n" + traceLine(-10, -5, 1, 0, 0) +
           traceLine(12, -5, 1, 0, 0) + "\n",
       "line 5 of FILE has x = 12 where the rows before have x = 10 at that place\n"},
  };
  for (const Case& c : cases) {
    ContactPatch patch;
    std::string path;
    const std::string message = patchOf(c.text, patch, &path);
    std::string expected = "gripplot: " + c.message;
    expected.replace(expected.find("FILE"), 4, path);
    EXPECT_EQ(message, expected);
  }
}

TEST(ContactPatch, UtilisedFrictionOnlyWhereThereIsLoad) {
  EXPECT_FALSE(utilisedFriction(PatchPoint{0, 0, 0, 0, 0.0, 1.0, 1.0}));
  EXPECT_FALSE(utilisedFriction(PatchPoint{0, 0, 0, 0, -1.0, 1.0, 1.0}));
  EXPECT_DOUBLE_EQ(utilisedFriction(PatchPoint{0, 0, 0, 0, 10.0, 3.0, -4.0}).value(), 0.5);
  EXPECT_DOUBLE_EQ(utilisedFriction(PatchPoint{0, 0, 0, 0, 10.0, 0.0, 0.0}).value(), 0.0);
}

}  // namespace
}  // namespace grip::plot
