// Evaluation of the discrete model: the grid sweep and its trace.

#include <cmath>
#include <cstddef>
#include <cstdio>

#include "core/NumberText.h"
#include "discrete/DiscreteMessages.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepKernels.h"

namespace grip {

namespace {

constexpr double kLeastLoad = 1e-10;  // below this load [N] the tyre carries nothing

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
  const DiscreteModel* model;
  const double* x;
  const double* y;
  double sinCamber;
  struct Column {
    const DiscreteModel* model;
    const double* x;
    double y;
    int j;
    double sinCamber;
    double operator()(std::size_t i) const { return geometricLoad(*model, x[i], y, static_cast<int>(i), j, sinCamber); }
  };
  Column at(std::size_t j) const { return {model, x, y[j], static_cast<int>(j), sinCamber}; }
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
  bool tracing;          ///< draw3d is 1: trace lines and the area
  std::FILE* stream;     ///< trace stream, none when not tracing or not attached
  double cellArea;       ///< dx dy [mm^2]
  const RowState* rows;  ///< the rows' deflections and friction values
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
/// edge, one trace line per point and a closing line per column, and the
/// area of the loaded cells. Every row accumulator takes its columns in the
/// same order as in sweepPoints, so the forces are the same to the last bit.
template <class Load, class Friction>
double sweepTraced(const Load& load, const Friction& friction, const SweepFrame& f) {
  double area = 0.0;
  for (int j = 0; j <= f.lastJ; ++j) {
    const auto column = load.at(static_cast<std::size_t>(j));
    const double y = f.s.y[static_cast<std::size_t>(j)];
    for (int n = 0; n <= f.lastI; ++n) {
      const auto i = static_cast<std::size_t>(f.fromFront ? n : f.lastI - n);
      const double pz = column(i);
      double fx = 0.0;
      double fy = 0.0;
      friction(i, pz, fx, fy);
      if (f.stream != nullptr) {
        const GridPoint& e = f.rows[i].elastic;
        // In the C locale whatever the host's: Python reads the trace back.
        static const NumberLine kTraceLine(trace::kPointLine);
        const double line[] = {f.s.x[i], y, e.ux, e.uy, pz, fx, fy};
        kTraceLine.write(f.stream, line);
      }
      if (pz > 0.0) area += f.cellArea;
      f.s.sumFx[i] += fx;
      f.s.sumFy[i] += fy;
      f.s.sumYFx[i] += y * fx;
    }
    if (f.stream != nullptr) std::fputs(trace::kBlockEnd, f.stream);
  }
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

}  // namespace

void DiscreteModel::evaluate(const OperatingPoint& input, TyreForces& forces) {
  sx = input.longitudinalSlip;
  tanAlpha = input.slipAngle;
  camberCurv = input.camber;
  Fz = input.verticalLoad;
  V = input.speed;
  if (Fz < kLeastLoad) {  // the patch of the evaluation before stays
    forces = TyreForces{};
    return;
  }

  // Rectangular patch of the flattened tyre: the chord at the radial
  // deflection Fz/cR, as wide as the mean pressure needs.
  ncell = static_cast<double>(ni) * static_cast<double>(nj);
  const double deflected = R - Fz / cR;
  h = std::sqrt(R * R - deflected * deflected);
  b = Fz / (4.0 * pin * h);
  dx = 2.0 * h / ni;
  dy = 2.0 * b / nj;

  // Cell stiffnesses from the rectangular cells, also when the geometry
  // replaces the patch below. The load factor is 1 + dF, not dF.
  const double dF = Fzbar - Fz;
  const double Wx = (cx0 + cx1 * (1.0 + dF)) * dx * dy;
  const double Wy = (cy0 + cy1 * (1.0 + dF)) * dx * dy;

  // Scales of the analytic pressure laws over ni*nj cells.
  const double I = ni;
  const double J = nj;
  const double I2 = I * I;
  const double I4 = I2 * I2;
  const double J2 = J * J;
  const double J4 = J2 * J2;
  pscale1 = Fz * 3.0 * 0.5;
  pscale2 = 45.0 * Fz * J2 * I4 / ((48.0 * J2 - 12.0) * I4 + (40.0 * J2 - 10.0) * I2 - 28.0 * J2 + 7.0);
  pscale3 = 225.0 * Fz * J4 * I4 /
            ((216.0 * J4 + 300.0 * J2 - 336.0) * I4 + (180.0 * J4 + 250.0 * J2 - 280.0) * I2 - 126.0 * J4 -
             175.0 * J2 + 196.0);

  // Total slip and slip angle with their load-dependent offsets; the camber
  // acts as the curvature sin(gamma/R) of the lateral deflection.
  sx = input.longitudinalSlip + sx0 + dF * soff;
  tanAlpha = std::tan((input.slipAngle + sy0 + dF * soff) * pi / 180.0);
  camberRad = input.camber * pi / 180.0;
  camberCurv = std::sin(input.camber * pi / (180.0 * R));
  const double sinCamber = std::sin(camberRad);
  Area = 0.0;

  SweepScratch& s = scratch_;
  if (pressure == 4) {
    pnorm = 1.0;
    contactGeometry(*this, s, sinCamber);
    pnorm = Fz / psum;  // the loads of all points in contact add up to Fz
  }

  // Sweep from the entry edge to the exit edge of each lateral column: for a
  // negative speed from x = +h (i = 0), otherwise from x = -h (i = ni).
  const int lastI = lastRow();
  const int lastJ = lastColumn();
  const bool fromFront = V < 0.0;
  const double speed = std::fabs(V);
  const double g = frictionLoadFactor(*this);
  const bool tableLaw = sliding >= 4;
  const double pf = tableLaw ? cellLoadFactor(*this) : 0.0;
  const double h2 = h * h;
  const double loadBefore = pz;  // pressure selectors below 1 keep this load at every point

  // Everything but the load depends on the row alone: deflection, elastic
  // force, sliding speed, the friction values and the sliding force per
  // unit load, worked out once for all columns. The vector row stage fills
  // the sweep's arrays; with the trace on, which reads every row's record,
  // the rows go by the point-by-point laws instead (the same values to the
  // bit).
  const auto rowRecord = [&](int i, const RowState* before) {
    const auto at = static_cast<std::size_t>(i);
    RowState& row = rows_[at];
    const double x = h - i * dx;
    const double xr = x / h;
    const double L = fromFront ? h * (1.0 - xr) : h * (1.0 + xr);  // distance from the entry edge
    GridPoint& e = row.elastic;
    // The slip part grows from the entry edge; the camber parabola is 0 at both edges.
    e.ux = L * sx;
    e.uy = (1.0 - xr * xr) * h2 * camberCurv * 0.5 + L * tanAlpha;
    e.fx = e.ux * Wx;
    e.fy = e.uy * Wy;
    e.vsx = speed * sx;
    e.vsy = speed * (tanAlpha + camberCurv * x);
    row.x = x;
    s.x[at] = x;
    s.fxElastic[at] = e.fx;
    s.fyElastic[at] = e.fy;
    if (tableLaw) {
      tableCoefficient(*this, g, pf, e, row.muT, row.Fs);
      s.adhesionLimit[at] = row.Fs;
      s.slideFx[at] = muexy * row.muT * e.fx / row.Fs;
      s.slideFy[at] = row.muT * e.fy / row.Fs;
    } else {
      // Without camber every row slides alike: the friction values of the
      // row before serve again.
      row.choice = before != nullptr
                       ? frictionCoefficients(*this, g, e, row.magnitude, &before->choice, before->magnitude.Vs)
                       : frictionCoefficients(*this, g, e, row.magnitude);
      s.adhesionLimit[at] = row.magnitude.Fs;
      slidingDirection(sliding, row.choice, row.magnitude, e, s.slideFx[at], s.slideFy[at]);
    }
    s.rowLoad[at] = analyticRowLoad(*this, xr * xr);
    s.sumFx[at] = 0.0;
    s.sumFy[at] = 0.0;
    s.sumYFx[at] = 0.0;
  };
  const bool tracing = draw3d == 1;
  if (tracing) {
    for (int i = 0; i <= lastI; ++i) rowRecord(i, i > 0 ? &rows_[static_cast<std::size_t>(i) - 1] : nullptr);
  } else {
    sweepRows(*this, RowInputs{sweptCount(lastI), Wx, Wy, speed, g, pf, fromFront}, s);
    if (lastI >= 0) {
      // The record of the last point reads its row's state: the row stage
      // has it, the same values the point-by-point laws give.
      const auto at = static_cast<std::size_t>(fromFront ? lastI : 0);
      RowState& row = rows_[at];
      row.x = s.x[at];
      row.elastic.ux = s.ux[at];
      row.elastic.uy = s.uy[at];
      row.elastic.fx = s.fxElastic[at];
      row.elastic.fy = s.fyElastic[at];
      row.elastic.vsx = speed * sx;
      row.elastic.vsy = s.vsy[at];
      row.choice = frictionPairs(*this, row.elastic.vsx, row.elastic.vsy);
      row.choice.muex = s.muex[at];
      row.choice.muey = s.muey[at];
    }
  }
  columnFactors(*this, loadBefore, sweptCount(lastJ), s);

  // The load law and the friction law are chosen here, once: the point loop
  // of each pair is its own instance.
  const SweepFrame frame{s, lastI, lastJ, fromFront, tracing, tracing ? traceFile : nullptr, dy * dx, rows_.data()};
  const double adhesionFactor = tableLaw ? mue0 * pf * g : mue0;
  LastPoint last;
  if (pressure >= 4) {
    // Pressure 5 and above: on the geometry an earlier evaluation left.
    if (pressure != 4 && lastI >= 0) geometricWeights(*this, s, sinCamber);
    const double scale = pnorm / ncell;
    if (std::isfinite(scale)) {
      last = sweepWithFriction(WeightedLoad{s.weight.data(), static_cast<std::size_t>(gridRows_), scale}, frame,
                               sliding, adhesionFactor);
    } else {  // no load in contact: points out of contact carry 0, those in contact no number
      last = sweepWithFriction(PointwiseGeometricLoad{this, s.x.data(), s.y.data(), sinCamber}, frame, sliding,
                               adhesionFactor);
    }
  } else {
    last = sweepWithFriction(SeparableLoad{s.rowLoad.data(), s.columnLoad.data()}, frame, sliding, adhesionFactor);
  }

  double sumFx = 0.0;
  double sumFy = 0.0;
  double sumMz = 0.0;  // moment about the patch centre
  for (int i = 0; i <= lastI; ++i) {
    const auto at = static_cast<std::size_t>(i);
    sumFx += s.sumFx[at];
    sumFy += s.sumFy[at];
    sumMz += s.x[at] * s.sumFy[at] - s.sumYFx[at];
  }

  // The record keeps the last point of the sweep: on the exit edge of the
  // last column.
  if (last.row != nullptr) {
    const GridPoint& e = last.row->elastic;
    ux = e.ux;
    uy = e.uy;
    vsx = e.vsx;
    vsy = e.vsy;
    fx = last.fx;
    fy = last.fy;
    pz = last.pz;
    if (!tableLaw) {
      const FrictionChoice& choice = last.row->choice;
      mue1x = choice.mue1x;
      cmuex = choice.cmuex;
      mue1y = choice.mue1y;
      cmuey = choice.cmuey;
      muex = choice.muex;
      muey = choice.muey;
    }
  }
  Area = last.area;

  // The scale follows the lateral sliding of the exit-edge point of the last
  // column; the moment is not negated.
  forces.Fx = sumFx;
  forces.Fy = sumFy;
  forces.Mz = vsy > 0.0 ? sumMz * MzScaleP : sumMz * MzScaleN;
}

}  // namespace grip
