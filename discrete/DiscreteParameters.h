#pragma once

#include "core/VariantDescription.h"

namespace grip {

/// The discrete brush model's description of itself: it reads every
/// parameter but the trace flag draw3d; the friction values are used as
/// magnitudes; the grid counts, the crown exponent and the two law switches
/// are whole numbers, and the grid counts ni and nj size the grid at set-up.
/// Under the speed-table friction law (sliding 4 and above) the sliding
/// friction pairs are read, and written, as the speed table mue1..mue6 and
/// the load-per-cell factor frica0, frica1 (the alternative names).
const VariantDescription& discreteDescription();

}  // namespace grip
