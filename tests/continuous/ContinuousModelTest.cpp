#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "continuous/ContinuousModel.h"

namespace grip {
namespace {

/// A passenger-car tyre with no offsets and equal friction on both sides.
ParameterSet tyre() {
  ParameterSet p{};
  p[par::cx0] = 0.06;
  p[par::cx1] = 1e-6;
  p[par::cy0] = 0.045;
  p[par::cy1] = -1e-7;
  p[par::mue0] = 1.05;
  p[par::muexy] = 1.0;
  p[par::Vmuexy] = 1.0;
  for (std::size_t k = par::mue1xp; k <= par::cmueyn; k += 2) p[k] = 0.85;
  for (std::size_t k = par::cmuexp; k <= par::cmueyn; k += 2) p[k] = 3000.0;
  p[par::mueFz] = 2e-5;
  p[par::vslide] = 20.0;
  p[par::pin] = 0.2;
  p[par::Fzbar] = 4000.0;
  p[par::MzScaleP] = 1.0;
  p[par::MzScaleN] = 1.0;
  p[par::cR] = 250.0;
  p[par::R] = 310.0;
  p[par::Ry] = 95.0;
  p[par::ni] = 20.0;
  p[par::nj] = 20.0;
  p[par::ny] = 4.0;
  return p;
}

TyreForces evaluate(ContinuousModel& model, const OperatingPoint& point) {
  TyreForces f{-1.0, -1.0, -1.0};
  model.evaluate(point, f);
  return f;
}

class ContinuousModelTest : public ::testing::Test {
 protected:
  ContinuousModelTest() { model.setUp(tyre()); }
  ContinuousModel model;
};

TEST_F(ContinuousModelTest, ZeroLoadGivesZeroForcesAndKeepsThePatch) {
  evaluate(model, {0.05, 3.0, 0.0, 4000.0, 20000.0});
  const double h = model.h, b = model.b;
  TyreForces f = evaluate(model, {0.05, 3.0, 0.0, 0.0, 20000.0});
  EXPECT_EQ(f.Fx, 0.0);
  EXPECT_EQ(f.Fy, 0.0);
  EXPECT_EQ(f.Mz, 0.0);
  EXPECT_EQ(model.h, h);
  EXPECT_EQ(model.b, b);
}

TEST_F(ContinuousModelTest, NoSlipGivesNoForceButAPatch) {
  TyreForces f = evaluate(model, {0.0, 0.0, 0.0, 3000.0, 20000.0});
  EXPECT_EQ(f.Fx, 0.0);
  EXPECT_EQ(f.Fy, 0.0);
  EXPECT_EQ(std::fabs(f.Mz), 0.0);
  // Radial deflection 12 mm of a 310 mm tyre; the rectangle 2h x 2b carries
  // the load at the mean pressure.
  EXPECT_DOUBLE_EQ(model.h, std::sqrt(310.0 * 310.0 - 298.0 * 298.0));
  EXPECT_DOUBLE_EQ(4.0 * model.h * model.b, 3000.0 / 0.2);
  EXPECT_DOUBLE_EQ(model.mue0Fz, (1.0 + 1000.0 * 2e-5) * 1.05);
  EXPECT_EQ(model.contactPatch().area, model.h * model.b);
}

TEST_F(ContinuousModelTest, FullSlidingGivesFrictionTimesLoad) {
  // At the reference load g = 1; at standstill the friction is the static value.
  TyreForces f = evaluate(model, {-0.8, 0.0, 0.0, 4000.0, 0.0});
  EXPECT_NEAR(f.Fx, -4000.0 * 1.05, 1e-9 * 4000.0);  // rounding of the closed-form integrals
  EXPECT_NEAR(f.Fy, 0.0, 1e-9);
  EXPECT_EQ(f.Mz, 0.0);
  // Fast sliding: friction tends to the sliding value.
  f = evaluate(model, {0.0, -60.0, 0.0, 4000.0, 1e9});
  EXPECT_NEAR(f.Fy, -4000.0 * 0.85, 1e-6 * 4000.0);  // exp(-vs/cmuey) is about 1e-10 here
}

TEST_F(ContinuousModelTest, LinearRangeSlopeIsTheStiffness) {
  // Small slip: the adhesion zone covers the patch, Fx = 4 b h^2 kx sx.
  const double sx = 1e-6;
  TyreForces f = evaluate(model, {sx, 0.0, 0.0, 4000.0, 20000.0});
  const double kx = 0.06 + 1e-6;
  EXPECT_NEAR(f.Fx / sx, 4.0 * model.b * model.h * model.h * kx, 1e-4 * f.Fx / sx);  // sliding part is O(sx^2)
  const double alpha = 1e-4;
  f = evaluate(model, {0.0, alpha, 0.0, 4000.0, 20000.0});
  const double T = std::tan(alpha * model.pi / 180.0);
  const double ky = 0.045 - 1e-7;
  EXPECT_NEAR(f.Fy / T, 4.0 * model.b * model.h * model.h * ky, 1e-4 * f.Fy / T);
}

TEST_F(ContinuousModelTest, SymmetricInSlipAngleAndBlindToCamber) {
  for (double alpha : {0.5, 2.0, 6.0, 15.0}) {
    SCOPED_TRACE(alpha);
    TyreForces right = evaluate(model, {0.02, alpha, 0.0, 3500.0, 15000.0});
    TyreForces left = evaluate(model, {0.02, -alpha, 0.0, 3500.0, 15000.0});
    TyreForces cambered = evaluate(model, {0.02, alpha, 7.0, 3500.0, 15000.0});
    EXPECT_DOUBLE_EQ(left.Fx, right.Fx);
    EXPECT_DOUBLE_EQ(left.Fy, -right.Fy);
    EXPECT_DOUBLE_EQ(left.Mz, -right.Mz);
    EXPECT_EQ(cambered.Fy, right.Fy);
    EXPECT_EQ(cambered.Mz, right.Mz);
    // In the linear range the aligning moment has the sign of the lateral
    // force (the force acts behind the patch centre).
    if (alpha < 1.0) {
      EXPECT_GT(right.Mz * right.Fy, 0.0);
    }
  }
}

TEST(ContinuousModel, ExactZeroSlipTakesTheNegativeSidePair) {
  ParameterSet p = tyre();
  p[par::mue1xn] = 0.5;
  p[par::cmuexn] = 100.0;
  p[par::mue1yn] = 0.4;
  p[par::MzScaleN] = 2.0;
  ContinuousModel model;
  model.setUp(p);
  // Only the lateral pair acts at zero slip; only MzScaleN at zero slip angle.
  TyreForces zeroSlip = evaluate(model, {0.0, -50.0, 0.0, 4000.0, 1e9});
  EXPECT_NEAR(zeroSlip.Fy, -4000.0 * 0.4, 1e-6 * 4000.0);  // as in full sliding above
  TyreForces pure = evaluate(model, {0.001, 0.0, 0.0, 4000.0, 20000.0});
  ContinuousModel unscaled;
  p[par::MzScaleN] = 1.0;
  unscaled.setUp(p);
  TyreForces one = evaluate(unscaled, {0.001, 0.0, 0.0, 4000.0, 20000.0});
  EXPECT_EQ(pure.Mz, 2.0 * one.Mz);
}

TEST(ContinuousModel, FrictionValuesActByMagnitudeOthersBySignDiscreteOnesNotAtAll) {
  ParameterSet p = tyre();
  ParameterSet negative = p;
  for (std::size_t k : {par::mue0, par::mue1xp, par::cmuexp, par::mue1xn, par::cmuexn, par::mue1yp, par::cmueyp,
                        par::mue1yn, par::cmueyn})
    negative[k] = -p[k];
  ContinuousModel a, b;
  a.setUp(p);
  b.setUp(negative);
  const OperatingPoint point{0.1, 4.0, 0.0, 4500.0, 20000.0};
  TyreForces fa = evaluate(a, point), fb = evaluate(b, point);
  EXPECT_EQ(fa.Fx, fb.Fx);
  EXPECT_EQ(fa.Fy, fb.Fy);
  EXPECT_EQ(fa.Mz, fb.Mz);

  negative = p;
  negative[par::MzScaleP] = -1.0;
  b.setUp(negative);
  EXPECT_EQ(evaluate(b, point).Mz, -fa.Mz);

  // The parameters of the discrete model change nothing here.
  ParameterSet other = p;
  for (std::size_t k : {par::muexy, par::Vmuexy, par::vslide, par::Ry, par::ni, par::nj, par::ny, par::sliding,
                        par::pressure, par::draw3d})
    other[k] = -123.0;
  b.setUp(other);
  EXPECT_EQ(evaluate(b, point).Fy, fa.Fy);
  EXPECT_EQ(evaluate(b, point).Mz, fa.Mz);
}

// Pure side slip at the reference load with the transition from sliding to
// adhesion put at X = x h: the adhesion stress 2b ky T (h - x) meets the
// static limit 2b pmax (1 - x^2/h^2) mue0 where ky T = (1 + x) pmax mue0 / h.
// Integrating the brush stresses by hand, with b h pmax = 3/8 Fz:
//   x = 0:   Fy = 3/8 Fz (4/3 mus + mue0),      Mz = 3/8 Fz h (mus/2 - mue0/3)
//   x = 1/2: Fy = 3/8 Fz (9/4 mus + 3/8 mue0),  Mz = 3/8 Fz h (9/32 mus - mue0/4)
// where mus is the sliding friction: mue0 at standstill, mue1y when fast.
TEST(ContinuousModel, PartialSlidingForceAndMomentAreTheBrushIntegrals) {
  ParameterSet p = tyre();
  p[par::MzScaleP] = 1.2;
  p[par::MzScaleN] = 0.8;
  ContinuousModel model;
  model.setUp(p);
  const double Fz = 4000.0, mue0 = 1.05, mue1 = 0.85, ky = 0.045 - 1e-7;
  const double h = std::sqrt(310.0 * 310.0 - 294.0 * 294.0), pmax = 0.3;
  struct Case {
    double x, speed, forceFactor, momentFactor;
  };
  for (const Case& c : {Case{0.0, 0.0, 4.0 / 3.0 * mue0 + mue0, mue0 / 2.0 - mue0 / 3.0},
                        Case{0.0, 1e9, 4.0 / 3.0 * mue1 + mue0, mue1 / 2.0 - mue0 / 3.0},
                        Case{0.5, 0.0, 2.25 * mue0 + 0.375 * mue0, 0.28125 * mue0 - 0.25 * mue0},
                        Case{0.5, 1e9, 2.25 * mue1 + 0.375 * mue0, 0.28125 * mue1 - 0.25 * mue0}})
    for (double side : {1.0, -1.0}) {
      SCOPED_TRACE(testing::Message() << "X/h " << c.x << " speed " << c.speed << " side " << side);
      const double T = side * (1.0 + c.x) * pmax * mue0 / (h * ky);
      const TyreForces f = evaluate(model, {0.0, std::atan(T) * 180.0 / model.pi, 0.0, Fz, c.speed});
      // Roundings of the degree round trip and of the closed forms; the
      // moment's two terms cancel to a tenth of their size.
      EXPECT_NEAR(f.Fy, side * 0.375 * Fz * c.forceFactor, 1e-9 * Fz);
      EXPECT_NEAR(f.Mz, side * 0.375 * Fz * h * c.momentFactor * (side > 0.0 ? 1.2 : 0.8), 1e-8 * Fz * h);
      EXPECT_EQ(f.Fx, 0.0);
    }
}

// Full sliding gives the friction value times the load factor
// g = 1 + (Fzbar - Fz) mueFz times the load: static at standstill, the
// sliding value when fast (the decay speed carries g too, but e^-vs is 0).
TEST(ContinuousModel, LoadFactorScalesTheFrictionAwayFromTheReferenceLoad) {
  ContinuousModel model;
  model.setUp(tyre());  // mueFz 2e-5, Fzbar 4000
  for (const auto& [Fz, g] : {std::pair{2000.0, 1.04}, std::pair{4000.0, 1.0}, std::pair{6500.0, 0.95}}) {
    SCOPED_TRACE(Fz);
    // Rounding of the closed-form integrals, relative to the load.
    EXPECT_NEAR(evaluate(model, {-0.8, 0.0, 0.0, Fz, 0.0}).Fx, -Fz * 1.05 * g, 1e-9 * Fz);
    EXPECT_NEAR(evaluate(model, {0.0, -60.0, 0.0, Fz, 1e9}).Fy, -Fz * 0.85 * g, 1e-9 * Fz);
    EXPECT_NEAR(model.mue0Fz, 1.05 * g, 1e-15);  // one rounding
  }
}

// The slope of the linear range is 4 b h^2 (c0 + c1 (1 + Fzbar - Fz)): at
// the reference load c1 still counts once.
TEST(ContinuousModel, StiffnessGrowsWithTheLoadDifferencePlusOne) {
  struct Case {
    double Fz, cx1, cy1, kx, ky;
  };
  for (const Case& c : {Case{4000.0, 0.01, 0.005, 0.06, 0.045}, Case{3000.0, 1e-4, -5e-6, 0.1501, 0.034995},
                        Case{5000.0, 1e-5, -5e-6, 0.04001, 0.044995}}) {
    SCOPED_TRACE(c.Fz);
    ParameterSet p = tyre();
    p[par::cx0] = 0.05;
    p[par::cy0] = 0.04;
    p[par::cx1] = c.cx1;
    p[par::cy1] = c.cy1;
    ContinuousModel model;
    model.setUp(p);
    const double s = 1e-8;
    // The sliding zone adds about k s h / (pmax mue) = 1e-7 of the slope.
    const double Fx = evaluate(model, {s, 0.0, 0.0, c.Fz, 20000.0}).Fx;
    EXPECT_NEAR(Fx / s, 4.0 * model.b * model.h * model.h * c.kx, 1e-6 * Fx / s);
    const double T = std::tan(s * model.pi / 180.0);
    const double Fy = evaluate(model, {0.0, s, 0.0, c.Fz, 20000.0}).Fy;
    EXPECT_NEAR(Fy / T, 4.0 * model.b * model.h * model.h * c.ky, 1e-6 * Fy / T);
  }
}

}  // namespace
}  // namespace grip
