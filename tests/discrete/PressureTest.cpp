// Contact-edge solver, analytic pressure laws and geometric pressure weight.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "DiscreteTyre.h"
#include "discrete/DiscreteModel.h"

namespace grip {
namespace {

/// An upright tyre of radius 300 pressed to the loaded radius 290, with the
/// crown contour Ry 100, ny 4; only the fields the solver reads are set.
DiscreteModel uprightCrown() {
  DiscreteModel m;
  m.cosgam = 1.0;
  m.singam = 0.0;
  m.R = 300.0;
  m.Rl = 290.0;
  m.ny = 4;
  m.Ryny = 1e8;
  return m;
}

/// Where R*sqrt(1 - (y/Ry)^4) meets the loaded radius, in closed form.
double uprightEdge() { return 100.0 * std::pow(1.0 - (290.0 / 300.0) * (290.0 / 300.0), 0.25); }

// The search ends when the Newton step falls below 0.001 mm; the iterate is
// then closer to the root than that.
constexpr double kEdgeTolerance = 1e-3;

TEST(ContactEdgeSolver, FindsBothEdgesOfAnUprightCrownFromNearAndFar) {
  const DiscreteModel m = uprightCrown();
  testing::internal::CaptureStdout();
  EXPECT_NEAR(solveContactEdge(80.0, m), uprightEdge(), kEdgeTolerance);
  EXPECT_NEAR(solveContactEdge(-80.0, m), -uprightEdge(), kEdgeTolerance);
  EXPECT_NEAR(solveContactEdge(1e4, m), uprightEdge(), kEdgeTolerance);  // pulled inside by 0.33 first
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(ContactEdgeSolver, ReturnsTheIterateWithoutItsLastSmallStep) {
  const DiscreteModel m = uprightCrown();
  const double start = uprightEdge() + 1e-4;  // the first step is about -1e-4
  EXPECT_EQ(solveContactEdge(start, m), start);
}

// With ny = 0 the radicand and D vanish on every pass: the start value only
// shrinks by 0.33 per pass, 51 times, and exactly one warning is printed.
TEST(ContactEdgeSolver, WarnsOnceAndReturnsTheLastIterateWithoutConvergence) {
  DiscreteModel m = uprightCrown();
  m.ny = 0;
  m.Ryny = 1.0;
  double expected = 50.0;
  for (int pass = 0; pass < 51; ++pass) expected = 0.33 * expected;
  testing::internal::CaptureStdout();
  const double y = solveContactEdge(50.0, m);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " Warning, no convergence in newton interation, change Ry or ny \n");
  EXPECT_EQ(y, expected);
}

/// A rectangle of half length 80 and half width 40 on 4 x 2 cells, with
/// scales that make every law 1 at the patch centre.
DiscreteModel analyticPatch(int pressure) {
  DiscreteModel m;
  m.pressure = pressure;
  m.h = 80.0;
  m.b = 40.0;
  m.ncell = 8.0;
  m.pscale1 = m.pscale2 = m.pscale3 = 8.0;
  m.pz = -1.0;  // shows whether the law wrote it
  return m;
}

TEST(AnalyticPressure, IsOneAtTheCentreAndVanishesAtTheEntryAndExitEdges) {
  for (int law : {1, 2, 3}) {
    DiscreteModel m = analyticPatch(law);
    EXPECT_EQ(analyticPressure(0.0, 0.0, m), 1.0) << "law " << law;
    EXPECT_EQ(m.pz, 1.0) << "law " << law;
    for (double y : {-40.0, -13.0, 27.0}) {
      EXPECT_EQ(analyticPressure(80.0, y, m), 0.0) << "law " << law << " y " << y;
      EXPECT_EQ(analyticPressure(-80.0, y, m), 0.0) << "law " << law << " y " << y;
    }
  }
}

TEST(AnalyticPressure, HasItsShapeAcrossTheWidth) {
  DiscreteModel uniform = analyticPatch(1);
  DiscreteModel rising = analyticPatch(2);
  DiscreteModel shoulders = analyticPatch(3);
  for (double x : {-60.0, 0.0, 20.0}) {
    EXPECT_EQ(analyticPressure(x, 40.0, uniform), analyticPressure(x, 0.0, uniform));
    EXPECT_EQ(analyticPressure(x, -40.0, rising), 2.0 * analyticPressure(x, 0.0, rising));
    EXPECT_EQ(analyticPressure(x, 40.0, shoulders), 0.0);
    EXPECT_EQ(analyticPressure(x, -40.0, shoulders), 0.0);
  }
  // Law 1 is quartic along the length: 1 - (1/2)^4 at half the half length.
  EXPECT_EQ(analyticPressure(40.0, 10.0, uniform), 1.0 - 1.0 / 16.0);
}

TEST(AnalyticPressure, OtherSelectorsGiveNothingAndLeaveTheLoad) {
  for (int selector : {0, -1, 4, 7}) {
    DiscreteModel m = analyticPatch(selector);
    EXPECT_EQ(analyticPressure(0.0, 0.0, m), 0.0);
    EXPECT_EQ(m.pz, -1.0);
  }
}

/// A 3 x 3 grid whose every row is in contact from y = -5 to +5 and every
/// column over a half length of 10, with unit weights.
DiscreteModel geometricPatch(double camberRad) {
  DiscreteModel m;
  ParameterSet p = test::discreteTyre();
  p[par::ni] = 2.0;
  p[par::nj] = 2.0;
  p[par::pressure] = 4.0;
  EXPECT_EQ(m.setUp(p), 0);
  for (int i = 0; i <= 2; ++i) {
    m.ymax[static_cast<std::size_t>(i)] = 5.0;
    m.ymin[static_cast<std::size_t>(i)] = -5.0;
    for (int j = 0; j <= 2; ++j) m.gapAt(i, j) = -1.0;
  }
  for (double& half : m.xhalf) half = 10.0;
  m.pnorm = 1.0;
  m.ncell = 1.0;
  m.camberRad = camberRad;
  return m;
}

// Without camber: 1 at the row centre, 0 at the row edges and at the
// column's half length, symmetric, and largest where eta^4 = 2/9, at
// 1 + 4 sqrt(2)/9 = 1.63.
TEST(GeometricPressure, HasItsShapeAlongAndAcrossTheRow) {
  const DiscreteModel m = geometricPatch(0.0);
  EXPECT_EQ(geometricPressure(0.0, 0.0, 1, 1, m), 1.0);
  EXPECT_EQ(geometricPressure(0.0, 5.0, 1, 1, m), 0.0);
  EXPECT_EQ(geometricPressure(0.0, -5.0, 1, 1, m), 0.0);
  EXPECT_EQ(geometricPressure(10.0, 0.0, 1, 1, m), 0.0);
  EXPECT_EQ(geometricPressure(3.0, 2.0, 0, 2, m), geometricPressure(-3.0, -2.0, 2, 0, m));
  const double eta = std::pow(2.0 / 9.0, 0.25);
  EXPECT_NEAR(geometricPressure(0.0, 5.0 * eta, 1, 1, m), 1.0 + 4.0 * std::sqrt(2.0) / 9.0,
              1e-14);  // a few roundings of values near 1
}

TEST(GeometricPressure, CamberMovesTheLoadToNegativeEta) {
  // 5 sin(camber) = 2: the bias 1 - 2 eta is 0 at eta = 0.5 and 2 at eta = -0.5.
  const DiscreteModel cambered = geometricPatch(std::asin(0.4));
  const DiscreteModel upright = geometricPatch(0.0);
  EXPECT_NEAR(geometricPressure(0.0, 2.5, 1, 1, cambered), 0.0, 1e-15);  // sin(asin(0.4)) within a rounding
  EXPECT_EQ(geometricPressure(0.0, 3.0, 1, 1, cambered), 0.0);  // cut off, not negative
  EXPECT_EQ(geometricPressure(0.0, 4.0, 1, 1, cambered), 0.0);
  EXPECT_NEAR(geometricPressure(0.0, -2.5, 1, 1, cambered), 2.0 * geometricPressure(0.0, -2.5, 1, 1, upright),
              1e-14);  // sin(asin(0.4)) is 0.4 within a rounding
}

TEST(GeometricPressure, GivesNothingOutOfContact) {
  DiscreteModel m = geometricPatch(0.0);
  m.gapAt(1, 1) = 1e-9;
  EXPECT_EQ(geometricPressure(0.0, 0.0, 1, 1, m), 0.0);
  m.gapAt(1, 1) = std::numeric_limits<double>::quiet_NaN();  // no real gap
  EXPECT_EQ(geometricPressure(0.0, 0.0, 1, 1, m), 0.0);
  m.gapAt(1, 1) = 0.0;  // touching is contact
  EXPECT_EQ(geometricPressure(0.0, 0.0, 1, 1, m), 1.0);
  m.xhalf[1] = 0.0;
  EXPECT_EQ(geometricPressure(0.0, 0.0, 1, 1, m), 0.0);
  m.xhalf[1] = 10.0;
  m.ymax[1] = m.ymin[1] = 0.0;  // a row with one point in contact has no width
  EXPECT_EQ(geometricPressure(0.0, 0.0, 1, 1, m), 0.0);
}

}  // namespace
}  // namespace grip
