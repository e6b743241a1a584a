#pragma once

// Console texts and file names of the gripfit program. Scripts read its
// output and its exit status, so they stay as they are.

namespace grip::fitter {

/// Exit statuses of gripfit.
inline constexpr int kExitFitted = 0;       ///< fitted (or evaluated); result files and report written
inline constexpr int kExitUsage = 1;        ///< an option could not be used (a budget: after reading); nothing written
inline constexpr int kExitRefused = 2;      ///< the design files were refused (read or validation)
inline constexpr int kExitNotWritten = 3;   ///< a result file could not be written
inline constexpr int kExitInterrupted = 4;  ///< interrupted; the results of the best design found are written
inline constexpr int kExitBusy = 5;         ///< another gripfit is fitting in the working folder; nothing read or written

inline constexpr const char* kReportTextFile = "FitReport.txt";
inline constexpr const char* kReportJsonFile = "FitReport.json";
inline constexpr const char* kReportHtmlFile = "FitReport.html";
/// Locked (flock) while a fit runs in the folder; the file itself stays and
/// blocks nothing once the fit has ended.
inline constexpr const char* kLockFile = ".gripfit.lock";

/// The help text; usageText() (FitProgram.h) fills in the search defaults
/// from the variants' descriptions, in this order: the continuous and the
/// discrete method, the continuous fewest and most starts, the discrete
/// starts, the continuous and the discrete evaluations per design variable
/// and start, and whether the discrete fit starts from the continuous one
/// ("on" or "off").
inline constexpr const char* kUsageFormat =
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
    "                   (slsqp and sbplx in turn); default %s for the\n"
    "                   continuous model, %s for the discrete one\n"
    "  --starts N       starts spread within the bounds, the design start first,\n"
    "                   up to 100000 (default or 0: continuous model %d to %d by\n"
    "                   the design count, discrete model %d)\n"
    "  --max-evals N    evaluations of the target over all starts, never exceeded;\n"
    "                   each start's share must pay for the method's first step\n"
    "                   (default or 0: per design variable and start %ld for\n"
    "                   the continuous model, %ld for the discrete one)\n"
    "  --continuous-start, --no-continuous-start\n"
    "                   begin the discrete model's search at the continuous\n"
    "                   model's fit of the same data, or at the design start\n"
    "                   (default %s)\n"
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

inline constexpr const char* kVersion = "gripfit %s\n";
inline constexpr const char* kUnknownOption = "gripfit: unknown option %s (gripfit --help lists them)\n";
inline constexpr const char* kMissingValue = "gripfit: option %s needs a value\n";
inline constexpr const char* kBadCount = "gripfit: option %s needs a whole number of %ld or more, not %s\n";
inline constexpr const char* kUnknownMethod =
    "gripfit: unknown method %s: bobyqa, sbplx, neldermead, slsqp, lbfgs or portfolio\n";
inline constexpr const char* kNoArgument = "gripfit: no argument is expected, not %s\n";

inline constexpr const char* kOptionRefused = "gripfit: %s\n";
inline constexpr const char* kSearchMessage = "gripfit: the search printed %ld times:%s%s%s";
inline constexpr const char* kSearchMessagesNotKept = "gripfit: the search printed %ld more messages of other texts\n";

inline constexpr const char* kIssueError = "gripfit: error: %s\n";
inline constexpr const char* kIssueWarning = "gripfit: warning: %s\n";
inline constexpr const char* kRefused = "gripfit: the design files were refused: nothing fitted\n";
inline constexpr const char* kSearchFault = "gripfit: the search could not run: %s\n";
inline constexpr const char* kSearching = "gripfit: %d design variables, %d points, method %s, %d starts\n";
inline constexpr const char* kProgressLine = "evaluations %ld  best %.6f %%  starts %d/%d  %.1f s";
inline constexpr const char* kInterrupted =
    "gripfit: interrupted: the results are those of the best design found so far\n";
/// One per variable or group the data do not determine, after the report.
inline constexpr const char* kNotDetermined = "gripfit: not determined: %s\n";
inline constexpr const char* kResultLine = "gripfit: target %.6f %% (%s, %ld evaluations)\n";
inline constexpr const char* kEvaluatedLine = "gripfit: target %.6f %% (the start values, no search)\n";
inline constexpr const char* kReportNotWritten = "gripfit: report %s not written\n";
inline constexpr const char* kNothingReplaced =
    "gripfit: no result file was replaced: the files of the folder are as they were\n";
inline constexpr const char* kFolderBusy =
    "gripfit: another gripfit is fitting in this folder: nothing fitted (wait for it, or fit in another folder)\n";
inline constexpr const char* kCannotLock = "gripfit: the working folder cannot be locked (%s: %s): nothing fitted\n";

}  // namespace grip::fitter
