#include "model/MakeTyreModel.h"

#include <memory>

#include "continuous/ContinuousModel.h"
#include "discrete/DiscreteModel.h"

namespace grip {

TyreModel makeTyreModel() { return TyreModel(std::make_unique<ContinuousModel>(), std::make_unique<DiscreteModel>()); }

}  // namespace grip
