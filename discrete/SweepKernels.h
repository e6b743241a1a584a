#pragma once

// The loops of the discrete model's grid sweep as vector kernels: the row
// and column stages, the forces of every grid point into the row
// accumulators (SweepKernels.cpp), and the contact geometry's column half
// lengths, contact measures with the row bounds and geometric weights
// (GeometryKernels.cpp). Each is compiled once per instruction set and the
// best one the CPU supports is chosen at run time. They work lane by lane
// with the same operations, in the same order, as the point-by-point laws,
// so every result is the same to the bit on any instruction set.

#include <cstddef>

namespace grip {

/// Columns a kernel's pass down the rows takes at once: the row values and
/// accumulators stay in registers across them.
inline constexpr std::size_t kSweepColumnBlock = 4;

struct DiscreteProperties;
struct DiscretePatch;
struct SweepScratch;

/// What the point loop of one sweep reads and adds to. Column j's loads are
/// load[j * loadStride + i] times factor[j * factorStride]: the analytic
/// laws give one row factor for all columns (loadStride 0) and a factor per
/// column, the geometric pressure a weight per point and one scale.
struct PointSweep {
  std::size_t rows = 0;
  std::size_t columns = 0;
  const double* load = nullptr;
  std::size_t loadStride = 0;
  const double* factor = nullptr;
  std::size_t factorStride = 0;
  const double* y = nullptr;  ///< lateral position of each column [mm]
  /// Friction law: a point adheres with its elastic force while
  /// adhesionFactor times its load reaches the row's adhesionLimit, and
  /// slides with its load times slideFx, slideFy otherwise. Without it
  /// every point keeps its elastic force.
  bool frictionLimited = false;
  double adhesionFactor = 0.0;
  const double* adhesionLimit = nullptr;
  const double* fxElastic = nullptr;
  const double* fyElastic = nullptr;
  const double* slideFx = nullptr;
  const double* slideFy = nullptr;
  double* sumFx = nullptr;   ///< per row: fx summed over the columns, in column order
  double* sumFy = nullptr;   ///< per row: fy summed over the columns
  double* sumYFx = nullptr;  ///< per row: y * fx summed over the columns
};

/// Adds the forces of every grid point into the row accumulators.
void sweepGridPoints(const PointSweep& sweep);

/// What the row stage of one evaluation takes beside the tyre and the patch.
struct RowInputs {
  std::size_t rows = 0;    ///< rows swept
  double Wx = 0.0;         ///< longitudinal cell stiffness [N/mm]
  double Wy = 0.0;         ///< lateral cell stiffness [N/mm]
  double speed = 0.0;      ///< rolling speed, its magnitude [mm/s]
  double g = 0.0;          ///< load factor of the friction values [-]
  double pf = 0.0;         ///< load-per-cell factor of the table law [-]
  bool fromFront = false;  ///< the sweep runs from x = +h
};

/// Everything of the sweep that depends on the row alone, for every row:
/// position, deflection, elastic force, sliding speeds, the friction values
/// and the sliding force per unit load, the analytic row load; the row
/// accumulators are set to 0. The same values, to the bit, as the model's
/// point-by-point friction laws give.
void sweepRows(const DiscreteProperties& tyre, const DiscretePatch& patch, const RowInputs& in, SweepScratch& scratch);

/// Lateral position of every column and, for the analytic pressure laws
/// and the selectors that keep the load (below 1), the column's load factor:
/// the same values, to the bit, as analyticColumnLoad gives.
void columnFactors(const DiscreteProperties& tyre, const DiscretePatch& patch, double loadBefore, std::size_t columns, SweepScratch& scratch);

/// Half length of every lateral column (patch.xhalf) on the crown geometry
/// and the patch width that contactGeometry has set, and the longest of
/// them as the patch's half length (patch.h).
void columnHalfLengths(const DiscreteProperties& tyre, DiscretePatch& patch);

/// Geometric weight of every grid point (into scratch.weight) from the
/// contact measures, half lengths and row bounds of the patch, at the row
/// positions scratch.x and the column positions b - j dy; returns the sum of
/// the weights of the columns with a positive half length; sinCamber is
/// sin(patch.camberRad).
double geometricWeights(const DiscretePatch& patch, SweepScratch& scratch, double sinCamber);

/// Contact measure of every grid point (patch.gap) and the lateral contact
/// bounds of every row (patch.ymax, patch.ymin), on the patch and the row
/// positions scratch.x that contactGeometry has set.
void contactMeasures(const DiscreteProperties& tyre, DiscretePatch& patch, SweepScratch& scratch);

}  // namespace grip
