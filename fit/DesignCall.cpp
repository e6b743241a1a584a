// The call lifecycle of the fit: initialise, run, terminate.

#include <cmath>
#include <exception>
#include <memory>
#include <new>

#include "core/Console.h"
#include "core/Messages.h"
#include "core/Numbers.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"
#include "model/MakeTyreModel.h"

namespace grip {

namespace {

/// Releases the model records, their grids and the measurement store.
void release(DesignState& state) noexcept { state = DesignState{}; }

/// Releases everything and hands the failure value on.
double fail(DesignState& state, double failure) noexcept {
  release(state);
  return failure;
}

}  // namespace

double initialiseDesign(DesignState& state, const std::string& startFile, const std::string& targetFile,
                        TargetFaultLine faultLine) {
  release(state);  // a second initialise starts from nothing
  state.model.emplace(makeTyreModel());

  int targetRead = 0;
  try {
    targetRead = readDesignTarget(state, targetFile);
  } catch (const std::bad_alloc&) {
    say(msg::kOutOfMemory);
  }
  if (targetRead == 0) {
    // The plug-in's line is fixed (scripts match it) and names the target
    // list even where a measurement file it lists is at fault.
    if (faultLine == TargetFaultLine::namingFile && !state.unreadFile.empty())
      say(msg::kMeasurementFileFailed, state.unreadFile.c_str(), targetFile.c_str());
    else
      say(msg::kDesignTargetFailed);
    return fail(state, kTargetFault);
  }

  if (readDesignStart(state, startFile) == 0) {
    say(msg::kDesignStartFailed);
    return fail(state, kStartFault);
  }
  state.preparation = readPreparation(std::filesystem::path(targetFile).parent_path());
  // The fit never writes a trace: no stream, no area summing.
  state.model->setTrace(0, nullptr);
  state.evaluator = std::make_unique<TargetEvaluator>(*state.model, state);
  state.initialised = true;
  return 0.0;
}

namespace {

double initialise(DesignState& state) {
  const double failure = initialiseDesign(state);
  return failure != 0.0 ? failure : state.designCount;
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
    say(msg::kModelNotSetUp, state.model->modelType, fit::kDesignStartFile);
    refusal = kStartFault;
    return false;
  }
  // A design value that is not a finite number would make the target one.
  for (int k = 0; k < state.designCount; ++k) {
    const double value = designVariables[static_cast<std::size_t>(k)];
    if (!std::isfinite(value)) {
      say(msg::kDesignValueNotFinite, k + 1, value);
      refusal = kArgumentFault;
      return false;
    }
  }
  return true;
}

double run(DesignState& state, std::span<const double> designVariables) {
  double refusal = 0.0;
  if (!readyToEvaluate(state, designVariables, refusal)) return refusal;
  applyDesignVariables(*state.model, state, designVariables);
  return evaluateTarget(state);
}

double terminate(DesignState& state, std::span<const double> designVariables) {
  double refusal = 0.0;
  if (!readyToEvaluate(state, designVariables, refusal)) {
    // Nothing can be evaluated; a terminate still ends the fit, unless the
    // caller only passed faulty design values and can call again.
    if (refusal != kArgumentFault) release(state);
    return refusal;
  }
  applyDesignVariables(*state.model, state, designVariables);
  const double target = evaluateTarget(state);
  // Every file is attempted; the set replaces the files of the folder only
  // when all were written. When one could not be, the fit is kept, so that
  // terminate can be called again once the folder is writable.
  ResultSet results;
  const bool listingsWritten = writeFileResults(state, results);
  const bool resultsWritten = writeDesignResults(state, designVariables, results);
  if (!listingsWritten || !resultsWritten || !commitResults(results)) return kResultFault;
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

double handleDesignCall(DesignState& state, std::span<const double> designVariables, double identifier) noexcept {
  try {
    switch (designCallOf(identifier)) {
      case DesignCall::initialise: return initialise(state);
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
