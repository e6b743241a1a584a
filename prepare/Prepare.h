#pragma once

#include <string>
#include <vector>

#include "core/ParameterSet.h"
#include "prepare/PrepareOptions.h"
#include "prepare/PrepareSummary.h"
#include "rig/RigReader.h"
#include "rig/RigRun.h"

namespace grip {

/// Cuts a run (in our units and convention) into pieces of steady load,
/// camber, pressure and speed, finds the slip-angle and slip-ratio sweeps
/// among them and bins each; appends them to summary.sweeps and every piece
/// not used to summary.dropped.
void findSweeps(const RigRun& run, const PrepareOptions& options, PrepareSummary& summary);

/// The checks of a run before any fit: loads of the wrong sign, a speed out
/// of range or against the wheel's rotation. Appends to summary.failures.
void checkRun(const RigRun& run, PrepareSummary& summary);

/// The checks of one sweep: the stiffness at zero slip, the pneumatic
/// trail, the friction peak, its length. Appends to summary.failures.
void checkSweep(const Sweep& sweep, const PrepareOptions& options, PrepareSummary& summary);

/// Start values for the chosen model from the sweeps and the tyre (free and
/// loaded radius, load, stiffness, friction); notes say where each came from.
ParameterSet startValues(const std::vector<Sweep>& sweeps, const std::vector<RigRun>& runs,
                         const PrepareOptions& options, std::vector<std::string>& notes);

/// The text of a measurement file, of DesignTarget.dat and of DesignStart.dat.
std::string measurementText(const Sweep& sweep);
std::string designTargetText(const std::vector<Sweep>& sweeps);
std::string designStartText(const ParameterSet& values, int modelType);

/// Finds and checks the sweeps of runs already read and makes the set of
/// files prepare writes (summary.files), writing nothing (gnuplot draws the
/// picture in the system's temporary folder); options are valid.
/// summary.exitStatus is 2, and files empty, when a check failed (unless
/// options.force) or no sweep was found.
void prepareRuns(const std::vector<RigRun>& runs, const PrepareOptions& options, PrepareSummary& summary);

/// Reads every file, finds and checks the sweeps and writes the
/// measurement files, DesignTarget.dat, DesignStart.dat and Prepare.txt
/// into folder, whole or not at all (a failed check writes nothing unless
/// options.force). Messages go to summary; summary.exitStatus tells.
PrepareSummary prepare(const std::vector<std::string>& files, const RigReadOptions& readOptions,
                       const PrepareOptions& options, const std::string& folder);

}  // namespace grip

namespace grip {

/// Slope at zero slip of a sweep: cornering stiffness [N/deg] or slip stiffness [N]; false when too few points.
bool sweepStiffness(const Sweep& sweep, double& stiffness);
/// Largest |Fy|/Fz (slip-angle sweep) or |Fx|/Fz (slip-ratio sweep) of the points [-].
double sweepPeak(const Sweep& sweep);

}  // namespace grip
