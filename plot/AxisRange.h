#pragma once

#include <string>
#include <vector>

namespace grip::plot {

/// The span of an axis, with room around the values so that no point sits
/// on the frame.
struct AxisRange {
  double low = 0.0;
  double high = 0.0;

  /// The span of the values with 6 % room on either side; a single value is
  /// given a span of its own so that gnuplot needs not guess one.
  static AxisRange around(const std::vector<double>& values);
  /// A span symmetric about zero that holds the values, for errors.
  static AxisRange aboutZero(const std::vector<double>& values);

  /// The largest round number (1, 2, 2.5 or 5 times a power of ten) within
  /// the span, for a few tics on a short axis; 0 when the span is empty.
  double roundTic() const;

  /// "[low:high]" for a gnuplot range command.
  std::string text() const;
};

/// Colours of the forces and of the curves of a file.
inline constexpr const char* kForceColours[3] = {"#1f77b4", "#d62728", "#2ca02c"};
inline constexpr const char* kCurveColours[6] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"};

}  // namespace grip::plot
