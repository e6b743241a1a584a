// The gripfit program end to end: the real binary in temporary folders,
// its console text, exit status and result files, against the plug-in's
// path (handleDesignCall) for the same design vector.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

#include "FitFolder.h"
#include "SmallFileSystem.h"
#include "core/Console.h"
#include "fit/DesignState.h"
#include "fitter/FitProgram.h"
#include "fitter/FitterMessages.h"

namespace grip {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int status = -1;
  std::string output;  ///< standard output and error
};

/// The console text goes beside the folder, not into it: a test may fill
/// the folder's file system or make it read-only.
ProgramRun gripfit(const test::TempDir& dir, const std::string& arguments) {
  const std::string output = dir.path().string() + ".output";
  const std::string command =
      "cd '" + dir.path().string() + "' && '" GRIPFIT_PATH "' " + arguments + " > '" + output + "' 2>&1 < /dev/null";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.output = test::readFile(output);
  fs::remove(output);
  return run;
}

std::vector<std::string> goldenCases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(GOLDEN_DIR "/fit"))
    if (fs::exists(entry.path() / "x.txt")) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

/// The case's design start with the design variables set to x, written
/// with every digit, so that the program's start is the plug-in's x.
std::string startAt(const fs::path& source, const std::vector<double>& x) {
  std::string text = test::readFile(source / fit::kDesignStartFile);
  std::size_t at = 0, k = 0;
  while (k < x.size() && (at = text.find(fit::kDesignBoundsKey, at)) != std::string::npos) {
    const std::size_t lineStart = text.rfind('\n', at) + 1;
    const std::size_t value = text.find("= ", lineStart) + 2;
    char digits[40];
    std::snprintf(digits, sizeof digits, "%.17g", x[k++]);
    text.replace(value, text.find(' ', value) - value, digits);
    at = text.find('\n', lineStart);
  }
  return text;
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

// The plug-in path (initialise, run, terminate with the case's x) in one
// folder, gripfit --evaluate from the same start in another: the same
// target, the same result files byte for byte; a case that the plug-in
// refuses at initialise the program refuses with the same messages.
TEST_P(GoldenCase, ProgramMatchesThePluginPath) {
  const fs::path source = fs::path(GOLDEN_DIR "/fit") / GetParam();
  std::ifstream in(source / "x.txt");
  std::vector<double> x{std::istream_iterator<double>(in), std::istream_iterator<double>()};

  test::TempDir programDir;
  test::copyFiles(source, programDir);
  programDir.write(fit::kDesignStartFile, startAt(source, x));
  const ProgramRun run = gripfit(programDir, "--evaluate --quiet");

  test::FitFolder pluginDir;
  test::copyFiles(programDir.path(), pluginDir);
  DesignState state;
  ::testing::internal::CaptureStdout();
  const double count = handleDesignCall(state, x, 0);
  double target = 0.0;
  if (count < kArgumentFault) {
    handleDesignCall(state, x, 1);
    target = handleDesignCall(state, x, -1);
  }
  const std::string pluginOutput = ::testing::internal::GetCapturedStdout();

  if (count >= kArgumentFault) {
    EXPECT_EQ(run.output, pluginOutput);
    EXPECT_EQ(run.status, fitter::kExitRefused);
    EXPECT_FALSE(programDir.exists(fit::kDesignResultsFile));
    return;
  }
  // A start outside its bounds is evaluated as it is, with a warning.
  std::string expected;
  DesignState checked;
  {
    ScopedMessageSink silent([](std::string_view) {});
    ASSERT_EQ(initialiseDesign(checked), 0.0);
  }
  for (const DesignIssue& issue : validateDesign(checked)) expected += "gripfit: warning: " + issue.message + "\n";
  char line[128];
  std::snprintf(line, sizeof line, fitter::kEvaluatedLine, target);
  EXPECT_EQ(run.output, expected + line);
  EXPECT_EQ(run.status, fitter::kExitFitted);
  std::vector<std::string> files{fit::kDesignResultsFile};
  for (int f = 1; f <= state.fileCount || programDir.exists("file" + std::to_string(f) + ".dat"); ++f)
    files.push_back("file" + std::to_string(f) + ".dat");
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(pluginDir.exists(name));
    EXPECT_EQ(programDir.read(name), pluginDir.read(name));
  }
  EXPECT_TRUE(programDir.exists(fitter::kReportTextFile));
  EXPECT_TRUE(programDir.exists(fitter::kReportJsonFile));
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCase, ::testing::ValuesIn(goldenCases()), [](const auto& info) {
  std::string name = info.param;
  std::replace(name.begin(), name.end(), '_', 'x');
  return name;
});

struct CommandCase {
  const char* name;
  const char* arguments;
  int status;
  const char* output;
};

// The help text byte for byte, search defaults included: scripts read it.
constexpr const char* kHelpText =
    "usage: gripfit [OPTION]...\n"
    "\n"
    "Fits the design variables of DesignStart.dat to the measurements that\n"
    "DesignTarget.dat lists, both in the working folder, within their design\n"
    "bounds. Writes file1.dat, file2.dat, ... (measured and model forces),\n"
    "DesignResults.dat (the fitted parameter file), FitReport.txt and\n"
    "FitReport.json, as the gripfit plug-in does for the same design, and\n"
    "FitReport.html (the sweeps and the model drawn, for a browser).\n"
    "\n"
    "  --method NAME    local method: bobyqa, sbplx, neldermead (derivative-free),\n"
    "                   slsqp, lbfgs (finite-difference gradients), portfolio\n"
    "                   (slsqp and sbplx in turn); default slsqp for the\n"
    "                   continuous model, portfolio for the discrete one\n"
    "  --starts N       starts spread within the bounds, the design start first,\n"
    "                   up to 100000 (default or 0: continuous model 4 to 12 by\n"
    "                   the design count, discrete model 2)\n"
    "  --max-evals N    evaluations of the target over all starts, never exceeded;\n"
    "                   each start's share must pay for the method's first step\n"
    "                   (default or 0: per design variable and start 300 for\n"
    "                   the continuous model, 100 for the discrete one)\n"
    "  --continuous-start, --no-continuous-start\n"
    "                   begin the discrete model's search at the continuous\n"
    "                   model's fit of the same data, or at the design start\n"
    "                   (default on)\n"
    "  --seed N         seed of the spread starts: the same seed, the same fit (1)\n"
    "  --threads N      starts searched side by side, up to 1024 (default or 0:\n"
    "                   the machine's cores)\n"
    "  --evaluate       no search: the target of the start values, results written\n"
    "  --quiet          print no progress and no report (messages only)\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "\n"
    "Ctrl-C (or SIGTERM, SIGHUP) ends the search and writes the results of the\n"
    "best design found. One gripfit at a time fits in a folder.\n"
    "\n"
    "Exit status: 0 fitted, results written; 1 an option could not be used;\n"
    "2 the design files were refused; 3 a result file could not be written\n"
    "(the files before are kept); 4 interrupted, the results of the best design\n"
    "found were written; 5 another gripfit is fitting in this folder.\n";

class Command : public ::testing::TestWithParam<CommandCase> {};

TEST_P(Command, PrintsItsTextAndStatus) {
  const CommandCase& c = GetParam();
  test::TempDir dir;
  test::copyFiles(EXAMPLES_DIR "/fit", dir);
  const ProgramRun run = gripfit(dir, c.arguments);
  EXPECT_EQ(run.output, c.output);
  EXPECT_EQ(run.status, c.status);
  EXPECT_FALSE(dir.exists(fit::kDesignResultsFile));  // nothing fitted, nothing written
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Command,
    ::testing::Values(CommandCase{"Help", "--help", 0, kHelpText},
                      CommandCase{"Version", "--version", 0, "gripfit 1.0.0\n"},
                      CommandCase{"UnknownOption", "--fast", 1, "gripfit: unknown option --fast (gripfit --help lists them)\n"},
                      CommandCase{"UnknownMethod", "--method=newton", 1,
                                  "gripfit: unknown method newton: bobyqa, sbplx, neldermead, slsqp, lbfgs or portfolio\n"},
                      CommandCase{"StartsNotANumber", "--starts many", 1,
                                  "gripfit: option --starts needs a whole number of 0 or more, not many\n"},
                      CommandCase{"StartsBeyondAnyCount", "--starts 10000000000", 1,
                                  "gripfit: option --starts needs a whole number of 0 or more, not 10000000000\n"},
                      // The ranges are the fit library's, in its words.
                      CommandCase{"NegativeStarts", "--starts -1", 1,
                                  "gripfit: starts = -1 should be 0 (chosen by the problem) to 100000\n"},
                      CommandCase{"AbsurdStarts", "--starts=1000000000", 1,
                                  "gripfit: starts = 1000000000 should be 0 (chosen by the problem) to 100000\n"},
                      CommandCase{"NegativeBudget", "--max-evals -5", 1,
                                  "gripfit: max_evals = -5 should be 0 (chosen by the problem) or more\n"},
                      CommandCase{"NegativeThreads", "--threads -1", 1,
                                  "gripfit: threads = -1 should be 0 (the machine's cores) to 1024\n"},
                      CommandCase{"TooManyThreads", "--threads 1025", 1,
                                  "gripfit: threads = 1025 should be 0 (the machine's cores) to 1024\n"},
                      // A budget too small for the first step: refused after reading, with the smallest that works.
                      CommandCase{"BudgetOfFive", "--max-evals 5", 1,
                                  "gripfit: max_evals = 5 is too small for slsqp with 4 design variables and 4 starts: "
                                  "each start's share needs 9 evaluations for the first step, so max_evals should be "
                                  "54 or more\n"},
                      CommandCase{"BudgetOfOneForThreeStarts", "--max-evals 1 --starts 3", 1,
                                  "gripfit: max_evals = 1 is too small for slsqp with 4 design variables and 3 starts: "
                                  "each start's share needs 9 evaluations for the first step, so max_evals should be "
                                  "45 or more\n"},
                      CommandCase{"ManyStartsSmallBudget", "--starts 100000 --max-evals 200 --method sbplx", 1,
                                  "gripfit: max_evals = 200 is too small for sbplx with 4 design variables and 100000 "
                                  "starts: each start's share needs 5 evaluations for the first step, so max_evals "
                                  "should be 500010 or more\n"},
                      CommandCase{"MissingValue", "--seed", 1, "gripfit: option --seed needs a value\n"},
                      CommandCase{"Argument", "DesignStart.dat", 1,
                                  "gripfit: no argument is expected, not DesignStart.dat\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GripfitProgram, RefusesInvalidDesignStartWithItsIssues) {
  test::TempDir dir;
  test::copyFiles(EXAMPLES_DIR "/fit", dir);
  std::string start = dir.read(fit::kDesignStartFile);
  const std::string bounds = "designbounds  +6.000000e-01 +1.400000e+00";
  dir.write(fit::kDesignStartFile, start.replace(start.find(bounds), bounds.size(), "designbounds 1.4 0.6"));
  const ProgramRun run = gripfit(dir, "--quiet");
  EXPECT_EQ(run.output,
            "gripfit: error: DesignStart.dat line 11: design variable mue0: lower bound 1.4 is not below upper bound 0.6\n"
            "gripfit: the design files were refused: nothing fitted\n");
  EXPECT_EQ(run.status, fitter::kExitRefused);
}

// The discrete model begins at the continuous fit unless told not to; the
// continuous model has no continuous fit before its own, flag or not.
TEST(GripfitProgram, ContinuousStartFlagsChooseTheDiscreteFirstStart) {
  const std::string options = " --quiet --starts 1 --max-evals 60 --method sbplx --threads 1";
  std::string results[2][3];  // model 1, 2; default, --continuous-start, --no-continuous-start
  for (int model : {1, 2}) {
    const char* flags[] = {"", " --continuous-start", " --no-continuous-start"};
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(testing::Message() << "model " << model << flags[k]);
      test::TempDir dir;
      test::copyFiles(EXAMPLES_DIR "/fit", dir);
      std::string start = dir.read(fit::kDesignStartFile);
      const std::string line = " model    = +1.0000000000e+00";
      if (model == 2) dir.write(fit::kDesignStartFile, start.replace(start.find(line), line.size(), " model    = 2"));
      const ProgramRun run = gripfit(dir, options + flags[k]);
      EXPECT_EQ(run.status, fitter::kExitFitted) << run.output;
      results[model - 1][k] = dir.read(fit::kDesignResultsFile);
    }
  }
  EXPECT_EQ(results[0][0], results[0][1]);
  EXPECT_EQ(results[0][0], results[0][2]);
  EXPECT_EQ(results[1][0], results[1][1]);  // on by default
  EXPECT_NE(results[1][0], results[1][2]);
}

TEST(GripfitProgram, FitsTheExampleAndWritesResultsAndReport) {
  test::TempDir dir;
  test::copyFiles(EXAMPLES_DIR "/fit", dir);
  // threads 0: the machine's cores, as in the library.
  const ProgramRun run = gripfit(dir, "--quiet --threads 0 --starts 3 --max-evals 3000 --method sbplx");
  EXPECT_EQ(run.status, fitter::kExitFitted) << run.output;
  EXPECT_EQ(run.output.rfind("gripfit: target ", 0), 0u) << run.output;
  // The report lists each local search and why it stopped.
  const std::string report = dir.read(fitter::kReportTextFile);
  EXPECT_NE(report.find("\n  no. kind     method      evaluations  target[%]  stopped by\n    1 start    sbplx  "),
            std::string::npos) << report;
  EXPECT_NE(dir.read(fitter::kReportJsonFile).find("\"local_searches\": [\n"), std::string::npos);
  for (const char* name : {"DesignResults.dat", "file1.dat", "file5.dat", "FitReport.txt", "FitReport.json", "FitReport.html"})
    EXPECT_TRUE(dir.exists(name)) << name;
  // The fitted parameters read back as the next design start.
  dir.write(fit::kDesignStartFile, dir.read(fit::kDesignResultsFile));
  EXPECT_EQ(gripfit(dir, "--evaluate --quiet").status, fitter::kExitFitted);
}

// The continuous passenger example fits cx0, cy0, cy1 and pin together:
// its forces depend on the stiffnesses only over pin, so the report and
// (unless --quiet) the console name that group after the report.
TEST(GripfitProgram, NamesWhatThePassengerDataDoNotDetermine) {
  const std::string group =
      "not determined: cx0, cy0, cy1 and pin are not determined by these data (they trade exactly against each "
      "other): keep pin fixed: the continuous model's forces depend on the stiffnesses only over pin\n";
  for (const bool quiet : {false, true}) {
    test::TempDir dir;
    test::copyFiles(EXAMPLES_DIR "/fit/passenger", dir);
    const ProgramRun run = gripfit(dir, quiet ? "--quiet" : "");
    EXPECT_EQ(run.status, fitter::kExitFitted) << run.output;
    const std::size_t printed = run.output.find("\ngripfit: " + group);
    if (quiet) {
      EXPECT_EQ(run.output.find("not determined"), std::string::npos) << run.output;
    } else {
      ASSERT_NE(printed, std::string::npos) << run.output;
      EXPECT_LT(run.output.find("\n  no. kind"), printed) << "after the report";
      EXPECT_LT(printed, run.output.find("\ngripfit: target ")) << "before the result line";
    }
    const std::string report = dir.read(fitter::kReportTextFile);
    EXPECT_NE(report.find("\n" + group), std::string::npos) << report;
    EXPECT_NE(report.find("\nuncertainty  from 645 residuals, 629 degrees of freedom, spread "), std::string::npos)
        << report;
    EXPECT_NE(report.find("\ncx1       +1.000000e-06  "), std::string::npos) << report;
    const std::string json = dir.read(fitter::kReportJsonFile);
    EXPECT_NE(json.find("\"name\": \"pin\",\n"), std::string::npos);
    EXPECT_NE(json.find("\"interval95\": null,\n      \"determined\": false,\n      \"reason\": \"trades exactly "
                        "against others\"\n"),
              std::string::npos)
        << json;
  }
}

TEST(GripfitProgram, InterruptWritesTheBestDesignFoundAndSaysSo) {
  test::FitFolder dir;
  test::copyFiles(EXAMPLES_DIR "/fit", dir);
  FitProgramOptions options;
  options.quiet = true;
  const std::atomic<bool> stop{true};  // as if Ctrl-C came before the first evaluation
  ::testing::internal::CaptureStdout();
  const int status = runFit(options, stop, false);
  const std::string output = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, fitter::kExitInterrupted);
  EXPECT_EQ(output,
            "gripfit: interrupted: the results are those of the best design found so far\n"
            "gripfit: target 7.919042 % (slsqp, 0 evaluations)\n");
  EXPECT_TRUE(dir.exists(fit::kDesignResultsFile));
  // The design it ends with is judged as after a whole search.
  EXPECT_NE(dir.read(fitter::kReportTextFile).find("\nuncertainty  from 246 residuals, 242 degrees of freedom"),
            std::string::npos);
}


constexpr const char* kNotWrittenTail = ": the fit is kept, call function (design,-1) again\n";

std::string notWritten(const std::string& name, const char* reason) {
  return " result file " + name + " not written (" + reason + ")" + kNotWrittenTail;
}

struct BlockedCase {
  const char* name;
  std::function<bool(const test::SmallFileSystem&)> block;  ///< false: the case cannot be set up here
  std::string messages;                                    ///< before the target line
  bool evaluated = true;                                   ///< the fit ran (and says its target)
  friend void PrintTo(const BlockedCase& c, std::ostream* out) { *out << c.name; }
};

class BlockedResults : public ::testing::TestWithParam<BlockedCase> {};

// A fit whose results cannot all be written replaces none of them: the set
// of the fit before stays byte for byte, and no temporary file is left.
TEST_P(BlockedResults, LeaveThePreviousSetByteForByte) {
  const BlockedCase& c = GetParam();
  test::SmallFileSystem dir;
  if (!dir.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
  test::copyFiles(EXAMPLES_DIR "/fit", dir);
  ASSERT_EQ(gripfit(dir, "--evaluate --quiet").status, fitter::kExitFitted);
  // The next fit starts elsewhere, so that every result file would change.
  dir.write(fit::kDesignStartFile, test::withValue(dir.read(fit::kDesignStartFile), "mue0", "+1.1"));
  test::TempDir clean;
  test::copyFiles(dir.path(), clean);
  const ProgramRun reference = gripfit(clean, "--evaluate --quiet");
  ASSERT_EQ(reference.status, fitter::kExitFitted);
  ASSERT_NE(clean.read(fit::kDesignResultsFile), dir.read(fit::kDesignResultsFile));

  ASSERT_TRUE(c.block(dir));
  const auto before = test::folderFiles(dir.path());
  const ProgramRun run = gripfit(dir, "--evaluate --quiet");
  EXPECT_EQ(run.status, fitter::kExitNotWritten);
  EXPECT_EQ(run.output, c.messages + (c.evaluated ? reference.output : ""));
  EXPECT_EQ(test::folderFiles(dir.path()), before);
}

std::string allNotWritten(const char* reason) {
  std::string text;
  for (int f = 1; f <= 5; ++f) text += notWritten("file" + std::to_string(f) + ".dat", reason);
  return text + notWritten(fit::kDesignResultsFile, reason) + "gripfit: report FitReport.txt not written\n" +
         "gripfit: report FitReport.json not written\n" + "gripfit: report FitReport.html not written\n";
}

const std::string kNothingReplaced = fitter::kNothingReplaced;

/// Puts a folder where result `name` goes.
std::function<bool(const test::SmallFileSystem&)> folderAs(const char* name) {
  return [name](const test::SmallFileSystem& d) { return fs::remove(d.path() / name) && fs::create_directory(d.path() / name); };
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockedResults,
    ::testing::Values(
        BlockedCase{"DesignResultsIsAFolder", folderAs(fit::kDesignResultsFile),
                    " Can't open result file number \n" + notWritten(fit::kDesignResultsFile, "Is a directory") +
                        kNothingReplaced},
        BlockedCase{"ReportIsAFolder", folderAs(fitter::kReportJsonFile),
                    "gripfit: report FitReport.json not written\n" + kNothingReplaced},
        BlockedCase{"ReportPageIsAFolder", folderAs(fitter::kReportHtmlFile),
                    "gripfit: report FitReport.html not written\n" + kNothingReplaced},
        BlockedCase{"DiskFull", [](const test::SmallFileSystem& d) { return d.fill(), true; },
                    allNotWritten("No space left on device") + kNothingReplaced},
        BlockedCase{"ReadOnlyFolder",  // without its lock file, which cannot be made
                    [](const test::SmallFileSystem& d) { return fs::remove(d.path() / fitter::kLockFile) && d.makeReadOnly(); },
                    "gripfit: the working folder cannot be locked (.gripfit.lock: Read-only file system): nothing fitted\n",
                    false}),
    [](const auto& info) { return std::string(info.param.name); });

/// Starts gripfit in dir without waiting; its console text goes to output.
pid_t startGripfit(const test::TempDir& dir, const std::string& arguments, const std::string& output) {
  const std::string command = "cd '" + dir.path().string() + "' && exec '" GRIPFIT_PATH "' " + arguments + " > '" +
                              output + "' 2>&1 < /dev/null";
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_t pid = -1;
  posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ);
  return pid;
}

class SignalledFit : public ::testing::TestWithParam<int> {};

// A long discrete fit: a second gripfit in its folder is refused; SIGTERM
// (a batch system's time limit) and SIGHUP (a closed terminal) end it as
// Ctrl-C does, with the best design written; the lock dies with the process.
TEST_P(SignalledFit, RefusesASecondFitAndWritesTheBestDesign) {
  test::TempDir dir;
  test::copyFiles(EXAMPLES_DIR "/fit", dir);
  dir.write(fit::kDesignStartFile, test::withValue(dir.read(fit::kDesignStartFile), "model", "+2"));
  const std::string output = dir.path().string() + ".long";
  const pid_t fit = startGripfit(dir, "--threads 1 --starts 100000 --max-evals 1000000000", output);
  ASSERT_GT(fit, 0);
  // Waits until the search runs (its first line is out); a bound, not a timing.
  for (int k = 0; k < 6000 && test::readFile(output).find("design variables") == std::string::npos; ++k) usleep(10000);
  ASSERT_NE(test::readFile(output).find("design variables"), std::string::npos);

  const ProgramRun second = gripfit(dir, "--evaluate --quiet");
  EXPECT_EQ(second.status, fitter::kExitBusy);
  EXPECT_EQ(second.output, fitter::kFolderBusy);
  EXPECT_FALSE(dir.exists(fit::kDesignResultsFile));

  ASSERT_EQ(kill(fit, GetParam()), 0);
  int raw = 0;
  ASSERT_EQ(waitpid(fit, &raw, 0), fit);
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), fitter::kExitInterrupted);
  const std::string text = test::readFile(output);
  fs::remove(output);
  EXPECT_NE(text.find(std::string("\n") + fitter::kInterrupted + "gripfit: target "), std::string::npos) << text;
  EXPECT_NE(dir.read(fitter::kReportJsonFile).find("\"interrupted\": true"), std::string::npos);
  EXPECT_TRUE(dir.exists("file5.dat"));
  EXPECT_TRUE(dir.exists(".gripfit.lock"));  // left behind, and it blocks nothing
  EXPECT_EQ(gripfit(dir, "--evaluate --quiet").status, fitter::kExitFitted);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalledFit, ::testing::Values(SIGTERM, SIGHUP),
                         [](const auto& info) { return info.param == SIGTERM ? "Sigterm" : "Sighup"; });

TEST(GripfitProgram, PrintsTheSearchThreadsMessagesOnceWithTheirCount) {
  test::FitFolder dir;
  test::copyFiles(EXAMPLES_DIR "/fit", dir);
  FitProgramOptions options;
  options.quiet = true;
  options.search.method = SearchMethod::sbplx;
  options.search.starts = 1;
  options.search.maxEvaluations = 30;
  options.search.evaluationHook = [](std::span<const double>, double) { say(" a warning of the model\n"); };
  const std::atomic<bool> stop{false};
  ::testing::internal::CaptureStdout();
  const int status = runFit(options, stop, false);
  const std::string output = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, fitter::kExitFitted);
  const std::size_t at = output.find("(sbplx, ");
  ASSERT_NE(at, std::string::npos) << output;
  const long evaluations = std::stol(output.substr(at + 8));
  EXPECT_GT(evaluations, 0);
  EXPECT_LE(evaluations, 30);
  const std::string said =
      "gripfit: the search printed " + std::to_string(evaluations) + " times: a warning of the model\n";
  EXPECT_EQ(output.substr(0, output.find('\n') + 1), said);
}

}  // namespace
}  // namespace grip
