// The result files of a fit: a listing per measurement file and DesignResults.dat.

#include <cerrno>
#include <cstring>
#include <string>

#include "core/Console.h"
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

bool writeFileResults(DesignState& state) {
  if (!state.evaluator) state.evaluator = std::make_unique<TargetEvaluator>(*state.model, state);
  const TargetEvaluator& forces = *state.evaluator;
  const MeasuredColumns& m = state.columns;
  bool allWritten = true;
  std::size_t k = 0;
  for (int f = 0; f < state.fileCount; ++f) {
    const auto file = static_cast<std::size_t>(f);
    const auto points = static_cast<std::size_t>(state.PointsPerFile[file]);
    const std::string name = fit::kListingPrefix + std::to_string(f + 1) + fit::kListingSuffix;
    errno = 0;
    TextFile listing = openForWriting(name);
    if (!listing) {
      say(msg::kCantOpenListing, f);
      say(msg::kResultNotWritten, name.c_str(), std::strerror(errno != 0 ? errno : EIO));
      allWritten = false;
      k += points;  // on to the next file's points
      continue;
    }
    for (const std::size_t end = k + points; k < end; ++k) {
      std::fprintf(listing.get(), fit::kListingOperatingPoint, m.longitudinalSlip[k], m.slipAngle[k], m.camber[k],
                   m.verticalLoad[k], m.speed[k]);
      std::fprintf(listing.get(), fit::kListingMeasured, m.Fx[k], m.Fy[k], m.Mz[k]);
      std::fprintf(listing.get(), fit::kListingModel, forces.Fx(k), forces.Fy(k), forces.Mz(k));
    }
    allWritten = closeResult(listing, name) && allWritten;
  }
  return allWritten;
}

bool writeDesignResults(const DesignState& state, std::span<const double> designVariables) {
  errno = 0;
  TextFile results = openForWriting(fit::kDesignResultsFile);
  if (!results) {
    say(msg::kCantOpenDesignResults);
    say(msg::kResultNotWritten, fit::kDesignResultsFile, std::strerror(errno != 0 ? errno : EIO));
    return false;
  }
  std::FILE* file = results.get();
  int designIndex = 0;
  writeParameterBlocks(file, *state.model, [&](std::FILE* out, std::size_t parameter) {
    writeDesignBounds(out, parameter, state, designVariables, designIndex);
  });
  std::fputs(fit::kTargetHeader, file);
  std::fprintf(file, fit::kTargetLine, state.targetValue);
  std::fputs(kEndOfFileLine, file);
  return closeResult(results, fit::kDesignResultsFile);
}

}  // namespace grip
