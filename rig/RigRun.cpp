#include "rig/RigRun.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "core/TextFile.h"
#include "rig/RigBuild.h"
#include "rig/RigMessages.h"
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
  const TextFile file(std::fopen(fileName.c_str(), "rb"));
  if (!file) {
    message = rigmsg::fillMessage(rigmsg::kCannotOpen, {fileName});
    return false;
  }
  text.clear();
  std::string block(1 << 16, '\0');
  std::size_t read = 0;
  while ((read = std::fread(block.data(), 1, block.size(), file.get())) > 0) text.append(block, 0, read);
  if (std::ferror(file.get()) != 0) {
    message = rigmsg::fillMessage(rigmsg::kCannotOpen, {fileName});
    return false;
  }
  return true;
}

namespace rigbuild {

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

bool finishRun(std::vector<RawChannel>& channels, const std::string& fileName, const RigReadOptions& options,
               SignConvention convention, RigRun& run, std::string& message) {
  RigRun result;
  result.fileName = fileName;
  result.sourceConvention = convention;
  result.convention = convention;
  result.metadata = std::move(run.metadata);
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
