#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace grip {

/// The record a preparation leaves beside Prepare.txt; the fit reads it
/// from the folder of its target list.
inline constexpr const char* kPreparationFile = "Prepare.json";

/// One rig run a prepared folder was made from.
struct PreparedRun {
  std::string file;        ///< the rig file as the preparation was given it
  std::string convention;  ///< the axes it was written in ("saej670", "iso8855", "ours")
  std::size_t samples = 0;
};

/// Where the data of a prepared folder came from: the runs, the axes they
/// were written in, and the failed checks a forced preparation let through.
/// The fit reads it once, with the target list, and every report repeats it.
struct Preparation {
  std::vector<PreparedRun> runs;
  std::string convention;             ///< the runs' axes: one name, or the names of all, ", " between
  bool forced = false;                ///< prepared with --force
  std::vector<std::string> warnings;  ///< each failed check that --force let through
  std::string fault;                  ///< why the record could not be read; "" when it was
};

/// The record as JSON: the text of Prepare.json, and the "preparation"
/// object of FitReport.json.
std::string preparationJson(const Preparation& preparation);

/// The record in folder (the working folder when empty); nullopt when there
/// is none. A record that is there but cannot be read gives a Preparation
/// whose fault says why, so that a report does not pass it over in silence.
std::optional<Preparation> readPreparation(const std::filesystem::path& folder);

}  // namespace grip
