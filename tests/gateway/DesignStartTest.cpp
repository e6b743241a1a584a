// The design start file, the design variables and their bounds.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "FitFolder.h"
#include "continuous/ContinuousModel.h"
#include "discrete/DiscreteModel.h"

namespace grip {
namespace {

class DesignStartTest : public ::testing::Test {
 protected:
  DesignStartTest() { state.model.emplace(std::make_unique<ContinuousModel>(), std::make_unique<DiscreteModel>()); }

  int read(const std::string& text, std::size_t arraySize = 33) {
    dir.write(gateway::kDesignStartFile, text);
    x.assign(arraySize, -7.0);
    ::testing::internal::CaptureStdout();
    int result = readDesignStart(state, x);
    output = ::testing::internal::GetCapturedStdout();
    return result;
  }

  test::FitFolder dir;
  DesignState state;
  std::vector<double> x;
  std::string output;
};

TEST_F(DesignStartTest, MarkedLinesBecomeDesignVariablesInParameterOrder) {
  // Marked out of file order on purpose: the order of the array is the parameters'.
  ASSERT_EQ(read(test::designStart({"R", "cx1", "mue0"}, 0.25, 400.0)), 10);
  EXPECT_EQ(output, "");
  EXPECT_EQ(state.designCount, 3);
  for (std::size_t p = 0; p < kParameterCount; ++p) {
    const bool marked = p == par::cx1 || p == par::mue0 || p == par::R;
    EXPECT_EQ(state.designMask[p], marked ? 1 : 0) << kParameterTable[p].name;
    EXPECT_EQ(state.lowerBound[p], marked ? 0.25 : 0.0);
    EXPECT_EQ(state.upperBound[p], marked ? 400.0 : 0.0);
  }
  EXPECT_EQ(std::vector<double>(x.begin(), x.begin() + 4), (std::vector<double>{1e-6, 1.05, 310.0, -7.0}));

  applyDesignVariables(state, std::vector<double>{2e-6, 0.9, 300.0});
  EXPECT_EQ(state.model->parameters[par::cx1], 2e-6);
  EXPECT_EQ(state.model->parameters[par::mue0], 0.9);
  EXPECT_EQ(state.model->parameters[par::R], 300.0);
  EXPECT_EQ(state.model->parameters[par::cx0], 0.06);
}

TEST_F(DesignStartTest, OneBoundNumberSetsOnlyTheLowerBound) {
  std::string text = test::designStart({});
  text.insert(text.find("[N/mm^3]") + 8, " designbounds 0.5 upper");
  ASSERT_GT(read(text), 0);
  EXPECT_EQ(state.designCount, 1);
  EXPECT_EQ(state.lowerBound[par::cx0], 0.5);
  EXPECT_EQ(state.upperBound[par::cx0], 0.0);
}

TEST_F(DesignStartTest, TooShortAnArrayGetsWhatFitsAndTheCountStays) {
  ASSERT_GT(read(test::designStart({"cx0", "cy0", "pin"}), 2), 0);
  EXPECT_EQ(state.designCount, 3);
  EXPECT_EQ(x, (std::vector<double>{0.06, 0.045}));
  EXPECT_EQ(output, " array of design variables holds 2 values: start values of 3 design variables written, 1 left out\n");
}

TEST_F(DesignStartTest, GridCountsOfTheDiscreteModelStayFixed) {
  EXPECT_GT(read(test::designStart({"ni"})), 0) << "the continuous model has no grid";
  EXPECT_EQ(read(test::withValue(test::designStart({"nj"}), "model", "2")), 0);
  EXPECT_EQ(output, " DesignStart.dat marks nj as a design variable: model 2 sizes its grid from nj once, at initialise\n");
}

TEST(DesignBounds, FlagSaysOnWhichSideOfItsBoundsAValueLies) {
  DesignState state;
  state.designMask[par::mue0] = 1;
  state.lowerBound[par::mue0] = 0.0;
  state.upperBound[par::mue0] = 1.0;
  const std::vector<double> values{-0.1, 0.0, 0.5, 1.0, 1.1, std::nan("")};
  const int expected[] = {-1, 0, 0, 0, 1, 0};
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* file = open_memstream(&buffer, &size);
  for (int index = 0; index < static_cast<int>(values.size());) writeDesignBounds(file, par::mue0, state, values, index);
  int unchanged = 2;
  writeDesignBounds(file, par::cx0, state, values, unchanged);  // not a design variable: only the line end
  EXPECT_EQ(unchanged, 2);
  std::fclose(file);
  std::istringstream lines{std::string(buffer, size)};
  std::free(buffer);
  std::string line;
  for (int k = 0; k < 6; ++k) {
    std::getline(lines, line);
    char flag[8];
    std::snprintf(flag, sizeof flag, "%3d %3d", k + 1, expected[k]);
    EXPECT_EQ(line, std::string(" designbounds  +0.000000e+00 +1.000000e+00   ") + flag);
  }
  std::getline(lines, line);
  EXPECT_EQ(line, "");
}

}  // namespace
}  // namespace grip
