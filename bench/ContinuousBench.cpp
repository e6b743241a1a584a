// Speed of the continuous model and of a gripsim range section.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "continuous/ContinuousModel.h"
#include "core/TyreModel.h"
#include "discrete/DiscreteModel.h"
#include "runner/Runner.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path() / "examples";

/// A model object with the continuous example tyre read from its file.
struct ExampleModel {
  ExampleModel() : model(std::make_unique<grip::ContinuousModel>(), std::make_unique<grip::DiscreteModel>()) {
    model.readParameterFile((kExamples / "passenger.dat").string(), nullptr);
  }
  grip::TyreModel model;
};

void ContinuousEvaluate(benchmark::State& state) {
  ExampleModel example;
  grip::TyreModel& model = example.model;
  // Operating points across the slip and slip-angle range, loads from 2 to 6 kN.
  std::vector<grip::OperatingPoint> points;
  for (int k = 0; k < 1024; ++k)
    points.push_back({-0.2 + 0.4 * (k % 37) / 36.0, -12.0 + 24.0 * (k % 29) / 28.0, 0.0, 2000.0 + 4.0 * (k % 1001),
                      20000.0});
  std::size_t k = 0;
  for (auto _ : state) {
    model.input = points[k++ & 1023];
    model.evaluate();
    benchmark::DoNotOptimize(model.forces);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ContinuousEvaluate);

void RangeSection100k(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("gripbench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::copy_file(kExamples / "passenger.dat", dir / "passenger.dat", fs::copy_options::overwrite_existing);
  std::ofstream(dir / "range.ctl") << "[DataFileName]\npassenger.dat\n[RangeInput]\n points = 100000\n"
                                      " file = sweep.dat\n end\n slip = 0.2\n alpha = 10\n camber = 0\n"
                                      " Fz = 6000\n V = 20000\n start\n slip = -0.2\n alpha = -10\n camber = 0\n"
                                      " Fz = 2000\n V = 20000\n[Eof]\n";
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  for (auto _ : state) {
    grip::Runner runner;
    benchmark::DoNotOptimize(runner.run("range.ctl"));
  }
  fs::current_path(before);
  fs::remove_all(dir);
}
BENCHMARK(RangeSection100k)->Unit(benchmark::kMillisecond);

}  // namespace
