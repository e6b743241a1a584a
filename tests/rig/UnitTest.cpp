#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "rig/ChannelMap.h"
#include "rig/Units.h"

namespace grip {
namespace {

struct UnitCase {
  Quantity quantity;
  const char* unit;
  double fileValue;
  double ours;  ///< worked out by hand in deg, N, N*mm, mm/s, N/mm^2, mm, -, s, rad/s, degC
};

class UnitConversionTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(UnitConversionTest, TurnsTheFileValueIntoOurs) {
  const UnitCase& c = GetParam();
  const std::optional<UnitConversion> conversion = unitConversion(c.quantity, c.unit);
  ASSERT_TRUE(conversion) << c.unit;
  // Exact factors in binary, or one rounding of a product of two: 1e-14 relative.
  EXPECT_NEAR(conversion->toOurs(c.fileValue), c.ours, 1e-14 * std::fabs(c.ours)) << c.unit;
  EXPECT_NEAR(conversion->fromOurs(c.ours), c.fileValue, 1e-14 * std::fabs(c.fileValue)) << c.unit;
}

INSTANTIATE_TEST_SUITE_P(
    EachUnit, UnitConversionTest,
    ::testing::Values(UnitCase{Quantity::SlipAngle, "deg", -4.0, -4.0},
                      UnitCase{Quantity::SlipAngle, "rad", -0.5, -28.64788975654116},
                      UnitCase{Quantity::Camber, "deg", 2.5, 2.5},
                      UnitCase{Quantity::Camber, "rad", 0.1, 5.729577951308232},
                      UnitCase{Quantity::Fy, "N", -1200.0, -1200.0},
                      UnitCase{Quantity::Fz, "kN", 4.5, 4500.0},
                      UnitCase{Quantity::Fx, "lbf", -100.0, -444.82216152605},
                      UnitCase{Quantity::Mz, "Nm", -25.0, -25000.0},
                      UnitCase{Quantity::Mz, "N.m", 25.0, 25000.0},
                      UnitCase{Quantity::Mz, "N*m", 25.0, 25000.0},
                      UnitCase{Quantity::Mz, "N-m", 25.0, 25000.0},
                      UnitCase{Quantity::Mz, "N\xC2\xB7m", 25.0, 25000.0},
                      UnitCase{Quantity::Mx, "N\xC2\xB7mm", -7.0, -7.0},
                      UnitCase{Quantity::Mx, "Nmm", 7.0, 7.0},
                      UnitCase{Quantity::Mz, "lbf.ft", 10.0, 13558.179483314004},
                      UnitCase{Quantity::Mz, "ft-lbf", -10.0, -13558.179483314004},
                      UnitCase{Quantity::Speed, "km/h", 36.0, 10000.0},
                      UnitCase{Quantity::Speed, "m/s", -20.0, -20000.0},
                      UnitCase{Quantity::Speed, "mm/s", 150.0, 150.0},
                      UnitCase{Quantity::Speed, "mph", 10.0, 4470.4},
                      UnitCase{Quantity::Pressure, "Pa", 250000.0, 0.25},
                      UnitCase{Quantity::Pressure, "kPa", 250.0, 0.25},
                      UnitCase{Quantity::Pressure, "bar", 2.5, 0.25},
                      UnitCase{Quantity::Pressure, "psi", 10.0, 0.0689475729316836},
                      UnitCase{Quantity::LoadedRadius, "m", 0.3, 300.0},
                      UnitCase{Quantity::LoadedRadius, "cm", 30.5, 305.0},
                      UnitCase{Quantity::EffectiveRadius, "mm", 310.0, 310.0},
                      UnitCase{Quantity::EffectiveRadius, "in", 12.0, 304.8},
                      UnitCase{Quantity::SlipRatio, "-", -0.08, -0.08},
                      UnitCase{Quantity::SlipRatio, "1", 0.08, 0.08},
                      UnitCase{Quantity::SlipRatio, "%", -8.0, -0.08},
                      UnitCase{Quantity::WheelSpeed, "rpm", 60.0, 6.283185307179586},
                      UnitCase{Quantity::Temperature, "K", 300.0, 26.85},
                      UnitCase{Quantity::Temperature, "degF", 212.0, 100.0},
                      UnitCase{Quantity::Time, "ms", 2500.0, 2.5}));

struct UnknownUnit {
  Quantity quantity;
  const char* unit;
};

TEST(UnitConversion, RefusesAMissingUnitOrOneOfAnotherQuantity) {
  for (const UnknownUnit& c : {UnknownUnit{Quantity::SlipAngle, ""}, UnknownUnit{Quantity::SlipAngle, "N"},
                               UnknownUnit{Quantity::Fz, "Nm"}, UnknownUnit{Quantity::Mz, "N"},
                               UnknownUnit{Quantity::Mz, "nm"}, UnknownUnit{Quantity::Speed, "rpm"},
                               UnknownUnit{Quantity::Pressure, "kpa"}, UnknownUnit{Quantity::SlipRatio, "deg"},
                               UnknownUnit{Quantity::LoadedRadius, "km/h"}}) {
    EXPECT_FALSE(unitConversion(c.quantity, c.unit)) << quantityName(c.quantity) << " in \"" << c.unit << "\"";
  }
  // A channel of no known quantity keeps its values whatever its unit.
  ASSERT_TRUE(unitConversion(Quantity::Other, "furlong"));
  EXPECT_EQ(unitConversion(Quantity::Other, "furlong")->toOurs(3.0), 3.0);
}

TEST(ChannelMap, CallerNamesTakeTheQuantityFromTheDefaults) {
  ChannelMap map;
  std::string message;
  ASSERT_TRUE(map.parse("slip_angle=ALPHA_DEG, fz=LOAD\tother=FX", message)) << message;
  EXPECT_EQ(map.quantityOf("ALPHA_DEG"), Quantity::SlipAngle);
  EXPECT_EQ(map.quantityOf("LOAD"), Quantity::Fz);
  EXPECT_EQ(map.quantityOf("FX"), Quantity::Other);
  EXPECT_EQ(map.quantityOf("SA"), Quantity::Other);        // the default slip angle gave way
  EXPECT_EQ(map.quantityOf("FZW"), Quantity::Other);       // and so did the default loads
  EXPECT_EQ(map.quantityOf("INCLANGL"), Quantity::Camber); // the rest stay
  EXPECT_EQ(map.quantityOf("MZ"), Quantity::Mz);
  EXPECT_EQ(map.quantityOf("ALPHA"), Quantity::Other);
}

TEST(ChannelMap, RefusesEachFaultyPairAndStaysAsItWas) {
  struct Case {
    const char* text;
    const char* message;
  };
  for (const Case& c : {Case{"slip_angle", "\"slip_angle\" is no quantity=NAME pair"},
                        Case{"fz=LOAD =ALPHA", "\"=ALPHA\" is no quantity=NAME pair"},
                        Case{"fz=LOAD slip_angle=", "\"slip_angle=\" is no quantity=NAME pair"},
                        Case{"fz=LOAD slipangle=ALPHA", "unknown quantity \"slipangle\" in \"slipangle=ALPHA\""}}) {
    ChannelMap map;
    std::string message;
    EXPECT_FALSE(map.parse(c.text, message)) << c.text;
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(map.quantityOf("LOAD"), Quantity::Other) << c.text;
    EXPECT_EQ(map.quantityOf("FZ"), Quantity::Fz) << c.text;
  }
}

}  // namespace
}  // namespace grip
