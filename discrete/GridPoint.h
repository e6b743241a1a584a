#pragma once

namespace grip {

/// State of the grid point that the sweep is at.
struct GridPoint {
  double ux = 0.0;   ///< longitudinal deflection [mm]
  double uy = 0.0;   ///< lateral deflection [mm]
  double fx = 0.0;   ///< longitudinal force, elastic until the friction law limits it [N]
  double fy = 0.0;   ///< lateral force, elastic until the friction law limits it [N]
  double vsx = 0.0;  ///< longitudinal sliding speed [mm/s]
  double vsy = 0.0;  ///< lateral sliding speed [mm/s]
  double pz = 0.0;   ///< vertical load [N]
};

/// Friction values that the friction law chose and computed at one point.
struct FrictionChoice {
  double mue1x = 0.0;  ///< longitudinal sliding friction [-]
  double cmuex = 0.0;  ///< longitudinal decay speed [mm/s]
  double mue1y = 0.0;  ///< lateral sliding friction [-]
  double cmuey = 0.0;  ///< lateral decay speed [mm/s]
  double muex = 0.0;   ///< longitudinal friction coefficient [-]
  double muey = 0.0;   ///< lateral friction coefficient [-]
};

/// Magnitudes of the sliding speed, elastic force and deflection of a point,
/// each below 1e-10 replaced by 1 so that directions stay finite.
struct PointMagnitudes {
  double Vs = 1.0;  ///< sliding speed [mm/s]
  double Fs = 1.0;  ///< elastic force [N]
  double Us = 1.0;  ///< deflection [mm]
};

/// Everything of a grid point that depends on its position along the
/// length only: the same for every lateral column, so the sweep works it out
/// once per row. Only the load differs from column to column.
struct RowState {
  double x = 0.0;             ///< position along the length [mm]
  GridPoint elastic;          ///< deflection, elastic force and sliding speeds (no load)
  FrictionChoice choice;      ///< friction law: its coefficients
  PointMagnitudes magnitude;  ///< friction law: the magnitudes
  double muT = 0.0;           ///< table law: effective friction coefficient [-]
  double Fs = 0.0;            ///< table law: magnitude of the elastic force [N]
};

}  // namespace grip
