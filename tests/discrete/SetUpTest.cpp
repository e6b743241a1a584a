// Set-up faults and refresh of the discrete model, and gripsim refusing a grid.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "DiscreteTyre.h"
#include "Gripsim.h"
#include "TempDir.h"

namespace grip {
namespace {

// Counts below 1 are named; grids beyond the memory of any machine (and
// beyond int indices) are refused before anything is allocated, with sizes
// worked out without overflow; grids that would fit but exceed a million
// points are refused by their own code, a million exactly is accepted.
TEST(DiscreteModelSetUp, RefusesGridsItCannotSweepOrAllocateWithTheirCodes) {
  struct Case {
    double ni, nj;
    int code;
    const char* output;
  };
  const char* const noSpace = " No space for allocate left \n";
  for (const Case& c : {Case{-3.0, 0.7, kGridCountBelowOne,
                             " grid count ni = -3 (parameter value -3) of the discrete model should be 1 or more\n"
                             " grid count nj = 0 (parameter value 0.7) of the discrete model should be 1 or more\n"},
                        Case{3e9, 20.0, kNoSpaceForGrid, noSpace}, Case{1e6, 1e7, kNoSpaceForGrid, noSpace},
                        Case{2147483646.0, 2147483646.0, kNoSpaceForGrid, noSpace},
                        Case{1000.0, 999.0, kGridTooLarge,
                             " grid ni = 1000, nj = 999 of the discrete model has 1001000 points, more than the limit"
                             " of 1000000\n"},
                        Case{10000.0, 10000.0, kGridTooLarge,
                             " grid ni = 10000, nj = 10000 of the discrete model has 100020001 points, more than the"
                             " limit of 1000000\n"},
                        Case{999.0, 999.0, kDiscreteReady, ""}}) {
    SCOPED_TRACE(testing::Message() << "ni " << c.ni << " nj " << c.nj);
    ParameterSet p = test::discreteTyre();
    p[par::ni] = c.ni;
    p[par::nj] = c.nj;
    DiscreteModel m;
    testing::internal::CaptureStdout();
    EXPECT_EQ(m.setUp(p), c.code);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
    if (c.code == kDiscreteReady) {
      EXPECT_EQ(m.gridRows() * m.gridColumns(), 1000000);
    } else {
      EXPECT_TRUE(m.gridRows() == 0 && m.patch().ymax.empty() && m.patch().gap.empty() && m.trace().x.empty());
    }
  }
}

std::ptrdiff_t lineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// The fit refreshes the parameters between evaluations: new values are
// taken, nothing is allocated (the grid and the trace keep their arrays),
// the trace flag stays as attached, and finer grid counts are held at the
// grid that was allocated.
TEST(DiscreteModelRefresh, TakesNewValuesWithinTheAllocatedGridAndKeepsTheTraceFlag) {
  DiscreteModel m;
  ParameterSet p = test::discreteTyre(1, 4);
  ASSERT_EQ(m.setUp(p), 0);
  const double* gapData = m.patch().gap.data();
  const double* traceData = m.trace().fy.data();
  p[par::cx0] = 0.07;
  p[par::vslide] = 5.0;
  p[par::draw3d] = 1.0;
  p[par::ni] = 10.0;
  p[par::nj] = 1e9;
  EXPECT_EQ(m.refresh(p), 0);
  EXPECT_EQ(m.properties().cx0, 0.07);
  EXPECT_EQ(m.properties().vtab[5], 5e5);
  EXPECT_EQ(m.traceFlag(), 0);
  EXPECT_EQ(m.patch().gap.data(), gapData);
  EXPECT_EQ(m.trace().fy.data(), traceData);
  EXPECT_EQ(m.properties().ni, 10);
  EXPECT_EQ(m.properties().nj, 20);
  const OperatingPoint point{0.05, 3.0, 2.0, 4000.0, 20000.0};
  EXPECT_EQ(lineCount(test::traceOf(m, point)), 21 * 12);  // 21 blocks of 11 points and a closing line
}

// Under the speed-table law (sliding truncated to 4 or more) the sliding
// friction pairs are written under their table names; other parameters and
// the direction laws keep the table name.
TEST(DiscreteModelRules, ParameterNamesFollowTheFrictionLaw) {
  struct Case {
    double sliding;
    std::size_t parameter;
    const char* name;
  };
  const DiscreteModel m;
  for (const Case& c : {Case{1.0, par::mue1xp, "mue1xp"}, Case{3.99, par::cmueyn, "cmueyn"},
                        Case{4.0, par::mue1xp, "mue1"}, Case{4.5, par::mue1yn, "frica0"},
                        Case{7.0, par::cmueyn, "frica1"}, Case{4.0, par::cx0, "cx0"},
                        Case{4.0, par::sliding, "sliding"}, Case{-5.0, par::cmuexp, "cmuexp"}}) {
    SCOPED_TRACE(testing::Message() << "sliding " << c.sliding << " parameter " << c.parameter);
    ParameterSet p = test::discreteTyre();
    p[par::sliding] = c.sliding;
    EXPECT_STREQ(m.parameterName(c.parameter, p), c.name);
  }
}

// The grid is allocated for ni and nj at set-up: those two, and only those,
// are fixed for a fit.
TEST(DiscreteModelRules, OnlyTheGridCountsAreFixedAtSetUp) {
  const DiscreteModel m;
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter) {
    EXPECT_EQ(m.fixedAtSetUp(parameter), parameter == par::ni || parameter == par::nj) << parameter;
  }
}

// A grid count below 1, a grid beyond any memory and one beyond the limit:
// gripsim ends with status 1 after the message and the set-up code, rather
// than being killed or running for minutes.
TEST(GripsimDiscrete, RefusesAGridItCannotSetUpWithItsCode) {
  const std::pair<const char*, const char*> cases[] = {
      {"+0.0000000000e+00",
       " grid count ni = 0 (parameter value 0) of the discrete model should be 1 or more\n"
       " error 6 while using model 2\n"},
      {"+2.1474836470e+09", " No space for allocate left \n error 7 while using model 2\n"},
      {"+1.0000000000e+05",
       " grid ni = 100000, nj = 20 of the discrete model has 2100021 points, more than the limit of 1000000\n"
       " error 8 while using model 2\n"},
  };
  for (const auto& [ni, output] : cases) {
    SCOPED_TRACE(ni);
    std::string tyre = test::readFile(EXAMPLES_DIR "/passenger_discrete.dat");
    const std::size_t at = tyre.find(" ni       = +2.0000000000e+01");
    ASSERT_NE(at, std::string::npos);
    tyre.replace(at + 12, 17, ni);
    test::TempDir dir;
    dir.write("tyre.dat", tyre);
    dir.write("run.ctl", "[DataFileName]\ntyre.dat\n[SingleInput]\n slip = -0.05\n alpha = 2\n camber = 1\n"
                         " Fz = 4000\n V = 20000\n[Eof]\n");
    const test::Run run = test::gripsim(dir, "run.ctl");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output.rfind(output, 0), 0u) << run.output;
  }
}

}  // namespace
}  // namespace grip
