#pragma once

// Runs in our units and convention for the rig tests.

#include <cmath>
#include <string>

#include "rig/RigRun.h"

namespace grip::test {

/// A run of every quantity, n samples of values that differ in sign and
/// magnitude from channel to channel (a fixed sequence, no generator).
inline RigRun runOfEveryQuantity(std::size_t n) {
  struct Entry {
    const char* name;
    Quantity quantity;
    double scale;
  };
  const Entry entries[] = {
      {"ET", Quantity::Time, 0.01},          {"V", Quantity::Speed, 16666.7},   {"N", Quantity::WheelSpeed, 55.5},
      {"SA", Quantity::SlipAngle, 12.0},     {"IA", Quantity::Camber, 4.0},     {"SL", Quantity::SlipRatio, 0.15},
      {"P", Quantity::Pressure, 0.25},       {"FX", Quantity::Fx, 3900.0},      {"FY", Quantity::Fy, -4100.0},
      {"FZ", Quantity::Fz, 4000.0},          {"MX", Quantity::Mx, 91000.0},     {"MZ", Quantity::Mz, -61000.0},
      {"RL", Quantity::LoadedRadius, 295.0}, {"RE", Quantity::EffectiveRadius, 305.0},
      {"TSTC", Quantity::Temperature, 45.0}, {"NOTE", Quantity::Other, 7.0},
  };
  RigRun run;
  run.fileName = "made";
  int k = 0;
  for (const Entry& entry : entries) {
    Channel channel{entry.name, entry.quantity, "", "", {}};
    for (std::size_t i = 0; i < n; ++i) {
      channel.values.push_back(entry.scale * std::sin(0.37 * static_cast<double>(i) + 1.3 * k) +
                               (entry.quantity == Quantity::Fz || entry.quantity == Quantity::Temperature ? 1.5 * entry.scale : 0.0));
    }
    run.channels.push_back(std::move(channel));
    ++k;
  }
  return run;
}

}  // namespace grip::test
