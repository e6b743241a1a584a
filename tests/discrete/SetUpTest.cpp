// Set-up, refresh and release of the discrete model's record.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "DiscreteTyre.h"
#include "discrete/DiscreteModel.h"

namespace grip {
namespace {

using test::discreteTyre;

TEST(DiscreteModelSetUp, TruncatesWholeNumbersAndTakesFrictionValuesAsMagnitudes) {
  ParameterSet p = discreteTyre();
  p[par::ni] = 20.9;
  p[par::nj] = 4.99;
  p[par::ny] = -3.5;
  p[par::sliding] = 1e12;
  p[par::pressure] = -0.7;
  p[par::draw3d] = 1.9;
  p[par::mue0] = -1.05;
  p[par::cmuexp] = -0.5;
  p[par::cmueyn] = -2.0;
  p[par::soff] = -2e-6;
  p[par::MzScaleN] = -0.8;
  DiscreteModel m;
  ASSERT_EQ(m.setUp(p), 0);
  EXPECT_EQ(m.ni, 20);
  EXPECT_EQ(m.nj, 4);
  EXPECT_EQ(m.ny, -3);
  EXPECT_EQ(m.sliding, INT_MAX);
  EXPECT_EQ(m.pressure, 0);
  EXPECT_EQ(m.draw3d, 1);
  EXPECT_EQ(m.mue0, 1.05);
  EXPECT_EQ(m.cmuexp, 0.5);
  EXPECT_EQ(m.mutab[1], 0.5);
  EXPECT_EQ(m.cmueyn, 2.0);
  EXPECT_EQ(m.frica1, 2.0);
  EXPECT_EQ(m.soff, -2e-6);
  EXPECT_EQ(m.MzScaleN, -0.8);
}

TEST(DiscreteModelSetUp, AllocatesZeroFilledGridAndADecadeSpeedTable) {
  ParameterSet p = discreteTyre();
  p[par::ni] = 10.0;
  p[par::nj] = 4.0;
  p[par::vslide] = -10.0;
  DiscreteModel m;
  ASSERT_EQ(m.setUp(p), 0);
  EXPECT_EQ(m.ymax.size(), 11u);
  EXPECT_EQ(m.ymin.size(), 11u);
  EXPECT_EQ(m.xhalf.size(), 5u);
  ASSERT_EQ(m.gap.size(), 55u);
  EXPECT_TRUE(std::all_of(m.gap.begin(), m.gap.end(), [](double g) { return g == 0.0; }));
  EXPECT_EQ(m.ntab, 6);
  const std::array<double, 6> speeds = {-1e1, -1e2, -1e3, -1e4, -1e5, -1e6};
  EXPECT_EQ(m.vtab, speeds);
}

TEST(DiscreteModelSetUp, RejectsGridCountsBelowOneNamingThem) {
  ParameterSet p = discreteTyre();
  p[par::ni] = -3.0;
  p[par::nj] = 0.7;
  DiscreteModel m;
  testing::internal::CaptureStdout();
  EXPECT_EQ(m.setUp(p), kGridCountBelowOne);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " grid count ni = -3 (parameter value -3) of the discrete model should be 1 or more\n"
            " grid count nj = 0 (parameter value 0.7) of the discrete model should be 1 or more\n");
  EXPECT_EQ(m.gridRows(), 0);
}

// Beyond the memory of any machine (and beyond int indices): refused before
// anything is allocated, with sizes worked out without overflow.
TEST(DiscreteModelSetUp, RefusesAGridTooLargeToAllocate) {
  for (auto [ni, nj] : {std::pair{3e9, 20.0}, std::pair{2147483646.0, 2147483646.0}, std::pair{1e6, 1e7}}) {
    ParameterSet p = discreteTyre();
    p[par::ni] = ni;
    p[par::nj] = nj;
    DiscreteModel m;
    testing::internal::CaptureStdout();
    EXPECT_EQ(m.setUp(p), kNoSpaceForGrid);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " No space for allocate left \n");
    EXPECT_TRUE(m.ymax.empty() && m.gap.empty());
  }
}

TEST(DiscreteModelSetUp, RepeatedSetUpReplacesTheGrid) {
  DiscreteModel m;
  ParameterSet p = discreteTyre();
  ASSERT_EQ(m.setUp(p), 0);
  p[par::ni] = 6.0;
  p[par::nj] = 3.0;
  ASSERT_EQ(m.setUp(p), 0);
  EXPECT_EQ(m.ymax.size(), 7u);
  EXPECT_EQ(m.gap.size(), 28u);
  EXPECT_EQ(m.gridColumns(), 4);
}

TEST(DiscreteModelRefresh, TakesNewValuesAllocatesNothingAndKeepsTheTraceFlag) {
  DiscreteModel m;
  ParameterSet p = discreteTyre();
  ASSERT_EQ(m.setUp(p), 0);
  const double* gapData = m.gap.data();
  p[par::cx0] = 0.07;
  p[par::mue1xp] = -0.95;
  p[par::vslide] = 5.0;
  p[par::draw3d] = 1.0;
  EXPECT_EQ(m.refresh(p), 0);
  EXPECT_EQ(m.cx0, 0.07);
  EXPECT_EQ(m.mutab[0], 0.95);
  EXPECT_EQ(m.vtab[5], 5e5);
  EXPECT_EQ(m.draw3d, 0);
  EXPECT_EQ(m.gap.data(), gapData);
}

// The fit may refresh the grid counts: finer counts are held at the grid
// that was allocated, coarser ones are swept as given.
TEST(DiscreteModelRefresh, KeepsTheGridCountsWithinTheAllocatedGrid) {
  DiscreteModel m;
  ParameterSet p = discreteTyre();
  p[par::pressure] = 4.0;
  ASSERT_EQ(m.setUp(p), 0);
  p[par::ni] = 10.0;
  p[par::nj] = 1e9;
  m.refresh(p);
  EXPECT_EQ(m.ni, 10);
  EXPECT_EQ(m.nj, 20);
  const std::string trace = test::traceOf(m, {0.05, 3.0, 2.0, 4000.0, 20000.0});
  EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 21 * 12);
  // Counts written past the grid directly are still swept within it.
  m.ni = 1000;
  const std::string wide = test::traceOf(m, {0.05, 3.0, 2.0, 4000.0, 20000.0});
  EXPECT_EQ(std::count(wide.begin(), wide.end(), '\n'), 21 * 22);
}

TEST(DiscreteModelRelease, FreesTheGridAndLeavesTheStreamToItsOwner) {
  DiscreteModel m;
  ASSERT_EQ(m.setUp(discreteTyre()), 0);
  TextFile stream(std::tmpfile());
  ASSERT_TRUE(stream);
  m.setTrace(1, stream.get());
  m.release();
  EXPECT_EQ(m.traceFile, nullptr);
  EXPECT_TRUE(m.gap.empty() && m.ymax.empty() && m.ymin.empty() && m.xhalf.empty());
  EXPECT_GE(std::fputs("still open\n", stream.get()), 0);
  // Without a grid an evaluation sweeps nothing.
  const TyreForces f = test::evaluate(m, {0.05, 3.0, 0.0, 4000.0, 20000.0});
  EXPECT_EQ(f.Fx, 0.0);
}

}  // namespace
}  // namespace grip
