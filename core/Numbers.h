#pragma once

#include <climits>
#include <cmath>

namespace grip {

/// A real truncated toward zero to an int; values beyond the int range are
/// clamped to it and a non-number gives 0, so that no conversion is undefined.
inline int truncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

/// base to the integer power exponent by repeated squaring of the base with
/// the magnitude of the exponent; the reciprocal for a negative exponent and
/// 1 for an exponent of 0.
inline double integerPower(double base, int exponent) {
  // The magnitude is taken as unsigned so that INT_MIN does not overflow.
  unsigned int n = exponent < 0 ? 0u - static_cast<unsigned int>(exponent)
                                : static_cast<unsigned int>(exponent);
  double result = 1.0;
  while (n != 0) {
    if (n & 1u) result *= base;
    base *= base;
    n >>= 1u;
  }
  return exponent < 0 ? 1.0 / result : result;
}

}  // namespace grip
