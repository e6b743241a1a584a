#pragma once

// Exception texts of the Python module grip. Scripts catch the exceptions
// and may match their texts, so every text stays as it is. The library's own
// messages (with file and line) follow them where a call collected any.

namespace grip::msg {

inline constexpr const char* kPyParameterFileRejected = "parameter file %s was not accepted";
inline constexpr const char* kPyModelNumber = "model should be 1 (continuous) or 2 (discrete), not %g";
inline constexpr const char* kPyParametersRejected = "the parameters were not accepted by model %d (set-up code %d)";
inline constexpr const char* kPyParameterCount = "a parameter set holds 33 values, not %zu";
inline constexpr const char* kPyColumnLengths = "the five operating-point columns differ in length";
inline constexpr const char* kPyOutLengths = "the three result columns should each hold one value per operating point";
inline constexpr const char* kPyTraceNeedsDiscrete = "the per-point trace needs the discrete model (model 2), not model %d";
inline constexpr const char* kPyTraceFile = "no temporary file for the trace could be opened";
inline constexpr const char* kPyDesignCount = "the design vector holds %zu values where %d design variables are expected";
inline constexpr const char* kPyDesignNotFinite = "design variable %d (%s) = %g is not a finite number";
inline constexpr const char* kPyBoundNotFinite = "design bounds of %s are not finite numbers: (%g, %g)";
inline constexpr const char* kPyBoundOrder = "design bounds of %s: the lower bound %g is above the upper bound %g";
inline constexpr const char* kPyGridDesignVariable =
    "%s cannot be a design variable of model 2: the grid is sized from it once, at set-up";
inline constexpr const char* kPyNoDesignVariable = "the design names no variable: give at least one parameter with its bounds";
inline constexpr const char* kPyNoTargets = "the fit needs at least one target";
inline constexpr const char* kPyMeasurementShape = "target %s: measurements should be an (n, 7) array of numbers, not shape %s";
inline constexpr const char* kPyTargetDirection = "target %s: direction %d should be 1 (Fx), 2 (Fy) or 3 (Fy and Mz)";
inline constexpr const char* kPyTargetSpeed = "target %s: speed %g is not a finite number";
inline constexpr const char* kPyDesignStartRejected = "design start %s was not accepted";
inline constexpr const char* kPyDesignTargetRejected = "design target %s was not accepted";
inline constexpr const char* kPyDesignInvalid = "the design cannot be fitted";
inline constexpr const char* kPySearchMethod = "unknown search method '%s': the methods are bobyqa, sbplx, neldermead, slsqp, lbfgs, portfolio";
inline constexpr const char* kPySearchFault = "the search could not run: %s";
inline constexpr const char* kPyConvention = "convention should be iso, sae or ours, not '%s'";
inline constexpr const char* kPyRigNoChannel = "%s: no channel %s for %s in the file (its channels: %s)";
inline constexpr const char* kPyRunQuantity = "run channel %s: unknown quantity '%s'";
inline constexpr const char* kPyRunLengths = "run channel %s holds %zu values where the run has %zu";

}  // namespace grip::msg
