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
  int setUp(const ParameterSet&) override { return ++setUps, setUpResult; }
  int refresh(const ParameterSet&) override { return 0; }
  void evaluate(const OperatingPoint&, TyreForces& f) override { ++evaluations, f = {1.0, 2.0, 3.0}; }
  ContactPatch contactPatch() const override { return {6.0, 2.0, 3.0}; }
  const VariantDescription& description() const override { return kDescribed; }

  /// Every parameter under its common name, kParameterTable's; only ni fixed at set-up.
  static constexpr VariantDescription kDescribed = [] {
    VariantDescription d{"recording", {}, {"bobyqa", 1, 1, 1, 1}};
    for (std::size_t k = 0; k < kParameterCount; ++k) d.parameters[k] = {.name = kParameterTable[k].name, .unit = "-"};
    d.parameters[par::ni].fixedAtSetUp = true;
    return d;
  }();

  int setUpResult = 0;
  int setUps = 0;
  int evaluations = 0;
};

/// A model object over two recording variants, reading files from a temporary folder.
struct ModelUnderTest {
  ModelUnderTest() {
    auto c = std::make_unique<RecordingVariant>();
    auto d = std::make_unique<RecordingVariant>();
    continuous = c.get();
    discrete = d.get();
    TyreVariants variants(3);
    variants[kContinuousModel] = std::move(c);
    variants[kDiscreteModel] = std::move(d);
    model = std::make_unique<TyreModel>(std::move(variants));
  }

  /// Reads text as a parameter file; returns the reader's result, console in output.
  int read(const std::string& text) {
    dir.write("p.dat", text);
    ::testing::internal::CaptureStdout();
    int result = model->readParameterFile(dir.file("p.dat"), nullptr);
    output = ::testing::internal::GetCapturedStdout();
    return result;
  }

  test::TempDir dir;
  std::unique_ptr<TyreModel> model;
  RecordingVariant* continuous = nullptr;
  RecordingVariant* discrete = nullptr;
  std::string output;
};

class ParameterFileTest : public ::testing::Test, public ModelUnderTest {};

/// The example file with the line that starts with `from` replaced by `to`
/// (up to and including the line end), or cut off there when `to` is empty.
std::string edited(const char* from, const std::string& to, double model = 1.0,
                   std::vector<int> counts = {4, 3, 13, 4, 9}) {
  std::string text = test::parameterFileText(test::distinctParameters(), model, counts);
  if (from == nullptr) return text;
  std::size_t at = text.find(from);
  if (to.empty()) return text.substr(0, at);
  return text.replace(at, text.find('\n', at) + 1 - at, to);
}

std::string withoutSecondBlock() {
  std::string text = test::parameterFileText(test::distinctParameters(), 1.0);
  std::size_t from = text.find("[TWGpar2]");
  return text.erase(from, text.find("[TWGpar3]") - from);
}

TEST_F(ParameterFileTest, CompleteFileIsReadSilentlyHoweverTheBlocksDivideIt) {
  for (std::vector<int> counts : {std::vector<int>{4, 3, 13, 4, 9}, {5, 2, 13, 4, 9}}) {
    EXPECT_EQ(read(test::parameterFileText(test::distinctParameters(), 1.0, counts)), 10);
    EXPECT_EQ(output, "");
    EXPECT_EQ(model->parameterCount, 33);
    EXPECT_EQ(model->errorCount, 0);
    EXPECT_EQ(model->parameters, test::distinctParameters());
    EXPECT_TRUE(model->variantReady());
  }
  EXPECT_EQ(continuous->setUps, 2);
  EXPECT_EQ(discrete->setUps, 0);
}

// Every fault is reported in reading order and the variant is not set up.
TEST_F(ParameterFileTest, FaultsAreReportedInOrder) {
  const std::string blocks1to5 =
      " Error in data block 1 \n Error in data block 2 \n Error in data block 3 \n"
      " Error in data block 4 \n Error in data block 5 \n";
  struct Case {
    std::string name;
    std::string text;
    std::string output;  // "@" stands for the file's path
  };
  const Case cases[] = {
      // Without "[TWGpar2]" every later test meets the wrong line; the model
      // block is never reached, so the model number of the construction stays.
      {"missing header", withoutSecondBlock(),
       blocks1to5 + " number of input data = 4 should be = 33\n error 5 while using model 0\n"},
      {"short block", edited(nullptr, "", 1.0, {3, 3, 13, 4, 9}),
       " number of input data = 32 should be = 33\n error 1 while using model 1\n"},
      {"surplus values", edited(nullptr, "", 1.0, {4, 3, 13, 4, 12}),
       " number of input data = 36 should be = 33\n error 1 while using model 1\n"},
      {"no equals sign", edited(" p3 ", " cy0  4.5e-02\n"), " line 4 of @ has no \"=\":  cy0  4.5e-02\n error 1 while using model 1\n"},
      {"no number", edited(" p3 ", " cy0 = [N]\n"),
       " line 4 of @ has no number after \"=\":  cy0 = [N]\n error 1 while using model 1\n"},
      {"end inside a block", edited(" p10 ", ""),
       " @ ends after line 12 where line 13 was expected\n Error in data block 3 \n Error in data block 4 \n"
       " Error in data block 5 \n number of input data = 20 should be = 33\n error 4 while using model 0\n"},
      {"huge count", "[TWGpar1] number = 2000000000\n a = 1\n",
       " @ ends after line 2 where line 3 was expected\n" + blocks1to5 +
           " number of input data = 2000000000 should be = 33\n error 6 while using model 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModelUnderTest fresh;
    fresh.read(c.text);
    std::string want = c.output;
    for (std::size_t at; (at = want.find('@')) != std::string::npos;) want.replace(at, 1, fresh.dir.file("p.dat"));
    EXPECT_EQ(fresh.output, want);
    EXPECT_FALSE(fresh.model->variantReady());
    EXPECT_EQ(fresh.continuous->setUps, 0);
  }
}

TEST_F(ParameterFileTest, UnreadableValueIsNotTakenFromAnEarlierRead) {
  read(test::parameterFileText(test::distinctParameters(), 1.0));
  read(edited(" p3 ", " cy0 =\n"));
  EXPECT_TRUE(std::isnan(model->parameters[2]));
}

TEST_F(ParameterFileTest, ModelNumberIsTruncatedTowardZero) {
  struct Case {
    double number;
    int type;
    int result;
  };
  const Case cases[] = {{1.9, 1, 10}, {2.7, 2, 10}, {3.0, 3, 0}, {0.5, 0, 0}, {-1.5, -1, 0}, {1e300, 2147483647, 0},
                        {NAN, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(read(test::parameterFileText(test::distinctParameters(), c.number)), c.result);
    EXPECT_EQ(model->modelType, c.type);
    EXPECT_EQ(output, c.result != 0 ? "" : " type of model should be 1 (continuos) or 2 (discete) and not " +
                                               std::to_string(c.type) + "\n");
  }
}

TEST_F(ParameterFileTest, UnreadableFileKeepsTheEarlierRead) {
  read(test::parameterFileText(test::distinctParameters(), 1.0));
  model->forces = {7.0, 8.0, 9.0};
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(model->readParameterFile(dir.file("missing.dat"), nullptr), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            " unable to open input file " + dir.file("missing.dat") + " for reading\n");
  EXPECT_EQ(model->parameters, test::distinctParameters());
  EXPECT_TRUE(model->variantReady());
  EXPECT_EQ(model->forces.Fx, 0.0);
}

TEST_F(ParameterFileTest, SetUpCodeIsReported) {
  discrete->setUpResult = 4;
  read(test::parameterFileText(test::distinctParameters(), 2.0));
  EXPECT_EQ(output, " error 4 while using model 2\n");
  EXPECT_FALSE(model->variantReady());
}

TEST_F(ParameterFileTest, WindowsLineEndsAndGarbage) {
  std::string crlf;
  for (char c : test::parameterFileText(test::distinctParameters(), 1.0)) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  EXPECT_EQ(read(crlf), 10);
  EXPECT_EQ(output, "");

  std::string garbage;
  for (int k = 0; k < 5000; ++k) garbage += static_cast<char>((k * 7919) % 256);
  read(garbage);
  EXPECT_NE(output.find(" Error in data block 5 \n"), std::string::npos);
  EXPECT_FALSE(model->variantReady());
}

TEST_F(ParameterFileTest, EvaluationNeedsASetUpVariant) {
  const std::string typeMessage = " type of model should be 1 (continuos) or 2 (discete) and not 0\n";
  ::testing::internal::CaptureStdout();
  model->evaluate();
  double area = -1.0, h = -1.0, b = -1.0;
  model->contactArea(area, h, b);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), typeMessage + typeMessage);
  EXPECT_EQ(area, -1.0);

  read(edited(nullptr, "", 1.0, {3, 3, 13, 4, 9}));
  ::testing::internal::CaptureStdout();
  model->evaluate();
  model->contactArea(area, h, b);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            " model 1 is not set up: parameter file " + dir.file("p.dat") + " was not accepted\n");
  EXPECT_EQ(continuous->evaluations, 0);
  EXPECT_EQ(area, 0.0);
}

// A variant without naming rules of its own writes every parameter under its
// description's name, whatever the friction law; what is fixed at set-up is
// what the description says.
TEST(TyreVariantDefaults, NamesAndFixedParametersFromTheDescription) {
  const RecordingVariant variant;
  ParameterSet p{};
  p[par::sliding] = 4.0;
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter) {
    EXPECT_STREQ(variant.parameterName(parameter, p), kParameterTable[parameter].name) << parameter;
    EXPECT_EQ(variant.fixedAtSetUp(parameter), parameter == par::ni) << parameter;
  }
}

}  // namespace
}  // namespace grip
