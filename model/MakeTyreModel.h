#pragma once

#include "core/TyreModel.h"

namespace grip {

/// The tyre model with both of its variants, the continuous and the discrete
/// brush model, before any parameter file was read. The one place that
/// knows which variants there are.
TyreModel makeTyreModel();

}  // namespace grip
