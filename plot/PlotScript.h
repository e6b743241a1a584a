#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/Canvas.h"
#include "plot/ContactPatch.h"
#include "plot/ResultTable.h"
#include "plot/SweepAxis.h"

namespace grip::plot {

/// A measured-and-model file with the axis chosen for it.
struct ComparedFile {
  const ResultTable* table = nullptr;
  SweepAxis axis;
};

/// Contact patch: the load per point as a coloured map with the point forces
/// as arrows, and the utilised friction |f|/pz as a second map.
std::string patchScript(const ContactPatch& patch, const std::string& fileName, const Canvas& canvas);

/// Range result: the forces over the swept operating value, Mz on the right axis.
std::string sweepScript(const ResultTable& table, const SweepAxis& axis, const Canvas& canvas);

/// Measured against modelled forces, one column of panels per file: a panel
/// per force with the error of every point beneath it. The target value of
/// the fit goes into the title when there is one.
std::string compareScript(const std::vector<ComparedFile>& files, std::optional<double> targetValue,
                          const Canvas& canvas);

/// Forces of a range result worth drawing, as columns of its lines (Fx 3,
/// Fy 4, Mz 6): the ones the swept value drives (Fx for slip, Fy and Mz for
/// slip angle and camber, all three for load or no swept value), and any
/// other that is not zero everywhere.
std::vector<int> sweepForces(const ResultTable& table, const SweepAxis& axis);

/// Forces of measured-and-model files worth drawing, as 0 Fx, 1 Fy, 2 Mz:
/// those not zero everywhere in any of the files, measured or modelled.
std::vector<int> comparedForces(const std::vector<ComparedFile>& files);

}  // namespace grip::plot
