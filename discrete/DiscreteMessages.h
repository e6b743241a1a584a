#pragma once

// Console texts and the trace format of the discrete model. Users, scripts
// and the readers of the trace file depend on them exactly as they stand.

namespace grip::msg {

inline constexpr const char* kNoConvergence = " Warning, no convergence in newton interation, change Ry or ny \n";
inline constexpr const char* kNoSpaceForGrid = " No space for allocate left \n";
/// A grid count below 1: the parameter's name, its whole number and the value read.
inline constexpr const char* kGridCountBelowOne =
    " grid count %s = %d (parameter value %g) of the discrete model should be 1 or more\n";
/// A grid beyond the limit: ni, nj, their grid point count and the limit.
inline constexpr const char* kGridTooLarge =
    " grid ni = %d, nj = %d of the discrete model has %lld points, more than the limit of %lld\n";

}  // namespace grip::msg

namespace grip::trace {

/// One grid point: x, y, ux, uy, pz, fx, fy.
inline constexpr const char* kPointLine = " %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e \n";
/// Closes the block of one lateral column.
inline constexpr const char* kBlockEnd = "\n";

}  // namespace grip::trace
