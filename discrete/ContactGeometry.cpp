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

#include <cmath>

#include "core/Numbers.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepKernels.h"
#include "discrete/SweepScratch.h"

namespace grip {

void contactGeometry(DiscreteModel& m, SweepScratch& scratch, double sinCamber) {
  m.cosgam = std::cos(m.camberRad);
  m.singam = sinCamber;
  m.Ryny = integerPower(m.Ry, m.ny);
  m.Rl = m.R - m.Fz / m.cR;
  const int lastRow = m.lastRow();

  // Half width: where the centre row leaves the road, searched from both sides.
  double edge1 = 0.0;
  double edge2 = 0.0;
  solveContactEdges(-2.0 * m.b, 2.0 * m.b, m, edge1, edge2);
  const double r1 = std::fabs(edge1);
  const double r2 = std::fabs(edge2);
  m.b = r1 < r2 ? r2 : r1;
  m.dy = 2.0 * m.b / m.nj;

  // Half length of each lateral column: the half chord of its section circle
  // at the road, 0 where the circle does not reach it.
  columnHalfLengths(m);
  m.dx = 2.0 * m.h / m.ni;
  for (int i = 0; i <= lastRow; ++i) scratch.x[static_cast<std::size_t>(i)] = m.h - i * m.dx;

  // Contact measure of every grid point and the lateral contact bounds of
  // every row, column by column: the crown power depends on the column
  // alone.
  contactMeasures(m, scratch);

  // The weights of all points in contact sum up to psum (over ni*nj cells).
  m.psum = geometricWeights(m, scratch, sinCamber) / m.ncell;
}

}  // namespace grip
