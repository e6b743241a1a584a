// The result files of a fit: a listing per measurement file and DesignResults.dat.

#include <cstring>
#include <string>

#include "core/Console.h"
#include "core/FormatText.h"
#include "core/ResultSet.h"
#include "core/TextFile.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"

namespace grip {

namespace {

/// Reports a result file of the set that was not written, as the fit always
/// has: the open failure first, then the file and the reason.
bool reported(ResultSet::Outcome outcome, const std::string& name, const auto& sayNotOpened) {
  if (outcome) return true;
  if (outcome.stage == ResultSet::Stage::notOpened) sayNotOpened();
  say(msg::kResultNotWritten, name.c_str(), std::strerror(outcome.error));
  return false;
}

}  // namespace

void writeListing(std::FILE* file, const DesignState& state, int measurementFile) {
  const TargetEvaluator& forces = *state.evaluator;
  const MeasuredColumns& m = state.columns;
  std::size_t k = 0;
  for (int f = 0; f < measurementFile; ++f) k += static_cast<std::size_t>(state.PointsPerFile[static_cast<std::size_t>(f)]);
  const std::size_t end = k + static_cast<std::size_t>(state.PointsPerFile[static_cast<std::size_t>(measurementFile)]);
  for (; k < end; ++k) {
    printFormatted(file, fit::kListingOperatingPoint, m.longitudinalSlip[k], m.slipAngle[k], m.camber[k],
                 m.verticalLoad[k], m.speed[k]);
    printFormatted(file, fit::kListingMeasured, m.Fx[k], m.Fy[k], m.Mz[k]);
    printFormatted(file, fit::kListingModel, forces.Fx(k), forces.Fy(k), forces.Mz(k));
  }
}

void writeDesignResults(std::FILE* file, const DesignState& state, std::span<const double> designVariables) {
  int designIndex = 0;
  writeParameterBlocks(file, *state.model, [&](std::FILE* out, std::size_t parameter) {
    writeDesignBounds(out, parameter, state, designVariables, designIndex);
  });
  std::fputs(fit::kTargetHeader, file);
  printFormatted(file, fit::kTargetLine, state.targetValue);
  std::fputs(kEndOfFileLine, file);
}

bool writeFileResults(DesignState& state, ResultSet& set) {
  if (!state.evaluator) state.evaluator = std::make_unique<TargetEvaluator>(*state.model, state);
  bool allWritten = true;
  for (int f = 0; f < state.fileCount; ++f) {
    const std::string name = listingName(f);
    const auto outcome = set.add(name, [&](std::FILE* listing) { writeListing(listing, state, f); });
    allWritten = reported(outcome, name, [f] { say(msg::kCantOpenListing, f); }) && allWritten;
  }
  return allWritten;
}

bool writeDesignResults(const DesignState& state, std::span<const double> designVariables, ResultSet& set) {
  const auto outcome = set.add(fit::kDesignResultsFile,
                               [&](std::FILE* file) { writeDesignResults(file, state, designVariables); });
  return reported(outcome, fit::kDesignResultsFile, [] { say(msg::kCantOpenDesignResults); });
}

bool commitResults(ResultSet& set) {
  if (set.commit()) return true;
  const ResultSet::RenameFault& fault = set.renameFault();
  if (!fault.name.empty()) say(msg::kResultNotWritten, fault.name.c_str(), std::strerror(fault.error));
  return false;
}

std::string listingName(int measurementFile) {
  return fit::kListingPrefix + std::to_string(measurementFile + 1) + fit::kListingSuffix;
}

}  // namespace grip
