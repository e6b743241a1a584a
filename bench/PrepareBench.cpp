// The preparation of a long run: 1,000,000 samples of 16 channels (a 100 Hz
// run of close to three hours of slip-angle sweeps at two loads) read from
// delimited text, cut into steady pieces and binned; and the cutting and
// binning alone on the run in memory.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "prepare/Prepare.h"
#include "rig/RigReader.h"
#include "rig/RigWriter.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kSamples = 1'000'000;
constexpr int kChannels = 16;
const char* const kHeader =
    "Benchmark run\nET V N SA IA SL P FX FY FZ MX MZ RL RE TSTC TSTI\n"
    "s kph rpm deg deg none kPa N N N N-m N-m cm cm degC degC\n";

/// Sample i of a run in SAE axes: 10 s pieces, a 0.5 s load ramp, a hold,
/// then a slip-angle sweep 0 -> -12 -> +12 -> 0 deg.
void sample(std::size_t i, double (&row)[kChannels]) {
  const std::size_t piece = i / 1000, at = i % 1000;
  const double load = piece % 2 == 0 ? 3000.0 : 5000.0;
  const double fz = at < 50 ? (piece % 2 == 0 ? 5000.0 - 2000.0 * at / 50.0 : 3000.0 + 2000.0 * at / 50.0) : load;
  const double s = at < 100 ? 0.0 : (static_cast<double>(at) - 100.0) / 900.0;  // sweep phase 0..1
  const double alpha = s < 0.25 ? -48.0 * s : s < 0.75 ? -12.0 + 48.0 * (s - 0.25) : 12.0 - 48.0 * (s - 0.75);
  const double fy = fz * std::tanh(0.3 * alpha) + 3.0 * std::sin(0.7 * static_cast<double>(i));
  const double values[kChannels] = {0.01 * static_cast<double>(i), 40.0, 339.0, -alpha, 0.0, 0.0, 220.0, 0.0,
                                    -fy, -fz, 0.02 * fy, -0.03 * fy, 29.0, 30.4, 40.0, 41.0};
  for (int c = 0; c < kChannels; ++c) row[c] = values[c];
}

class Workspace {
 public:
  Workspace() : dir_(fs::temp_directory_path() / ("gripbench-prepare-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    std::string text = kHeader;
    text.reserve(kSamples * kChannels * 9);
    char number[32];
    double row[kChannels];
    for (std::size_t i = 0; i < kSamples; ++i) {
      sample(i, row);
      for (int c = 0; c < kChannels; ++c) {
        const auto written = std::to_chars(number, number + sizeof number, row[c], std::chars_format::general, 6);
        if (c > 0) text += ' ';
        text.append(number, written.ptr);
      }
      text += '\n';
    }
    std::string message;
    grip::writeWholeFile(file(), text, message);
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string file() const { return (dir_ / "run.dat").string(); }

 private:
  fs::path dir_;
};

const Workspace& workspace() {
  static const Workspace w;
  return w;
}

grip::RigReadOptions saeOptions() {
  grip::RigReadOptions options;
  options.convention = grip::SignConvention::SaeJ670;
  return options;
}

void PrepareReadCutAndBin(benchmark::State& state) {
  const std::string file = workspace().file();
  for (auto _ : state) {
    grip::RigRun run;
    std::string message;
    if (!grip::readDelimitedFile(file, saeOptions(), run, message)) state.SkipWithError(message.c_str());
    grip::PrepareSummary summary;
    grip::findSweeps(run, grip::PrepareOptions{}, summary);
    benchmark::DoNotOptimize(summary.sweeps.data());
    state.counters["sweeps"] = static_cast<double>(summary.sweeps.size());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSamples));
}
BENCHMARK(PrepareReadCutAndBin)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void PrepareCutAndBin(benchmark::State& state) {
  grip::RigRun run;
  std::string message;
  if (!grip::readDelimitedFile(workspace().file(), saeOptions(), run, message)) state.SkipWithError(message.c_str());
  for (auto _ : state) {
    grip::PrepareSummary summary;
    grip::findSweeps(run, grip::PrepareOptions{}, summary);
    benchmark::DoNotOptimize(summary.sweeps.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSamples));
}
BENCHMARK(PrepareCutAndBin)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
