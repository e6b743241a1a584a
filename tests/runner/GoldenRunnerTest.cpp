// gripsim against reference cases computed by an independent implementation:
// console text and result files, numbers to rounding.

#include <gtest/gtest.h>

#include <filesystem>

#include "Gripsim.h"
#include "TextCompare.h"

namespace grip {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> goldenCases() {
  std::vector<std::string> names;
  const fs::path root = GOLDEN_DIR "/runner";
  if (!fs::is_directory(root)) return names;
  for (const auto& entry : fs::directory_iterator(root))
    if (fs::exists(entry.path() / "run.ctl")) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenRunner : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenRunner, MatchesTheReference) {
  const fs::path source = fs::path(GOLDEN_DIR "/runner") / GetParam();
  test::TempDir dir;
  for (const auto& entry : fs::directory_iterator(source))
    if (entry.is_regular_file()) fs::copy_file(entry.path(), dir.path() / entry.path().filename());
  test::Run run = test::gripsim(dir, "run.ctl");
  EXPECT_EQ(run.status, 0);
  for (const auto& entry : fs::directory_iterator(source / "expected")) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const std::string actual = name == "stdout.txt" ? run.output : dir.read(name);
    ASSERT_TRUE(name == "stdout.txt" || dir.exists(name)) << "not written";
    EXPECT_EQ(test::compareNumericText(test::readFile(entry.path()), actual), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenRunner, ::testing::ValuesIn(goldenCases()),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '_', 'x');
                           return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenRunner);

}  // namespace
}  // namespace grip
