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
#include "discrete/SweepKernels.h"
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
  for (int i = 0; i <= lastRow; ++i) scratch.x[static_cast<std::size_t>(i)] = m.h - i * m.dx;

  // Contact measure of every grid point and the lateral contact bounds of
  // every row, column by column: the crown power depends on the column
  // alone.
  contactMeasures(m, scratch);

  // The weights of all points in contact sum up to psum (over ni*nj cells).
  m.psum = geometricWeights(m, scratch) / m.ncell;
}

}  // namespace grip
