// Contact width and pressure distribution of the discrete model.

#include <cmath>

#include "core/Console.h"
#include "core/Numbers.h"
#include "discrete/DiscreteMessages.h"
#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"

namespace grip {

namespace {

constexpr int kNewtonPasses = 51;
constexpr double kShrink = 0.33;      // pulls an unusable iterate towards the crown centre
constexpr double kVanishing = 1e-12;  // D or F' this small gives no usable Newton step
constexpr double kConverged = 0.001;  // Newton step below this ends the search [mm]

}  // namespace

namespace {

/// One search of solveContactEdges: its iterate, and whether it has ended.
struct EdgeSearch {
  double y;
  bool converged = false;
};

/// One pass of the damped Newton iteration; marks the search converged
/// when its step is small (the last, small step is not applied).
inline void newtonPass(EdgeSearch& search, const DiscreteModel& model) {
  const double cosgam = model.cosgam;
  const double singam = model.singam;
  const double y = search.y;
  const double P = integerPower(cosgam * y, model.ny);
  const double f = 1.0 - P / model.Ryny;
  if (f < 0.0) {  // beyond the lateral extent of the contour
    search.y = kShrink * y;
    return;
  }
  const double g = std::sqrt(f);
  const double F = cosgam * singam * y - model.R * cosgam * g + model.Rl;
  const double D = 2.0 * g * model.Ryny * y;
  if (std::fabs(D) < kVanishing) {
    search.y = kShrink * y;
    return;
  }
  const double slope = model.ny * model.R * cosgam * P / D + cosgam * singam;
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
double solveContactEdge(double start, const DiscreteModel& model) {
  EdgeSearch search{start};
  for (int pass = 0; pass < kNewtonPasses && !search.converged; ++pass) newtonPass(search, model);
  if (!search.converged) say("%s", msg::kNoConvergence);
  return search.y;
}

// The two searches side by side, so that the processor works on both
// chains of divisions and roots at once; each takes the passes it would
// take alone, and warns in the same order.
void solveContactEdges(double first, double second, const DiscreteModel& model, double& firstEdge,
                       double& secondEdge) {
  EdgeSearch a{first};
  EdgeSearch b{second};
  for (int pass = 0; pass < kNewtonPasses && !(a.converged && b.converged); ++pass) {
    if (!a.converged) newtonPass(a, model);
    if (!b.converged) newtonPass(b, model);
  }
  if (!a.converged) say("%s", msg::kNoConvergence);
  if (!b.converged) say("%s", msg::kNoConvergence);
  firstEdge = a.y;
  secondEdge = b.y;
}

double analyticPressure(double x, double y, DiscreteModel& model) {
  double load = 0.0;
  if (!analyticLoad(model, x, y, load)) return 0.0;
  model.pz = load;
  return load;
}

double geometricPressure(double x, double y, int i, int j, const DiscreteModel& model) {
  return geometricLoad(model, x, y, i, j, std::sin(model.camberRad));
}

}  // namespace grip
