// What the fit reports: the target value's weighting of each direction and
// the design bounds, bound flags and parameter names of DesignResults.dat.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "core/FormatText.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"
#include "model/MakeTyreModel.h"

namespace grip {
namespace {

namespace fs = std::filesystem;
using fit::kDesignStartFile;
using fit::kDesignTargetFile;

/// The example tyre with model type `model` and friction law `sliding`;
/// cy0, mue0 and pin are design variables between 0.01 and 2.
std::string designStart(const std::string& model = "1", const std::string& sliding = "1") {
  std::string text = test::readFile(EXAMPLES_DIR "/passenger.dat");
  for (const char* name : {" cy0 ", " mue0 ", " pin "})
    text.insert(text.find('\n', text.find(name)), " designbounds 0.01 2");
  for (const auto& [key, value] : {std::pair{" model    = ", model}, std::pair{" sliding  = ", sliding}}) {
    const std::size_t at = text.find(key) + std::string(key).size();
    text.replace(at, text.find(' ', at) - at, value);
  }
  return text;
}

double call(DesignState& state, std::vector<double>& x, double identifier) {
  testing::internal::CaptureStdout();
  const double value = handleDesignCall(state, x, identifier);
  testing::internal::GetCapturedStdout();
  return value;
}

// One measured point at 3000 N whose forces differ from the model's by the
// given amounts: the target is the error of the direction's force over the
// load, in percent, and from direction 3 on the lateral error plus the
// moment error over 500 times the load.
TEST(FitTarget, WeighsTheErrorOfEachDirectionByTheLoadAndTheMomentBy500) {
  test::WorkingDir dir;
  dir.write(kDesignStartFile, designStart());
  TyreModel model = makeTyreModel();
  ASSERT_GT(model.readParameterFile(kDesignStartFile, nullptr), 0);
  const TyreForces f = model.evaluate(OperatingPoint{0.02, 3.0, 0.0, 3000.0, 20000.0});
  struct Case {
    int direction;
    double dFx, dFy, dMz, target;  ///< differences [N, N, N*mm], target [%]
  };
  for (const Case& c : {Case{1, 30.0, 900.0, 9e5, 1.0}, Case{2, 900.0, -60.0, 9e5, 2.0},
                        Case{3, 900.0, 30.0, 15000.0, 2.0}, Case{3, 0.0, 0.0, -45000.0, 3.0},
                        Case{4, 0.0, 15.0, 0.0, 0.5}}) {
    SCOPED_TRACE(testing::Message() << "direction " << c.direction << " target " << c.target);
    const std::string line =
        formatted("0.02 3.0 0.0 %.17g %.17g 3000 %.17g\n", f.Fx + c.dFx, f.Fy + c.dFy, f.Mz + c.dMz);
    dir.write("m.dat", line);
    dir.write(kDesignTargetFile, "one point\n files = 1\n file = m.dat points = 1 direction = " +
                                     std::to_string(c.direction) + " speed = 20000\n[Eof]\n");
    DesignState state;
    std::vector<double> x(3);
    ASSERT_EQ(call(state, x, 0), 3.0);
    x.assign(state.startValues.begin(), state.startValues.begin() + 3);
    // Differences of some 10 N taken from forces of some 1000 N: roundings
    // of 1e-13 N, 1e-11 % of the load.
    EXPECT_NEAR(call(state, x, 1), c.target, 1e-9);
  }
}

// Each residual is model minus measured of one channel the direction
// compares, over the load, times 100 over the point count (over 500 more
// for Mz): one measured point at 3000 N, measured above or below the model
// in one channel at a time; direction 4 counts as 3.
TEST(FitResiduals, SignAndValueOfEachComparedChannel) {
  test::WorkingDir dir;
  dir.write(kDesignStartFile, designStart());
  TyreModel model = makeTyreModel();
  ASSERT_GT(model.readParameterFile(kDesignStartFile, nullptr), 0);
  const TyreForces f = model.evaluate(OperatingPoint{0.02, 3.0, 0.0, 3000.0, 20000.0});
  struct Case {
    int direction;
    double dFx, dFy, dMz;            ///< measured minus model [N, N, N*mm]
    std::vector<double> residuals;  ///< [%]
  };
  const Case cases[] = {
      {1, 30.0, 900.0, 9e5, {-1.0}},          {1, -60.0, 900.0, 9e5, {2.0}},
      {2, 900.0, 30.0, 9e5, {-1.0}},          {2, 900.0, -60.0, 9e5, {2.0}},
      {3, 900.0, 30.0, 0.0, {-1.0, 0.0}},     {3, 900.0, -60.0, 0.0, {2.0, 0.0}},
      {3, 900.0, 0.0, 45000.0, {0.0, -3.0}},  {3, 900.0, 0.0, -15000.0, {0.0, 1.0}},
      {4, 900.0, 15.0, -30000.0, {-0.5, 2.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "direction " << c.direction << " " << c.dFx << " " << c.dFy << " " << c.dMz);
    const std::string line =
        formatted("0.02 3.0 0.0 %.17g %.17g 3000 %.17g\n", f.Fx + c.dFx, f.Fy + c.dFy, f.Mz + c.dMz);
    dir.write("m.dat", line);
    dir.write(kDesignTargetFile, "one point\n files = 1\n file = m.dat points = 1 direction = " +
                                     std::to_string(c.direction) + " speed = 20000\n[Eof]\n");
    DesignState state;
    testing::internal::CaptureStdout();
    const double initialised = initialiseDesign(state);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(initialised, 0.0);
    ASSERT_EQ(state.evaluator->residualCount(), c.residuals.size());
    std::vector<double> residuals(c.residuals.size());
    state.evaluator->residuals({state.startValues.data(), 3}, residuals);
    double magnitudes = 0.0;
    for (std::size_t r = 0; r < residuals.size(); ++r) {
      // Differences of some 10 N taken from forces of some 1000 N: roundings
      // of 1e-13 N, 1e-11 % of the load.
      EXPECT_NEAR(residuals[r], c.residuals[r], 1e-9) << "residual " << r;
      magnitudes += std::fabs(residuals[r]);
    }
    EXPECT_NEAR(evaluateTarget(state), magnitudes, 1e-12);  // the same sums
  }
}

// Measurements handed over as data take the target list's rule: below 1
// refused silently, 1 to 3 as they are, above 3 as 3 with a warning.
TEST(FitResiduals, DataDirectionTakesTheRuleOfATargetList) {
  struct Case {
    int number;
    int direction;  ///< 0: refused
    const char* output;
  };
  const Case cases[] = {{-1, 0, ""}, {0, 0, ""}, {1, 1, ""}, {2, 2, ""}, {3, 3, ""},
                        {4, 3, " target braking: direction 4 counts as 3 (Fy and Mz)\n"},
                        {2147483647, 3, " target braking: direction 2147483647 counts as 3 (Fy and Mz)\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    testing::internal::CaptureStdout();
    const std::optional<TargetDirection> direction = dataTargetDirection("braking", c.number);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
    EXPECT_EQ(direction ? direction->number() : 0, c.direction);
  }
}

/// The value lines of DesignResults.dat, in file order (block headers start with "[").
std::vector<std::string> parameterLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == ' ' && line.find(" = ") != std::string::npos) lines.push_back(line);
  return lines;
}

// The flag says where the value the optimiser passed lies: -1 below the
// lower bound, 1 above the upper, 0 within (bounds included). The design
// variable's number counts from 1 in file order.
TEST(FitResults, DesignBoundsCarryTheNumberAndTheBoundFlag) {
  test::WorkingDir dir;
  dir.write("m.dat", "0 2 0 0 -2000 3000 20000\n");
  dir.write(kDesignTargetFile, "one point\n files = 1\n file = m.dat points = 1 direction = 3 speed = 20000\n[Eof]\n");
  dir.write(kDesignStartFile, designStart());
  for (const auto& [values, flags] : {std::pair{std::vector{0.005, 1.0, 2.5}, std::vector{-1, 0, 1}},
                                      std::pair{std::vector{0.01, 2.0, -0.3}, std::vector{0, 0, -1}}}) {
    SCOPED_TRACE(testing::Message() << "first value " << values[0]);
    DesignState state;
    std::vector<double> x(3);
    ASSERT_EQ(call(state, x, 0), 3.0);
    x = values;
    call(state, x, -1);
    const std::vector<std::string> lines = parameterLines(dir.read(fit::kDesignResultsFile));
    ASSERT_GE(lines.size(), kParameterCount);
    int number = 0;
    for (std::size_t k : {std::size_t{par::cy0}, std::size_t{par::mue0}, std::size_t{par::pin}}) {
      char bounds[96];
      std::snprintf(bounds, sizeof bounds, " designbounds  +1.000000e-02 +2.000000e+00   %3d %3d", number + 1,
                    flags[static_cast<std::size_t>(number)]);
      ++number;
      EXPECT_NE(lines[k].find(bounds), std::string::npos) << lines[k];
    }
    EXPECT_EQ(lines[par::cx0].find("designbounds"), std::string::npos) << lines[par::cx0];
  }
}

// The discrete model with the speed-table law (sliding 4 and above) names
// parameters 11 to 18 after the table; every other model keeps their names.
TEST(FitResults, SpeedTableLawRenamesTheFrictionParameters) {
  const std::vector<std::string> table = {"mue1", "mue2", "mue3", "mue4", "mue5", "mue6", "frica0", "frica1"};
  const std::vector<std::string> usual = {"mue1xp", "cmuexp", "mue1xn", "cmuexn",
                                          "mue1yp", "cmueyp", "mue1yn", "cmueyn"};
  test::WorkingDir dir;
  dir.write("m.dat", "0 2 0 0 -2000 3000 20000\n");
  dir.write(kDesignTargetFile, "one point\n files = 1\n file = m.dat points = 1 direction = 2 speed = 20000\n[Eof]\n");
  struct Case {
    const char *model, *sliding;
    const std::vector<std::string>& names;
  };
  for (const Case& c : {Case{"2", "4", table}, Case{"2", "5", table}, Case{"2", "3", usual}, Case{"1", "4", usual}}) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " sliding " << c.sliding);
    dir.write(kDesignStartFile, designStart(c.model, c.sliding));
    DesignState state;
    std::vector<double> x(3);
    ASSERT_EQ(call(state, x, 0), 3.0);
    call(state, x, -1);
    const std::vector<std::string> lines = parameterLines(dir.read(fit::kDesignResultsFile));
    ASSERT_GE(lines.size(), kParameterCount);
    for (std::size_t k = 0; k < c.names.size(); ++k) {
      std::istringstream line(lines[par::mue1xp + k]);
      std::string name;
      line >> name;
      EXPECT_EQ(name, c.names[k]);
    }
    EXPECT_EQ(lines[par::mue0].substr(0, 6), " mue0 ");
  }
}

}  // namespace
}  // namespace grip
