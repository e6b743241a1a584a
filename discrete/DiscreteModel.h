#pragma once

#include "core/TyreVariant.h"

namespace grip {

/// Grid-based brush model (placeholder until the grid model lands).
class DiscreteModel final : public TyreVariant {
 public:
  int setUp(const ParameterSet&) override { return 0; }
  int refresh(const ParameterSet&) override { return 0; }
  void evaluate(const OperatingPoint&, TyreForces& forces) override { forces = TyreForces{}; }
  ContactPatch contactPatch() const override { return {}; }
};

}  // namespace grip
