#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "rig/ChannelMap.h"
#include "rig/RigRun.h"
#include "rig/SignConvention.h"

namespace grip {

/// What a caller tells the readers about a file.
struct RigReadOptions {
  /// The convention the file is written in. Delimited text and MAT files
  /// must have one; TYDEX files are in TYDEX axes (ISO) unless told otherwise.
  std::optional<SignConvention> convention;
  ChannelMap channels;
  /// Units by channel name, for channels whose file gives none or one that
  /// is not known; they take the place of the file's.
  std::map<std::string, std::string, std::less<>> units;
  /// Delimited text: line of the channel names, from 1; 0 finds it.
  int namesLine = 0;
  /// Delimited text: line of the units, from 1; 0 finds it, -1 for none.
  int unitsLine = 0;
};

/// Delimited text: comma, semicolon, tab or blanks (the first data line
/// tells which); channel names with units as "NAME [unit]" in one line or
/// as a row of names followed by a row of units; lines of description
/// before them are skipped. On success run holds the channels in our units
/// and convention; otherwise false, and message names file, line and column.
bool readDelimitedText(std::string_view text, const std::string& fileName, const RigReadOptions& options,
                       RigRun& run, std::string& message);
bool readDelimitedFile(const std::string& fileName, const RigReadOptions& options, RigRun& run,
                       std::string& message);

/// TYDEX text: **HEADER, **CONSTANTS, **MEASURCHANNELS (name, description,
/// unit, conversion factor, offset), **MEASURDATA, **END; other sections
/// are passed over.
bool readTydexText(std::string_view text, const std::string& fileName, const RigReadOptions& options, RigRun& run,
                   std::string& message);
bool readTydexFile(const std::string& fileName, const RigReadOptions& options, RigRun& run, std::string& message);

/// MATLAB file (v4, v5 or v7.3): each numeric vector of more than one
/// element is a channel (all of one length; a 1x1 number is a constant);
/// the unit of channel NAME is the char variable NAME_unit or the char
/// field NAME of a struct named units.
bool readMatFile(const std::string& fileName, const RigReadOptions& options, RigRun& run, std::string& message);

/// Any rig file, by its name: ".mat" a MAT file, ".tdx" or ".tyd" TYDEX
/// text (in any case), anything else delimited text.
bool readRigFile(const std::string& fileName, const RigReadOptions& options, RigRun& run, std::string& message);

/// The whole content of a file, read as bytes; false with a message when it cannot be read.
bool readWholeFile(const std::string& fileName, std::string& text, std::string& message);

}  // namespace grip
