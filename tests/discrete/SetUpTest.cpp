// Set-up, refresh and release of the discrete model's record.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "DiscreteTyre.h"
#include "discrete/DiscreteModel.h"

namespace grip {
namespace {

using test::discreteTyre;

struct WholeNumberCase {
  double value;  ///< as written in the parameter file
  int held;      ///< as the model holds it
};

class WholeNumberParameters : public ::testing::TestWithParam<WholeNumberCase> {};

TEST_P(WholeNumberParameters, AreTruncatedTowardZero) {
  const WholeNumberCase c = GetParam();
  for (std::size_t k : {par::ny, par::sliding, par::pressure, par::draw3d}) {
    ParameterSet p = discreteTyre();
    p[k] = c.value;
    DiscreteModel model;
    ASSERT_EQ(model.setUp(p), 0);
    const int held[] = {model.ny, model.sliding, model.pressure, model.draw3d};
    EXPECT_EQ(held[k - par::ny], c.held) << "parameter " << kParameterTable[k].name;
  }
}

INSTANTIATE_TEST_SUITE_P(DiscreteModel, WholeNumberParameters,
                         ::testing::Values(WholeNumberCase{20.9, 20}, WholeNumberCase{-0.7, 0},
                                           WholeNumberCase{1.9, 1}, WholeNumberCase{2.0, 2},
                                           WholeNumberCase{-3.5, -3}, WholeNumberCase{1e12, INT_MAX}));

TEST(DiscreteModelSetUp, TruncatesTheGridCounts) {
  ParameterSet p = discreteTyre();
  p[par::ni] = 20.9;
  p[par::nj] = 4.99;
  DiscreteModel model;
  ASSERT_EQ(model.setUp(p), 0);
  EXPECT_EQ(model.ni, 20);
  EXPECT_EQ(model.nj, 4);
}

TEST(DiscreteModelSetUp, AllocatesZeroFilledGridOfTheGridCounts) {
  ParameterSet p = discreteTyre();
  p[par::ni] = 10.0;
  p[par::nj] = 4.0;
  DiscreteModel model;
  ASSERT_EQ(model.setUp(p), 0);
  EXPECT_EQ(model.ymax.size(), 11u);
  EXPECT_EQ(model.ymin.size(), 11u);
  EXPECT_EQ(model.xhalf.size(), 5u);
  EXPECT_EQ(model.gridRows(), 11);
  EXPECT_EQ(model.gridColumns(), 5);
  ASSERT_EQ(model.gap.size(), 55u);
  for (double g : model.gap) EXPECT_EQ(g, 0.0);
  EXPECT_EQ(model.ntab, 6);
}

TEST(DiscreteModelSetUp, HoldsFrictionValuesAsMagnitudesAndOthersWithTheirSign) {
  ParameterSet p = discreteTyre();
  p[par::mue0] = -1.05;
  p[par::cmuexp] = -0.5;
  p[par::cmueyn] = -2.0;
  p[par::soff] = -2e-6;
  p[par::MzScaleN] = -0.8;
  p[par::vslide] = -10.0;
  DiscreteModel model;
  ASSERT_EQ(model.setUp(p), 0);
  EXPECT_EQ(model.mue0, 1.05);
  EXPECT_EQ(model.cmuexp, 0.5);
  EXPECT_EQ(model.mutab[1], 0.5);
  EXPECT_EQ(model.cmueyn, 2.0);
  EXPECT_EQ(model.frica1, 2.0);
  EXPECT_EQ(model.soff, -2e-6);
  EXPECT_EQ(model.MzScaleN, -0.8);
  EXPECT_EQ(model.vslide, -10.0);
}

TEST(DiscreteModelSetUp, BuildsADecadeSpeedTableFromVslide) {
  for (double vslide : {10.0, -10.0}) {
    ParameterSet p = discreteTyre();
    p[par::vslide] = vslide;
    for (std::size_t k = 0; k < 8; ++k) p[par::mue1xp + k] = 0.1 * static_cast<double>(k + 1);
    DiscreteModel model;
    ASSERT_EQ(model.setUp(p), 0);
    const double speeds[] = {1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    for (std::size_t k = 0; k < 6; ++k) {
      EXPECT_EQ(model.vtab[k], std::copysign(speeds[k], vslide)) << "entry " << k;
      EXPECT_EQ(model.mutab[k], p[par::mue1xp + k]) << "entry " << k;
    }
    EXPECT_EQ(model.frica0, p[par::mue1yn]);
    EXPECT_EQ(model.frica1, p[par::cmueyn]);
  }
}

struct GridCountCase {
  double ni;
  double nj;
  const char* message;  ///< what the user is told
};

class GridCountsBelowOne : public ::testing::TestWithParam<GridCountCase> {};

TEST_P(GridCountsBelowOne, AreRejectedWithTheirNameAndValue) {
  const GridCountCase c = GetParam();
  ParameterSet p = discreteTyre();
  p[par::ni] = c.ni;
  p[par::nj] = c.nj;
  DiscreteModel model;
  testing::internal::CaptureStdout();
  const int code = model.setUp(p);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
  EXPECT_EQ(code, kGridCountBelowOne);
  EXPECT_EQ(model.gridRows(), 0);
  EXPECT_TRUE(model.gap.empty());
}

INSTANTIATE_TEST_SUITE_P(
    DiscreteModel, GridCountsBelowOne,
    ::testing::Values(
        GridCountCase{0.0, 20.0, " grid count ni = 0 (parameter value 0) of the discrete model should be 1 or more\n"},
        GridCountCase{20.0, 0.7,
                      " grid count nj = 0 (parameter value 0.7) of the discrete model should be 1 or more\n"},
        GridCountCase{-3.0, -1.0,
                      " grid count ni = -3 (parameter value -3) of the discrete model should be 1 or more\n"
                      " grid count nj = -1 (parameter value -1) of the discrete model should be 1 or more\n"}));

// Grids beyond the memory of any machine (and beyond int indices) are refused
// before anything is allocated; the sizes are worked out without overflow.
TEST(DiscreteModelSetUp, RefusesAGridTooLargeToAllocate) {
  for (auto [ni, nj] : {std::pair{3e9, 20.0}, std::pair{2147483646.0, 2147483646.0}, std::pair{1e6, 1e7}}) {
    ParameterSet p = discreteTyre();
    p[par::ni] = ni;
    p[par::nj] = nj;
    DiscreteModel model;
    testing::internal::CaptureStdout();
    const int code = model.setUp(p);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " No space for allocate left \n");
    EXPECT_EQ(code, kNoSpaceForGrid);
    EXPECT_EQ(model.gridRows(), 0);
    EXPECT_TRUE(model.ymax.empty());
  }
}

TEST(DiscreteModelSetUp, RepeatedSetUpReplacesTheGrid) {
  DiscreteModel model;
  ParameterSet p = discreteTyre();
  ASSERT_EQ(model.setUp(p), 0);
  p[par::ni] = 6.0;
  p[par::nj] = 3.0;
  ASSERT_EQ(model.setUp(p), 0);
  EXPECT_EQ(model.ymax.size(), 7u);
  EXPECT_EQ(model.xhalf.size(), 4u);
  EXPECT_EQ(model.gap.size(), 28u);
  EXPECT_EQ(model.gridRows(), 7);
  EXPECT_EQ(model.gridColumns(), 4);
}

TEST(DiscreteModelSetUp, FailedSetUpLeavesNoGridToSweep) {
  DiscreteModel model;
  ParameterSet p = discreteTyre();
  ASSERT_EQ(model.setUp(p), 0);
  p[par::ni] = 0.0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(model.setUp(p), kGridCountBelowOne);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(model.gridRows(), 0);
  TyreForces f = test::evaluate(model, {0.1, 5.0, 0.0, 4000.0, 20000.0});
  EXPECT_EQ(f.Fx, 0.0);
  EXPECT_EQ(f.Fy, 0.0);
}

TEST(DiscreteModelRefresh, TakesNewValuesAllocatesNothingAndKeepsTheTraceFlag) {
  DiscreteModel model;
  ParameterSet p = discreteTyre();
  p[par::draw3d] = 1.0;
  ASSERT_EQ(model.setUp(p), 0);
  model.setTrace(0, nullptr);
  const double* gapData = model.gap.data();
  const double* ymaxData = model.ymax.data();

  p[par::cx0] = 0.07;
  p[par::mue1xp] = -0.95;
  p[par::vslide] = 5.0;
  p[par::sliding] = 4.0;
  p[par::draw3d] = 1.0;
  EXPECT_EQ(model.refresh(p), 0);
  EXPECT_EQ(model.cx0, 0.07);
  EXPECT_EQ(model.mue1xp, 0.95);
  EXPECT_EQ(model.mutab[0], 0.95);
  EXPECT_EQ(model.vtab[5], 5e5);
  EXPECT_EQ(model.sliding, 4);
  EXPECT_EQ(model.draw3d, 0);
  EXPECT_EQ(model.ntab, 6);
  EXPECT_EQ(model.gap.data(), gapData);
  EXPECT_EQ(model.ymax.data(), ymaxData);
}

// The fit may refresh the grid counts; a finer grid than the one allocated
// is held at the allocated size, a coarser one is swept as given.
TEST(DiscreteModelRefresh, KeepsTheGridCountsWithinTheAllocatedGrid) {
  DiscreteModel model;
  ParameterSet p = discreteTyre();
  ASSERT_EQ(model.setUp(p), 0);
  p[par::ni] = 40.0;
  p[par::nj] = 1e9;
  model.refresh(p);
  EXPECT_EQ(model.ni, 20);
  EXPECT_EQ(model.nj, 20);
  p[par::pressure] = 4.0;
  p[par::ni] = 10.0;
  p[par::nj] = 30.0;
  model.refresh(p);
  EXPECT_EQ(model.ni, 10);
  EXPECT_EQ(model.nj, 20);
  const std::string trace = test::traceOf(model, {0.05, 3.0, 2.0, 4000.0, 20000.0});
  EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 21 * 12);
}

// A field written directly past the grid is still swept within the grid.
TEST(DiscreteModelEvaluation, NeverSweepsBeyondTheAllocatedGrid) {
  DiscreteModel model;
  ParameterSet p = discreteTyre();
  p[par::pressure] = 4.0;
  ASSERT_EQ(model.setUp(p), 0);
  model.ni = 1000;
  model.nj = 1000;
  const std::string trace = test::traceOf(model, {0.05, 3.0, 2.0, 4000.0, 20000.0});
  EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 21 * 22);
}

TEST(DiscreteModelRelease, FreesTheGridAndLeavesTheStreamToItsOwner) {
  DiscreteModel model;
  ASSERT_EQ(model.setUp(discreteTyre()), 0);
  TextFile stream(std::tmpfile());
  ASSERT_TRUE(stream);
  model.setTrace(1, stream.get());
  test::evaluate(model, {0.05, 3.0, 0.0, 4000.0, 20000.0});
  model.release();
  EXPECT_EQ(model.traceFile, nullptr);
  EXPECT_EQ(model.gridRows(), 0);
  EXPECT_TRUE(model.gap.empty() && model.ymax.empty() && model.ymin.empty() && model.xhalf.empty());
  // The stream was flushed, not closed: it is still usable by its owner.
  EXPECT_GT(std::ftell(stream.get()), 0);
  EXPECT_EQ(std::fputs("end\n", stream.get()), 1);
}

}  // namespace
}  // namespace grip
