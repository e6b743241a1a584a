// Delimited text of rig runs: description lines, a header, rows of numbers.

#include <algorithm>
#include <cstring>
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

struct Line {
  std::string_view text;
  int number = 0;
};

/// Hands out the lines of a text, without their line ends ("\n" or "\r\n").
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  bool next(Line& line) {
    if (at_ >= text_.size()) return false;
    const char* begin = text_.data() + at_;
    const void* found = std::memchr(begin, '\n', text_.size() - at_);
    const std::size_t length =
        found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - begin) : text_.size() - at_;
    at_ += length + 1;
    std::string_view text(begin, length);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    line = {text, ++number_};
    return true;
  }
  /// Line ends still ahead (an estimate of the lines left).
  std::size_t linesLeft() const {
    return at_ >= text_.size() ? 0 : static_cast<std::size_t>(std::count(text_.begin() + at_, text_.end(), '\n')) + 1;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  int number_ = 0;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isBlankLine(std::string_view text) { return trimmed(text).empty(); }

/// The separator of a line: a tab, else a semicolon, else a comma, else blanks (' ').
char separatorOf(std::string_view line) {
  for (const char c : {'\t', ';', ','}) {
    if (line.find(c) != std::string_view::npos) return c;
  }
  return ' ';
}

/// The fields of a line. Header fields (header true) lose the quotes
/// around them, and between blanks "NAME [unit]" stays one field.
std::vector<std::string_view> fieldsOf(std::string_view line, char separator, bool header) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  if (separator == ' ') {
    while (at < line.size()) {
      while (at < line.size() && isBlank(line[at])) ++at;
      if (at == line.size()) break;
      const std::size_t begin = at;
      while (at < line.size() && !isBlank(line[at])) ++at;
      const std::string_view token = line.substr(begin, at - begin);
      if (header && !fields.empty()) {
        const std::string_view last = fields.back();
        const bool openBracket = last.find('[') != std::string_view::npos && last.find(']') == std::string_view::npos;
        const bool unitOfLast = token.front() == '[' && last.find('[') == std::string_view::npos;
        if (openBracket || unitOfLast) {
          fields.back() = std::string_view(last.data(), static_cast<std::size_t>(token.data() + token.size() - last.data()));
          continue;
        }
      }
      fields.push_back(token);
    }
  } else {
    while (true) {
      const std::size_t end = std::min(line.find(separator, at), line.size());
      fields.push_back(trimmed(line.substr(at, end - at)));
      if (end == line.size()) break;
      at = end + 1;
    }
  }
  if (header) {
    for (std::string_view& field : fields) {
      if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = trimmed(field.substr(1, field.size() - 2));
    }
  }
  return fields;
}

bool isNumber(std::string_view field) {
  double value = 0.0;
  return !field.empty() && rigbuild::readNumber(field.data(), field.data() + field.size(), value);
}

bool isNumberLine(std::string_view line) {
  if (isBlankLine(line)) return false;
  const std::vector<std::string_view> fields = fieldsOf(line, separatorOf(line), false);
  return std::all_of(fields.begin(), fields.end(), isNumber);
}

/// A field of a units row: "[unit]" or "unit".
std::string_view unitOfField(std::string_view field) {
  if (field.size() >= 2 && field.front() == '[' && field.back() == ']') return trimmed(field.substr(1, field.size() - 2));
  return field;
}

bool looksLikeUnitsRow(const std::vector<std::string_view>& fields) {
  const auto units = std::count_if(fields.begin(), fields.end(), [](std::string_view field) {
    return (!field.empty() && field.front() == '[') || isKnownUnit(field);
  });
  return 2 * static_cast<std::size_t>(units) > fields.size();
}

bool hasNameWithUnit(const std::vector<std::string_view>& fields) {
  return std::any_of(fields.begin(), fields.end(), [](std::string_view field) {
    const std::size_t bracket = field.find('[');
    return bracket != std::string_view::npos && bracket > 0;
  });
}

const Line* lineNumbered(const std::vector<Line>& lines, int number) {
  for (const Line& line : lines) {
    if (line.number == number) return &line;
  }
  return nullptr;
}

struct Header {
  const Line* names = nullptr;
  const Line* units = nullptr;
};

bool findHeader(const std::vector<Line>& before, const Line& data, const std::string& fileName,
                const RigReadOptions& options, char separator, Header& header, std::string& message) {
  if (options.namesLine > 0) {
    header.names = lineNumbered(before, options.namesLine);
    if (header.names == nullptr) {
      message = fillMessage(rigmsg::kLineOutOfFile, {fileName, numberText(options.namesLine), "channel names"});
      return false;
    }
  }
  if (options.unitsLine > 0) {
    header.units = lineNumbered(before, options.unitsLine);
    if (header.units == nullptr) {
      message = fillMessage(rigmsg::kLineOutOfFile, {fileName, numberText(options.unitsLine), "units"});
      return false;
    }
  }
  if (header.names != nullptr) {
    // A units row right below the given names, before the data, is found as without them.
    const Line* next = header.names + 1;
    if (options.unitsLine == 0 && next == &before.back() && looksLikeUnitsRow(fieldsOf(next->text, separator, true))) {
      header.units = next;
    }
    return true;
  }
  if (before.empty()) {
    message = fillMessage(rigmsg::kNoHeader, {fileName, numberText(data.number)});
    return false;
  }
  // The line before the data names the channels, with their units in
  // brackets; or it is a row of units below a row of names of as many fields.
  const Line& last = before.back();
  const std::vector<std::string_view> fields = fieldsOf(last.text, separator, true);
  if (options.unitsLine == 0 && !hasNameWithUnit(fields) && before.size() >= 2 && looksLikeUnitsRow(fields) &&
      fieldsOf(before[before.size() - 2].text, separator, true).size() == fields.size()) {
    header.names = &before[before.size() - 2];
    header.units = &last;
    return true;
  }
  header.names = &last;
  return true;
}

bool readHeader(const Header& header, const std::string& fileName, char separator, std::size_t count,
                const Line& data, std::vector<RawChannel>& channels, std::string& message) {
  const std::vector<std::string_view> names = fieldsOf(header.names->text, separator, true);
  const std::string at = numberText(header.names->number);
  if (names.size() != count) {
    message = fillMessage(rigmsg::kNameCount,
                          {fileName, at, numberText(static_cast<long long>(names.size())), numberText(data.number),
                           numberText(static_cast<long long>(count))});
    return false;
  }
  std::vector<std::string_view> units;
  if (header.units != nullptr) {
    units = fieldsOf(header.units->text, separator, true);
    if (units.size() != count) {
      message = fillMessage(rigmsg::kUnitCount, {fileName, numberText(header.units->number),
                                                 numberText(static_cast<long long>(units.size())),
                                                 numberText(static_cast<long long>(count))});
      return false;
    }
  }
  channels.resize(count);
  for (std::size_t c = 0; c < count; ++c) {
    const std::string column = numberText(static_cast<long long>(c + 1));
    std::string_view name = names[c];
    std::string_view unit;
    if (const std::size_t bracket = name.find('['); bracket != std::string_view::npos) {
      const std::size_t close = name.find(']', bracket);
      if (close == std::string_view::npos) {
        message = fillMessage(rigmsg::kNoClosingBracket, {fileName, at, column, name});
        return false;
      }
      unit = trimmed(name.substr(bracket + 1, close - bracket - 1));
      name = trimmed(name.substr(0, bracket));
    }
    if (name.empty()) {
      message = fillMessage(rigmsg::kNoName, {fileName, at, column});
      return false;
    }
    if (isNumber(name)) {  // a row of data with a fault, taken for the header
      message = fillMessage(rigmsg::kNameIsNumber, {fileName, at, column, name});
      return false;
    }
    for (std::size_t before = 0; before < c; ++before) {
      if (channels[before].name == name) {
        message = fillMessage(rigmsg::kNamedTwice, {fileName, at, column, name});
        return false;
      }
    }
    if (!units.empty()) unit = unitOfField(units[c]);
    channels[c].name = std::string(name);
    channels[c].fileUnit = std::string(unit);
  }
  return true;
}

/// Reads one line of count numbers into the channels.
bool readRow(const Line& line, char separator, std::vector<RawChannel>& channels, const std::string& fileName,
             std::string& message) {
  const char* p = line.text.data();
  const char* const end = p + line.text.size();
  const std::size_t count = channels.size();
  const auto wrongCount = [&] {
    const std::size_t found = fieldsOf(line.text, separator, false).size();
    message = fillMessage(rigmsg::kValueCount, {fileName, numberText(line.number),
                                                numberText(static_cast<long long>(found)),
                                                numberText(static_cast<long long>(count))});
    return false;
  };
  for (std::size_t c = 0; c < count; ++c) {
    const char* begin = nullptr;
    const char* fieldEnd = nullptr;
    if (separator == ' ') {
      while (p < end && isBlank(*p)) ++p;
      if (p == end) return wrongCount();
      begin = p;
      while (p < end && !isBlank(*p)) ++p;
      fieldEnd = p;
    } else {
      if (c > 0) {
        if (p == end) return wrongCount();
        ++p;  // the separator after the field before
      }
      const void* found = std::memchr(p, separator, static_cast<std::size_t>(end - p));
      const char* stop = found != nullptr ? static_cast<const char*>(found) : end;
      if (stop == end && c + 1 < count) return wrongCount();
      begin = p;
      fieldEnd = stop;
      p = stop;
      while (begin < fieldEnd && isBlank(*begin)) ++begin;
      while (fieldEnd > begin && isBlank(fieldEnd[-1])) --fieldEnd;
    }
    const auto column = [c] { return numberText(static_cast<long long>(c + 1)); };
    if (begin == fieldEnd) {
      message = fillMessage(rigmsg::kNoValue, {fileName, numberText(line.number), column(), channels[c].name});
      return false;
    }
    double value = 0.0;
    if (!rigbuild::readNumber(begin, fieldEnd, value)) {
      message = fillMessage(rigmsg::kNoNumber, {fileName, numberText(line.number), column(), channels[c].name,
                                                std::string_view(begin, static_cast<std::size_t>(fieldEnd - begin))});
      return false;
    }
    channels[c].values.push_back(value);
  }
  while (separator == ' ' && p < end && isBlank(*p)) ++p;
  if (p != end) return wrongCount();
  return true;
}

}  // namespace

bool readDelimitedText(std::string_view text, const std::string& fileName, const RigReadOptions& options,
                       RigRun& run, std::string& message) {
  if (!options.convention) {
    message = fillMessage(rigmsg::kNoConvention, {fileName});
    return false;
  }
  LineCursor cursor(text);
  std::vector<Line> before;  // non-blank lines before the data
  Line line;
  bool found = false;
  while (cursor.next(line)) {
    if (isBlankLine(line.text)) continue;
    if (isNumberLine(line.text)) {
      found = true;
      break;
    }
    before.push_back(line);
  }
  if (!found) {
    message = fillMessage(rigmsg::kNoData, {fileName});
    return false;
  }
  const char separator = separatorOf(line.text);
  const std::size_t count = fieldsOf(line.text, separator, false).size();
  Header header;
  std::vector<RawChannel> channels;
  if (!findHeader(before, line, fileName, options, separator, header, message) ||
      !readHeader(header, fileName, separator, count, line, channels, message)) {
    return false;
  }
  const std::size_t rows = cursor.linesLeft() + 1;
  for (RawChannel& channel : channels) channel.values.reserve(rows);
  do {
    if (isBlankLine(line.text)) continue;
    if (!readRow(line, separator, channels, fileName, message)) return false;
  } while (cursor.next(line));
  rigbuild::Metadata none;
  return rigbuild::finishRun(channels, none, fileName, options, *options.convention, run, message);
}

bool readDelimitedFile(const std::string& fileName, const RigReadOptions& options, RigRun& run,
                       std::string& message) {
  std::string text;
  return readWholeFile(fileName, text, message) && readDelimitedText(text, fileName, options, run, message);
}

}  // namespace grip
