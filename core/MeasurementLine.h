#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace grip {

/// Numbers of one measured point: slip [-], slip angle [deg], camber [deg],
/// Fx [N], Fy [N], Fz [N], Mz [N*mm].
inline constexpr std::size_t kPointNumbers = 7;

/// What one line of a measurement file is. The one rule of gripsim, the fit
/// and Python; what each does with a line that is no point is theirs:
///
///   kind           gripsim                        fit, Python
///   point          evaluated                      a point
///   blank          skipped                        skipped
///   fewerNumbers   skipped, reported, status 1    refused
///   moreNumbers    first seven evaluated, warned  refused
///   trailingText   first seven evaluated, warned  refused
///   decimalComma   skipped, reported, status 1    refused
///
/// gripsim takes the first seven numbers of a longer line because stored
/// run files have always been read that way; it says so now, line by line.
enum class MeasurementLineKind {
  point,         ///< seven numbers and white space only
  blank,         ///< white space only (often the last line)
  fewerNumbers,  ///< fewer than seven numbers before the end or a word: a title, a header, a cut line
  moreNumbers,   ///< seven numbers and another number behind them
  trailingText,  ///< seven numbers and a word behind them
  decimalComma,  ///< a number with a comma and a digit behind it ("0,06"), in the first eight
};

/// Reads one line (with or without its line end) by the rule above; values
/// holds the first seven numbers for point, moreNumbers and trailingText.
/// Numbers are read in the C locale, whatever the process's locale is.
MeasurementLineKind readMeasurementLine(std::string_view line, std::array<double, kPointNumbers>& values);

}  // namespace grip
