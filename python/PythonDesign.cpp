// The design state of a Python fit: built from the design files or from
// data, evaluated, written as result texts and searched.

#include "python/PythonDesign.h"

#include <cmath>
#include <stdexcept>

#include "core/Console.h"
#include "core/Messages.h"
#include "fit/FitMessages.h"
#include "fit/HtmlReport.h"
#include "core/Numbers.h"
#include "model/MakeTyreModel.h"
#include "python/MessageCollector.h"
#include "python/PythonMessages.h"

namespace grip {

namespace {

/// Stand-ins for the file names in the messages of a design made from data.
constexpr const char* kDataStartName = "design";
constexpr const char* kDataTargetName = "targets";

/// Refuses measurements that the fit library would refuse in a file; warns
/// where it would warn.
void checkTarget(const TargetData& target) {
  if (target.measurements.empty() || target.measurements.size() % kMeasurementColumns != 0)
    throw std::invalid_argument(formatText(msg::kPyMeasurementShape, target.name.c_str(),
                                           formatText("(%zu values)", target.measurements.size()).c_str()));
  // The library's rule of a direction from data: numbers above 3 count as 3
  // with its warning (into the collected messages), as a target list's do.
  if (!dataTargetDirection(target.name, target.direction))
    throw std::invalid_argument(formatText(msg::kPyTargetDirection, target.name.c_str(), target.direction));
  if (!std::isfinite(target.speed))
    throw std::invalid_argument(formatText(msg::kPyTargetSpeed, target.name.c_str(), target.speed));
  const std::size_t points = target.measurements.size() / kMeasurementColumns;
  for (std::size_t point = 0; point < points; ++point) {
    const double* m = target.measurements.data() + point * kMeasurementColumns;
    const auto row = static_cast<int>(point + 1);
    for (std::size_t column = 0; column < kMeasurementColumns; ++column) {
      if (!std::isfinite(m[column]))
        throw std::invalid_argument(withMessages(
            "", formatText(msg::kMeasurementNotFinite, row, target.name.c_str(), column + 1, m[column])));
    }
    if (!(m[5] > 0.0))
      throw std::invalid_argument(withMessages("", formatText(msg::kLoadNotPositive, row, target.name.c_str(), m[5])));
  }
}

}  // namespace

PythonDesign::PythonDesign(const StartSource& start, const TargetSource& target)
    : state_(std::make_unique<DesignState>()) {
  MessageCollector messages;
  const auto* startFile = std::get_if<std::string>(&start);
  const auto* targetFile = std::get_if<std::string>(&target);
  startFile_ = startFile != nullptr ? *startFile : kDataStartName;
  targetFile_ = targetFile != nullptr ? *targetFile : kDataTargetName;
  DesignState& state = *state_;
  if (startFile != nullptr && targetFile != nullptr) {
    // Both files: exactly the plug-in's initialise.
    const double failure = initialiseDesign(state, *startFile, *targetFile, TargetFaultLine::namingFile);
    if (failure == kTargetFault)
      throw std::invalid_argument(withMessages(formatText(msg::kPyDesignTargetRejected, targetFile->c_str()), messages.text()));
    if (failure != 0.0)
      throw std::invalid_argument(withMessages(formatText(msg::kPyDesignStartRejected, startFile->c_str()), messages.text()));
    messages_ = messages.text();
    return;
  }
  // The same steps, each half from its file or from data.
  state.model.emplace(makeTyreModel());
  if (targetFile != nullptr) {
    if (readDesignTarget(state, *targetFile) == 0)
      throw std::invalid_argument(withMessages(formatText(msg::kPyDesignTargetRejected, targetFile->c_str()), messages.text()));
  } else {
    takeTargets(std::get<std::vector<TargetData>>(target));
  }
  if (startFile != nullptr) {
    if (readDesignStart(state, *startFile) == 0)
      throw std::invalid_argument(withMessages(formatText(msg::kPyDesignStartRejected, startFile->c_str()), messages.text()));
  } else {
    takeStart(std::get<StartData>(start));
  }
  // The fit never writes a trace.
  state.model->setTrace(0, nullptr);
  state.evaluator = std::make_unique<TargetEvaluator>(*state.model, state);
  state.initialised = true;
  messages_ = messages.text();
}

void PythonDesign::takeStart(const StartData& start) {
  MessageCollector messages;
  DesignState& state = *state_;
  // As a parameter file's model number is read: no undefined conversion of a NaN.
  const int type = truncateToInt(start.modelNumber);
  if (type != kContinuousModel && type != kDiscreteModel)
    throw std::invalid_argument(formatText(msg::kPyModelNumber, start.modelNumber));
  TyreModel& model = *state.model;
  const int code = model.setUp(start.parameters, start.modelNumber);
  if (code != 0)
    throw std::invalid_argument(withMessages(formatText(msg::kPyParametersRejected, type, code), messages.text()));

  if (start.design.empty()) throw std::invalid_argument(msg::kPyNoDesignVariable);
  for (const DesignVariable& variable : start.design) {
    const char* name = kParameterTable[variable.parameter].name;
    if (!std::isfinite(variable.lower) || !std::isfinite(variable.upper))
      throw std::invalid_argument(formatText(msg::kPyBoundNotFinite, name, variable.lower, variable.upper));
    if (variable.lower > variable.upper)
      throw std::invalid_argument(formatText(msg::kPyBoundOrder, name, variable.lower, variable.upper));
    if (model.fixedAtSetUp(variable.parameter)) throw std::invalid_argument(formatText(msg::kPyGridDesignVariable, name));
    state.designMask[variable.parameter] = 1;
    state.lowerBound[variable.parameter] = variable.lower;
    state.upperBound[variable.parameter] = variable.upper;
    state.boundsRead[variable.parameter] = 2;
  }
  // The design variables count in parameter order, as a design start file gives them.
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter) {
    if (state.designMask[parameter] == 1)
      state.startValues[static_cast<std::size_t>(state.designCount++)] = model.parameters[parameter];
  }
}

void PythonDesign::takeTargets(const std::vector<TargetData>& targets) {
  DesignState& state = *state_;
  if (targets.empty()) throw std::invalid_argument(msg::kPyNoTargets);
  for (const TargetData& target : targets) {
    checkTarget(target);
    const auto points = static_cast<int>(target.measurements.size() / kMeasurementColumns);
    state.fileNames.push_back(target.name);
    state.PointsPerFile.push_back(points);
    state.TargetDirectionPerFile.push_back(target.direction);
    state.SpeedPerFile.push_back(target.speed);
    state.pointsBeyondCount.push_back(0);
    state.measurements.insert(state.measurements.end(), target.measurements.begin(), target.measurements.end());
    state.totalPoints += points;
  }
  state.fileCount = static_cast<int>(targets.size());
  fillMeasuredColumns(state);
}

std::vector<std::string> PythonDesign::names() const {
  std::vector<std::string> names;
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter)
    if (state_->designMask[parameter] == 1) names.emplace_back(kParameterTable[parameter].name);
  return names;
}

std::vector<double> PythonDesign::startValues() const {
  return {state_->startValues.begin(), state_->startValues.begin() + state_->designCount};
}

std::vector<double> PythonDesign::lowerBounds() const {
  std::vector<double> bounds;
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter)
    if (state_->designMask[parameter] == 1) bounds.push_back(state_->lowerBound[parameter]);
  return bounds;
}

std::vector<double> PythonDesign::upperBounds() const {
  std::vector<double> bounds;
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter)
    if (state_->designMask[parameter] == 1) bounds.push_back(state_->upperBound[parameter]);
  return bounds;
}

void PythonDesign::checkDesign(std::span<const double> design) const {
  if (design.size() != static_cast<std::size_t>(state_->designCount))
    throw std::invalid_argument(formatText(msg::kPyDesignCount, design.size(), state_->designCount));
  const std::vector<std::string> variableNames = names();
  for (std::size_t k = 0; k < design.size(); ++k)
    if (!std::isfinite(design[k]))
      throw std::invalid_argument(
          formatText(msg::kPyDesignNotFinite, static_cast<int>(k + 1), variableNames[k].c_str(), design[k]));
}

double PythonDesign::target(std::span<const double> design) {
  checkDesign(design);
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  return state_->evaluator->target(design);
}

void PythonDesign::residuals(std::span<const double> design, std::span<double> out) {
  checkDesign(design);
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  state_->evaluator->residuals(design, out);
}

ParameterSet PythonDesign::parametersAt(std::span<const double> design) {
  checkDesign(design);
  std::lock_guard lock(mutex_);
  applyDesignVariables(*state_->model, *state_, design);
  return state_->model->parameters;
}

std::vector<ResultFile> PythonDesign::resultFiles(std::span<const double> design) {
  checkDesign(design);
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  DesignState& state = *state_;
  // As the plug-in's terminate: the design in place, the target value, then
  // the listings of the model's forces and DesignResults.dat.
  applyDesignVariables(*state.model, state, design);
  evaluateTarget(state);
  std::vector<ResultFile> files;
  bool opened = true;
  for (int f = 0; f < state.fileCount; ++f) {
    std::string text = writtenText([&](std::FILE* listing) { writeListing(listing, state, f); }, opened);
    if (!opened) throw std::invalid_argument(msg::kPyTraceFile);
    files.emplace_back(listingName(f), std::move(text));
  }
  std::string results = writtenText([&](std::FILE* file) { writeDesignResults(file, state, design); }, opened);
  if (!opened) throw std::invalid_argument(msg::kPyTraceFile);
  files.emplace_back(fit::kDesignResultsFile, std::move(results));
  return files;
}

FitOutcome PythonDesign::fit(const SearchOptions& options, const std::atomic<bool>* stop) {
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  FitOutcome outcome;
  std::string errors;
  for (DesignIssue& issue : validateDesign(*state_, startFile_, targetFile_)) {
    if (issue.error) {
      errors += issue.message;
      errors += '\n';
    } else {
      outcome.issues.push_back(std::move(issue));
    }
  }
  if (!errors.empty()) throw std::invalid_argument(withMessages(msg::kPyDesignInvalid, errors));
  // After the design, as gripfit: a budget too small for the first step on
  // these design variables is a refused option, not a search fault.
  std::string refused;
  if (!options.isValidFor(*state_, &refused)) throw std::invalid_argument(refused);
  outcome.search = searchDesign(*state_, options, nullptr, stop);
  if (!outcome.search.fault.empty())
    throw std::runtime_error(formatText(msg::kPySearchFault, outcome.search.fault.c_str()));
  return outcome;
}

FitReport PythonDesign::report(const SearchResult& search) {
  checkDesign(search.design);
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  return makeReport(*state_, search);
}

std::string PythonDesign::reportPage(const FitReport& report, std::span<const SweepCurve> sweeps) {
  checkDesign(report.search.design);
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  return reportHtml(*state_, report, sweeps);
}

std::vector<SweepCurve> PythonDesign::sweeps(const SearchResult& search) {
  checkDesign(search.design);
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  return sweepCurves(*state_, search.design);
}


}  // namespace grip
