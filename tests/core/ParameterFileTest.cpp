#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "ParameterFileText.h"
#include "TempDir.h"
#include "core/TyreModel.h"

namespace grip {
namespace {

/// A variant that records what the model object asks of it.
class RecordingVariant final : public TyreVariant {
 public:
  int setUp(const ParameterSet& p) override {
    ++setUps;
    seen = p;
    return setUpResult;
  }
  int refresh(const ParameterSet&) override { return 0; }
  void evaluate(const OperatingPoint&, TyreForces& f) override {
    ++evaluations;
    f = {1.0, 2.0, 3.0};
  }
  ContactPatch contactPatch() const override { return {6.0, 2.0, 3.0}; }

  int setUpResult = 0;
  int setUps = 0;
  int evaluations = 0;
  ParameterSet seen{};
};

class ParameterFileTest : public ::testing::Test {
 protected:
  ParameterFileTest() {
    auto c = std::make_unique<RecordingVariant>();
    auto d = std::make_unique<RecordingVariant>();
    continuous = c.get();
    discrete = d.get();
    model = std::make_unique<TyreModel>(std::move(c), std::move(d));
  }

  /// Reads text as a parameter file; returns the reader's result, console in output.
  int read(const std::string& text) {
    dir.write("p.dat", text);
    model->parameterFileName = dir.file("p.dat");
    ::testing::internal::CaptureStdout();
    int result = model->readParameterFile();
    output = ::testing::internal::GetCapturedStdout();
    return result;
  }

  test::TempDir dir;
  std::unique_ptr<TyreModel> model;
  RecordingVariant* continuous = nullptr;
  RecordingVariant* discrete = nullptr;
  std::string output;
};

TEST_F(ParameterFileTest, CompleteFileIsReadSilently) {
  const ParameterSet values = test::distinctParameters();
  EXPECT_EQ(read(test::parameterFileText(values, 1.0)), 10);
  EXPECT_EQ(output, "");
  EXPECT_EQ(model->parameterCount, 33);
  EXPECT_EQ(model->errorCount, 0);
  EXPECT_EQ(model->modelType, 1);
  EXPECT_EQ(model->parameters, values);
  EXPECT_EQ(continuous->setUps, 1);
  EXPECT_EQ(discrete->setUps, 0);
  EXPECT_TRUE(model->variantReady());
}

TEST_F(ParameterFileTest, BlocksMayDivideTheValuesDifferently) {
  const ParameterSet values = test::distinctParameters();
  EXPECT_EQ(read(test::parameterFileText(values, 2.0, {5, 2, 13, 4, 9})), 10);
  EXPECT_EQ(output, "");
  EXPECT_EQ(model->parameters, values);
  EXPECT_EQ(discrete->setUps, 1);
}

TEST_F(ParameterFileTest, MissingSecondHeaderShiftsEveryLaterTest) {
  std::string text = test::parameterFileText(test::distinctParameters(), 1.0, {4, 0, 13, 4, 9});
  text.erase(text.find("[TWGpar2]"), text.find("[TWGpar3]") - text.find("[TWGpar2]"));
  read(text);
  EXPECT_EQ(output,
            " Error in data block 1 \n Error in data block 2 \n Error in data block 3 \n"
            " Error in data block 4 \n Error in data block 5 \n"
            " number of input data = 4 should be = 33\n"
            " error 5 while using model 0\n");  // the model block was never reached
  EXPECT_EQ(continuous->setUps, 0);
  EXPECT_FALSE(model->variantReady());
}

TEST_F(ParameterFileTest, ShortFirstBlockIsReportedByTheCount) {
  std::string text = test::parameterFileText(test::distinctParameters(), 1.0, {3, 3, 13, 4, 9});
  EXPECT_EQ(read(text), 10);
  EXPECT_EQ(output, " number of input data = 32 should be = 33\n error 1 while using model 1\n");
  EXPECT_EQ(model->errorCount, 1);
  EXPECT_EQ(continuous->setUps, 0);
}

TEST_F(ParameterFileTest, SurplusValuesAreCountedButNotStored) {
  std::string text = test::parameterFileText(test::distinctParameters(), 1.0, {4, 3, 13, 4, 12});
  read(text);
  EXPECT_EQ(output, " number of input data = 36 should be = 33\n error 1 while using model 1\n");
  EXPECT_EQ(model->parameters[32], 33.5);
}

TEST_F(ParameterFileTest, ModelNumberIsTruncatedTowardZero) {
  struct Case {
    double number;
    int type;
    int result;
    const char* output;
  };
  const Case cases[] = {
      {1.9, 1, 10, ""},
      {2.7, 2, 10, ""},
      {3.0, 3, 0, " type of model should be 1 (continuos) or 2 (discete) and not 3\n"},
      {0.5, 0, 0, " type of model should be 1 (continuos) or 2 (discete) and not 0\n"},
      {-1.5, -1, 0, " type of model should be 1 (continuos) or 2 (discete) and not -1\n"},
      {1e300, 2147483647, 0, " type of model should be 1 (continuos) or 2 (discete) and not 2147483647\n"},
      {NAN, 0, 0, " type of model should be 1 (continuos) or 2 (discete) and not 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(read(test::parameterFileText(test::distinctParameters(), c.number)), c.result);
    EXPECT_EQ(model->modelType, c.type);
    EXPECT_EQ(output, c.output);
  }
}

TEST_F(ParameterFileTest, UnreadableFileKeepsTheEarlierRead) {
  const ParameterSet values = test::distinctParameters();
  read(test::parameterFileText(values, 1.0));
  model->forces = {7.0, 8.0, 9.0};
  model->parameterFileName = dir.file("missing.dat");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(model->readParameterFile(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            " unable to open input file " + dir.file("missing.dat") + " for reading\n");
  EXPECT_EQ(model->parameters, values);
  EXPECT_EQ(model->modelType, 1);
  EXPECT_TRUE(model->variantReady());
  EXPECT_EQ(model->forces.Fx, 0.0);
}

TEST_F(ParameterFileTest, SetUpCodeIsReported) {
  discrete->setUpResult = 4;
  read(test::parameterFileText(test::distinctParameters(), 2.0));
  EXPECT_EQ(output, " error 4 while using model 2\n");
  EXPECT_EQ(model->errorCount, 4);
  EXPECT_FALSE(model->variantReady());
}

// A value line whose value cannot be read must not keep an older value.
TEST_F(ParameterFileTest, UnreadableValueLineRejectsTheFile) {
  struct Case {
    const char* replacement;
    const char* message;
  };
  const Case cases[] = {
      {" cy0        4.5e-02 [N/mm^3]\n", "has no \"=\":  cy0        4.5e-02 [N/mm^3]\n"},
      {" cy0      = [N/mm^3]\n", "has no number after \"=\":  cy0      = [N/mm^3]\n"},
      {" cy0      =\n", "has no number after \"=\":  cy0      =\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replacement);
    std::string text = test::parameterFileText(test::distinctParameters(), 1.0);
    std::size_t line = text.find(" p3 ");
    text.replace(line, text.find('\n', line) + 1 - line, c.replacement);
    read(text);
    EXPECT_EQ(output, " line 4 of " + dir.file("p.dat") + " " + c.message + " error 1 while using model 1\n");
    EXPECT_TRUE(std::isnan(model->parameters[2]));
    EXPECT_FALSE(model->variantReady());
  }
}

TEST_F(ParameterFileTest, FileEndingInsideABlockIsReported) {
  std::string text = test::parameterFileText(test::distinctParameters(), 1.0);
  text.resize(text.find(" p10 "));  // ends after line 12, inside the friction block
  read(text);
  EXPECT_EQ(output, " " + dir.file("p.dat") + " ends after line 12 where line 13 was expected\n"
                    " Error in data block 3 \n Error in data block 4 \n Error in data block 5 \n"
                    " number of input data = 20 should be = 33\n"
                    " error 4 while using model 0\n");
}

TEST_F(ParameterFileTest, WindowsLineEndsReadAsTheSameFile) {
  const ParameterSet values = test::distinctParameters();
  std::string text = test::parameterFileText(values, 1.0);
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(read(crlf), 10);
  EXPECT_EQ(output, "");
  EXPECT_EQ(model->parameters, values);
}

TEST_F(ParameterFileTest, GarbageIsReportedWithoutHarm) {
  std::string garbage;
  for (int k = 0; k < 5000; ++k) garbage += static_cast<char>((k * 7919) % 256);
  read(garbage);
  EXPECT_NE(output.find(" Error in data block 5 \n"), std::string::npos);
  EXPECT_FALSE(model->variantReady());
}

TEST_F(ParameterFileTest, HugeCountStopsAtTheEndOfTheFile) {
  read("[TWGpar1] number = 2000000000\n a = 1\n");
  EXPECT_NE(output.find("ends after line 2 where line 3 was expected"), std::string::npos);
  EXPECT_NE(output.find(" number of input data = 2000000000 should be = 33\n"), std::string::npos);
}

TEST_F(ParameterFileTest, EvaluationNeedsASetUpVariant) {
  ::testing::internal::CaptureStdout();
  model->evaluate();
  double area = -1.0, h = -1.0, b = -1.0;
  model->contactArea(area, h, b);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            " type of model should be 1 (continuos) or 2 (discete) and not 0\n"
            " type of model should be 1 (continuos) or 2 (discete) and not 0\n");
  EXPECT_EQ(area, -1.0);

  read(test::parameterFileText(test::distinctParameters(), 1.0, {3, 3, 13, 4, 9}));
  ::testing::internal::CaptureStdout();
  model->evaluate();
  model->contactArea(area, h, b);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            " model 1 is not set up: parameter file " + dir.file("p.dat") + " was not accepted\n");
  EXPECT_EQ(continuous->evaluations, 0);
  EXPECT_EQ(area, 0.0);

  read(test::parameterFileText(test::distinctParameters(), 1.0));
  model->evaluate();
  model->contactArea(area, h, b);
  EXPECT_EQ(continuous->evaluations, 1);
  EXPECT_EQ(model->forces.Mz, 3.0);
  EXPECT_EQ(area, 6.0);
}

}  // namespace
}  // namespace grip
