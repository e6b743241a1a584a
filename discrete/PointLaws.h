#pragma once

// The per-point laws of the discrete model as inline kernels on one grid
// point's state, so that the sweep keeps that state in locals. They read the
// tyre's properties (t) and the patch of the evaluation (p); the vector
// kernels give the same values to the bit.

#include <cmath>

#include "core/Numbers.h"
#include "discrete/DiscretePatch.h"
#include "discrete/DiscreteProperties.h"
#include "discrete/GridPoint.h"

namespace grip {

/// Load factor of the friction values, 1 at the reference load [-].
inline double frictionLoadFactor(const DiscreteProperties& t, const DiscretePatch& p) { return 1.0 + (t.Fzbar - p.Fz) * t.mueFz; }

/// Analytic pressure law 1, 2 or 3 at (x, y) into load; false (load
/// untouched) for any other selector.
inline bool analyticLoad(const DiscreteProperties& t, const DiscretePatch& p, double x, double y, double& load) {
  const double xr = x / p.h;
  const double yr = y / p.b;
  const double u = xr * xr;
  const double v = yr * yr;
  switch (t.pressure) {
    case 1: load = (1.0 - integerPower(u, 2)) * p.pscale1 / p.ncell; return true;
    case 2: load = (1.0 + v) * (1.0 - integerPower(u, 4)) * p.pscale2 / p.ncell; return true;
    case 3:
      load = (1.0 + 2.0 * v - 3.0 * integerPower(v, 4)) * (1.0 - integerPower(u, 4)) * p.pscale3 / p.ncell;
      return true;
    default: return false;
  }
}

/// Analytic pressure law as a product of a row factor and a column factor,
/// so that the sweep multiplies once per point: the row factor of the law
/// at u = (x/h)^2. Law 1 depends on x alone and its row factor is the load
/// [N]; any other selector gives 1.
inline double analyticRowLoad(const DiscreteProperties& t, const DiscretePatch& p, double u) {
  switch (t.pressure) {
    case 1: return (1.0 - integerPower(u, 2)) * p.pscale1 / p.ncell;
    case 2:
    case 3: return 1.0 - integerPower(u, 4);
    default: return 1.0;
  }
}

/// Column factor of the analytic law at v = (y/b)^2, with the scale and the
/// cell count [N]: 1 for law 1, and loadBefore for a selector that keeps the
/// load as it was (below 1).
inline double analyticColumnLoad(const DiscreteProperties& t, const DiscretePatch& p, double v, double loadBefore) {
  switch (t.pressure) {
    case 1: return 1.0;
    case 2: return (1.0 + v) * p.pscale2 / p.ncell;
    case 3: return (1.0 + 2.0 * v - 3.0 * integerPower(v, 4)) * p.pscale3 / p.ncell;
    default: return loadBefore;
  }
}

/// Geometric weight of grid point (i, j) at (x, y): its load without the
/// factor pnorm/ncell; sinCamber is sin(camberRad). False, and a weight of
/// 0, for a point without load: out of contact (a contact measure that is
/// not a number counts as out), in a column without half length or in a
/// row without width. The sweep computes the same weights column by column
/// (geometricWeights).
inline bool geometricWeight(const DiscretePatch& p, double x, double y, int i, int j, double sinCamber,
                            double& weight) {
  weight = 0.0;
  if (!(p.gapAt(i, j) <= 0.0)) return false;
  const double L = p.xhalf[static_cast<std::size_t>(j)];
  if (L <= 0.0) return false;
  const double top = p.ymax[static_cast<std::size_t>(i)];
  const double bottom = p.ymin[static_cast<std::size_t>(i)];
  const double w = std::fabs(top - bottom);
  if (w <= 0.0) return false;
  const double xr = x / L;
  const double q = xr * xr;
  const double eta = (2.0 * y - (top + bottom)) / w;
  double k = 1.0 - 5.0 * sinCamber * eta;  // camber moves load towards negative eta
  if (k < 0.0) k = 0.0;
  weight = (1.0 - integerPower(q, 4)) * (1.0 + 2.0 * eta * eta - 3.0 * integerPower(eta, 6)) * k;
  return true;
}

/// Geometric load of grid point (i, j) at (x, y): its weight times
/// pnorm/ncell, and exactly 0 for a point without load whatever pnorm is.
inline double geometricLoad(const DiscretePatch& p, double x, double y, int i, int j, double sinCamber) {
  double weight = 0.0;
  if (!geometricWeight(p, x, y, i, j, sinCamber, weight)) return 0.0;
  return weight * p.pnorm / p.ncell;
}

/// The sliding friction pairs of a point by the signs of its sliding
/// speeds: a speed of exactly 0 takes the negative side. The friction
/// values themselves are left 0.
inline FrictionChoice frictionPairs(const DiscreteProperties& t, double vsx, double vsy) {
  FrictionChoice c;
  if (vsx > 0.0) {
    c.mue1x = t.mue1xp;
    c.cmuex = t.cmuexp;
  } else {
    c.mue1x = t.mue1xn;
    c.cmuex = t.cmuexn;
  }
  if (vsy > 0.0) {
    c.mue1y = t.mue1yp;
    c.cmuey = t.cmueyp;
  } else {
    c.mue1y = t.mue1yn;
    c.cmuey = t.cmueyn;
  }
  return c;
}

/// Friction law at one point, the part that does not depend on its load:
/// chooses the sliding pairs by the signs of the sliding speeds and computes
/// the coefficients and magnitudes. When earlier holds the values of a point
/// that slides as fast with the same pairs, its coefficients are taken over
/// (they are the same to the bit) instead of being worked out again.
inline FrictionChoice frictionCoefficients(const DiscreteProperties& t, double g, const GridPoint& p,
                                           PointMagnitudes& magnitude, const FrictionChoice* earlier = nullptr,
                                           double earlierVs = 0.0) {
  FrictionChoice c = frictionPairs(t, p.vsx, p.vsy);
  // Vanishing magnitudes count as 1, so that the directions below stay finite.
  magnitude.Vs = std::sqrt(p.vsx * p.vsx + p.vsy * p.vsy);
  magnitude.Fs = std::sqrt(p.fx * p.fx + p.fy * p.fy);
  magnitude.Us = std::sqrt(p.ux * p.ux + p.uy * p.uy);
  if (magnitude.Vs < 1e-10) magnitude.Vs = 1.0;
  if (magnitude.Fs < 1e-10) magnitude.Fs = 1.0;
  if (magnitude.Us < 1e-10) magnitude.Us = 1.0;

  if (earlier != nullptr && earlierVs == magnitude.Vs && earlier->mue1x == c.mue1x && earlier->cmuex == c.cmuex &&
      earlier->mue1y == c.mue1y && earlier->cmuey == c.cmuey) {
    c.muex = earlier->muex;
    c.muey = earlier->muey;
    return c;
  }
  // Friction decays with the sliding speed from the static value to the
  // sliding value; the difference term carries the load factor once more.
  const double mu0 = g * t.mue0;
  c.muex = mu0 + g * (1.0 - std::exp(-magnitude.Vs / (g * c.cmuex))) * (g * c.mue1x - mu0);
  c.muey = mu0 + g * (1.0 - std::exp(-magnitude.Vs / (g * c.cmuey))) * (g * c.mue1y - mu0);
  return c;
}

/// Friction law at one point, the part that depends on its load: when the
/// elastic force exceeds the static limit (without the load factor) it is
/// replaced by the sliding force, whose direction the sliding selector takes
/// from the speed (1), the deflection (2) or the elastic force (3). Other
/// selectors below 4 leave the force as it is.
inline void frictionSaturation(const DiscreteProperties& t, const FrictionChoice& c, const PointMagnitudes& magnitude,
                               GridPoint& p) {
  if (magnitude.Fs <= p.pz * t.mue0) return;  // adhesion
  switch (t.sliding) {
    case 1:
      p.fx = p.pz * c.muex * p.vsx / magnitude.Vs;
      p.fy = p.pz * c.muey * p.vsy / magnitude.Vs;
      break;
    case 2:
      p.fx = p.pz * c.muex * p.ux / magnitude.Us;
      p.fy = p.pz * c.muey * p.uy / magnitude.Us;
      break;
    case 3:
      p.fx = p.pz * c.muex * p.fx / magnitude.Fs;
      p.fy = p.pz * c.muey * p.fy / magnitude.Fs;
      break;
    default: break;  // no saturation
  }
}

/// Sliding force per unit load of a point whose elastic state is p, for
/// the friction selector sliding 1 to 3: the direction of the speed (1), the
/// deflection (2) or the elastic force (3), times its friction values. Any
/// other selector gives 0.
inline void slidingDirection(int sliding, const FrictionChoice& c, const PointMagnitudes& magnitude,
                             const GridPoint& p, double& perLoadX, double& perLoadY) {
  switch (sliding) {
    case 1:
      perLoadX = c.muex * p.vsx / magnitude.Vs;
      perLoadY = c.muey * p.vsy / magnitude.Vs;
      return;
    case 2:
      perLoadX = c.muex * p.ux / magnitude.Us;
      perLoadY = c.muey * p.uy / magnitude.Us;
      return;
    case 3:
      perLoadX = c.muex * p.fx / magnitude.Fs;
      perLoadY = c.muey * p.fy / magnitude.Fs;
      return;
    default:
      perLoadX = 0.0;
      perLoadY = 0.0;
      return;
  }
}

/// Load-per-cell factor of the table law, the same for every point [-].
inline double cellLoadFactor(const DiscreteProperties& t, const DiscretePatch& p) {
  return 0.5 * (t.frica0 + std::exp(-t.frica1 * p.Fz / (p.dx * p.dy)));
}

/// Friction value of the speed table at the weighted sliding speed:
/// linear in the segment that holds it, the first segment extended below
/// the table, the last value at and above its end.
inline double speedTableFriction(const DiscreteProperties& t, double speed) {
  const int n = t.ntab < 1 ? 1 : (t.ntab > kSpeedTableLength ? kSpeedTableLength : t.ntab);
  for (int k = 1; k < n; ++k) {
    const auto at = static_cast<std::size_t>(k);
    if (speed < t.vtab[at]) {
      return t.mutab[at - 1] + (t.mutab[at] - t.mutab[at - 1]) / (t.vtab[at] - t.vtab[at - 1]) * (speed - t.vtab[at - 1]);
    }
  }
  return t.mutab[static_cast<std::size_t>(n - 1)];
}

/// Table friction law at one point, the part that does not depend on its
/// load: the effective coefficient at the weighted sliding speed (with the
/// load factor g and the load-per-cell factor pf) and the elastic force.
inline void tableCoefficient(const DiscreteProperties& t, double g, double pf, const GridPoint& p, double& muT,
                             double& Fs) {
  const double wx = t.Vmuexy * p.vsx;
  muT = speedTableFriction(t, std::sqrt(wx * wx + p.vsy * p.vsy)) * pf * g;
  Fs = std::sqrt(p.fx * p.fx + p.fy * p.fy);
}

/// Table friction law at one point, the part that depends on its load: a
/// sliding point keeps the direction of its elastic force, and muexy scales
/// its longitudinal part.
inline void tableSaturation(const DiscreteProperties& t, double g, double pf, double muT, double Fs, GridPoint& p) {
  if (t.mue0 * pf * g * p.pz >= Fs) return;  // adhesion
  p.fx = t.muexy * muT * p.pz * p.fx / Fs;
  p.fy = muT * p.pz * p.fy / Fs;
}

}  // namespace grip
