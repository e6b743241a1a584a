#pragma once

#include <atomic>
#include <functional>
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
};

/// The method's name on the command line and in reports ("bobyqa", "sbplx",
/// "neldermead", "slsqp", "lbfgs"), and back; nullopt for an unknown name.
const char* searchMethodName(SearchMethod method);
std::optional<SearchMethod> searchMethodOf(std::string_view name);

/// How a fit searches. Zero counts mean "choose by the problem".
struct SearchOptions {
  std::optional<SearchMethod> method;  ///< none: the default for the model type
  int starts = 0;                      ///< starts: the design start, then a Latin hypercube; 0: defaultStarts
  long maxEvaluations = 0;             ///< over all starts and threads; 0: defaultMaxEvaluations
  unsigned long seed = 1;              ///< of the quasi-random starts: the same seed, the same fit
  int threads = 0;                     ///< 0: the machine's cores
  double restartGain = 1e-4;           ///< restarts from the best go on while they gain this much [%-points]
  bool centralDifferences = true;      ///< gradient methods: central (2n probes) or forward (n) differences
  double differenceStep = 1e-6;        ///< finite-difference step as a share of each bound range [-]
  /// Called with every evaluated design and its target, on the searching
  /// threads and concurrently: for checks, not for printing. Must be
  /// thread-safe; empty by default.
  std::function<void(std::span<const double> design, double target)> evaluationHook;
};

/// The choices for zero options, as the selected variant's description
/// gives them (VariantDescription::search; the continuous model's when none
/// is selected): its method, its starts by the design count, and its
/// evaluations per design variable and start times the starts and two
/// starts' shares kept for restarts. Today sbplx, 4 starts and 100 for the
/// discrete model; slsqp, 4 to 12 starts (half the design count) and 300
/// for the continuous one.
SearchMethod defaultSearchMethod(const DesignState& state);
int defaultStarts(const DesignState& state);
long defaultMaxEvaluations(const DesignState& state);

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
};

/// One problem found by the validation of a design state before any search:
/// a message that names the file, the line and the value.
struct DesignIssue {
  bool error = true;  ///< false: a warning, the fit can go on
  std::string message;
};

/// Checks an initialised design state before any search: each bound read
/// and the lower below the upper, no whole-number parameter (ni, nj, ny,
/// sliding, pressure, draw3d) as a design variable (errors); a start outside
/// its bounds (a warning: the search starts from the nearest bound) and a
/// measurement file holding more points than its count (a warning: the rest
/// is not used). Issues in parameter order, then file order. Prints nothing.
std::vector<DesignIssue> validateDesign(const DesignState& state, const std::string& startFile = fit::kDesignStartFile,
                                        const std::string& targetFile = fit::kDesignTargetFile);

/// Searches the design variables of an initialised, validated state within
/// their bounds. Each thread has its own model and evaluator; the state is
/// only read. stop (optional) ends the search early, keeping the best design
/// found. Prints nothing.
SearchResult searchDesign(const DesignState& state, const SearchOptions& options, const SearchObserver& observer = nullptr,
                          const std::atomic<bool>* stop = nullptr);

}  // namespace grip
