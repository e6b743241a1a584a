// The grid sweep of the discrete model: patch, forces, moment and area.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "DiscreteTyre.h"
#include "discrete/DiscreteModel.h"

namespace grip {
namespace {

using test::discreteTyre;
using test::evaluate;

DiscreteModel modelWith(int sliding, int pressure) {
  ParameterSet p = discreteTyre();
  p[par::sliding] = sliding;
  p[par::pressure] = pressure;
  DiscreteModel m;
  EXPECT_EQ(m.setUp(p), 0);
  return m;
}

class TooSmallLoad : public ::testing::TestWithParam<double> {};

TEST_P(TooSmallLoad, GivesZeroForcesAndLeavesThePatch) {
  DiscreteModel m = modelWith(1, 1);
  m.setTrace(1, nullptr);
  evaluate(m, {0.05, 3.0, 1.0, 4000.0, 20000.0});
  const double h = m.h;
  const double b = m.b;
  const double area = m.Area;
  ASSERT_GT(area, 0.0);
  const TyreForces f = evaluate(m, {0.05, 3.0, 1.0, GetParam(), 20000.0});
  EXPECT_EQ(f.Fx, 0.0);
  EXPECT_EQ(f.Fy, 0.0);
  EXPECT_EQ(f.Mz, 0.0);
  EXPECT_EQ(m.h, h);
  EXPECT_EQ(m.b, b);
  EXPECT_EQ(m.Area, area);
  // The record holds the raw input of the evaluation that stopped.
  EXPECT_EQ(m.Fz, GetParam());
  EXPECT_EQ(m.tanAlpha, 3.0);
  EXPECT_EQ(m.camberCurv, 1.0);
}

INSTANTIATE_TEST_SUITE_P(DiscreteModel, TooSmallLoad, ::testing::Values(0.0, -100.0, 5e-11, -0.0));

TEST(DiscreteModelEvaluation, LoadOfExactly1eMinus10IsEvaluated) {
  DiscreteModel m = modelWith(1, 1);
  evaluate(m, {0.05, 3.0, 1.0, 4000.0, 20000.0});
  const double h = m.h;
  evaluate(m, {0.05, 3.0, 1.0, 1e-10, 20000.0});
  EXPECT_LT(m.h, 1e-3 * h);
}

// R 325, cR 300 and Fz 3000: deflection 10, h = sqrt(325^2 - 315^2) = 80;
// pin 0.25: b = 3000/(4 * 0.25 * 80) = 37.5, and 4 h b = Fz/pin.
TEST(DiscreteModelEvaluation, RectangularPatchCarriesTheLoadAtTheMeanPressure) {
  DiscreteModel m;
  ASSERT_EQ(m.setUp(test::exactPatchTyre()), 0);
  evaluate(m, {0.0, 0.0, 0.0, 3000.0, 20000.0});
  EXPECT_EQ(m.h, 80.0);
  EXPECT_EQ(m.b, 37.5);
  EXPECT_EQ(m.dx, 8.0);
  EXPECT_EQ(m.dy, 3.75);
  EXPECT_EQ(m.ncell, 400.0);
}

TEST(DiscreteModelEvaluation, NoSlipGivesNoForces) {
  for (int pressure : {1, 2, 3, 4})
    for (int sliding : {1, 2, 3, 4}) {
      DiscreteModel m = modelWith(sliding, pressure);
      const TyreForces f = evaluate(m, {0.0, 0.0, 0.0, 4000.0, 20000.0});
      EXPECT_EQ(f.Fx, 0.0) << "sliding " << sliding << " pressure " << pressure;
      EXPECT_EQ(f.Fy, 0.0) << "sliding " << sliding << " pressure " << pressure;
      EXPECT_EQ(f.Mz, 0.0) << "sliding " << sliding << " pressure " << pressure;
      EXPECT_GT(m.h, 0.0);
      EXPECT_GT(m.b, 0.0);
    }
}

// Law 1 over the 21 x 21 points of a 20 x 20 grid, scaled for 400 cells:
// 21 columns of sum(1 - t^4) over t = -1 ... 1 in steps of 0.1, which is
// 21 - 2 * 25333/10^4, times 1.5/400: 1.25475525 times the load. The
// analytic laws are meant to add up to more than the load.
TEST(DiscreteModelEvaluation, AnalyticLoadsAddUpToMoreThanTheLoad) {
  DiscreteModel m = modelWith(1, 1);
  evaluate(m, {0.05, 3.0, 0.0, 4000.0, 20000.0});
  double sum = 0.0;
  for (int j = 0; j <= 20; ++j)
    for (int i = 0; i <= 20; ++i) sum += analyticPressure(m.h - i * m.dx, m.b - j * m.dy, m);
  EXPECT_NEAR(sum / 4000.0, 21.0 * (21.0 - 2.0 * 25333e-4) * 1.5 / 400.0, 1e-12);  // 441 roundings of 1e-16
}

struct SweepCase {
  double speed;
  double slipAngle;
  bool positiveScale;  ///< MzScaleP applies
};

class SweepDirection : public ::testing::TestWithParam<SweepCase> {};

TEST_P(SweepDirection, StartsAtTheEntryEdgeAndScalesTheMomentByTheLastPoint) {
  const SweepCase c = GetParam();
  DiscreteModel m = modelWith(1, 1);
  const OperatingPoint point{0.02, c.slipAngle, 0.0, 4000.0, c.speed};
  const TyreForces unscaled = evaluate(m, point);
  const std::string trace = test::traceOf(m, point);

  // The first point of the trace is on the entry edge: x = +h for a negative
  // speed, -h otherwise; it carries no deflection.
  double x = 0.0, y = 0.0, ux = 1.0, uy = 1.0;
  ASSERT_EQ(std::sscanf(trace.c_str(), "%lf %lf %lf %lf", &x, &y, &ux, &uy), 4);
  EXPECT_NEAR(x, c.speed < 0.0 ? m.h : -m.h, 1e-6 * m.h);  // printed to 7 digits
  EXPECT_NEAR(ux, 0.0, 1e-12);  // -h is h - ni dx, within roundings
  EXPECT_NEAR(uy, 0.0, 1e-12);
  // The last point is on the exit edge, 2h from the entry.
  EXPECT_NEAR(m.uy, 2.0 * m.h * std::tan(c.slipAngle * m.pi / 180.0), 1e-12 * m.h);  // a few roundings

  m.MzScaleP = 2.0;
  m.MzScaleN = 3.0;
  const TyreForces scaled = evaluate(m, point);
  EXPECT_EQ(scaled.Mz, unscaled.Mz * (c.positiveScale ? 2.0 : 3.0));
  EXPECT_EQ(scaled.Fx, unscaled.Fx);
}

INSTANTIATE_TEST_SUITE_P(DiscreteModel, SweepDirection,
                         ::testing::Values(SweepCase{-20000.0, 3.0, true}, SweepCase{0.0, 3.0, false},
                                           SweepCase{20000.0, 3.0, true}, SweepCase{20000.0, -3.0, false},
                                           SweepCase{-20000.0, -3.0, false}));

// The sweep direction mirrors the deflection along the length: reversing the
// speed without slip mirrors the lateral force distribution and the moment.
TEST(DiscreteModelEvaluation, ReversedSpeedReversesTheMoment) {
  DiscreteModel m = modelWith(1, 1);
  const TyreForces forward = evaluate(m, {0.0, 3.0, 0.0, 4000.0, 20000.0});
  const TyreForces backward = evaluate(m, {0.0, 3.0, 0.0, 4000.0, -20000.0});
  EXPECT_NEAR(backward.Fy, forward.Fy, 1e-9 * std::fabs(forward.Fy));  // the same points in another order
  EXPECT_NEAR(backward.Mz, -forward.Mz, 1e-9 * std::fabs(forward.Mz));
  EXPECT_GT(forward.Mz, 0.0);  // not negated: positive with a positive slip angle
}

struct TracePoint {
  double x, y, ux, uy, pz, fx, fy;
};

std::vector<TracePoint> tracePoints(const std::string& trace) {
  std::vector<TracePoint> points;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    TracePoint p{};
    if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf %lf", &p.x, &p.y, &p.ux, &p.uy, &p.pz, &p.fx, &p.fy) == 7)
      points.push_back(p);
  }
  return points;
}

TEST(DiscreteModelEvaluation, ForcesAndMomentAreTheSumsOfThePointForces) {
  for (int pressure : {1, 2, 3, 4})
    for (int sliding : {1, 2, 3, 4}) {
      DiscreteModel m = modelWith(sliding, pressure);
      const OperatingPoint point{-0.04, 4.0, 2.0, 4000.0, 20000.0};
      const TyreForces f = evaluate(m, point);
      double Fx = 0.0, Fy = 0.0, Mz = 0.0, sizeFx = 0.0, sizeFy = 0.0, sizeMz = 0.0;
      for (const TracePoint& p : tracePoints(test::traceOf(m, point))) {
        Fx += p.fx;
        Fy += p.fy;
        Mz += p.x * p.fy - p.y * p.fx;
        sizeFx += std::fabs(p.fx);
        sizeFy += std::fabs(p.fy);
        sizeMz += std::fabs(p.x * p.fy) + std::fabs(p.y * p.fx);
      }
      // The trace prints 7 digits: each number is off by up to 5e-7 of itself.
      EXPECT_NEAR(f.Fx, Fx, 1e-6 * sizeFx) << "sliding " << sliding << " pressure " << pressure;
      EXPECT_NEAR(f.Fy, Fy, 1e-6 * sizeFy) << "sliding " << sliding << " pressure " << pressure;
      EXPECT_NEAR(f.Mz, Mz, 2e-6 * sizeMz) << "sliding " << sliding << " pressure " << pressure;
    }
}

// 19 of the 21 rows carry load under law 1 (the edge rows do not): 399
// cells of 8 mm x 3.75 mm.
TEST(DiscreteModelEvaluation, AreaIsSummedOnlyWhileTheTraceFlagIsOne) {
  DiscreteModel m;
  ASSERT_EQ(m.setUp(test::exactPatchTyre()), 0);
  const OperatingPoint point{0.05, 3.0, 0.0, 3000.0, 20000.0};
  m.setTrace(1, nullptr);
  evaluate(m, point);
  EXPECT_EQ(m.Area, 399.0 * 30.0);
  for (int flag : {0, 2}) {
    m.setTrace(flag, nullptr);
    evaluate(m, point);
    EXPECT_EQ(m.Area, 0.0) << "flag " << flag;
    EXPECT_EQ(m.contactPatch().area, 0.0);
  }
}

TEST(DiscreteModelEvaluation, ContactPatchReportsAreaAndHalfLengths) {
  DiscreteModel m = modelWith(1, 4);
  m.setTrace(1, nullptr);
  evaluate(m, {0.05, 3.0, 0.0, 4000.0, 20000.0});
  const ContactPatch patch = m.contactPatch();
  EXPECT_EQ(patch.area, m.Area);
  EXPECT_EQ(patch.h, m.h);
  EXPECT_EQ(patch.b, m.b);
  EXPECT_GT(patch.area, 0.0);
}

// Without a geometry since the set-up every geometric load is 0: the
// friction laws take every force away, but a selector below 1 keeps them.
TEST(DiscreteModelEvaluation, GeometricLoadsWithoutGeometryCarryNothing) {
  for (int sliding : {1, 2, 3, 4}) {
    DiscreteModel m = modelWith(sliding, 5);
    const TyreForces f = evaluate(m, {0.05, 3.0, 0.0, 4000.0, 20000.0});
    EXPECT_EQ(f.Fx, 0.0) << "sliding " << sliding;
    EXPECT_EQ(f.Fy, 0.0) << "sliding " << sliding;
  }
  DiscreteModel elastic = modelWith(0, 5);
  EXPECT_GT(evaluate(elastic, {0.05, 3.0, 0.0, 4000.0, 20000.0}).Fx, 0.0);
}

TEST(DiscreteModelEvaluation, KeepsTheLastPointOfTheSweep) {
  DiscreteModel m = modelWith(1, 1);
  evaluate(m, {0.05, 3.0, 0.0, 4000.0, 20000.0});
  // Positive speed: the last point is i = 0, j = nj, at x = +h, y = -b.
  EXPECT_NEAR(m.ux, 2.0 * m.h * 0.05, 1e-12);  // exit edge, 2h from the entry
  EXPECT_EQ(m.pz, 0.0);                        // law 1 vanishes at the exit edge
  EXPECT_EQ(m.vsx, 20000.0 * 0.05);
  EXPECT_GT(m.muex, 0.0);
}

TEST(DiscreteModelEvaluation, DegenerateInputsGiveNonNumbersNotFaults) {
  for (std::size_t k : {par::pin, par::cR, par::R}) {
    ParameterSet p = discreteTyre();
    p[k] = 0.0;
    p[par::pressure] = 4.0;
    DiscreteModel m;
    ASSERT_EQ(m.setUp(p), 0);
    testing::internal::CaptureStdout();
    const TyreForces f = evaluate(m, {0.05, 3.0, 2.0, 4000.0, 20000.0});
    testing::internal::GetCapturedStdout();  // the edge search may warn
    EXPECT_FALSE(std::isfinite(f.Fx) && std::isfinite(f.Fy) && std::isfinite(f.Mz) && f.Fy != 0.0)
        << kParameterTable[k].name;
  }
  DiscreteModel beyond = modelWith(1, 1);
  EXPECT_TRUE(std::isnan(evaluate(beyond, {0.05, 3.0, 0.0, 2.0 * 310.0 * 250.0 + 1.0, 20000.0}).Fy));
  DiscreteModel upright = modelWith(1, 4);
  testing::internal::CaptureStdout();
  evaluate(upright, {0.05, 3.0, 90.0, 4000.0, 20000.0});
  testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace grip
