#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "core/TyreVariant.h"
#include "discrete/DiscretePatch.h"
#include "discrete/DiscreteProperties.h"
#include "discrete/DiscreteTrace.h"
#include "discrete/GridPoint.h"
#include "discrete/SweepScratch.h"

namespace grip {

/// Set-up codes of the discrete model (0 is success).
enum DiscreteSetUpCode : int {
  kDiscreteReady = 0,
  kNoSpaceForRowBounds = 3,  ///< ymax (or a friction table) could not be allocated
  kNoSpaceForRowMinima = 4,  ///< ymin could not be allocated
  kNoSpaceForColumns = 5,    ///< xhalf could not be allocated
  kGridCountBelowOne = 6,    ///< ni or nj below 1: no grid to sweep
  kNoSpaceForGrid = 7,       ///< the gap matrix does not fit in memory
  kGridTooLarge = 8,         ///< more grid points than kMaxGridPoints
};

/// Most grid points (ni+1)*(nj+1) a set-up accepts. A grid of this size
/// takes some 10 ms an evaluation and a trace of some 100 MB; grids beyond
/// about 200 x 200 no longer change the forces.
inline constexpr long long kMaxGridPoints = 1'000'000;

/// Grid-based brush model. The contact patch is covered by (ni+1) x (nj+1)
/// grid points; each point gets a load from an analytic pressure law or from
/// the crown geometry, an elastic force from its deflection that a friction
/// law limits, and the point forces and moments add up to Fx, Fy and Mz.
///
/// The model keeps three records by their lifetime: the tyre's properties
/// (set up once, refreshed by the fit), the contact patch and working arrays
/// of one evaluation, and what the evaluation leaves of its grid points (the
/// trace). setUp allocates them all for the grid; refresh and evaluate
/// allocate nothing.
class DiscreteModel final : public TyreVariant {
 public:
  int setUp(const ParameterSet& parameters) override;
  /// Takes the parameters again without allocating: the grid counts are kept
  /// within the grid that setUp allocated, the trace flag stays. Returns 0.
  int refresh(const ParameterSet& parameters) override;
  using TyreVariant::evaluate;
  void evaluate(const OperatingPoint& input, TyreForces& forces) override;
  ContactPatch contactPatch() const override { return {patch_.Area, patch_.h, patch_.b}; }
  /// Under the speed-table friction law (sliding 4 and above) the sliding
  /// friction pairs hold the speed table and the load-per-cell factor, and
  /// are written under those names (mue1..mue6, frica0, frica1).
  const char* parameterName(std::size_t parameter, const ParameterSet& parameters) const override;
  /// discreteDescription() (DiscreteParameters.cpp), with parameterName.
  const VariantDescription& description() const override;
  void setTrace(int flag, std::FILE* stream) override {
    draw3d_ = flag;
    traceFile_ = stream;
  }

  /// Flushes and detaches the trace stream (which stays the caller's to
  /// close) and frees the grid.
  void release();

  /// Number of grid rows (along x) and columns (along y) allocated; no
  /// sweep goes beyond them, whatever ni and nj hold.
  int gridRows() const { return patch_.gridRows; }
  int gridColumns() const { return patch_.gridColumns; }
  /// Trace flag: only 1 records every point, writes the trace and sums the area [-].
  int traceFlag() const { return draw3d_; }

  /// The records as the last set-up, refresh or evaluation left them, to read.
  const DiscreteProperties& properties() const { return tyre_; }
  const DiscretePatch& patch() const { return patch_; }
  const DiscreteTrace& trace() const { return trace_; }
  const SweepScratch& sweepScratch() const { return scratch_; }

 private:
  int allocateGrid();
  void freeGrid();

  DiscreteProperties tyre_;     ///< from the parameters
  DiscretePatch patch_;         ///< contact patch of the evaluation
  SweepScratch scratch_;        ///< working arrays of the sweep, sized to the grid
  std::vector<RowState> rows_;  ///< per row: what the sweep works out once for all columns
  DiscreteTrace trace_;         ///< the grid points the evaluation leaves
  std::FILE* traceFile_ = nullptr;  ///< trace stream, the caller's; none until attached
  int draw3d_ = 0;                  ///< trace flag [-]
};

}  // namespace grip
