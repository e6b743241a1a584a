// The target list and the measurement store.

#include <gtest/gtest.h>

#include <numeric>

#include "FitFolder.h"

namespace grip {
namespace {

std::string entry(const std::string& file, int points, int direction, double speed = 0.0) {
  std::ostringstream text;
  text << " file = " << file << " points = " << points << " direction = " << direction << " speed = " << speed << "\n";
  return text.str();
}

std::string targetList(int fileCount, const std::string& entries) {
  return "design target list\n number of files = " + std::to_string(fileCount) + "\n" + entries;
}

/// Seven numbers per point from first on, counting up.
std::string points(int count, int first) {
  std::ostringstream text;
  for (int p = 0; p < count; ++p) {
    for (int k = 0; k < 7; ++k) text << " " << first + 7 * p + k;
    text << "\n";
  }
  return text.str();
}

TEST(DesignTarget, FillsTheStoreFileAfterFileWithTheDeclaredPoints) {
  test::FitFolder dir;
  // Spread over two lines, the seven numbers of a point still make one point;
  // the fourth file has more points than declared and gives only those; the
  // list ends at the end of the file.
  dir.write("a.dat", " 1 2 3\n 4 5 6 7\n" + points(2, 8));
  dir.write("b.dat", points(5, 22));
  dir.write("c.dat", "");
  dir.write(gateway::kDesignTargetFile,
            targetList(3, entry("a.dat", 3, 1, 500.0) + entry("b.dat", 4, 3, -250.5) + entry("c.dat", -2, 2)));
  DesignState state;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(readDesignTarget(state), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

  std::vector<double> expected(49);
  std::iota(expected.begin(), expected.end(), 1.0);
  EXPECT_EQ(state.measurements, expected);
  EXPECT_EQ(state.fileCount, 3);
  EXPECT_EQ(state.totalPoints, 7);  // a negative count contributes no point
  EXPECT_EQ(state.PointsPerFile, (std::vector<int>{3, 4, 0}));
  EXPECT_EQ(state.TargetDirectionPerFile, (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(state.SpeedPerFile, (std::vector<double>{500.0, -250.5, 0.0}));
}

struct TargetFault {
  const char* name;
  std::string list;  ///< DesignTarget.dat; nothing is written when empty
  const char* message;
};

void PrintTo(const TargetFault& fault, std::ostream* out) { *out << fault.name; }

class DesignTargetFault : public ::testing::TestWithParam<TargetFault> {};

TEST_P(DesignTargetFault, IsRefusedWithItsMessage) {
  test::FitFolder dir;
  dir.write("a.dat", points(2, 1));
  if (!GetParam().list.empty()) dir.write(gateway::kDesignTargetFile, GetParam().list);
  DesignState state;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(readDesignTarget(state), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), GetParam().message);
}

const std::string kGood = entry("a.dat", 1, 1);

INSTANTIATE_TEST_SUITE_P(
    Cases, DesignTargetFault,
    ::testing::Values(
        TargetFault{"NoFile", "", " unable to open input file DesignTarget.dat for reading\n"},
        TargetFault{"EmptyFile", "\n", " DesignTarget.dat ends after line 1 where line 2 was expected\n"},
        TargetFault{"NoEqualsOnLine2", "list\n files 1\n" + kGood, " line 2 of DesignTarget.dat has no \"=\":  files 1\n"},
        TargetFault{"NoFiles", targetList(0, "[Eof]\n"),
                    " DesignTarget.dat line 2: number of files 0 should be 1 or more\n"},
        TargetFault{"EntryWithThreeEquals", targetList(2, kGood + " file a.dat points = 1 direction = 1 speed = 0\n"),
                    " Optifile : Missing line or missing = at line 1 in file DesignTarget.dat\n"},
        TargetFault{"BlankEntry", targetList(1, "\n" + kGood),
                    " Optifile : Missing line or missing = at line 0 in file DesignTarget.dat\n"},
        TargetFault{"NoPointCount", targetList(1, " file = a.dat points = many direction = 1 speed = 0\n"),
                    " line 3 of DesignTarget.dat has no number after \"=\":  "
                    "file = a.dat points = many direction = 1 speed = 0\n"},
        TargetFault{"DirectionZero", targetList(1, entry("a.dat", 1, 0)),
                    " DesignTarget.dat line 3: target direction 0 should be 1 (Fx), 2 (Fy) or 3 (Fy and Mz):  "
                    "file = a.dat points = 1 direction = 0 speed = 0\n"},
        TargetFault{"FewerEntries", targetList(3, kGood + kGood + "[Eof]\n"),
                    " DesignTarget.dat lists 2 measurement files where line 2 declares 3\n"},
        TargetFault{"MoreEntries", targetList(1, kGood + "\n" + entry("b.dat", 1, 2) + "[Eof]\n"),
                    " DesignTarget.dat line 5 lists a measurement file beyond the 1 that line 2 declares:  "
                    "file = b.dat points = 1 direction = 2 speed = 0\n"},
        TargetFault{"NoPoints", targetList(1, entry("a.dat", 0, 1)),
                    " DesignTarget.dat declares no measured point: every point count is 0 or less\n"},
        TargetFault{"TooManyPoints", targetList(2, entry("a.dat", 2000000000, 1) + entry("a.dat", 2000000000, 1)),
                    " DesignTarget.dat declares 4000000000 points in all, more than 306783378\n"},
        TargetFault{"MissingMeasurementFile", targetList(2, kGood + entry("gone.dat", 1, 1)),
                    " unable to open input file gone.dat for reading\n"},
        TargetFault{"ShortMeasurementFile", targetList(1, entry("a.dat", 3, 1)), " missing line at 2 in file a.dat\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace grip
