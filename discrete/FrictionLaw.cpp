// Friction laws of the discrete model on the record's current grid point.

#include "discrete/DiscreteModel.h"
#include "discrete/GridPoint.h"

namespace grip {

namespace {

GridPoint currentPoint(const DiscreteModel& m) { return {m.ux, m.uy, m.fx, m.fy, m.vsx, m.vsy, m.pz}; }

}  // namespace

void frictionLaw(DiscreteModel& model) {
  GridPoint point = currentPoint(model);
  const FrictionChoice choice = applyFrictionLaw(model, frictionLoadFactor(model), point);
  model.mue1x = choice.mue1x;
  model.cmuex = choice.cmuex;
  model.mue1y = choice.mue1y;
  model.cmuey = choice.cmuey;
  model.muex = choice.muex;
  model.muey = choice.muey;
  model.fx = point.fx;
  model.fy = point.fy;
}

void tableFriction(DiscreteModel& model) {
  GridPoint point = currentPoint(model);
  applyTableFriction(model, frictionLoadFactor(model), cellLoadFactor(model), point);
  model.fx = point.fx;
  model.fy = point.fy;
}

}  // namespace grip
