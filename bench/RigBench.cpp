// The rig readers on a long run: 1,000,000 samples of 16 channels (a
// 100 Hz run of close to three hours), delimited text and TYDEX, from the
// file and from text already in memory, and a MAT file of the same run.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "rig/RigReader.h"
#include "rig/RigWriter.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kSamples = 1'000'000;
constexpr int kChannels = 16;
const char* const kNames[kChannels] = {"ET", "V",  "N",  "SA", "IA", "SL", "P",  "FX",
                                       "FY", "FZ", "MX", "MZ", "RL", "RE", "TSTC", "TSTI"};
const char* const kUnits[kChannels] = {"s",  "kph", "rpm", "deg", "deg", "none", "kPa", "N",
                                       "N",  "N",   "N-m", "N-m", "cm",  "cm",   "degC", "degC"};

/// Files of the run as rig software writes them: six significant digits.
class Workspace {
 public:
  Workspace() : dir_(fs::temp_directory_path() / ("gripbench-rig-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    std::string header = "Benchmark run\n";
    std::string units;
    std::string tydex = "**HEADER\nRELEASE Release of TYDEX-Format 1.3\n**MEASURCHANNELS\n";
    for (int c = 0; c < kChannels; ++c) {
      header += std::string(c ? " " : "") + kNames[c];
      units += std::string(c ? " " : "") + kUnits[c];
      tydex += std::string(kNames[c]) + " channel " + kUnits[c] + " 1 0 0\n";
    }
    delimited_ = header + "\n" + units + "\n";
    std::string rows;
    rows.reserve(kSamples * kChannels * 10);
    char number[32];
    for (std::size_t i = 0; i < kSamples; ++i) {
      for (int c = 0; c < kChannels; ++c) {
        const double value = (c == 0 ? 0.01 * static_cast<double>(i) : 1000.0 * std::sin(0.001 * i + c)) + c;
        const auto written = std::to_chars(number, number + sizeof number, value, std::chars_format::general, 6);
        if (c > 0) rows += ' ';
        rows.append(number, written.ptr);
      }
      rows += '\n';
    }
    delimited_ += rows;
    tydex_ = tydex + "**MEASURDATA\n" + rows + "**END\n";
    std::string message;
    grip::writeWholeFile(file("run.dat"), delimited_, message);
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string file(const std::string& name) const { return (dir_ / name).string(); }
  const std::string& delimited() const { return delimited_; }
  const std::string& tydex() const { return tydex_; }

 private:
  fs::path dir_;
  std::string delimited_;
  std::string tydex_;
};

Workspace& workspace() {
  static Workspace w;
  return w;
}

grip::RigReadOptions saeOptions() {
  grip::RigReadOptions options;
  options.convention = grip::SignConvention::SaeJ670;
  return options;
}

void countBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["samples"] = static_cast<double>(kSamples);
}

void BM_DelimitedFile(benchmark::State& state) {
  Workspace& w = workspace();
  for (auto _ : state) {
    grip::RigRun run;
    std::string message;
    if (!grip::readDelimitedFile(w.file("run.dat"), saeOptions(), run, message)) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(run.channels.data());
  }
  countBytes(state, w.delimited().size());
}

void BM_DelimitedText(benchmark::State& state) {
  Workspace& w = workspace();
  for (auto _ : state) {
    grip::RigRun run;
    std::string message;
    if (!grip::readDelimitedText(w.delimited(), "run.dat", saeOptions(), run, message)) {
      state.SkipWithError(message.c_str());
    }
    benchmark::DoNotOptimize(run.channels.data());
  }
  countBytes(state, w.delimited().size());
}

void BM_TydexText(benchmark::State& state) {
  Workspace& w = workspace();
  for (auto _ : state) {
    grip::RigRun run;
    std::string message;
    if (!grip::readTydexText(w.tydex(), "run.tdx", saeOptions(), run, message)) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(run.channels.data());
  }
  countBytes(state, w.tydex().size());
}

/// The MAT file of the same run, as a rig consortium hands it out: one
/// vector per channel with its unit beside it (written once, in SAE axes).
const std::string& matFile() {
  static const std::string name = [] {
    Workspace& w = workspace();
    grip::RigRun run;
    std::string message;
    grip::RigWriteOptions write;
    write.convention = grip::SignConvention::SaeJ670;
    for (int c = 0; c < kChannels; ++c) write.units[kNames[c]] = kUnits[c];
    const std::string file = w.file("run.mat");
    if (!grip::readDelimitedText(w.delimited(), "run.dat", saeOptions(), run, message) ||
        !grip::writeMatFile(run, write, file, message))
      return std::string();
    return file;
  }();
  return name;
}

void BM_MatFile(benchmark::State& state) {
  const std::string& file = matFile();
  if (file.empty()) {
    state.SkipWithError("the MAT file could not be written");
    return;
  }
  for (auto _ : state) {
    grip::RigRun run;
    std::string message;
    if (!grip::readMatFile(file, saeOptions(), run, message)) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(run.channels.data());
  }
  countBytes(state, static_cast<std::size_t>(fs::file_size(file)));
}

BENCHMARK(BM_DelimitedFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DelimitedText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TydexText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatFile)->Unit(benchmark::kMillisecond);

}  // namespace
