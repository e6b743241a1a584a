// Friction law and table friction law at one grid point.

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "DiscreteTyre.h"
#include "discrete/DiscreteModel.h"

namespace grip {
namespace {

// Friction values worked out by hand to about 1e-9, or a few roundings of
// values near 1 where they are exact.
constexpr double kHandValue = 1e-9;
constexpr double kRounding = 1e-13;

/// The test tyre with its friction law, at its reference load (load factor 1).
DiscreteModel frictionModel(int sliding) {
  ParameterSet p = test::discreteTyre();
  p[par::sliding] = sliding;
  DiscreteModel m;
  EXPECT_EQ(m.setUp(p), 0);
  m.Fz = m.Fzbar;
  return m;
}

void setPoint(DiscreteModel& m, double vsx, double vsy, double ux, double uy, double fx, double fy, double pz) {
  m.vsx = vsx;
  m.vsy = vsy;
  m.ux = ux;
  m.uy = uy;
  m.fx = fx;
  m.fy = fy;
  m.pz = pz;
}

struct DirectionCase {
  int sliding;
  double angle;  ///< expected direction of the sliding force [rad]
};

void PrintTo(const DirectionCase& c, std::ostream* out) { *out << "sliding " << c.sliding; }

class SlidingForceDirection : public ::testing::TestWithParam<DirectionCase> {};

// Speed along +x, deflection along +y, elastic force along the diagonal: each
// selector takes its own; with equal coefficients the size is pz times mu.
TEST_P(SlidingForceDirection, FollowsTheSelectedQuantity) {
  const DirectionCase c = GetParam();
  DiscreteModel m = frictionModel(c.sliding);
  setPoint(m, 1000.0, 0.0, 0.0, 2.0, 1000.0, 1000.0, 100.0);
  frictionLaw(m);
  // mu = 1.05 + (1 - exp(-1000/3000)) (0.85 - 1.05) = 0.993306262...
  EXPECT_NEAR(m.muex, 0.9933062621, kHandValue);
  EXPECT_EQ(m.muey, m.muex);
  EXPECT_NEAR(std::atan2(m.fy, m.fx), c.angle, kRounding);
  EXPECT_NEAR(std::hypot(m.fx, m.fy), 100.0 * m.muex, kRounding * 100.0);
}

INSTANTIATE_TEST_SUITE_P(FrictionLaw, SlidingForceDirection,
                         ::testing::Values(DirectionCase{1, 0.0}, DirectionCase{2, std::atan(1.0) * 2.0},
                                           DirectionCase{3, std::atan(1.0)}));

TEST(FrictionLaw, ZeroSlidingSpeedTakesTheNegativePairAndASpeedOfOne) {
  DiscreteModel m = frictionModel(1);
  m.mue1xn = 0.6;
  m.cmuexn = 1.0 / std::log(2.0);  // a speed of 1 halves the exponential
  m.mue1yn = 0.5;
  setPoint(m, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 100.0);
  frictionLaw(m);
  EXPECT_EQ(m.mue1x, 0.6);
  EXPECT_EQ(m.mue1y, 0.5);
  EXPECT_NEAR(m.muex, 0.825, kRounding);  // 1.05 + (1 - 1/2) (0.6 - 1.05)
}

TEST(FrictionLaw, ForceAtTheStaticLimitAdheres) {
  DiscreteModel m = frictionModel(3);
  setPoint(m, 5000.0, 100.0, 1.0, 1.0, 63.0, 84.0, 100.0);  // |f| = 105 = 100 * mue0
  frictionLaw(m);
  EXPECT_EQ(m.fx, 63.0);
  EXPECT_EQ(m.fy, 84.0);
}

TEST(FrictionLaw, SelectorBelowOneComputesCoefficientsButNeverSlides) {
  for (int sliding : {0, -2}) {
    DiscreteModel m = frictionModel(sliding);
    setPoint(m, 1000.0, 0.0, 1.0, 0.0, 5000.0, 0.0, 1.0);
    frictionLaw(m);
    EXPECT_EQ(m.fx, 5000.0);
    EXPECT_NEAR(m.muex, 0.9933062621, kHandValue);
  }
}

TEST(FrictionLaw, FullSlidingGivesSlidingFrictionTimesLoad) {
  DiscreteModel m = frictionModel(3);
  setPoint(m, 1e9, 0.0, 10.0, 0.0, 5000.0, 0.0, 200.0);
  frictionLaw(m);
  EXPECT_NEAR(m.fx, 200.0 * 0.85, kRounding * 200.0);
  EXPECT_EQ(m.fy, 0.0);
}

// g = 1 + (Fzbar - Fz) mueFz = 1.1: the limit 1.1*1.05 + 1.1 (1.1*0.85 - 1.1*1.05),
// the difference term taking the load factor twice, is 0.913.
TEST(FrictionLaw, LoadFactorScalesTheDifferenceTermTwice) {
  DiscreteModel m = frictionModel(1);
  m.mueFz = 1e-4;
  m.Fz = m.Fzbar - 1000.0;
  setPoint(m, 1e12, 0.0, 0.0, 0.0, 0.0, 0.0, 100.0);
  frictionLaw(m);
  EXPECT_NEAR(m.muex, 0.913, kRounding);
}

/// The table law with the speeds 10 to 1e6 and the values 1.0 down to 0.5,
/// a load-per-cell factor of 1 and the load factor 1.
DiscreteModel tableModel() {
  ParameterSet p = test::discreteTyre();
  p[par::sliding] = 4.0;
  p[par::vslide] = 10.0;
  const double values[] = {1.0, 0.9, 0.8, 0.7, 0.6, 0.5};
  for (std::size_t k = 0; k < 6; ++k) p[par::mue1xp + k] = values[k];
  p[par::mue1yn] = 1.0;  // frica0
  p[par::cmueyn] = 0.0;  // frica1: exp(0) = 1
  DiscreteModel m;
  EXPECT_EQ(m.setUp(p), 0);
  m.Fz = m.Fzbar;
  m.dx = 8.0;
  m.dy = 5.0;
  return m;
}

/// Lateral force of a sliding point with lateral speed vsy and load 100.
double tableLateralForce(DiscreteModel& m, double vsx, double vsy) {
  setPoint(m, vsx, vsy, 0.0, 0.0, 0.0, 1000.0, 100.0);
  tableFriction(m);
  return m.fy;
}

// Lateral force of a point sliding at (vsx, vsy) with load 100: 100 times
// the table value at the weighted speed sqrt((Vmuexy vsx)^2 + vsy^2).
TEST(TableFriction, InterpolatesTheSpeedTableAtTheWeightedSpeed) {
  struct Case {
    double Vmuexy, vsx, vsy, force;
  };
  const Case cases[] = {
      {1.0, 0.0, 55.0, 95.0},                       // half way from 10 to 100
      {1.0, 0.0, 3000.0, 700.0 / 9.0},              // 0.8 - 0.1 * 2000/9000
      {1.0, 0.0, 0.0, 100.0 * (1.0 + 1.0 / 90.0)},  // the first segment extended below 10
      {1.0, 0.0, 1e6, 50.0},                        // the last value from the end of the table on
      {1.0, 0.0, -5e7, 50.0},
      {0.0, 1e9, 55.0, 95.0},  // Vmuexy weights only the longitudinal speed
      {2.0, 27.5, 0.0, 95.0},
  };
  for (const Case& c : cases) {
    DiscreteModel m = tableModel();
    m.Vmuexy = c.Vmuexy;
    EXPECT_NEAR(tableLateralForce(m, c.vsx, c.vsy), c.force, kRounding * 100.0)
        << "Vmuexy " << c.Vmuexy << " vsx " << c.vsx << " vsy " << c.vsy;
  }
}

TEST(TableFriction, MuexyScalesOnlyTheLongitudinalForce) {
  DiscreteModel m = tableModel();
  m.muexy = 0.5;
  setPoint(m, 0.0, 1e6, 0.0, 0.0, 600.0, 800.0, 100.0);
  tableFriction(m);
  EXPECT_NEAR(m.fx, 0.5 * 50.0 * 0.6, kRounding * 100.0);
  EXPECT_NEAR(m.fy, 50.0 * 0.8, kRounding * 100.0);
  setPoint(m, 0.0, 1e6, 0.0, 0.0, 63.0, 84.0, 100.0);  // |f| = 105 = mue0 * 100: adheres
  tableFriction(m);
  EXPECT_EQ(m.fx, 63.0);
}

// pf = (frica0 + exp(-frica1 Fz/(dx dy)))/2 with Fz/(dx dy) = 100: frica1 =
// ln 2/100 halves the exponential, and frica0 = 0.4 gives pf = 0.45.
TEST(TableFriction, LoadPerCellFactorUsesTheWholeLoadOverOneCell) {
  DiscreteModel m = tableModel();
  m.Fz = 4000.0;
  m.dx = 8.0;
  m.dy = 5.0;
  m.frica0 = 0.4;
  m.frica1 = std::log(2.0) / 100.0;
  EXPECT_NEAR(tableLateralForce(m, 0.0, 1e6), 0.45 * 50.0, kRounding * 100.0);
}

}  // namespace
}  // namespace grip
