// Vector kernels of the grid sweep (see SweepKernels.h). A grid point's
// load, weight and contact measure depend on its row i and its column j;
// the kernels run down a column, a vector of rows at a time, and the rows a
// vector does not fill take the same operations one at a time. No multiply
// and add is fused (the file is compiled with contraction off), so a lane
// rounds as the point-by-point code does.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "discrete/SweepKernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstddef>

#include "core/Numbers.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepKernels.h"
#include "discrete/SweepScratch.h"

HWY_BEFORE_NAMESPACE();
namespace grip {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

/// Columns a pass down the rows takes at once: the row accumulators and the
/// row values stay in registers across them.
constexpr std::size_t kColumnBlock = 4;

/// base^exponent lane by lane, by the same repeated squaring as
/// integerPower, so that every lane rounds as it does.
template <class D, class V = hn::Vec<D>>
HWY_INLINE V integerPowerLanes(D d, V base, int exponent) {
  unsigned int n = exponent < 0 ? 0u - static_cast<unsigned int>(exponent) : static_cast<unsigned int>(exponent);
  V result = hn::Set(d, 1.0);
  while (n != 0) {
    if (n & 1u) result = hn::Mul(result, base);
    base = hn::Mul(base, base);
    n >>= 1u;
  }
  return exponent < 0 ? hn::Div(hn::Set(d, 1.0), result) : result;
}

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
  for (; j + kColumnBlock <= s.columns; j += kColumnBlock) sweepColumnBlock<kLimited, kColumnBlock>(s, j);
  for (; j < s.columns; ++j) sweepColumnBlock<kLimited, 1>(s, j);
}

void sweepGridPoints(const PointSweep& s) {
  if (s.frictionLimited) {
    sweepColumns<true>(s);
  } else {
    sweepColumns<false>(s);
  }
}

/// Friction values of every row from its sliding speed, one row at a time:
/// a row that slides as fast as the row before, with the same friction
/// pairs, takes its values over (they are the same to the bit).
void rowFrictionValues(const DiscreteModel& m, const RowInputs& in, SweepScratch& s) {
  const bool tableLaw = m.sliding >= 4;
  const double vsx = in.speed * m.sx;
  const double mue1x = vsx > 0.0 ? m.mue1xp : m.mue1xn;
  const double cmuex = vsx > 0.0 ? m.cmuexp : m.cmuexn;
  const double mu0 = in.g * m.mue0;
  double earlierSpeed = 0.0;
  double earlierMue1y = 0.0;
  double earlierCmuey = 0.0;
  for (std::size_t i = 0; i < in.rows; ++i) {
    const double speed = s.slideSpeed[i];
    if (tableLaw) {
      if (i > 0 && speed == earlierSpeed) {
        s.muex[i] = s.muex[i - 1];
      } else {
        s.muex[i] = speedTableFriction(m, speed) * in.pf * in.g;
      }
      earlierSpeed = speed;
      continue;
    }
    const bool positive = s.vsy[i] > 0.0;
    const double mue1y = positive ? m.mue1yp : m.mue1yn;
    const double cmuey = positive ? m.cmueyp : m.cmueyn;
    if (i > 0 && speed == earlierSpeed && mue1y == earlierMue1y && cmuey == earlierCmuey) {
      s.muex[i] = s.muex[i - 1];
      s.muey[i] = s.muey[i - 1];
    } else {
      // Friction decays with the sliding speed from the static value to the
      // sliding value; the difference term carries the load factor once more.
      s.muex[i] = mu0 + in.g * (1.0 - std::exp(-speed / (in.g * cmuex))) * (in.g * mue1x - mu0);
      s.muey[i] = mu0 + in.g * (1.0 - std::exp(-speed / (in.g * cmuey))) * (in.g * mue1y - mu0);
    }
    earlierSpeed = speed;
    earlierMue1y = mue1y;
    earlierCmuey = cmuey;
  }
}

void sweepRows(const DiscreteModel& m, const RowInputs& in, SweepScratch& s) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t rows = in.rows;
  const bool tableLaw = m.sliding >= 4;
  const double h2 = m.h * m.h;
  const double vsx = in.speed * m.sx;
  const double weightedVsx = m.Vmuexy * vsx;

  // One row as the point-by-point laws have it, for the rows a vector does
  // not fill.
  const auto magnitude = [](double a, double b) {
    const double r = std::sqrt(a * a + b * b);
    return r < 1e-10 ? 1.0 : r;  // a vanishing magnitude counts as 1
  };
  const auto rowOne = [&](std::size_t i) {
    const double x = m.h - static_cast<double>(i) * m.dx;
    const double xr = x / m.h;
    const double L = in.fromFront ? m.h * (1.0 - xr) : m.h * (1.0 + xr);
    const double ux = L * m.sx;
    const double uy = (1.0 - xr * xr) * h2 * m.camberCurv * 0.5 + L * m.tanAlpha;
    const double fx = ux * in.Wx;
    const double fy = uy * in.Wy;
    const double vsy = in.speed * (m.tanAlpha + m.camberCurv * x);
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
    s.rowLoad[i] = analyticRowLoad(m, xr * xr);
    s.sumFx[i] = 0.0;
    s.sumFy[i] = 0.0;
    s.sumYFx[i] = 0.0;
  };

  const V zero = hn::Zero(d);
  const V one = hn::Set(d, 1.0);
  const V tiny = hn::Set(d, 1e-10);
  const V h = hn::Set(d, m.h);
  const V dx = hn::Set(d, m.dx);
  const V sx = hn::Set(d, m.sx);
  const V tanAlpha = hn::Set(d, m.tanAlpha);
  const V camberCurv = hn::Set(d, m.camberCurv);
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
    switch (m.pressure) {
      case 1: rowLoad = hn::Div(hn::Mul(hn::Sub(one, u2), hn::Set(d, m.pscale1)), hn::Set(d, m.ncell)); break;
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

  rowFrictionValues(m, in, s);

  // Sliding force per unit load: the direction of the speed (1), the
  // deflection (2) or the elastic force (3) times the friction values; the
  // table law keeps the direction of the elastic force and muexy scales its
  // longitudinal part. Any other selector gives 0.
  const int law = tableLaw ? 4 : (m.sliding >= 1 && m.sliding <= 3 ? m.sliding : 0);
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
        perX = m.muexy * s.muex[r] * s.fxElastic[r] / s.adhesionLimit[r];
        perY = s.muex[r] * s.fyElastic[r] / s.adhesionLimit[r];
        break;
      default: break;
    }
    s.slideFx[r] = perX;
    s.slideFy[r] = perY;
  };
  const V muexy = hn::Set(d, m.muexy);
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

void columnFactors(const DiscreteModel& m, double loadBefore, std::size_t columns, SweepScratch& s) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const bool analytic = m.pressure < 4;  // the geometric pressure has loads of its own
  const auto columnOne = [&](std::size_t j) {
    const double y = m.b - static_cast<double>(j) * m.dy;
    s.y[j] = y;
    if (analytic) {
      const double yr = y / m.b;
      s.columnLoad[j] = analyticColumnLoad(m, yr * yr, loadBefore);
    }
  };
  const V b = hn::Set(d, m.b);
  const V dy = hn::Set(d, m.dy);
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
    switch (m.pressure) {
      case 1: load = one; break;
      case 2: load = hn::Div(hn::Mul(hn::Add(one, v), hn::Set(d, m.pscale2)), hn::Set(d, m.ncell)); break;
      case 3: {
        const V shape = hn::Sub(hn::Add(one, hn::Mul(hn::Set(d, 2.0), v)), hn::Mul(hn::Set(d, 3.0), hn::Mul(v2, v2)));
        load = hn::Div(hn::Mul(shape, hn::Set(d, m.pscale3)), hn::Set(d, m.ncell));
        break;
      }
      default: break;
    }
    hn::StoreU(load, d, s.columnLoad.data() + j);
  }
  for (; j < columns; ++j) columnOne(j);
}

/// A lane mask of the rows i .. i + lanes - 1 that are the row r.
template <class D>
HWY_INLINE auto rowMask(D d, std::size_t i, std::size_t r) {
  return hn::Eq(hn::Iota(d, static_cast<double>(i)), hn::Set(d, static_cast<double>(r)));
}

/// The values of the geometric weights that depend on the row alone.
struct WeightRows {
  const double* x;
  const double* top;
  const double* bottom;
  const double* boundSum;
  const double* boundWidth;
  const double* inverseWidth;
  const double* etaTop;
  const double* etaBottom;
  double* sumWeight;
  std::size_t rows;
  std::size_t stride;  ///< between the columns of the weights and the contact measure
  double camberBias;   ///< 5 sin(camber)
};

/// Weights of the points of columns j0 .. j0 + kColumns - 1, added to the
/// row sums in column order; the row values stay in registers across the
/// columns. The same weight as geometricWeight gives, with the divisions
/// taken out of the point loop (1/L per column, 1/width per row). Where a
/// weight is exactly 0 in geometricWeight it stays so, because the trace
/// and the contact area count the loaded points: at a row bound (y = ymax
/// or ymin, eta = +-1) eta is the row's quotient worked out once, and the
/// edge rows x = +-h, where x/L may be exactly 1, take geometricWeight
/// itself.
template <std::size_t kColumns>
HWY_INLINE void weighColumnBlock(const DiscreteModel& m, const WeightRows& r, SweepScratch& s, std::size_t j0) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t lastRow = r.rows - 1;
  std::array<bool, kColumns> reaches{};  // the column reaches the road
  std::array<double, kColumns> y{};
  std::array<double*, kColumns> weight{};
  std::array<const double*, kColumns> gap{};
  for (std::size_t c = 0; c < kColumns; ++c) {
    const std::size_t j = j0 + c;
    reaches[c] = !(m.xhalf[j] <= 0.0);
    y[c] = m.b - static_cast<double>(j) * m.dy;
    weight[c] = s.weight.data() + j * r.stride;
    gap[c] = m.gap.data() + j * r.stride;
  }
  const V zero = hn::Zero(d);
  const V one = hn::Set(d, 1.0);
  const V two = hn::Set(d, 2.0);
  const V three = hn::Set(d, 3.0);
  const V bias = hn::Set(d, r.camberBias);
  std::size_t i = 0;
  for (; i + lanes <= r.rows; i += lanes) {
    const V x = hn::LoadU(d, r.x + i);
    const V top = hn::LoadU(d, r.top + i);
    const V bottom = hn::LoadU(d, r.bottom + i);
    const V boundSum = hn::LoadU(d, r.boundSum + i);
    const V inverseWidth = hn::LoadU(d, r.inverseWidth + i);
    const V etaTop = hn::LoadU(d, r.etaTop + i);
    const V etaBottom = hn::LoadU(d, r.etaBottom + i);
    const auto hasWidth = hn::Not(hn::Le(hn::LoadU(d, r.boundWidth + i), zero));
    V sum = hn::LoadU(d, r.sumWeight + i);
    for (std::size_t c = 0; c < kColumns; ++c) {
      if (!reaches[c]) {
        hn::StoreU(zero, d, weight[c] + i);
        continue;
      }
      const std::size_t j = j0 + c;
      const V vy = hn::Set(d, y[c]);
      const V xr = hn::Mul(x, hn::Set(d, s.inverseHalf[j]));
      const V q = hn::Mul(xr, xr);
      const V q2 = hn::Mul(q, q);
      const V inside = hn::Mul(hn::Sub(hn::Set(d, 2.0 * y[c]), boundSum), inverseWidth);
      const V belowTop = hn::IfThenElse(hn::Eq(vy, bottom), etaBottom, inside);
      const V eta = hn::IfThenElse(hn::Eq(vy, top), etaTop, belowTop);
      const V eta2 = hn::Mul(eta, eta);
      const V eta4 = hn::Mul(eta2, eta2);
      V k = hn::Sub(one, hn::Mul(bias, eta));  // camber moves load towards negative eta
      k = hn::IfThenElse(hn::Lt(k, zero), zero, k);
      const V shape = hn::Sub(hn::Add(one, hn::Mul(hn::Mul(two, eta), eta)), hn::Mul(three, hn::Mul(eta2, eta4)));
      const V w = hn::Mul(hn::Mul(hn::Sub(one, hn::Mul(q2, q2)), shape), k);
      V weighed = hn::IfThenElseZero(hn::And(hn::Le(hn::LoadU(d, gap[c] + i), zero), hasWidth), w);
      if (i == 0) weighed = hn::IfThenElse(hn::FirstN(d, 1), hn::Set(d, s.weightFirst[j]), weighed);
      if (lastRow < i + lanes) weighed = hn::IfThenElse(rowMask(d, i, lastRow), hn::Set(d, s.weightLast[j]), weighed);
      hn::StoreU(weighed, d, weight[c] + i);
      sum = hn::Add(sum, weighed);
    }
    hn::StoreU(sum, d, r.sumWeight + i);
  }
  // The rows a vector does not fill: the same operations one at a time.
  for (; i < r.rows; ++i) {
    for (std::size_t c = 0; c < kColumns; ++c) {
      if (!reaches[c]) {
        weight[c][i] = 0.0;
        continue;
      }
      const std::size_t j = j0 + c;
      double w = 0.0;
      if (i == 0) {
        w = s.weightFirst[j];
      } else if (i == lastRow) {
        w = s.weightLast[j];
      } else {
        const double xr = r.x[i] * s.inverseHalf[j];
        const double q = xr * xr;
        const double q2 = q * q;
        const double inside = (2.0 * y[c] - r.boundSum[i]) * r.inverseWidth[i];
        const double eta = y[c] == r.top[i] ? r.etaTop[i] : (y[c] == r.bottom[i] ? r.etaBottom[i] : inside);
        const double eta2 = eta * eta;
        const double eta4 = eta2 * eta2;
        double k = 1.0 - r.camberBias * eta;
        k = k < 0.0 ? 0.0 : k;
        const double shape = 1.0 + 2.0 * eta * eta - 3.0 * (eta2 * eta4);
        const bool loaded = (gap[c][i] <= 0.0) & !(r.boundWidth[i] <= 0.0);
        w = loaded ? (1.0 - q2 * q2) * shape * k : 0.0;
      }
      weight[c][i] = w;
      r.sumWeight[i] += w;
    }
  }
}

double geometricWeights(const DiscreteModel& m, SweepScratch& scratch) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t rows = sweptCount(m.lastRow());
  const std::size_t columns = sweptCount(m.lastColumn());
  const double sinCamber = std::sin(m.camberRad);
  SweepScratch& s = scratch;
  const WeightRows r{s.x.data(),         m.ymax.data(),     m.ymin.data(),     s.boundSum.data(),
                     s.boundWidth.data(), s.inverseWidth.data(), s.etaTop.data(), s.etaBottom.data(),
                     s.sumWeight.data(),  rows,              static_cast<std::size_t>(m.gridRows()), 5.0 * sinCamber};
  if (rows == 0) return 0.0;

  // The rows' bounds: their sum, their width and its reciprocal, and the
  // lateral coordinate eta at either bound.
  const auto rowOne = [&](std::size_t i) {
    s.boundSum[i] = r.top[i] + r.bottom[i];
    s.boundWidth[i] = std::fabs(r.top[i] - r.bottom[i]);
    s.inverseWidth[i] = 1.0 / s.boundWidth[i];
    s.etaTop[i] = (2.0 * r.top[i] - s.boundSum[i]) / s.boundWidth[i];
    s.etaBottom[i] = (2.0 * r.bottom[i] - s.boundSum[i]) / s.boundWidth[i];
    s.sumWeight[i] = 0.0;
  };
  const V two = hn::Set(d, 2.0);
  std::size_t i = 0;
  for (; i + lanes <= rows; i += lanes) {
    const V top = hn::LoadU(d, r.top + i);
    const V bottom = hn::LoadU(d, r.bottom + i);
    const V sum = hn::Add(top, bottom);
    const V width = hn::Abs(hn::Sub(top, bottom));
    hn::StoreU(sum, d, s.boundSum.data() + i);
    hn::StoreU(width, d, s.boundWidth.data() + i);
    hn::StoreU(hn::Div(hn::Set(d, 1.0), width), d, s.inverseWidth.data() + i);
    hn::StoreU(hn::Div(hn::Sub(hn::Mul(two, top), sum), width), d, s.etaTop.data() + i);
    hn::StoreU(hn::Div(hn::Sub(hn::Mul(two, bottom), sum), width), d, s.etaBottom.data() + i);
    hn::StoreU(hn::Zero(d), d, s.sumWeight.data() + i);
  }
  for (; i < rows; ++i) rowOne(i);

  // The columns' half lengths and the weights of their edge rows.
  const std::size_t lastRow = rows - 1;
  for (std::size_t j = 0; j < columns; ++j) {
    const double L = m.xhalf[j];
    if (L <= 0.0) continue;  // the column does not reach the road
    const double y = m.b - static_cast<double>(j) * m.dy;
    const int column = static_cast<int>(j);
    s.inverseHalf[j] = 1.0 / L;
    geometricWeight(m, r.x[0], y, 0, column, sinCamber, s.weightFirst[j]);
    geometricWeight(m, r.x[lastRow], y, static_cast<int>(lastRow), column, sinCamber, s.weightLast[j]);
  }

  std::size_t j = 0;
  for (; j + kColumnBlock <= columns; j += kColumnBlock) weighColumnBlock<kColumnBlock>(m, r, s, j);
  for (; j < columns; ++j) weighColumnBlock<1>(m, r, s, j);
  double sum = 0.0;
  for (std::size_t k = 0; k < rows; ++k) sum += s.sumWeight[k];
  return sum;
}

void columnHalfLengths(DiscreteModel& m) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t columns = sweptCount(m.lastColumn());
  const double cosgam = m.cosgam;
  const double singam = m.singam;
  const double R2 = m.R * m.R;
  const double cosPower = m.ny <= INT_MAX - 2 ? integerPower(cosgam, m.ny + 2)
                                              : integerPower(cosgam, m.ny) * cosgam * cosgam;
  const double rootRyny = std::sqrt(m.Ryny);
  const double R2cos2 = R2 * (cosgam * cosgam);
  const double rootRynyCos = rootRyny * cosgam;
  // The half chord of the column's section circle at the road, 0 where the
  // circle does not reach it.
  const auto halfOne = [&](std::size_t j) {
    const double y = m.b - static_cast<double>(j) * m.dy;
    const double centre = m.Rl + y * cosgam * singam;
    const double Dc = m.Ryny * (R2cos2 - centre * centre) - R2 * integerPower(y, m.ny) * cosPower;
    return Dc < 0.0 ? 0.0 : std::sqrt(Dc) / rootRynyCos;
  };
  // The longest half is the patch's half length; a half that is no number
  // never counts.
  double h = 0.0;
  const auto longest = [&h](double half) {
    if (std::fabs(half) > h) h = std::fabs(half);
  };
  const V zero = hn::Zero(d);
  std::size_t j = 0;
  if (columns >= lanes) {
    V hv = zero;
    for (; j + lanes <= columns; j += lanes) {
      const V y = hn::Sub(hn::Set(d, m.b), hn::Mul(hn::Iota(d, static_cast<double>(j)), hn::Set(d, m.dy)));
      const V centre = hn::Add(hn::Set(d, m.Rl), hn::Mul(hn::Mul(y, hn::Set(d, cosgam)), hn::Set(d, singam)));
      const V Dc = hn::Sub(hn::Mul(hn::Set(d, m.Ryny), hn::Sub(hn::Set(d, R2cos2), hn::Mul(centre, centre))),
                           hn::Mul(hn::Mul(hn::Set(d, R2), integerPowerLanes(d, y, m.ny)), hn::Set(d, cosPower)));
      const V half = hn::IfThenElse(hn::Lt(Dc, zero), zero, hn::Div(hn::Sqrt(Dc), hn::Set(d, rootRynyCos)));
      hn::StoreU(half, d, m.xhalf.data() + j);
      const V size = hn::Abs(half);
      hv = hn::IfThenElse(hn::Gt(size, hv), size, hv);
    }
    for (std::size_t k = 0; k < lanes; ++k) longest(hn::ExtractLane(hv, k));
  }
  for (; j < columns; ++j) {
    m.xhalf[j] = halfOne(j);
    longest(m.xhalf[j]);
  }
  m.h = h;
}

/// Contact measures of the points of columns j0 .. j0 + kColumns - 1 and
/// the rows' contact bounds, taken in column order; the bounds stay in
/// registers across the columns. The edge rows x = +-h take the gap itself:
/// there the longest column meets the grid exactly and its point lies on
/// the contour, so the gap's own rounding decides whether it is in contact.
template <std::size_t kColumns>
HWY_INLINE void measureColumnBlock(DiscreteModel& m, const SweepScratch& s, std::size_t j0) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t rows = sweptCount(m.lastRow());
  const std::size_t lastRow = rows - 1;
  const double* const x = s.x.data();
  double* const top = m.ymax.data();
  double* const bottom = m.ymin.data();
  std::array<double, kColumns> y{};
  std::array<double*, kColumns> gap{};
  for (std::size_t c = 0; c < kColumns; ++c) {
    y[c] = m.b - static_cast<double>(j0 + c) * m.dy;
    gap[c] = &m.gapAt(0, static_cast<int>(j0 + c));
  }
  const V zero = hn::Zero(d);
  std::size_t i = 0;
  for (; i + lanes <= rows; i += lanes) {
    const V xi = hn::LoadU(d, x + i);
    const V x2 = hn::Mul(xi, xi);
    V t = hn::LoadU(d, top + i);
    V u = hn::LoadU(d, bottom + i);
    for (std::size_t c = 0; c < kColumns; ++c) {
      const std::size_t j = j0 + c;
      V g = hn::Sub(hn::Set(d, s.reach2[j]), hn::Sub(hn::Set(d, s.crown[j]), x2));
      if (i == 0) g = hn::IfThenElse(hn::FirstN(d, 1), hn::Set(d, s.gapFirst[j]), g);
      if (lastRow < i + lanes) g = hn::IfThenElse(rowMask(d, i, lastRow), hn::Set(d, s.gapLast[j]), g);
      hn::StoreU(g, d, gap[c] + i);
      const auto inContact = hn::Le(g, zero);
      const V vy = hn::Set(d, y[c]);
      t = hn::IfThenElse(hn::And(inContact, hn::Gt(vy, t)), vy, t);
      u = hn::IfThenElse(hn::And(inContact, hn::Lt(vy, u)), vy, u);
    }
    hn::StoreU(t, d, top + i);
    hn::StoreU(u, d, bottom + i);
  }
  // The rows a vector does not fill: the same operations one at a time.
  for (; i < rows; ++i) {
    for (std::size_t c = 0; c < kColumns; ++c) {
      const std::size_t j = j0 + c;
      const double g = i == 0 ? s.gapFirst[j] : (i == lastRow ? s.gapLast[j] : s.reach2[j] - (s.crown[j] - x[i] * x[i]));
      gap[c][i] = g;
      const bool inContact = g <= 0.0;
      top[i] = inContact & (y[c] > top[i]) ? y[c] : top[i];
      bottom[i] = inContact & (y[c] < bottom[i]) ? y[c] : bottom[i];
    }
  }
}

void contactMeasures(DiscreteModel& m, SweepScratch& scratch) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const double cosgam = m.cosgam;
  const double singam = m.singam;
  const double R2 = m.R * m.R;
  const std::size_t rows = sweptCount(m.lastRow());
  const int lastColumn = m.lastColumn();
  const double* const x = scratch.x.data();
  double* const top = m.ymax.data();
  double* const bottom = m.ymin.data();

  // A row starts with the empty range top -b, bottom +b.
  if (lastColumn >= 0) {
    const double y0 = m.b - 0 * m.dy;
    for (std::size_t i = 0; i < rows; ++i) {
      top[i] = -y0;
      bottom[i] = y0;
    }
  }
  const bool facingRoad = cosgam > 0.0;
  const double roadOffset = m.Rl / cosgam;
  const V zero = hn::Zero(d);
  if (rows == 0) return;
  const std::size_t columns = sweptCount(lastColumn);
  const std::size_t lastRow = rows - 1;

  // What depends on the column alone, for all columns first: the crown
  // power, the reach and the gaps of the edge rows, whose roots would
  // otherwise hold up each column's pass down the rows.
  double* const crownOf = scratch.crown.data();
  double* const reach2Of = scratch.reach2.data();
  double* const gapFirstOf = scratch.gapFirst.data();
  double* const gapLastOf = scratch.gapLast.data();
  const auto columnOne = [&](std::size_t j) {
    const double y = m.b - static_cast<double>(j) * m.dy;
    const double P = integerPower(y * cosgam / m.Ry, m.ny);
    const double crown = R2 * (1.0 - P);  // the radicand A at x = 0
    const double c = y * singam + roadOffset;
    const double reach = c <= 0.0 ? 0.0 : c;  // a negative c: any real root reaches; not a number stays
    crownOf[j] = crown;
    reach2Of[j] = reach * reach;
    gapFirstOf[j] = cosgam * (y * singam - std::sqrt(crown - x[0] * x[0])) + m.Rl;
    gapLastOf[j] = cosgam * (y * singam - std::sqrt(crown - x[lastRow] * x[lastRow])) + m.Rl;
  };
  {
    const V b = hn::Set(d, m.b);
    const V dy = hn::Set(d, m.dy);
    const V vCosgam = hn::Set(d, cosgam);
    const V vSingam = hn::Set(d, singam);
    const V Ry = hn::Set(d, m.Ry);
    const V vR2 = hn::Set(d, R2);
    const V one = hn::Set(d, 1.0);
    const V offset = hn::Set(d, roadOffset);
    const V Rl = hn::Set(d, m.Rl);
    const V xFirst2 = hn::Set(d, x[0] * x[0]);
    const V xLast2 = hn::Set(d, x[lastRow] * x[lastRow]);
    std::size_t j = 0;
    for (; j + lanes <= columns; j += lanes) {
      const V y = hn::Sub(b, hn::Mul(hn::Iota(d, static_cast<double>(j)), dy));
      const V P = integerPowerLanes(d, hn::Div(hn::Mul(y, vCosgam), Ry), m.ny);
      const V crown = hn::Mul(vR2, hn::Sub(one, P));
      const V c = hn::Add(hn::Mul(y, vSingam), offset);
      const V reach = hn::IfThenElse(hn::Le(c, zero), zero, c);
      const V ySin = hn::Mul(y, vSingam);
      hn::StoreU(crown, d, crownOf + j);
      hn::StoreU(hn::Mul(reach, reach), d, reach2Of + j);
      hn::StoreU(hn::Add(hn::Mul(vCosgam, hn::Sub(ySin, hn::Sqrt(hn::Sub(crown, xFirst2)))), Rl), d, gapFirstOf + j);
      hn::StoreU(hn::Add(hn::Mul(vCosgam, hn::Sub(ySin, hn::Sqrt(hn::Sub(crown, xLast2)))), Rl), d, gapLastOf + j);
    }
    for (; j < columns; ++j) columnOne(j);
  }

  if (!facingRoad) {
    // Camber at or beyond 90 degrees, or not a number: the gap itself.
    for (std::size_t j = 0; j < columns; ++j) {
      const double y = m.b - static_cast<double>(j) * m.dy;
      double* const gap = &m.gapAt(0, static_cast<int>(j));
      for (std::size_t i = 0; i < rows; ++i) {
        gap[i] = cosgam * (y * singam - std::sqrt(crownOf[j] - x[i] * x[i])) + m.Rl;
        const bool inContact = gap[i] <= 0.0;
        top[i] = inContact & (y > top[i]) ? y : top[i];
        bottom[i] = inContact & (y < bottom[i]) ? y : bottom[i];
      }
    }
    return;
  }
  std::size_t j = 0;
  for (; j + kColumnBlock <= columns; j += kColumnBlock) measureColumnBlock<kColumnBlock>(m, scratch, j);
  for (; j < columns; ++j) measureColumnBlock<1>(m, scratch, j);
}

}  // namespace HWY_NAMESPACE
}  // namespace grip
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace grip {

HWY_EXPORT(sweepGridPoints);
HWY_EXPORT(sweepRows);
HWY_EXPORT(columnFactors);
HWY_EXPORT(geometricWeights);
HWY_EXPORT(contactMeasures);
HWY_EXPORT(columnHalfLengths);

void sweepGridPoints(const PointSweep& sweep) { HWY_DYNAMIC_DISPATCH(sweepGridPoints)(sweep); }

void sweepRows(const DiscreteModel& model, const RowInputs& in, SweepScratch& scratch) {
  HWY_DYNAMIC_DISPATCH(sweepRows)(model, in, scratch);
}

void columnFactors(const DiscreteModel& model, double loadBefore, std::size_t columns, SweepScratch& scratch) {
  HWY_DYNAMIC_DISPATCH(columnFactors)(model, loadBefore, columns, scratch);
}

double geometricWeights(const DiscreteModel& model, SweepScratch& scratch) {
  return HWY_DYNAMIC_DISPATCH(geometricWeights)(model, scratch);
}

void contactMeasures(DiscreteModel& model, SweepScratch& scratch) {
  HWY_DYNAMIC_DISPATCH(contactMeasures)(model, scratch);
}

void columnHalfLengths(DiscreteModel& model) { HWY_DYNAMIC_DISPATCH(columnHalfLengths)(model); }

}  // namespace grip
#endif  // HWY_ONCE
