#include "TyreModel.h"

#include <algorithm>

#include "Console.h"
#include "Messages.h"
#include "Numbers.h"

namespace grip {

TyreModel::TyreModel(TyreVariants variants) : variants_(std::move(variants)) {}

TyreVariant* TyreModel::variant(int type) const {
  if (type <= kNoModel || static_cast<std::size_t>(type) >= variants_.size()) return nullptr;
  return variants_[static_cast<std::size_t>(type)].get();
}

TyreVariant* TyreModel::selectedVariant() const { return variant(modelType); }

const VariantDescription* TyreModel::description() const {
  const TyreVariant* selected = selectedVariant();
  return selected == nullptr ? nullptr : &selected->description();
}

void TyreModel::setTrace(int flag, std::FILE* stream) {
  if (TyreVariant* selected = selectedVariant()) selected->setTrace(flag, stream);
}

// A variant whose set-up did not complete is never evaluated: its storage may
// not exist. The user hears why.
bool TyreModel::reportIfNotReady() const {
  if (variantReady_) return false;
  say(msg::kModelNotSetUp, modelType, lastReadFile_.c_str());
  return true;
}

void TyreModel::evaluate() {
  TyreVariant* variant = selectedVariant();
  if (variant == nullptr) {
    say(msg::kModelType, modelType);
    return;
  }
  if (reportIfNotReady()) return;
  variant->evaluate(input, forces);
}

int TyreModel::setUp(const ParameterSet& values, double number) {
  parameters = values;
  modelNumber = number;
  modelType = truncateToInt(number);
  parameterCount = static_cast<int>(kParameterCount);
  forces = TyreForces{};
  TyreVariant* variant = selectedVariant();
  errorCount = variant == nullptr ? 1 : variant->setUp(parameters);
  variantReady_ = errorCount == 0;
  return errorCount;
}

const char* TyreModel::parameterName(std::size_t parameter) const {
  const TyreVariant* variant = selectedVariant();
  return variant == nullptr ? kParameterTable[parameter].name : variant->parameterName(parameter, parameters);
}

bool TyreModel::fixedAtSetUp(std::size_t parameter) const {
  const TyreVariant* variant = selectedVariant();
  return variant != nullptr && variant->fixedAtSetUp(parameter);
}

TyreForces TyreModel::evaluate(const OperatingPoint& point) {
  TyreForces result;
  TyreVariant* variant = selectedVariant();
  if (variant == nullptr) {
    say(msg::kModelType, modelType);
    return result;
  }
  if (reportIfNotReady()) return result;
  variant->evaluate(point, result);
  return result;
}

void TyreModel::evaluate(const OperatingColumns& in, const ForceColumns& out) {
  TyreVariant* variant = selectedVariant();
  bool ready = true;
  if (variant == nullptr) {
    say(msg::kModelType, modelType);
    ready = false;
  } else if (reportIfNotReady()) {
    ready = false;
  }
  if (!ready) {
    std::fill(out.Fx.begin(), out.Fx.end(), 0.0);
    std::fill(out.Fy.begin(), out.Fy.end(), 0.0);
    std::fill(out.Mz.begin(), out.Mz.end(), 0.0);
    return;
  }
  variant->evaluate(in, out);
}

void TyreModel::contactArea(double& area, double& h, double& b) const {
  TyreVariant* variant = selectedVariant();
  if (variant == nullptr) {
    say(msg::kModelType, modelType);
    return;
  }
  ContactPatch patch;  // zeros when the variant has never been set up
  if (variantReady_) patch = variant->contactPatch();
  area = patch.area;
  h = patch.h;
  b = patch.b;
}

bool TyreModel::refreshVariant() {
  TyreVariant* variant = selectedVariant();
  if (variant == nullptr || !variantReady_) return false;
  variant->refresh(parameters);
  return true;
}

}  // namespace grip
