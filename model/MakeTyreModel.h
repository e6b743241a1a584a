#pragma once

#include "core/TyreModel.h"

namespace grip {

/// The tyre model with both of its variants, the continuous and the discrete
/// brush model, before any parameter file was read. The one place that
/// knows which variants there are.
TyreModel makeTyreModel();

/// The description of the variant that serves modelType (1 continuous, 2
/// discrete) without a model at hand; nullptr for any other type. The same
/// object as that variant's description().
const VariantDescription* variantDescription(int modelType);

}  // namespace grip
