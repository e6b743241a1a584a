#pragma once

#include <string>
#include <vector>

namespace grip {

/// One binned point of a sweep, the seven columns of a measurement file.
struct SweepPoint {
  double slipRatio = 0.0;  ///< [-]
  double slipAngle = 0.0;  ///< [deg]
  double camber = 0.0;     ///< [deg]
  double fx = 0.0;         ///< [N]
  double fy = 0.0;         ///< [N]
  double fz = 0.0;         ///< [N]
  double mz = 0.0;         ///< [N*mm]
  int samples = 0;         ///< samples averaged into the point
};

/// A steady sweep found in a rig run, binned by its slip value.
struct Sweep {
  std::string name;        ///< measurement file name ("fy_Fz4000_IA2.dat")
  std::string sourceFile;  ///< rig file it came from
  std::string forceChannel;  ///< the file's name of the Fy (slip-angle sweep) or Fx channel
  std::string momentChannel; ///< the file's name of the Mz channel ("" when none)
  bool lateral = true;     ///< a slip-angle sweep; false: a slip-ratio sweep
  bool hasMz = false;      ///< the run has an aligning moment
  double startTime = 0.0;  ///< [s], 0 when the run has no time channel
  double endTime = 0.0;    ///< [s]
  double load = 0.0;       ///< mean [N]
  double camber = 0.0;     ///< mean [deg]
  double pressure = 0.0;   ///< mean [N/mm^2], 0 when not measured
  double speed = 0.0;      ///< mean travel speed [mm/s], 0 when not measured
  double rolledSpeed = 0.0;  ///< mean wheel spin times effective radius [mm/s], 0 when not measured
  double loadedRadius = 0.0; ///< mean [mm], 0 when not measured
  std::vector<SweepPoint> points;
  /// Direction of the design target: 1 slip ratio, 3 slip angle with Mz, 2 without.
  int direction() const { return lateral ? (hasMz ? 3 : 2) : 1; }
};

}  // namespace grip
