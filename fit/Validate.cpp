// The checks of a design state before any search.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "core/FormatText.h"
#include "fit/FitMessages.h"
#include "fit/Search.h"

namespace grip {

namespace {

/// The shortest text that reads back as value: a value near the limit
/// shows the digits that put it beyond.
std::string shortest(double value) {
  std::array<char, 32> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), written.ptr);
}

/// A bound that is no finite number, or one that the parameter file would
/// write as a text that reads back as infinity, cannot be searched nor
/// written; true when the bound is usable.
bool boundUsable(std::vector<DesignIssue>& issues, const char* start, int line, const char* name, const char* which,
                 double bound) {
  if (!std::isfinite(bound)) {
    issues.push_back({true, formatted(msg::kBoundNotFinite, start, line, name, which, bound)});
    return false;
  }
  if (std::fabs(bound) > kLargestWrittenValue) {
    issues.push_back({true, formatted(msg::kBoundNotWritable, start, line, name, which, shortest(bound).c_str(),
                                       shortest(kLargestWrittenValue).c_str())});
    return false;
  }
  return true;
}

/// The bounds of one design variable: both read, each usable, the lower
/// below the upper, their range a finite number; a start outside them.
void checkBounds(std::vector<DesignIssue>& issues, const DesignState& state, std::size_t p, const char* start,
                 double value) {
  const int line = state.parameterLine[p];
  const char* name = state.model->parameterName(p);
  const double lower = state.lowerBound[p], upper = state.upperBound[p];
  if (state.boundsRead[p] == 0) {
    issues.push_back({true, formatted(msg::kNoDesignBounds, start, line, name)});
    return;
  }
  const bool lowerUsable = boundUsable(issues, start, line, name, "lower", lower);
  if (state.boundsRead[p] == 1) {
    issues.push_back({true, formatted(msg::kNoUpperBound, start, line, name, lower)});
    return;
  }
  if (!boundUsable(issues, start, line, name, "upper", upper) || !lowerUsable) return;
  if (!(lower < upper)) {
    issues.push_back({true, formatted(msg::kBoundsReversed, start, line, name, lower, upper)});
  } else if (!std::isfinite(upper - lower)) {
    // The search works in shares of this range.
    issues.push_back({true, formatted(msg::kBoundRangeOverflows, start, line, name, lower, upper)});
  } else if (value < lower || value > upper) {
    // Clamped rather than refused: a start just outside a bound is a
    // common slip when bounds are tightened, and the search never leaves them.
    issues.push_back({false, formatted(msg::kStartOutsideBounds, start, line, name, value, lower, upper,
                                       std::clamp(value, lower, upper))});
  }
}

}  // namespace

std::vector<DesignIssue> validateDesign(const DesignState& state, const std::string& startFile,
                                        const std::string& targetFile) {
  std::vector<DesignIssue> issues;
  if (!state.model) return issues;
  const TyreModel& model = *state.model;
  // A parameter that holds a count or a switch (as the selected variant
  // describes it): a search would move it through values that mean nothing
  // between the whole numbers.
  const VariantDescription* described = model.description();
  const char* start = startFile.c_str();
  std::size_t design = 0;
  for (std::size_t p = 0; p < kParameterCount; ++p) {
    // Every value is written into DesignResults.dat, which must read back.
    if (std::isfinite(model.parameters[p]) && std::fabs(model.parameters[p]) > kLargestWrittenValue)
      issues.push_back({true, formatted(msg::kValueNotWritable, start, state.parameterLine[p], model.parameterName(p),
                                        shortest(model.parameters[p]).c_str(), shortest(kLargestWrittenValue).c_str())});
    if (state.designMask[p] != 1) continue;
    const int line = state.parameterLine[p];
    const char* name = model.parameterName(p);
    const double value = state.startValues[design++];
    if (described != nullptr && described->parameters[p].wholeNumber)
      issues.push_back({true, formatted(msg::kWholeNumberDesign, start, line, name, value)});
    checkBounds(issues, state, p, start, value);
  }
  for (std::size_t f = 0; f < state.pointsBeyondCount.size() && f < state.fileNames.size(); ++f) {
    if (state.pointsBeyondCount[f] <= 0) continue;
    const int line = f < state.targetLine.size() ? state.targetLine[f] : 0;
    issues.push_back({false, formatted(msg::kPointsBeyondCount, targetFile.c_str(), line, state.fileNames[f].c_str(),
                                       state.PointsPerFile[f], state.pointsBeyondCount[f])});
  }
  return issues;
}

}  // namespace grip
