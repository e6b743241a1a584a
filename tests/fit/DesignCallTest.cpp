// The fit as the optimiser drives it, through handleDesignCall with the real
// models: the reference cases, then what is refused, with which value and
// message, and what a refusal leaves behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "TempDir.h"
#include "TextCompare.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"

namespace grip {
namespace {

namespace fs = std::filesystem;
using fit::kDesignStartFile;
using fit::kDesignTargetFile;

/// One handleDesignCall with its console text.
struct CallResult {
  double value;
  std::string output;
};

CallResult designCall(DesignState& state, std::vector<double>& x, double identifier) {
  ::testing::internal::CaptureStdout();
  const double value = handleDesignCall(state, x, identifier);
  return {value, ::testing::internal::GetCapturedStdout()};
}

std::vector<std::string> goldenCases() {
  std::vector<std::string> names;
  if (fs::is_directory(GOLDEN_DIR "/fit"))
    for (const auto& entry : fs::directory_iterator(GOLDEN_DIR "/fit"))
      if (fs::exists(entry.path() / "x.txt")) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenFit : public ::testing::TestWithParam<std::string> {};

// Initialise, one run and terminate with the case's design vector; the console
// text ends with the target value, or with the failure value of a refused
// initialise.
TEST_P(GoldenFit, MatchesTheReference) {
  const fs::path source = fs::path(GOLDEN_DIR "/fit") / GetParam();
  test::WorkingDir dir;
  fs::copy(source, dir.path());  // the files only, not the expected ones
  std::ifstream in(source / "x.txt");
  const std::vector<double> design{std::istream_iterator<double>(in), std::istream_iterator<double>()};

  DesignState state;
  std::vector<double> x(design.size(), 0.0);
  CallResult call = designCall(state, x, 0);
  std::string output = call.output;
  if (call.value < kArgumentFault) {
    x = design;
    output += designCall(state, x, 1).output;
    call = designCall(state, x, -1);
    output += call.output;
  }
  char value[32];
  std::snprintf(value, sizeof value, "%.17g\n", call.value);
  output += value;
  for (const auto& entry : fs::directory_iterator(source / "expected")) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    ASSERT_TRUE(name == "stdout.txt" || dir.exists(name)) << "not written";
    const std::string actual = name == "stdout.txt" ? output : dir.read(name);
    EXPECT_EQ(test::compareNumericText(test::readFile(entry.path()), actual), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenFit, ::testing::ValuesIn(goldenCases()), [](const auto& info) {
  std::string name = info.param;
  std::replace(name.begin(), name.end(), '_', 'x');
  return name;
});
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenFit);

/// The example tyre as a design start text of model type `model`; the
/// parameters named in `design` get "designbounds 0.01 2".
std::string designStart(const std::vector<std::string>& design, const char* model = "1") {
  std::string text = test::readFile(EXAMPLES_DIR "/passenger.dat");
  for (const std::string& name : design) text.insert(text.find('\n', text.find(" " + name + " ")), " designbounds 0.01 2");
  const std::size_t at = text.find(" model    = ") + 12;
  return text.replace(at, text.find(' ', at) - at, model);
}

class DesignCallTest : public ::testing::Test {
 protected:
  DesignCallTest() {
    const std::string measured = test::readFile(EXAMPLES_DIR "/measured.dat");  // 51 points
    dir.write("cornering.dat", measured);
    dir.write("braking.dat", measured);
    dir.write(kDesignTargetFile,
              "targets\n files = 2\n file = cornering.dat points = 51 direction = 3 speed = 20000\n"
              " file = braking.dat points = 40 direction = 1 speed = 15000\n[Eof]\n");
    dir.write(kDesignStartFile, designStart({"cy0", "mue0", "pin"}));
  }

  test::WorkingDir dir;
  DesignState state;
  std::vector<double> x = std::vector<double>(3, 0.0);
};

TEST_F(DesignCallTest, FailedInitialiseLeavesNothingToRun) {
  auto expectNothingToRun = [&] {
    EXPECT_EQ(state.designCount, 0);
    const CallResult run = designCall(state, x, 1);
    EXPECT_EQ(run.value, kStartFault);
    EXPECT_EQ(run.output, " call function (design,0) first \n");
  };
  ASSERT_EQ(designCall(state, x, 0).value, 3.0);
  fs::remove("braking.dat");
  CallResult call = designCall(state, x, 0);
  EXPECT_EQ(call.value, kTargetFault);
  EXPECT_EQ(call.output, " unable to open input file braking.dat for reading\n error in reading file DesignTarget \n");
  expectNothingToRun();

  dir.write("braking.dat", test::readFile(EXAMPLES_DIR "/measured.dat"));
  dir.write(kDesignStartFile, designStart({"cy0"}, "3"));
  call = designCall(state, x, 0);
  EXPECT_EQ(call.value, kStartFault);
  EXPECT_EQ(call.output,
            " type of model should be 1 (continuos) or 2 (discete) and not 3\n error in reading file DesignStart \n");
  expectNothingToRun();
}

TEST_F(DesignCallTest, SecondInitialiseStartsAfresh) {
  ASSERT_EQ(designCall(state, x, 0).value, 3.0);
  dir.write(kDesignStartFile, designStart({"cx0"}));
  std::vector<double> one(1);
  EXPECT_EQ(designCall(state, one, 0).value, 1.0);
  EXPECT_EQ(state.startValues[0], 0.06);
  EXPECT_LT(designCall(state, one, 1).value, kArgumentFault);
}

// Octave and MATLAB share an array's data between its copies: a design call
// that wrote into its input would change every variable sharing it.
TEST_F(DesignCallTest, DesignArrayIsOnlyRead) {
  const std::vector<double> given{7.0, 8.0, 9.0};
  for (double identifier : {0.0, 1.0, -1.0}) {
    x = given;
    designCall(state, x, identifier);
    EXPECT_EQ(x, given) << "call " << identifier;
  }
  designCall(state, x, 0);
  EXPECT_EQ((std::vector<double>(state.startValues.begin(), state.startValues.begin() + 3)),
            (std::vector<double>{0.045, 1.05, 0.2}));
}

TEST_F(DesignCallTest, TooShortADesignArrayIsNeverUsedPastItsEnd) {
  std::vector<double> two(2, 0.0);
  CallResult call = designCall(state, two, 0);
  EXPECT_EQ(call.value, 3.0);
  EXPECT_EQ(call.output, "");
  for (double identifier : {1.0, -1.0}) {
    call = designCall(state, two, identifier);
    EXPECT_EQ(call.value, kArgumentFault);
    EXPECT_EQ(call.output, " array of design variables holds 2 values where 3 design variables are expected\n");
  }
  x = {0.045, 1.05, 0.2};
  EXPECT_LT(designCall(state, x, -1).value, kArgumentFault) << "a refused terminate leaves the fit going";
}

TEST_F(DesignCallTest, GridCountsOfTheDiscreteModelAreNoDesignVariables) {
  dir.write(kDesignStartFile, designStart({"ni"}));
  EXPECT_EQ(designCall(state, x, 0).value, 1.0) << "the continuous model has no grid";
  for (const std::string name : {"ni", "nj"}) {
    SCOPED_TRACE(name);
    dir.write(kDesignStartFile, designStart({name}, "2"));
    const CallResult call = designCall(state, x, 0);
    EXPECT_EQ(call.value, kStartFault);
    EXPECT_EQ(call.output, " DesignStart.dat marks " + name + " as a design variable: model 2 sizes its grid from " +
                               name + " once, at initialise\n error in reading file DesignStart \n");
  }
}

TEST_F(DesignCallTest, ModelWhoseSetUpDidNotCompleteIsNeverEvaluated) {
  std::string text = designStart({"cy0"});
  text.erase(text.find(" ny "), text.find(" sliding ") - text.find(" ny "));
  text.replace(text.find("number = 9"), 10, "number = 8");  // 32 values, announced as such
  dir.write(kDesignStartFile, text);
  CallResult call = designCall(state, x, 0);
  EXPECT_EQ(call.value, kStartFault) << "a design start file that was not accepted leaves nothing to fit";
  EXPECT_EQ(call.output,
            " number of input data = 32 should be = 33\n error 1 while using model 1\n error in reading file DesignStart \n");
  for (double identifier : {1.0, -1.0}) {
    call = designCall(state, x, identifier);
    EXPECT_EQ(call.value, kStartFault);
    EXPECT_EQ(call.output, " call function (design,0) first \n");
  }
  EXPECT_FALSE(dir.exists(fit::kDesignResultsFile));
}

TEST_F(DesignCallTest, RejectedDesignStartFailsInitialise) {
  const std::string good = designStart({"cy0"});
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    return text.replace(text.find(from), from.size(), to);
  };
  const struct {
    const char* name;
    std::string text, message;
  } cases[] = {
      {"ValueNoNumber", replaced(" cx1      = +1.0000000000e-06", " cx1      = abc"),
       " line 3 of DesignStart.dat has no number after \"=\":  cx1      = abc [1/mm^3]\n error 1 while using model 1\n"},
      {"CutInHalf", good.substr(0, good.find("[TWGpar4]")),
       " Error in data block 3 \n Error in data block 4 \n Error in data block 5 \n"
       " number of input data = 20 should be = 33\n error 3 while using model 0\n"},
      {"NotANumberValue", replaced(" cx0      = +6.0000000000e-02", " cx0      = nan"),
       " DesignStart.dat line 2: parameter cx0 = nan is not a finite number\n"},
      {"ValueWithDecimalComma", replaced(" cx0      = +6.0000000000e-02", " cx0      = +6,0000000000e-02"),
       " line 2 of DesignStart.dat has a number with a decimal comma (write it with a point):  cx0      = "
       "+6,0000000000e-02 [N/mm^3]\n error 1 while using model 1\n"},
      {"BoundWithDecimalComma", replaced("designbounds 0.01 2", "designbounds 0,01 2"),
       " line 4 of DesignStart.dat has a number with a decimal comma (write it with a point): " +
           good.substr(good.find(" cy0 "), good.find(" designbounds", good.find(" cy0 ")) - good.find(" cy0 ")) +
           " designbounds 0,01 2\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write(kDesignStartFile, c.text);
    const CallResult call = designCall(state, x, 0);
    EXPECT_EQ(call.value, kStartFault);
    EXPECT_EQ(call.output, c.message + " error in reading file DesignStart \n");
  }
}

TEST_F(DesignCallTest, DesignValueThatIsNoNumberIsRefused) {
  ASSERT_EQ(designCall(state, x, 0).value, 3.0);
  x = {0.045, std::nan(""), 0.2};
  const CallResult call = designCall(state, x, 1);
  EXPECT_EQ(call.value, kArgumentFault);
  EXPECT_EQ(call.output, " design variable 2 = nan is not a finite number\n");
  x = {0.045, 1.05, 0.2};
  EXPECT_LT(designCall(state, x, 1).value, kArgumentFault) << "the fit goes on";
}

// A terminate that cannot write keeps the fit, so that it can be called again
// once the folder can be written.
TEST_F(DesignCallTest, TerminateThatCannotWriteKeepsTheFit) {
  ASSERT_EQ(designCall(state, x, 0).value, 3.0);
  x = {0.045, 1.05, 0.2};
  const double target = designCall(state, x, 1).value;
  fs::create_directory(fit::kDesignResultsFile);  // a folder where the file should go
  CallResult call = designCall(state, x, -1);
  EXPECT_EQ(call.value, kResultFault);
  EXPECT_EQ(call.output, " Can't open result file number \n result file DesignResults.dat not written (Is a directory):"
                         " the fit is kept, call function (design,-1) again\n");
  EXPECT_FALSE(dir.exists("file1.dat"));  // the set is written whole or not at all
  fs::remove(fit::kDesignResultsFile);
  call = designCall(state, x, -1);
  EXPECT_EQ(call.value, target);
  EXPECT_TRUE(dir.exists(fit::kDesignResultsFile));
  EXPECT_TRUE(dir.exists("file2.dat"));
}

// The residuals are the signed terms of the target: their magnitudes add up to it.
TEST_F(DesignCallTest, ResidualsAddUpToTheTarget) {
  ASSERT_EQ(designCall(state, x, 0).value, 3.0);
  x = {0.05, 1.0, 0.22};
  const double target = designCall(state, x, 1).value;
  TargetEvaluator& evaluator = *state.evaluator;
  EXPECT_EQ(evaluator.residualCount(), 51u * 2 + 40);
  std::vector<double> r(evaluator.residualCount());
  evaluator.residuals(x, r);
  double sum = 0.0;
  for (double e : r) sum += std::fabs(e);
  EXPECT_NEAR(sum, target, 1e-12 * target);  // the same terms, scaled before instead of after the sum
}

TEST_F(DesignCallTest, ReadOnlyInputFilesAreRead) {
  for (const auto& entry : fs::directory_iterator(dir.path()))
    fs::permissions(entry.path(), fs::perms::owner_read);
  EXPECT_EQ(designCall(state, x, 0).value, 3.0);
}

TEST_F(DesignCallTest, FaultyTargetListIsRefusedWithItsMessage) {
  auto entry = [](int points, int direction) {
    return " file = braking.dat points = " + std::to_string(points) + " direction = " + std::to_string(direction) +
           " speed = 0";
  };
  const std::string one = entry(1, 1) + "\n";
  const struct {
    const char* name;
    std::string list, message;  ///< list: DesignTarget.dat from the number of files on
  } cases[] = {
      {"NoFiles", "0\n[Eof]\n", " DesignTarget.dat line 2: number of files 0 should be 1 or more\n"},
      {"FewerEntries", "3\n" + one + one + "[Eof]\n", " DesignTarget.dat lists 2 measurement files where line 2 declares 3\n"},
      {"MoreEntries", "1\n" + one + "\n" + entry(1, 2) + "\n[Eof]\n",
       " DesignTarget.dat line 5 lists a measurement file beyond the 1 that line 2 declares: " + entry(1, 2) + "\n"},
      {"DirectionZero", "1\n" + entry(1, 0) + "\n",
       " DesignTarget.dat line 3: target direction 0 should be 1 (Fx), 2 (Fy) or 3 (Fy and Mz): " + entry(1, 0) + "\n"},
      {"NoPoints", "2\n" + entry(0, 1) + "\n" + entry(0, 1) + "\n",
       " DesignTarget.dat declares no measured point: every point count is 0 or less\n"},
      {"TooManyPoints", "2\n" + entry(2000000000, 1) + "\n" + entry(2000000000, 1) + "\n",
       " DesignTarget.dat declares 4000000000 points in all, more than 306783378\n"},
      {"ShortMeasurementFile", "1\n" + entry(52, 1) + "\n",
       " missing line at 51 in file braking.dat\n braking.dat holds 51 points where 52 are promised (line 3 of "
       "DesignTarget.dat)\n"},
      {"PointsNegative", "1\n file = braking.dat points = -5 direction = 1 speed = 0\n",
       " DesignTarget.dat line 3: points = -5 should be a whole number of 0 or more:  file = braking.dat points = -5 "
       "direction = 1 speed = 0\n"},
      {"PointsNotWhole", "1\n file = braking.dat points = 4x1 direction = 1 speed = 0\n",
       " DesignTarget.dat line 3: points = 4x1 should be a whole number of 0 or more:  file = braking.dat points = 4x1 "
       "direction = 1 speed = 0\n"},
      {"DirectionNotWhole", "1\n file = braking.dat points = 4 direction = 1.9 speed = 0\n",
       " DesignTarget.dat line 3: direction = 1.9 should be a whole number, 1 (Fx), 2 (Fy) or 3 (Fy and Mz):  file = "
       "braking.dat points = 4 direction = 1.9 speed = 0\n"},
      {"SpeedDecimalComma", "1\n file = braking.dat points = 4 direction = 1 speed = 16666,7\n",
       " line 3 of DesignTarget.dat has a number with a decimal comma (write it with a point):  file = braking.dat "
       "points = 4 direction = 1 speed = 16666,7\n"},
      {"SpeedNotFinite", "1\n file = braking.dat points = 1 direction = 1 speed = inf\n",
       " DesignTarget.dat line 3: speed inf is not a finite number:  file = braking.dat points = 1 direction = 1 speed = inf\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write(kDesignTargetFile, "design target list\n number of files = " + c.list);
    const CallResult call = designCall(state, x, 0);
    EXPECT_EQ(call.value, kTargetFault);
    EXPECT_EQ(call.output, c.message + " error in reading file DesignTarget \n");
  }
}

// A point is one line of seven numbers, as gripsim reads the same files: six
// or eight numbers a line would shift every later point.
TEST_F(DesignCallTest, MeasurementLinesHoldWholePoints) {
  const std::string point = "0.01 1.0 0.0 100.0 -200.0 4000.0 1500.0";
  const struct {
    const char* name;
    std::string line, message;
  } cases[] = {
      {"SixNumbers", "0.01 1.0 0.0 100.0 -200.0 4000.0",
       " line 2 of odd.dat does not hold the seven numbers of one measured point: 0.01 1.0 0.0 100.0 -200.0 4000.0\n"},
      {"EightNumbers", point + " 7",
       " line 2 of odd.dat does not hold the seven numbers of one measured point: " + point + " 7\n"},
      {"TrailingText", point + " N",
       " line 2 of odd.dat does not hold the seven numbers of one measured point: " + point + " N\n"},
      {"NotFinite", "0.01 nan 0.0 100.0 -200.0 4000.0 1500.0", " line 2 of odd.dat: number 2 (nan) is not a finite number\n"},
      {"ZeroLoad", "0.01 1.0 0.0 100.0 -200.0 0 1500.0", " line 2 of odd.dat: vertical load 0 N should be above 0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("odd.dat", point + "\n" + c.line + "\n" + point + "\n");
    dir.write(kDesignTargetFile, "targets\n files = 1\n file = odd.dat points = 3 direction = 1 speed = 0\n[Eof]\n");
    const CallResult call = designCall(state, x, 0);
    EXPECT_EQ(call.value, kTargetFault);
    EXPECT_EQ(call.output, c.message + " error in reading file DesignTarget \n");
  }
  dir.write("odd.dat", point + "\n\n" + point + "\r\n" + point + "\n" + point + "\n");
  dir.write(kDesignTargetFile, "targets\n files = 1\n file = odd.dat points = 3 direction = 9 speed = 0\n[Eof]\n");
  const CallResult call = designCall(state, x, 0);
  EXPECT_EQ(call.value, 3.0) << "blank lines and Windows line ends pass; points beyond the count are not used";
  EXPECT_EQ(call.output,
            " DesignTarget.dat line 3: target direction 9 counts as 3 (Fy and Mz):  file = odd.dat points = 3 direction = 9 speed = 0\n");
  EXPECT_EQ(state.totalPoints, 3);
  EXPECT_EQ(state.pointsBeyondCount, std::vector<int>{1});
}

}  // namespace
}  // namespace grip
