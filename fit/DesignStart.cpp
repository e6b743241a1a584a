// The design start file and the design variables.

#include <cmath>
#include <cstring>
#include <string>

#include "core/Console.h"
#include "core/FormatText.h"
#include "core/KeyedLine.h"
#include "core/Messages.h"
#include "core/NumberText.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"

namespace grip {

namespace {

/// A value line that holds "designbounds" makes its parameter a design
/// variable; the two numbers behind the word are its bounds (a number that
/// cannot be read leaves its bound at 0, and the check before a search
/// refuses it). A bound with a decimal comma is reported; false then, and
/// the file is not accepted.
bool markDesignVariable(DesignState& state, std::size_t parameter, const std::string& line, int lineNumber,
                        const std::string& startFile) {
  state.parameterLine[parameter] = lineNumber;
  std::size_t word = line.find(fit::kDesignBoundsKey);
  if (word == std::string::npos) {
    state.designMask[parameter] = 0;
    return true;
  }
  const char* text = line.c_str() + word + std::strlen(fit::kDesignBoundsKey);
  const char* end = line.c_str() + line.size();
  state.boundsRead[parameter] = 0;
  NumberRead read = readNumber(text, end, state.lowerBound[parameter]);
  if (read == NumberRead::ok) {
    state.boundsRead[parameter] = 1;
    read = readNumber(text, end, state.upperBound[parameter]);
    if (read == NumberRead::ok) state.boundsRead[parameter] = 2;
  }
  if (read == NumberRead::decimalComma) {
    const std::string shown(withoutLineEnd(line));
    say(msg::kDecimalComma, lineNumber, startFile.c_str(), shown.c_str());
    return false;
  }
  state.designMask[parameter] = 1;
  state.startValues[static_cast<std::size_t>(state.designCount)] = state.model->parameters[parameter];
  ++state.designCount;  // at most one per parameter, so never above 33
  return true;
}

/// A parameter that the selected variant takes only at set-up (the grid
/// counts of the discrete model) cannot be varied by a run.
bool designVariablesCanVary(const DesignState& state) {
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter) {
    if (state.designMask[parameter] == 1 && state.model->fixedAtSetUp(parameter)) {
      const char* name = state.model->parameterName(parameter);
      say(msg::kGridDesignVariable, name, name);
      return false;
    }
  }
  return true;
}

/// A parameter value that is not a finite number would make every target
/// value a non-number.
bool parametersAreFinite(const DesignState& state, const std::string& startFile) {
  for (std::size_t parameter = 0; parameter < kParameterCount; ++parameter) {
    const double value = state.model->parameters[parameter];
    if (!std::isfinite(value)) {
      say(msg::kParameterNotFinite, startFile.c_str(), state.parameterLine[parameter],
          state.model->parameterName(parameter), value);
      return false;
    }
  }
  return true;
}

}  // namespace

int readDesignStart(DesignState& state, const std::string& startFile) {
  bool boundsRead = true;
  auto onValueLine = [&](std::size_t parameter, const std::string& line, int lineNumber) {
    boundsRead = markDesignVariable(state, parameter, line, lineNumber, startFile) && boundsRead;
  };
  TyreModel& model = *state.model;
  int result = model.readParameterFile(startFile, onValueLine);
  // A file that was read but not accepted (a value that is no number, a
  // missing block, a set-up that failed) leaves no model to fit.
  if (result == 0 || model.errorCount > 0 || !model.variantReady() || !boundsRead) return 0;
  if (!designVariablesCanVary(state) || !parametersAreFinite(state, startFile)) return 0;
  return result;
}

void applyDesignVariables(TyreModel& model, const DesignState& state, std::span<const double> designVariables) {
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
  printFormatted(file, fit::kDesignBoundsLine, state.lowerBound[parameter], state.upperBound[parameter],
               designIndex, boundFlag);
}

}  // namespace grip
