#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/ResultTable.h"

namespace grip::plot {

/// One grid point of a discrete evaluation, as its trace line gives it.
struct PatchPoint {
  double x = 0.0;   ///< position along the length [mm]
  double y = 0.0;   ///< position across the width [mm]
  double ux = 0.0;  ///< longitudinal deflection [mm]
  double uy = 0.0;  ///< lateral deflection [mm]
  double pz = 0.0;  ///< load of the point [N]
  double fx = 0.0;  ///< longitudinal force after the friction limit [N]
  double fy = 0.0;  ///< lateral force after the friction limit [N]
};

/// The grid of one discrete evaluation: rows across the width, each row
/// holding its points along the length in the order of the sweep.
struct ContactPatch {
  std::vector<PatchPoint> points;  ///< row after row
  int rows = 0;                    ///< rows across the width (nj + 1)
  int columns = 0;                 ///< points of a row along the length (ni + 1)
  double dx = 0.0;                 ///< grid spacing along the length [mm]
  double dy = 0.0;                 ///< grid spacing across the width [mm]
  /// Direction of travel along x: the sweep starts at the entry (leading)
  /// edge, so +1 when the rows run from +x to -x, -1 when they run from -x
  /// to +x, 0 when a row has a single point and tells nothing.
  int travel = 0;
  int evaluations = 0;  ///< evaluations in the file; the patch is the last
};

/// Sums over the patch, as the evaluation forms them.
struct PatchTotals {
  double Fx = 0.0;    ///< sum of fx [N]
  double Fy = 0.0;    ///< sum of fy [N]
  double Fz = 0.0;    ///< sum of pz [N]
  int loaded = 0;     ///< points with pz > 0
  double area = 0.0;  ///< loaded points times dx dy [mm^2]
};

/// Builds the patch from a trace table: every row as long as the first, one
/// y per row, the same x positions in every row. A row whose y is not below
/// the row before starts a further evaluation; the last one is kept.
/// Returns "" or the message naming the file and line.
std::string readContactPatch(const ResultTable& table, ContactPatch& patch);

/// Utilised friction |f|/pz of a point [-]; none for a point without load.
std::optional<double> utilisedFriction(const PatchPoint& point);

PatchTotals totalsOf(const ContactPatch& patch);

}  // namespace grip::plot
