// The target value of a fit and its residuals.

#include <cmath>

#include "fit/DesignState.h"

namespace grip {

namespace {

/// Error of one point, normalised by its measured load: Fx for direction 1,
/// Fy for 2, Fy and Mz (the moment error over 500 times the load) above.
/// The weight 1/500 [1/mm] makes a moment error of 500 N*mm count as much as
/// a force error of 1 N: stored fits were made with it, so it stays.
double pointTerm(int direction, double Fx, double Fy, double Mz, const MeasuredColumns& m, std::size_t k) {
  const double load = m.verticalLoad[k];
  switch (direction) {
    case 1: return std::fabs(Fx - m.Fx[k]) / load;
    case 2: return std::fabs(Fy - m.Fy[k]) / load;
    default: return std::fabs(Fy - m.Fy[k]) / load + std::fabs(Mz - m.Mz[k]) / (500.0 * load);
  }
}

}  // namespace

TargetEvaluator::TargetEvaluator(TyreModel& model, const DesignState& state)
    : model_(model),
      state_(state),
      Fx_(static_cast<std::size_t>(state.totalPoints)),
      Fy_(static_cast<std::size_t>(state.totalPoints)),
      Mz_(static_cast<std::size_t>(state.totalPoints)) {
  for (int direction : state.columns.direction) residualCount_ += direction >= 3 ? 2 : 1;
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
  for (std::size_t k = 0; k < Fx_.size(); ++k) sum += pointTerm(m.direction[k], Fx_[k], Fy_[k], Mz_[k], m, k);
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
    switch (m.direction[k]) {
      case 1: residuals[r++] = (Fx_[k] - m.Fx[k]) * perLoad; break;
      case 2: residuals[r++] = (Fy_[k] - m.Fy[k]) * perLoad; break;
      default:
        residuals[r++] = (Fy_[k] - m.Fy[k]) * perLoad;
        if (r < residuals.size()) residuals[r++] = (Mz_[k] - m.Mz[k]) * perLoad / 500.0;
    }
  }
}

double evaluateTarget(DesignState& state) {
  if (!state.evaluator) state.evaluator = std::make_unique<TargetEvaluator>(*state.model, state);
  state.targetValue = state.evaluator->target();
  return state.targetValue;
}

}  // namespace grip
