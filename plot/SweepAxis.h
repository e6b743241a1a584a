#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/ResultTable.h"

namespace grip::plot {

/// An operating value of a result line: where it stands and how it is named.
struct OperatingValue {
  int column = 0;              ///< place in the line, from 0
  const char* name = "";       ///< "slip angle"
  const char* unit = "";       ///< "deg"; "" for slip
  const char* axisLabel = "";  ///< "slip angle [deg]"
  /// Values of measured points closer than this belong to one level: a test
  /// rig holds a set value only to within its control accuracy.
  double resolution = 0.0;
};

/// How the points of a file are laid out over the horizontal axis.
struct SweepAxis {
  /// The swept operating value; none when the points are drawn over their
  /// number in the file.
  std::optional<OperatingValue> x;
  /// Curve of every table row, from 0; all 0 when there is one curve.
  std::vector<int> curve;
  /// Name of every curve, from the levels of the other changing values
  /// ("Fz 3002 N"); a single "" when there is one curve.
  std::vector<std::string> curveNames;
  /// The operating values that stay put, or change alongside the swept one
  /// ("slip 0", "camber 0 deg").
  std::vector<std::string> context;
  /// The choice made, when the file left one to make; "" otherwise.
  std::string note;
};

/// The operating values of a line of the kind, in the order of preference
/// for the horizontal axis: slip, slip angle, camber, load (and speed).
std::vector<OperatingValue> operatingValuesOf(FileKind kind);

/// Range result: every operating value moves linearly from the start to the
/// end point, so the axis is the first that changes at all; the others that
/// change are named in the context and the note.
SweepAxis chooseSweepAxis(const ResultTable& table);

/// Measured points: each operating value is split into levels. The value
/// with the most levels becomes the axis, and the points are split into one
/// curve per combination of the levels of the others, as long as that gives
/// at most kMaxCurves curves of two or more points each; otherwise the
/// points are drawn over their number.
SweepAxis chooseCompareAxis(const ResultTable& table);

inline constexpr int kMaxCurves = 6;

/// Splits values into levels (gaps wider than resolution separate them);
/// returns the level of every value, from 0 for the smallest, and sets count.
std::vector<int> levelsOf(const std::vector<double>& values, double resolution, int& count);

}  // namespace grip::plot
