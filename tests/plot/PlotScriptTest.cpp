// What the gnuplot scripts draw: the data each curve plots, the grouping of
// measured points into curves, the axis ranges with their margins and the
// arrow scale of the contact patch, read from the generated script.

#include <gtest/gtest.h>

#include <sstream>

#include "plot/PlotScript.h"

namespace grip::plot {
namespace {

using Rows = std::vector<std::vector<double>>;

/// The numbers of the data block `name` of a script, line by line.
Rows dataBlock(const std::string& script, const std::string& name) {
  Rows rows;
  const std::size_t start = script.find(name + " << EOD\n");
  if (start == std::string::npos) return rows;
  std::istringstream in(script.substr(script.find('\n', start) + 1));
  for (std::string line; std::getline(in, line) && line != "EOD";) {
    std::istringstream numbers(line);
    rows.emplace_back();
    for (double value; numbers >> value;) rows.back().push_back(value);
  }
  return rows;
}

bool holdsLine(const std::string& script, const std::string& line) {
  return ("\n" + script).find("\n" + line + "\n") != std::string::npos;
}

const Canvas kCanvas{PictureType::svg, 900, 600, "out.svg"};

// A slip sweep from -0.1 to 0.1 with Fx, no Fy and a little Mz at its end:
// Fx over slip on the left axis (its column 3 is field 5 of the block, behind
// the x value), Mz on the right one, Fy left out; every range spans the
// values with 6 % of their spread on either side.
TEST(SweepScript, DrawsTheDrivenForcesOverTheSweptValueWithRoomAround) {
  ResultTable table;
  table.columns = 7;
  for (int k = 0; k < 5; ++k) {
    ResultRow row;
    row.value = {-0.1 + 0.05 * k, 0.0, 0.0, -1000.0 + 500.0 * k, 0.0, 4000.0, k == 4 ? 50.0 : 0.0};
    table.rows.push_back(row);
  }
  const std::string script = sweepScript(table, chooseSweepAxis(table), kCanvas);
  const Rows data = dataBlock(script, "$sweep");
  ASSERT_EQ(data.size(), 5u);
  for (std::size_t k = 0; k < 5; ++k) {
    ASSERT_EQ(data[k].size(), 8u);
    // Printed to 9 significant digits.
    EXPECT_NEAR(data[k][0], table.rows[k].value[0], 1e-9);
    EXPECT_NEAR(data[k][4], table.rows[k].value[3], 1e-9 * 1000.0);
    EXPECT_NEAR(data[k][7], table.rows[k].value[6], 1e-9 * 50.0);
  }
  EXPECT_NE(script.find("$sweep using 1:5 with"), std::string::npos) << script;
  EXPECT_NE(script.find("$sweep using 1:8 axes x1y2 with"), std::string::npos);
  EXPECT_EQ(script.find("using 1:6"), std::string::npos) << "Fy is zero and slip does not drive it";
  EXPECT_TRUE(holdsLine(script, "set xrange [-0.112:0.112]")) << script;
  EXPECT_TRUE(holdsLine(script, "set yrange [-1120:1120]"));
  EXPECT_TRUE(holdsLine(script, "set y2range [-3:53]"));
}

// Measured points at two loads, slip angles -2, 0, 2, in mixed order: one
// curve per load, each sorted along the slip angle and holding only its
// points; measured Fy as points (field 3), modelled Fy as lines (field 6)
// and their difference as the error; Fx, zero everywhere, is left out.
TEST(CompareScript, GroupsThePointsOfALevelIntoOneSortedCurve) {
  ResultTable table;
  table.columns = 11;
  for (double Fz : {5000.0, 3000.0})
    for (double alpha : {2.0, -2.0, 0.0}) {
      ResultRow row;
      // Measured Fy names its point; the model is 10 N off, Mz 100 N*mm.
      row.value = {0.0, alpha, 0.0, Fz, 20000.0, 0.0, Fz + alpha, -alpha, 0.0, Fz + alpha + 10.0, -alpha + 100.0};
      table.rows.push_back(row);
    }
  const ComparedFile file{&table, chooseCompareAxis(table)};
  const std::string script = compareScript({file}, 1.5, kCanvas);
  for (const auto& [block, Fz] : {std::pair{"$file0curve0", 3000.0}, std::pair{"$file0curve1", 5000.0}}) {
    SCOPED_TRACE(block);
    const Rows data = dataBlock(script, block);
    ASSERT_EQ(data.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
      const double alpha = -2.0 + 2.0 * k;
      EXPECT_EQ(data[k], (std::vector<double>{alpha, 0.0, Fz + alpha, -alpha, 0.0, Fz + alpha + 10.0, 100.0 - alpha}));
    }
    EXPECT_NE(script.find(std::string(block) + " using 1:3 with points"), std::string::npos);
    EXPECT_NE(script.find(std::string(block) + " using 1:6 with lines"), std::string::npos);
    EXPECT_NE(script.find(std::string(block) + " using 1:4 with points"), std::string::npos);  // Mz
    EXPECT_NE(script.find(std::string(block) + " using ($1+"), std::string::npos);
  }
  EXPECT_EQ(dataBlock(script, "$file0curve2").size(), 0u);
  EXPECT_NE(script.find(":($6-$3) with impulses"), std::string::npos);
  EXPECT_EQ(script.find("using 1:2 "), std::string::npos) << "Fx is zero everywhere";
  EXPECT_NE(script.find("title \"Fz 3000 N\""), std::string::npos);
  EXPECT_NE(script.find("target value of the fit 1.5 %"), std::string::npos);
  EXPECT_TRUE(holdsLine(script, "set xrange [-2.24:2.24]")) << script;
  // Fy from 2998 to 5012: 6 % of the spread 2014 on either side.
  EXPECT_TRUE(holdsLine(script, "set yrange [2877.16:5132.84]"));
}

// Two rows of three points, 10 mm by 5 mm apart, travelling to +x. The
// longest point force (3, 4) spans 90 % of the smaller spacing, 4.5 mm,
// and every arrow is centred on its point; a point without load is drawn
// apart. The ranges hold the half cells and 4 % of the span, with room
// above for the travel arrow (22 %).
TEST(PatchScript, ArrowsScaleToTheSpacingAndRangesHoldThePatch) {
  ContactPatch patch;
  patch.rows = 2;
  patch.columns = 3;
  patch.dx = 10.0;
  patch.dy = 5.0;
  patch.travel = 1;
  patch.evaluations = 1;
  for (double y : {2.5, -2.5})
    for (double x : {10.0, 0.0, -10.0}) patch.points.push_back({x, y, 0.0, 0.0, 10.0, 0.0, 0.0});
  patch.points[1].fx = 3.0;
  patch.points[1].fy = 4.0;
  patch.points[3].fx = -1.0;
  patch.points[5].pz = 0.0;
  const std::string script = patchScript(patch, "trace.dat", kCanvas);
  const Rows arrows = dataBlock(script, "$arrows");
  ASSERT_EQ(arrows.size(), 2u) << script;
  const std::vector<std::vector<double>> expected = {{0.0 - 1.35, 2.5 - 1.8, 2.7, 3.6}, {10.0 + 0.45, -2.5, -0.9, 0.0}};
  for (std::size_t k = 0; k < 2; ++k)
    for (std::size_t v = 0; v < 4; ++v) EXPECT_NEAR(arrows[k][v], expected[k][v], 1e-9);  // printed to 9 digits
  EXPECT_EQ(dataBlock(script, "$loaded").size(), 5u);
  EXPECT_EQ(dataBlock(script, "$unloaded"), (Rows{{-10.0, -2.5}}));
  EXPECT_TRUE(holdsLine(script, "set xrange [-16.2:16.2]")) << script;
  EXPECT_TRUE(holdsLine(script, "set yrange [-5.4:7.2]"));
  EXPECT_TRUE(holdsLine(script, "set cbrange [0:10]"));
}

}  // namespace
}  // namespace grip::plot
