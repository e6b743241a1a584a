// The result files of a fit: a listing per measurement file and DesignResults.dat.

#include <cerrno>
#include <cstring>
#include <string>

#include "core/Console.h"
#include "core/FormatText.h"
#include "core/TextFile.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"

namespace grip {

namespace {

/// Closes a written result file; false after reporting the file and the
/// reason when anything of it could not be written.
bool closeResult(TextFile& file, const std::string& name) {
  const bool written = std::ferror(file.get()) == 0;
  const int closed = std::fclose(file.release());
  if (written && closed == 0) return true;
  say(msg::kResultNotWritten, name.c_str(), std::strerror(errno != 0 ? errno : EIO));
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

bool writeFileResults(DesignState& state, const std::filesystem::path& folder) {
  if (!state.evaluator) state.evaluator = std::make_unique<TargetEvaluator>(*state.model, state);
  bool allWritten = true;
  for (int f = 0; f < state.fileCount; ++f) {
    const std::string name = listingName(f);
    errno = 0;
    TextFile listing = openForWriting((folder / name).string());
    if (!listing) {
      say(msg::kCantOpenListing, f);
      say(msg::kResultNotWritten, name.c_str(), std::strerror(errno != 0 ? errno : EIO));
      allWritten = false;
      continue;
    }
    writeListing(listing.get(), state, f);
    allWritten = closeResult(listing, name) && allWritten;
  }
  return allWritten;
}

bool writeDesignResults(const DesignState& state, std::span<const double> designVariables,
                        const std::filesystem::path& folder) {
  errno = 0;
  TextFile results = openForWriting((folder / fit::kDesignResultsFile).string());
  if (!results) {
    say(msg::kCantOpenDesignResults);
    say(msg::kResultNotWritten, fit::kDesignResultsFile, std::strerror(errno != 0 ? errno : EIO));
    return false;
  }
  writeDesignResults(results.get(), state, designVariables);
  return closeResult(results, fit::kDesignResultsFile);
}

std::string listingName(int measurementFile) {
  return fit::kListingPrefix + std::to_string(measurementFile + 1) + fit::kListingSuffix;
}

}  // namespace grip
