#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "core/TyreVariant.h"
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

/// Length of the speed table of the table friction law.
inline constexpr int kSpeedTableLength = 6;

/// Grid-based brush model. The contact patch is covered by (ni+1) x (nj+1)
/// grid points; each point gets a load from an analytic pressure law or from
/// the crown geometry, an elastic force from its deflection that a friction
/// law limits, and the point forces and moments add up to Fx, Fy and Mz.
///
/// The record is the working state of one evaluation: after evaluate the
/// per-point fields hold the last grid point of the sweep, and h, b and Area
/// the patch for the contact-area query. setUp allocates the grid; refresh
/// and evaluate allocate nothing.
class DiscreteModel final : public TyreVariant {
 public:
  int setUp(const ParameterSet& parameters) override;
  int refresh(const ParameterSet& parameters) override { return refreshDiscreteModel(parameters); }
  using TyreVariant::evaluate;
  void evaluate(const OperatingPoint& input, TyreForces& forces) override;
  ContactPatch contactPatch() const override { return {Area, h, b}; }
  /// Under the speed-table friction law (sliding 4 and above) the sliding
  /// friction pairs hold the speed table and the load-per-cell factor, and
  /// are written under those names (mue1..mue6, frica0, frica1).
  const char* parameterName(std::size_t parameter, const ParameterSet& parameters) const override;
  /// discreteDescription() (DiscreteParameters.cpp), with parameterName.
  const VariantDescription& description() const override;
  void setTrace(int flag, std::FILE* stream) override {
    draw3d = flag;
    traceFile = stream;
  }

  /// Takes the parameters again without allocating: the grid counts are kept
  /// within the grid that setUp allocated, the trace flag stays. Returns 0.
  int refreshDiscreteModel(const ParameterSet& parameters);
  /// Fills the speed table and its friction values from the parameters held.
  void buildFrictionTables();
  /// Flushes and detaches the trace stream (which stays the caller's to
  /// close) and frees the grid.
  void release();

  /// Number of grid rows (along x) and columns (along y) allocated; no
  /// sweep goes beyond them, whatever ni and nj hold.
  int gridRows() const { return gridRows_; }
  int gridColumns() const { return gridColumns_; }
  /// The sweep's working arrays as the last evaluation left them, to inspect.
  const SweepScratch& sweepScratch() const { return scratch_; }

  std::FILE* traceFile = nullptr;  ///< trace stream, the caller's; none until attached
  int ni = 0;                      ///< cells along the contact length (x) [-]
  int nj = 0;                      ///< cells across the contact width (y) [-]
  int ny = 0;                      ///< exponent of the crown contour [-]
  int ntab = 0;                    ///< entries of the speed table, always 6 after set-up [-]
  int sliding = 0;                 ///< friction law: 1..3 direction choice, below 1 none, 4 and above speed table [-]
  int pressure = 0;                ///< pressure law: 1..3 analytic, 4 geometric with geometry, above 4 geometric [-]
  int draw3d = 0;                  ///< trace flag: only 1 writes trace lines and sums Area [-]
  double cx0 = 0.0;                ///< longitudinal stiffness [N/mm^3]
  double cx1 = 0.0;                ///< load coefficient of the longitudinal stiffness [1/mm^3]
  double cy0 = 0.0;                ///< lateral stiffness [N/mm^3]
  double cy1 = 0.0;                ///< load coefficient of the lateral stiffness [1/mm^3]
  double soff = 0.0;               ///< load coefficient of the slip and slip-angle offsets [1/N, deg/N]
  double sx0 = 0.0;                ///< slip offset [-]
  double sy0 = 0.0;                ///< slip-angle offset [deg]
  double muexy = 0.0;              ///< factor of the longitudinal force under the speed-table law [-]
  double Vmuexy = 0.0;             ///< factor of the longitudinal sliding speed under the speed-table law [-]
  double mueFz = 0.0;              ///< load coefficient of the friction values [1/N]
  double mue1xp = 0.0;             ///< sliding friction, positive longitudinal sliding; table value 1 [-]
  double cmuexp = 0.0;             ///< decay speed, positive longitudinal sliding; table value 2 [mm/s]
  double mue1xn = 0.0;             ///< sliding friction, negative longitudinal sliding; table value 3 [-]
  double cmuexn = 0.0;             ///< decay speed, negative longitudinal sliding; table value 4 [mm/s]
  double mue1yp = 0.0;             ///< sliding friction, positive lateral sliding; table value 5 [-]
  double cmueyp = 0.0;             ///< decay speed, positive lateral sliding; table value 6 [mm/s]
  double mue1yn = 0.0;             ///< sliding friction, negative lateral sliding [-]
  double cmueyn = 0.0;             ///< decay speed, negative lateral sliding [mm/s]
  double mue1x = 0.0;              ///< longitudinal sliding friction of the current point [-]
  double cmuex = 0.0;              ///< longitudinal decay speed of the current point [mm/s]
  double mue1y = 0.0;              ///< lateral sliding friction of the current point [-]
  double cmuey = 0.0;              ///< lateral decay speed of the current point [mm/s]
  double muex = 0.0;               ///< longitudinal friction coefficient of the current point [-]
  double muey = 0.0;               ///< lateral friction coefficient of the current point [-]
  double frica0 = 0.0;             ///< constant of the load-per-cell factor of the table law [-]
  double frica1 = 0.0;             ///< decay of the load-per-cell factor of the table law [mm^2/N]
  double cR = 0.0;                 ///< radial tyre stiffness [N/mm]
  double R = 0.0;                  ///< tyre radius [mm]
  double Ry = 0.0;                 ///< lateral half-width of the crown contour [mm]
  double mue0 = 0.0;               ///< static friction coefficient [-]
  double pin = 0.0;                ///< mean contact pressure [N/mm^2]
  double Fzbar = 0.0;              ///< reference vertical load [N]
  double MzScaleP = 0.0;           ///< factor of Mz when the last point slides to positive y [-]
  double MzScaleN = 0.0;           ///< factor of Mz otherwise [-]
  double pi = 4.0 * std::atan(1.0);  ///< the constant pi [-]
  double h = 0.0;                  ///< contact half length of the last evaluation [mm]
  double b = 0.0;                  ///< contact half width of the last evaluation [mm]
  double vsx = 0.0;                ///< longitudinal sliding speed of the current point [mm/s]
  double vsy = 0.0;                ///< lateral sliding speed of the current point [mm/s]
  double fx = 0.0;                 ///< longitudinal force of the current point [N]
  double fy = 0.0;                 ///< lateral force of the current point [N]
  double ux = 0.0;                 ///< longitudinal deflection of the current point [mm]
  double uy = 0.0;                 ///< lateral deflection of the current point [mm]
  double pz = 0.0;                 ///< vertical load of the current point [N]
  double ncell = 0.0;              ///< number of cells ni*nj [-]
  double dx = 0.0;                 ///< cell length 2h/ni [mm]
  double dy = 0.0;                 ///< cell width 2b/nj [mm]
  double pscale1 = 0.0;            ///< scale of pressure law 1 [N]
  double pscale2 = 0.0;            ///< scale of pressure law 2 [N]
  double pscale3 = 0.0;            ///< scale of pressure law 3 [N]
  double psum = 0.0;               ///< sum of the geometric weights of the points in contact [-]
  double pnorm = 0.0;              ///< factor of the geometric weights [N]
  double cosgam = 0.0;             ///< cosine of the camber angle [-]
  double singam = 0.0;             ///< sine of the camber angle [-]
  double Ryny = 0.0;               ///< Ry to the power ny [mm^ny]
  double Rl = 0.0;                 ///< loaded radius R - Fz/cR [mm]
  double vslide = 0.0;             ///< first speed of the speed table [mm/s]
  double sx = 0.0;                 ///< the input slip, then the total slip [-]
  double tanAlpha = 0.0;           ///< the input slip angle [deg], then tangent of the total slip angle [-]
  double camberCurv = 0.0;         ///< the input camber [deg], then the camber curvature [1/mm]
  double Fz = 0.0;                 ///< vertical load of the last evaluation [N]
  double V = 0.0;                  ///< speed of the last evaluation [mm/s]
  double camberRad = 0.0;          ///< camber angle [rad]
  double Area = 0.0;               ///< loaded contact area, summed only while draw3d is 1 [mm^2]
  std::vector<double> ymax;        ///< per row i: largest lateral coordinate in contact [mm]
  std::vector<double> ymin;        ///< per row i: smallest lateral coordinate in contact [mm]
  std::vector<double> xhalf;       ///< per column j: contact half length, 0 without contact [mm]
  std::array<double, kSpeedTableLength> vtab{};   ///< sliding speeds of the speed table [mm/s]
  std::array<double, kSpeedTableLength> mutab{};  ///< friction values of the speed table [-]
  /// Contact measure of grid point (i, j) at [j * gridRows() + i]: <= 0 in
  /// contact, positive or not a number out of it. With the crown facing the
  /// road (camber within +-90 degrees) it is the difference of squares
  /// c^2 - A of the contact test sqrt(A) >= c (see contactGeometry) [mm^2];
  /// beyond that the gap itself [mm].
  std::vector<double> gap;

  /// Contact measure of grid point (i, j); i below gridRows(), j below gridColumns().
  double& gapAt(int i, int j) { return gap[gapIndex(i, j)]; }
  double gapAt(int i, int j) const { return gap[gapIndex(i, j)]; }

  /// Last row index and last column index that a sweep visits: ni and nj,
  /// kept within the allocated grid (-1 when there is none).
  int lastRow() const { return ni < gridRows_ ? ni : gridRows_ - 1; }
  int lastColumn() const { return nj < gridColumns_ ? nj : gridColumns_ - 1; }

 private:
  std::size_t gapIndex(int i, int j) const {
    return static_cast<std::size_t>(j) * static_cast<std::size_t>(gridRows_) + static_cast<std::size_t>(i);
  }
  void copyParameters(const ParameterSet& parameters);
  int allocateGrid();
  void freeGrid();

  std::vector<RowState> rows_;  ///< per row: what the sweep works out once for all columns
  SweepScratch scratch_;        ///< working arrays of the sweep, sized to the grid
  int gridRows_ = 0;     ///< rows of the allocated grid, ni + 1 at set-up [-]
  int gridColumns_ = 0;  ///< columns of the allocated grid, nj + 1 at set-up [-]
};

/// Lateral coordinate [mm] where the cambered crown contour meets the road,
/// by a damped Newton iteration from start; warns when it does not converge.
double solveContactEdge(double start, const DiscreteModel& model);

/// solveContactEdge from two starts, the searches side by side: the same
/// edges and warnings as two calls one after the other.
void solveContactEdges(double first, double second, const DiscreteModel& model, double& firstEdge,
                       double& secondEdge);

/// Load [N] of the grid point at (x, y) by the analytic pressure law 1 to 3;
/// stored in pz. Any other selector gives 0 and leaves pz unchanged.
double analyticPressure(double x, double y, DiscreteModel& model);

/// Load [N] of grid point (i, j) at (x, y) from the contact geometry, with
/// the camber bias; 0 for a point, column or row out of contact.
double geometricPressure(double x, double y, int i, int j, const DiscreteModel& model);

/// Friction law (sliding below 4) at the current grid point: chooses the
/// sliding friction pair, stores the coefficients and saturates fx, fy.
void frictionLaw(DiscreteModel& model);

/// Speed-table friction law (sliding 4 and above) at the current grid point.
void tableFriction(DiscreteModel& model);

/// Contact patch from the crown geometry: half width, column half lengths,
/// contact measures, row bounds, the geometric weights (into scratch) and
/// their sum psum; sinCamber is sin(model.camberRad).
void contactGeometry(DiscreteModel& model, SweepScratch& scratch, double sinCamber);

/// Geometric weight of every grid point (into scratch.weight) from the
/// contact measures, half lengths and row bounds that the model holds, at
/// the row positions scratch.x and the column positions b - j dy; returns
/// the sum of the weights of the columns with a positive half length;
/// sinCamber is sin(model.camberRad).
double geometricWeights(const DiscreteModel& model, SweepScratch& scratch, double sinCamber);

}  // namespace grip
