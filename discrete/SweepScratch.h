#pragma once

#include <cstddef>
#include <vector>

namespace grip {

/// Working arrays of the grid sweep, sized to the grid at set-up so that an
/// evaluation allocates nothing. A grid point's state splits into what
/// depends on its row i (position along x) alone, what depends on its
/// column j (position across y) alone, and its load; the sweep works out
/// the row and column parts once per evaluation and visits the points with
/// products only. The point forces go into row accumulators, one per row,
/// so that the points of a column do not wait for each other's sums.
struct SweepScratch {
  // Per row i.
  std::vector<double> x;              ///< position along the length [mm]
  std::vector<double> fxElastic;      ///< elastic longitudinal force [N]
  std::vector<double> fyElastic;      ///< elastic lateral force [N]
  std::vector<double> adhesionLimit;  ///< force the friction limit (factor times load) must reach for adhesion [N]
  std::vector<double> slideFx;        ///< longitudinal sliding force per unit load [-]
  std::vector<double> slideFy;        ///< lateral sliding force per unit load [-]
  std::vector<double> rowLoad;        ///< analytic pressure: the factor of the row [-] (law 1: the load [N])
  std::vector<double> boundSum;       ///< geometric pressure: ymax + ymin [mm]
  std::vector<double> boundWidth;     ///< geometric pressure: |ymax - ymin| [mm]
  std::vector<double> inverseWidth;   ///< geometric pressure: 1 / |ymax - ymin| [1/mm]
  std::vector<double> etaTop;         ///< geometric pressure: lateral coordinate eta of the point at ymax [-]
  std::vector<double> etaBottom;      ///< geometric pressure: lateral coordinate eta of the point at ymin [-]
  std::vector<double> sumFx;          ///< sum of fx over the columns [N]
  std::vector<double> sumFy;          ///< sum of fy over the columns [N]
  std::vector<double> sumYFx;         ///< sum of y * fx over the columns [N mm]
  std::vector<double> sumWeight;      ///< geometric pressure: sum of the weights over the columns [-]
  std::vector<double> ux;             ///< longitudinal deflection [mm]
  std::vector<double> uy;             ///< lateral deflection [mm]
  std::vector<double> vsy;            ///< lateral sliding speed [mm/s]
  std::vector<double> slideSpeed;     ///< sliding speed the friction values follow (table law: weighted) [mm/s]
  std::vector<double> deflection;     ///< magnitude of the deflection, 1 when it vanishes [mm]
  std::vector<double> muex;           ///< longitudinal friction value (table law: the effective value) [-]
  std::vector<double> muey;           ///< lateral friction value [-]
  // Per column j.
  std::vector<double> y;              ///< lateral position [mm]
  std::vector<double> columnLoad;     ///< analytic pressure: the factor of the column [N]
  std::vector<double> crown;          ///< geometric pressure: the contact radicand at x = 0 [mm^2]
  std::vector<double> reach2;         ///< geometric pressure: square of the reach the radicand's root must have [mm^2]
  std::vector<double> gapFirst;       ///< geometric pressure: gap of the edge row x = +h [mm]
  std::vector<double> gapLast;        ///< geometric pressure: gap of the edge row x = -h [mm]
  std::vector<double> inverseHalf;    ///< geometric pressure: 1 / the column's half length [1/mm]
  std::vector<double> weightFirst;    ///< geometric pressure: weight of the edge row x = +h [-]
  std::vector<double> weightLast;     ///< geometric pressure: weight of the edge row x = -h [-]
  // Per grid point, at [j * rows + i]: a column is contiguous.
  std::vector<double> weight;         ///< geometric pressure: weight of the point, 0 out of contact [-]

  /// Arrays of doubles per row, per column and per grid point, for the
  /// memory estimate before anything is allocated.
  static constexpr std::size_t kPerRow = 23;
  static constexpr std::size_t kPerColumn = 9;
  static constexpr std::size_t kPerPoint = 1;

  /// Sizes every array to the grid (values 0); throws std::bad_alloc or
  /// std::length_error as std::vector does, the caller catches.
  void allocate(std::size_t rows, std::size_t columns) {
    for (std::vector<double>* row :
         {&x, &fxElastic, &fyElastic, &adhesionLimit, &slideFx, &slideFy, &rowLoad, &boundSum, &boundWidth,
          &inverseWidth, &etaTop, &etaBottom, &sumFx, &sumFy, &sumYFx, &sumWeight, &ux, &uy, &vsy, &slideSpeed,
          &deflection, &muex, &muey})
      row->assign(rows, 0.0);
    for (std::vector<double>* column :
         {&y, &columnLoad, &crown, &reach2, &gapFirst, &gapLast, &inverseHalf, &weightFirst, &weightLast})
      column->assign(columns, 0.0);
    weight.assign(rows * columns, 0.0);
  }

  /// Frees every array.
  void release() { *this = SweepScratch{}; }
};

/// Number of rows (or columns) a sweep visits up to the last index, 0 when
/// there is none: a refresh may leave a grid count below 1.
inline std::size_t sweptCount(int lastIndex) { return lastIndex < 0 ? 0 : static_cast<std::size_t>(lastIndex) + 1; }

}  // namespace grip
