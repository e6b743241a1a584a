// A run call of gripfit, the optimiser's inner loop: the design put into the
// parameters, the variant refreshed and evaluated at 1,000 measured points.
// Continuous model, and the discrete model on a 20 x 20 grid.

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "fit/DesignState.h"
#include "fit/FitMessages.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPoints = 1000;

/// The example tyre with cy0 and mue0 as design variables, for the given model.
std::string designStart(int model) {
  std::ifstream in(fs::path(__FILE__).parent_path().parent_path() / "examples" / "passenger.dat");
  std::ostringstream out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(" cy0 ", 0) == 0 || line.rfind(" mue0 ", 0) == 0) line += " designbounds 0 2";
    if (line.rfind(" model ", 0) == 0) line = " model    = " + std::to_string(model);
    out << line << "\n";
  }
  return out.str();
}

/// 1,000 operating points spread over slip, slip angle, camber and load.
std::string measurements() {
  std::ostringstream out;
  for (int k = 0; k < kPoints; ++k) {
    const double t = static_cast<double>(k) / kPoints;
    out << 0.2 * std::sin(37.0 * t) << " " << 10.0 * std::sin(53.0 * t) << " " << 3.0 * std::sin(11.0 * t)
        << " 0 0 " << 4000.0 + 2000.0 * std::sin(7.0 * t) << " 0\n";
  }
  return out.str();
}

/// An initialised fit in a folder of its own, removed afterwards.
class InitialisedFit {
 public:
  explicit InitialisedFit(int model) : folder_(fs::temp_directory_path() / ("gripfit-bench-" + std::to_string(getpid()))) {
    fs::create_directories(folder_);
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    std::ofstream(grip::fit::kDesignStartFile) << designStart(model);
    std::ofstream(grip::fit::kDesignTargetFile)
        << "bench\n files = 1\n file = points.dat points = " << kPoints << " direction = 3 speed = 20000\n[Eof]\n";
    std::ofstream("points.dat") << measurements();
    initialised = grip::handleDesignCall(state, design, 0) == 2.0;
    fs::current_path(previous);
  }
  ~InitialisedFit() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  grip::DesignState state;
  std::vector<double> design = std::vector<double>(2);
  bool initialised = false;

 private:
  fs::path folder_;
};

void RunCall(benchmark::State& bench, int model) {
  InitialisedFit fit(model);
  if (!fit.initialised) {
    bench.SkipWithError("initialise failed");
    return;
  }
  for (auto _ : bench) {
    fit.design[0] = fit.design[0] == 0.045 ? 0.046 : 0.045;  // a new design every call
    benchmark::DoNotOptimize(grip::handleDesignCall(fit.state, fit.design, 1));
  }
  bench.counters["points"] = kPoints;
}

}  // namespace

BENCHMARK_CAPTURE(RunCall, continuous, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RunCall, discrete20x20, 2)->Unit(benchmark::kMillisecond);
