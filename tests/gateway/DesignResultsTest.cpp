// The target value, the listings and DesignResults.dat, with a model whose
// forces are known by hand: it answers Fx = slip, Fy = slip angle, Mz = camber.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "FitFolder.h"

namespace grip {
namespace {

class EchoVariant final : public TyreVariant {
 public:
  int setUp(const ParameterSet&) override { return 0; }
  int refresh(const ParameterSet&) override { return 0; }
  void evaluate(const OperatingPoint& in, TyreForces& forces) override {
    forces = {in.longitudinalSlip, in.slipAngle, in.camber};
  }
  ContactPatch contactPatch() const override { return {}; }
};

/// One measured point: operating point and measured forces.
struct Point {
  double slip, alpha, camber, Fx, Fy, load, Mz;
};

struct MeasuredFile {
  int direction;
  double speed;
  std::vector<Point> points;
};

class DesignResultsTest : public ::testing::Test {
 protected:
  /// A fresh state: the design start text read into a model of echo
  /// variants, then the design x (the start values when x is empty) applied.
  void start(const std::string& text, const std::vector<double>& x = {}) {
    state = DesignState{};
    state.model.emplace(std::make_unique<EchoVariant>(), std::make_unique<EchoVariant>());
    dir.write(gateway::kDesignStartFile, text);
    design.assign(kParameterCount, 0.0);
    ASSERT_GT(readDesignStart(state, design), 0);
    design.resize(static_cast<std::size_t>(state.designCount));
    if (!x.empty()) design = x;
    applyDesignVariables(state, design);
  }

  void measure(const std::vector<MeasuredFile>& files) {
    for (const MeasuredFile& file : files) {
      state.PointsPerFile.push_back(static_cast<int>(file.points.size()));
      state.TargetDirectionPerFile.push_back(file.direction);
      state.SpeedPerFile.push_back(file.speed);
      for (const Point& p : file.points)
        state.measurements.insert(state.measurements.end(), {p.slip, p.alpha, p.camber, p.Fx, p.Fy, p.load, p.Mz});
      state.totalPoints += static_cast<int>(file.points.size());
    }
    state.fileCount = static_cast<int>(files.size());
  }

  test::FitFolder dir;
  DesignState state;
  std::vector<double> design;
};

struct TargetCase {
  const char* name;
  std::vector<MeasuredFile> files;
  double target;  ///< worked out by hand [%]
};

TEST_F(DesignResultsTest, TargetValueIsTheMeanNormalisedErrorInPercent) {
  const TargetCase cases[] = {
      // Fy 50 N above the measurement, Mz 5000 N*mm below, at 1000 N: 0.05 + 0.01.
      {"FyAndMzErrors", {{3, 0.0, {{0, 250, 0, 0, 200, 1000, 5000}}}}, 6.0},
      {"DirectionAboveThreeCountsAsThree", {{7, 0.0, {{0, 250, 0, 0, 200, 1000, 5000}}}}, 6.0},
      // Terms 0.02, then 0.01 three times: 100 * 0.05 / 4.
      {"MeanOverAllPointsOfAllFiles",
       {{1, 0.0, {{20, 0, 0, 0, 0, 1000, 0}}}, {2, 0.0, {{0, 10, 0, 0, 0, 1000, 0}, {0, -10, 0, 0, 0, 1000, 0}, {0, 10, 0, 0, 0, 1000, 0}}}},
       1.25},
      {"ExactModelGivesZero", {{3, 0.0, {{1, 2, 3, 1, 2, 500, 3}}}}, 0.0},
      {"DirectionOneComparesOnlyFx", {{1, 0.0, {{1, 2, 3, 1, 99, 500, 99}}}}, 0.0},
      {"DirectionTwoComparesOnlyFy", {{2, 0.0, {{1, 2, 3, 99, 2, 500, 99}}}}, 0.0},
  };
  for (const TargetCase& c : cases) {
    SCOPED_TRACE(c.name);
    start(test::designStart({}));
    measure(c.files);
    const double target = evaluateTarget(state);
    EXPECT_NEAR(target, c.target, 1e-12);  // a few roundings of numbers near 1
    EXPECT_EQ(state.targetValue, target);
    EXPECT_EQ(evaluateTarget(state), target) << "the same design gives the same value";
  }
}

TEST_F(DesignResultsTest, ZeroMeasuredLoadMakesTheTargetInfinite) {
  start(test::designStart({}));
  measure({{2, 0.0, {{0, 5, 0, 0, 0, 1000, 0}, {0, 5, 0, 0, 0, 0, 0}}}});
  EXPECT_TRUE(std::isinf(evaluateTarget(state)));
}

TEST_F(DesignResultsTest, ListingsHoldPointMeasurementAndModelPerLine) {
  start(test::designStart({}));
  measure({{1, 500.0, {{0.1, 2, -1, 10, 20, 3000, 30}}}, {3, -20.0, {}}, {2, 0.0, {{0, 1, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 1, 0}}}});
  writeFileResults(state);
  EXPECT_EQ(dir.read("file1.dat"),
            "+1.000000e-01 +2.000000e+00 -1.000000e+00 +3.000000e+03 +5.000000e+02 "
            "+1.000000e+01 +2.000000e+01 +3.000000e+01  +1.000000e-01 +2.000000e+00 -1.000000e+00\n");
  EXPECT_TRUE(dir.exists("file2.dat"));
  EXPECT_EQ(dir.read("file2.dat"), "");
  const std::string third = dir.read("file3.dat");
  EXPECT_EQ(std::count(third.begin(), third.end(), '\n'), 2);
}

TEST_F(DesignResultsTest, ResultsNameTheTableLawAndWriteTheWholeModelNumber) {
  const std::string tableLaw =
      test::withValue(test::withValue(test::designStart({"mue0"}, 0.0, 2.0), "sliding", "4"), "muexy", "-1.0");
  start(test::withValue(tableLaw, "model", "2.7"), {-1.05});
  state.targetValue = 1.25;
  writeDesignResults(state, design);
  const std::string results = dir.read(gateway::kDesignResultsFile);
  for (const char* line : {
           "\n mue0     = +1.0500000000e+00      [-] designbounds  +0.000000e+00 +2.000000e+00     1  -1\n",
           "\n muexy    = -1.0000000000e+00      [-]\n",
           "\n mue1     = +8.5000000000e-01      [-]\n",
           "\n frica1   = +4.0000000000e+03      [-]\n",
           "\n[TWGmodel]\n model    = +2.0000000000e+00 [-]\n[TargetValue]\n target   = 1.250000 \n[Eof]\n"})
    EXPECT_NE(results.find(line), std::string::npos) << line;

  start(test::withValue(tableLaw, "model", "1"));  // model 1: ordinary names whatever sliding holds
  writeDesignResults(state, design);
  EXPECT_NE(dir.read(gateway::kDesignResultsFile).find("\n mue1xp   = "), std::string::npos);
}

TEST_F(DesignResultsTest, ResultsReadBackAsTheSameDesignStart) {
  start(test::designStart({"cy0", "pin"}, 0.01, 0.5), {0.05, 0.25});
  writeDesignResults(state, design);
  const ParameterSet written = state.model->parameters;
  std::filesystem::rename(gateway::kDesignResultsFile, gateway::kDesignStartFile);
  DesignState again;
  again.model.emplace(std::make_unique<EchoVariant>(), std::make_unique<EchoVariant>());
  std::vector<double> x(2);
  ASSERT_EQ(readDesignStart(again, x), 10);
  EXPECT_EQ(again.model->errorCount, 0);
  EXPECT_EQ(x, (std::vector<double>{0.05, 0.25}));
  EXPECT_EQ(again.designMask, state.designMask);
  for (std::size_t p = 0; p < kParameterCount; ++p)
    EXPECT_NEAR(again.model->parameters[p], written[p], 1e-10 * std::fabs(written[p]))  // 11 digits written
        << kParameterTable[p].name;
}

}  // namespace
}  // namespace grip
