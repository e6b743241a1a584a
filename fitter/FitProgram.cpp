// The gripfit program: options, the fit in the working folder, progress,
// result files and report.

#include "fitter/FitProgram.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/Console.h"
#include "core/FormatText.h"
#include "core/ResultSet.h"
#include "core/TextFile.h"
#include "fit/HtmlReport.h"
#include "fit/Report.h"
#include "fitter/FitterMessages.h"
#include "model/MakeTyreModel.h"

namespace grip {

namespace {

/// A whole number from minimum to maximum, or nullopt.
std::optional<long> countOf(const char* text, long minimum, long maximum) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < minimum || value > maximum) return std::nullopt;
  return value;
}

/// Takes one option's value into options; false after printing why not.
bool takeOption(std::string_view name, const char* value, FitProgramOptions& options) {
  if (name == "--method") {
    const auto method = searchMethodOf(value);
    if (!method) {
      say(fitter::kUnknownMethod, value);
      return false;
    }
    options.search.method = method;
    return true;
  }
  // Any whole number the option's field holds: the ranges are the fit
  // library's (SearchOptions::isValid), the same for every host.
  const bool seed = name == "--seed";
  const bool wide = seed || name == "--max-evals";
  const auto count = countOf(value, seed ? 0 : wide ? LONG_MIN : INT_MIN, wide ? LONG_MAX : INT_MAX);
  if (!count) {
    say(fitter::kBadCount, std::string(name).c_str(), 0L, value);
    return false;
  }
  if (name == "--starts") options.search.starts = static_cast<int>(*count);
  else if (name == "--max-evals") options.search.maxEvaluations = *count;
  else if (seed) options.search.seed = static_cast<unsigned long>(*count);
  else options.search.threads = static_cast<int>(*count);
  return true;
}

bool takesValue(std::string_view name) {
  return name == "--method" || name == "--starts" || name == "--max-evals" || name == "--seed" || name == "--threads";
}

void printIssues(const std::vector<DesignIssue>& issues) {
  for (const DesignIssue& issue : issues) say(issue.error ? fitter::kIssueError : fitter::kIssueWarning, issue.message.c_str());
}

/// The messages printed on the search threads, each once with its count.
void printSearchMessages(const SearchResult& search) {
  for (const SearchMessage& message : search.messages)
    say(fitter::kSearchMessage, message.count, message.text.starts_with(' ') ? "" : " ", message.text.c_str(),
        message.text.ends_with('\n') ? "" : "\n");
  if (search.messagesNotKept > 0) say(fitter::kSearchMessagesNotKept, search.messagesNotKept);
}

/// The progress on the console: one line rewritten in place on a terminal,
/// else a line per improvement of the best target.
class ProgressPrinter {
 public:
  explicit ProgressPrinter(bool terminal) : terminal_(terminal) {}
  ~ProgressPrinter() { finish(); }

  void operator()(const SearchProgress& progress) {
    if (!terminal_ && !progress.improved) return;
    if (terminal_) std::fputs("\r", stdout);
    printFormatted(stdout, fitter::kProgressLine, progress.evaluations, progress.bestTarget, progress.startsDone,
                   progress.startsTotal, progress.seconds);
    std::fputs(terminal_ ? "\033[K" : "\n", stdout);  // on a terminal: clear what a longer line left
    std::fflush(stdout);
    pending_ = terminal_;
  }

  /// Ends the live line so that the next output starts on a line of its own.
  void finish() {
    if (pending_) std::fputs("\n", stdout);
    pending_ = false;
  }

 private:
  bool terminal_;
  bool pending_ = false;
};

/// Adds the report files to the result set; false after printing which
/// could not be written.
bool writeReportFiles(const DesignState& state, const FitReport& report, ResultSet& results) {
  bool written = true;
  const auto write = [&](const char* name, void (*writer)(std::FILE*, const FitReport&)) {
    const bool ok = static_cast<bool>(results.add(name, [&](std::FILE* file) { writer(file, report); }));
    if (!ok) say(fitter::kReportNotWritten, name);
    written = written && ok;
  };
  write(fitter::kReportTextFile, writeReportText);
  write(fitter::kReportJsonFile, writeReportJson);
  const bool page = static_cast<bool>(results.add(fitter::kReportHtmlFile, reportHtml(state, report)));
  if (!page) say(fitter::kReportNotWritten, fitter::kReportHtmlFile);
  return written && page;
}

/// The advisory lock of one fit in the working folder: an exclusive flock on
/// the lock file, held while the open file lives. The kernel releases it
/// when the process ends in any way, so the file left behind never blocks a
/// later run; only a running gripfit does.
class FolderLock {
 public:
  /// Takes the lock; a second gripfit in the folder, or a folder where the
  /// lock file can be neither made nor opened, is refused with its message
  /// and exit status (status() is then not kExitFitted).
  FolderLock() {
    fd_ = ::open(fitter::kLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    const int error = errno;
    if (fd_ < 0) fd_ = ::open(fitter::kLockFile, O_RDONLY | O_CLOEXEC);  // made by another user: locks as well
    if (fd_ < 0) {
      say(fitter::kCannotLock, fitter::kLockFile, std::strerror(error));
      status_ = fitter::kExitNotWritten;
      return;
    }
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno == EWOULDBLOCK) {
        say("%s", fitter::kFolderBusy);
        status_ = fitter::kExitBusy;
      } else {
        say(fitter::kCannotLock, fitter::kLockFile, std::strerror(errno));
        status_ = fitter::kExitNotWritten;
      }
      return;
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  int status() const { return status_; }

 private:
  int fd_ = -1;
  int status_ = fitter::kExitFitted;
};

}  // namespace

std::optional<FitProgramOptions> parseFitArguments(std::span<const char* const> arguments) {
  FitProgramOptions options;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    std::string_view argument = arguments[k];
    if (argument == "--help" || argument == "-h") options.help = true;
    else if (argument == "--version") options.version = true;
    else if (argument == "--quiet") options.quiet = true;
    else if (argument == "--evaluate") options.evaluate = true;
    else if (argument == "--continuous-start") options.search.continuousStart = true;
    else if (argument == "--no-continuous-start") options.search.continuousStart = false;
    else if (argument.starts_with("--")) {
      const std::size_t equals = argument.find('=');
      const std::string name(argument.substr(0, equals));
      if (!takesValue(name)) {
        say(fitter::kUnknownOption, std::string(argument).c_str());
        return std::nullopt;
      }
      std::string value;
      if (equals != std::string_view::npos) {
        value = argument.substr(equals + 1);
      } else if (k + 1 < arguments.size()) {
        value = arguments[++k];
      } else {
        say(fitter::kMissingValue, name.c_str());
        return std::nullopt;
      }
      if (!takeOption(name, value.c_str(), options)) return std::nullopt;
    } else if (argument.starts_with("-") && argument.size() > 1) {
      say(fitter::kUnknownOption, std::string(argument).c_str());
      return std::nullopt;
    } else {
      say(fitter::kNoArgument, std::string(argument).c_str());
      return std::nullopt;
    }
  }
  std::string refused;
  if (!options.search.isValid(&refused)) {
    say(fitter::kOptionRefused, refused.c_str());
    return std::nullopt;
  }
  return options;
}

int runFit(const FitProgramOptions& options, const std::atomic<bool>& stop, bool terminal) {
  DesignState state;
  if (initialiseDesign(state, fit::kDesignStartFile, fit::kDesignTargetFile, TargetFaultLine::namingFile) != 0.0)
    return fitter::kExitRefused;

  const std::vector<DesignIssue> issues = validateDesign(state);
  printIssues(issues);
  for (const DesignIssue& issue : issues) {
    if (issue.error) {
      say("%s", fitter::kRefused);
      return fitter::kExitRefused;
    }
  }

  SearchResult search;
  if (options.evaluate) {
    // The start values as they are, as the plug-in evaluates them.
    search.design.assign(state.startValues.begin(), state.startValues.begin() + state.designCount);
    search.method = options.search.method.value_or(defaultSearchMethod(state));
    search.evaluations = 1;
  } else {
    std::string refused;
    if (!options.search.isValidFor(state, &refused)) {  // a budget too small for the first step
      say(fitter::kOptionRefused, refused.c_str());
      return fitter::kExitUsage;
    }
    const SearchMethod method = options.search.method.value_or(defaultSearchMethod(state));
    if (!options.quiet) {
      const int starts = options.search.starts > 0 ? options.search.starts : defaultStarts(state);
      std::printf(fitter::kSearching, state.designCount, state.totalPoints, searchMethodName(method), starts);
    }
    ProgressPrinter printer(terminal);
    SearchObserver observer;
    if (!options.quiet) observer = [&printer](const SearchProgress& progress) { printer(progress); };
    search = searchDesign(state, options.search, observer, &stop);
    printer.finish();
    if (!search.fault.empty()) {
      say(fitter::kSearchFault, search.fault.c_str());
      return fitter::kExitNotWritten;
    }
  }

  // The same steps as the plug-in's terminate call, so that the files are
  // the same for the same design vector.
  applyDesignVariables(*state.model, state, search.design);
  search.target = evaluateTarget(state);
  // One result set: the files of the folder are replaced all together, or
  // (when one cannot be written) none of them.
  ResultSet results;
  const bool listingsWritten = writeFileResults(state, results);
  const bool resultsWritten = writeDesignResults(state, search.design, results);

  const FitReport report = makeReport(state, search);
  if (!options.quiet) writeReportText(stdout, report);
  printSearchMessages(search);
  if (!options.quiet && report.uncertainty)
    for (const std::string& message : report.uncertainty->undetermined) say(fitter::kNotDetermined, message.c_str());
  const bool reportWritten = writeReportFiles(state, report, results);
  const bool committed = listingsWritten && resultsWritten && reportWritten && commitResults(results);
  if (!committed) say("%s", fitter::kNothingReplaced);
  if (search.interrupted) say("%s", fitter::kInterrupted);
  if (options.evaluate) say(fitter::kEvaluatedLine, search.target);
  else say(fitter::kResultLine, search.target, searchMethodName(search.method), search.evaluations);
  if (!committed) return fitter::kExitNotWritten;
  return search.interrupted ? fitter::kExitInterrupted : fitter::kExitFitted;
}

std::string usageText() {
  const SearchDefaults& continuous = variantDescription(kContinuousModel)->search;
  const SearchDefaults& discrete = variantDescription(kDiscreteModel)->search;
  return formatted(fitter::kUsageFormat, continuous.method, discrete.method, continuous.fewestStarts,
                   continuous.mostStarts, discrete.fewestStarts, continuous.evaluationsPerVariable,
                   discrete.evaluationsPerVariable, discrete.continuousStart ? "on" : "off");
}

int fitProgramMain(std::span<const char* const> arguments, const std::atomic<bool>& stop, bool terminal) {
  const auto options = parseFitArguments(arguments);
  if (!options) return fitter::kExitUsage;
  if (options->help) {
    std::fputs(usageText().c_str(), stdout);
    return fitter::kExitFitted;
  }
  if (options->version) {
    std::printf(fitter::kVersion, GRIP_VERSION);
    return fitter::kExitFitted;
  }
  const FolderLock lock;
  if (lock.status() != fitter::kExitFitted) return lock.status();
  const int status = runFit(*options, stop, terminal);
  std::fflush(stdout);
  return status;
}

}  // namespace grip
