#pragma once

// What the readers share once a file's channels are read: quantities from
// the channel map, units into ours, signs into our convention.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rig/RigReader.h"
#include "rig/RigRun.h"

namespace grip::rigbuild {

/// Channels as a file holds them.
struct RawChannel {
  std::string name;
  std::string fileUnit;
  std::vector<double> values;
};

/// Metadata of a file: keyword, rest of the line.
using Metadata = std::vector<std::pair<std::string, std::string>>;

/// Moves channels and metadata into run, converted; false with a message
/// naming the channel whose unit is missing or not known, run unchanged.
bool finishRun(std::vector<RawChannel>& channels, Metadata& metadata, const std::string& fileName,
               const RigReadOptions& options, SignConvention convention, RigRun& run, std::string& message);

/// The text between blanks at either end.
std::string_view trimmed(std::string_view text);

/// The decimal text of a number.
std::string numberText(long long value);

/// Reads the whole of [begin, end) as one number, as parseReal reads it
/// (plain decimals on a fast path that gives the same double).
bool readNumber(const char* begin, const char* end, double& value);

/// The shortest text of value that reads back exactly, in any locale.
std::string realText(double value);

}  // namespace grip::rigbuild
