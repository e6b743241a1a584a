// The search of the design variables within their bounds: a local method of
// NLopt from quasi-random starts spread over the bounds, run side by side,
// then restarts from the best until they gain too little.
//
// Every local search works in unit coordinates: design variable i is
// lower[i] + u[i] * (upper[i] - lower[i]) with u[i] in [0, 1]. The design
// variables of a tyre span many decades (a stiffness near 0.05 N/mm^3, a
// friction decay near 3000), and the methods' steps, tolerances and the
// finite-difference step are then the same for all of them.

#include <nlopt.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "core/Console.h"
#include "fit/FitMessages.h"
#include "fit/Search.h"
#include "model/MakeTyreModel.h"

namespace grip {

namespace {

struct MethodName {
  SearchMethod method;
  const char* name;
};
constexpr std::array<MethodName, 6> kMethodNames = {{
    {SearchMethod::bobyqa, "bobyqa"},
    {SearchMethod::sbplx, "sbplx"},
    {SearchMethod::nelderMead, "neldermead"},
    {SearchMethod::slsqp, "slsqp"},
    {SearchMethod::lbfgs, "lbfgs"},
    {SearchMethod::portfolio, "portfolio"},
}};

nlopt::algorithm algorithmOf(SearchMethod method) {
  switch (method) {
    case SearchMethod::bobyqa: return nlopt::LN_BOBYQA;
    case SearchMethod::sbplx: return nlopt::LN_SBPLX;
    case SearchMethod::nelderMead: return nlopt::LN_NELDERMEAD;
    case SearchMethod::slsqp: return nlopt::LD_SLSQP;
    case SearchMethod::lbfgs: return nlopt::LD_LBFGS;
    case SearchMethod::portfolio: break;  // each local search runs one of its two methods
  }
  return nlopt::LN_BOBYQA;
}

bool usesGradient(SearchMethod method) { return method == SearchMethod::slsqp || method == SearchMethod::lbfgs; }

/// Evaluations of a method's first step over n design variables: a
/// gradient method's first call evaluates the point and its finite
/// differences, bobyqa builds its first quadratic model from 2n+1 points,
/// a simplex method needs its n+1 corners.
long firstStepCost(SearchMethod method, long n, bool centralDifferences) {
  if (usesGradient(method) || method == SearchMethod::portfolio) return 1 + (centralDifferences ? 2 * n : n);
  if (method == SearchMethod::bobyqa) return 2 * n + 1;
  return n + 1;
}

struct ReasonName {
  StopReason reason;
  const char* name;
};
constexpr std::array<ReasonName, 7> kReasonNames = {{
    {StopReason::converged, "converged"},
    {StopReason::targetTolerance, "target tolerance"},
    {StopReason::stepTolerance, "step tolerance"},
    {StopReason::budget, "budget"},
    {StopReason::stopped, "stopped"},
    {StopReason::roundoff, "roundoff"},
    {StopReason::failure, "failure"},
}};

/// The reason of an NLopt result other than a forced stop.
StopReason reasonOf(nlopt::result result) {
  switch (result) {
    case nlopt::SUCCESS:
    case nlopt::STOPVAL_REACHED: return StopReason::converged;
    case nlopt::FTOL_REACHED: return StopReason::targetTolerance;
    case nlopt::XTOL_REACHED: return StopReason::stepTolerance;
    case nlopt::MAXEVAL_REACHED:
    case nlopt::MAXTIME_REACHED: return StopReason::budget;
    case nlopt::ROUNDOFF_LIMITED: return StopReason::roundoff;
    default: return StopReason::failure;
  }
}

/// Counts text among messages: a known text once more, a new one kept
/// while fewer than SearchResult::kMaxMessages texts are, else only counted.
void noteMessage(std::vector<SearchMessage>& messages, long& notKept, std::string_view text, long count = 1) {
  for (SearchMessage& message : messages) {
    if (message.text == text) {
      message.count += count;
      return;
    }
  }
  if (messages.size() < SearchResult::kMaxMessages) messages.push_back({std::string(text), count});
  else notKept += count;
}

template <typename... Values>
std::string formatted(const char* format, Values... values) {
  const int length = std::snprintf(nullptr, 0, format, values...);
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, values...);
  text.pop_back();
  return text;
}

bool refuse(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

/// A target that is not a number counts as this much, so that no method
/// takes it for an improvement [%].
constexpr double kNoTarget = 1e10;

/// Initial step of the derivative-free methods, as a share of each bound range.
constexpr double kInitialStep = 0.1;
/// A local search ends when a step changes the target by less than this [%-points]
/// or moves every unit coordinate by less than kStepTolerance.
constexpr double kTargetTolerance = 1e-7;
constexpr double kStepTolerance = 1e-7;

/// How often the calling thread looks at the progress of the search.
constexpr std::chrono::milliseconds kProgressInterval{100};

/// What the searching threads share: counts and the best target for the
/// progress, and the caller's stop flag. Written with atomics only, so that
/// the objective neither locks nor allocates.
struct SharedProgress {
  std::atomic<long> evaluations{0};
  std::atomic<double> bestTarget{std::numeric_limits<double>::infinity()};
  std::atomic<int> startsDone{0};
  const std::atomic<bool>* stop = nullptr;

  bool stopRequested() const { return stop != nullptr && stop->load(std::memory_order_relaxed); }

  void offer(double target) {
    double best = bestTarget.load(std::memory_order_relaxed);
    while (target < best && !bestTarget.compare_exchange_weak(best, target, std::memory_order_relaxed)) {
    }
  }
};

/// The design bounds of the design variables, in design order.
struct Box {
  std::vector<double> lower, upper, range;

  explicit Box(const DesignState& state) {
    for (std::size_t p = 0; p < kParameterCount; ++p) {
      if (state.designMask[p] != 1) continue;
      lower.push_back(state.lowerBound[p]);
      upper.push_back(state.upperBound[p]);
      range.push_back(state.upperBound[p] - state.lowerBound[p]);
    }
  }
  std::size_t size() const { return lower.size(); }

  /// Design variable i of unit coordinate u, clamped to the bounds: the
  /// sum lower + 1 * range can round one ulp above the upper bound.
  double design(std::size_t i, double u) const {
    return std::clamp(lower[i] + std::clamp(u, 0.0, 1.0) * range[i], lower[i], upper[i]);
  }

  /// Unit coordinate of design value x, clamped to [0, 1]; 0 for a bound range of 0.
  double unit(std::size_t i, double x) const {
    return range[i] > 0.0 ? std::clamp((x - lower[i]) / range[i], 0.0, 1.0) : 0.0;
  }
};

/// The outcome of one local search.
struct LocalResult {
  std::vector<double> unit;  ///< best point found, unit coordinates
  double target = std::numeric_limits<double>::infinity();
  long evaluations = 0;
  StopReason reason = StopReason::failure;
};

/// Everything one searching thread owns: a model set up from the state's
/// parameters, its evaluator and the vectors that the objective fills, all
/// made before the first evaluation.
class Worker {
 public:
  /// modelNumber: the model block's number to set up, the state's own by default.
  Worker(const DesignState& state, const Box& box, const SearchOptions& options, SharedProgress& shared,
         std::optional<double> modelNumber = std::nullopt)
      : model_(makeTyreModel()), box_(box), options_(options), shared_(shared) {
    model_.setUp(state.model->parameters, modelNumber.value_or(state.model->modelNumber));
    model_.setTrace(0, nullptr);
    evaluator_ = std::make_unique<TargetEvaluator>(model_, state);
    design_.resize(box.size());
    probe_.resize(box.size());
    best_.resize(box.size());
  }

  /// A local search by method from unit point start with at most budget evaluations.
  LocalResult search(SearchMethod method, std::span<const double> start, long budget) {
    const auto n = static_cast<unsigned>(box_.size());
    method_ = method;
    budget_ = budget;
    evaluations_ = 0;
    forced_.reset();
    bestTarget_ = std::numeric_limits<double>::infinity();
    std::copy(start.begin(), start.end(), best_.begin());

    nlopt::opt opt(algorithmOf(method), n);
    opt_ = &opt;
    opt.set_lower_bounds(std::vector<double>(n, 0.0));
    opt.set_upper_bounds(std::vector<double>(n, 1.0));
    opt.set_min_objective(&Worker::objective, this);
    opt.set_ftol_abs(kTargetTolerance);
    opt.set_xtol_abs(kStepTolerance);
    if (!usesGradient(method)) {
      opt.set_maxeval(static_cast<int>(std::min<long>(budget, std::numeric_limits<int>::max())));
      opt.set_initial_step(kInitialStep);
    }
    std::vector<double> u(start.begin(), start.end());
    double f = 0.0;
    StopReason reason = StopReason::failure;
    try {
      reason = reasonOf(opt.optimize(u, f));
    } catch (const std::exception&) {
      // A forced stop (budget or the caller's flag), a round-off limit or a
      // method's failure: the best point evaluated so far is the result. A
      // forced stop that is not ours came from a fault inside the objective.
      const nlopt::result code = opt.last_optimize_result();
      reason = code == nlopt::FORCED_STOP ? forced_.value_or(StopReason::failure) : reasonOf(code);
    }
    opt_ = nullptr;
    return {best_, bestTarget_, evaluations_, reason};
  }

 private:
  static double objective(unsigned n, const double* u, double* gradient, void* data) {
    return static_cast<Worker*>(data)->value(std::span<const double>(u, n), gradient);
  }

  /// Evaluations of one objective call: the point and its finite-difference probes.
  long callCost() const {
    if (!usesGradient(method_)) return 1;
    const auto n = static_cast<long>(box_.size());
    return 1 + (options_.centralDifferences ? 2 * n : n);
  }

  double value(std::span<const double> u, double* gradient) {
    if (shared_.stopRequested() || evaluations_ + callCost() > budget_) {
      forced_ = shared_.stopRequested() ? StopReason::stopped : StopReason::budget;
      opt_->force_stop();
      return bestTarget_;
    }
    const double f = evaluate(u);
    if (gradient != nullptr) differentiate(u, f, gradient);
    return f;
  }

  /// Target of unit point u: every evaluation of the search goes through here.
  double evaluate(std::span<const double> u) {
    for (std::size_t i = 0; i < design_.size(); ++i) design_[i] = box_.design(i, u[i]);
    double f = evaluator_->target(design_);
    if (!std::isfinite(f)) f = kNoTarget;
    if (options_.evaluationHook) options_.evaluationHook(design_, f);
    ++evaluations_;
    shared_.evaluations.fetch_add(1, std::memory_order_relaxed);
    if (f < bestTarget_) {
      bestTarget_ = f;
      for (std::size_t i = 0; i < best_.size(); ++i) best_[i] = std::clamp(u[i], 0.0, 1.0);
      shared_.offer(f);
    }
    return f;
  }

  /// Finite differences in unit coordinates, each probe clipped to [0, 1]:
  /// a central difference becomes one-sided at a bound, a forward one
  /// turns backward at the upper bound.
  void differentiate(std::span<const double> u, double f, double* gradient) {
    const double h = options_.differenceStep;
    for (std::size_t i = 0; i < u.size(); ++i) probe_[i] = std::clamp(u[i], 0.0, 1.0);
    for (std::size_t i = 0; i < u.size(); ++i) {
      const double ui = probe_[i];
      double ahead = std::min(ui + h, 1.0);
      double behind = ui;
      double fBehind = f;
      if (options_.centralDifferences) {
        behind = std::max(ui - h, 0.0);
      } else if (ahead == ui) {
        ahead = std::max(ui - h, 0.0);
      }
      probe_[i] = ahead;
      const double fAhead = evaluate(probe_);
      if (behind != ui) {
        probe_[i] = behind;
        fBehind = evaluate(probe_);
      }
      probe_[i] = ui;
      gradient[i] = ahead != behind ? (fAhead - fBehind) / (ahead - behind) : 0.0;
    }
  }

  TyreModel model_;
  std::unique_ptr<TargetEvaluator> evaluator_;
  const Box& box_;
  const SearchOptions& options_;
  SharedProgress& shared_;
  nlopt::opt* opt_ = nullptr;
  SearchMethod method_ = SearchMethod::bobyqa;
  long budget_ = 0, evaluations_ = 0;
  std::optional<StopReason> forced_;  ///< why this worker stopped the method itself
  double bestTarget_ = 0.0;
  std::vector<double> design_, probe_, best_;
};

/// A uniform number in [0, 1) from the top 53 bits of the generator, the
/// same on every standard library (std::uniform_real_distribution is not).
double unitRandom(std::mt19937_64& random) { return static_cast<double>(random() >> 11) * 0x1.0p-53; }

/// count points of a Latin hypercube in [0, 1]^dimensions: each coordinate
/// takes each of count equal strata once, at a random place within it, the
/// strata shuffled per coordinate. The same seed gives the same points.
std::vector<std::vector<double>> latinHypercube(std::size_t count, std::size_t dimensions, unsigned long seed) {
  std::vector<std::vector<double>> points(count, std::vector<double>(dimensions));
  std::mt19937_64 random(seed);
  std::vector<std::size_t> strata(count);
  for (std::size_t d = 0; d < dimensions; ++d) {
    for (std::size_t k = 0; k < count; ++k) strata[k] = k;
    for (std::size_t k = count; k > 1; --k) {  // Fisher-Yates with the generator's own numbers
      const auto j = static_cast<std::size_t>(unitRandom(random) * static_cast<double>(k));
      std::swap(strata[k - 1], strata[std::min(j, k - 1)]);
    }
    for (std::size_t k = 0; k < count; ++k)
      points[k][d] = (static_cast<double>(strata[k]) + unitRandom(random)) / static_cast<double>(count);
  }
  return points;
}

/// One local search of the multistart: its start and, once run, its result.
struct StartTask {
  std::vector<double> start;
  SearchMethod method = SearchMethod::bobyqa;
  LocalResult result;
  std::vector<SearchMessage> messages;  ///< printed on its thread while it ran
  long messagesNotKept = 0;
  bool begun = false;  ///< false: a stop came first, the task was never searched
};

/// Runs the tasks on the workers, one thread per worker, each taking the
/// next task that is left; the calling thread reports the progress. The
/// result of a task depends only on its start and the budget, not on the
/// thread that ran it.
void runTasks(std::vector<StartTask>& tasks, std::vector<std::unique_ptr<Worker>>& workers, long budget,
              SharedProgress& shared, const std::function<void()>& report) {
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t finishedThreads = 0;
  const std::size_t threads = std::min(workers.size(), tasks.size());
  {
    std::vector<std::jthread> pool;
    pool.reserve(threads);
    for (std::size_t t = 0; t < threads; ++t) {
      pool.emplace_back([&, t] {
        // The threads print nothing: a message of the model is kept with
        // the task that printed it, for the result.
        StartTask* current = nullptr;
        ScopedMessageSink collect([&current](std::string_view text) {
          if (current != nullptr) noteMessage(current->messages, current->messagesNotKept, text);
        });
        for (std::size_t k = next++; k < tasks.size(); k = next++) {
          // After a stop the starts left are not begun (each would set its
          // method up only to stop at once: seconds over many starts). The
          // first always runs, so that the best design is one evaluated; a
          // start not begun keeps its infinite target and is never the best,
          // nor a local search of the result.
          if (k > 0 && shared.stopRequested()) break;
          tasks[k].begun = true;
          current = &tasks[k];
          tasks[k].result = workers[t]->search(tasks[k].method, tasks[k].start, budget);
          current = nullptr;
          shared.startsDone.fetch_add(1);
          changed.notify_one();
        }
        std::lock_guard lock(mutex);
        ++finishedThreads;
        changed.notify_one();
      });
    }
    std::unique_lock lock(mutex);
    while (finishedThreads < threads) {
      changed.wait_for(lock, kProgressInterval);
      lock.unlock();
      report();
      lock.lock();
    }
  }
}

/// The best task: the lowest target, the lowest index among equal ones.
std::size_t bestTask(const std::vector<StartTask>& tasks) {
  std::size_t best = 0;
  for (std::size_t k = 1; k < tasks.size(); ++k)
    if (tasks[k].result.target < tasks[best].result.target) best = k;
  return best;
}

/// The method of local search k (from 0) among the starts or among a
/// round of restarts: the search's own, or the portfolio's two in turn.
SearchMethod methodOfTask(SearchMethod method, std::size_t k) {
  if (method != SearchMethod::portfolio) return method;
  return k % 2 == 0 ? SearchMethod::slsqp : SearchMethod::sbplx;
}

/// What a multistart leaves behind besides the best result: each local
/// search begun (in index order, restart or not), and a round of restarts
/// about to run (how many local searches it adds).
struct MultistartHooks {
  std::function<void(const StartTask&, bool restart)> keep;
  std::function<void(int localSearches)> restarting;
};

/// Runs the starts of tasks, then restarts from the best while a round
/// gains restartGain and the budget pays for it; returns the best result.
/// A restart rebuilds the method's steps or its curvature and often moves
/// on where the last local search stopped. The portfolio restarts both its
/// methods from the best side by side (both cores busy, and whichever of
/// the two suits the target's shape there moves on).
LocalResult multistart(std::vector<StartTask>& tasks, std::vector<std::unique_ptr<Worker>>& workers,
                       SearchMethod method, long budget, long maxEvaluations, double restartGain,
                       SharedProgress& shared, const std::function<void()>& report, const MultistartHooks& hooks) {
  for (std::size_t k = 0; k < tasks.size(); ++k) tasks[k].method = methodOfTask(method, k);
  runTasks(tasks, workers, budget, shared, report);
  LocalResult best = tasks[bestTask(tasks)].result;
  long used = 0;
  for (const StartTask& task : tasks) {
    used += task.result.evaluations;
    if (hooks.keep) hooks.keep(task, false);
  }
  const std::size_t round = method == SearchMethod::portfolio ? 2 : 1;
  while (!shared.stopRequested() && used + static_cast<long>(round) * budget <= maxEvaluations) {
    std::vector<StartTask> restart(round);
    for (std::size_t k = 0; k < round; ++k) {
      restart[k].start = best.unit;
      restart[k].method = methodOfTask(method, k);
    }
    if (hooks.restarting) hooks.restarting(static_cast<int>(round));
    runTasks(restart, workers, budget, shared, report);
    for (const StartTask& task : restart) {
      used += task.result.evaluations;
      if (hooks.keep) hooks.keep(task, true);
    }
    const LocalResult& better = restart[bestTask(restart)].result;
    const double gain = best.target - better.target;
    if (gain > 0.0) best = better;
    if (!(gain >= restartGain)) break;
  }
  return best;
}

}  // namespace

const char* stopReasonName(StopReason reason) {
  for (const ReasonName& entry : kReasonNames)
    if (entry.reason == reason) return entry.name;
  return "";
}

const char* searchMethodName(SearchMethod method) {
  for (const MethodName& entry : kMethodNames)
    if (entry.method == method) return entry.name;
  return "";
}

std::optional<SearchMethod> searchMethodOf(std::string_view name) {
  for (const MethodName& entry : kMethodNames)
    if (name == entry.name) return entry.method;
  return std::nullopt;
}

namespace {

/// The search defaults of the state's selected variant; a state without one
/// has nothing to search and takes the continuous model's.
const SearchDefaults& searchDefaults(const DesignState& state) {
  const VariantDescription* described = state.model ? state.model->description() : nullptr;
  if (described == nullptr) described = variantDescription(kContinuousModel);
  return described->search;
}

/// Starts of defaults for design count n: n over designVariablesPerStart,
/// within [fewestStarts, mostStarts].
int startsOf(const SearchDefaults& defaults, int n) {
  return std::clamp(n / defaults.designVariablesPerStart, defaults.fewestStarts, defaults.mostStarts);
}

/// The threads a search runs on: the options' count (0: the machine's
/// cores), at most sideBySide, the local searches that can run at once.
int threadCount(const SearchOptions& options, int sideBySide) {
  const unsigned machineThreads = std::max(std::thread::hardware_concurrency(), 1u);
  return std::clamp(options.threads > 0 ? options.threads : static_cast<int>(machineThreads), 1, sideBySide);
}

/// Whether the state's search begins with a continuous fit: asked for (or
/// the default) and a selected model other than the continuous one.
bool startsFromContinuous(const DesignState& state, const SearchOptions& options) {
  return options.continuousStart.value_or(defaultContinuousStart(state)) && state.model &&
         state.model->modelType != kContinuousModel;
}

/// The continuous model's default search of the state's data and design
/// variables from designStart (unit coordinates), with the options' seed
/// and threads: the result's point and target, and its evaluations. It
/// calls no hook and reports no progress, and its messages are dropped:
/// the fit is of another model than the one the caller asked for. The
/// two models share the 33 parameters, and the continuous one costs some
/// 4 us an evaluation against the discrete one's 0.2 ms, so that its best
/// design is a cheap start near the discrete model's optimum.
LocalResult continuousFit(const DesignState& state, const Box& box, const SearchOptions& options,
                          const std::vector<double>& designStart, const std::atomic<bool>* stop) {
  const SearchDefaults& defaults = variantDescription(kContinuousModel)->search;
  const int n = std::max(state.designCount, 1);
  const int starts = startsOf(defaults, n);
  const long budget = defaults.evaluationsPerVariable * n;
  SearchOptions quiet = options;
  quiet.evaluationHook = nullptr;
  SharedProgress shared;
  shared.stop = stop;
  ScopedMessageSink drop([](std::string_view) {});
  const int threads = threadCount(options, starts);
  std::vector<std::unique_ptr<Worker>> workers;
  for (int t = 0; t < threads; ++t)
    workers.push_back(std::make_unique<Worker>(state, box, quiet, shared, static_cast<double>(kContinuousModel)));
  std::vector<StartTask> tasks(static_cast<std::size_t>(starts));
  tasks[0].start = designStart;
  const auto spread = latinHypercube(tasks.size() - 1, box.size(), options.seed);
  for (std::size_t k = 1; k < tasks.size(); ++k) tasks[k].start = spread[k - 1];
  LocalResult best = multistart(tasks, workers, searchMethodOf(defaults.method).value_or(SearchMethod::slsqp), budget,
                                budget * (starts + 2), quiet.restartGain, shared, [] {}, {});
  best.evaluations = shared.evaluations.load();
  return best;
}

}  // namespace

// Measured on the passenger-tyre example (README, "Fitting measured data"),
// each variant's description says why it has its method and budgets.
SearchMethod defaultSearchMethod(const DesignState& state) {
  return searchMethodOf(searchDefaults(state).method).value_or(SearchMethod::slsqp);
}

int defaultStarts(const DesignState& state) { return startsOf(searchDefaults(state), state.designCount); }

bool defaultContinuousStart(const DesignState& state) { return searchDefaults(state).continuousStart; }

long defaultMaxEvaluations(const DesignState& state) {
  const long perVariable = searchDefaults(state).evaluationsPerVariable;
  return perVariable * std::max(state.designCount, 1) * (defaultStarts(state) + 2);
}

bool SearchOptions::isValid(std::string* error) const {
  if (starts < 0 || starts > kMaxStarts) return refuse(error, formatted(msg::kBadStarts, starts, kMaxStarts));
  if (maxEvaluations < 0) return refuse(error, formatted(msg::kBadMaxEvaluations, maxEvaluations));
  if (threads < 0 || threads > kMaxThreads) return refuse(error, formatted(msg::kBadThreads, threads, kMaxThreads));
  if (!(std::isfinite(restartGain) && restartGain >= 0.0)) return refuse(error, formatted(msg::kBadRestartGain, restartGain));
  if (!(differenceStep > 0.0 && differenceStep < 1.0))
    return refuse(error, formatted(msg::kBadDifferenceStep, differenceStep));
  return true;
}

long SearchOptions::smallestBudget(const DesignState& state) const {
  const SearchMethod chosen = method.value_or(defaultSearchMethod(state));
  const long count = starts > 0 ? starts : defaultStarts(state);
  // Each start gets maxEvaluations / (starts + 2): see searchDesign.
  return firstStepCost(chosen, std::max(state.designCount, 1), centralDifferences) * (count + 2);
}

bool SearchOptions::isValidFor(const DesignState& state, std::string* error) const {
  if (!isValid(error)) return false;
  const long budget = maxEvaluations > 0 ? maxEvaluations : defaultMaxEvaluations(state);
  const long smallest = smallestBudget(state);
  if (budget >= smallest) return true;
  const SearchMethod chosen = method.value_or(defaultSearchMethod(state));
  const int count = starts > 0 ? starts : defaultStarts(state);
  return refuse(error, formatted(msg::kBudgetTooSmall, budget, searchMethodName(chosen), state.designCount, count,
                                 smallest / (count + 2), smallest));
}

SearchResult searchDesign(const DesignState& state, const SearchOptions& options, const SearchObserver& observer,
                          const std::atomic<bool>* stop) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point begin = Clock::now();
  SearchResult result;
  result.method = options.method.value_or(defaultSearchMethod(state));
  const Box box(state);
  const std::size_t n = box.size();
  for (std::size_t i = 0; i < n; ++i) result.design.push_back(box.design(i, box.unit(i, state.startValues[i])));
  if (!state.initialised || !state.model || n == 0) {
    result.fault = msg::kNotInitialised;
    return result;
  }
  if (!options.isValidFor(state, &result.fault)) return result;

  const int starts = options.starts > 0 ? options.starts : defaultStarts(state);
  const long maxEvaluations = options.maxEvaluations > 0 ? options.maxEvaluations : defaultMaxEvaluations(state);
  // Each start gets the same share; two shares are kept for the restarts,
  // and whatever the starts leave over goes to further restarts. A share
  // pays for the method's first step (isValidFor), and no local search
  // spends more than its share, so the total stays within maxEvaluations.
  const long budget = maxEvaluations / (starts + 2);
  // No more threads than local searches run side by side: the starts, or
  // the portfolio's two restarts.
  const int sideBySide = std::max(starts, result.method == SearchMethod::portfolio ? 2 : 1);
  const auto threads = static_cast<std::size_t>(threadCount(options, sideBySide));

  SharedProgress shared;
  shared.stop = stop;
  int startsTotal = starts;
  double reportedBest = std::numeric_limits<double>::infinity();
  long reportedEvaluations = -1;
  int reportedStarts = -1;
  auto report = [&] {
    if (!observer) return;
    SearchProgress progress;
    progress.evaluations = shared.evaluations.load();
    progress.bestTarget = shared.bestTarget.load();
    progress.startsDone = shared.startsDone.load();
    progress.startsTotal = startsTotal;
    progress.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    progress.improved = progress.bestTarget < reportedBest;
    if (!progress.improved && progress.evaluations == reportedEvaluations && progress.startsDone == reportedStarts)
      return;
    reportedBest = std::min(reportedBest, progress.bestTarget);
    reportedEvaluations = progress.evaluations;
    reportedStarts = progress.startsDone;
    observer(progress);
  };

  try {
    std::vector<std::unique_ptr<Worker>> workers;
    {
      // Every worker sets up the same model: the messages of the first are
      // kept once, whatever the number of threads.
      bool first = true;
      ScopedMessageSink collect([&result, &first](std::string_view text) {
        if (first) noteMessage(result.messages, result.messagesNotKept, text);
      });
      for (std::size_t t = 0; t < threads; ++t) {
        workers.push_back(std::make_unique<Worker>(state, box, options, shared));
        first = false;
      }
    }
    // What a local search leaves in the result: its record and its messages.
    MultistartHooks hooks;
    hooks.keep = [&result](const StartTask& task, bool restart) {
      if (!task.begun) return;
      const LocalResult& local = task.result;
      const int index = static_cast<int>(result.localSearches.size()) + 1;
      result.localSearches.push_back({index, restart, task.method, local.evaluations, local.target, local.reason});
      for (const SearchMessage& message : task.messages)
        noteMessage(result.messages, result.messagesNotKept, message.text, message.count);
      result.messagesNotKept += task.messagesNotKept;
    };
    hooks.restarting = [&startsTotal](int localSearches) { startsTotal += localSearches; };

    // The first start is the design start itself (clamped to the bounds),
    // the others spread over the bounds by the seed; a continuous fit's
    // design goes before them all.
    std::vector<double> designStart;
    for (std::size_t i = 0; i < n; ++i) designStart.push_back(box.unit(i, state.startValues[i]));
    std::vector<StartTask> tasks(static_cast<std::size_t>(starts));
    std::size_t next = 0;
    if (startsFromContinuous(state, options)) {
      const LocalResult continuous = continuousFit(state, box, options, designStart, stop);
      result.continuousTarget = continuous.target;
      result.continuousEvaluations = continuous.evaluations;
      // A continuous fit that found no finite target (parameters its model
      // cannot evaluate) has no design to give: the design start goes first.
      const bool usable = std::isfinite(continuous.target) && continuous.unit.size() == n &&
                          std::all_of(continuous.unit.begin(), continuous.unit.end(),
                                      [](double u) { return std::isfinite(u); });
      if (usable) tasks[next++].start = continuous.unit;
    }
    if (next < tasks.size()) tasks[next++].start = designStart;
    const auto spread = latinHypercube(tasks.size() - next, n, options.seed);
    for (std::size_t k = next; k < tasks.size(); ++k) tasks[k].start = spread[k - next];
    const LocalResult best =
        multistart(tasks, workers, result.method, budget, maxEvaluations, options.restartGain, shared, report, hooks);
    for (std::size_t i = 0; i < n; ++i) result.design[i] = box.design(i, best.unit[i]);
    result.target = best.target;
    result.evaluations = shared.evaluations.load();
  } catch (const std::exception& fault) {
    result.fault = fault.what();
  }
  result.startsDone = shared.startsDone.load();
  result.interrupted = shared.stopRequested();
  result.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  report();
  return result;
}

}  // namespace grip
