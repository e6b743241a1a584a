// The measured sweeps beside the fitted model: curves at each sweep's mean
// operating point, stiffnesses at zero and peak friction.

#include "fit/SweepCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/TyreModel.h"
#include "model/MakeTyreModel.h"

namespace grip {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr std::size_t kFx = 0, kFy = 1, kMz = 2;

double& sweptInput(OperatingPoint& point, bool slip) { return slip ? point.longitudinalSlip : point.slipAngle; }

double forceOf(const TyreForces& forces, std::size_t channel) {
  return channel == kFx ? forces.Fx : channel == kFy ? forces.Fy : forces.Mz;
}

/// The model's slope of channel over the swept input through the same
/// swept values as the measured line, at the mean point: the two lines
/// weigh the curvature within the window alike.
double modelSlope(TyreModel& model, const SweepCurve& sweep, std::size_t channel, double window) {
  std::vector<double> x, y;
  OperatingPoint point = sweep.mean;
  for (const double swept : sweep.swept) {
    if (!(std::fabs(swept) <= window)) continue;
    sweptInput(point, sweep.sweepsSlip) = swept;
    x.push_back(swept);
    y.push_back(forceOf(model.evaluate(point), channel));
  }
  return slopeNearZero(x, y, window);
}

SweepCurve sweepOf(const DesignState& state, TyreModel& model, std::size_t file, std::size_t first) {
  const MeasuredColumns& m = state.columns;
  SweepCurve sweep;
  sweep.file = state.fileNames[file];
  sweep.direction = TargetDirection(state.TargetDirectionPerFile[file]).number();
  sweep.sweepsSlip = sweep.direction == 1;
  const auto count = static_cast<std::size_t>(state.PointsPerFile[file]);
  const double window = sweep.sweepsSlip ? kSlipWindow : kSlipAngleWindow;
  const std::size_t force = sweep.sweepsSlip ? kFx : kFy;

  OperatingPoint sum;
  for (std::size_t k = first; k < first + count; ++k) {
    const OperatingPoint point{m.longitudinalSlip[k], m.slipAngle[k], m.camber[k], m.verticalLoad[k], m.speed[k]};
    sum.longitudinalSlip += point.longitudinalSlip;
    sum.slipAngle += point.slipAngle;
    sum.camber += point.camber;
    sum.verticalLoad += point.verticalLoad;
    sum.speed += point.speed;
    sweep.swept.push_back(sweep.sweepsSlip ? point.longitudinalSlip : point.slipAngle);
    sweep.measured[kFx].push_back(m.Fx[k]);
    sweep.measured[kFy].push_back(m.Fy[k]);
    sweep.measured[kMz].push_back(m.Mz[k]);
    const TyreForces forces = model.evaluate(point);
    sweep.model[kFx].push_back(forces.Fx);
    sweep.model[kFy].push_back(forces.Fy);
    sweep.model[kMz].push_back(forces.Mz);
    if (m.verticalLoad[k] > 0.0)
      sweep.measuredPeakFriction =
          std::max(sweep.measuredPeakFriction, std::fabs(sweep.measured[force].back()) / m.verticalLoad[k]);
  }
  const double n = count > 0 ? static_cast<double>(count) : 1.0;
  sweep.mean = {sum.longitudinalSlip / n, sum.slipAngle / n, sum.camber / n, sum.verticalLoad / n, sum.speed / n};
  if (count == 0) return sweep;

  const auto [low, high] = std::minmax_element(sweep.swept.begin(), sweep.swept.end());
  OperatingPoint point = sweep.mean;
  for (std::size_t k = 0; k < kCurvePoints; ++k) {
    const double x = *low + (*high - *low) * static_cast<double>(k) / (kCurvePoints - 1);
    sweptInput(point, sweep.sweepsSlip) = x;
    const TyreForces forces = model.evaluate(point);
    sweep.curveSwept.push_back(x);
    sweep.curve[kFx].push_back(forces.Fx);
    sweep.curve[kFy].push_back(forces.Fy);
    sweep.curve[kMz].push_back(forces.Mz);
    if (sweep.mean.verticalLoad > 0.0)
      sweep.modelPeakFriction =
          std::max(sweep.modelPeakFriction, std::fabs(forceOf(forces, force)) / sweep.mean.verticalLoad);
  }

  sweep.measuredStiffness = slopeNearZero(sweep.swept, sweep.measured[force], window);
  sweep.modelStiffness = modelSlope(model, sweep, force, window);
  const bool aligning = TargetDirection(sweep.direction).compares(ForceChannel::Mz);
  sweep.measuredAligning = aligning ? slopeNearZero(sweep.swept, sweep.measured[kMz], window) : kNaN;
  sweep.modelAligning = aligning ? modelSlope(model, sweep, kMz, window) : kNaN;
  return sweep;
}

}  // namespace

double slopeNearZero(std::span<const double> x, std::span<const double> y, double window) {
  double n = 0.0, sx = 0.0, sy = 0.0;
  const std::size_t size = std::min(x.size(), y.size());
  for (std::size_t k = 0; k < size; ++k) {
    if (!(std::fabs(x[k]) <= window)) continue;
    n += 1.0;
    sx += x[k];
    sy += y[k];
  }
  if (n < 2.0) return kNaN;
  // Centred sums: the slope of points far from the origin keeps its digits.
  double sxx = 0.0, sxy = 0.0;
  for (std::size_t k = 0; k < size; ++k) {
    if (!(std::fabs(x[k]) <= window)) continue;
    const double dx = x[k] - sx / n;
    sxx += dx * dx;
    sxy += dx * (y[k] - sy / n);
  }
  return sxx > 0.0 ? sxy / sxx : kNaN;
}

std::vector<SweepCurve> sweepCurves(const DesignState& state, std::span<const double> design) {
  std::vector<SweepCurve> sweeps;
  if (!state.initialised || !state.model || design.size() != static_cast<std::size_t>(state.designCount))
    return sweeps;
  TyreModel model = makeTyreModel();
  if (model.setUp(state.model->parameters, state.model->modelNumber) != 0) return sweeps;
  model.setTrace(0, nullptr);
  applyDesignVariables(model, state, design);
  std::size_t first = 0;
  for (std::size_t f = 0; f < state.fileNames.size(); ++f) {
    sweeps.push_back(sweepOf(state, model, f, first));
    first += static_cast<std::size_t>(state.PointsPerFile[f]);
  }
  return sweeps;
}

}  // namespace grip
