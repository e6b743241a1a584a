// Speed of one discrete-model evaluation on the example tyre's 20 x 20 grid
// (441 points), through the model object as gripsim and the fit use it.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "continuous/ContinuousModel.h"
#include "core/TyreModel.h"
#include "discrete/DiscreteModel.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path() / "examples";
constexpr double kGridPoints = 21.0 * 21.0;

/// Evaluates the discrete example tyre with the given friction and pressure
/// selectors over operating points across slip, slip angle and load.
void evaluateDiscrete(benchmark::State& state, int sliding, int pressure, double camber) {
  grip::TyreModel model(std::make_unique<grip::ContinuousModel>(), std::make_unique<grip::DiscreteModel>());
  model.readParameterFile((kExamples / "passenger_discrete.dat").string(), nullptr);
  model.parameters[grip::par::sliding] = sliding;
  model.parameters[grip::par::pressure] = pressure;
  if (!model.variantReady() || !model.refreshVariant()) {
    state.SkipWithError("the discrete example tyre could not be set up");
    return;
  }
  model.setTrace(0, nullptr);
  std::vector<grip::OperatingPoint> points;
  for (int k = 0; k < 1024; ++k)
    points.push_back({-0.2 + 0.4 * (k % 37) / 36.0, -12.0 + 24.0 * (k % 29) / 28.0, camber,
                      2000.0 + 4.0 * (k % 1001), 20000.0});
  std::size_t k = 0;
  for (auto _ : state) {
    model.input = points[k++ & 1023];
    model.evaluate();
    benchmark::DoNotOptimize(model.forces);
  }
  state.counters["ns_per_point"] = benchmark::Counter(kGridPoints * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void DiscreteAnalyticFriction(benchmark::State& state) { evaluateDiscrete(state, 1, 1, 0.0); }
void DiscreteAnalyticTable(benchmark::State& state) { evaluateDiscrete(state, 4, 3, 0.0); }
void DiscreteGeometricCamber(benchmark::State& state) { evaluateDiscrete(state, 1, 4, 3.0); }
void DiscreteGeometricTableCamber(benchmark::State& state) { evaluateDiscrete(state, 4, 4, 3.0); }

BENCHMARK(DiscreteAnalyticFriction)->Unit(benchmark::kMicrosecond);
BENCHMARK(DiscreteAnalyticTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(DiscreteGeometricCamber)->Unit(benchmark::kMicrosecond);
BENCHMARK(DiscreteGeometricTableCamber)->Unit(benchmark::kMicrosecond);

}  // namespace
