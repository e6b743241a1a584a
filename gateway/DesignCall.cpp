// The call lifecycle of the fit: initialise, run, terminate.

#include <cmath>
#include <exception>
#include <memory>
#include <new>

#include "continuous/ContinuousModel.h"
#include "core/Console.h"
#include "core/Messages.h"
#include "core/Numbers.h"
#include "discrete/DiscreteModel.h"
#include "gateway/DesignState.h"
#include "gateway/GatewayMessages.h"

namespace grip {

namespace {

/// Releases the model records, their grids and the measurement store.
void release(DesignState& state) noexcept { state = DesignState{}; }

/// Releases everything and hands the failure value on.
double fail(DesignState& state, double failure) noexcept {
  release(state);
  return failure;
}

double initialise(DesignState& state, std::span<double> designVariables) {
  release(state);  // a second initialise starts from nothing
  state.model.emplace(std::make_unique<ContinuousModel>(), std::make_unique<DiscreteModel>());

  int targetRead = 0;
  try {
    targetRead = readDesignTarget(state);
  } catch (const std::bad_alloc&) {
    say(msg::kOutOfMemory);
  }
  if (targetRead == 0) {
    say(msg::kDesignTargetFailed);
    return fail(state, kTargetFault);
  }

  if (readDesignStart(state, designVariables) == 0) {
    say(msg::kDesignStartFailed);
    return fail(state, kStartFault);
  }
  // The fit never writes a trace: no stream, no area summing.
  state.model->setTrace(0, nullptr);
  state.initialised = true;
  return state.designCount;
}

/// Refuses a call that the state cannot answer; true when it may go on.
bool readyToEvaluate(DesignState& state, std::span<const double> designVariables, double& refusal) {
  if (!state.initialised) {
    say(msg::kInitialiseFirst);
    refusal = kStartFault;
    return false;
  }
  if (designVariables.size() < static_cast<std::size_t>(state.designCount)) {
    say(msg::kDesignArrayTooSmall, static_cast<int>(designVariables.size()), state.designCount);
    refusal = kArgumentFault;
    return false;
  }
  // A variant whose set-up did not complete may lack its storage.
  if (!state.model->variantReady()) {
    say(msg::kModelNotSetUp, state.model->modelType, gateway::kDesignStartFile);
    refusal = kStartFault;
    return false;
  }
  return true;
}

double run(DesignState& state, std::span<const double> designVariables) {
  double refusal = 0.0;
  if (!readyToEvaluate(state, designVariables, refusal)) return refusal;
  applyDesignVariables(state, designVariables);
  return evaluateTarget(state);
}

double terminate(DesignState& state, std::span<const double> designVariables) {
  double refusal = 0.0;
  if (!readyToEvaluate(state, designVariables, refusal)) {
    // Nothing can be evaluated; a terminate still ends the fit, unless the
    // caller only passed too short an array and can call again.
    if (refusal != kArgumentFault) release(state);
    return refusal;
  }
  applyDesignVariables(state, designVariables);
  const double target = evaluateTarget(state);
  applyDesignVariables(state, designVariables);
  writeFileResults(state);
  writeDesignResults(state, designVariables);
  release(state);
  return target;
}

}  // namespace

DesignCall designCallOf(double identifier) {
  if (std::isnan(identifier)) return DesignCall::invalid;
  switch (truncateToInt(identifier)) {
    case 0: return DesignCall::initialise;
    case -1: return DesignCall::terminate;
    default: return DesignCall::run;
  }
}

double handleDesignCall(DesignState& state, std::span<double> designVariables, double identifier) noexcept {
  try {
    switch (designCallOf(identifier)) {
      case DesignCall::initialise: return initialise(state, designVariables);
      case DesignCall::run: return run(state, designVariables);
      case DesignCall::terminate: return terminate(state, designVariables);
      case DesignCall::invalid: break;
    }
    say(msg::kIdentifierNotANumber);
    return kArgumentFault;
  } catch (const std::bad_alloc&) {
    say(msg::kOutOfMemory);
  } catch (const std::exception& fault) {
    say(msg::kUnexpectedFault, fault.what());
  } catch (...) {
    say(msg::kUnexpectedFault, "unknown exception");
  }
  return fail(state, kStartFault);
}

}  // namespace grip
