// The tyre of the Python module: reading, set-up, evaluation, contact patch and trace.

#include "python/PythonTyre.h"

#include <array>
#include <stdexcept>

#include "core/KeyedLine.h"
#include "core/Numbers.h"
#include "discrete/DiscreteModel.h"
#include "model/MakeTyreModel.h"
#include "python/MessageCollector.h"
#include "python/PythonMessages.h"

namespace grip {

namespace {

/// The descriptions of both variants, continuous first: the names are the
/// same in both (the file's), the alternative names the discrete model's.
std::array<const VariantDescription*, 2> variantDescriptions() {
  return {variantDescription(kContinuousModel), variantDescription(kDiscreteModel)};
}

}  // namespace

std::optional<std::size_t> parameterIndex(std::string_view name) {
  for (const VariantDescription* description : variantDescriptions()) {
    for (std::size_t k = 0; k < kParameterCount; ++k) {
      const ParameterDescription& p = description->parameters[k];
      if (name == p.name || (p.alternativeName != nullptr && name == p.alternativeName)) return k;
    }
  }
  return std::nullopt;
}

std::vector<std::string> parameterNames() {
  std::vector<std::string> names;
  for (const ParameterDescription& p : variantDescription(kContinuousModel)->parameters) names.emplace_back(p.name);
  return names;
}

std::string parameterNameList() {
  std::string list;
  for (const std::string& name : parameterNames()) {
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

bool wholeNumberParameter(std::size_t parameter) {
  for (const VariantDescription* description : variantDescriptions())
    if (description->parameters[parameter].wholeNumber) return true;
  return false;
}

PythonTyre::PythonTyre() : model_(makeTyreModel()) {}

void PythonTyre::read(const std::string& fileName) {
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  TyreModel fresh = makeTyreModel();
  const int result = fresh.readParameterFile(fileName, nullptr);
  if (result == 0 || fresh.errorCount > 0 || !fresh.variantReady())
    throw std::invalid_argument(withMessages(formatText(msg::kPyParameterFileRejected, fileName.c_str()), messages.text()));
  // The trace is asked for explicitly (trace()); evaluations write none.
  fresh.setTrace(0, nullptr);
  model_ = std::move(fresh);
}

void PythonTyre::setUp(const ParameterSet& parameters, double modelNumber) {
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  // As a parameter file's model number is read: no undefined conversion of a NaN.
  const int type = truncateToInt(modelNumber);
  if (type != kContinuousModel && type != kDiscreteModel)
    throw std::invalid_argument(formatText(msg::kPyModelNumber, modelNumber));
  TyreModel fresh = makeTyreModel();
  const int code = fresh.setUp(parameters, modelNumber);
  if (code != 0)
    throw std::invalid_argument(withMessages(formatText(msg::kPyParametersRejected, type, code), messages.text()));
  fresh.setTrace(0, nullptr);
  model_ = std::move(fresh);
}

bool PythonTyre::write(const std::string& fileName) const {
  MessageCollector messages;
  return writeParameterFile(fileName, model_);
}

ParameterSet PythonTyre::parameters() const { return model_.parameters; }

void PythonTyre::setParameter(std::size_t parameter, double value) {
  ParameterSet changed = model_.parameters;
  changed[parameter] = value;
  setUp(changed, model_.modelNumber);
}

std::vector<std::string> PythonTyre::writtenNames() const {
  std::vector<std::string> names;
  for (std::size_t k = 0; k < kParameterCount; ++k) names.emplace_back(model_.parameterName(k));
  return names;
}

void PythonTyre::evaluate(const OperatingColumns& in, const ForceColumns& out) {
  std::lock_guard lock(mutex_);
  MessageCollector messages;  // a tyre is always set up: nothing to say
  model_.evaluate(in, out);
}

TyreForces PythonTyre::evaluate(const OperatingPoint& point) {
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  return model_.evaluate(point);
}

ContactPatch PythonTyre::contactPatch(const OperatingPoint& point) {
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  // As gripsim's single input: the discrete model sums its loaded area only
  // while its trace flag is set (with no stream, nothing is written).
  model_.setTrace(1, nullptr);
  model_.input = point;
  model_.evaluate();
  ContactPatch patch;
  model_.contactArea(patch.area, patch.h, patch.b);
  model_.setTrace(0, nullptr);
  return patch;
}

void PythonTyre::trace(const OperatingPoint& point, std::vector<double>& values, std::vector<int>& column) {
  std::lock_guard lock(mutex_);
  MessageCollector messages;
  if (model_.modelType != kDiscreteModel)
    throw std::invalid_argument(formatText(msg::kPyTraceNeedsDiscrete, model_.modelType));
  // The discrete model records every point while its trace flag is set
  // (with no stream, nothing is written): the values at full precision.
  model_.setTrace(1, nullptr);
  model_.input = point;
  model_.evaluate();
  model_.setTrace(0, nullptr);
  const auto* discrete = dynamic_cast<const DiscreteModel*>(model_.variant(kDiscreteModel));
  if (discrete == nullptr) throw std::invalid_argument(formatText(msg::kPyTraceNeedsDiscrete, model_.modelType));
  const DiscreteTrace& t = discrete->trace();
  values.clear();
  column.clear();
  for (std::size_t k = 0; k < t.points(); ++k) {
    values.insert(values.end(), {t.x[k], t.y[k], t.ux[k], t.uy[k], t.pz[k], t.fx[k], t.fy[k]});
    column.push_back(static_cast<int>(k / t.rows));
  }
}

}  // namespace grip
