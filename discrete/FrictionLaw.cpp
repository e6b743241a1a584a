// Friction laws of the discrete model on the record's current grid point.

#include "discrete/DiscreteModel.h"
#include "discrete/PointLaws.h"

namespace grip {

namespace {

GridPoint currentPoint(const DiscreteModel& m) { return {m.ux, m.uy, m.fx, m.fy, m.vsx, m.vsy, m.pz}; }

}  // namespace

void frictionLaw(DiscreteModel& model) {
  GridPoint point = currentPoint(model);
  PointMagnitudes magnitude;
  const FrictionChoice choice = frictionCoefficients(model, frictionLoadFactor(model), point, magnitude);
  frictionSaturation(model, choice, magnitude, point);
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
  const double g = frictionLoadFactor(model);
  const double pf = cellLoadFactor(model);
  double muT = 0.0;
  double Fs = 0.0;
  tableCoefficient(model, g, pf, point, muT, Fs);
  tableSaturation(model, g, pf, muT, Fs, point);
  model.fx = point.fx;
  model.fy = point.fy;
}

}  // namespace grip
