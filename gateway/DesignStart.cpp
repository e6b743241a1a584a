// The design start file and the design variables.

#include <algorithm>
#include <cstring>

#include "core/Console.h"
#include "core/KeyedLine.h"
#include "gateway/DesignState.h"
#include "gateway/GatewayMessages.h"

namespace grip {

namespace {

/// A value line that holds "designbounds" makes its parameter a design
/// variable; the two numbers behind the word are its bounds (a number that
/// cannot be read leaves its bound at 0).
void markDesignVariable(DesignState& state, std::size_t parameter, const std::string& line) {
  std::size_t word = line.find(gateway::kDesignBoundsKey);
  if (word == std::string::npos) {
    state.designMask[parameter] = 0;
    return;
  }
  const char* text = line.c_str() + word + std::strlen(gateway::kDesignBoundsKey);
  if (readReal(text, state.lowerBound[parameter])) readReal(text, state.upperBound[parameter]);
  state.designMask[parameter] = 1;
  state.startValues[static_cast<std::size_t>(state.designCount)] = state.model->parameters[parameter];
  ++state.designCount;  // at most one per parameter, so never above 33
}

/// The discrete grid is allocated once, at initialise, for the ni and nj read
/// there; a run must not change them.
bool gridSizeIsFixed(const DesignState& state) {
  if (state.model->modelType != kDiscreteModel) return true;
  for (std::size_t parameter : {std::size_t{par::ni}, std::size_t{par::nj}}) {
    if (state.designMask[parameter] == 1) {
      const char* name = kParameterTable[parameter].name;
      say(msg::kGridDesignVariable, name, name);
      return false;
    }
  }
  return true;
}

}  // namespace

int readDesignStart(DesignState& state, std::span<double> designVariables) {
  auto onValueLine = [&state](std::size_t parameter, const std::string& line) {
    markDesignVariable(state, parameter, line);
  };
  int result = state.model->readParameterFile(gateway::kDesignStartFile, onValueLine);
  if (result == 0 || !gridSizeIsFixed(state)) return 0;

  // The start values go into the caller's array as far as it reaches; the
  // returned count tells the caller how many there are.
  const auto count = static_cast<std::size_t>(state.designCount);
  const std::size_t written = std::min(count, designVariables.size());
  std::copy_n(state.startValues.begin(), written, designVariables.begin());
  if (written < count) {
    say(msg::kStartValuesCut, static_cast<int>(designVariables.size()), state.designCount,
        state.designCount - static_cast<int>(written));
  }
  return result;
}

void applyDesignVariables(DesignState& state, std::span<const double> designVariables) {
  TyreModel& model = *state.model;
  std::size_t position = 0;
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter) {
    if (state.designMask[parameter] == 1) model.parameters[parameter] = designVariables[position++];
  }
  model.refreshVariant();  // allocates nothing; does nothing for a variant that is not set up
}

void writeDesignBounds(std::FILE* file, std::size_t parameter, const DesignState& state,
                       std::span<const double> designVariables, int& designIndex) {
  if (state.designMask[parameter] == 0) {
    std::fputs("\n", file);
    return;
  }
  // The flag judges the value as the optimiser passed it, sign included;
  // a value that is not a number is within its bounds.
  const double value = designVariables[static_cast<std::size_t>(designIndex)];
  int boundFlag = 0;
  if (value < state.lowerBound[parameter]) boundFlag = -1;
  else if (value > state.upperBound[parameter]) boundFlag = 1;
  ++designIndex;
  std::fprintf(file, gateway::kDesignBoundsLine, state.lowerBound[parameter], state.upperBound[parameter],
               designIndex, boundFlag);
}

}  // namespace grip
