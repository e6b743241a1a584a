#include "rig/Quantity.h"

#include <array>
#include <utility>

namespace grip {
namespace {

struct QuantityText {
  Quantity quantity;
  std::string_view name;
  std::string_view unit;
};

constexpr std::array kQuantities{
    QuantityText{Quantity::Other, "other", ""},
    QuantityText{Quantity::Time, "time", "s"},
    QuantityText{Quantity::Speed, "speed", "mm/s"},
    QuantityText{Quantity::WheelSpeed, "wheel_speed", "rad/s"},
    QuantityText{Quantity::SlipAngle, "slip_angle", "deg"},
    QuantityText{Quantity::Camber, "camber", "deg"},
    QuantityText{Quantity::SlipRatio, "slip_ratio", "-"},
    QuantityText{Quantity::Pressure, "pressure", "N/mm^2"},
    QuantityText{Quantity::Fx, "fx", "N"},
    QuantityText{Quantity::Fy, "fy", "N"},
    QuantityText{Quantity::Fz, "fz", "N"},
    QuantityText{Quantity::Mx, "mx", "N*mm"},
    QuantityText{Quantity::Mz, "mz", "N*mm"},
    QuantityText{Quantity::LoadedRadius, "loaded_radius", "mm"},
    QuantityText{Quantity::EffectiveRadius, "effective_radius", "mm"},
    QuantityText{Quantity::Temperature, "temperature", "degC"},
};

const QuantityText& textOf(Quantity quantity) {
  for (const QuantityText& q : kQuantities) {
    if (q.quantity == quantity) return q;
  }
  return kQuantities.front();
}

}  // namespace

std::string_view quantityName(Quantity quantity) { return textOf(quantity).name; }
std::string_view ourUnit(Quantity quantity) { return textOf(quantity).unit; }

std::optional<Quantity> quantityFromName(std::string_view name) {
  for (const QuantityText& q : kQuantities) {
    if (q.name == name) return q.quantity;
  }
  return std::nullopt;
}

}  // namespace grip
