#pragma once

// Messages of the rig readers and writers. "{}" stands for a value, filled
// in order by fillMessage: the file name first, then its line and column
// where the fault has one.

#include <initializer_list>
#include <string>
#include <string_view>

namespace grip::rigmsg {

inline constexpr std::string_view kCannotOpen = "{}: cannot be opened for reading";
inline constexpr std::string_view kCannotWrite = "{}: cannot be written";
inline constexpr std::string_view kNoConvention = "{}: no sign convention declared for the file";
inline constexpr std::string_view kNoData = "{}: no line of numbers";
inline constexpr std::string_view kNoHeader = "{}:{}: no line of channel names before the data";
inline constexpr std::string_view kLineOutOfFile = "{}: line {} given for the {} is not a line of the header";
inline constexpr std::string_view kNameCount = "{}:{}: {} channel names where the data of line {} have {} values";
inline constexpr std::string_view kUnitCount = "{}:{}: {} units for {} channels";
inline constexpr std::string_view kNoName = "{}:{}: column {}: no channel name";
inline constexpr std::string_view kNameIsNumber = "{}:{}: column {}: \"{}\" is a number, no channel name";
inline constexpr std::string_view kNamedTwice = "{}:{}: column {}: channel {} is named twice";
inline constexpr std::string_view kNoClosingBracket = "{}:{}: column {}: \"{}\" has no closing \"]\"";
inline constexpr std::string_view kNoNumber = "{}:{}: column {} ({}): \"{}\" is no number";
inline constexpr std::string_view kNoValue = "{}:{}: column {} ({}): no value";
inline constexpr std::string_view kValueCount = "{}:{}: {} values where the header has {} channels";
inline constexpr std::string_view kNoUnit = "{}: channel {} ({}) has no unit";
inline constexpr std::string_view kUnknownUnit = "{}: channel {} ({}): unknown unit \"{}\"";

inline constexpr std::string_view kTydexOutsideSection = "{}:{}: text before the first section: \"{}\"";
inline constexpr std::string_view kTydexChannelLine =
    "{}:{}: \"{}\" is no channel line (name, description, unit, factor, offset)";
inline constexpr std::string_view kTydexSecondOffset = "{}:{}: column {} ({}): a second offset \"{}\" is not read";
inline constexpr std::string_view kTydexFactor = "{}:{}: column {} ({}): conversion factor \"{}\" is no number or 0";
inline constexpr std::string_view kTydexNoChannels = "{}:{}: **MEASURDATA before any **MEASURCHANNELS line";
inline constexpr std::string_view kTydexNoData = "{}: no **MEASURDATA section";
inline constexpr std::string_view kTydexNoEnd = "{}:{}: the file ends without **END";
inline constexpr std::string_view kTydexTwice = "{}:{}: section {} a second time";

inline constexpr std::string_view kMatOpen = "{}: cannot be opened as a MAT file";
inline constexpr std::string_view kMatLength = "{}: variable {}: {} elements where the channels have {}";
inline constexpr std::string_view kMatMatrix = "{}: variable {}: a matrix of {} is no channel";
inline constexpr std::string_view kMatComplex = "{}: variable {}: complex values";
inline constexpr std::string_view kMatRead = "{}: variable {}: its data cannot be read";
inline constexpr std::string_view kMatNoChannel = "{}: no numeric vector";
inline constexpr std::string_view kMatUnitText = "{}: variable {}: a unit must be a row of characters";

inline constexpr std::string_view kMapPair = "\"{}\" is no quantity=NAME pair";
inline constexpr std::string_view kMapQuantity = "unknown quantity \"{}\" in \"{}\"";
inline constexpr std::string_view kWriteUnit = "channel {} ({}): unknown unit \"{}\"";
inline constexpr std::string_view kWriteLengths = "channel {} has {} values where the run has {}";

/// Fills the "{}" of text with values, in order.
inline std::string fillMessage(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  auto value = values.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' && i + 1 < text.size() && text[i + 1] == '}' && value != values.end()) {
      out += *value++;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace grip::rigmsg
