// gripsim with discrete-model parameter files, end to end.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "Gripsim.h"
#include "TempDir.h"

namespace grip {
namespace {

using test::gripsim;
using test::readFile;
using test::TempDir;

std::size_t lineCount(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

/// The discrete example tyre with one parameter line replaced.
std::string exampleWith(const std::string& from, const std::string& to) {
  std::string text = readFile(EXAMPLES_DIR "/passenger_discrete.dat");
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

constexpr const char* kSingleInput =
    "[DataFileName]\ntyre.dat\n[SingleInput]\n slip = -0.05\n alpha = 2\n camber = 1\n Fz = 4000\n V = 20000\n[Eof]\n";

TEST(GripsimDiscrete, GeometricExampleTracesTheWholeGrid) {
  TempDir dir;
  dir.write("passenger_discrete.dat", readFile(EXAMPLES_DIR "/passenger_discrete.dat"));
  dir.write("discrete_geometric.ctl", readFile(EXAMPLES_DIR "/discrete_geometric.ctl"));
  const test::Run run = gripsim(dir, "discrete_geometric.ctl");
  EXPECT_EQ(run.status, 0) << run.output;
  const std::regex console(
      " Fx   = -?\\d+\\.\\d{6}, Fy = -?\\d+\\.\\d{6}, Mz = -?\\d+\\.\\d{6} \n"
      " Area = \\d+\\.\\d{6},  h = \\d+\\.\\d{6},  b = \\d+\\.\\d{6}, h\\*b = \\d+\\.\\d{6} \n");
  EXPECT_TRUE(std::regex_match(run.output, console)) << run.output;
  EXPECT_EQ(lineCount(dir.read("DiscreteOutput.dat")), 21u * 22u);
  EXPECT_EQ(lineCount(dir.read("camber_sweep.dat")), 25u);
  EXPECT_EQ(lineCount(dir.read("alpha_sweep_cambered.dat")), 41u);
}

TEST(GripsimDiscrete, TableExampleRunsEveryInputMode) {
  TempDir dir;
  for (const char* name : {"passenger_discrete_table.dat", "discrete_table.ctl", "measured.dat"})
    dir.write(name, readFile(std::string(EXAMPLES_DIR "/") + name));
  const test::Run run = gripsim(dir, "discrete_table.ctl");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(lineCount(dir.read("slip_sweep_table.dat")), 61u);
  EXPECT_EQ(lineCount(dir.read("TractalFinput2.dat")), lineCount(readFile(EXAMPLES_DIR "/measured.dat")));
  EXPECT_EQ(dir.read("slip_sweep_table.dat").find("nan"), std::string::npos);
}

TEST(GripsimDiscrete, GridCountBelowOneIsRefusedWithItsCode) {
  TempDir dir;
  dir.write("tyre.dat", exampleWith(" ni       = +2.0000000000e+01", " ni       = +0.0000000000e+00"));
  dir.write("run.ctl", kSingleInput);
  const test::Run run = gripsim(dir, "run.ctl");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.rfind(" grid count ni = 0 (parameter value 0) of the discrete model should be 1 or more\n"
                             " error 6 while using model 2\n",
                             0),
            0u)
      << run.output;
}

TEST(GripsimDiscrete, GridTooLargeToAllocateIsRefusedWithItsCode) {
  TempDir dir;
  dir.write("tyre.dat", exampleWith(" ni       = +2.0000000000e+01", " ni       = +2.1474836470e+09"));
  dir.write("run.ctl", kSingleInput);
  const test::Run run = gripsim(dir, "run.ctl");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.rfind(" No space for allocate left \n error 7 while using model 2\n", 0), 0u) << run.output;
}

}  // namespace
}  // namespace grip
