#pragma once

#include <map>
#include <string>

#include "rig/RigRun.h"
#include "rig/SignConvention.h"

namespace grip {

/// How a run in our units and convention is written out.
struct RigWriteOptions {
  SignConvention convention = SignConvention::Ours;
  /// Units by channel name; a channel not named here is written in our unit
  /// (Other channels in their own).
  std::map<std::string, std::string, std::less<>> units;
  char delimiter = ',';   ///< delimited text: ',', ';', '\t' or ' '
  bool unitsRow = false;  ///< delimited text: names and units in two rows, else "NAME [unit]"
  std::string description;  ///< delimited text: a line before the header; TYDEX: the comment
};

/// Writes run as delimited text, TYDEX text or a MAT (v5) file; numbers in
/// the shortest text that reads back exactly. False with a message when a
/// unit is not known for its channel or the file cannot be written.
bool writeDelimitedText(const RigRun& run, const RigWriteOptions& options, std::string& text, std::string& message);
bool writeTydexText(const RigRun& run, const RigWriteOptions& options, std::string& text, std::string& message);
bool writeMatFile(const RigRun& run, const RigWriteOptions& options, const std::string& fileName,
                  std::string& message);
/// Writes text under a temporary name beside fileName and renames it into place.
bool writeWholeFile(const std::string& fileName, const std::string& text, std::string& message);

}  // namespace grip
