// The call lifecycle as the optimiser drives it, with the real models.

#include <gtest/gtest.h>

#include <cmath>

#include "FitFolder.h"
#include "core/TyreModel.h"

namespace grip {
namespace {

using test::designCall;

class DesignCallTest : public ::testing::Test {
 protected:
  DesignCallTest() {
    const std::string measured = test::readFile(EXAMPLES_DIR "/measured.dat");  // 51 points
    dir.write("cornering.dat", measured);
    dir.write("braking.dat", measured);
    dir.write(gateway::kDesignTargetFile,
              "targets\n files = 2\n file = cornering.dat points = 51 direction = 3 speed = 20000\n"
              " file = braking.dat points = 40 direction = 1 speed = 15000\n[Eof]\n");
    dir.write(gateway::kDesignStartFile, test::designStart({"cy0", "mue0", "pin"}, 0.01, 2.0));
  }

  test::FitFolder dir;
  DesignState state;
  std::vector<double> x = std::vector<double>(3, 0.0);
};

TEST_F(DesignCallTest, FitGoesFromInitialiseThroughRunsToTerminate) {
  test::CallResult call = designCall(state, x, 0);
  EXPECT_EQ(call.value, 3.0);
  EXPECT_EQ(call.output, "");
  EXPECT_EQ(x, (std::vector<double>{0.045, 1.05, 0.2}));

  x = {0.05, 1.0, 0.21};
  const double target = designCall(state, x, 1).value;
  EXPECT_GT(target, 0.0);
  EXPECT_EQ(designCall(state, x, 1).value, target);
  std::vector<double> other{0.045, 1.05, 0.2};
  EXPECT_NE(designCall(state, other, 1).value, target);

  call = designCall(state, x, -1);
  EXPECT_EQ(call.value, target);
  EXPECT_EQ(call.output, "");
  EXPECT_NE(dir.read("file1.dat"), "");
  EXPECT_NE(dir.read("file2.dat"), "");
  EXPECT_NE(dir.read(gateway::kDesignResultsFile).find(" cy0      = +5.0000000000e-02 [N/mm^3] designbounds"),
            std::string::npos);
  EXPECT_FALSE(state.model.has_value()) << "terminate releases the model";
  EXPECT_EQ(designCall(state, x, 1).output, " call function (design,0) first \n");
}

TEST(DesignCallOf, IdentifierIsTruncatedTowardZero) {
  const std::pair<double, DesignCall> cases[] = {
      {0.0, DesignCall::initialise}, {0.7, DesignCall::initialise},  {-0.5, DesignCall::initialise},
      {1.0, DesignCall::run},        {1.9, DesignCall::run},         {2.0, DesignCall::run},
      {-2.0, DesignCall::run},       {1e300, DesignCall::run},       {-1.0, DesignCall::terminate},
      {-1.2, DesignCall::terminate}, {std::nan(""), DesignCall::invalid}};
  for (const auto& [identifier, call] : cases) EXPECT_EQ(designCallOf(identifier), call) << identifier;
}

TEST_F(DesignCallTest, FailedInitialiseLeavesNothingToRun) {
  ASSERT_EQ(designCall(state, x, 0).value, 3.0);
  std::filesystem::remove("braking.dat");
  test::CallResult call = designCall(state, x, 0);
  EXPECT_EQ(call.value, kTargetFault);
  EXPECT_EQ(call.output, " unable to open input file braking.dat for reading\n error in reading file DesignTarget \n");
  EXPECT_EQ(state.designCount, 0);
  EXPECT_EQ(designCall(state, x, 1).output, " call function (design,0) first \n");

  dir.write("braking.dat", test::readFile(EXAMPLES_DIR "/measured.dat"));
  dir.write(gateway::kDesignStartFile, test::withValue(test::designStart({"cy0"}), "model", "3"));
  call = designCall(state, x, 0);
  EXPECT_EQ(call.value, kStartFault);
  EXPECT_EQ(call.output,
            " type of model should be 1 (continuos) or 2 (discete) and not 3\n error in reading file DesignStart \n");
  EXPECT_EQ(designCall(state, x, -1).value, kStartFault);
}

TEST_F(DesignCallTest, SecondInitialiseStartsAfresh) {
  ASSERT_EQ(designCall(state, x, 0).value, 3.0);
  dir.write(gateway::kDesignStartFile, test::designStart({"cx0"}));
  std::vector<double> one(1);
  EXPECT_EQ(designCall(state, one, 0).value, 1.0);
  EXPECT_EQ(one[0], 0.06);
  EXPECT_LT(designCall(state, one, 1).value, kArgumentFault);
}

TEST_F(DesignCallTest, TerminateWithTooShortAnArrayIsRefusedAndTheFitGoesOn) {
  ASSERT_EQ(designCall(state, x, 0).value, 3.0);
  std::vector<double> two(2, 0.1);
  test::CallResult call = designCall(state, two, -1);
  EXPECT_EQ(call.value, kArgumentFault);
  EXPECT_EQ(call.output, " array of design variables holds 2 values where 3 design variables are expected\n");
  EXPECT_LT(designCall(state, x, -1).value, kArgumentFault);
}

TEST_F(DesignCallTest, ModelWhoseSetUpDidNotCompleteIsNeverEvaluated) {
  std::string text = test::designStart({"cy0"});
  text.erase(text.find(" ny "), text.find(" sliding ") - text.find(" ny "));
  text.replace(text.find("number = 9"), 10, "number = 8");  // 32 values, announced as such
  dir.write(gateway::kDesignStartFile, text);
  test::CallResult call = designCall(state, x, 0);
  EXPECT_EQ(call.value, 1.0) << "reported, but the design count is still returned";
  EXPECT_EQ(call.output, " number of input data = 32 should be = 33\n error 1 while using model 1\n");
  for (double identifier : {1.0, -1.0}) {
    call = designCall(state, x, identifier);
    EXPECT_EQ(call.value, kStartFault);
    EXPECT_EQ(call.output, " model 1 is not set up: parameter file DesignStart.dat was not accepted\n");
  }
  EXPECT_FALSE(dir.exists(gateway::kDesignResultsFile));
  EXPECT_EQ(designCall(state, x, 1).output, " call function (design,0) first \n") << "terminate ended the fit";
}

TEST_F(DesignCallTest, ReadOnlyInputFilesAreRead) {
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_read);
  EXPECT_EQ(designCall(state, x, 0).value, 3.0);
}

}  // namespace
}  // namespace grip
