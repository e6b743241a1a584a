#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/OperatingPoint.h"
#include "fit/DesignState.h"

namespace grip {

/// Model curves are drawn through this many points across a sweep.
inline constexpr std::size_t kCurvePoints = 101;

/// The window around zero of the swept input in which a stiffness is the
/// least-squares slope: |slip| <= 0.01 [-], |slip angle| <= 1 [deg]. The
/// brush model is linear well within it, measured points are not yet scattered
/// by sliding.
inline constexpr double kSlipWindow = 0.01;
inline constexpr double kSlipAngleWindow = 1.0;

/// One measurement file as a sweep: the swept input is slip for direction 1,
/// slip angle for 2 and 3. Channels are indexed by ForceChannel (Fx, Fy, Mz).
struct SweepCurve {
  std::string file;               ///< as the target list names it
  int direction = 0;              ///< 1, 2 or 3
  bool sweepsSlip = false;        ///< true: slip [-] is swept, else slip angle [deg]
  OperatingPoint mean;            ///< every input at its mean over the file's points
  std::vector<double> swept;      ///< the swept input per measured point [-, deg]
  std::array<std::vector<double>, 3> measured;  ///< per point [N, N*mm]
  std::array<std::vector<double>, 3> model;     ///< the fitted model per point [N, N*mm]
  std::vector<double> curveSwept;               ///< kCurvePoints from the smallest to the largest swept value
  std::array<std::vector<double>, 3> curve;     ///< the model at the mean point along curveSwept [N, N*mm]
  /// Slope at zero of the swept force (Fx over slip [N], Fy over slip angle
  /// [N/deg]) and of Mz over slip angle [N*mm/deg]: measured, a line through
  /// the points within the window; modelled, the same line through the model
  /// at the mean point at the same swept values. Not a number where the window holds fewer than two
  /// distinct swept values, and for Mz where the direction does not compare it.
  double measuredStiffness = 0.0, modelStiffness = 0.0;
  double measuredAligning = 0.0, modelAligning = 0.0;
  /// Largest |swept force| / Fz [-]: of the measured points, and of the curve.
  double measuredPeakFriction = 0.0, modelPeakFriction = 0.0;
};

/// The sweeps of an initialised state with design (state.designCount values)
/// in a model of its own: the state is only read. Empty for a state that is
/// not initialised or a design of another size.
std::vector<SweepCurve> sweepCurves(const DesignState& state, std::span<const double> design);

/// Least-squares slope of y over x through the pairs with |x| <= window;
/// not a number with fewer than two distinct such x.
double slopeNearZero(std::span<const double> x, std::span<const double> y, double window);

}  // namespace grip
