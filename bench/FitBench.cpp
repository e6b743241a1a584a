// Speed of the fit on the passenger-tyre example (examples/fit/passenger):
// one target evaluation over 405 and about 4,000 points for both models,
// the time the default search takes to come within 0.05 %-points of its
// best target, and the local methods compared side by side.
//
//   FitBench --benchmark_filter=TargetEvaluation
//   FitBench --benchmark_filter=DefaultFit
//   FitBench --benchmark_filter=MethodComparison   (minutes: every method, several seeds)

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unistd.h>

#include "core/Console.h"
#include "fit/DesignState.h"
#include "fit/Search.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(__FILE__).parent_path().parent_path() / "examples" / "fit" / "passenger";

std::string readAll(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

/// The example as a design state of model type `model` (1 continuous, 2
/// discrete with its 20x20 grid), its target list repeated `copies` times.
class Example {
 public:
  Example(int model, int copies) {
    dir_ = fs::temp_directory_path() / ("gripfitbench-" + std::to_string(::getpid()) + "-" + std::to_string(model) +
                                        "-" + std::to_string(copies));
    fs::create_directories(dir_);
    std::string start = readAll(kExample / "DesignStart.dat");
    const std::size_t at = start.find(" model    = ") + 12;
    start.replace(at, start.find(' ', at) - at, std::to_string(model));
    std::ofstream(dir_ / "DesignStart.dat") << start;

    // The list's lines, the measurement files named by their full path.
    std::istringstream list(readAll(kExample / "DesignTarget.dat"));
    std::string line, files;
    std::getline(list, line);
    std::getline(list, line);
    int count = 0;
    while (std::getline(list, line) && line.find("[Eof]") == std::string::npos) {
      const std::size_t name = line.find("= ") + 2;
      line.insert(name, (kExample / "").string());
      files += line + "\n";
      ++count;
    }
    std::ofstream target(dir_ / "DesignTarget.dat");
    target << "bench\n number of files = " << count * copies << "\n";
    for (int c = 0; c < copies; ++c) target << files;
    target << "[Eof]\n";
    target.close();
    grip::ScopedMessageSink silent([](std::string_view) {});
    grip::initialiseDesign(state, (dir_ / "DesignStart.dat").string(), (dir_ / "DesignTarget.dat").string());
  }
  ~Example() { fs::remove_all(dir_); }

  grip::DesignState state;

 private:
  fs::path dir_;
};

void TargetEvaluation(benchmark::State& bench) {
  Example example(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
  grip::DesignState& state = example.state;
  if (!state.initialised) {
    bench.SkipWithError("example not initialised");
    return;
  }
  std::vector<double> design(state.startValues.begin(), state.startValues.begin() + state.designCount);
  for (auto _ : bench) {
    design[0] *= 1.0 + 1e-12;  // a new design each time, as in a search
    benchmark::DoNotOptimize(state.evaluator->target(design));
  }
  bench.counters["points"] = state.totalPoints;
  bench.SetItemsProcessed(bench.iterations() * state.totalPoints);
}
BENCHMARK(TargetEvaluation)->ArgNames({"model", "copies"})->Args({1, 1})->Args({1, 10})->Args({2, 1})->Args({2, 10})
    ->Unit(benchmark::kMicrosecond);

/// One search with the time at which each better target was found.
struct TimedFit {
  grip::SearchResult result;
  double secondsToWithin = 0.0;  ///< first time within 0.05 %-points of the final best
};

TimedFit timedFit(const grip::DesignState& state, grip::SearchOptions options) {
  using Clock = std::chrono::steady_clock;
  std::mutex mutex;
  std::vector<std::pair<double, double>> improvements;  // seconds, target
  improvements.reserve(1 << 16);
  double best = 1e300;
  const Clock::time_point begin = Clock::now();
  options.evaluationHook = [&](std::span<const double>, double target) {
    std::lock_guard lock(mutex);
    if (target < best) {
      best = target;
      improvements.emplace_back(std::chrono::duration<double>(Clock::now() - begin).count(), target);
    }
  };
  TimedFit fit;
  fit.result = grip::searchDesign(state, options);
  for (const auto& [seconds, target] : improvements) {
    if (target <= fit.result.target + 0.05) {
      fit.secondsToWithin = seconds;
      break;
    }
  }
  return fit;
}

void DefaultFit(benchmark::State& bench) {
  Example example(static_cast<int>(bench.range(0)), 1);
  TimedFit fit;
  for (auto _ : bench) fit = timedFit(example.state, {});
  bench.counters["target"] = fit.result.target;
  bench.counters["to_within_0.05"] = fit.secondsToWithin;
  bench.counters["seconds"] = fit.result.seconds;
  bench.counters["evaluations"] = static_cast<double>(fit.result.evaluations);
}
BENCHMARK(DefaultFit)->ArgName("model")->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

/// Each method from the same starts with seeds 1 to 3: the median and the
/// best target, the mean evaluations and the mean time.
void MethodComparison(benchmark::State& bench) {
  Example example(static_cast<int>(bench.range(0)), 1);
  const auto method = static_cast<grip::SearchMethod>(bench.range(1));
  bench.SetLabel(grip::searchMethodName(method));
  std::vector<double> targets;
  double evaluations = 0.0, seconds = 0.0, toWithin = 0.0;
  for (auto _ : bench) {
    for (unsigned long seed = 1; seed <= 3; ++seed) {
      grip::SearchOptions options;
      options.method = method;
      options.seed = seed;
      const TimedFit fit = timedFit(example.state, options);
      targets.push_back(fit.result.target);
      evaluations += static_cast<double>(fit.result.evaluations) / 3.0;
      seconds += fit.result.seconds / 3.0;
      toWithin += fit.secondsToWithin / 3.0;
    }
  }
  std::sort(targets.begin(), targets.end());
  bench.counters["median"] = targets[targets.size() / 2];
  bench.counters["best"] = targets.front();
  bench.counters["evaluations"] = evaluations;
  bench.counters["seconds"] = seconds;
  bench.counters["to_within_0.05"] = toWithin;
}
BENCHMARK(MethodComparison)->ArgNames({"model", "method"})->ArgsProduct({{1, 2}, {0, 1, 2, 3, 4}})->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
