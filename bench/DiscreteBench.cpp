// Speed of one discrete-model evaluation of the example tyre on square grids
// of 5 x 5 to 81 x 81 points, for the analytic pressure law 1 and the
// geometric pressure with camber, each under a direction friction law and
// the speed-table law. Items processed are grid points, so the rate shows
// the cost per point; it should stay flat as the grid grows.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "continuous/ContinuousModel.h"
#include "core/TyreModel.h"
#include "model/MakeTyreModel.h"
#include "discrete/DiscreteModel.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path() / "examples";

/// Evaluates the discrete example tyre on an (n+1) x (n+1) grid with the
/// given friction and pressure selectors over operating points across slip,
/// slip angle and load. Arguments: n, sliding, pressure, camber [deg].
void discreteSweep(benchmark::State& state) {
  const auto cells = static_cast<int>(state.range(0));
  const auto sliding = static_cast<int>(state.range(1));
  const auto pressure = static_cast<int>(state.range(2));
  const auto camber = static_cast<double>(state.range(3));

  grip::TyreModel file = grip::makeTyreModel();
  file.readParameterFile((kExamples / "passenger_discrete.dat").string(), nullptr);
  grip::ParameterSet parameters = file.parameters;
  parameters[grip::par::ni] = cells;
  parameters[grip::par::nj] = cells;
  parameters[grip::par::sliding] = sliding;
  parameters[grip::par::pressure] = pressure;
  parameters[grip::par::draw3d] = 0;
  grip::DiscreteModel model;
  if (!file.variantReady() || model.setUp(parameters) != 0) {
    state.SkipWithError("the discrete example tyre could not be set up");
    return;
  }

  std::vector<grip::OperatingPoint> points;
  for (int k = 0; k < 1024; ++k)
    points.push_back({-0.2 + 0.4 * (k % 37) / 36.0, -12.0 + 24.0 * (k % 29) / 28.0, camber,
                      2000.0 + 4.0 * (k % 1001), 20000.0});
  grip::TyreForces forces;
  std::size_t k = 0;
  for (auto _ : state) {
    model.evaluate(points[k++ & 1023], forces);
    benchmark::DoNotOptimize(forces);
  }
  const auto gridPoints = static_cast<std::int64_t>(cells + 1) * (cells + 1);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * gridPoints);
  const double pointsSwept = static_cast<double>(gridPoints) * static_cast<double>(state.iterations());
  state.counters["ns_per_point"] =
      benchmark::Counter(pointsSwept, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

/// Grids 5x5 .. 81x81; analytic law 1 without camber and the geometric
/// pressure with 3 degrees of camber; friction law 1 and the speed table (4).
void gridArguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"n", "sliding", "pressure", "camber"});
  for (int pressure : {1, 4})
    for (int sliding : {1, 4})
      for (int cells : {4, 10, 20, 40, 80}) b->Args({cells, sliding, pressure, pressure == 4 ? 3 : 0});
}

BENCHMARK(discreteSweep)->Apply(gridArguments)->Unit(benchmark::kMicrosecond);

}  // namespace
