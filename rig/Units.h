#pragma once

#include <optional>
#include <string_view>

#include "rig/Quantity.h"

namespace grip {

/// our value = file value * scale + offset
struct UnitConversion {
  double scale = 1.0;
  double offset = 0.0;

  double toOurs(double value) const { return value * scale + offset; }
  double fromOurs(double value) const { return (value - offset) / scale; }
};

/// The conversion from unit, as a file spells it, into our unit of
/// quantity; nothing when the unit is unknown for that quantity (an empty
/// unit included). Other quantities take any unit unchanged.
std::optional<UnitConversion> unitConversion(Quantity quantity, std::string_view unit);

/// True when unit is known for some quantity (used to tell a units row from
/// a row of channel names).
bool isKnownUnit(std::string_view unit);

}  // namespace grip
