// The grid sweep of the discrete model: patch, forces, moment and area.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>

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

TEST(DiscreteModelEvaluation, TooSmallLoadsGiveZeroForcesAndLeaveThePatch) {
  for (double load : {0.0, -100.0, 5e-11}) {
    DiscreteModel m = modelWith(1, 1);
    m.setTrace(1, nullptr);
    evaluate(m, {0.05, 3.0, 1.0, 4000.0, 20000.0});
    const ContactPatch before = m.contactPatch();
    ASSERT_GT(before.area, 0.0);
    const TyreForces f = evaluate(m, {0.05, 3.0, 1.0, load, 20000.0});
    EXPECT_EQ(f.Fx, 0.0);
    EXPECT_EQ(f.Fy, 0.0);
    EXPECT_EQ(f.Mz, 0.0);
    const ContactPatch after = m.contactPatch();
    EXPECT_EQ(after.area, before.area);
    EXPECT_EQ(after.h, before.h);
    EXPECT_EQ(after.b, before.b);
    EXPECT_EQ(m.tanAlpha, 3.0);  // the raw input stays in the record
  }
  DiscreteModel m = modelWith(1, 1);
  evaluate(m, {0.05, 3.0, 1.0, 1e-10, 20000.0});
  EXPECT_GT(m.h, 0.0);  // exactly 1e-10 is evaluated
}

// R 325, cR 300 and Fz 3000: deflection 10, h = sqrt(325^2 - 315^2) = 80;
// pin 0.25: b = 3000/(4 * 0.25 * 80) = 37.5, and 4 h b = Fz/pin. No slip:
// no force.
TEST(DiscreteModelEvaluation, RectangularPatchCarriesTheLoadAtTheMeanPressure) {
  DiscreteModel m;
  ASSERT_EQ(m.setUp(test::exactPatchTyre()), 0);
  const TyreForces f = evaluate(m, {0.0, 0.0, 0.0, 3000.0, 20000.0});
  EXPECT_EQ(m.h, 80.0);
  EXPECT_EQ(m.b, 37.5);
  EXPECT_EQ(m.dx, 8.0);
  EXPECT_EQ(m.dy, 3.75);
  EXPECT_EQ(f.Fx, 0.0);
  EXPECT_EQ(f.Fy, 0.0);
  EXPECT_EQ(f.Mz, 0.0);
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

void PrintTo(const SweepCase& c, std::ostream* out) { *out << "speed " << c.speed << ", slip angle " << c.slipAngle; }

class SweepDirection : public ::testing::TestWithParam<SweepCase> {};

TEST_P(SweepDirection, StartsAtTheEntryEdgeAndScalesTheMomentByTheLastPoint) {
  const SweepCase c = GetParam();
  DiscreteModel m = modelWith(1, 1);
  const OperatingPoint point{0.02, c.slipAngle, 0.0, 4000.0, c.speed};
  const TyreForces unscaled = evaluate(m, point);
  const std::string trace = test::traceOf(m, point);

  // The first traced point is on the entry edge, x = +h for a negative
  // speed and -h otherwise, and carries no deflection; the record keeps the
  // last, on the exit edge 2h further.
  double x = 0.0, y = 0.0, ux = 1.0, uy = 1.0;
  ASSERT_EQ(std::sscanf(trace.c_str(), "%lf %lf %lf %lf", &x, &y, &ux, &uy), 4);
  EXPECT_NEAR(x, c.speed < 0.0 ? m.h : -m.h, 1e-6 * m.h);  // printed to 7 digits
  EXPECT_NEAR(ux, 0.0, 1e-12);                              // -h is h - ni dx, within roundings
  EXPECT_NEAR(m.uy, 2.0 * m.h * std::tan(c.slipAngle * m.pi / 180.0), 1e-12 * m.h);
  EXPECT_EQ(m.vsx, std::fabs(c.speed) * 0.02);

  m.MzScaleP = 2.0;
  m.MzScaleN = 3.0;
  const TyreForces scaled = evaluate(m, point);
  EXPECT_EQ(scaled.Mz, unscaled.Mz * (c.positiveScale ? 2.0 : 3.0));
  EXPECT_EQ(scaled.Fy, unscaled.Fy);
}

INSTANTIATE_TEST_SUITE_P(DiscreteModel, SweepDirection,
                         ::testing::Values(SweepCase{-20000.0, 3.0, true}, SweepCase{0.0, 3.0, false},
                                           SweepCase{20000.0, 3.0, true}, SweepCase{20000.0, -3.0, false}));

// Every pressure and friction law: the forces are the sums of the traced
// point forces, and the moment (not negated) the sum of x fy - y fx.
TEST(DiscreteModelEvaluation, ForcesAndMomentAreTheSumsOfThePointForces) {
  for (int pressure : {1, 2, 3, 4})
    for (int sliding : {1, 2, 3, 4}) {
      DiscreteModel m = modelWith(sliding, pressure);
      const OperatingPoint point{-0.04, 4.0, 2.0, 4000.0, 20000.0};
      const TyreForces f = evaluate(m, point);
      double Fx = 0.0, Fy = 0.0, Mz = 0.0, sizeFx = 0.0, sizeFy = 0.0, sizeMz = 0.0;
      std::istringstream lines(test::traceOf(m, point));
      for (std::string line; std::getline(lines, line);) {
        double x, y, ux, uy, pz, fx, fy;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf %lf", &x, &y, &ux, &uy, &pz, &fx, &fy) != 7) continue;
        Fx += fx;
        Fy += fy;
        Mz += x * fy - y * fx;
        sizeFx += std::fabs(fx);
        sizeFy += std::fabs(fy);
        sizeMz += std::fabs(x * fy) + std::fabs(y * fx);
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
  EXPECT_EQ(m.contactPatch().area, 399.0 * 30.0);
  for (int flag : {0, 2}) {
    m.setTrace(flag, nullptr);
    evaluate(m, point);
    EXPECT_EQ(m.contactPatch().area, 0.0) << "flag " << flag;
  }
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
    EXPECT_FALSE(std::isfinite(f.Fx) && std::isfinite(f.Fy) && f.Fy != 0.0) << kParameterTable[k].name;
  }
  DiscreteModel beyond = modelWith(1, 1);
  EXPECT_TRUE(std::isnan(evaluate(beyond, {0.05, 3.0, 0.0, 2.0 * 310.0 * 250.0 + 1.0, 20000.0}).Fy));
  DiscreteModel sideways = modelWith(1, 4);
  testing::internal::CaptureStdout();
  evaluate(sideways, {0.05, 3.0, 90.0, 4000.0, 20000.0});
  testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace grip
