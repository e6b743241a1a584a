#include "model/MakeTyreModel.h"

#include <memory>

#include "continuous/ContinuousModel.h"
#include "continuous/ContinuousParameters.h"
#include "discrete/DiscreteModel.h"
#include "discrete/DiscreteParameters.h"

namespace grip {

TyreModel makeTyreModel() {
  TyreVariants variants(kDiscreteModel + 1);  // entry kNoModel stays empty
  variants[kContinuousModel] = std::make_unique<ContinuousModel>();
  variants[kDiscreteModel] = std::make_unique<DiscreteModel>();
  return TyreModel(std::move(variants));
}

const VariantDescription* variantDescription(int modelType) {
  switch (modelType) {
    case kContinuousModel: return &kContinuousDescription;
    case kDiscreteModel: return &discreteDescription();
    default: return nullptr;
  }
}

}  // namespace grip
