// The per-point trace of the discrete model.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "DiscreteTyre.h"
#include "discrete/DiscreteModel.h"

namespace grip {
namespace {

/// The exact-patch tyre on 2 x 1 cells (dx 80, dy 75) with a cell stiffness
/// of 6 N/mm and mue0 1, under law 1 (2250 N at x = 0, nothing at the edges).
DiscreteModel smallGrid() {
  ParameterSet p = test::exactPatchTyre();
  p[par::ni] = 2.0;
  p[par::nj] = 1.0;
  p[par::cx0] = 0.001;
  p[par::cx1] = 0.0;
  p[par::cy0] = 0.001;
  p[par::cy1] = 0.0;
  p[par::mue0] = 1.0;
  DiscreteModel m;
  EXPECT_EQ(m.setUp(p), 0);
  return m;
}

// 1 % slip: the deflection grows from 0 at the entry edge to 1.6 mm at the
// exit; the middle point adheres (4.8 N), the unloaded edges carry nothing.
TEST(DiscreteTrace, WritesOneBlockPerColumnFromEntryToExit) {
  DiscreteModel m = smallGrid();
  m.setTrace(1, nullptr);
  EXPECT_EQ(test::traceOf(m, {0.01, 0.0, 0.0, 3000.0, 20000.0}),
            " -8.000000e+01 +3.750000e+01 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 \n"
            " +0.000000e+00 +3.750000e+01 +8.000000e-01 +0.000000e+00 +2.250000e+03 +4.800000e+00 +0.000000e+00 \n"
            " +8.000000e+01 +3.750000e+01 +1.600000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 \n"
            "\n"
            " -8.000000e+01 -3.750000e+01 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 \n"
            " +0.000000e+00 -3.750000e+01 +8.000000e-01 +0.000000e+00 +2.250000e+03 +4.800000e+00 +0.000000e+00 \n"
            " +8.000000e+01 -3.750000e+01 +1.600000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 \n"
            "\n");
  EXPECT_EQ(m.Area, 2.0 * 80.0 * 75.0);  // the two middle points carry load
  const TyreForces f = test::evaluate(m, {0.01, 0.0, 0.0, 3000.0, 20000.0});
  EXPECT_NEAR(f.Fx, 9.6, 1e-12);  // two roundings of 4.8
  EXPECT_EQ(f.Mz, 0.0);           // the two columns' moments cancel
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// 10 x 4 cells: 5 blocks of 11 point lines, each closed by an empty line.
TEST(DiscreteTrace, HasNjPlusOneBlocksOfNiPlusOneLines) {
  ParameterSet p = test::discreteTyre();
  p[par::ni] = 10.0;
  p[par::nj] = 4.0;
  for (int pressure : {1, 4}) {
    p[par::pressure] = pressure;
    DiscreteModel m;
    ASSERT_EQ(m.setUp(p), 0);
    const std::vector<std::string> lines = linesOf(test::traceOf(m, {0.05, 3.0, 2.0, 4000.0, 20000.0}));
    ASSERT_EQ(lines.size(), 60u);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      if (k % 12 == 11) {
        EXPECT_EQ(lines[k], "") << "line " << k;
      } else {
        EXPECT_EQ(lines[k].size(), 7u * 14u + 1u) << "line " << k;
      }
    }
  }
}

TEST(DiscreteTrace, OnlyFlagOneWritesAndOnlyWithALoad) {
  for (int flag : {0, 2}) {
    DiscreteModel m;
    ASSERT_EQ(m.setUp(test::discreteTyre()), 0);
    TextFile stream(std::tmpfile());
    ASSERT_TRUE(stream);
    m.setTrace(flag, stream.get());
    test::evaluate(m, {0.05, 3.0, 0.0, 4000.0, 20000.0});
    EXPECT_EQ(std::ftell(stream.get()), 0) << "flag " << flag;
  }
  DiscreteModel m;
  ASSERT_EQ(m.setUp(test::discreteTyre()), 0);
  EXPECT_EQ(test::traceOf(m, {0.05, 3.0, 0.0, 0.0, 20000.0}), "");
}

/// The trace line with its y column negated.
std::string mirrored(const std::string& line) {
  std::string out = line;
  const std::size_t y = 15;  // sign of the second column
  out[y] = out[y] == '+' ? '-' : '+';
  return out;
}

// Without camber and with an even crown exponent the geometric patch is
// mirror symmetric: column nj - j traces as column j with y negated.
TEST(DiscreteTrace, IsMirrorSymmetricWithoutCamber) {
  ParameterSet p = test::discreteTyre();
  p[par::pressure] = 4.0;
  DiscreteModel m;
  ASSERT_EQ(m.setUp(p), 0);
  const std::vector<std::string> lines = linesOf(test::traceOf(m, {0.02, 3.0, 0.0, 4000.0, 20000.0}));
  ASSERT_EQ(lines.size(), 21u * 22u);
  int loaded = 0;
  for (std::size_t j = 0; j <= 20; ++j)
    for (std::size_t i = 0; i <= 20; ++i) {
      const std::string& line = lines[j * 22 + i];
      const std::string& mirror = lines[(20 - j) * 22 + i];
      if (j != 10) {
        EXPECT_EQ(mirrored(line), mirror) << "column " << j << " point " << i;
      }
      if (line.substr(56, 14) != " +0.000000e+00") ++loaded;
    }
  EXPECT_GT(loaded, 300);
}

}  // namespace
}  // namespace grip
