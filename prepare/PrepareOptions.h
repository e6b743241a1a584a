#pragma once

#include <string>

namespace grip {

/// How rig runs are cut into steady sweeps and turned into design files.
/// Every host takes these and calls isValid before preparing.
struct PrepareOptions {
  // A piece of a run holds steady load, camber, pressure and speed: each
  // sample lies within these of the piece's running mean.
  double loadFraction = 0.05;      ///< load tolerance as a share of the load [-]
  double loadMargin = 150.0;       ///< load tolerance at least [N]
  double camberTolerance = 0.2;    ///< [deg]
  double pressureTolerance = 5e-3; ///< 5 kPa [N/mm^2]
  double speedTolerance = 2000.0 / 3.6;  ///< 2 km/h [mm/s]
  /// Samples in a row outside a tolerance that end a piece: a single noisy
  /// sample does not split a sweep.
  int breakSamples = 5;
  double minimumDuration = 1.0;    ///< a shorter piece is a transition [s]
  double liftedLoad = 100.0;       ///< below it the tyre is off the drum [N]
  double slipAngleBin = 0.5;       ///< bin width of slip-angle sweeps [deg]
  double slipRatioBin = 0.005;     ///< bin width of slip-ratio sweeps [-]
  double slipAngleSpan = 4.0;      ///< the least range of a slip-angle sweep fit for a fit [deg]
  double slipRatioSpan = 0.04;     ///< the least range of a slip-ratio sweep fit for a fit [-]
  int minimumBins = 9;             ///< the fewest binned points of a sweep fit for a fit
  int modelType = 1;               ///< the model the design start is for: 1 continuous, 2 discrete
  std::string tyreSize;            ///< "205/60R15": width [mm] / aspect [%] R rim [in]; "" for none
  bool force = false;              ///< a failed check warns instead of stopping
  bool picture = true;             ///< draw the picture of the segmentation (Prepare.png) with gnuplot

  /// False with a message naming the first faulty option.
  bool isValid(std::string* error) const;
};

/// Free radius [mm] and section width [mm] of a tyre size "205/60R15"
/// ("205/60 R 15", "205/60ZR15" too); false for anything else.
bool parseTyreSize(const std::string& size, double& radius, double& width);

}  // namespace grip
