#include <gtest/gtest.h>

#include "plot/PlotScript.h"
#include "plot/SweepAxis.h"

namespace grip::plot {
namespace {

/// A table of operating points (slip, slip angle, camber, load) laid out as
/// a range result (slip, slip angle, camber, Fx, Fy, load, Mz, with some Fy)
/// or as a measured-and-model file (the operating point, then 20 m/s).
ResultTable tableOf(const std::vector<std::array<double, 4>>& points, bool measured = true) {
  ResultTable table;
  table.columns = measured ? 11 : 7;
  for (std::size_t k = 0; k < points.size(); ++k) {
    ResultRow row;
    for (int v = 0; v < 4; ++v) row.value[v == 3 && !measured ? 5 : v] = points[k][v];
    row.value[4] = measured ? 20000.0 : 100.0 * k;
    table.rows.push_back(row);
  }
  return table;
}

/// A range result of five points from start to end, as gripsim writes it.
ResultTable range(std::array<double, 4> start, std::array<double, 4> end) {
  std::vector<std::array<double, 4>> points(5);
  for (int k = 0; k < 5; ++k) {
    for (int v = 0; v < 4; ++v) points[k][v] = start[v] + (end[v] - start[v]) * k / 4.0;
  }
  return tableOf(points, false);
}

TEST(SweepAxis, RangeIsDrawnOverTheValueThatChanges) {
  struct Case {
    std::array<double, 4> end;
    const char* axis;
  };
  const std::array<double, 4> start = {0.0, 0.0, 0.0, 4000.0};
  const Case cases[] = {
      {{0.2, 0.0, 0.0, 4000.0}, "slip [-]"},
      {{0.0, 10.0, 0.0, 4000.0}, "slip angle [deg]"},
      {{0.0, 0.0, 6.0, 4000.0}, "camber [deg]"},
      {{0.0, 0.0, 0.0, 6000.0}, "load Fz [N]"},
  };
  for (const Case& c : cases) {
    const SweepAxis axis = chooseSweepAxis(range(start, c.end));
    ASSERT_TRUE(axis.x) << c.axis;
    EXPECT_STREQ(axis.x->axisLabel, c.axis);
    EXPECT_EQ(axis.note, "");
    EXPECT_EQ(axis.context.size(), 3u);
  }
  const SweepAxis slip = chooseSweepAxis(range(start, {0.2, 0.0, 0.0, 4000.0}));
  EXPECT_EQ(slip.context, (std::vector<std::string>{"slip angle 0 deg", "camber 0 deg", "Fz 4000 N"}));
}

TEST(SweepAxis, RangeOfSeveralOrNoChangingValuesSaysWhatItChose) {
  const SweepAxis together = chooseSweepAxis(range({0.0, -1.0, 0.0, 4000.0}, {0.1, 1.0, 0.0, 4000.0}));
  ASSERT_TRUE(together.x);
  EXPECT_STREQ(together.x->name, "slip");
  EXPECT_EQ(together.note, "slip and slip angle change together; drawn over slip");
  EXPECT_EQ(together.context, (std::vector<std::string>{"slip angle from -1 to 1 deg", "camber 0 deg", "Fz 4000 N"}));

  const SweepAxis still = chooseSweepAxis(range({0.0, 2.0, 0.0, 4000.0}, {0.0, 2.0, 0.0, 4000.0}));
  EXPECT_FALSE(still.x);
  EXPECT_EQ(still.note, "no operating value changes; drawn over the point number");
}

TEST(SweepAxis, MeasuredLevelsBecomeCurvesOrThePointsGoOverTheirNumber) {
  // A slip-angle sweep at three loads that the rig holds to about 1 %.
  std::vector<std::array<double, 4>> points;
  const double loads[3][3] = {{2990, 3010, 3000}, {4020, 3980, 4000}, {5000, 5030, 4970}};
  for (int a = 0; a < 3; ++a) {
    for (int f = 0; f < 3; ++f) points.push_back({0.0, -2.0 + 2.0 * a, 0.0, loads[f][a]});
  }
  const SweepAxis axis = chooseCompareAxis(tableOf(points));
  ASSERT_TRUE(axis.x);
  EXPECT_STREQ(axis.x->name, "slip angle");
  EXPECT_EQ(axis.curveNames, (std::vector<std::string>{"Fz 3000 N", "Fz 4000 N", "Fz 5000 N"}));
  EXPECT_EQ(axis.curve, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2}));
  EXPECT_EQ(axis.note, "drawn over slip angle, one curve for each level of Fz");
  EXPECT_EQ(axis.context, (std::vector<std::string>{"slip 0", "camber 0 deg", "V 20000 mm/s"}));

  const SweepAxis scattered = chooseCompareAxis(
      tableOf({{0.01, -1.0, 2.0, 3000}, {-0.02, 3.0, -1.0, 4500}, {0.05, 0.5, 0.0, 2500}, {-0.04, -2.0, 1.0, 5200}}));
  EXPECT_FALSE(scattered.x);
  EXPECT_EQ(scattered.curveNames.size(), 1u);
  EXPECT_EQ(scattered.note, "slip, slip angle, camber and Fz change from point to point; drawn over the point number");
}

TEST(SweepAxis, ForcesDrawnAreThoseTheSweepDrivesAndAnyNotZero) {
  ResultTable slip = range({-0.2, 0.0, 0.0, 4000.0}, {0.2, 0.0, 0.0, 4000.0});
  for (ResultRow& row : slip.rows) row.value[4] = 0.0;  // no Fy at zero slip angle
  EXPECT_EQ(sweepForces(slip, chooseSweepAxis(slip)), (std::vector<int>{3}));
  slip.rows[2].value[4] = 30.0;  // an offset gives some Fy
  EXPECT_EQ(sweepForces(slip, chooseSweepAxis(slip)), (std::vector<int>{3, 4}));

  ResultTable alpha = range({0.0, -5.0, 0.0, 4000.0}, {0.0, 5.0, 0.0, 4000.0});
  EXPECT_EQ(sweepForces(alpha, chooseSweepAxis(alpha)), (std::vector<int>{4, 6}));  // Mz even when zero
}

}  // namespace
}  // namespace grip::plot
