// The fit against reference cases computed by an independent implementation:
// initialise, one run and terminate with the case's design vector; the
// console text ends with the target value, or with the failure value of a
// refused initialise.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "FitFolder.h"
#include "TextCompare.h"

namespace grip {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> goldenCases() {
  std::vector<std::string> names;
  const fs::path root = GOLDEN_DIR "/fit";
  if (!fs::is_directory(root)) return names;
  for (const auto& entry : fs::directory_iterator(root))
    if (fs::exists(entry.path() / "x.txt")) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string asText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g\n", value);
  return text;
}

class GoldenFit : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenFit, MatchesTheReference) {
  const fs::path source = fs::path(GOLDEN_DIR "/fit") / GetParam();
  test::FitFolder dir;
  for (const auto& entry : fs::directory_iterator(source))
    if (entry.is_regular_file()) fs::copy_file(entry.path(), dir.path() / entry.path().filename());
  std::ifstream in(source / "x.txt");
  const std::vector<double> design{std::istream_iterator<double>(in), std::istream_iterator<double>()};

  DesignState state;
  std::vector<double> x(design.size(), 0.0);
  test::CallResult call = test::designCall(state, x, 0);
  std::string output = call.output;
  if (call.value >= kArgumentFault) {
    output += asText(call.value);
  } else {
    x = design;
    output += test::designCall(state, x, 1).output;
    call = test::designCall(state, x, -1);
    output += call.output + asText(call.value);
  }
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

}  // namespace
}  // namespace grip
