#include "rig/RigRun.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/NumberText.h"
#include "core/TextFile.h"
#include "rig/RigBuild.h"
#include "rig/RigMessages.h"
#include "rig/RigReader.h"
#include "rig/Units.h"

namespace grip {

const Channel* RigRun::find(Quantity quantity) const {
  for (const Channel& channel : channels) {
    if (channel.quantity == quantity) return &channel;
  }
  return nullptr;
}

Channel* RigRun::find(Quantity quantity) {
  for (Channel& channel : channels) {
    if (channel.quantity == quantity) return &channel;
  }
  return nullptr;
}

const Channel* RigRun::find(std::string_view name) const {
  for (const Channel& channel : channels) {
    if (channel.name == name) return &channel;
  }
  return nullptr;
}

bool readWholeFile(const std::string& fileName, std::string& text, std::string& message) {
  if (readFileBytes(fileName, text)) return true;
  message = rigmsg::fillMessage(rigmsg::kCannotOpen, {fileName});
  return false;
}

bool readRigFile(const std::string& fileName, const RigReadOptions& options, RigRun& run, std::string& message) {
  std::string extension = std::filesystem::path(fileName).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".mat") return readMatFile(fileName, options, run, message);
  if (extension == ".tdx" || extension == ".tyd") return readTydexFile(fileName, options, run, message);
  return readDelimitedFile(fileName, options, run, message);
}

namespace rigbuild {
namespace {

/// A plain decimal ("-12.345", at most 15 digits, no exponent) read
/// directly: its digits as an integer below 2^53 divided by a power of ten
/// of at most 22, both exact doubles, so that the one division rounds the
/// value correctly (Clinger's fast path: the same double from_chars gives).
/// False for any other text, which parseReal reads.
bool readPlainDecimal(const char* begin, const char* end, double& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const bool negative = begin < end && *begin == '-';
  const char* p = negative ? begin + 1 : begin;
  std::uint64_t digits = 0;
  int count = 0;
  int decimals = 0;
  bool point = false;
  for (; p < end; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      if (++count > 15) return false;
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      decimals += point ? 1 : 0;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (count == 0) return false;
  const double magnitude = static_cast<double>(digits) / kPowers[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

bool readNumber(const char* begin, const char* end, double& value) {
  if (readPlainDecimal(begin, end, value)) return true;
  const char* read = begin;
  return parseReal(read, end, value) && read == end;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string numberText(long long value) { return std::to_string(value); }

std::string realText(double value) {
  char text[64];
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

bool finishRun(std::vector<RawChannel>& channels, Metadata& metadata, const std::string& fileName,
               const RigReadOptions& options, SignConvention convention, RigRun& run, std::string& message) {
  RigRun result;
  result.fileName = fileName;
  result.sourceConvention = convention;
  result.convention = convention;
  result.metadata = std::move(metadata);
  for (RawChannel& raw : channels) {
    Channel channel;
    channel.name = std::move(raw.name);
    channel.quantity = options.channels.quantityOf(channel.name);
    channel.fileUnit = std::move(raw.fileUnit);
    const auto given = options.units.find(channel.name);
    channel.unit = given != options.units.end() ? given->second : channel.fileUnit;
    channel.values = std::move(raw.values);
    if (channel.quantity != Quantity::Other) {
      const std::string_view quantity = quantityName(channel.quantity);
      if (channel.unit.empty()) {
        message = rigmsg::fillMessage(rigmsg::kNoUnit, {fileName, channel.name, quantity});
        return false;
      }
      const std::optional<UnitConversion> conversion = unitConversion(channel.quantity, channel.unit);
      if (!conversion) {
        message = rigmsg::fillMessage(rigmsg::kUnknownUnit, {fileName, channel.name, quantity, channel.unit});
        return false;
      }
      if (conversion->scale != 1.0 || conversion->offset != 0.0) {
        for (double& value : channel.values) value = conversion->toOurs(value);
      }
    }
    result.channels.push_back(std::move(channel));
  }
  changeSignConvention(result, SignConvention::Ours);
  run = std::move(result);
  return true;
}

}  // namespace rigbuild
}  // namespace grip
