#pragma once

#include <string>
#include <utility>
#include <vector>

#include "prepare/Sweep.h"

namespace grip {

/// What a preparation found and did: the sweeps, each piece dropped and
/// why, each failed check, and the tyre values derived from the data.
struct PrepareSummary {
  std::vector<Sweep> sweeps;
  std::vector<std::string> dropped;   ///< one line per piece not used
  std::vector<std::string> failures;  ///< failed checks: file, channel, likely cause
  std::vector<std::string> notes;     ///< the conventions read, the start values and where they came from
  /// The prepared set, name and text, in the order it is written (empty when refused).
  std::vector<std::pair<std::string, std::string>> files;
  bool prepared = false;              ///< files written
  int exitStatus = 0;                 ///< 0 prepared, 1 options, 2 files refused or a check failed
};

}  // namespace grip
