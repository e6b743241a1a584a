// Contact patch of the discrete model from the crown geometry of the tyre:
// the edge search for its half width and the stages of the patch.
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

#include "discrete/ContactGeometry.h"

#include <cmath>

#include "core/Console.h"
#include "core/Numbers.h"
#include "discrete/DiscreteMessages.h"
#include "discrete/PointLaws.h"
#include "discrete/SweepKernels.h"
#include "discrete/SweepScratch.h"

namespace grip {

namespace {

constexpr int kNewtonPasses = 51;
constexpr double kShrink = 0.33;      // pulls an unusable iterate towards the crown centre
constexpr double kVanishing = 1e-12;  // D or F' this small gives no usable Newton step
constexpr double kConverged = 0.001;  // Newton step below this ends the search [mm]

/// One search of solveContactEdges: its iterate, and whether it has ended.
struct EdgeSearch {
  double y;
  bool converged = false;
};

/// One pass of the damped Newton iteration; marks the search converged
/// when its step is small (the last, small step is not applied).
inline void newtonPass(EdgeSearch& search, const DiscreteProperties& t, const DiscretePatch& p) {
  const double cosgam = p.cosgam;
  const double singam = p.singam;
  const double y = search.y;
  const double P = integerPower(cosgam * y, t.ny);
  const double f = 1.0 - P / p.Ryny;
  if (f < 0.0) {  // beyond the lateral extent of the contour
    search.y = kShrink * y;
    return;
  }
  const double g = std::sqrt(f);
  const double F = cosgam * singam * y - t.R * cosgam * g + p.Rl;
  const double D = 2.0 * g * p.Ryny * y;
  if (std::fabs(D) < kVanishing) {
    search.y = kShrink * y;
    return;
  }
  const double slope = t.ny * t.R * cosgam * P / D + cosgam * singam;
  if (std::fabs(slope) < kVanishing) {
    search.y = kShrink * y;
    return;
  }
  const double step = F / slope;
  if (std::fabs(step) < kConverged) {
    search.converged = true;
    return;
  }
  search.y = y - step;
}

}  // namespace

// Damped Newton iteration on the residual of the cambered crown contour
// against the road, F(y) = cosgam*singam*y - R*cosgam*sqrt(1 - (cosgam*y)^ny/Ry^ny) + Rl.
double solveContactEdge(double start, const DiscreteProperties& t, const DiscretePatch& p) {
  EdgeSearch search{start};
  for (int pass = 0; pass < kNewtonPasses && !search.converged; ++pass) newtonPass(search, t, p);
  if (!search.converged) say("%s", msg::kNoConvergence);
  return search.y;
}

// The two searches side by side, so that the processor works on both
// chains of divisions and roots at once; each takes the passes it would
// take alone, and warns in the same order.
void solveContactEdges(double first, double second, const DiscreteProperties& t, const DiscretePatch& p, double& firstEdge,
                       double& secondEdge) {
  EdgeSearch a{first};
  EdgeSearch b{second};
  for (int pass = 0; pass < kNewtonPasses && !(a.converged && b.converged); ++pass) {
    if (!a.converged) newtonPass(a, t, p);
    if (!b.converged) newtonPass(b, t, p);
  }
  if (!a.converged) say("%s", msg::kNoConvergence);
  if (!b.converged) say("%s", msg::kNoConvergence);
  firstEdge = a.y;
  secondEdge = b.y;
}

void contactGeometry(const DiscreteProperties& t, DiscretePatch& p, SweepScratch& scratch, double sinCamber) {
  p.cosgam = std::cos(p.camberRad);
  p.singam = sinCamber;
  p.Ryny = integerPower(t.Ry, t.ny);
  p.Rl = t.R - p.Fz / t.cR;
  const int lastRow = p.lastRow;

  // Half width: where the centre row leaves the road, searched from both sides.
  double edge1 = 0.0;
  double edge2 = 0.0;
  solveContactEdges(-2.0 * p.b, 2.0 * p.b, t, p, edge1, edge2);
  const double r1 = std::fabs(edge1);
  const double r2 = std::fabs(edge2);
  p.b = r1 < r2 ? r2 : r1;
  p.dy = 2.0 * p.b / t.nj;

  // Half length of each lateral column: the half chord of its section circle
  // at the road, 0 where the circle does not reach it.
  columnHalfLengths(t, p);
  p.dx = 2.0 * p.h / t.ni;
  for (int i = 0; i <= lastRow; ++i) scratch.x[static_cast<std::size_t>(i)] = p.h - i * p.dx;

  // Contact measure of every grid point and the lateral contact bounds of
  // every row, column by column: the crown power depends on the column
  // alone.
  contactMeasures(t, p, scratch);

  // The weights of all points in contact sum up to psum (over ni*nj cells).
  p.psum = geometricWeights(p, scratch, sinCamber) / p.ncell;
}

}  // namespace grip
