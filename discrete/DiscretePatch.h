#pragma once

#include <cstddef>
#include <vector>

namespace grip {

/// The contact patch of one evaluation of the discrete model: the operating
/// point as the laws take it, the patch's size and cells, the pressure
/// scales, and the crown geometry's contact measure, row bounds and column
/// half lengths. The arrays are sized to the grid at set-up; an evaluation
/// only overwrites them. A load too small to evaluate leaves the patch of
/// the evaluation before.
struct DiscretePatch {
  double sx = 0.0;          ///< total slip [-]
  double tanAlpha = 0.0;    ///< tangent of the total slip angle [-]
  double camberCurv = 0.0;  ///< camber curvature sin(gamma/R) [1/mm]
  double camberRad = 0.0;   ///< camber angle [rad]
  double Fz = 0.0;          ///< vertical load [N]
  double V = 0.0;           ///< speed [mm/s]
  double h = 0.0;           ///< contact half length [mm]
  double b = 0.0;           ///< contact half width [mm]
  double dx = 0.0;          ///< cell length 2h/ni [mm]
  double dy = 0.0;          ///< cell width 2b/nj [mm]
  double ncell = 0.0;       ///< number of cells ni*nj [-]
  double pscale1 = 0.0;     ///< scale of pressure law 1 [N]
  double pscale2 = 0.0;     ///< scale of pressure law 2 [N]
  double pscale3 = 0.0;     ///< scale of pressure law 3 [N]
  double psum = 0.0;        ///< sum of the geometric weights of the points in contact [-]
  double pnorm = 0.0;       ///< factor of the geometric weights [N]
  double cosgam = 0.0;      ///< cosine of the camber angle [-]
  double singam = 0.0;      ///< sine of the camber angle [-]
  double Ryny = 0.0;        ///< Ry to the power ny [mm^ny]
  double Rl = 0.0;          ///< loaded radius R - Fz/cR [mm]
  double Area = 0.0;        ///< loaded contact area, summed only while the trace flag is 1 [mm^2]
  int lastRow = -1;         ///< last row index swept: ni, kept within the grid (-1 when there is none)
  int lastColumn = -1;      ///< last column index swept: nj, kept within the grid
  int gridRows = 0;         ///< rows of the allocated grid, ni + 1 at set-up [-]
  int gridColumns = 0;      ///< columns of the allocated grid, nj + 1 at set-up [-]
  std::vector<double> ymax;   ///< per row i: largest lateral coordinate in contact [mm]
  std::vector<double> ymin;   ///< per row i: smallest lateral coordinate in contact [mm]
  std::vector<double> xhalf;  ///< per column j: contact half length, 0 without contact [mm]
  /// Contact measure of grid point (i, j) at [j * gridRows + i]: <= 0 in
  /// contact, positive or not a number out of it. With the crown facing the
  /// road (camber within +-90 degrees) it is the difference of squares
  /// c^2 - A of the contact test sqrt(A) >= c (see contactGeometry) [mm^2];
  /// beyond that the gap itself [mm].
  std::vector<double> gap;

  /// Contact measure of grid point (i, j); i below gridRows, j below gridColumns.
  double& gapAt(int i, int j) { return gap[gapIndex(i, j)]; }
  double gapAt(int i, int j) const { return gap[gapIndex(i, j)]; }

  /// Keeps the swept rows and columns within the allocated grid.
  void sweep(int ni, int nj) {
    lastRow = ni < gridRows ? ni : gridRows - 1;
    lastColumn = nj < gridColumns ? nj : gridColumns - 1;
  }

 private:
  std::size_t gapIndex(int i, int j) const {
    return static_cast<std::size_t>(j) * static_cast<std::size_t>(gridRows) + static_cast<std::size_t>(i);
  }
};

}  // namespace grip
