#pragma once

#include <atomic>
#include <optional>
#include <span>
#include <string>

#include "fit/Search.h"

namespace grip {

/// What the command line of gripfit asks for.
struct FitProgramOptions {
  SearchOptions search;
  bool evaluate = false;  ///< no search: the start values as they are
  bool quiet = false;     ///< no progress, no report on the console
  bool help = false;
  bool version = false;
};

/// Reads the options (GNU style: "--starts 8" or "--starts=8"); nullopt
/// after printing why they cannot be used.
std::optional<FitProgramOptions> parseFitArguments(std::span<const char* const> arguments);

/// Runs a whole fit in the working folder: reads and checks the design
/// files, searches (unless options.evaluate), writes the result files and
/// the report. stop ends the search early; terminal makes the progress one
/// line rewritten in place. Returns the exit status (FitterMessages.h).
int runFit(const FitProgramOptions& options, const std::atomic<bool>& stop, bool terminal);

/// The help text of --help, with the search defaults as the continuous and
/// the discrete model describe them.
std::string usageText();

/// The program: the options, then --help, --version or the fit.
int fitProgramMain(std::span<const char* const> arguments, const std::atomic<bool>& stop, bool terminal);

}  // namespace grip
