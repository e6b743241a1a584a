// Speed of the continuous model and of a gripsim range section.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

#include "continuous/ContinuousModel.h"
#include "core/TyreModel.h"
#include "model/MakeTyreModel.h"
#include "discrete/DiscreteModel.h"
#include "runner/Runner.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path() / "examples";

/// A model object with the continuous example tyre read from its file.
struct ExampleModel {
  ExampleModel() : model(grip::makeTyreModel()) {
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

/// The same operating points as columns, repeated to the batch length.
struct ExampleColumns {
  explicit ExampleColumns(std::size_t n) : sx(n), alpha(n), camber(n), Fz(n), V(n, 20000.0), Fx(n), Fy(n), Mz(n) {
    for (std::size_t k = 0; k < n; ++k) {
      sx[k] = -0.2 + 0.4 * static_cast<double>(k % 37) / 36.0;
      alpha[k] = -12.0 + 24.0 * static_cast<double>(k % 29) / 28.0;
      Fz[k] = 2000.0 + 4.0 * static_cast<double>(k % 1001);
    }
  }
  grip::OperatingColumns in() const { return {sx, alpha, camber, Fz, V}; }
  grip::ForceColumns out() { return {Fx, Fy, Mz}; }
  std::vector<double> sx, alpha, camber, Fz, V, Fx, Fy, Mz;
};

/// Per-point times of both come from SetItemsProcessed.
/// Point by point through the variant's own loop, the reference of the batch.
void ContinuousScalarColumns(benchmark::State& state) {
  ExampleModel example;
  ExampleColumns columns(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    example.model.variant(grip::kContinuousModel)
        ->TyreVariant::evaluate(columns.in(), columns.out());
    benchmark::DoNotOptimize(columns.Fx.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ContinuousScalarColumns)->Arg(1)->Arg(1000)->Arg(100000);

void ContinuousBatch(benchmark::State& state) {
  ExampleModel example;
  ExampleColumns columns(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    example.model.evaluate(columns.in(), columns.out());
    benchmark::DoNotOptimize(columns.Fx.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetLabel(grip::ContinuousModel::batchTarget());
}
BENCHMARK(ContinuousBatch)->Arg(1)->Arg(1000)->Arg(100000);

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
