#include "AxisRange.h"

#include <algorithm>
#include <cmath>

#include "plot/Formatted.h"

namespace grip::plot {

AxisRange AxisRange::around(const std::vector<double>& values) {
  if (values.empty()) return {-1.0, 1.0};
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  if (*high - *low <= 1e-12 * std::max(std::fabs(*low), std::fabs(*high))) {
    const double room = std::max(1.0, 0.1 * std::fabs(*low));
    return {*low - room, *high + room};
  }
  const double room = 0.06 * (*high - *low);
  return {*low - room, *high + room};
}

AxisRange AxisRange::aboutZero(const std::vector<double>& values) {
  double largest = 0.0;
  for (double v : values) largest = std::max(largest, std::fabs(v));
  if (largest == 0.0) largest = 1.0;
  return {-1.15 * largest, 1.15 * largest};
}

double AxisRange::roundTic() const {
  const double reach = std::max(std::fabs(low), std::fabs(high));
  if (!(reach > 0.0) || !std::isfinite(reach)) return 0.0;
  const double decade = std::pow(10.0, std::floor(std::log10(reach)));
  double tic = decade;
  for (double step : {2.0, 2.5, 5.0}) {
    if (step * decade <= reach) tic = step * decade;
  }
  return tic;
}

std::string AxisRange::text() const { return formatted("[%s:%s]", number(low).c_str(), number(high).c_str()); }

}  // namespace grip::plot
