// The target value of a fit and its residuals.

#include <cmath>

#include "fit/DesignState.h"

namespace grip {

namespace {

/// Model minus measured of point k, per channel.
ChannelValues errorsOf(double Fx, double Fy, double Mz, const MeasuredColumns& m, std::size_t k) {
  return {Fx - m.Fx[k], Fy - m.Fy[k], Mz - m.Mz[k]};
}

}  // namespace

TargetEvaluator::TargetEvaluator(TyreModel& model, const DesignState& state)
    : model_(model),
      state_(state),
      Fx_(static_cast<std::size_t>(state.totalPoints)),
      Fy_(static_cast<std::size_t>(state.totalPoints)),
      Mz_(static_cast<std::size_t>(state.totalPoints)) {
  for (int direction : state.columns.direction) residualCount_ += TargetDirection(direction).residualCount();
}

void TargetEvaluator::evaluateAll() {
  const MeasuredColumns& m = state_.columns;
  model_.evaluate(OperatingColumns{m.longitudinalSlip, m.slipAngle, m.camber, m.verticalLoad, m.speed},
                  ForceColumns{Fx_, Fy_, Mz_});
}

double TargetEvaluator::target(std::span<const double> designVariables) {
  applyDesignVariables(model_, state_, designVariables);
  return target();
}

double TargetEvaluator::target() {
  evaluateAll();
  const MeasuredColumns& m = state_.columns;
  double sum = 0.0;
  for (std::size_t k = 0; k < Fx_.size(); ++k)
    sum += TargetDirection(m.direction[k]).term(errorsOf(Fx_[k], Fy_[k], Mz_[k], m, k), m.verticalLoad[k]);
  return sum * 100.0 / state_.totalPoints;
}

void TargetEvaluator::residuals(std::span<const double> designVariables, std::span<double> residuals) {
  applyDesignVariables(model_, state_, designVariables);
  evaluateAll();
  this->residuals(residuals);
}

void TargetEvaluator::residuals(std::span<double> residuals) const {
  const MeasuredColumns& m = state_.columns;
  const double scale = 100.0 / state_.totalPoints;
  std::size_t r = 0;
  for (std::size_t k = 0; k < Fx_.size() && r < residuals.size(); ++k) {
    const double perLoad = scale / m.verticalLoad[k];
    r = TargetDirection(m.direction[k]).residuals(errorsOf(Fx_[k], Fy_[k], Mz_[k], m, k), perLoad, residuals, r);
  }
}

double evaluateTarget(DesignState& state) {
  if (!state.evaluator) state.evaluator = std::make_unique<TargetEvaluator>(*state.model, state);
  state.targetValue = state.evaluator->target();
  return state.targetValue;
}

}  // namespace grip
