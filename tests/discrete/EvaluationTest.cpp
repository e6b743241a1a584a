// The contact-edge solver, the geometric patch, the grid sweep and the
// friction laws of the discrete model.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>

#include "DiscreteTyre.h"
#include "discrete/ContactGeometry.h"
#include "discrete/PointLaws.h"

namespace grip {
namespace {

using test::evaluate;

DiscreteModel modelWith(int sliding, int pressure) {
  DiscreteModel m;
  EXPECT_EQ(m.setUp(test::discreteTyre(sliding, pressure)), 0);
  return m;
}

const double kPi = 4.0 * std::atan(1.0);

/// An upright tyre of radius 300 pressed to the loaded radius 290, with the
/// crown contour Ry 100, ny 4 (Ryny 1e8) unless told; only the fields the
/// solver reads are set.
struct UprightCrown {
  DiscreteProperties tyre;
  DiscretePatch patch;
  UprightCrown(int ny = 4, double Ryny = 1e8) {
    tyre.R = 300.0;
    tyre.ny = ny;
    patch.cosgam = 1.0;  // and singam 0
    patch.Rl = 290.0;
    patch.Ryny = Ryny;
  }
  double edge(double start) const { return solveContactEdge(start, tyre, patch); }
};

// From either side and from beyond the contour (pulled inside by 0.33
// first) the search finds the edge R sqrt(1 - (y/Ry)^4) = Rl without a word,
// to within its last Newton step of under 0.001 mm (the tolerance). ny = 0
// makes the radicand and D vanish, a start near the centre the slope: each
// pass then only shrinks the iterate by 0.33, 51 times (the same products,
// exactly), and one warning line is printed.
TEST(ContactEdgeSolver, FindsTheEdgeOrWarnsOnceAndReturnsTheLastIterate) {
  const double edge = 100.0 * std::pow(1.0 - (290.0 / 300.0) * (290.0 / 300.0), 0.25);
  const auto shrunk = [](double y) {
    for (int pass = 0; pass < 51; ++pass) y *= 0.33;
    return y;
  };
  const char* const warning = " Warning, no convergence in newton interation, change Ry or ny \n";
  struct Case {
    int ny;
    double Ryny, start, y, tolerance;
    const char* output;
  };
  for (const Case& c : {Case{4, 1e8, 80.0, edge, 1e-3, ""}, Case{4, 1e8, -1e4, -edge, 1e-3, ""},
                        Case{0, 1.0, 50.0, shrunk(50.0), 0.0, warning},
                        Case{4, 1e8, 1e-3, shrunk(1e-3), 0.0, warning}}) {
    SCOPED_TRACE(testing::Message() << "ny " << c.ny << " start " << c.start);
    testing::internal::CaptureStdout();
    EXPECT_NEAR(UprightCrown(c.ny, c.Ryny).edge(c.start), c.y, c.tolerance);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
  }
}

// The two searches side by side take the passes each takes alone: the same
// edges to the bit and the same warnings, whichever of them converges.
TEST(ContactEdgeSolver, SearchesSideBySideEqualTwoSingleSearches) {
  struct Case {
    int ny;
    double Ryny, first, second;
  };
  for (const Case& c : {Case{4, 1e8, -80.0, 80.0}, Case{4, 1e8, 1e-3, 80.0}, Case{4, 1e8, -1e4, 1e-3},
                        Case{0, 1.0, 50.0, -50.0}}) {
    SCOPED_TRACE(testing::Message() << "ny " << c.ny << " starts " << c.first << ", " << c.second);
    const UprightCrown m(c.ny, c.Ryny);
    testing::internal::CaptureStdout();
    const double first = m.edge(c.first);
    const double second = m.edge(c.second);
    const std::string alone = testing::internal::GetCapturedStdout();
    double sideFirst = 0.0;
    double sideSecond = 0.0;
    testing::internal::CaptureStdout();
    solveContactEdges(c.first, c.second, m.tyre, m.patch, sideFirst, sideSecond);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), alone);
    EXPECT_EQ(sideFirst, first);
    EXPECT_EQ(sideSecond, second);
  }
}

/// Geometric load of grid point (i, j) of the patch.
double loadAt(const DiscretePatch& p, int i, int j) {
  return geometricLoad(p, p.h - i * p.dx, p.b - j * p.dy, i, j, std::sin(p.camberRad));
}
double loadAt(const DiscreteModel& m, int i, int j) { return loadAt(m.patch(), i, j); }

/// Analytic load at (x, y) of the patch the last evaluation left; 0 for a
/// selector without an analytic law.
double analyticAt(const DiscreteModel& m, double x, double y) {
  double load = 0.0;
  analyticLoad(m.properties(), m.patch(), x, y, load);
  return load;
}

/// The friction law at one point as the sweep applies it point by point:
/// the direction laws (sliding below 4) with their coefficients, or the
/// speed-table law.
FrictionChoice frictionAt(const DiscreteProperties& t, const DiscretePatch& p, GridPoint& point) {
  const double g = frictionLoadFactor(t, p);
  if (t.sliding >= 4) {
    const double pf = cellLoadFactor(t, p);
    double muT = 0.0;
    double Fs = 0.0;
    tableCoefficient(t, g, pf, point, muT, Fs);
    tableSaturation(t, g, pf, muT, Fs, point);
    return {};
  }
  PointMagnitudes magnitude;
  const FrictionChoice choice = frictionCoefficients(t, g, point, magnitude);
  frictionSaturation(t, choice, magnitude, point);
  return choice;
}

// Mirrored grid positions b - j dy and b - (nj - j) dy are exact negatives
// only within roundings: gaps and half lengths of some 100 mm, and loads of
// some 10 N, then differ by some 1e-13; 1e-9 leaves room.
constexpr double kMirrorTolerance = 1e-9;

TEST(ContactGeometry, IsMirrorSymmetricWithoutCamberAndAnEvenExponent) {
  DiscreteModel model = modelWith(1, 4);
  evaluate(model, {0.0, 2.0, 0.0, 4000.0, 20000.0});
  const DiscretePatch& m = model.patch();
  const int n = 20;  // ni and nj
  for (int i = 0; i <= n; ++i) {
    const auto k = static_cast<std::size_t>(i);
    EXPECT_NEAR(m.xhalf[k], m.xhalf[static_cast<std::size_t>(n - i)], kMirrorTolerance) << "column " << i;
    if (m.ymax[k] >= m.ymin[k]) {
      EXPECT_NEAR(m.ymax[k], -m.ymin[k], kMirrorTolerance) << "row " << i;
    }
    for (int j = 0; j <= n; ++j) {
      SCOPED_TRACE(testing::Message() << "point " << i << ", " << j);
      EXPECT_NEAR(m.gapAt(i, j), m.gapAt(i, n - j), kMirrorTolerance);
      EXPECT_NEAR(m.gapAt(i, j), m.gapAt(n - i, j), kMirrorTolerance);
      EXPECT_NEAR(loadAt(m, i, j), loadAt(m, i, n - j), kMirrorTolerance);
    }
  }
}

// Also at a camber of 15 degrees, where the camber bias cuts off the load
// of the points on one side: no point carries a negative load.
TEST(ContactGeometry, PressureOfAllPointsInContactSumsToTheLoad) {
  for (double camber : {0.0, 3.0, -6.0, 15.0})
    for (double load : {2000.0, 4000.0, 7000.0}) {
      SCOPED_TRACE(testing::Message() << "camber " << camber << " load " << load);
      DiscreteModel m = modelWith(1, 4);
      evaluate(m, {0.02, 3.0, camber, load, 20000.0});
      double sum = 0.0;
      for (int j = 0; j <= m.properties().nj; ++j)
        for (int i = 0; i <= m.properties().ni; ++i) {
          // Factors near 1 that vanish at the patch edges do so within
          // roundings, times loads of some 10 N.
          EXPECT_GE(loadAt(m, i, j), -1e-12);
          sum += loadAt(m, i, j);
        }
      EXPECT_NEAR(sum, load, 1e-12 * load);  // the sum of some 300 positive loads: roundings of 1e-16 each
    }
}

TEST(DiscreteModelEvaluation, TooSmallLoadsGiveZeroForcesAndLeaveThePatch) {
  for (double load : {0.0, -100.0, 5e-11}) {
    SCOPED_TRACE(testing::Message() << "load " << load);
    DiscreteModel m = modelWith(1, 4);
    m.setTrace(1, nullptr);
    evaluate(m, {0.05, 3.0, 1.0, 4000.0, 20000.0});
    const ContactPatch before = m.contactPatch();
    ASSERT_GT(before.area, 0.0);
    const TyreForces f = evaluate(m, {0.05, 3.0, 1.0, load, 20000.0});
    EXPECT_TRUE(f.Fx == 0.0 && f.Fy == 0.0 && f.Mz == 0.0);
    const ContactPatch after = m.contactPatch();
    EXPECT_TRUE(after.area == before.area && after.h == before.h && after.b == before.b);
    EXPECT_EQ(test::traceOf(m, {0.05, 3.0, 1.0, load, 20000.0}), "");
  }
  DiscreteModel m = modelWith(1, 1);
  evaluate(m, {0.05, 3.0, 1.0, 1e-10, 20000.0});
  EXPECT_GT(m.patch().h, 0.0);  // exactly 1e-10 is evaluated
}

// Each lateral column is swept from the entry edge, x = +h for a negative
// speed and -h otherwise, where the deflection is 0; the record keeps the
// last point, on the exit edge 2h further. Mz takes MzScaleP when that point
// slides to positive y, MzScaleN otherwise.
TEST(DiscreteModelEvaluation, SweepStartsAtTheEntryEdgeAndTheLastPointChoosesTheMomentScale) {
  struct Case {
    double speed, slipAngle;
    bool positiveScale;
  };
  for (const Case& c : {Case{-20000.0, 3.0, true}, Case{0.0, 3.0, false}, Case{20000.0, 3.0, true},
                        Case{20000.0, -3.0, false}}) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " slip angle " << c.slipAngle);
    DiscreteModel m = modelWith(1, 1);
    const OperatingPoint point{0.02, c.slipAngle, 0.0, 4000.0, c.speed};
    const TyreForces unscaled = evaluate(m, point);
    double x = 0.0, y = 0.0, ux = 1.0;
    ASSERT_EQ(std::sscanf(test::traceOf(m, point).c_str(), "%lf %lf %lf", &x, &y, &ux), 3);
    const double h = m.patch().h;
    EXPECT_NEAR(x, c.speed < 0.0 ? h : -h, 1e-6 * h);  // printed to 7 digits
    EXPECT_NEAR(ux, 0.0, 1e-12);                       // -h is h - ni dx, within roundings
    EXPECT_NEAR(m.trace().last.uy, 2.0 * h * std::tan(c.slipAngle * kPi / 180.0), 1e-12 * h);  // a few roundings

    ParameterSet p = test::discreteTyre(1, 1);
    p[par::MzScaleP] = 2.0;
    p[par::MzScaleN] = 3.0;
    ASSERT_EQ(m.refresh(p), 0);
    const TyreForces scaled = evaluate(m, point);
    EXPECT_EQ(scaled.Mz, unscaled.Mz * (c.positiveScale ? 2.0 : 3.0));
    EXPECT_EQ(scaled.Fy, unscaled.Fy);
  }
}

// A point sliding along +x, deflected along +y, with its elastic force
// (1000, 1000) on the diagonal and a load of 100 at the reference load. The
// selectors 1 to 3 take the direction of the speed, the deflection and the
// force, with the size load times mu = 1.05 + (1 - exp(-1000/3000)) (0.85 -
// 1.05); below 1 nothing slides; the table law (a flat table of 0.5 here)
// keeps the force direction and muexy 0.5 halves its longitudinal part.
TEST(FrictionLaw, EachSelectorGivesTheSlidingForceItsDirection) {
  const double mu = 1.05 + (1.0 - std::exp(-1.0 / 3.0)) * (0.85 - 1.05);
  struct Case {
    int sliding;
    double angle, size;
  };
  for (const Case& c : {Case{1, 0.0, 100.0 * mu}, Case{2, std::acos(0.0), 100.0 * mu},
                        Case{3, std::atan(1.0), 100.0 * mu}, Case{4, std::atan(2.0), 50.0 * std::sqrt(0.625)},
                        Case{0, std::atan(1.0), 1000.0 * std::sqrt(2.0)}}) {
    SCOPED_TRACE(testing::Message() << "sliding " << c.sliding);
    DiscreteProperties t;
    t.take(test::discreteTyre(c.sliding, 1));
    DiscretePatch p;
    p.Fz = t.Fzbar;
    GridPoint m;
    m.vsx = 1000.0;
    m.uy = 2.0;
    m.fx = m.fy = 1000.0;
    m.pz = 100.0;
    if (c.sliding >= 4) {
      t.mutab.fill(0.5);
      t.frica0 = 1.0;  // with frica1 0 the load-per-cell factor is 1
      t.frica1 = 0.0;
      p.dx = p.dy = 1.0;
      t.muexy = 0.5;
      frictionAt(t, p, m);
    } else {
      const FrictionChoice choice = frictionAt(t, p, m);
      EXPECT_NEAR(choice.muex, mu, 1e-14);  // a few roundings of values near 1
      EXPECT_EQ(choice.muey, choice.muex);
    }
    EXPECT_NEAR(std::atan2(m.fy, m.fx), c.angle, 1e-13);         // a few roundings of values near 1
    EXPECT_NEAR(std::hypot(m.fx, m.fy), c.size, 1e-13 * c.size);  // the same, relative to the size
  }
}

// A zero pressure, radial stiffness or radius, a load beyond the tyre and
// a camber of 90 degrees: non-numbers come out, but nothing is read or
// written outside the grid (the sanitizer build watches). A point without a
// real gap carries nothing; a released model has no grid and sweeps nothing.
TEST(DiscreteModelEvaluation, DegenerateInputGivesNonNumbersNotFaults) {
  for (std::size_t k : {par::pin, par::cR, par::R}) {
    SCOPED_TRACE(kParameterTable[k].name);
    ParameterSet p = test::discreteTyre(1, 4);
    p[k] = 0.0;
    DiscreteModel m;
    ASSERT_EQ(m.setUp(p), 0);
    testing::internal::CaptureStdout();
    const TyreForces f = evaluate(m, {0.05, 3.0, 2.0, 4000.0, 20000.0});
    testing::internal::GetCapturedStdout();  // the edge search may warn
    EXPECT_FALSE(std::isfinite(f.Fx) && std::isfinite(f.Fy) && f.Fy != 0.0);
  }
  DiscreteModel beyond = modelWith(1, 1);
  EXPECT_TRUE(std::isnan(evaluate(beyond, {0.05, 3.0, 0.0, 2.0 * 310.0 * 250.0 + 1.0, 20000.0}).Fy));
  DiscreteModel geometric = modelWith(1, 4);
  evaluate(geometric, {0.05, 3.0, 0.0, 4000.0, 20000.0});
  DiscretePatch unknownGap = geometric.patch();
  ASSERT_GT(loadAt(unknownGap, 10, 10), 0.0);
  unknownGap.gapAt(10, 10) = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(loadAt(unknownGap, 10, 10), 0.0);
  testing::internal::CaptureStdout();
  evaluate(geometric, {0.05, 3.0, 90.0, 4000.0, 20000.0});
  testing::internal::GetCapturedStdout();
  geometric.release();
  EXPECT_EQ(evaluate(geometric, {0.05, 3.0, 0.0, 4000.0, 20000.0}).Fx, 0.0);
}

// The analytic shapes over the rectangle (u = (x/h)^2, v = (y/b)^2):
// 1 - u^2, (1 + v)(1 - u^4) and (1 + 2v - 3v^4)(1 - u^4), each times its
// scale over ni*nj cells. The scales of shapes 2 and 3 are Fz on a 1 x 1 grid
// and 64/75 Fz and 32/45 Fz on a 2 x 2 grid (their grid sums worked out by
// hand); shape 1 is 3/2 Fz on any grid.
TEST(AnalyticPressure, EachShapeFollowsItsProfileAndGridScale) {
  struct Case {
    int pressure, cells;
    double scale;                     ///< of Fz
    double halfWidth, edge, halfLength;  ///< load at (0, b/2), (0, b), (h/2, 0) over the centre's
  };
  for (const Case& c : {Case{1, 2, 1.5, 1.0, 1.0, 15.0 / 16.0}, Case{2, 1, 1.0, 1.25, 2.0, 255.0 / 256.0},
                        Case{2, 2, 64.0 / 75.0, 1.25, 2.0, 255.0 / 256.0},
                        Case{3, 1, 1.0, 1.0 + 0.5 - 3.0 / 256.0, 0.0, 255.0 / 256.0},
                        Case{3, 2, 32.0 / 45.0, 1.0 + 0.5 - 3.0 / 256.0, 0.0, 255.0 / 256.0}}) {
    SCOPED_TRACE(testing::Message() << "pressure " << c.pressure << " grid " << c.cells);
    ParameterSet p = test::discreteTyre(1, c.pressure);
    p[par::ni] = p[par::nj] = c.cells;
    DiscreteModel m;
    ASSERT_EQ(m.setUp(p), 0);
    evaluate(m, {0.0, 0.0, 0.0, 3000.0, 0.0});
    const double centre = analyticAt(m, 0.0, 0.0);
    const double b = m.patch().b;
    const double h = m.patch().h;
    // A few roundings of loads of some 1000 N and of ratios near 1.
    EXPECT_NEAR(centre, c.scale * 3000.0 / (c.cells * c.cells), 1e-12 * 3000.0);
    EXPECT_NEAR(analyticAt(m, 0.0, 0.5 * b) / centre, c.halfWidth, 1e-14);
    EXPECT_NEAR(analyticAt(m, 0.0, -b) / centre, c.edge, 1e-14);
    EXPECT_NEAR(analyticAt(m, -0.5 * h, 0.0) / centre, c.halfLength, 1e-14);
    EXPECT_EQ(analyticAt(m, h, 0.0), 0.0);
  }
}

// The speed table vslide 10^k (20 ... 2e6 mm/s) with the friction values
// mue1 ... mue6: linear within a segment, the first segment extended below
// the table, the last value from its end on.
TEST(SpeedTableFriction, InterpolatesWithinTheSegmentThatHoldsTheSpeed) {
  ParameterSet p = test::discreteTyre(4, 1);
  const double table[] = {1.1, 1.08, 1.02, 0.95, 0.85, 0.7};
  for (std::size_t k = 0; k < 6; ++k) p[par::mue1xp + k] = table[k];
  DiscreteModel m;
  ASSERT_EQ(m.setUp(p), 0);
  for (const auto& [speed, mu] : {std::pair{20.0, 1.1}, std::pair{110.0, 1.09}, std::pair{200.0, 1.08},
                                  std::pair{1100.0, 1.05}, std::pair{11000.0, 0.985}, std::pair{0.0, 1.1 + 0.02 / 9.0},
                                  std::pair{1.1e6, 0.775}, std::pair{2e6, 0.7}, std::pair{1e9, 0.7}}) {
    SCOPED_TRACE(speed);
    EXPECT_NEAR(speedTableFriction(m.properties(), speed), mu, 1e-14);  // a few roundings of values near 1
  }
  // In full longitudinal sliding every loaded point slides at 0.8 V: the
  // force follows the table value at that speed.
  auto fullSliding = [&m](double speed) { return evaluate(m, {-0.8, 0.0, 0.0, 4000.0, speed}).Fx; };
  EXPECT_NEAR(fullSliding(137.5) / fullSliding(13750.0), 1.09 / 0.985, 1e-12);  // sums of 400 loads
}

// Camber moves the geometric load across a row: the factor 1 - 5 sin(camber)
// eta of the lateral position eta in the row's contact range (-1 to 1), never
// below 0. Taken at the patch centre row of an upright patch, where the range
// is symmetric, against the load without camber.
TEST(ContactGeometry, CamberBiasIsLinearAcrossTheRowAndNeverNegative) {
  DiscreteModel model = modelWith(1, 4);
  evaluate(model, {0.0, 0.0, 0.0, 4000.0, 20000.0});
  const DiscretePatch& m = model.patch();
  const int row = 10, column = 10;  // x = 0, y = 0: in contact
  const double top = m.ymax[row];
  ASSERT_GT(top, 0.0);
  ASSERT_NEAR(m.ymin[row], -top, kMirrorTolerance);
  struct Case {
    double sine, eta, factor;
  };
  for (const Case& c : {Case{0.1, 0.5, 0.75}, Case{0.1, -0.5, 1.25}, Case{-0.1, 0.5, 1.25}, Case{0.4, 0.5, 0.0},
                        Case{0.4, 0.75, 0.0}, Case{0.4, -0.25, 1.5}}) {
    SCOPED_TRACE(testing::Message() << "sine " << c.sine << " eta " << c.eta);
    const double y = c.eta * top;
    const double upright = geometricLoad(m, 0.0, y, row, column, 0.0);
    ASSERT_GT(upright, 0.0);
    // The symmetric range holds within kMirrorTolerance, times 5 sin.
    EXPECT_NEAR(geometricLoad(m, 0.0, y, row, column, c.sine) / upright, c.factor, 1e-9);
  }
}

}  // namespace
}  // namespace grip
