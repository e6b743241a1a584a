// The checks of a design state before any search.

#include <algorithm>

#include "core/FormatText.h"
#include "fit/FitMessages.h"
#include "fit/Search.h"

namespace grip {

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
    if (state.designMask[p] != 1) continue;
    const int line = state.parameterLine[p];
    const char* name = model.parameterName(p);
    const double lower = state.lowerBound[p], upper = state.upperBound[p];
    const double value = state.startValues[design++];
    if (described != nullptr && described->parameters[p].wholeNumber)
      issues.push_back({true, formatted(msg::kWholeNumberDesign, start, line, name, value)});
    if (state.boundsRead[p] == 0) {
      issues.push_back({true, formatted(msg::kNoDesignBounds, start, line, name)});
    } else if (state.boundsRead[p] == 1) {
      issues.push_back({true, formatted(msg::kNoUpperBound, start, line, name, lower)});
    } else if (!(lower < upper)) {
      issues.push_back({true, formatted(msg::kBoundsReversed, start, line, name, lower, upper)});
    } else if (value < lower || value > upper) {
      // Clamped rather than refused: a start just outside a bound is a
      // common slip when bounds are tightened, and the search never leaves them.
      issues.push_back({false, formatted(msg::kStartOutsideBounds, start, line, name, value, lower, upper,
                                         std::clamp(value, lower, upper))});
    }
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
