// Contact patch of the discrete model from the crown geometry of the tyre.
//
// In each lateral section y the tyre is a circle in the rolling plane with
// the crown radius r(y) = R*sqrt(1 - (y*cosgam/Ry)^ny), tilted by the camber;
// the road lies at the loaded radius Rl = R - Fz/cR. A negative gap means the
// tyre penetrates the road: the point is in contact.
//
// The gap of point (x, y) is G = cosgam (y singam - sqrt(A)) + Rl with the
// radicand A = R^2 (1 - (y cosgam/Ry)^ny) - x^2. With the crown facing the
// road (cosgam > 0) G <= 0 is sqrt(A) >= c, c = y singam + Rl/cosgam, and
// that is A >= max(c, 0)^2: the test compares squares and takes no root.

#include <climits>
#include <cmath>

#include "core/Numbers.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepScratch.h"

namespace grip {

void contactGeometry(DiscreteModel& m, SweepScratch& scratch) {
  m.cosgam = std::cos(m.camberRad);
  m.singam = std::sin(m.camberRad);
  m.Ryny = integerPower(m.Ry, m.ny);
  m.Rl = m.R - m.Fz / m.cR;
  const double cosgam = m.cosgam;
  const double singam = m.singam;
  const double R2 = m.R * m.R;
  const int lastRow = m.lastRow();
  const int lastColumn = m.lastColumn();

  // Half width: where the centre row leaves the road, searched from both sides.
  const double r1 = std::fabs(solveContactEdge(-2.0 * m.b, m));
  const double r2 = std::fabs(solveContactEdge(2.0 * m.b, m));
  m.b = r1 < r2 ? r2 : r1;
  m.dy = 2.0 * m.b / m.nj;

  // Half length of each lateral column: the half chord of its section circle
  // at the road, 0 where the circle does not reach it.
  const double cosPower = m.ny <= INT_MAX - 2 ? integerPower(cosgam, m.ny + 2)
                                              : integerPower(cosgam, m.ny) * cosgam * cosgam;
  const double rootRyny = std::sqrt(m.Ryny);
  m.h = 0.0;
  for (int j = 0; j <= lastColumn; ++j) {
    const double y = m.b - j * m.dy;
    const double centre = m.Rl + y * cosgam * singam;
    const double Dc = m.Ryny * (R2 * (cosgam * cosgam) - centre * centre) - R2 * integerPower(y, m.ny) * cosPower;
    double& half = m.xhalf[static_cast<std::size_t>(j)];
    half = Dc < 0.0 ? 0.0 : std::sqrt(Dc) / (rootRyny * cosgam);
    if (std::fabs(half) > m.h) m.h = std::fabs(half);
  }
  m.dx = 2.0 * m.h / m.ni;
  const std::size_t rows = sweptCount(lastRow);
  for (int i = 0; i <= lastRow; ++i) scratch.x[static_cast<std::size_t>(i)] = m.h - i * m.dx;

  // Contact measure of every grid point and the lateral contact bounds of
  // every row, column by column: the crown power depends on the column
  // alone. A row starts with the empty range top -b, bottom +b.
  if (lastColumn >= 0) {
    const double y0 = m.b - 0 * m.dy;
    for (std::size_t i = 0; i < rows; ++i) {
      m.ymax[i] = -y0;
      m.ymin[i] = y0;
    }
  }
  const bool facingRoad = cosgam > 0.0;
  const double roadOffset = m.Rl / cosgam;
  double* const top = m.ymax.data();
  double* const bottom = m.ymin.data();
  for (int j = 0; j <= lastColumn; ++j) {
    const double y = m.b - j * m.dy;
    const double P = integerPower(y * cosgam / m.Ry, m.ny);
    const double crown = R2 * (1.0 - P);  // the radicand A at x = 0
    const auto gapOf = [&](double x) { return cosgam * (y * singam - std::sqrt(crown - x * x)) + m.Rl; };
    double* const gap = &m.gapAt(0, j);
    if (facingRoad) {
      const double c = y * singam + roadOffset;
      const double reach = c <= 0.0 ? 0.0 : c;  // a negative c: any real root reaches; not a number stays
      const double reach2 = reach * reach;
      for (std::size_t i = 0; i < rows; ++i) {
        const double x = scratch.x[i];
        gap[i] = reach2 - (crown - x * x);
      }
      // On the edge rows x = +-h the longest column meets the grid exactly
      // and its point lies on the contour: there the gap itself decides, as
      // its rounding does, whether it is in contact.
      if (rows > 0) {
        gap[0] = gapOf(scratch.x[0]);
        gap[rows - 1] = gapOf(scratch.x[rows - 1]);
      }
    } else {
      // Camber at or beyond 90 degrees, or not a number: the gap itself.
      for (std::size_t i = 0; i < rows; ++i) gap[i] = gapOf(scratch.x[i]);
    }
    for (std::size_t i = 0; i < rows; ++i) {
      const bool inContact = gap[i] <= 0.0;
      top[i] = inContact & (y > top[i]) ? y : top[i];
      bottom[i] = inContact & (y < bottom[i]) ? y : bottom[i];
    }
  }

  // The weights of all points in contact sum up to psum (over ni*nj cells).
  m.psum = geometricWeights(m, scratch) / m.ncell;
}

// The same weights as geometricWeight gives point by point, with the
// divisions taken out of the point loop: 1/L per column, 1/width per row.
// Where a weight is exactly 0 in geometricWeight it stays so, because the
// trace and the contact area count the loaded points: at a row bound
// (y = ymax or ymin, eta = +-1) eta is the row's quotient worked out once,
// and the edge rows x = +-h, where x/L may be exactly 1, take
// geometricWeight itself.
double geometricWeights(const DiscreteModel& m, SweepScratch& scratch) {
  const std::size_t rows = sweptCount(m.lastRow());
  const int lastColumn = m.lastColumn();
  const auto stride = static_cast<std::size_t>(m.gridRows());
  const double sinCamber = std::sin(m.camberRad);
  const double camberBias = 5.0 * sinCamber;
  const double* const top = m.ymax.data();
  const double* const bottom = m.ymin.data();
  double* const boundSum = scratch.boundSum.data();
  double* const boundWidth = scratch.boundWidth.data();
  double* const inverseWidth = scratch.inverseWidth.data();
  double* const etaTop = scratch.etaTop.data();
  double* const etaBottom = scratch.etaBottom.data();
  double* const sumWeight = scratch.sumWeight.data();
  const double* const x = scratch.x.data();
  for (std::size_t i = 0; i < rows; ++i) {
    boundSum[i] = top[i] + bottom[i];
    boundWidth[i] = std::fabs(top[i] - bottom[i]);
    inverseWidth[i] = 1.0 / boundWidth[i];
    etaTop[i] = (2.0 * top[i] - boundSum[i]) / boundWidth[i];
    etaBottom[i] = (2.0 * bottom[i] - boundSum[i]) / boundWidth[i];
    sumWeight[i] = 0.0;
  }
  for (int j = 0; j <= lastColumn; ++j) {
    double* const weight = scratch.weight.data() + static_cast<std::size_t>(j) * stride;
    const double L = m.xhalf[static_cast<std::size_t>(j)];
    if (L <= 0.0) {  // the column does not reach the road
      for (std::size_t i = 0; i < rows; ++i) weight[i] = 0.0;
      continue;
    }
    const double inverseL = 1.0 / L;
    const double y = m.b - j * m.dy;
    const double twoY = 2.0 * y;
    const double* const gap = m.gap.data() + static_cast<std::size_t>(j) * stride;
    for (std::size_t i = 0; i < rows; ++i) {
      const double xr = x[i] * inverseL;
      const double q = xr * xr;
      const double q2 = q * q;
      const double inside = (twoY - boundSum[i]) * inverseWidth[i];
      const double atTop = etaTop[i];  // read before the choices, so that they need no branch
      const double atBottom = etaBottom[i];
      const double belowTop = y == bottom[i] ? atBottom : inside;
      const double eta = y == top[i] ? atTop : belowTop;
      const double eta2 = eta * eta;
      const double eta4 = eta2 * eta2;
      double k = 1.0 - camberBias * eta;  // camber moves load towards negative eta
      k = k < 0.0 ? 0.0 : k;
      const double w = (1.0 - q2 * q2) * (1.0 + 2.0 * eta * eta - 3.0 * (eta2 * eta4)) * k;
      const bool loaded = (gap[i] <= 0.0) & !(boundWidth[i] <= 0.0);
      weight[i] = loaded ? w : 0.0;
    }
    if (rows > 0) {
      geometricWeight(m, x[0], y, 0, j, sinCamber, weight[0]);
      geometricWeight(m, x[rows - 1], y, static_cast<int>(rows - 1), j, sinCamber, weight[rows - 1]);
    }
    // Row by row, so that the points of a column stay independent.
    if (L > 0.0)
      for (std::size_t i = 0; i < rows; ++i) sumWeight[i] += weight[i];
  }
  double sum = 0.0;
  for (std::size_t i = 0; i < rows; ++i) sum += sumWeight[i];
  return sum;
}

}  // namespace grip
