// Evaluation of the discrete model: the grid sweep and its trace.

#include <cmath>
#include <cstdio>

#include "discrete/DiscreteMessages.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"

namespace grip {

namespace {

constexpr double kLeastLoad = 1e-10;  // below this load [N] the tyre carries nothing

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
  Area = 0.0;

  if (pressure == 4) {
    pnorm = 1.0;
    contactGeometry(*this);
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
  const bool geometric = pressure >= 4;
  const double sinCamber = std::sin(camberRad);
  const bool tracing = draw3d == 1;
  std::FILE* const stream = tracing ? traceFile : nullptr;
  const double cellArea = dy * dx;
  const double h2 = h * h;

  GridPoint p{ux, uy, fx, fy, vsx, vsy, pz};
  FrictionChoice choice{mue1x, cmuex, mue1y, cmuey, muex, muey};
  double sumFx = 0.0;
  double sumFy = 0.0;
  double sumMz = 0.0;
  double area = 0.0;
  for (int j = 0; j <= lastJ; ++j) {
    const double y = b - j * dy;
    for (int n = 0; n <= lastI; ++n) {
      const int i = fromFront ? n : lastI - n;
      RowState& row = rows_[static_cast<std::size_t>(i)];
      if (j == 0) {
        // Deflection, elastic force, sliding speed and the friction values
        // depend on x alone: the first column works them out for all.
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
        if (tableLaw) {
          tableCoefficient(*this, g, pf, e, row.muT, row.Fs);
        } else {
          row.choice = frictionCoefficients(*this, g, e, row.magnitude);
        }
      }
      const double x = row.x;
      const double load = p.pz;
      p = row.elastic;
      p.pz = load;
      if (geometric) {
        p.pz = geometricLoad(*this, x, y, i, j, sinCamber);
      } else {
        analyticLoad(*this, x, y, p.pz);  // other selectors keep the load as it was
      }
      if (tableLaw) {
        tableSaturation(*this, g, pf, row.muT, row.Fs, p);
      } else {
        frictionSaturation(*this, row.choice, row.magnitude, p);
        choice = row.choice;
      }
      if (tracing) {
        if (stream != nullptr) std::fprintf(stream, trace::kPointLine, x, y, p.ux, p.uy, p.pz, p.fx, p.fy);
        if (p.pz > 0.0) area += cellArea;
      }
      sumFx += p.fx;
      sumFy += p.fy;
      sumMz = (sumMz + x * p.fy) - y * p.fx;  // moment about the patch centre
    }
    if (stream != nullptr) std::fputs(trace::kBlockEnd, stream);
  }

  // The record keeps the last point of the sweep.
  ux = p.ux;
  uy = p.uy;
  fx = p.fx;
  fy = p.fy;
  vsx = p.vsx;
  vsy = p.vsy;
  pz = p.pz;
  mue1x = choice.mue1x;
  cmuex = choice.cmuex;
  mue1y = choice.mue1y;
  cmuey = choice.cmuey;
  muex = choice.muex;
  muey = choice.muey;
  Area = area;

  // The scale follows the lateral sliding of the exit-edge point of the last
  // column; the moment is not negated.
  forces.Fx = sumFx;
  forces.Fy = sumFy;
  forces.Mz = vsy > 0.0 ? sumMz * MzScaleP : sumMz * MzScaleN;
}

}  // namespace grip
