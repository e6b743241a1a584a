#pragma once

#include <cstddef>
#include <span>

namespace grip {

/// Many operating points as columns of equal length, in the order every
/// input file gives them: the input of a batch evaluation.
struct OperatingColumns {
  std::span<const double> longitudinalSlip;  ///< longitudinal slip [-]
  std::span<const double> slipAngle;         ///< slip angle [deg]
  std::span<const double> camber;            ///< camber angle [deg]
  std::span<const double> verticalLoad;      ///< vertical load [N]
  std::span<const double> speed;             ///< rolling speed, signed [mm/s]

  std::size_t size() const { return longitudinalSlip.size(); }
  /// True when every column holds size() values.
  bool consistent() const {
    const std::size_t n = size();
    return slipAngle.size() == n && camber.size() == n && verticalLoad.size() == n && speed.size() == n;
  }
};

/// Where a batch evaluation puts its forces: columns as long as the input.
struct ForceColumns {
  std::span<double> Fx;  ///< longitudinal force [N]
  std::span<double> Fy;  ///< lateral force [N]
  std::span<double> Mz;  ///< aligning moment [N*mm]

  std::size_t size() const { return Fx.size(); }
  bool consistent() const { return Fy.size() == Fx.size() && Mz.size() == Fx.size(); }
};

}  // namespace grip
