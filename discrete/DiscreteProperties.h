#pragma once

#include <array>

#include "core/ParameterSet.h"

namespace grip {

/// Length of the speed table of the table friction law.
inline constexpr int kSpeedTableLength = 6;

/// What the parameters make of the tyre for the discrete model: taken at
/// set-up and again, without allocating, whenever the fit refreshes them;
/// no evaluation changes them.
struct DiscreteProperties {
  int ni = 0;        ///< cells along the contact length (x) [-]
  int nj = 0;        ///< cells across the contact width (y) [-]
  int ny = 0;        ///< exponent of the crown contour [-]
  int ntab = 0;      ///< entries of the speed table, always 6 after set-up [-]
  int sliding = 0;   ///< friction law: 1..3 direction choice, below 1 none, 4 and above speed table [-]
  int pressure = 0;  ///< pressure law: 1..3 analytic, 4 geometric with geometry, above 4 geometric [-]
  double cx0 = 0.0;       ///< longitudinal stiffness [N/mm^3]
  double cx1 = 0.0;       ///< load coefficient of the longitudinal stiffness [1/mm^3]
  double cy0 = 0.0;       ///< lateral stiffness [N/mm^3]
  double cy1 = 0.0;       ///< load coefficient of the lateral stiffness [1/mm^3]
  double soff = 0.0;      ///< load coefficient of the slip and slip-angle offsets [1/N, deg/N]
  double sx0 = 0.0;       ///< slip offset [-]
  double sy0 = 0.0;       ///< slip-angle offset [deg]
  double muexy = 0.0;     ///< factor of the longitudinal force under the speed-table law [-]
  double Vmuexy = 0.0;    ///< factor of the longitudinal sliding speed under the speed-table law [-]
  double mueFz = 0.0;     ///< load coefficient of the friction values [1/N]
  double mue1xp = 0.0;    ///< sliding friction, positive longitudinal sliding; table value 1 [-]
  double cmuexp = 0.0;    ///< decay speed, positive longitudinal sliding; table value 2 [mm/s]
  double mue1xn = 0.0;    ///< sliding friction, negative longitudinal sliding; table value 3 [-]
  double cmuexn = 0.0;    ///< decay speed, negative longitudinal sliding; table value 4 [mm/s]
  double mue1yp = 0.0;    ///< sliding friction, positive lateral sliding; table value 5 [-]
  double cmueyp = 0.0;    ///< decay speed, positive lateral sliding; table value 6 [mm/s]
  double mue1yn = 0.0;    ///< sliding friction, negative lateral sliding [-]
  double cmueyn = 0.0;    ///< decay speed, negative lateral sliding [mm/s]
  double frica0 = 0.0;    ///< constant of the load-per-cell factor of the table law [-]
  double frica1 = 0.0;    ///< decay of the load-per-cell factor of the table law [mm^2/N]
  double cR = 0.0;        ///< radial tyre stiffness [N/mm]
  double R = 0.0;         ///< tyre radius [mm]
  double Ry = 0.0;        ///< lateral half-width of the crown contour [mm]
  double mue0 = 0.0;      ///< static friction coefficient [-]
  double pin = 0.0;       ///< mean contact pressure [N/mm^2]
  double Fzbar = 0.0;     ///< reference vertical load [N]
  double MzScaleP = 0.0;  ///< factor of Mz when the last point slides to positive y [-]
  double MzScaleN = 0.0;  ///< factor of Mz otherwise [-]
  double vslide = 0.0;    ///< first speed of the speed table [mm/s]
  std::array<double, kSpeedTableLength> vtab{};   ///< sliding speeds of the speed table [mm/s]
  std::array<double, kSpeedTableLength> mutab{};  ///< friction values of the speed table [-]

  /// Takes the parameter values (friction values as magnitudes, counts and
  /// selectors truncated) and builds the speed table from them.
  void take(const ParameterSet& parameters);
};

}  // namespace grip
