// Vector kernels of the grid sweep (see SweepKernels.h): the forces of
// every grid point into the row accumulators, the row stage and the column
// stage. A kernel runs down a column, a vector of rows at a time, and the
// rows a vector does not fill take the same operations one at a time. No
// multiply and add is fused (the file is compiled with contraction off), so
// a lane rounds as the point-by-point code does.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "discrete/SweepKernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <array>
#include <cmath>
#include <cstddef>

#include "discrete/DiscretePatch.h"
#include "discrete/DiscreteProperties.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepKernels.h"
#include "discrete/SweepScratch.h"

HWY_BEFORE_NAMESPACE();
namespace grip {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

/// Adds the forces of columns j0 .. j0 + kColumns - 1 into the row
/// accumulators: every row's sums take the columns in order.
template <bool kLimited, std::size_t kColumns>
HWY_INLINE void sweepColumnBlock(const PointSweep& s, std::size_t j0) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  std::array<const double*, kColumns> load{};
  std::array<double, kColumns> factor{};
  std::array<double, kColumns> y{};
  for (std::size_t c = 0; c < kColumns; ++c) {
    load[c] = s.load + (j0 + c) * s.loadStride;
    factor[c] = s.factor[(j0 + c) * s.factorStride];
    y[c] = s.y[j0 + c];
  }
  const V adhesionFactor = hn::Set(d, s.adhesionFactor);
  std::size_t i = 0;
  for (; i + lanes <= s.rows; i += lanes) {
    const V fxElastic = hn::LoadU(d, s.fxElastic + i);
    const V fyElastic = hn::LoadU(d, s.fyElastic + i);
    V sumFx = hn::LoadU(d, s.sumFx + i);
    V sumFy = hn::LoadU(d, s.sumFy + i);
    V sumYFx = hn::LoadU(d, s.sumYFx + i);
    for (std::size_t c = 0; c < kColumns; ++c) {
      V fx = fxElastic;
      V fy = fyElastic;
      if constexpr (kLimited) {
        // A load that is no number fails the comparison and slides.
        const V pz = hn::Mul(hn::LoadU(d, load[c] + i), hn::Set(d, factor[c]));
        const auto adhesion = hn::Ge(hn::Mul(adhesionFactor, pz), hn::LoadU(d, s.adhesionLimit + i));
        fx = hn::IfThenElse(adhesion, fxElastic, hn::Mul(pz, hn::LoadU(d, s.slideFx + i)));
        fy = hn::IfThenElse(adhesion, fyElastic, hn::Mul(pz, hn::LoadU(d, s.slideFy + i)));
      }
      sumFx = hn::Add(sumFx, fx);
      sumFy = hn::Add(sumFy, fy);
      sumYFx = hn::Add(sumYFx, hn::Mul(hn::Set(d, y[c]), fx));
    }
    hn::StoreU(sumFx, d, s.sumFx + i);
    hn::StoreU(sumFy, d, s.sumFy + i);
    hn::StoreU(sumYFx, d, s.sumYFx + i);
  }
  for (; i < s.rows; ++i) {
    for (std::size_t c = 0; c < kColumns; ++c) {
      double fx = s.fxElastic[i];
      double fy = s.fyElastic[i];
      if constexpr (kLimited) {
        const double pz = load[c][i] * factor[c];
        if (!(s.adhesionFactor * pz >= s.adhesionLimit[i])) {
          fx = pz * s.slideFx[i];
          fy = pz * s.slideFy[i];
        }
      }
      s.sumFx[i] += fx;
      s.sumFy[i] += fy;
      s.sumYFx[i] += y[c] * fx;
    }
  }
}

template <bool kLimited>
HWY_INLINE void sweepColumns(const PointSweep& s) {
  std::size_t j = 0;
  for (; j + kSweepColumnBlock <= s.columns; j += kSweepColumnBlock)
    sweepColumnBlock<kLimited, kSweepColumnBlock>(s, j);
  for (; j < s.columns; ++j) sweepColumnBlock<kLimited, 1>(s, j);
}

void sweepGridPoints(const PointSweep& s) {
  if (s.frictionLimited) {
    sweepColumns<true>(s);
  } else {
    sweepColumns<false>(s);
  }
}

/// Friction values of every row from its sliding speed. The speed table
/// goes one row at a time; a row that slides as fast as the row before
/// takes its value over.
void tableFrictionValues(const DiscreteProperties& t, const RowInputs& in, SweepScratch& s) {
  for (std::size_t i = 0; i < in.rows; ++i) {
    const double speed = s.slideSpeed[i];
    s.muex[i] = i > 0 && speed == s.slideSpeed[i - 1] ? s.muex[i - 1] : speedTableFriction(t, speed) * in.pf * in.g;
  }
}

/// Friction values of every row from its sliding speed: friction decays
/// with the sliding speed from the static value to the sliding value, the
/// difference term carrying the load factor once more. The exponents and
/// the values around the exponentials go by vector; the exponentials one
/// row at a time, a row with the exponent of the row before taking its
/// value over (the same to the bit).
void directionFrictionValues(const DiscreteProperties& t, const DiscretePatch& p, const RowInputs& in, SweepScratch& s) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t rows = in.rows;
  const double g = in.g;
  const double vsx = in.speed * p.sx;
  const double mue1x = vsx > 0.0 ? t.mue1xp : t.mue1xn;
  const double cmuex = vsx > 0.0 ? t.cmuexp : t.cmuexn;
  const double mu0 = g * t.mue0;
  double* const muex = s.muex.data();
  double* const muey = s.muey.data();
  const double* const speed = s.slideSpeed.data();
  const double* const vsy = s.vsy.data();

  // The exponents, into muex and muey.
  const V gCmuex = hn::Set(d, g * cmuex);
  const V vg = hn::Set(d, g);
  const V zero = hn::Zero(d);
  std::size_t i = 0;
  for (; i + lanes <= rows; i += lanes) {
    const V negativeSpeed = hn::Neg(hn::LoadU(d, speed + i));
    const auto positive = hn::Gt(hn::LoadU(d, vsy + i), zero);
    const V cmuey = hn::IfThenElse(positive, hn::Set(d, t.cmueyp), hn::Set(d, t.cmueyn));
    hn::StoreU(hn::Div(negativeSpeed, gCmuex), d, muex + i);
    hn::StoreU(hn::Div(negativeSpeed, hn::Mul(vg, cmuey)), d, muey + i);
  }
  for (; i < rows; ++i) {
    muex[i] = -speed[i] / (g * cmuex);
    muey[i] = -speed[i] / (g * (vsy[i] > 0.0 ? t.cmueyp : t.cmueyn));
  }

  // The exponentials.
  for (double* exponent : {muex, muey}) {
    double earlierExponent = 0.0;
    double earlier = 0.0;
    for (std::size_t r = 0; r < rows; ++r) {
      const double x = exponent[r];
      const double e = r > 0 && x == earlierExponent ? earlier : std::exp(x);
      earlierExponent = x;
      earlier = e;
      exponent[r] = e;
    }
  }

  // The friction values.
  const V one = hn::Set(d, 1.0);
  const V vMu0 = hn::Set(d, mu0);
  const V rangeX = hn::Set(d, g * mue1x - mu0);
  i = 0;
  for (; i + lanes <= rows; i += lanes) {
    const auto positive = hn::Gt(hn::LoadU(d, vsy + i), zero);
    const V mue1y = hn::IfThenElse(positive, hn::Set(d, t.mue1yp), hn::Set(d, t.mue1yn));
    const V rangeY = hn::Sub(hn::Mul(vg, mue1y), vMu0);
    hn::StoreU(hn::Add(vMu0, hn::Mul(hn::Mul(vg, hn::Sub(one, hn::LoadU(d, muex + i))), rangeX)), d, muex + i);
    hn::StoreU(hn::Add(vMu0, hn::Mul(hn::Mul(vg, hn::Sub(one, hn::LoadU(d, muey + i))), rangeY)), d, muey + i);
  }
  for (; i < rows; ++i) {
    const double mue1y = vsy[i] > 0.0 ? t.mue1yp : t.mue1yn;
    muex[i] = mu0 + g * (1.0 - muex[i]) * (g * mue1x - mu0);
    muey[i] = mu0 + g * (1.0 - muey[i]) * (g * mue1y - mu0);
  }
}

void sweepRows(const DiscreteProperties& t, const DiscretePatch& p, const RowInputs& in, SweepScratch& s) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t rows = in.rows;
  const bool tableLaw = t.sliding >= 4;
  const double h2 = p.h * p.h;
  const double vsx = in.speed * p.sx;
  const double weightedVsx = t.Vmuexy * vsx;

  // One row as the point-by-point laws have it, for the rows a vector does
  // not fill.
  const auto magnitude = [](double a, double b) {
    const double r = std::sqrt(a * a + b * b);
    return r < 1e-10 ? 1.0 : r;  // a vanishing magnitude counts as 1
  };
  const auto rowOne = [&](std::size_t i) {
    const double x = p.h - static_cast<double>(i) * p.dx;
    const double xr = x / p.h;
    const double L = in.fromFront ? p.h * (1.0 - xr) : p.h * (1.0 + xr);
    const double ux = L * p.sx;
    const double uy = (1.0 - xr * xr) * h2 * p.camberCurv * 0.5 + L * p.tanAlpha;
    const double fx = ux * in.Wx;
    const double fy = uy * in.Wy;
    const double vsy = in.speed * (p.tanAlpha + p.camberCurv * x);
    s.x[i] = x;
    s.ux[i] = ux;
    s.uy[i] = uy;
    s.fxElastic[i] = fx;
    s.fyElastic[i] = fy;
    s.vsy[i] = vsy;
    if (tableLaw) {
      s.slideSpeed[i] = std::sqrt(weightedVsx * weightedVsx + vsy * vsy);
      s.adhesionLimit[i] = std::sqrt(fx * fx + fy * fy);
    } else {
      s.slideSpeed[i] = magnitude(vsx, vsy);
      s.adhesionLimit[i] = magnitude(fx, fy);
      s.deflection[i] = magnitude(ux, uy);
    }
    s.rowLoad[i] = analyticRowLoad(t, p, xr * xr);
    s.sumFx[i] = 0.0;
    s.sumFy[i] = 0.0;
    s.sumYFx[i] = 0.0;
  };

  const V zero = hn::Zero(d);
  const V one = hn::Set(d, 1.0);
  const V tiny = hn::Set(d, 1e-10);
  const V h = hn::Set(d, p.h);
  const V dx = hn::Set(d, p.dx);
  const V sx = hn::Set(d, p.sx);
  const V tanAlpha = hn::Set(d, p.tanAlpha);
  const V camberCurv = hn::Set(d, p.camberCurv);
  const V wx = hn::Set(d, in.Wx);
  const V wy = hn::Set(d, in.Wy);
  const V speed = hn::Set(d, in.speed);
  const V vVsx = hn::Set(d, vsx);
  const V vWeightedVsx = hn::Set(d, weightedVsx);
  const auto vMagnitude = [&](V a, V b) {
    const V r = hn::Sqrt(hn::Add(hn::Mul(a, a), hn::Mul(b, b)));
    return hn::IfThenElse(hn::Lt(r, tiny), one, r);
  };
  std::size_t i = 0;
  for (; i + lanes <= rows; i += lanes) {
    const V x = hn::Sub(h, hn::Mul(hn::Iota(d, static_cast<double>(i)), dx));
    const V xr = hn::Div(x, h);
    const V L = hn::Mul(h, in.fromFront ? hn::Sub(one, xr) : hn::Add(one, xr));
    const V ux = hn::Mul(L, sx);
    const V uy = hn::Add(hn::Mul(hn::Mul(hn::Mul(hn::Sub(one, hn::Mul(xr, xr)), hn::Set(d, h2)), camberCurv),
                                 hn::Set(d, 0.5)),
                         hn::Mul(L, tanAlpha));
    const V fx = hn::Mul(ux, wx);
    const V fy = hn::Mul(uy, wy);
    const V vsy = hn::Mul(speed, hn::Add(tanAlpha, hn::Mul(camberCurv, x)));
    hn::StoreU(x, d, s.x.data() + i);
    hn::StoreU(ux, d, s.ux.data() + i);
    hn::StoreU(uy, d, s.uy.data() + i);
    hn::StoreU(fx, d, s.fxElastic.data() + i);
    hn::StoreU(fy, d, s.fyElastic.data() + i);
    hn::StoreU(vsy, d, s.vsy.data() + i);
    if (tableLaw) {
      hn::StoreU(hn::Sqrt(hn::Add(hn::Mul(vWeightedVsx, vWeightedVsx), hn::Mul(vsy, vsy))), d,
                 s.slideSpeed.data() + i);
      hn::StoreU(hn::Sqrt(hn::Add(hn::Mul(fx, fx), hn::Mul(fy, fy))), d, s.adhesionLimit.data() + i);
    } else {
      hn::StoreU(vMagnitude(vVsx, vsy), d, s.slideSpeed.data() + i);
      hn::StoreU(vMagnitude(fx, fy), d, s.adhesionLimit.data() + i);
      hn::StoreU(vMagnitude(ux, uy), d, s.deflection.data() + i);
    }
    // The analytic row factors, as analyticRowLoad has them: u^2 and u^4
    // by repeated squaring.
    const V u = hn::Mul(xr, xr);
    const V u2 = hn::Mul(u, u);
    V rowLoad = one;
    switch (t.pressure) {
      case 1: rowLoad = hn::Div(hn::Mul(hn::Sub(one, u2), hn::Set(d, p.pscale1)), hn::Set(d, p.ncell)); break;
      case 2:
      case 3: rowLoad = hn::Sub(one, hn::Mul(u2, u2)); break;
      default: break;
    }
    hn::StoreU(rowLoad, d, s.rowLoad.data() + i);
    hn::StoreU(zero, d, s.sumFx.data() + i);
    hn::StoreU(zero, d, s.sumFy.data() + i);
    hn::StoreU(zero, d, s.sumYFx.data() + i);
  }
  for (; i < rows; ++i) rowOne(i);

  if (tableLaw) {
    tableFrictionValues(t, in, s);
  } else {
    directionFrictionValues(t, p, in, s);
  }

  // Sliding force per unit load: the direction of the speed (1), the
  // deflection (2) or the elastic force (3) times the friction values; the
  // table law keeps the direction of the elastic force and muexy scales its
  // longitudinal part. Any other selector gives 0.
  const int law = tableLaw ? 4 : (t.sliding >= 1 && t.sliding <= 3 ? t.sliding : 0);
  const auto slideOne = [&](std::size_t r) {
    double perX = 0.0;
    double perY = 0.0;
    switch (law) {
      case 1: perX = s.muex[r] * vsx / s.slideSpeed[r]; perY = s.muey[r] * s.vsy[r] / s.slideSpeed[r]; break;
      case 2: perX = s.muex[r] * s.ux[r] / s.deflection[r]; perY = s.muey[r] * s.uy[r] / s.deflection[r]; break;
      case 3:
        perX = s.muex[r] * s.fxElastic[r] / s.adhesionLimit[r];
        perY = s.muey[r] * s.fyElastic[r] / s.adhesionLimit[r];
        break;
      case 4:
        perX = t.muexy * s.muex[r] * s.fxElastic[r] / s.adhesionLimit[r];
        perY = s.muex[r] * s.fyElastic[r] / s.adhesionLimit[r];
        break;
      default: break;
    }
    s.slideFx[r] = perX;
    s.slideFy[r] = perY;
  };
  const V muexy = hn::Set(d, t.muexy);
  i = 0;
  for (; i + lanes <= rows; i += lanes) {
    const V muex = hn::LoadU(d, s.muex.data() + i);
    V perX = zero;
    V perY = zero;
    switch (law) {
      case 1: {
        const V Vs = hn::LoadU(d, s.slideSpeed.data() + i);
        perX = hn::Div(hn::Mul(muex, vVsx), Vs);
        perY = hn::Div(hn::Mul(hn::LoadU(d, s.muey.data() + i), hn::LoadU(d, s.vsy.data() + i)), Vs);
        break;
      }
      case 2: {
        const V Us = hn::LoadU(d, s.deflection.data() + i);
        perX = hn::Div(hn::Mul(muex, hn::LoadU(d, s.ux.data() + i)), Us);
        perY = hn::Div(hn::Mul(hn::LoadU(d, s.muey.data() + i), hn::LoadU(d, s.uy.data() + i)), Us);
        break;
      }
      case 3: {
        const V Fs = hn::LoadU(d, s.adhesionLimit.data() + i);
        perX = hn::Div(hn::Mul(muex, hn::LoadU(d, s.fxElastic.data() + i)), Fs);
        perY = hn::Div(hn::Mul(hn::LoadU(d, s.muey.data() + i), hn::LoadU(d, s.fyElastic.data() + i)), Fs);
        break;
      }
      case 4: {
        const V Fs = hn::LoadU(d, s.adhesionLimit.data() + i);
        perX = hn::Div(hn::Mul(hn::Mul(muexy, muex), hn::LoadU(d, s.fxElastic.data() + i)), Fs);
        perY = hn::Div(hn::Mul(muex, hn::LoadU(d, s.fyElastic.data() + i)), Fs);
        break;
      }
      default: break;
    }
    hn::StoreU(perX, d, s.slideFx.data() + i);
    hn::StoreU(perY, d, s.slideFy.data() + i);
  }
  for (; i < rows; ++i) slideOne(i);
}

void columnFactors(const DiscreteProperties& t, const DiscretePatch& p, double loadBefore, std::size_t columns, SweepScratch& s) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const bool analytic = t.pressure < 4;  // the geometric pressure has loads of its own
  const auto columnOne = [&](std::size_t j) {
    const double y = p.b - static_cast<double>(j) * p.dy;
    s.y[j] = y;
    if (analytic) {
      const double yr = y / p.b;
      s.columnLoad[j] = analyticColumnLoad(t, p, yr * yr, loadBefore);
    }
  };
  const V b = hn::Set(d, p.b);
  const V dy = hn::Set(d, p.dy);
  const V one = hn::Set(d, 1.0);
  std::size_t j = 0;
  for (; j + lanes <= columns; j += lanes) {
    const V y = hn::Sub(b, hn::Mul(hn::Iota(d, static_cast<double>(j)), dy));
    hn::StoreU(y, d, s.y.data() + j);
    if (!analytic) continue;
    // The analytic column factors, as analyticColumnLoad has them: v^4 by
    // repeated squaring.
    const V yr = hn::Div(y, b);
    const V v = hn::Mul(yr, yr);
    const V v2 = hn::Mul(v, v);
    V load = hn::Set(d, loadBefore);
    switch (t.pressure) {
      case 1: load = one; break;
      case 2: load = hn::Div(hn::Mul(hn::Add(one, v), hn::Set(d, p.pscale2)), hn::Set(d, p.ncell)); break;
      case 3: {
        const V shape = hn::Sub(hn::Add(one, hn::Mul(hn::Set(d, 2.0), v)), hn::Mul(hn::Set(d, 3.0), hn::Mul(v2, v2)));
        load = hn::Div(hn::Mul(shape, hn::Set(d, p.pscale3)), hn::Set(d, p.ncell));
        break;
      }
      default: break;
    }
    hn::StoreU(load, d, s.columnLoad.data() + j);
  }
  for (; j < columns; ++j) columnOne(j);
}

}  // namespace HWY_NAMESPACE
}  // namespace grip
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace grip {

HWY_EXPORT(sweepGridPoints);
HWY_EXPORT(sweepRows);
HWY_EXPORT(columnFactors);

void sweepGridPoints(const PointSweep& sweep) { HWY_DYNAMIC_DISPATCH(sweepGridPoints)(sweep); }

void sweepRows(const DiscreteProperties& tyre, const DiscretePatch& patch, const RowInputs& in, SweepScratch& scratch) {
  HWY_DYNAMIC_DISPATCH(sweepRows)(tyre, patch, in, scratch);
}

void columnFactors(const DiscreteProperties& tyre, const DiscretePatch& patch, double loadBefore, std::size_t columns,
                   SweepScratch& scratch) {
  HWY_DYNAMIC_DISPATCH(columnFactors)(tyre, patch, loadBefore, columns, scratch);
}

}  // namespace grip
#endif  // HWY_ONCE
