#pragma once

#include "discrete/DiscretePatch.h"
#include "discrete/DiscreteProperties.h"
#include "discrete/SweepScratch.h"

namespace grip {

/// Lateral coordinate [mm] where the cambered crown contour meets the road,
/// by a damped Newton iteration from start; warns when it does not converge.
/// Reads R and ny of the tyre, cosgam, singam, Ryny and Rl of the patch.
double solveContactEdge(double start, const DiscreteProperties& tyre, const DiscretePatch& patch);

/// solveContactEdge from two starts, the searches side by side: the same
/// edges and warnings as two calls one after the other.
void solveContactEdges(double first, double second, const DiscreteProperties& tyre, const DiscretePatch& patch,
                       double& firstEdge, double& secondEdge);

/// Contact patch from the crown geometry: half width, column half lengths,
/// contact measures, row bounds, the geometric weights (into scratch) and
/// their sum psum; sinCamber is sin(patch.camberRad).
void contactGeometry(const DiscreteProperties& tyre, DiscretePatch& patch, SweepScratch& scratch, double sinCamber);

}  // namespace grip
