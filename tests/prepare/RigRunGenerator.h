#pragma once

// A rig run of a made-up tyre in our units and convention, for the tests of
// the preparation: at 100 Hz a warm-up, slip-angle sweeps (6 deg/s) 0 -> -12 -> +12 ->
// 0 deg at two loads and two cambers joined by load ramps, a slip-ratio run,
// first-order relaxation lag and noise of 1 % of the load.

#include <cmath>
#include <random>
#include <vector>

#include "rig/RigRun.h"

namespace grip::test {

struct MadeTyre {
  static constexpr double kFriction = 1.0;
  static constexpr double kSpeed = 40000.0 / 3.6;  // [mm/s]
  static constexpr double kFreeRadius = 316.0;     // [mm]
  static constexpr double kRadialStiffness = 220.0;  // [N/mm]
  /// Steady forces in ours: Fy and Mz with the sign of the slip angle, Fy with the camber's.
  static double fy(double alpha, double camber, double load) {
    return kFriction * load * use(alpha, load) + 55.0 * camber * load / 4000.0;
  }
  static double mz(double alpha, double load) {  // [N*mm]
    const double u = use(alpha, load);
    return 35.0 * std::sqrt(load / 4000.0) * (1.0 - std::fabs(u)) * (1.0 - std::fabs(u)) * kFriction * load * u;
  }
  static double fx(double kappa, double load) {
    return 1.05 * kFriction * load * std::tanh(16.0 * kappa / 1.05 / kFriction);
  }
  static double use(double alpha, double load) {
    const double cornering = 18.0 * load * (1.0 - load / 16000.0);  // [N/rad]
    return std::tanh(cornering * std::tan(alpha * M_PI / 180.0) / (kFriction * load));
  }
};

inline RigRun madeRigRun() {
  constexpr double rate = 100.0;
  std::vector<double> alpha, camber, kappa, load;
  const auto hold = [&](double seconds, double a, double g, double k, double fz) {
    for (int i = 0; i < static_cast<int>(seconds * rate); ++i)
      alpha.push_back(a), camber.push_back(g), kappa.push_back(k), load.push_back(fz);
  };
  const auto ramp = [](std::vector<double>& to, double seconds, double start, double end) {
    const int n = static_cast<int>(seconds * rate);
    for (int i = 0; i < n; ++i) to.push_back(start + (end - start) * i / n);
  };
  hold(0.5, 0.0, 0.0, 0.0, 3000.0);  // warm-up
  double previous = 3000.0;
  for (double g : {0.0, 3.0})
    for (double fz : {3000.0, 5000.0}) {
      if (fz != previous) {
        ramp(load, 0.5, previous, fz);
        alpha.resize(load.size(), 0.0), kappa.resize(load.size(), 0.0), camber.resize(load.size(), g);
        previous = fz;
      }
      hold(0.2, 0.0, g, 0.0, fz);
      ramp(alpha, 2.0, 0.0, -12.0), ramp(alpha, 4.0, -12.0, 12.0), ramp(alpha, 2.0, 12.0, 0.0);
      camber.resize(alpha.size(), g), kappa.resize(alpha.size(), 0.0), load.resize(alpha.size(), fz);
    }
  ramp(kappa, 1.5, 0.0, -0.15), ramp(kappa, 3.0, -0.15, 0.15), ramp(kappa, 1.5, 0.15, 0.0);  // slip ratio at the last load
  alpha.resize(kappa.size(), 0.0), camber.resize(kappa.size(), 0.0), load.resize(kappa.size(), previous);

  const std::size_t n = alpha.size();
  RigRun run;
  run.fileName = "made.csv";
  const auto add = [&](const char* name, Quantity quantity) -> std::vector<double>& {
    run.channels.push_back(Channel{name, quantity, "", "", std::vector<double>(n)});
    return run.channels.back().values;
  };
  std::vector<std::vector<double>> columns(13, std::vector<double>(n));
  std::mt19937 random(20260417);
  std::normal_distribution<double> noise(0.0, 1.0);
  const double lag = 1.0 / rate / (450.0 / MadeTyre::kSpeed + 1.0 / rate);  // relaxation length 450 mm
  double fx = 0, fy = 0, mz = 0;
  for (std::size_t i = 0; i < n; ++i) {
    fx += lag * (MadeTyre::fx(kappa[i], load[i]) - fx);
    fy += lag * (MadeTyre::fy(alpha[i], camber[i], load[i]) - fy);
    mz += lag * (MadeTyre::mz(alpha[i], load[i]) - mz);
    const double effective = MadeTyre::kFreeRadius - load[i] / (3.0 * MadeTyre::kRadialStiffness);
    const double sigma = 0.01 * load[i];
    columns[0][i] = static_cast<double>(i) / rate;
    columns[1][i] = MadeTyre::kSpeed;
    columns[2][i] = MadeTyre::kSpeed * (1.0 + kappa[i]) / effective;
    columns[3][i] = alpha[i], columns[4][i] = camber[i], columns[5][i] = kappa[i], columns[6][i] = 0.22;
    columns[7][i] = fx + sigma * noise(random);
    columns[8][i] = fy + sigma * noise(random);
    columns[9][i] = load[i] + sigma * noise(random);
    columns[10][i] = mz + sigma * 2.0 * noise(random);
    columns[11][i] = MadeTyre::kFreeRadius - load[i] / MadeTyre::kRadialStiffness;
    columns[12][i] = effective;
  }
  const std::pair<const char*, Quantity> names[] = {
      {"ET", Quantity::Time},        {"V", Quantity::Speed},   {"N", Quantity::WheelSpeed}, {"SA", Quantity::SlipAngle},
      {"IA", Quantity::Camber},      {"SL", Quantity::SlipRatio}, {"P", Quantity::Pressure}, {"FX", Quantity::Fx},
      {"FY", Quantity::Fy},          {"FZ", Quantity::Fz},     {"MZ", Quantity::Mz},        {"RL", Quantity::LoadedRadius},
      {"RE", Quantity::EffectiveRadius},
  };
  for (std::size_t k = 0; k < 13; ++k) add(names[k].first, names[k].second) = columns[k];
  return run;
}

}  // namespace grip::test
