#include "SweepAxis.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "plot/Formatted.h"

namespace grip::plot {

namespace {

std::vector<double> columnOf(const ResultTable& table, int column) {
  std::vector<double> values;
  values.reserve(table.rows.size());
  for (const ResultRow& row : table.rows) values.push_back(row.value[column]);
  return values;
}

/// A value for a title: whole numbers from 1000 up, else four digits, and no
/// "-0" or "1e-17" for a zero that lost its last bits.
std::string shortNumber(double value, double scale) {
  if (std::fabs(value) <= 1e-9 * std::max(scale, 1.0)) value = 0.0;
  if (std::fabs(value) >= 1000.0 && std::fabs(value) < 1e9) return formatted("%.0f", value);
  return formatted("%.4g", value);
}

std::string withUnit(const OperatingValue& value, const std::string& number) {
  std::string text = std::string(value.name) + " " + number;
  if (*value.unit) text += std::string(" ") + value.unit;
  return text;
}

double mean(const std::vector<double>& values, const std::vector<int>& members) {
  double sum = 0.0;
  for (int k : members) sum += values[k];
  return members.empty() ? 0.0 : sum / members.size();
}

double largestMagnitude(const std::vector<double>& values) {
  double largest = 0.0;
  for (double v : values) largest = std::max(largest, std::fabs(v));
  return largest;
}

}  // namespace

std::vector<OperatingValue> operatingValuesOf(FileKind kind) {
  const bool measured = kind == FileKind::compare;
  std::vector<OperatingValue> values = {
      {0, "slip", "", "slip [-]", 1e-3},
      {1, "slip angle", "deg", "slip angle [deg]", 0.05},
      {2, "camber", "deg", "camber [deg]", 0.05},
      {measured ? 3 : 5, "Fz", "N", "load Fz [N]", 20.0},
  };
  if (measured) values.push_back({4, "V", "mm/s", "speed V [mm/s]", 1.0});
  return values;
}

std::vector<int> levelsOf(const std::vector<double>& values, double resolution, int& count) {
  std::vector<int> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return values[a] < values[b]; });
  std::vector<int> level(values.size(), 0);
  count = values.empty() ? 0 : 1;
  for (std::size_t k = 1; k < order.size(); ++k) {
    if (values[order[k]] - values[order[k - 1]] > resolution) ++count;
    level[order[k]] = count - 1;
  }
  return level;
}

SweepAxis chooseSweepAxis(const ResultTable& table) {
  SweepAxis axis;
  axis.curve.assign(table.rows.size(), 0);
  axis.curveNames = {""};
  std::vector<std::string> changing;
  for (const OperatingValue& value : operatingValuesOf(FileKind::sweep)) {
    const std::vector<double> values = columnOf(table, value.column);
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const double scale = largestMagnitude(values);
    const std::string first = shortNumber(values.front(), scale);
    const std::string last = shortNumber(values.back(), scale);
    // A sweep writes its values from one formula; a change below the
    // printed digits is no change.
    if (*high - *low <= 1e-9 * scale) {
      axis.context.push_back(withUnit(value, first));
      continue;
    }
    changing.push_back(value.name);
    if (!axis.x) {
      axis.x = value;
    } else {
      axis.context.push_back(withUnit(value, "from " + first + " to " + last));
    }
  }
  if (!axis.x) {
    axis.note = "no operating value changes; drawn over the point number";
  } else if (changing.size() > 1) {
    axis.note = listed(changing) + " change together; drawn over " + axis.x->name;
  }
  return axis;
}

SweepAxis chooseCompareAxis(const ResultTable& table) {
  SweepAxis axis;
  const std::size_t n = table.rows.size();
  axis.curve.assign(n, 0);
  axis.curveNames = {""};

  struct Split {
    OperatingValue value;
    std::vector<double> values;
    std::vector<int> level;
    int count = 0;
  };
  std::vector<Split> splits;
  for (const OperatingValue& value : operatingValuesOf(FileKind::compare)) {
    Split split{value, columnOf(table, value.column), {}, 0};
    double resolution = value.resolution;
    // Load and speed are held to a share of their size.
    if (value.column >= 3) resolution = std::max(resolution, 0.02 * largestMagnitude(split.values));
    split.level = levelsOf(split.values, resolution, split.count);
    splits.push_back(std::move(split));
  }

  std::vector<int> all(n);
  std::iota(all.begin(), all.end(), 0);
  std::vector<const Split*> changing;
  const Split* swept = nullptr;
  for (const Split& split : splits) {
    if (split.count <= 1) {
      axis.context.push_back(
          withUnit(split.value, shortNumber(mean(split.values, all), largestMagnitude(split.values))));
      continue;
    }
    changing.push_back(&split);
    if (!swept || split.count > swept->count) swept = &split;
  }
  if (!swept) {
    if (n > 1) axis.note = "no operating value changes; drawn over the point number";
    return axis;
  }

  // One curve per combination of the levels of the other changing values.
  std::map<std::vector<int>, std::vector<int>> members;
  for (std::size_t k = 0; k < n; ++k) {
    std::vector<int> key;
    for (const Split* split : changing) {
      if (split != swept) key.push_back(split->level[k]);
    }
    members[key].push_back(static_cast<int>(k));
  }
  bool curvesHold = static_cast<int>(members.size()) <= kMaxCurves;
  for (const auto& [key, rows] : members) curvesHold = curvesHold && rows.size() >= 2;

  std::vector<std::string> names;
  for (const Split* split : changing) names.push_back(split->value.name);
  if (!curvesHold) {
    axis.note = listed(names) + " change from point to point; drawn over the point number";
    return axis;
  }
  axis.x = swept->value;
  if (members.size() == 1) return axis;

  axis.curveNames.clear();
  int curve = 0;
  for (const auto& [key, rows] : members) {
    std::string name;
    for (const Split* split : changing) {
      if (split == swept) continue;
      if (!name.empty()) name += ", ";
      name += withUnit(split->value, shortNumber(mean(split->values, rows), largestMagnitude(split->values)));
    }
    axis.curveNames.push_back(name);
    for (int k : rows) axis.curve[k] = curve;
    ++curve;
  }
  names.erase(std::find(names.begin(), names.end(), std::string(swept->value.name)));
  axis.note = std::string("drawn over ") + swept->value.name + ", one curve for each level of " + listed(names);
  return axis;
}

}  // namespace grip::plot
