// gripsim end to end: run-control files in a temporary folder, console text
// and result files compared as text.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <sys/stat.h>

#include "Gripsim.h"

namespace grip {
namespace {

using test::gripsim;

constexpr const char* kTypeMessage = " type of model should be 1 (continuos) or 2 (discete) and not %d\n";

std::string typeMessage(int type) {
  char text[128];
  std::snprintf(text, sizeof text, kTypeMessage, type);
  return text;
}

/// A single-input section for the given point.
std::string singleInput(const std::string& point) { return "[SingleInput]\n" + point; }

std::string point(double slip, double alpha, double camber, double load, double speed) {
  std::ostringstream text;
  text.precision(17);
  text << " slip = " << slip << "\n alpha = " << alpha << "\n camber = " << camber << "\n Fz = " << load
       << "\n V = " << speed << "\n";
  return text.str();
}

std::string range(const std::string& points, const std::string& file, const std::string& end,
                  const std::string& start) {
  return "[RangeInput\n points = " + points + "\n file = " + file + "\n end\n" + end + " start\n" + start;
}

std::string range(int points, const std::string& file, const std::string& end, const std::string& start) {
  return range(std::to_string(points), file, end, start);
}

/// The numbers of a result file, line by line.
std::vector<std::vector<double>> numbers(const std::string& text) {
  std::vector<std::vector<double>> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<double> values;
    double v;
    while (fields >> v) values.push_back(v);
    lines.push_back(values);
  }
  return lines;
}

class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest() { dir.write("tyre.dat", test::exampleTyre()); }
  test::Run run(const std::string& control) {
    dir.write("run.ctl", control);
    return gripsim(dir, "run.ctl");
  }
  test::TempDir dir;
};

TEST_F(RunnerTest, CommandLine) {
  struct Case {
    const char* arguments;
    int status;
    const char* output;
  };
  const Case cases[] = {
      {"", 3, " number of arguments should be 1: inputfile \n"},
      {"a b", 3, " number of arguments should be 1: inputfile \n"},
      {"missing.ctl", 3, " unable to open input file missing.ctl\n"},
      {"--version", 0, "gripsim 1.0.0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    test::Run r = gripsim(dir, c.arguments);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.output, c.output);
  }
  test::Run eof = run("[Eof]\n[DataFileName]\nnever.dat\n");
  EXPECT_EQ(eof.status, 0);
  EXPECT_EQ(eof.output, "");
  test::Run help = gripsim(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output.rfind("usage: gripsim RUNCONTROLFILE\n", 0), 0u);
}

TEST_F(RunnerTest, SingleInputPrintsForcesAndPatch) {
  test::Run r = run("[DataFileName]\ntyre.dat\n[SingleInput] 1\n" + point(0.0, 0.0, 0.0, 0.0, 20000.0) +
                    "[SingleInput]\n" + point(0.0, -0.1, 0.0, 4000.0, 20000.0));
  EXPECT_EQ(r.status, 0);
  // Zero load: zero forces, and the patch of no evaluation yet.
  EXPECT_EQ(r.output.substr(0, r.output.find('\n', r.output.find('\n') + 1) + 1),
            " Fx   = 0.000000, Fy = 0.000000, Mz = 0.000000 \n"
            " Area = 0.000000,  h = 0.000000,  b = 0.000000, h*b = 0.000000 \n");
  // At the load of the example: deflection 16 mm of a 310 mm tyre, pressure 0.2.
  EXPECT_NE(r.output.find(" Area = 5000.000000,  h = 98.305646,  b = 50.861779, h*b = 20000.000000 \n"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(dir.exists("DiscreteOutput.dat"));
  EXPECT_EQ(dir.read("DiscreteOutput.dat"), "");
}

TEST_F(RunnerTest, EachSectionUsesTheParameterFileBeforeIt) {
  std::string stiffer = test::exampleTyre();
  stiffer.replace(stiffer.find("+4.5000000000e-02"), 17, "+9.0000000000e-02");
  dir.write("stiffer.dat", stiffer);
  const std::string p = point(0.0, 0.01, 0.0, 4000.0, 20000.0);
  test::Run r = run("[DataFileName]\ntyre.dat\n" + singleInput(p) + "[DataFileName]\nstiffer.dat\n" + singleInput(p));
  double fy1 = 0, fy2 = 0;
  std::sscanf(r.output.c_str(), " Fx   = %*f, Fy = %lf", &fy1);
  std::sscanf(r.output.c_str() + r.output.find(" Fx", 10), " Fx   = %*f, Fy = %lf", &fy2);
  // Near the linear range the lateral force is proportional to the stiffness.
  // The small sliding zone at the rear grows with the stiffness: a few percent here.
  EXPECT_NEAR(fy2 / fy1, (0.09 - 1e-7) / (0.045 - 1e-7), 0.05) << r.output;
}

TEST_F(RunnerTest, RangeRunsFromTheSecondBlockToTheFirst) {
  const std::string a = point(0.1, 2.0, 1.0, 5000.0, 10000.0);
  const std::string b = point(-0.1, -2.0, -1.0, 3000.0, -10000.0);
  test::Run r = run("[DataFileName]\ntyre.dat\n" + range(3, "three.dat", a, b) + range(2, "two.dat", a, b) +
                    range(1, "one.dat", a, b));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  auto three = numbers(dir.read("three.dat"));
  ASSERT_EQ(three.size(), 3u);
  const std::vector<double> start{-0.1, -2.0, -1.0, 3000.0}, mid{0.0, 0.0, 0.0, 4000.0}, end{0.1, 2.0, 1.0, 5000.0};
  for (std::size_t line = 0; line < 3; ++line) {
    ASSERT_EQ(three[line].size(), 7u);
    const auto& want = line == 0 ? start : line == 1 ? mid : end;
    EXPECT_EQ(three[line][0], want[0]);
    EXPECT_EQ(three[line][1], want[1]);
    EXPECT_EQ(three[line][2], want[2]);
    EXPECT_EQ(three[line][5], want[3]);
  }
  auto two = numbers(dir.read("two.dat"));
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0], three[0]);
  EXPECT_EQ(two[1], three[2]);
  auto one = numbers(dir.read("one.dat"));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0], three[0]);
  // Exact layout: seven numbers, each after one blank.
  EXPECT_EQ(dir.read("one.dat").substr(0, 42), " -1.000000e-01 -2.000000e+00 -1.000000e+00");
}

TEST_F(RunnerTest, FileSectionsAreNumberedWithRangeSections) {
  dir.write("meas.dat",
            " 0.01 1.0 0.0 100.0 200.0 4000.0 300.0\n"
            "\n"
            " -0.02 -1.5 0.5 -150.0 -250.0 3500.0 -350.0\n"
            "  \n");
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  test::Run r = run("[DataFileName]\ntyre.dat\n" + range(2, "r.dat", p, p) +
                    "[FileInput]\n file = meas.dat speed = 12000\n[FileInput]\n file = meas.dat speed = -5\n[Eof]\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  EXPECT_FALSE(dir.exists("TractalFinput1.dat"));
  const std::string second = dir.read("TractalFinput2.dat");
  auto lines = numbers(second);
  ASSERT_EQ(lines.size(), 2u);  // blank lines are skipped, not evaluated again
  EXPECT_EQ(second.substr(0, 114),
            " +1.000000e-02 +1.000000e+00 +0.000000e+00 +4.000000e+03 +1.200000e+04 +1.000000e+02 +2.000000e+02"
            " +3.000000e+02  ");
  EXPECT_EQ(lines[1][4], 12000.0);
  ASSERT_EQ(lines[1].size(), 11u);
  auto third = numbers(dir.read("TractalFinput3.dat"));
  ASSERT_EQ(third.size(), 2u);
  EXPECT_EQ(third[0][4], -5.0);
}

TEST_F(RunnerTest, RangeWithoutFileNameKeepsTheNameBefore) {
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  std::string unnamed = range(1, "", p, p);
  run("[DataFileName]\ntyre.dat\n" + unnamed + range(2, "mine.dat", p, p) + range(3, "", p, p));
  EXPECT_EQ(numbers(dir.read("TractalOutputx.dat")).size(), 1u);
  EXPECT_EQ(numbers(dir.read("mine.dat")).size(), 3u);
}

TEST_F(RunnerTest, FileThatCannotBeOpenedEndsTheRun) {
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  mkdir(dir.file("folder.dat").c_str(), 0755);
  struct Case {
    std::string section;
    std::string message;
  };
  const Case cases[] = {
      {"[FileInput]\n file = absent.dat speed = 1\n", " unable to open data file absent.dat\n"},
      {range(2, "folder.dat", p, p), " unable to open output file folder.dat\n"},
      {range(2, "no/such/dir.dat", p, p), " unable to open output file no/such/dir.dat\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    test::Run r = run("[DataFileName]\ntyre.dat\n" + c.section + singleInput(p));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.output, c.message);  // the single input after it is not run
  }
}

// A result file that cannot be written whole (here /dev/full, which refuses
// every write as a full disk does) is reported with its name and the reason
// and ends the run: the section after it is not run.
TEST_F(RunnerTest, ResultThatCannotBeWrittenEndsTheRun) {
  dir.write("discrete.dat", test::readFile(EXAMPLES_DIR "/passenger_discrete.dat"));
  dir.write("measured.dat", test::readFile(EXAMPLES_DIR "/measured.dat"));
  const std::string p = point(0.05, 2.0, 0.0, 4000.0, 20000.0);
  struct Case {
    std::string section;
    const char* result;
  };
  const Case cases[] = {
      {"[DataFileName]\ntyre.dat\n" + range(3, "sweep.dat", p, p), "sweep.dat"},
      {"[DataFileName]\ntyre.dat\n[FileInput]\n file = measured.dat speed = 20000\n", "TractalFinput1.dat"},
      {"[DataFileName]\ndiscrete.dat\n" + singleInput(p), "DiscreteOutput.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    const test::Run written = run(c.section);  // the console text when the file can be written
    ASSERT_EQ(written.status, 0);
    ASSERT_NE(dir.read(c.result), "");
    std::filesystem::remove(dir.file(c.result));
    std::filesystem::create_symlink("/dev/full", dir.file(c.result));
    const test::Run r = run(c.section + range(2, "after.dat", p, p));
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.output, written.output + " unable to write output file " + c.result +
                            " (No space left on device): the run ends\n");
    EXPECT_FALSE(dir.exists("after.dat"));
    std::filesystem::remove(dir.file(c.result));
  }
}

TEST_F(RunnerTest, RejectedParameterFileIsReportedAndTheRunGoesOn) {
  std::string broken = test::exampleTyre();
  broken.replace(broken.find("[TWGmodel]"), 10, "[TWGmodle]");
  dir.write("broken.dat", broken);
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  test::Run r = run("[DataFileName]\nbroken.dat\n" + singleInput(p) + "[DataFileName]\nabsent.dat\n" +
                    range(2, "r.dat", p, p));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            " Error in data block 5 \n"
            " error 1 while using model 0\n" +
                typeMessage(0) + " Fx   = 0.000000, Fy = 0.000000, Mz = 0.000000 \n" + typeMessage(0) +
                " Area = 0.000000,  h = 0.000000,  b = 0.000000, h*b = 0.000000 \n"
                " unable to open input file absent.dat for reading\n" +
                typeMessage(0) + typeMessage(0));

  // A model number of 3: the message once per evaluated point, lines still written.
  broken = test::exampleTyre();
  broken.replace(broken.find("+1.0000000000e+00 [-]\n[Eof]"), 17, "+3.0000000000e+00");
  dir.write("three.dat", broken);
  r = run("[DataFileName]\nthree.dat\n" + range(2, "r.dat", p, p));
  EXPECT_EQ(r.output, typeMessage(3) + typeMessage(3) + typeMessage(3));
  EXPECT_EQ(numbers(dir.read("r.dat")).size(), 2u);
}

TEST_F(RunnerTest, ParameterFileThatFailsAfterAGoodOneIsNotEvaluated) {
  std::string shortFile = test::exampleTyre();
  shortFile.replace(shortFile.find("number = 9"), 10, "number = 8");
  dir.write("short.dat", shortFile);
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  test::Run r = run("[DataFileName]\ntyre.dat\n[DataFileName]\nshort.dat\n" + singleInput(p));
  EXPECT_EQ(r.status, 1);
  // The ninth value line of the contact block is met where the model block belongs.
  EXPECT_EQ(r.output,
            " Error in data block 5 \n"
            " number of input data = 32 should be = 33\n"
            " error 1 while using model 1\n"
            " model 1 is not set up: parameter file short.dat was not accepted\n"
            " Fx   = 0.000000, Fy = 0.000000, Mz = 0.000000 \n"
            " Area = 0.000000,  h = 0.000000,  b = 0.000000, h*b = 0.000000 \n");
}

TEST_F(RunnerTest, FaultyKeyedLinesAreReportedAndTheSectionSkipped) {
  test::Run r = run("[DataFileName]\ntyre.dat\n[SingleInput]\n slip = 0\n alpha 1\n camber = 0\n Fz = x\n V = 1\n"
                    "[FileInput]\n file meas.dat\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            " line 5 of run.ctl has no \"=\":  alpha 1\n"
            " line 7 of run.ctl has no number after \"=\":  Fz = x\n"
            " line 10 of run.ctl has no \"=\":  file meas.dat\n");
  EXPECT_FALSE(dir.exists("DiscreteOutput.dat"));
}

TEST_F(RunnerTest, RunControlEndingInsideASectionIsReported) {
  test::Run r = run("[DataFileName]\ntyre.dat\n[SingleInput]\n slip = 0\n alpha = 1\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, " run.ctl ends after line 5 where line 6 was expected\n");
  r = run("[DataFileName]");
  EXPECT_EQ(r.output, " run.ctl ends after line 1 where line 2 was expected\n");
}

TEST_F(RunnerTest, WindowsLineEndsReadOnlyFilesAndNoFinalLineEnd) {
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  std::string control = "[DataFileName]\ntyre.dat\n" + range(2, "r.dat", p, p) + "[Eof]\n";
  std::string crlf;
  for (char c : control) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  dir.write("run.ctl", crlf);
  chmod(dir.file("run.ctl").c_str(), 0444);
  chmod(dir.file("tyre.dat").c_str(), 0444);
  test::Run r = gripsim(dir, "run.ctl");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(numbers(dir.read("r.dat")).size(), 2u);
  // A file name on the last line, without a line end, keeps all its characters.
  EXPECT_EQ(run("[DataFileName]\ntyre.dat").output, "");
}

TEST_F(RunnerTest, GarbageLongLinesAndOddNumbersDoNoHarm) {
  std::string garbage;
  for (int k = 0; k < 20000; ++k) garbage += static_cast<char>((k * 131 + 7) % 256);
  const std::string longLine(1000, 'x');
  dir.write("meas.dat", "nan inf -inf 1e308 1e400 -1e400 0\n" + longLine + "\n" + garbage);
  test::Run r = run(garbage + "\n[DataFileName]\ntyre.dat\n" + longLine + "\n" +
                    singleInput(point(1e300, NAN, 1e308, 1e308, INFINITY)) +
                    "[FileInput]\n file = meas.dat speed = nan\n");
  EXPECT_EQ(r.output.find("runtime error"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("AddressSanitizer"), std::string::npos) << r.output;
  EXPECT_TRUE(r.status == 0 || r.status == 1) << r.output;
  EXPECT_GE(numbers(dir.read("TractalFinput1.dat")).size(), 1u);
}

TEST_F(RunnerTest, LongSectionsWriteEveryPointInOrder) {
  // More points than one evaluation takes at a time, the last group partial.
  const int points = 2051;
  const std::string a = point(0.2, 10.0, 1.0, 6000.0, 20000.0), b = point(-0.2, -10.0, -1.0, 2000.0, 20000.0);
  std::string measured;
  char line[160];
  for (int k = 0; k < 3000; ++k) {
    std::snprintf(line, sizeof line, " %.6f %.4f 0.5 %d %d %.1f %d\n", -0.3 + 0.0002 * k, -15.0 + 0.01 * k, k, -k,
                  500.0 + 2.5 * k, 7 * k);
    measured += line;
  }
  dir.write("meas.dat", measured);
  test::Run r = run("[DataFileName]\ntyre.dat\n" + range(points, "long.dat", a, b) + range(1, "first.dat", b, b) +
                    range(1, "last.dat", a, a) + "[FileInput]\n file = meas.dat speed = 20000\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  const auto sweep = numbers(dir.read("long.dat"));
  ASSERT_EQ(sweep.size(), static_cast<std::size_t>(points));
  for (int k = 0; k < points; ++k) {
    // The slip of line k is the sweep's own, to the seven digits written.
    const double slip = -0.2 + 0.4 * k / (points - 1);
    ASSERT_NEAR(sweep[k][0], slip, 5e-7 * std::max(std::abs(slip), 1e-7)) << k;
  }
  EXPECT_EQ(sweep.front(), numbers(dir.read("first.dat"))[0]);
  EXPECT_EQ(sweep.back(), numbers(dir.read("last.dat"))[0]);
  const auto result = numbers(dir.read("TractalFinput4.dat"));
  const auto input = numbers(measured);
  ASSERT_EQ(result.size(), input.size());
  for (std::size_t k = 0; k < input.size(); ++k) {
    // Inputs come back to the seven digits written (0.5e-6 relative).
    ASSERT_NEAR(result[k][1], input[k][1], 5e-7 * std::abs(input[k][1]) + 1e-300) << k;
    ASSERT_EQ(result[k][5], input[k][3]) << k;  // measured Fx: small whole numbers, exact
  }
}

TEST_F(RunnerTest, ResultFileThatIsAnInputOfTheRunIsRefused) {
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  const std::string measured = " 0.01 1.0 0.0 100.0 200.0 4000.0 300.0\n";
  dir.write("meas.dat", measured);
  std::filesystem::create_directory(dir.path() / "sub");
  std::filesystem::create_symlink("../tyre.dat", dir.path() / "sub" / "link.dat");
  const std::string read = "[DataFileName]\ntyre.dat\n[FileInput]\n file = meas.dat speed = 1\n";
  struct Case {
    std::string name;  ///< the range result, by whatever path
    std::string file;  ///< the file it is
  };
  const Case cases[] = {{"run.ctl", "run.ctl"}, {"tyre.dat", "tyre.dat"}, {"./meas.dat", "meas.dat"},
                        {"sub/link.dat", "tyre.dat"}, {"sub/../run.ctl", "run.ctl"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string control = read + range(2, c.name, p, p) + range(1, "after.dat", p, p);
    test::Run r = run(control);
    EXPECT_EQ(r.status, 1);
    // Line 7 of the run-control file names the result.
    EXPECT_EQ(r.output, " line 7 of run.ctl: result file " + c.name + " is an input of this run and is not overwritten\n");
    EXPECT_EQ(dir.read(c.file), c.file == "run.ctl"    ? control
                                : c.file == "meas.dat" ? measured
                                                       : test::exampleTyre());
    EXPECT_EQ(numbers(dir.read("after.dat")).size(), 1u);  // the run goes on
  }
  // A file section's result that is its own measurement file.
  dir.write("TractalFinput1.dat", measured);
  test::Run r = run("[DataFileName]\ntyre.dat\n[FileInput]\n file = TractalFinput1.dat speed = 1\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, " line 4 of run.ctl: result file TractalFinput1.dat is an input of this run and is not overwritten\n");
  EXPECT_EQ(dir.read("TractalFinput1.dat"), measured);
}

TEST_F(RunnerTest, FolderIsNoInputFile) {
  std::filesystem::create_directory(dir.path() / "folder");
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  test::Run r = gripsim(dir, "folder");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.output, " unable to open input file folder\n");
  // A parameter file: as a missing one, the run goes on with the model before.
  r = run("[DataFileName]\ntyre.dat\n[DataFileName]\nfolder\n" + range(1, "r.dat", p, p));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, " unable to open input file folder for reading\n");
  EXPECT_EQ(numbers(dir.read("r.dat")).size(), 1u);
  r = run("[DataFileName]\ntyre.dat\n[FileInput]\n file = folder speed = 1\n" + singleInput(p));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, " unable to open data file folder\n");
}

TEST_F(RunnerTest, PointCountMustBeAWholeNumberOfOneOrMore) {
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  struct Case {
    const char* points;
    const char* message;  ///< after " line 4 of run.ctl: "
  };
  const Case cases[] = {
      {"0", "the number of points should be a whole number of 1 or more, not 0\n"},
      {"-5", "the number of points should be a whole number of 1 or more, not -5\n"},
      {"2.5 [-]", "the number of points should be a whole number of 1 or more, not 2.5\n"},
      {"nan", "the number of points should be a whole number of 1 or more, not nan\n"},
      {"10000001", "10000001 points are more than the 10000000 a range may write (about 1 GB of text)\n"},
      {"1e400", "1e400 points are more than the 10000000 a range may write (about 1 GB of text)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.points);
    dir.write("r.dat", "kept\n");
    test::Run r = run("[DataFileName]\ntyre.dat\n" + range(c.points, "r.dat", p, p) + range(1, "after.dat", p, p));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output, std::string(" line 4 of run.ctl: ") + c.message);
    EXPECT_EQ(dir.read("r.dat"), "kept\n");  // the section is skipped
    EXPECT_EQ(numbers(dir.read("after.dat")).size(), 1u);
  }
  // A count in exponent form is the count it says.
  test::Run r = run("[DataFileName]\ntyre.dat\n" + range("1e3", "r.dat", p, p));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(numbers(dir.read("r.dat")).size(), 1000u);
}

TEST_F(RunnerTest, NonFiniteInputIsReportedAndEvaluated) {
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  dir.write("meas.dat",
            " 0.01 1.0 0.0 100.0 200.0 4000.0 300.0\n"
            " 0.01 1.0 -inf 100.0 nan 4000.0 300.0\n"
            " 0.01 nan 0.0 100.0 200.0 inf 300.0\n");
  test::Run r = run("[DataFileName]\ntyre.dat\n" + singleInput(point(0.0, NAN, 0.0, 4000.0, 1000.0)) +
                    range(2, "r.dat", point(0.0, 1.0, 0.0, 4000.0, INFINITY), p) +
                    "[FileInput]\n file = meas.dat speed = 1000\n[FileInput]\n file = meas.dat speed = -inf\n");
  EXPECT_EQ(r.status, 1);
  const std::string message = " is not a finite number; the point is evaluated with it\n";
  // The single input's forces follow its message; their text is the C library's.
  const std::size_t forces = r.output.find(" Fx   = ");
  ASSERT_NE(forces, std::string::npos) << r.output;
  EXPECT_EQ(r.output.substr(0, forces), " line 5 of run.ctl: slip angle nan" + message);
  const std::size_t after = r.output.find("h*b = ");
  EXPECT_EQ(r.output.substr(r.output.find('\n', after) + 1),
            " line 17 of run.ctl: speed inf" + message +  // the range's end point
                " line 2 of meas.dat: camber -inf" + message +  // one message for the line
                " line 3 of meas.dat: slip angle nan" + message +
                " line 27 of run.ctl: speed -inf" + message +  // the section's speed, once
                " line 2 of meas.dat: camber -inf" + message + " line 3 of meas.dat: slip angle nan" + message);
  // Every point is still evaluated and written.
  EXPECT_EQ(numbers(dir.read("r.dat")).size(), 2u);
  EXPECT_EQ(numbers(dir.read("TractalFinput2.dat")).size(), 3u);
  EXPECT_EQ(numbers(dir.read("TractalFinput3.dat")).size(), 3u);
}

// "6,0" as a spreadsheet in a German locale writes it is refused with the
// file and the line, in every file gripsim reads, never read as 6.
TEST_F(RunnerTest, DecimalCommaIsReportedWithFileAndLine) {
  std::string tyre = test::exampleTyre();
  tyre.replace(tyre.find("+6.0000000000e-02"), 17, "+6,0000000000e-02");
  dir.write("comma.dat", tyre);
  dir.write("meas.dat", " 0,01 1.0 0.0 100.0 200.0 4000.0 300.0\n 0.01 1.0 0.0 100.0 200.0 4000.0 300.0\n");
  const std::string p = point(0.0, 1.0, 0.0, 4000.0, 1000.0);
  const std::string comma = " has a number with a decimal comma (write it with a point): ";
  const struct {
    const char* name;
    std::string control, output;
  } cases[] = {
      {"ParameterFile", "[DataFileName]\ncomma.dat\n[Eof]\n",
       " line 2 of comma.dat" + comma + " cx0      = +6,0000000000e-02 [N/mm^3]\n error 1 while using model 1\n"},
      {"PointValue", "[DataFileName]\ntyre.dat\n[SingleInput]\n slip = 0,05\n alpha = 0\n camber = 0\n Fz = 4000\n V = 1\n",
       " line 4 of run.ctl" + comma + " slip = 0,05\n"},
      {"RangePointCount", "[DataFileName]\ntyre.dat\n" + range("2,5", "r.dat", p, p),
       " line 4 of run.ctl" + comma + " points = 2,5\n"},
      {"FileSpeed", "[DataFileName]\ntyre.dat\n[FileInput]\n file = meas.dat speed = 1000,5\n",
       " line 4 of run.ctl" + comma + " file = meas.dat speed = 1000,5\n"},
      {"MeasurementLine", "[DataFileName]\ntyre.dat\n[FileInput]\n file = meas.dat speed = 1000\n",
       " line 1 of meas.dat" + comma + " 0,01 1.0 0.0 100.0 200.0 4000.0 300.0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test::Run r = run(c.control);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output, c.output);
  }
  EXPECT_EQ(numbers(dir.read("TractalFinput1.dat")).size(), 1u) << "the line with the comma is no point";
}

// A UTF-8 byte-order mark at the start of a file costs neither its first
// line nor the first number of a measurement file.
TEST_F(RunnerTest, ByteOrderMarkCostsNoLine) {
  const std::string mark = "\xEF\xBB\xBF";
  dir.write("tyre.dat", mark + test::exampleTyre());
  dir.write("meas.dat", mark + " 0.01 1.0 0.0 100.0 200.0 4000.0 300.0\n 0.02 1.0 0.0 100.0 200.0 4000.0 300.0\n");
  const test::Run r = run(mark + "[DataFileName]\ntyre.dat\n[FileInput]\n file = meas.dat speed = 1000\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "");
  const auto lines = numbers(dir.read("TractalFinput1.dat"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0][0], 0.01);
  EXPECT_EQ(lines[1][0], 0.02);
}

}  // namespace
}  // namespace grip
