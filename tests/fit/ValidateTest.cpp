// The checks before a search: which design files are refused or warned
// about, with the exact message naming file, line and value.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>

#include "core/FormatText.h"
#include "FitFolder.h"
#include "core/Console.h"
#include "core/NumberText.h"
#include "fit/Search.h"

namespace grip {
namespace {

struct ValidationCase {
  const char* name;
  const char* parameter;  ///< parameter whose line is changed ("" for none)
  const char* lineEnd;    ///< its new text behind the value
  const char* value;      ///< its new value ("" to keep it)
  const char* targetList; ///< the target list ("" for the example's)
  std::vector<DesignIssue> expected;
};

class Validation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(Validation, NamesFileLineAndValue) {
  const ValidationCase& c = GetParam();
  test::FitFolder dir;
  test::copyFiles(EXAMPLES_DIR "/fit", dir);
  std::string start = dir.read(fit::kDesignStartFile);
  if (*c.parameter != '\0') {
    if (*c.value != '\0') start = test::withValue(start, c.parameter, c.value);
    const std::size_t line = start.find(std::string(" ") + c.parameter + " ");
    const std::size_t unitEnd = start.find(']', line) + 1;
    start.replace(unitEnd, start.find('\n', line) - unitEnd, c.lineEnd);
  }
  dir.write(fit::kDesignStartFile, start);
  if (*c.targetList != '\0') dir.write(fit::kDesignTargetFile, c.targetList);

  DesignState state;
  ScopedMessageSink silent([](std::string_view) {});
  ASSERT_EQ(initialiseDesign(state), 0.0);
  const std::vector<DesignIssue> issues = validateDesign(state);
  std::string all;
  for (const DesignIssue& issue : issues) all += issue.message + "\n";
  ASSERT_EQ(issues.size(), c.expected.size()) << all;
  for (std::size_t k = 0; k < issues.size(); ++k) {
    EXPECT_EQ(issues[k].error, c.expected[k].error) << issues[k].message;
    EXPECT_EQ(issues[k].message, c.expected[k].message);
  }
}

const char* const kShortList =
    "list\n files = 1\n file = slip3000.dat points = 40 direction = 1 speed = 20000\n[Eof]\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, Validation,
    ::testing::Values(
        ValidationCase{"ExampleHasNoIssue", "", "", "", "", {}},
        ValidationCase{"MissingUpperBound", "cx0", " designbounds 0.03", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0 has no upper design bound "
                               "(designbounds 0.03 UPPER)"}}},
        ValidationCase{"MissingBothBounds", "cy0", " designbounds", "", "",
                       {{true, "DesignStart.dat line 4: design variable cy0 has no design bounds "
                               "(designbounds LOWER UPPER)"}}},
        ValidationCase{"ReversedBounds", "mue0", " designbounds 1.4 0.6", "", "",
                       {{true, "DesignStart.dat line 11: design variable mue0: lower bound 1.4 is not below "
                               "upper bound 0.6"}}},
        ValidationCase{"EqualBounds", "mue0", " designbounds 0.9 0.9", "", "",
                       {{true, "DesignStart.dat line 11: design variable mue0: lower bound 0.9 is not below "
                               "upper bound 0.9"}}},
        ValidationCase{"StartAboveItsBoundIsClampedWithAWarning", "MzScaleP", " designbounds 0.5 1.5", "1.75", "",
                       {{false, "DesignStart.dat line 27: design variable MzScaleP = 1.75 is outside its bounds "
                                "0.5 to 1.5: the search starts from 1.5"}}},
        ValidationCase{"StartBelowItsBoundIsClampedWithAWarning", "cx0", " designbounds 0.08 0.09", "", "",
                       {{false, "DesignStart.dat line 2: design variable cx0 = 0.072 is outside its bounds "
                                "0.08 to 0.09: the search starts from 0.08"}}},
        ValidationCase{"SwitchAsDesignVariable", "sliding", " designbounds 0 1", "", "",
                       {{true, "DesignStart.dat line 36: sliding = 1 is a whole number (a count or a switch) "
                               "and cannot be a design variable"}}},
        ValidationCase{"CountOfTheContinuousModelAsDesignVariable", "ni", " designbounds 10 30", "", "",
                       {{true, "DesignStart.dat line 33: ni = 20 is a whole number (a count or a switch) "
                               "and cannot be a design variable"}}},
        // Bounds that cannot be searched or written back, each its own case.
        ValidationCase{"InfiniteUpperBound", "cx0", " designbounds +3.0e-02 inf", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0: upper bound inf is not a finite number"}}},
        ValidationCase{"InfiniteLowerBound", "cx0", " designbounds -inf 0.09", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0: lower bound -inf is not a finite number"}}},
        ValidationCase{"LowerBoundNotANumber", "cx0", " designbounds nan 0.09", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0: lower bound nan is not a finite number"}}},
        ValidationCase{"BothBoundsInfinite", "cx0", " designbounds -inf inf", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0: lower bound -inf is not a finite number"},
                        {true, "DesignStart.dat line 2: design variable cx0: upper bound inf is not a finite number"}}},
        ValidationCase{"InfiniteLowerBoundWithoutUpper", "cx0", " designbounds inf", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0: lower bound inf is not a finite number"},
                        {true, "DesignStart.dat line 2: design variable cx0 has no upper design bound "
                               "(designbounds inf UPPER)"}}},
        ValidationCase{"UpperBoundWrittenAsInfinity", "cx0", " designbounds 0 1.7976931348623157e308", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0: upper bound 1.7976931348623157e+308 is "
                               "beyond 1.7976931348e+308, the largest the parameter file writes and reads back"}}},
        ValidationCase{"LowerBoundWrittenAsInfinity", "cx0", " designbounds -1.79769313486e308 0.09", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0: lower bound -1.79769313486e+308 is "
                               "beyond 1.7976931348e+308, the largest the parameter file writes and reads back"}}},
        ValidationCase{"LargestWrittenBoundIsAccepted", "cx0", " designbounds 0 1.7976931348e308", "", "", {}},
        ValidationCase{"RangeOfBoundsOverflows", "cx0", " designbounds -1.7e308 1.7e308", "", "",
                       {{true, "DesignStart.dat line 2: design variable cx0: the range of its bounds -1.7e+308 to "
                               "1.7e+308 is beyond the largest number"}}},
        ValidationCase{"ParameterWrittenAsInfinity", "cx1", "", "1.7976931348623157e308", "",
                       {{true, "DesignStart.dat line 3: cx1 = 1.7976931348623157e+308 is beyond 1.7976931348e+308, "
                               "the largest the parameter file writes and reads back"}}},
        ValidationCase{"DesignStartWrittenAsInfinity", "MzScaleP", " designbounds 0.5 1.5", "-1.7976931348623157e308", "",
                       {{true, "DesignStart.dat line 27: MzScaleP = -1.7976931348623157e+308 is beyond "
                               "1.7976931348e+308, the largest the parameter file writes and reads back"},
                        {false, "DesignStart.dat line 27: design variable MzScaleP = -1.79769e+308 is outside its "
                                "bounds 0.5 to 1.5: the search starts from 0.5"}}},
        ValidationCase{"FileWithMorePointsThanItsCount", "", "", "", kShortList,
                       {{false, "DesignTarget.dat line 3: slip3000.dat holds more points than its points = 40: "
                                "the 1 beyond are not used"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The limit of the bounds: the parameter file's text of the largest
// accepted value reads back as itself, that of the largest double as
// infinity (which is why it is refused).
TEST(LargestWrittenValue, ReadsBackFiniteWhereTheLargestDoubleDoesNot) {
  const auto readBack = [](double value) {
    const std::string text = formatted("%+16.10e", value);  // as the parameter file writes it
    const char* at = text.data();
    double read = 0.0;
    EXPECT_TRUE(parseReal(at, text.data() + text.size(), read)) << text;
    return read;
  };
  EXPECT_EQ(readBack(kLargestWrittenValue), kLargestWrittenValue);
  EXPECT_EQ(readBack(-kLargestWrittenValue), -kLargestWrittenValue);
  EXPECT_EQ(readBack(std::numeric_limits<double>::max()), std::numeric_limits<double>::infinity());
}

}  // namespace
}  // namespace grip
