// The target value and the result files of a fit.

#include <cmath>
#include <string>

#include "core/Console.h"
#include "core/Numbers.h"
#include "core/TextFile.h"
#include "gateway/DesignState.h"
#include "gateway/GatewayMessages.h"

namespace grip {

namespace {

/// Measured values of one stored point.
struct MeasuredPoint {
  const double* m;  ///< the seven stored numbers
  double Fx() const { return m[3]; }
  double Fy() const { return m[4]; }
  double load() const { return m[5]; }
  double Mz() const { return m[6]; }
};

/// Puts a stored point into the model's operating point (the speed is the file's).
void setOperatingPoint(OperatingPoint& input, const MeasuredPoint& point) {
  input.longitudinalSlip = point.m[0];
  input.slipAngle = point.m[1];
  input.camber = point.m[2];
  input.verticalLoad = point.m[5];
}

/// Error of one point, normalised by its measured load: Fx for direction 1,
/// Fy for 2, Fy and Mz (the moment error over 500 times the load) above.
double pointTerm(int direction, const TyreForces& model, const MeasuredPoint& point) {
  switch (direction) {
    case 1: return std::fabs(model.Fx - point.Fx()) / point.load();
    case 2: return std::fabs(model.Fy - point.Fy()) / point.load();
    default:
      return std::fabs(model.Fy - point.Fy()) / point.load() +
             std::fabs(model.Mz - point.Mz()) / (500.0 * point.load());
  }
}

}  // namespace

double evaluateTarget(DesignState& state) {
  TyreModel& model = *state.model;
  double sum = 0.0;
  const double* next = state.measurements.data();
  for (int f = 0; f < state.fileCount; ++f) {
    const auto file = static_cast<std::size_t>(f);
    const int direction = state.TargetDirectionPerFile[file];
    model.input.speed = state.SpeedPerFile[file];
    for (int k = 0; k < state.PointsPerFile[file]; ++k, next += kMeasurementColumns) {
      const MeasuredPoint point{next};
      setOperatingPoint(model.input, point);
      model.evaluate();
      sum += pointTerm(direction, model.forces, point);
    }
  }
  state.targetValue = sum * 100.0 / state.totalPoints;
  return state.targetValue;
}

void writeFileResults(DesignState& state) {
  TyreModel& model = *state.model;
  const double* next = state.measurements.data();
  for (int f = 0; f < state.fileCount; ++f) {
    const auto file = static_cast<std::size_t>(f);
    const int points = state.PointsPerFile[file];
    const std::string name = gateway::kListingPrefix + std::to_string(f + 1) + gateway::kListingSuffix;
    TextFile listing = openForWriting(name);
    if (!listing) {
      say(msg::kCantOpenListing, f);
      next += static_cast<std::size_t>(points) * kMeasurementColumns;  // on to the next file's points
      continue;
    }
    model.input.speed = state.SpeedPerFile[file];
    for (int k = 0; k < points; ++k, next += kMeasurementColumns) {
      const MeasuredPoint point{next};
      setOperatingPoint(model.input, point);
      model.evaluate();
      const OperatingPoint& in = model.input;
      const TyreForces forces = model.forces;
      std::fprintf(listing.get(), gateway::kListingOperatingPoint, in.longitudinalSlip, in.slipAngle, in.camber,
                   in.verticalLoad, in.speed);
      std::fprintf(listing.get(), gateway::kListingMeasured, point.Fx(), point.Fy(), point.Mz());
      std::fprintf(listing.get(), gateway::kListingModel, forces.Fx, forces.Fy, forces.Mz);
    }
  }
}

void writeDesignResults(const DesignState& state, std::span<const double> designVariables) {
  TextFile results = openForWriting(gateway::kDesignResultsFile);
  if (!results) {
    say(msg::kCantOpenDesignResults);
    return;
  }
  std::FILE* file = results.get();
  const TyreModel& model = *state.model;

  // With the speed-table friction law parameters 11 to 18 carry other names.
  const bool speedTableLaw =
      model.modelType == kDiscreteModel && truncateToInt(model.parameters[par::sliding]) > 3;

  int designIndex = 0;
  std::size_t parameter = 0;
  for (const ParameterBlock& block : kParameterBlocks) {
    std::fputs(block.header, file);
    for (int k = 0; k < block.count; ++k, ++parameter) {
      const ParameterInfo& info = kParameterTable[parameter];
      const char* name = speedTableLaw && info.alternativeName != nullptr ? info.alternativeName : info.name;
      const double value = model.parameters[parameter];
      std::fprintf(file, gateway::kParameterLine, name, info.magnitude ? std::fabs(value) : value, info.unitField);
      writeDesignBounds(file, parameter, state, designVariables, designIndex);
    }
  }
  std::fputs(gateway::kModelHeader, file);
  std::fprintf(file, gateway::kModelLine, static_cast<double>(model.modelType));
  std::fputs(gateway::kTargetHeader, file);
  std::fprintf(file, gateway::kTargetLine, state.targetValue);
  std::fputs(gateway::kResultsEnd, file);
}

}  // namespace grip
