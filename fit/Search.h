#pragma once

#include <atomic>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fit/DesignState.h"

namespace grip {

/// Local search methods of the fit, all within the design bounds.
enum class SearchMethod {
  bobyqa,      ///< derivative-free, quadratic models
  sbplx,       ///< derivative-free, subspace simplex
  nelderMead,  ///< derivative-free, simplex
  slsqp,       ///< gradient-based (finite differences), sequential quadratic programming
  lbfgs,       ///< gradient-based (finite differences), quasi-Newton
  /// the starts taken in turn by slsqp and sbplx (the first by slsqp), and
  /// each restart from the best run by both side by side
  portfolio,
};

/// The method's name on the command line and in reports ("bobyqa", "sbplx",
/// "neldermead", "slsqp", "lbfgs", "portfolio"), and back; nullopt for an
/// unknown name.
const char* searchMethodName(SearchMethod method);
std::optional<SearchMethod> searchMethodOf(std::string_view name);

/// How a fit searches. Zero counts mean "choose by the problem" (threads:
/// the machine's cores), in the library, the program and Python alike.
struct SearchOptions {
  /// Most starts and threads a search takes: each start keeps its point
  /// and its result, each thread a model of its own.
  static constexpr int kMaxStarts = 100000;
  static constexpr int kMaxThreads = 1024;

  std::optional<SearchMethod> method;  ///< none: the default for the model type
  int starts = 0;                      ///< starts: the design start, then a Latin hypercube; 0: defaultStarts
  long maxEvaluations = 0;             ///< over all starts and threads, never exceeded; 0: defaultMaxEvaluations
  unsigned long seed = 1;              ///< of the quasi-random starts: the same seed, the same fit
  int threads = 0;                     ///< 0: the machine's cores; never more than the starts (or the portfolio's 2 restarts)
  double restartGain = 1e-4;           ///< restarts from the best go on while they gain this much [%-points]
  bool centralDifferences = true;      ///< gradient methods: central (2n probes) or forward (n) differences
  /// A model other than the continuous one: first fit the continuous model
  /// to the same data (its default search) and start from its design, the
  /// design start next. none: the model's default (continuousStart of its
  /// SearchDefaults). That fit's evaluations are not counted in
  /// maxEvaluations: they are SearchResult::continuousEvaluations.
  std::optional<bool> continuousStart;
  double differenceStep = 1e-6;        ///< finite-difference step as a share of each bound range [-]
  /// Called with every evaluated design and its target, on the searching
  /// threads and concurrently: for checks, not for printing. Must be
  /// thread-safe; empty by default.
  std::function<void(std::span<const double> design, double target)> evaluationHook;

  /// Checks the options alone: counts within their ranges, the gain and
  /// the step finite numbers in theirs. False with the reason in *error
  /// (when given): a message that hosts print as it is.
  bool isValid(std::string* error) const;

  /// The same and the budget against the problem: each start's share of
  /// maxEvaluations must pay for the method's first step (smallestBudget).
  bool isValidFor(const DesignState& state, std::string* error) const;

  /// The smallest maxEvaluations with which every start of these options
  /// can take the method's first step on the state's design variables.
  long smallestBudget(const DesignState& state) const;
};

/// The choices for zero options, as the selected variant's description
/// gives them (VariantDescription::search; the continuous model's when none
/// is selected): its method, its starts by the design count, and its
/// evaluations per design variable and start times the starts and two
/// starts' shares kept for restarts, and whether it starts from a fit of
/// the continuous model. The values and where they were chosen are in the
/// descriptions (continuous/ContinuousParameters.h,
/// discrete/DiscreteParameters.cpp).
SearchMethod defaultSearchMethod(const DesignState& state);
int defaultStarts(const DesignState& state);
long defaultMaxEvaluations(const DesignState& state);
bool defaultContinuousStart(const DesignState& state);

/// What the search reports while it runs: called on the thread that called
/// searchDesign (never concurrently, never inside the objective), about every
/// 0.1 s while the search moves on, and once at its end.
struct SearchProgress {
  long evaluations = 0;      ///< so far, over all starts
  double bestTarget = 0.0;   ///< best target so far [%]
  int startsDone = 0;
  int startsTotal = 0;
  double seconds = 0.0;      ///< since the search began
  bool improved = false;     ///< this call reports a better best target
};
using SearchObserver = std::function<void(const SearchProgress&)>;

/// Why one local search ended.
enum class StopReason {
  converged,        ///< the method's own test of success
  targetTolerance,  ///< a step changed the target by less than its tolerance
  stepTolerance,    ///< a step moved every unit coordinate by less than its tolerance
  budget,           ///< its share of the evaluations was spent
  stopped,          ///< the caller's stop flag
  roundoff,         ///< rounding errors kept the method from going on
  failure,          ///< the method failed; its best point so far is kept
};

/// The reason's name in reports: "converged", "target tolerance", "step
/// tolerance", "budget", "stopped", "roundoff", "failure".
const char* stopReasonName(StopReason reason);

/// One local search of a fit: a start or a restart from the best.
struct LocalSearch {
  int index = 0;         ///< from 1: the starts in order (the design start first), then the restarts
  bool restart = false;  ///< a restart from the best design so far
  SearchMethod method = SearchMethod::bobyqa;
  long evaluations = 0;
  double target = 0.0;   ///< best target it found [%]; infinity when it evaluated nothing
  StopReason reason = StopReason::converged;
};

/// A message printed on a searching thread (a warning of the model), kept
/// once with the number of times it came.
struct SearchMessage {
  std::string text;  ///< as printed, line end included
  long count = 0;
};

/// The outcome of a search.
struct SearchResult {
  std::vector<double> design;  ///< best design variables, within the bounds
  double target = 0.0;         ///< its target value [%]
  long evaluations = 0;
  double seconds = 0.0;
  int startsDone = 0;
  SearchMethod method = SearchMethod::bobyqa;
  bool interrupted = false;    ///< stopped by the caller's stop flag; design is the best found
  std::string fault;           ///< why the search could not run (design is then the clamped start); empty when it ran
  std::vector<LocalSearch> localSearches;  ///< in index order
  /// The continuous model's fit that gave the first start
  /// (SearchOptions::continuousStart): its target [%] (NaN when none ran)
  /// and its evaluations, not counted in evaluations.
  double continuousTarget = std::numeric_limits<double>::quiet_NaN();
  long continuousEvaluations = 0;
  /// Messages of the search in the order of the local searches that first
  /// printed them; at most kMaxMessages texts, the rest only counted.
  std::vector<SearchMessage> messages;
  long messagesNotKept = 0;    ///< messages of further texts beyond kMaxMessages
  static constexpr std::size_t kMaxMessages = 20;
};

/// One problem found by the validation of a design state before any search:
/// a message that names the file, the line and the value.
struct DesignIssue {
  bool error = true;  ///< false: a warning, the fit can go on
  std::string message;
};

/// Checks an initialised design state before any search: each bound read,
/// finite and within what the parameter file writes and reads back
/// (kLargestWrittenValue), their range finite and the lower below the
/// upper, every parameter value within the same limit, no whole-number parameter (ni, nj, ny,
/// sliding, pressure, draw3d) as a design variable (errors); a start outside
/// its bounds (a warning: the search starts from the nearest bound) and a
/// measurement file holding more points than its count (a warning: the rest
/// is not used). Issues in parameter order, then file order. Prints nothing.
std::vector<DesignIssue> validateDesign(const DesignState& state, const std::string& startFile = fit::kDesignStartFile,
                                        const std::string& targetFile = fit::kDesignTargetFile);

/// The largest magnitude the parameter file's "%+16.10e" writes as a text
/// that reads back as a finite number: 1.7976931349e+308, the next text,
/// is beyond the largest double and reads as infinity.
inline constexpr double kLargestWrittenValue = 1.7976931348e+308;

/// Searches the design variables of an initialised, validated state within
/// their bounds. Each thread has its own model and evaluator; the state is
/// only read. stop (optional) ends the search early, keeping the best design
/// found. Options that are not valid for the state (isValidFor) are a fault
/// and nothing is evaluated. The design returned lies within its bounds,
/// exactly. Prints nothing: the messages of the search threads are kept in
/// the result.
SearchResult searchDesign(const DesignState& state, const SearchOptions& options, const SearchObserver& observer = nullptr,
                          const std::atomic<bool>* stop = nullptr);

}  // namespace grip
