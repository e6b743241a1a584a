#pragma once

#include <optional>
#include <string_view>

namespace grip {

/// What a channel of a rig run measures. Each quantity has one unit of ours
/// (ourUnit) that every reader converts to.
enum class Quantity {
  Other,            ///< kept as read: no unit conversion, no sign change
  Time,             ///< [s]
  Speed,            ///< travel speed of the wheel centre [mm/s]
  WheelSpeed,       ///< spin of the wheel [rad/s]
  SlipAngle,        ///< [deg]
  Camber,           ///< inclination angle [deg]
  SlipRatio,        ///< longitudinal slip [-]
  Pressure,         ///< inflation pressure [N/mm^2]
  Fx,               ///< longitudinal force [N]
  Fy,               ///< lateral force [N]
  Fz,               ///< vertical force [N]
  Mx,               ///< overturning moment [N*mm]
  Mz,               ///< aligning moment [N*mm]
  LoadedRadius,     ///< [mm]
  EffectiveRadius,  ///< rolling radius [mm]
  Temperature,      ///< [degC]
};

/// The name of a quantity in channel-map options ("slip_angle", "fz").
std::string_view quantityName(Quantity quantity);

/// The quantity of a name as quantityName gives it; nothing for another name.
std::optional<Quantity> quantityFromName(std::string_view name);

/// Our unit of a quantity as it is written in files ("deg", "N", "N*mm"); "" for Other.
std::string_view ourUnit(Quantity quantity);

}  // namespace grip
