// Contact patch from the crown geometry (pressure selector 4).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "DiscreteTyre.h"
#include "discrete/DiscreteModel.h"

namespace grip {
namespace {

/// The test tyre with the geometric pressure, evaluated once at the operating point.
DiscreteModel geometricAt(const OperatingPoint& point, int ny = 6) {
  ParameterSet p = test::discreteTyre();
  p[par::pressure] = 4.0;
  p[par::ny] = ny;
  DiscreteModel m;
  EXPECT_EQ(m.setUp(p), 0);
  test::evaluate(m, point);
  return m;
}

// Mirrored grid positions b - j dy and b - (nj - j) dy are exact negatives
// only within roundings: gaps and half lengths of some 100 mm then differ by
// some 1e-13 mm (loads of some 100 N by as little); 1e-9 leaves room.
constexpr double kMirrorTolerance = 1e-9;

TEST(ContactGeometry, IsMirrorSymmetricWithoutCamberAndAnEvenExponent) {
  const DiscreteModel m = geometricAt({0.0, 2.0, 0.0, 4000.0, 20000.0});
  for (int j = 0; j <= m.nj; ++j) {
    EXPECT_NEAR(m.xhalf[static_cast<std::size_t>(j)], m.xhalf[static_cast<std::size_t>(m.nj - j)], kMirrorTolerance)
        << "column " << j;
    for (int i = 0; i <= m.ni; ++i) {
      EXPECT_NEAR(m.gapAt(i, j), m.gapAt(i, m.nj - j), kMirrorTolerance) << "point " << i << ", " << j;
      EXPECT_NEAR(m.gapAt(i, j), m.gapAt(m.ni - i, j), kMirrorTolerance) << "point " << i << ", " << j;
    }
  }
  for (int i = 0; i <= m.ni; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (m.ymax[at] >= m.ymin[at]) {
      EXPECT_NEAR(m.ymax[at], -m.ymin[at], kMirrorTolerance) << "row " << i;
    }
  }
}

// Upright: the edge is where the crown radius R (1 - (y/Ry)^6)^(1/2) equals
// the loaded radius 310 - 4000/250 = 294.
TEST(ContactGeometry, HalfWidthAndLengthAreWhereTheCrownMeetsTheRoad) {
  const DiscreteModel m = geometricAt({0.0, 0.0, 0.0, 4000.0, 20000.0});
  const double edge = 110.0 * std::pow(1.0 - (294.0 / 310.0) * (294.0 / 310.0), 1.0 / 6.0);
  EXPECT_NEAR(m.b, edge, 1e-3);  // the edge search stops at a step below 0.001 mm
  // The longest column, the centre one, is the chord of the loaded radius.
  EXPECT_EQ(m.h, *std::max_element(m.xhalf.begin(), m.xhalf.end()));
  EXPECT_NEAR(m.h, std::sqrt(310.0 * 310.0 - 294.0 * 294.0), 1e-9);  // roundings of numbers near 1e5
}

TEST(ContactGeometry, PressureOfAllPointsInContactSumsToTheLoad) {
  for (double camber : {0.0, 3.0, -6.0})
    for (double load : {1500.0, 4000.0, 7000.0}) {
      const DiscreteModel m = geometricAt({0.02, 3.0, camber, load, 20000.0});
      // The sum of some 300 positive loads: roundings of 1e-16 each.
      EXPECT_NEAR(test::geometricLoadSum(m), load, 1e-12 * load) << "camber " << camber << " load " << load;
    }
}

/// Load of each lateral column of the last evaluation.
std::vector<double> columnLoads(const DiscreteModel& m) {
  std::vector<double> loads;
  for (int j = 0; j <= m.nj; ++j) {
    double load = 0.0;
    for (int i = 0; i <= m.ni; ++i) load += geometricPressure(m.h - i * m.dx, m.b - j * m.dy, i, j, m);
    loads.push_back(load);
  }
  return loads;
}

// A camber of the other sign mirrors the patch; a positive camber puts most
// of the load on the side of negative y.
TEST(ContactGeometry, CamberShiftsTheLoadToOneSide) {
  const std::vector<double> positive = columnLoads(geometricAt({0.0, 0.0, 3.0, 4000.0, 20000.0}));
  const std::vector<double> negative = columnLoads(geometricAt({0.0, 0.0, -3.0, 4000.0, 20000.0}));
  ASSERT_EQ(positive.size(), 21u);
  for (std::size_t j = 0; j <= 20; ++j)
    EXPECT_NEAR(positive[j], negative[20 - j], kMirrorTolerance) << "column " << j;
  double upper = 0.0;  // columns 0 to 9, y > 0
  double lower = 0.0;  // columns 11 to 20, y < 0
  for (std::size_t j = 0; j < 10; ++j) {
    upper += positive[j];
    lower += positive[20 - j];
  }
  EXPECT_GT(lower, 1.5 * upper);
}

}  // namespace
}  // namespace grip
