#include "rig/Units.h"

#include <array>
#include <numbers>

namespace grip {
namespace {

constexpr double pi = std::numbers::pi;

// Kinds of unit: quantities that share a dimension share the spellings.
enum class Kind { Angle, Force, Moment, Speed, Pressure, Length, Ratio, Time, Spin, Temperature, None };

Kind kindOf(Quantity quantity) {
  switch (quantity) {
    case Quantity::SlipAngle:
    case Quantity::Camber: return Kind::Angle;
    case Quantity::Fx:
    case Quantity::Fy:
    case Quantity::Fz: return Kind::Force;
    case Quantity::Mx:
    case Quantity::Mz: return Kind::Moment;
    case Quantity::Speed: return Kind::Speed;
    case Quantity::Pressure: return Kind::Pressure;
    case Quantity::LoadedRadius:
    case Quantity::EffectiveRadius: return Kind::Length;
    case Quantity::SlipRatio: return Kind::Ratio;
    case Quantity::Time: return Kind::Time;
    case Quantity::WheelSpeed: return Kind::Spin;
    case Quantity::Temperature: return Kind::Temperature;
    case Quantity::Other: break;
  }
  return Kind::None;
}

struct UnitRow {
  Kind kind;
  std::string_view unit;
  double scale;  ///< into our unit: deg, N, N*mm, mm/s, N/mm^2, mm, -, s, rad/s, degC
  double offset;
};

constexpr double kPound = 4.4482216152605;  // lbf [N]
constexpr double kFoot = 304.8;             // ft [mm]

// The spellings of the middle dot: U+00B7 and the dot operator U+22C5 in UTF-8.
constexpr std::array kUnits{
    UnitRow{Kind::Angle, "deg", 1.0, 0.0},
    UnitRow{Kind::Angle, "degree", 1.0, 0.0},
    UnitRow{Kind::Angle, "degrees", 1.0, 0.0},
    UnitRow{Kind::Angle, "\xC2\xB0", 1.0, 0.0},
    UnitRow{Kind::Angle, "rad", 180.0 / pi, 0.0},
    UnitRow{Kind::Force, "N", 1.0, 0.0},
    UnitRow{Kind::Force, "kN", 1000.0, 0.0},
    UnitRow{Kind::Force, "lbf", kPound, 0.0},
    UnitRow{Kind::Moment, "Nm", 1000.0, 0.0},
    UnitRow{Kind::Moment, "N.m", 1000.0, 0.0},
    UnitRow{Kind::Moment, "N*m", 1000.0, 0.0},
    UnitRow{Kind::Moment, "N-m", 1000.0, 0.0},
    UnitRow{Kind::Moment, "N\xC2\xB7m", 1000.0, 0.0},
    UnitRow{Kind::Moment, "N\xE2\x8B\x85m", 1000.0, 0.0},
    UnitRow{Kind::Moment, "Nmm", 1.0, 0.0},
    UnitRow{Kind::Moment, "N.mm", 1.0, 0.0},
    UnitRow{Kind::Moment, "N*mm", 1.0, 0.0},
    UnitRow{Kind::Moment, "N-mm", 1.0, 0.0},
    UnitRow{Kind::Moment, "N\xC2\xB7mm", 1.0, 0.0},
    UnitRow{Kind::Moment, "N\xE2\x8B\x85mm", 1.0, 0.0},
    UnitRow{Kind::Moment, "kNm", 1.0e6, 0.0},
    UnitRow{Kind::Moment, "lbf.ft", kPound * kFoot, 0.0},
    UnitRow{Kind::Moment, "lbf*ft", kPound * kFoot, 0.0},
    UnitRow{Kind::Moment, "lbf-ft", kPound * kFoot, 0.0},
    UnitRow{Kind::Moment, "lbf\xC2\xB7" "ft", kPound * kFoot, 0.0},
    UnitRow{Kind::Moment, "ft-lbf", kPound * kFoot, 0.0},
    UnitRow{Kind::Moment, "ft.lbf", kPound * kFoot, 0.0},
    UnitRow{Kind::Speed, "mm/s", 1.0, 0.0},
    UnitRow{Kind::Speed, "m/s", 1000.0, 0.0},
    UnitRow{Kind::Speed, "km/h", 1.0e6 / 3600.0, 0.0},
    UnitRow{Kind::Speed, "kph", 1.0e6 / 3600.0, 0.0},
    UnitRow{Kind::Speed, "kmh", 1.0e6 / 3600.0, 0.0},
    UnitRow{Kind::Speed, "mph", 1609344.0 / 3600.0, 0.0},
    UnitRow{Kind::Pressure, "N/mm^2", 1.0, 0.0},
    UnitRow{Kind::Pressure, "MPa", 1.0, 0.0},
    UnitRow{Kind::Pressure, "Pa", 1.0e-6, 0.0},
    UnitRow{Kind::Pressure, "kPa", 1.0e-3, 0.0},
    UnitRow{Kind::Pressure, "bar", 0.1, 0.0},
    UnitRow{Kind::Pressure, "psi", kPound / (25.4 * 25.4), 0.0},
    UnitRow{Kind::Length, "mm", 1.0, 0.0},
    UnitRow{Kind::Length, "cm", 10.0, 0.0},
    UnitRow{Kind::Length, "m", 1000.0, 0.0},
    UnitRow{Kind::Length, "in", 25.4, 0.0},
    UnitRow{Kind::Ratio, "-", 1.0, 0.0},
    UnitRow{Kind::Ratio, "1", 1.0, 0.0},
    UnitRow{Kind::Ratio, "none", 1.0, 0.0},
    UnitRow{Kind::Ratio, "%", 0.01, 0.0},
    UnitRow{Kind::Time, "s", 1.0, 0.0},
    UnitRow{Kind::Time, "sec", 1.0, 0.0},
    UnitRow{Kind::Time, "ms", 1.0e-3, 0.0},
    UnitRow{Kind::Spin, "rad/s", 1.0, 0.0},
    UnitRow{Kind::Spin, "rpm", 2.0 * pi / 60.0, 0.0},
    UnitRow{Kind::Spin, "deg/s", pi / 180.0, 0.0},
    UnitRow{Kind::Temperature, "degC", 1.0, 0.0},
    UnitRow{Kind::Temperature, "\xC2\xB0" "C", 1.0, 0.0},
    UnitRow{Kind::Temperature, "C", 1.0, 0.0},
    UnitRow{Kind::Temperature, "K", 1.0, -273.15},
    UnitRow{Kind::Temperature, "degF", 5.0 / 9.0, -32.0 * 5.0 / 9.0},
    UnitRow{Kind::Temperature, "\xC2\xB0" "F", 5.0 / 9.0, -32.0 * 5.0 / 9.0},
};

}  // namespace

std::optional<UnitConversion> unitConversion(Quantity quantity, std::string_view unit) {
  const Kind kind = kindOf(quantity);
  if (kind == Kind::None) return UnitConversion{};
  for (const UnitRow& row : kUnits) {
    if (row.kind == kind && row.unit == unit) return UnitConversion{row.scale, row.offset};
  }
  return std::nullopt;
}

bool isKnownUnit(std::string_view unit) {
  for (const UnitRow& row : kUnits) {
    if (row.unit == unit) return true;
  }
  return false;
}

}  // namespace grip
