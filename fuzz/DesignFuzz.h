#pragma once

// The design call lifecycle as an optimiser drives it: initialise, a run
// at the start values and one beside them, terminate.

#include <array>

#include "fit/DesignState.h"

namespace grip::fuzz {

inline void runDesignLifecycle() {
  DesignState state;
  std::array<double, kParameterCount> design{};
  const double count = handleDesignCall(state, design, 0.0);
  if (count < 1.0 || count > static_cast<double>(kParameterCount)) {
    handleDesignCall(state, design, -1.0);
    return;
  }
  design = state.startValues;
  handleDesignCall(state, design, 1.0);
  for (double& value : design) value *= 1.1;
  handleDesignCall(state, design, 2.0);
  handleDesignCall(state, design, -1.0);
}

}  // namespace grip::fuzz
