#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "discrete/GridPoint.h"

namespace grip {

/// What an evaluation of the discrete model leaves of its grid points. With
/// the trace flag 1 every swept point, in the order of the sweep: column by
/// column from y = +b, each from its entry edge, point n of column j at
/// [j * rows + n]. The arrays are sized to the grid at set-up; an
/// evaluation without the trace flag, or with a load too small to evaluate,
/// leaves no points (rows and columns 0). The last point of the sweep is
/// kept by every evaluation.
struct DiscreteTrace {
  std::size_t rows = 0;     ///< points of each lateral column swept, ni + 1 [-]
  std::size_t columns = 0;  ///< lateral columns swept, nj + 1 [-]
  std::vector<double> x;    ///< position along the length [mm]
  std::vector<double> y;    ///< lateral position [mm]
  std::vector<double> ux;   ///< longitudinal deflection [mm]
  std::vector<double> uy;   ///< lateral deflection [mm]
  std::vector<double> pz;   ///< vertical load [N]
  std::vector<double> fx;   ///< longitudinal force [N]
  std::vector<double> fy;   ///< lateral force [N]
  /// The last point of the sweep, on the exit edge of the last column: its
  /// deflection, sliding speeds, load and forces.
  GridPoint last;
  /// Its friction values; the speed-table law leaves them as they were.
  FrictionChoice lastFriction;

  /// Arrays of doubles per grid point, for the memory estimate.
  static constexpr std::size_t kPerPoint = 7;

  std::size_t points() const { return rows * columns; }

  /// Sizes the arrays to the grid (values 0); throws std::bad_alloc or
  /// std::length_error as std::vector does, the caller catches.
  void allocate(std::size_t gridPoints) {
    for (std::vector<double>* values : {&x, &y, &ux, &uy, &pz, &fx, &fy}) values->assign(gridPoints, 0.0);
    rows = columns = 0;
  }

  /// Frees the arrays. The last point stays, as it did across set-ups: a
  /// selector that keeps the load as it was (pressure below 1) takes it on.
  void release() {
    for (std::vector<double>* values : {&x, &y, &ux, &uy, &pz, &fx, &fy}) std::vector<double>().swap(*values);
    rows = columns = 0;
  }
};

/// Writes the traced points as the trace file has them: one line per point
/// (x, y, ux, uy, pz, fx, fy) and a closing line per lateral column.
void writeTrace(std::FILE* stream, const DiscreteTrace& trace);

}  // namespace grip
