// Contact patch of the discrete model from the crown geometry of the tyre.
//
// In each lateral section y the tyre is a circle in the rolling plane with
// the crown radius r(y) = R*sqrt(1 - (y*cosgam/Ry)^ny), tilted by the camber;
// the road lies at the loaded radius Rl = R - Fz/cR. A negative gap means the
// tyre penetrates the road: the point is in contact.

#include <climits>
#include <cmath>

#include "core/Numbers.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"

namespace grip {

void contactGeometry(DiscreteModel& m) {
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

  // Gap of every grid point and the lateral contact bounds of every row. A
  // point where the section circle does not reach x has no real gap (not a
  // number): it is out of contact.
  for (int i = 0; i <= lastRow; ++i) {
    const double x = m.h - i * m.dx;
    double& top = m.ymax[static_cast<std::size_t>(i)];
    double& bottom = m.ymin[static_cast<std::size_t>(i)];
    for (int j = 0; j <= lastColumn; ++j) {
      const double y = m.b - j * m.dy;
      if (j == 0) {  // an empty range: top -b, bottom +b
        top = -y;
        bottom = y;
      }
      const double P = integerPower(y * cosgam / m.Ry, m.ny);
      const double G = cosgam * (y * singam - std::sqrt(R2 * (1.0 - P) - x * x)) + m.Rl;
      if (G <= 0.0) {
        if (y > top) top = y;
        if (y < bottom) bottom = y;
      }
      m.gapAt(i, j) = G;
    }
  }

  // Sum of the geometric weights of all points in contact, column by column.
  const double sinCamber = std::sin(m.camberRad);
  m.psum = 0.0;
  for (int j = 0; j <= lastColumn; ++j) {
    if (!(m.xhalf[static_cast<std::size_t>(j)] > 0.0)) continue;
    const double y = m.b - j * m.dy;
    for (int i = 0; i <= lastRow; ++i) {
      if (m.gapAt(i, j) <= 0.0) m.psum += geometricLoad(m, m.h - i * m.dx, y, i, j, sinCamber);
    }
  }
}

}  // namespace grip
