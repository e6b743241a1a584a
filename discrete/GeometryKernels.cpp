// Vector kernels of the contact geometry (see SweepKernels.h): the column
// half lengths, the contact measure of every grid point with the rows'
// contact bounds, and the geometric weights. A kernel runs down a column, a
// vector of rows at a time, four columns a pass, and the rows a vector does
// not fill take the same operations one at a time. No multiply and add is
// fused (the file is compiled with contraction off), so a lane rounds as
// the point-by-point code does.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "discrete/GeometryKernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstddef>

#include "core/Numbers.h"
#include "discrete/DiscretePatch.h"
#include "discrete/DiscreteProperties.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepKernels.h"
#include "discrete/SweepScratch.h"

HWY_BEFORE_NAMESPACE();
namespace grip {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

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
HWY_INLINE void weighColumnBlock(const DiscretePatch& p, const WeightRows& r, SweepScratch& s, std::size_t j0) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t lastRow = r.rows - 1;
  std::array<bool, kColumns> reaches{};  // the column has weights: its half length is not 0 or below
  std::array<bool, kColumns> counts{};   // they count in the sum: its half length is above 0 (not a non-number)
  std::array<double, kColumns> y{};
  std::array<double*, kColumns> weight{};
  std::array<const double*, kColumns> gap{};
  for (std::size_t c = 0; c < kColumns; ++c) {
    const std::size_t j = j0 + c;
    reaches[c] = !(p.xhalf[j] <= 0.0);
    counts[c] = p.xhalf[j] > 0.0;
    y[c] = p.b - static_cast<double>(j) * p.dy;
    weight[c] = s.weight.data() + j * r.stride;
    gap[c] = p.gap.data() + j * r.stride;
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
    const bool hasLast = lastRow < i + lanes;  // the vector holds the edge row x = -h
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
      if (hasLast) weighed = hn::IfThenElse(rowMask(d, i, lastRow), hn::Set(d, s.weightLast[j]), weighed);
      hn::StoreU(weighed, d, weight[c] + i);
      if (counts[c]) sum = hn::Add(sum, weighed);
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
      if (counts[c]) r.sumWeight[i] += w;
    }
  }
}

/// Weights of the points of the edge row i at x of every column, by vector
/// across the columns: the same operations as geometricWeight, which the
/// columns a vector does not fill take.
void edgeWeights(const DiscretePatch& p, std::size_t columns, double x, std::size_t i,
                 const double* gap, double* weight, double sinCamber) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const double top = p.ymax[i];
  const double bottom = p.ymin[i];
  const double width = std::fabs(top - bottom);
  const V zero = hn::Zero(d);
  const V one = hn::Set(d, 1.0);
  const V vx = hn::Set(d, x);
  const V boundSum = hn::Set(d, top + bottom);
  const V vWidth = hn::Set(d, width);
  const V bias = hn::Set(d, 5.0 * sinCamber);
  const bool hasWidth = !(width <= 0.0);
  std::size_t j = 0;
  for (; j + lanes <= columns; j += lanes) {
    const V L = hn::LoadU(d, p.xhalf.data() + j);
    if (!hasWidth) {
      hn::StoreU(zero, d, weight + j);
      continue;
    }
    const V y = hn::Sub(hn::Set(d, p.b), hn::Mul(hn::Iota(d, static_cast<double>(j)), hn::Set(d, p.dy)));
    const V xr = hn::Div(vx, L);
    const V q = hn::Mul(xr, xr);
    const V q2 = hn::Mul(q, q);
    const V eta = hn::Div(hn::Sub(hn::Mul(hn::Set(d, 2.0), y), boundSum), vWidth);
    const V eta2 = hn::Mul(eta, eta);
    const V eta4 = hn::Mul(eta2, eta2);
    V k = hn::Sub(one, hn::Mul(bias, eta));  // camber moves load towards negative eta
    k = hn::IfThenElse(hn::Lt(k, zero), zero, k);
    const V twoEta2 = hn::Mul(hn::Mul(hn::Set(d, 2.0), eta), eta);
    const V shape = hn::Sub(hn::Add(one, twoEta2), hn::Mul(hn::Set(d, 3.0), hn::Mul(eta2, eta4)));
    const V w = hn::Mul(hn::Mul(hn::Sub(one, hn::Mul(q2, q2)), shape), k);
    const auto loaded = hn::And(hn::Le(hn::LoadU(d, gap + j), zero), hn::Not(hn::Le(L, zero)));
    hn::StoreU(hn::IfThenElseZero(loaded, w), d, weight + j);
  }
  for (; j < columns; ++j) {
    geometricWeight(p, x, p.b - static_cast<double>(j) * p.dy, static_cast<int>(i), static_cast<int>(j), sinCamber,
                    weight[j]);
  }
}

double geometricWeights(const DiscretePatch& p, SweepScratch& scratch, double sinCamber) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t rows = sweptCount(p.lastRow);
  const std::size_t columns = sweptCount(p.lastColumn);
  SweepScratch& s = scratch;
  const WeightRows r{s.x.data(),         p.ymax.data(),     p.ymin.data(),     s.boundSum.data(),
                     s.boundWidth.data(), s.inverseWidth.data(), s.etaTop.data(), s.etaBottom.data(),
                     s.sumWeight.data(),  rows,              static_cast<std::size_t>(p.gridRows), 5.0 * sinCamber};
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

  // The columns' half lengths and the weights of their edge rows, as
  // geometricWeight has them, by vector across the columns.
  const std::size_t lastRow = rows - 1;
  for (std::size_t j = 0; j < columns; ++j) {
    s.gapFirst[j] = p.gapAt(0, static_cast<int>(j));
    s.gapLast[j] = p.gapAt(static_cast<int>(lastRow), static_cast<int>(j));
  }
  std::size_t j = 0;
  for (; j + lanes <= columns; j += lanes)
    hn::StoreU(hn::Div(hn::Set(d, 1.0), hn::LoadU(d, p.xhalf.data() + j)), d, s.inverseHalf.data() + j);
  for (; j < columns; ++j) s.inverseHalf[j] = 1.0 / p.xhalf[j];
  edgeWeights(p, columns, r.x[0], 0, s.gapFirst.data(), s.weightFirst.data(), sinCamber);
  edgeWeights(p, columns, r.x[lastRow], lastRow, s.gapLast.data(), s.weightLast.data(), sinCamber);

  j = 0;
  for (; j + kSweepColumnBlock <= columns; j += kSweepColumnBlock) weighColumnBlock<kSweepColumnBlock>(p, r, s, j);
  for (; j < columns; ++j) weighColumnBlock<1>(p, r, s, j);
  double sum = 0.0;
  for (std::size_t k = 0; k < rows; ++k) sum += s.sumWeight[k];
  return sum;
}

void columnHalfLengths(const DiscreteProperties& t, DiscretePatch& p) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t columns = sweptCount(p.lastColumn);
  const double cosgam = p.cosgam;
  const double singam = p.singam;
  const double R2 = t.R * t.R;
  const double cosPower = t.ny <= INT_MAX - 2 ? integerPower(cosgam, t.ny + 2)
                                              : integerPower(cosgam, t.ny) * cosgam * cosgam;
  const double rootRyny = std::sqrt(p.Ryny);
  const double R2cos2 = R2 * (cosgam * cosgam);
  const double rootRynyCos = rootRyny * cosgam;
  // The half chord of the column's section circle at the road, 0 where the
  // circle does not reach it.
  const auto halfOne = [&](std::size_t j) {
    const double y = p.b - static_cast<double>(j) * p.dy;
    const double centre = p.Rl + y * cosgam * singam;
    const double Dc = p.Ryny * (R2cos2 - centre * centre) - R2 * integerPower(y, t.ny) * cosPower;
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
      const V y = hn::Sub(hn::Set(d, p.b), hn::Mul(hn::Iota(d, static_cast<double>(j)), hn::Set(d, p.dy)));
      const V centre = hn::Add(hn::Set(d, p.Rl), hn::Mul(hn::Mul(y, hn::Set(d, cosgam)), hn::Set(d, singam)));
      const V Dc = hn::Sub(hn::Mul(hn::Set(d, p.Ryny), hn::Sub(hn::Set(d, R2cos2), hn::Mul(centre, centre))),
                           hn::Mul(hn::Mul(hn::Set(d, R2), integerPowerLanes(d, y, t.ny)), hn::Set(d, cosPower)));
      const V half = hn::IfThenElse(hn::Lt(Dc, zero), zero, hn::Div(hn::Sqrt(Dc), hn::Set(d, rootRynyCos)));
      hn::StoreU(half, d, p.xhalf.data() + j);
      const V size = hn::Abs(half);
      hv = hn::IfThenElse(hn::Gt(size, hv), size, hv);
    }
    for (std::size_t k = 0; k < lanes; ++k) longest(hn::ExtractLane(hv, k));
  }
  for (; j < columns; ++j) {
    p.xhalf[j] = halfOne(j);
    longest(p.xhalf[j]);
  }
  p.h = h;
}

/// Contact measures of the points of columns j0 .. j0 + kColumns - 1 and
/// the rows' contact bounds, taken in column order; the bounds stay in
/// registers across the columns. The edge rows x = +-h take the gap itself:
/// there the longest column meets the grid exactly and its point lies on
/// the contour, so the gap's own rounding decides whether it is in contact.
template <std::size_t kColumns>
HWY_INLINE void measureColumnBlock(DiscretePatch& p, const SweepScratch& s, std::size_t j0) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t rows = sweptCount(p.lastRow);
  const std::size_t lastRow = rows - 1;
  const double* const x = s.x.data();
  double* const top = p.ymax.data();
  double* const bottom = p.ymin.data();
  std::array<double, kColumns> y{};
  std::array<double*, kColumns> gap{};
  for (std::size_t c = 0; c < kColumns; ++c) {
    y[c] = p.b - static_cast<double>(j0 + c) * p.dy;
    gap[c] = &p.gapAt(0, static_cast<int>(j0 + c));
  }
  const V zero = hn::Zero(d);
  std::size_t i = 0;
  for (; i + lanes <= rows; i += lanes) {
    const V xi = hn::LoadU(d, x + i);
    const V x2 = hn::Mul(xi, xi);
    V t = hn::LoadU(d, top + i);
    V u = hn::LoadU(d, bottom + i);
    const bool hasLast = lastRow < i + lanes;  // the vector holds the edge row x = -h
    for (std::size_t c = 0; c < kColumns; ++c) {
      const std::size_t j = j0 + c;
      V g = hn::Sub(hn::Set(d, s.reach2[j]), hn::Sub(hn::Set(d, s.crown[j]), x2));
      if (i == 0) g = hn::IfThenElse(hn::FirstN(d, 1), hn::Set(d, s.gapFirst[j]), g);
      if (hasLast) g = hn::IfThenElse(rowMask(d, i, lastRow), hn::Set(d, s.gapLast[j]), g);
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
      const double inner = s.reach2[j] - (s.crown[j] - x[i] * x[i]);
      const double g = i == 0 ? s.gapFirst[j] : (i == lastRow ? s.gapLast[j] : inner);
      gap[c][i] = g;
      const bool inContact = g <= 0.0;
      top[i] = inContact & (y[c] > top[i]) ? y[c] : top[i];
      bottom[i] = inContact & (y[c] < bottom[i]) ? y[c] : bottom[i];
    }
  }
}

void contactMeasures(const DiscreteProperties& t, DiscretePatch& p, SweepScratch& scratch) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  const double cosgam = p.cosgam;
  const double singam = p.singam;
  const double R2 = t.R * t.R;
  const std::size_t rows = sweptCount(p.lastRow);
  const int lastColumn = p.lastColumn;
  const double* const x = scratch.x.data();
  double* const top = p.ymax.data();
  double* const bottom = p.ymin.data();

  // A row starts with the empty range top -b, bottom +b.
  if (lastColumn >= 0) {
    const double y0 = p.b - 0 * p.dy;
    for (std::size_t i = 0; i < rows; ++i) {
      top[i] = -y0;
      bottom[i] = y0;
    }
  }
  const bool facingRoad = cosgam > 0.0;
  const double roadOffset = p.Rl / cosgam;
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
    const double y = p.b - static_cast<double>(j) * p.dy;
    const double P = integerPower(y * cosgam / t.Ry, t.ny);
    const double crown = R2 * (1.0 - P);  // the radicand A at x = 0
    const double c = y * singam + roadOffset;
    const double reach = c <= 0.0 ? 0.0 : c;  // a negative c: any real root reaches; not a number stays
    crownOf[j] = crown;
    reach2Of[j] = reach * reach;
    gapFirstOf[j] = cosgam * (y * singam - std::sqrt(crown - x[0] * x[0])) + p.Rl;
    gapLastOf[j] = cosgam * (y * singam - std::sqrt(crown - x[lastRow] * x[lastRow])) + p.Rl;
  };
  {
    const V b = hn::Set(d, p.b);
    const V dy = hn::Set(d, p.dy);
    const V vCosgam = hn::Set(d, cosgam);
    const V vSingam = hn::Set(d, singam);
    const V Ry = hn::Set(d, t.Ry);
    const V vR2 = hn::Set(d, R2);
    const V one = hn::Set(d, 1.0);
    const V offset = hn::Set(d, roadOffset);
    const V Rl = hn::Set(d, p.Rl);
    const V xFirst2 = hn::Set(d, x[0] * x[0]);
    const V xLast2 = hn::Set(d, x[lastRow] * x[lastRow]);
    std::size_t j = 0;
    for (; j + lanes <= columns; j += lanes) {
      const V y = hn::Sub(b, hn::Mul(hn::Iota(d, static_cast<double>(j)), dy));
      const V P = integerPowerLanes(d, hn::Div(hn::Mul(y, vCosgam), Ry), t.ny);
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
      const double y = p.b - static_cast<double>(j) * p.dy;
      double* const gap = &p.gapAt(0, static_cast<int>(j));
      for (std::size_t i = 0; i < rows; ++i) {
        gap[i] = cosgam * (y * singam - std::sqrt(crownOf[j] - x[i] * x[i])) + p.Rl;
        const bool inContact = gap[i] <= 0.0;
        top[i] = inContact & (y > top[i]) ? y : top[i];
        bottom[i] = inContact & (y < bottom[i]) ? y : bottom[i];
      }
    }
    return;
  }
  std::size_t j = 0;
  for (; j + kSweepColumnBlock <= columns; j += kSweepColumnBlock) measureColumnBlock<kSweepColumnBlock>(p, scratch, j);
  for (; j < columns; ++j) measureColumnBlock<1>(p, scratch, j);
}

}  // namespace HWY_NAMESPACE
}  // namespace grip
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace grip {

HWY_EXPORT(geometricWeights);
HWY_EXPORT(contactMeasures);
HWY_EXPORT(columnHalfLengths);

double geometricWeights(const DiscretePatch& patch, SweepScratch& scratch, double sinCamber) {
  return HWY_DYNAMIC_DISPATCH(geometricWeights)(patch, scratch, sinCamber);
}

void contactMeasures(const DiscreteProperties& tyre, DiscretePatch& patch, SweepScratch& scratch) {
  HWY_DYNAMIC_DISPATCH(contactMeasures)(tyre, patch, scratch);
}

void columnHalfLengths(const DiscreteProperties& tyre, DiscretePatch& patch) {
  HWY_DYNAMIC_DISPATCH(columnHalfLengths)(tyre, patch);
}

}  // namespace grip
#endif  // HWY_ONCE
