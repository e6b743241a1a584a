// Evaluation of the discrete model: the patch, the row and column stages,
// the grid sweep and the record of its points.

#include <cmath>
#include <cstddef>

#include "discrete/ContactGeometry.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepKernels.h"

namespace grip {

namespace {

constexpr double kLeastLoad = 1e-10;  // below this load [N] the tyre carries nothing
const double kPi = 4.0 * std::atan(1.0);

/// Load of the points of one column from a row factor times a column
/// factor: the analytic laws, and a load kept from before (row factor 1).
struct SeparableLoad {
  const double* row;
  const double* column;
  struct Column {
    const double* row;
    double factor;
    double operator()(std::size_t i) const { return row[i] * factor; }
  };
  Column at(std::size_t j) const { return {row, column[j]}; }
  void into(PointSweep& p) const {
    p.load = row;
    p.loadStride = 0;
    p.factor = column;
    p.factorStride = 1;
  }
};

/// Load of the points of one column from their geometric weights times the
/// factor pnorm/ncell.
struct WeightedLoad {
  const double* weight;
  std::size_t stride;
  double scale;
  struct Column {
    const double* weight;
    double scale;
    double operator()(std::size_t i) const { return weight[i] * scale; }
  };
  Column at(std::size_t j) const { return {weight + j * stride, scale}; }
  void into(PointSweep& p) const {
    p.load = weight;
    p.loadStride = stride;
    p.factor = &scale;
    p.factorStride = 0;
  }
};

/// Geometric load point by point, for a factor pnorm/ncell that is no finite
/// number (no weight in contact): a point out of contact then still carries
/// exactly 0, one in contact no number, as geometricLoad has it.
struct PointwiseGeometricLoad {
  const DiscretePatch* patch;
  const double* x;
  const double* y;
  double sinCamber;
  struct Column {
    const DiscretePatch* patch;
    const double* x;
    double y;
    int j;
    double sinCamber;
    double operator()(std::size_t i) const { return geometricLoad(*patch, x[i], y, static_cast<int>(i), j, sinCamber); }
  };
  Column at(std::size_t j) const { return {patch, x, y[j], static_cast<int>(j), sinCamber}; }
};

/// No friction law (sliding below 1): every point keeps its elastic force.
struct ElasticOnly {
  const double* fxElastic;
  const double* fyElastic;
  void operator()(std::size_t i, double /*pz*/, double& fx, double& fy) const {
    fx = fxElastic[i];
    fy = fyElastic[i];
  }
  void into(PointSweep& p) const {
    p.frictionLimited = false;
    p.fxElastic = fxElastic;
    p.fyElastic = fyElastic;
  }
};

/// A friction law: a point adheres, with its elastic force, while the
/// adhesion factor times its load reaches the row's force magnitude;
/// otherwise it slides with its load times the row's sliding force per unit
/// load. A load that is no number slides.
struct FrictionLimited {
  double adhesionFactor;
  const double* adhesionLimit;
  const double* fxElastic;
  const double* fyElastic;
  const double* slideFx;
  const double* slideFy;
  void operator()(std::size_t i, double pz, double& fx, double& fy) const {
    const bool adhesion = adhesionFactor * pz >= adhesionLimit[i];
    fx = adhesion ? fxElastic[i] : pz * slideFx[i];
    fy = adhesion ? fyElastic[i] : pz * slideFy[i];
  }
  void into(PointSweep& p) const {
    p.frictionLimited = true;
    p.adhesionFactor = adhesionFactor;
    p.adhesionLimit = adhesionLimit;
    p.fxElastic = fxElastic;
    p.fyElastic = fyElastic;
    p.slideFx = slideFx;
    p.slideFy = slideFy;
  }
};

/// What the sweep of one evaluation works on.
struct SweepFrame {
  SweepScratch& s;
  int lastI;             ///< last row swept
  int lastJ;             ///< last column swept
  bool fromFront;        ///< the sweep runs from i = 0 (x = +h) to i = lastI
  bool tracing;          ///< the trace flag is 1: every point recorded, and the area
  double cellArea;       ///< dx dy [mm^2]
  const RowState* rows;  ///< the rows' deflections and friction values
  DiscreteTrace* trace;  ///< the record of every point while tracing
};

/// The last point of the sweep, which the record keeps, and the area.
struct LastPoint {
  const RowState* row = nullptr;  ///< its row; none when nothing was swept
  double pz = 0.0;
  double fx = 0.0;
  double fy = 0.0;
  double area = 0.0;  ///< loaded contact area, summed only while tracing [mm^2]
};

/// Adds the forces of every grid point into the row accumulators, column by
/// column; the points of a column are independent of each other.
template <class Load, class Friction>
void sweepPoints(const Load& load, const Friction& friction, const SweepFrame& f) {
  const std::size_t rows = sweptCount(f.lastI);
  double* const sumFx = f.s.sumFx.data();
  double* const sumFy = f.s.sumFy.data();
  double* const sumYFx = f.s.sumYFx.data();
  for (int j = 0; j <= f.lastJ; ++j) {
    const auto column = load.at(static_cast<std::size_t>(j));
    const double y = f.s.y[static_cast<std::size_t>(j)];
    for (std::size_t i = 0; i < rows; ++i) {
      const double pz = column(i);
      double fx = 0.0;
      double fy = 0.0;
      friction(i, pz, fx, fy);
      sumFx[i] += fx;
      sumFy[i] += fy;
      sumYFx[i] += y * fx;
    }
  }
}

/// The same sweep in the order of the trace: each column from its entry
/// edge, every point into the record, and the area of the loaded cells.
/// Every row accumulator takes its columns in the same order as in
/// sweepPoints, so the forces are the same to the last bit.
template <class Load, class Friction>
double sweepTraced(const Load& load, const Friction& friction, const SweepFrame& f) {
  double area = 0.0;
  DiscreteTrace& t = *f.trace;
  std::size_t k = 0;  // the point's place in the record
  for (int j = 0; j <= f.lastJ; ++j) {
    const auto column = load.at(static_cast<std::size_t>(j));
    const double y = f.s.y[static_cast<std::size_t>(j)];
    for (int n = 0; n <= f.lastI; ++n, ++k) {
      const auto i = static_cast<std::size_t>(f.fromFront ? n : f.lastI - n);
      const double pz = column(i);
      double fx = 0.0;
      double fy = 0.0;
      friction(i, pz, fx, fy);
      const GridPoint& e = f.rows[i].elastic;
      t.x[k] = f.s.x[i];
      t.y[k] = y;
      t.ux[k] = e.ux;
      t.uy[k] = e.uy;
      t.pz[k] = pz;
      t.fx[k] = fx;
      t.fy[k] = fy;
      if (pz > 0.0) area += f.cellArea;
      f.s.sumFx[i] += fx;
      f.s.sumFy[i] += fy;
      f.s.sumYFx[i] += y * fx;
    }
  }
  t.rows = sweptCount(f.lastI);
  t.columns = sweptCount(f.lastJ);
  return area;
}

template <class Load, class Friction>
LastPoint sweep(const Load& load, const Friction& friction, const SweepFrame& f) {
  LastPoint last;
  if (f.tracing) {
    last.area = sweepTraced(load, friction, f);
  } else if constexpr (requires(PointSweep& p) { load.into(p); }) {
    PointSweep points;
    points.rows = sweptCount(f.lastI);
    points.columns = sweptCount(f.lastJ);
    points.y = f.s.y.data();
    points.sumFx = f.s.sumFx.data();
    points.sumFy = f.s.sumFy.data();
    points.sumYFx = f.s.sumYFx.data();
    load.into(points);
    friction.into(points);
    sweepGridPoints(points);
  } else {
    sweepPoints(load, friction, f);
  }
  if (f.lastI >= 0 && f.lastJ >= 0) {
    const auto i = static_cast<std::size_t>(f.fromFront ? f.lastI : 0);
    last.pz = load.at(static_cast<std::size_t>(f.lastJ))(i);
    friction(i, last.pz, last.fx, last.fy);
    last.row = &f.rows[i];
  }
  return last;
}

/// The sweep for a load law with the friction law that sliding selects.
template <class Load>
LastPoint sweepWithFriction(const Load& load, const SweepFrame& f, int sliding, double adhesionFactor) {
  const SweepScratch& s = f.s;
  if (sliding >= 1) {
    return sweep(load,
                 FrictionLimited{adhesionFactor, s.adhesionLimit.data(), s.fxElastic.data(), s.fyElastic.data(),
                                 s.slideFx.data(), s.slideFy.data()},
                 f);
  }
  return sweep(load, ElasticOnly{s.fxElastic.data(), s.fyElastic.data()}, f);
}


/// Rectangular patch of the flattened tyre: the chord at the radial
/// deflection Fz/cR, as wide as the mean pressure needs, and its cells.
void rectangularPatch(const DiscreteProperties& t, DiscretePatch& p) {
  p.ncell = static_cast<double>(t.ni) * static_cast<double>(t.nj);
  const double deflected = t.R - p.Fz / t.cR;
  p.h = std::sqrt(t.R * t.R - deflected * deflected);
  p.b = p.Fz / (4.0 * t.pin * p.h);
  p.dx = 2.0 * p.h / t.ni;
  p.dy = 2.0 * p.b / t.nj;
}

/// Scales of the analytic pressure laws over ni*nj cells.
void pressureScales(const DiscreteProperties& t, DiscretePatch& p) {
  const double I = t.ni;
  const double J = t.nj;
  const double I2 = I * I;
  const double I4 = I2 * I2;
  const double J2 = J * J;
  const double J4 = J2 * J2;
  p.pscale1 = p.Fz * 3.0 * 0.5;
  p.pscale2 = 45.0 * p.Fz * J2 * I4 / ((48.0 * J2 - 12.0) * I4 + (40.0 * J2 - 10.0) * I2 - 28.0 * J2 + 7.0);
  p.pscale3 = 225.0 * p.Fz * J4 * I4 /
              ((216.0 * J4 + 300.0 * J2 - 336.0) * I4 + (180.0 * J4 + 250.0 * J2 - 280.0) * I2 - 126.0 * J4 -
               175.0 * J2 + 196.0);
}

/// Total slip and slip angle with their load-dependent offsets; the camber
/// acts as the curvature sin(gamma/R) of the lateral deflection.
void slipAndCamber(const DiscreteProperties& t, const OperatingPoint& input, DiscretePatch& p) {
  const double dF = t.Fzbar - p.Fz;
  p.sx = input.longitudinalSlip + t.sx0 + dF * t.soff;
  p.tanAlpha = std::tan((input.slipAngle + t.sy0 + dF * t.soff) * kPi / 180.0);
  p.camberRad = input.camber * kPi / 180.0;
  p.camberCurv = std::sin(input.camber * kPi / (180.0 * t.R));
}

/// Cell stiffnesses [N/mm] from the rectangular cells, also when the
/// geometry replaces the patch. The load factor is 1 + dF, not dF.
void cellStiffness(const DiscreteProperties& t, const DiscretePatch& p, RowInputs& in) {
  const double dF = t.Fzbar - p.Fz;
  in.Wx = (t.cx0 + t.cx1 * (1.0 + dF)) * p.dx * p.dy;
  in.Wy = (t.cy0 + t.cy1 * (1.0 + dF)) * p.dx * p.dy;
}

/// Patch from the crown geometry (pressure 4): the loads of all points in
/// contact add up to Fz.
void geometricPatch(const DiscreteProperties& t, DiscretePatch& p, SweepScratch& s, double sinCamber) {
  p.pnorm = 1.0;
  contactGeometry(t, p, s, sinCamber);
  p.pnorm = p.Fz / p.psum;
}

/// One row by the point-by-point laws: deflection, elastic force, sliding
/// speeds, the friction values and the sliding force per unit load into
/// its record and the sweep's arrays. Without camber every row slides
/// alike: the friction values of the row before (when given) serve again.
void rowByLaws(const DiscreteProperties& t, const DiscretePatch& p, const RowInputs& in, std::size_t at,
               RowState& row, const RowState* before, SweepScratch& s) {
  const double x = p.h - static_cast<double>(at) * p.dx;
  const double xr = x / p.h;
  const double L = in.fromFront ? p.h * (1.0 - xr) : p.h * (1.0 + xr);  // distance from the entry edge
  GridPoint& e = row.elastic;
  // The slip part grows from the entry edge; the camber parabola is 0 at both edges.
  e.ux = L * p.sx;
  e.uy = (1.0 - xr * xr) * (p.h * p.h) * p.camberCurv * 0.5 + L * p.tanAlpha;
  e.fx = e.ux * in.Wx;
  e.fy = e.uy * in.Wy;
  e.vsx = in.speed * p.sx;
  e.vsy = in.speed * (p.tanAlpha + p.camberCurv * x);
  row.x = x;
  s.x[at] = x;
  s.fxElastic[at] = e.fx;
  s.fyElastic[at] = e.fy;
  if (t.sliding >= 4) {
    tableCoefficient(t, in.g, in.pf, e, row.muT, row.Fs);
    s.adhesionLimit[at] = row.Fs;
    s.slideFx[at] = t.muexy * row.muT * e.fx / row.Fs;
    s.slideFy[at] = row.muT * e.fy / row.Fs;
  } else {
    row.choice = before != nullptr
                     ? frictionCoefficients(t, in.g, e, row.magnitude, &before->choice, before->magnitude.Vs)
                     : frictionCoefficients(t, in.g, e, row.magnitude);
    s.adhesionLimit[at] = row.magnitude.Fs;
    slidingDirection(t.sliding, row.choice, row.magnitude, e, s.slideFx[at], s.slideFy[at]);
  }
  s.rowLoad[at] = analyticRowLoad(t, p, xr * xr);
  s.sumFx[at] = 0.0;
  s.sumFy[at] = 0.0;
  s.sumYFx[at] = 0.0;
}

/// Everything but the load depends on the row alone and is worked out once
/// for all columns. The vector row stage fills the sweep's arrays; with the
/// trace on, which reads every row's record, the rows go by the
/// point-by-point laws instead (the same values to the bit). Without the
/// trace only the row of the last point gets its record, from the row
/// stage's values.
void rowStage(const DiscreteProperties& t, const DiscretePatch& p, const RowInputs& in, bool tracing,
              RowState* rows, SweepScratch& s) {
  if (tracing) {
    for (std::size_t i = 0; i < in.rows; ++i) rowByLaws(t, p, in, i, rows[i], i > 0 ? &rows[i - 1] : nullptr, s);
    return;
  }
  sweepRows(t, p, in, s);
  if (in.rows == 0) return;
  const std::size_t at = in.fromFront ? in.rows - 1 : 0;
  RowState& row = rows[at];
  row.x = s.x[at];
  row.elastic.ux = s.ux[at];
  row.elastic.uy = s.uy[at];
  row.elastic.fx = s.fxElastic[at];
  row.elastic.fy = s.fyElastic[at];
  row.elastic.vsx = in.speed * p.sx;
  row.elastic.vsy = s.vsy[at];
  row.choice = frictionPairs(t, row.elastic.vsx, row.elastic.vsy);
  row.choice.muex = s.muex[at];
  row.choice.muey = s.muey[at];
}

/// The points of the grid for the load law that pressure selects, with the
/// friction law that sliding selects; each pair's point loop is its own
/// instance.
LastPoint pointStage(const DiscreteProperties& t, const DiscretePatch& p, const SweepFrame& frame,
                     double adhesionFactor, double sinCamber) {
  SweepScratch& s = frame.s;
  if (t.pressure < 4) {
    return sweepWithFriction(SeparableLoad{s.rowLoad.data(), s.columnLoad.data()}, frame, t.sliding, adhesionFactor);
  }
  // Pressure 5 and above: on the geometry an earlier evaluation left.
  if (t.pressure != 4 && frame.lastI >= 0) geometricWeights(p, s, sinCamber);
  const double scale = p.pnorm / p.ncell;
  if (std::isfinite(scale)) {
    return sweepWithFriction(WeightedLoad{s.weight.data(), static_cast<std::size_t>(p.gridRows), scale}, frame,
                             t.sliding, adhesionFactor);
  }
  // No load in contact: points out of contact carry 0, those in contact no number.
  return sweepWithFriction(PointwiseGeometricLoad{&p, s.x.data(), s.y.data(), sinCamber}, frame, t.sliding,
                           adhesionFactor);
}

/// Fx, Fy and the moment about the patch centre from the row accumulators.
TyreForces rowSums(const SweepScratch& s, std::size_t rows) {
  TyreForces sum{0.0, 0.0, 0.0};
  for (std::size_t i = 0; i < rows; ++i) {
    sum.Fx += s.sumFx[i];
    sum.Fy += s.sumFy[i];
    sum.Mz += s.x[i] * s.sumFy[i] - s.sumYFx[i];
  }
  return sum;
}

/// The record keeps the last point of the sweep: on the exit edge of the
/// last column. The speed-table law chooses no friction pair.
void keepLastPoint(const LastPoint& last, bool tableLaw, DiscreteTrace& trace) {
  if (last.row == nullptr) return;
  const GridPoint& e = last.row->elastic;
  trace.last = {e.ux, e.uy, last.fx, last.fy, e.vsx, e.vsy, last.pz};
  if (!tableLaw) trace.lastFriction = last.row->choice;
}

}  // namespace

void DiscreteModel::evaluate(const OperatingPoint& input, TyreForces& forces) {
  trace_.rows = 0;
  trace_.columns = 0;
  if (input.verticalLoad < kLeastLoad) {  // the patch of the evaluation before stays
    forces = TyreForces{};
    return;
  }
  const DiscreteProperties& t = tyre_;
  DiscretePatch& p = patch_;
  SweepScratch& s = scratch_;
  p.Fz = input.verticalLoad;
  p.V = input.speed;
  p.sweep(t.ni, t.nj);
  rectangularPatch(t, p);
  pressureScales(t, p);
  slipAndCamber(t, input, p);
  RowInputs in;
  cellStiffness(t, p, in);  // of the rectangular cells
  const double sinCamber = std::sin(p.camberRad);
  p.Area = 0.0;
  if (t.pressure == 4) geometricPatch(t, p, s, sinCamber);

  // Sweep from the entry edge to the exit edge of each lateral column: for a
  // negative speed from x = +h (i = 0), otherwise from x = -h (i = ni).
  in.rows = sweptCount(p.lastRow);
  in.speed = std::fabs(p.V);
  in.g = frictionLoadFactor(t, p);
  in.pf = t.sliding >= 4 ? cellLoadFactor(t, p) : 0.0;
  in.fromFront = p.V < 0.0;
  const bool tracing = draw3d_ == 1;
  rowStage(t, p, in, tracing, rows_.data(), s);
  // Pressure selectors below 1 keep the load of the last point before at every point.
  columnFactors(t, p, trace_.last.pz, sweptCount(p.lastColumn), s);

  const SweepFrame frame{s, p.lastRow, p.lastColumn, in.fromFront, tracing, p.dy * p.dx, rows_.data(), &trace_};
  const bool tableLaw = t.sliding >= 4;
  const double adhesionFactor = tableLaw ? t.mue0 * in.pf * in.g : t.mue0;
  const LastPoint last = pointStage(t, p, frame, adhesionFactor, sinCamber);
  const TyreForces sum = rowSums(s, in.rows);
  keepLastPoint(last, tableLaw, trace_);
  p.Area = last.area;
  if (tracing && traceFile_ != nullptr) writeTrace(traceFile_, trace_);

  // The scale follows the lateral sliding of the exit-edge point of the last
  // column; the moment is not negated.
  forces.Fx = sum.Fx;
  forces.Fy = sum.Fy;
  forces.Mz = trace_.last.vsy > 0.0 ? sum.Mz * t.MzScaleP : sum.Mz * t.MzScaleN;
}

}  // namespace grip
