// TYDEX text of rig runs: keyword sections from **HEADER to **END.

#include <cmath>
#include <string>
#include <vector>

#include "rig/RigBuild.h"
#include "rig/RigMessages.h"
#include "rig/RigReader.h"
#include "rig/Units.h"

namespace grip {
namespace {

using rigbuild::numberText;
using rigbuild::RawChannel;
using rigbuild::trimmed;
using rigmsg::fillMessage;

enum class Section { None, Header, Constants, Channels, Data, Skipped };

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string_view> tokensOf(std::string_view line) {
  std::vector<std::string_view> tokens;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && isBlank(line[at])) ++at;
    const std::size_t begin = at;
    while (at < line.size() && !isBlank(line[at])) ++at;
    if (at > begin) tokens.push_back(line.substr(begin, at - begin));
  }
  return tokens;
}

bool readNumber(std::string_view token, double& value) {
  return rigbuild::readNumber(token.data(), token.data() + token.size(), value);
}

/// A channel of the file with its conversion: physical = raw * factor + offset.
struct TydexChannel {
  RawChannel raw;
  double factor = 1.0;
  double offset = 0.0;
};

/// "NAME  description  unit  [factor [offset [second offset]]]": the
/// description may hold blanks, so the unit is the last word before the
/// numbers at the end.
bool readChannelLine(std::string_view line, int number, const std::string& fileName,
                     std::vector<TydexChannel>& channels, std::string& message) {
  const std::vector<std::string_view> tokens = tokensOf(line);
  const std::string at = numberText(number);
  if (tokens.size() < 2) {
    message = fillMessage(rigmsg::kTydexChannelLine, {fileName, at, trimmed(line)});
    return false;
  }
  std::size_t numbers = 0;
  double values[3] = {1.0, 0.0, 0.0};
  while (numbers < 3 && numbers + 2 < tokens.size()) {
    double value = 0.0;
    if (!readNumber(tokens[tokens.size() - 1 - numbers], value)) break;
    ++numbers;
  }
  // A unit that is itself a number ("1" for a ratio) ends the description
  // when the word before it is no unit and the line has fewer than all three numbers.
  while (numbers > 0 && numbers < 3 && !isKnownUnit(tokens[tokens.size() - numbers - 1]) &&
         isKnownUnit(tokens[tokens.size() - numbers])) {
    --numbers;
  }
  const std::size_t first = tokens.size() - numbers;
  for (std::size_t k = 0; k < numbers; ++k) readNumber(tokens[first + k], values[k]);
  TydexChannel channel;
  channel.raw.name = std::string(tokens.front());
  channel.raw.fileUnit = std::string(tokens[first - 1]);
  const std::string column = numberText(static_cast<long long>(channels.size() + 1));
  for (const TydexChannel& before : channels) {
    if (before.raw.name == channel.raw.name) {
      message = fillMessage(rigmsg::kNamedTwice, {fileName, at, column, channel.raw.name});
      return false;
    }
  }
  if (values[0] == 0.0 || !std::isfinite(values[0])) {
    message = fillMessage(rigmsg::kTydexFactor, {fileName, at, column, channel.raw.name, tokens[first]});
    return false;
  }
  if (values[2] != 0.0) {
    message = fillMessage(rigmsg::kTydexSecondOffset, {fileName, at, column, channel.raw.name, tokens[first + 2]});
    return false;
  }
  channel.factor = values[0];
  channel.offset = values[1];
  channels.push_back(std::move(channel));
  return true;
}

bool readDataLine(std::string_view line, int number, const std::string& fileName,
                  std::vector<TydexChannel>& channels, std::string& message) {
  const std::vector<std::string_view> tokens = tokensOf(line);
  const std::string at = numberText(number);
  if (tokens.size() != channels.size()) {
    message = fillMessage(rigmsg::kValueCount, {fileName, at, numberText(static_cast<long long>(tokens.size())),
                                                numberText(static_cast<long long>(channels.size()))});
    return false;
  }
  for (std::size_t c = 0; c < tokens.size(); ++c) {
    double value = 0.0;
    if (!readNumber(tokens[c], value)) {
      message = fillMessage(rigmsg::kNoNumber, {fileName, at, numberText(static_cast<long long>(c + 1)),
                                                channels[c].raw.name, tokens[c]});
      return false;
    }
    channels[c].raw.values.push_back(value * channels[c].factor + channels[c].offset);
  }
  return true;
}

}  // namespace

bool readTydexText(std::string_view text, const std::string& fileName, const RigReadOptions& options, RigRun& run,
                   std::string& message) {
  rigbuild::Metadata metadata;  // header and constants
  std::vector<TydexChannel> channels;
  Section section = Section::None;
  bool seenChannels = false;
  bool seenData = false;
  bool ended = false;
  int number = 0;
  std::size_t at = 0;
  while (at < text.size() && !ended) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view content = trimmed(line);
    if (content.empty()) continue;
    if (content.substr(0, 2) == "**") {
      const std::vector<std::string_view> words = tokensOf(content.substr(2));
      const std::string_view keyword = words.empty() ? std::string_view() : words.front();
      bool* seen = nullptr;
      if (keyword == "END") {
        ended = true;
      } else if (keyword == "HEADER") {
        section = Section::Header;
      } else if (keyword == "CONSTANTS") {
        section = Section::Constants;
      } else if (keyword == "MEASURCHANNELS") {
        section = Section::Channels;
        seen = &seenChannels;
      } else if (keyword == "MEASURDATA") {
        section = Section::Data;
        seen = &seenData;
        if (channels.empty()) {
          message = fillMessage(rigmsg::kTydexNoChannels, {fileName, numberText(number)});
          return false;
        }
      } else {
        section = Section::Skipped;
      }
      if (seen != nullptr) {
        if (*seen) {
          message = fillMessage(rigmsg::kTydexTwice, {fileName, numberText(number), content});
          return false;
        }
        *seen = true;
      }
      continue;
    }
    switch (section) {
      case Section::None:
        message = fillMessage(rigmsg::kTydexOutsideSection, {fileName, numberText(number), content});
        return false;
      case Section::Header:
      case Section::Constants: {
        const std::size_t blank = content.find_first_of(" \t");
        const std::string_view key = content.substr(0, blank);
        const std::string_view rest = blank == std::string_view::npos ? std::string_view() : trimmed(content.substr(blank));
        metadata.emplace_back(std::string(key), std::string(rest));
        break;
      }
      case Section::Channels:
        if (seenData) {  // channels after the data would have no values
          message = fillMessage(rigmsg::kTydexTwice, {fileName, numberText(number), "**MEASURCHANNELS"});
          return false;
        }
        if (!readChannelLine(content, number, fileName, channels, message)) return false;
        break;
      case Section::Data:
        if (!readDataLine(content, number, fileName, channels, message)) return false;
        break;
      case Section::Skipped: break;
    }
  }
  if (!seenData) {
    message = fillMessage(rigmsg::kTydexNoData, {fileName});
    return false;
  }
  if (!ended) {
    message = fillMessage(rigmsg::kTydexNoEnd, {fileName, numberText(number)});
    return false;
  }
  std::vector<RawChannel> raw;
  raw.reserve(channels.size());
  for (TydexChannel& channel : channels) raw.push_back(std::move(channel.raw));
  return rigbuild::finishRun(raw, metadata, fileName, options, options.convention.value_or(SignConvention::Iso8855),
                             run, message);
}

bool readTydexFile(const std::string& fileName, const RigReadOptions& options, RigRun& run, std::string& message) {
  std::string text;
  return readWholeFile(fileName, text, message) && readTydexText(text, fileName, options, run, message);
}

}  // namespace grip
