// The vector kernels of the sweep against the point-by-point laws. With the
// trace on, the model takes the point-by-point path for the rows and the
// points; without it, the vector kernels. Both must give the same forces and
// the same record of the last point to the bit, on every instruction set
// the kernels are compiled for that this CPU runs.

#include <gtest/gtest.h>
#include <hwy/highway.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "DiscreteTyre.h"
#include "core/Console.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepKernels.h"
#include "discrete/SweepScratch.h"

namespace grip {
namespace {

/// Equal bits, or both not a number (whose payload no law promises).
::testing::AssertionResult sameBits(const char* what, const char* /*pointwiseText*/, double kernel,
                                    double pointwise) {
  if (std::bit_cast<std::uint64_t>(kernel) == std::bit_cast<std::uint64_t>(pointwise) ||
      (std::isnan(kernel) && std::isnan(pointwise)))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << what << ": kernel " << kernel << ", point by point " << pointwise
                                       << " (they differ by " << kernel - pointwise << ")";
}

/// Operating points across every regime: adhesion, partial and full
/// sliding, both signs of slip, slip angle, camber and speed, zero slip,
/// standstill, light and heavy loads and a load too small to carry.
std::vector<OperatingPoint> operatingPoints() {
  std::vector<OperatingPoint> points;
  for (double slip : {0.0, 0.004, -0.25})
    for (double angle : {0.0, -0.7, 14.0})
      for (double camber : {0.0, 3.5, -6.0})
        for (double load : {1e-12, 800.0, 9000.0})
          for (double speed : {20000.0, -15000.0, 0.0}) points.push_back({slip, angle, camber, load, speed});
  return points;
}

struct Grid {
  int cells = 0;    // ni
  int columns = 0;  // nj
};

class SweepKernelTest : public ::testing::TestWithParam<std::int64_t> {
 protected:
  void SetUp() override { hwy::SetSupportedTargetsForTest(GetParam()); }
  void TearDown() override { hwy::SetSupportedTargetsForTest(0); }
};

TEST_P(SweepKernelTest, ForcesAndRecordEqualThePointByPointLawsToTheBit) {
  // Grids whose rows fill no vector, fill some and leave a rest, and whose
  // columns leave a rest of the four-column passes.
  const std::vector<Grid> grids{{1, 1}, {2, 5}, {6, 9}, {13, 4}};
  const std::vector<OperatingPoint> points = operatingPoints();
  ScopedMessageSink quiet([](std::string_view) {});  // edge warnings of extreme camber
  for (int pressure : {0, 1, 2, 3, 4, 5})
    for (int sliding : {0, 1, 2, 3, 4})
      for (const Grid& grid : grids) {
        ParameterSet p = test::discreteTyre(sliding, pressure);
        p[par::ni] = grid.cells;
        p[par::nj] = grid.columns;
        p[par::mueFz] = 2e-5;  // a friction load factor other than 1
        p[par::mue1xn] = 0.8;  // unequal pairs: the sign of the sliding speed chooses
        p[par::cmueyp] = 4000.0;
        DiscreteModel kernel, pointwise;
        ASSERT_EQ(kernel.setUp(p), 0);
        ASSERT_EQ(pointwise.setUp(p), 0);
        pointwise.setTrace(1, nullptr);  // trace on, no stream: the point-by-point path
        for (const OperatingPoint& point : points) {
          TyreForces a, b;
          kernel.evaluate(point, a);
          pointwise.evaluate(point, b);
          SCOPED_TRACE("pressure " + std::to_string(pressure) + ", sliding " + std::to_string(sliding) + ", grid " +
                       std::to_string(grid.cells) + " x " + std::to_string(grid.columns) + ", slip " +
                       std::to_string(point.longitudinalSlip) + ", angle " + std::to_string(point.slipAngle) +
                       ", camber " + std::to_string(point.camber) + ", load " + std::to_string(point.verticalLoad) +
                       ", speed " + std::to_string(point.speed));
          ASSERT_PRED_FORMAT2(sameBits, a.Fx, b.Fx);
          ASSERT_PRED_FORMAT2(sameBits, a.Fy, b.Fy);
          ASSERT_PRED_FORMAT2(sameBits, a.Mz, b.Mz);
          const DiscreteTrace& k = kernel.trace();
          const DiscreteTrace& q = pointwise.trace();
          for (auto field : {&GridPoint::ux, &GridPoint::uy, &GridPoint::vsx, &GridPoint::vsy, &GridPoint::fx,
                             &GridPoint::fy, &GridPoint::pz})
            ASSERT_PRED_FORMAT2(sameBits, k.last.*field, q.last.*field);
          for (auto field : {&FrictionChoice::muex, &FrictionChoice::muey})
            ASSERT_PRED_FORMAT2(sameBits, k.lastFriction.*field, q.lastFriction.*field);
          for (auto field : {&DiscretePatch::h, &DiscretePatch::b, &DiscretePatch::psum})
            ASSERT_PRED_FORMAT2(sameBits, kernel.patch().*field, pointwise.patch().*field);
        }
      }
}

// The weights of the geometric pressure, which the kernels work out with
// reciprocals of the column half lengths and row widths, against
// geometricWeight point by point: a weight is 0 exactly where
// geometricWeight gives 0 (the trace and the contact area count the loaded
// points), the edge rows x = +-h, where x/L may be exactly 1, are equal to
// the bit, and the rest agree to a few units in the last place.
TEST_P(SweepKernelTest, GeometricWeightsAreThoseOfThePointByPointLaw) {
  // Tolerance: a product by a reciprocal instead of a quotient, twice,
  // moves a weight of order 1 by a few 1e-16; 1e-13 fails on any formula
  // that differs.
  constexpr double kRelative = 1e-13;
  ScopedMessageSink quiet([](std::string_view) {});  // edge warnings of extreme camber
  for (const Grid& grid : {Grid{6, 9}, Grid{13, 4}, Grid{20, 20}})
    for (double camber : {0.0, 3.0, -7.5, 60.0, 120.0})
      for (double load : {900.0, 4100.0, 9000.0}) {
        ParameterSet p = test::discreteTyre(1, 4);
        p[par::ni] = grid.cells;
        p[par::nj] = grid.columns;
        DiscreteModel m;
        ASSERT_EQ(m.setUp(p), 0);
        TyreForces forces;
        m.evaluate({0.05, 2.0, camber, load, 20000.0}, forces);
        SCOPED_TRACE(testing::Message() << "grid " << grid.cells << " x " << grid.columns << ", camber " << camber
                                        << ", load " << load);
        const SweepScratch& s = m.sweepScratch();
        const DiscretePatch& patch = m.patch();
        const double sinCamber = std::sin(patch.camberRad);
        const auto stride = static_cast<std::size_t>(m.gridRows());
        for (int j = 0; j <= patch.lastColumn; ++j)
          for (int i = 0; i <= patch.lastRow; ++i) {
            const double kernel = s.weight[static_cast<std::size_t>(j) * stride + static_cast<std::size_t>(i)];
            double pointwise = 0.0;
            const bool loaded =
                geometricWeight(patch, patch.h - i * patch.dx, patch.b - j * patch.dy, i, j, sinCamber, pointwise);
            SCOPED_TRACE(testing::Message() << "point " << i << ", " << j);
            if (!loaded || pointwise == 0.0 || i == 0 || i == patch.lastRow) {
              ASSERT_PRED_FORMAT2(sameBits, kernel, pointwise);
            } else {
              ASSERT_NEAR(kernel, pointwise, kRelative * std::fabs(pointwise));
            }
          }
      }
}

// Only columns with a half length above 0 count in the sum of the weights:
// a column whose half length is no number keeps weights of its own, but
// the sum is the one without it, as for a column that does not reach the
// road.
TEST_P(SweepKernelTest, ColumnsWithoutAHalfLengthCountForNoLoad) {
  ParameterSet p = test::discreteTyre(1, 4);
  p[par::ni] = 6;
  p[par::nj] = 9;
  DiscreteModel m;
  ASSERT_EQ(m.setUp(p), 0);
  TyreForces forces;
  m.evaluate({0.05, 2.0, 3.0, 4000.0, 20000.0}, forces);
  SweepScratch scratch = m.sweepScratch();
  DiscretePatch patch = m.patch();
  const double sinCamber = std::sin(patch.camberRad);
  ASSERT_GT(patch.xhalf[3], 0.0);
  patch.xhalf[3] = 0.0;
  const double withoutColumn = geometricWeights(patch, scratch, sinCamber);
  patch.xhalf[3] = std::numeric_limits<double>::quiet_NaN();
  const double noNumber = geometricWeights(patch, scratch, sinCamber);
  EXPECT_TRUE(std::isfinite(withoutColumn));
  EXPECT_PRED_FORMAT2(sameBits, noNumber, withoutColumn);
}

INSTANTIATE_TEST_SUITE_P(InstructionSets, SweepKernelTest, ::testing::ValuesIn(hwy::SupportedAndGeneratedTargets()),
                         [](const auto& info) { return std::string(hwy::TargetName(info.param)); });

}  // namespace
}  // namespace grip
