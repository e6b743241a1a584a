// gripsim on large sections: a range of a million points and a measurement
// file of a million lines, continuous model, whole runs.
//
// Before and after in one session: with GRIPSIM_BASELINE naming another
// gripsim program, the same runs of that program are measured beside this
// build's, e.g.
//   GRIPSIM_BASELINE=/path/to/old/gripsim build/release/bench/RunnerBench
//     --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//     --benchmark_report_aggregates_only=true
// on one command line
// (the baseline's times include starting the program, a few milliseconds).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "runner/Runner.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPoints = 1'000'000;

/// A folder with the example tyre, a million-line measurement file and the
/// run-control files of both runs, made once for all benchmarks.
class Workspace {
 public:
  Workspace() : dir_(fs::temp_directory_path() / ("gripbench-runner-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    const fs::path examples = fs::path(__FILE__).parent_path().parent_path() / "examples";
    fs::copy_file(examples / "passenger.dat", dir_ / "passenger.dat", fs::copy_options::overwrite_existing);
    std::ofstream(dir_ / "range.ctl") << "[DataFileName]\npassenger.dat\n[RangeInput]\n points = " << kPoints
                                      << "\n file = sweep.dat\n end\n slip = 0.2\n alpha = 10\n camber = 1\n"
                                         " Fz = 6000\n V = 20000\n start\n slip = -0.2\n alpha = -10\n"
                                         " camber = -1\n Fz = 2000\n V = 20000\n[Eof]\n";
    std::ofstream(dir_ / "file.ctl") << "[DataFileName]\npassenger.dat\n[FileInput]\n"
                                        " file = measured.dat speed = 20000\n[Eof]\n";
    // Points spread over slip, slip angle, camber and load, written as a
    // measurement program writes them.
    std::FILE* out = std::fopen((dir_ / "measured.dat").c_str(), "w");
    for (int k = 0; k < kPoints && out != nullptr; ++k)
      std::fprintf(out, " %+.6e %+.6e %+.6e %+.6e %+.6e %+.6e %+.6e\n", -0.3 + 0.6 * (k % 997) / 996.0,
                   -15.0 + 30.0 * (k % 991) / 990.0, -3.0 + 6.0 * (k % 7) / 6.0, 3000.0 - (k % 6007),
                   -2000.0 + (k % 4001), 500.0 + 7.5 * (k % 1009), 1e5 - 17.0 * (k % 11003));
    if (out != nullptr) std::fclose(out);
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_;
};

const Workspace& workspace() {
  static const Workspace instance;
  return instance;
}

/// Runs a run-control file of the workspace, in this process or by the program given.
void runControl(benchmark::State& state, const char* control, const std::string& program) {
  const fs::path before = fs::current_path();
  fs::current_path(workspace().dir());
  for (auto _ : state) {
    int status = 0;
    if (program.empty()) {
      grip::Runner runner;
      status = runner.run(control);
    } else {
      status = std::system(("'" + program + "' " + control + " > /dev/null").c_str());
    }
    if (status != 0) state.SkipWithError("gripsim reported a fault");
  }
  fs::current_path(before);
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void RangeInput1M(benchmark::State& state) { runControl(state, "range.ctl", ""); }
void FileInput1M(benchmark::State& state) { runControl(state, "file.ctl", ""); }
BENCHMARK(RangeInput1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(FileInput1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

/// The same runs of the baseline program, when one is named.
bool registerBaseline() {
  const char* program = std::getenv("GRIPSIM_BASELINE");
  if (program == nullptr || *program == '\0') return false;
  const std::string name = program;
  benchmark::RegisterBenchmark("Baseline/RangeInput1M",
                               [name](benchmark::State& state) { runControl(state, "range.ctl", name); })
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
  benchmark::RegisterBenchmark("Baseline/FileInput1M",
                               [name](benchmark::State& state) { runControl(state, "file.ctl", name); })
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
  return true;
}
const bool baselineRegistered = registerBaseline();

}  // namespace
