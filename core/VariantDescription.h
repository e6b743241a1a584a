#pragma once

#include <array>
#include <cmath>
#include <cstddef>

#include "ParameterSet.h"

namespace grip {

/// Design bounds a variant recommends for a parameter; lower == upper (both
/// 0) where it recommends none, because the parameter is better measured
/// than fitted or is not read at all.
struct DesignBounds {
  double lower = 0.0;
  double upper = 0.0;
  constexpr bool recommended() const { return lower < upper; }
};

/// What one variant makes of one of the 33 parameters.
struct ParameterDescription {
  const char* name = "";                  ///< name read and written under
  const char* alternativeName = nullptr;  ///< name under the variant's other reading (the speed-table law), or nullptr
  const char* unit = "-";                 ///< unit of the value as the variant uses it: "N/mm^3", "deg", "-"
  bool magnitude = false;                 ///< the variant uses (and the writer writes) the magnitude
  bool wholeNumber = false;               ///< a count or a switch: truncated toward zero, never a design variable
  bool fixedAtSetUp = false;              ///< sizes something at set-up that a refresh cannot change
  bool read = false;                      ///< changes the forces of the variant for some operating point
  DesignBounds bounds{};                  ///< recommended design bounds
};

/// How the fit searches a variant when it is not told otherwise, measured on
/// the benchmark sets of examples/fit (README, "Which method, measured").
struct SearchDefaults {
  const char* method;  ///< the method's name, as the command line gives it
  /// Starts: the design count over designVariablesPerStart, within
  /// [fewestStarts, mostStarts].
  int fewestStarts;
  int mostStarts;
  int designVariablesPerStart;
  /// Target evaluations per design variable and start (the fit adds two
  /// starts' shares for its restarts).
  long evaluationsPerVariable;
  /// Start from the continuous model's fit of the same data (a variant
  /// other than the continuous one; the two share the 33 parameters).
  bool continuousStart = false;
};

/// A variant's description of itself: its name, each parameter in file
/// order, and its search defaults. Each variant keeps one as a constant;
/// hosts and the fit read it instead of repeating a model's rules, and the
/// variant's own set-up applies it where the rule is the variant's.
struct VariantDescription {
  const char* name;  ///< "continuous", "discrete"
  std::array<ParameterDescription, kParameterCount> parameters;
  SearchDefaults search;
};

/// Value of parameter as a variant of description uses it: its magnitude
/// where the description says so, truncated toward zero for a whole number.
/// With a constant description and parameter the compiler folds it to the
/// one rule that applies.
inline double usedValue(const VariantDescription& description, const ParameterSet& values, std::size_t parameter) {
  const ParameterDescription& p = description.parameters[parameter];
  const double value = values[parameter];
  if (p.magnitude) return std::fabs(value);
  if (p.wholeNumber) return std::trunc(value);
  return value;
}

/// Every parameter as the variant uses it (usedValue of each).
inline ParameterSet usedValues(const VariantDescription& description, const ParameterSet& values) {
  ParameterSet used{};
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter)
    used[parameter] = usedValue(description, values, parameter);
  return used;
}

}  // namespace grip
