#pragma once

namespace grip {

/// One operating point of the tyre, in the order every input file gives it.
struct OperatingPoint {
  double longitudinalSlip = 0.0;  ///< longitudinal slip [-]
  double slipAngle = 0.0;         ///< slip angle [deg]
  double camber = 0.0;            ///< camber angle [deg]
  double verticalLoad = 0.0;      ///< vertical load [N]
  double speed = 0.0;             ///< rolling speed, signed [mm/s]
};

}  // namespace grip
