#pragma once

namespace grip {

/// Forces and moment that the tyre transmits in its contact patch.
struct TyreForces {
  double Fx = 0.0;  ///< longitudinal force [N]
  double Fy = 0.0;  ///< lateral force [N]
  double Mz = 0.0;  ///< aligning moment [N*mm]
};

}  // namespace grip
