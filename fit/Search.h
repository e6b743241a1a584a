#pragma once

#include <atomic>
#include <functional>
#include <optional>
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
  int starts = 0;                      ///< quasi-random starts within the bounds; 0: by the design count
  long maxEvaluations = 0;             ///< over all starts and threads; 0: by the design count
  unsigned long seed = 1;              ///< of the quasi-random starts: the same seed, the same fit
  int threads = 0;                     ///< 0: the machine's cores
  double restartGain = 1e-4;           ///< restarts from the best go on while they gain this much [%-points]
};

/// What the search reports while it runs: called from the searching threads,
/// one call at a time (never concurrently), after every improvement of the
/// best target and at the end of every start.
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
};

/// One problem found by the validation of a design state before any search:
/// a message that names the file, the line and the value.
struct DesignIssue {
  bool error = true;  ///< false: a warning, the fit can go on
  std::string message;
};

/// Checks an initialised design state before any search: each bound read
/// and the lower below the upper, the start within its bounds, no
/// whole-number parameter (ni, nj, ny, sliding, pressure, draw3d) as a
/// design variable, measurement files holding more points than their count
/// (a warning). Prints nothing.
std::vector<DesignIssue> validateDesign(const DesignState& state, const std::string& startFile = fit::kDesignStartFile,
                                        const std::string& targetFile = fit::kDesignTargetFile);

/// Searches the design variables of an initialised, validated state within
/// their bounds. Each thread has its own model and evaluator; the state is
/// only read. stop (optional) ends the search early, keeping the best design
/// found. Prints nothing.
SearchResult searchDesign(const DesignState& state, const SearchOptions& options, const SearchObserver& observer = nullptr,
                          const std::atomic<bool>* stop = nullptr);

}  // namespace grip
