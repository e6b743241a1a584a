// MATLAB files of rig runs, through matio: one numeric vector per channel.

#include <matio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rig/RigBuild.h"
#include "rig/RigMessages.h"
#include "rig/RigReader.h"
#include "rig/RigWriter.h"
#include "rig/Units.h"

namespace grip {
namespace {

using rigbuild::numberText;
using rigbuild::RawChannel;
using rigmsg::fillMessage;

struct MatCloser {
  void operator()(mat_t* mat) const noexcept { Mat_Close(mat); }
};
struct VarFreer {
  void operator()(matvar_t* var) const noexcept { Mat_VarFree(var); }
};
using MatFile = std::unique_ptr<mat_t, MatCloser>;
using MatVar = std::unique_ptr<matvar_t, VarFreer>;

std::size_t elementsOf(const matvar_t& var) {
  std::size_t n = 1;
  for (int d = 0; d < var.rank; ++d) n *= var.dims[d];
  return n;
}

/// A vector: every dimension but one is 1.
bool isVector(const matvar_t& var) {
  int longer = 0;
  for (int d = 0; d < var.rank; ++d) longer += var.dims[d] != 1 ? 1 : 0;
  return longer <= 1;
}

template <typename T>
void append(const void* data, std::size_t n, std::vector<double>& values) {
  const T* typed = static_cast<const T*>(data);
  values.assign(typed, typed + n);
}

/// The numbers of a numeric variable as doubles; false for another class.
bool numbersOf(const matvar_t& var, std::vector<double>& values) {
  const std::size_t n = elementsOf(var);
  if (var.data == nullptr) return n == 0;
  switch (var.class_type) {
    case MAT_C_DOUBLE: append<double>(var.data, n, values); return true;
    case MAT_C_SINGLE: append<float>(var.data, n, values); return true;
    case MAT_C_INT8: append<std::int8_t>(var.data, n, values); return true;
    case MAT_C_UINT8: append<std::uint8_t>(var.data, n, values); return true;
    case MAT_C_INT16: append<std::int16_t>(var.data, n, values); return true;
    case MAT_C_UINT16: append<std::uint16_t>(var.data, n, values); return true;
    case MAT_C_INT32: append<std::int32_t>(var.data, n, values); return true;
    case MAT_C_UINT32: append<std::uint32_t>(var.data, n, values); return true;
    case MAT_C_INT64: append<std::int64_t>(var.data, n, values); return true;
    case MAT_C_UINT64: append<std::uint64_t>(var.data, n, values); return true;
    default: return false;
  }
}

bool isNumeric(const matvar_t& var) {
  switch (var.class_type) {
    case MAT_C_DOUBLE: case MAT_C_SINGLE: case MAT_C_INT8: case MAT_C_UINT8: case MAT_C_INT16:
    case MAT_C_UINT16: case MAT_C_INT32: case MAT_C_UINT32: case MAT_C_INT64: case MAT_C_UINT64: return true;
    default: return false;
  }
}

/// The text of a char row, in UTF-8; false for anything else.
bool textOf(const matvar_t& var, std::string& text) {
  if (var.class_type != MAT_C_CHAR || !isVector(var)) return false;
  const std::size_t n = elementsOf(var);
  text.clear();
  if (var.data == nullptr) return n == 0;
  if (var.data_type == MAT_T_UINT8 || var.data_type == MAT_T_UTF8 || var.data_type == MAT_T_INT8) {
    text.assign(static_cast<const char*>(var.data), n);
    return true;
  }
  if (var.data_type == MAT_T_UINT16 || var.data_type == MAT_T_UTF16 || var.data_type == MAT_T_INT16) {
    const auto* units = static_cast<const std::uint16_t*>(var.data);
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned c = units[i];
      if (c < 0x80) {
        text += static_cast<char>(c);
      } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return true;
  }
  return false;
}

constexpr std::string_view kUnitSuffix = "_unit";
constexpr const char* kUnitsStruct = "units";

}  // namespace

bool readMatFile(const std::string& fileName, const RigReadOptions& options, RigRun& run, std::string& message) {
  if (!options.convention) {
    message = fillMessage(rigmsg::kNoConvention, {fileName});
    return false;
  }
  const MatFile mat(Mat_Open(fileName.c_str(), MAT_ACC_RDONLY));
  if (!mat) {
    message = fillMessage(rigmsg::kMatOpen, {fileName});
    return false;
  }
  std::vector<std::string> names;
  for (MatVar info(Mat_VarReadNextInfo(mat.get())); info; info.reset(Mat_VarReadNextInfo(mat.get()))) {
    if (info->name != nullptr) names.emplace_back(info->name);
  }
  rigbuild::Metadata metadata;  // the 1x1 numbers
  std::vector<RawChannel> channels;
  std::vector<std::pair<std::string, std::string>> units;  // channel name, unit
  for (const std::string& name : names) {
    const MatVar var(Mat_VarRead(mat.get(), name.c_str()));
    if (!var) {
      message = fillMessage(rigmsg::kMatRead, {fileName, name});
      return false;
    }
    if (name.size() > kUnitSuffix.size() && name.ends_with(kUnitSuffix)) {
      std::string unit;
      if (!textOf(*var, unit)) {
        message = fillMessage(rigmsg::kMatUnitText, {fileName, name});
        return false;
      }
      units.emplace_back(name.substr(0, name.size() - kUnitSuffix.size()), unit);
      continue;
    }
    if (name == kUnitsStruct && var->class_type == MAT_C_STRUCT) {
      char* const* fields = Mat_VarGetStructFieldnames(var.get());
      const unsigned count = Mat_VarGetNumberOfFields(var.get());
      for (unsigned f = 0; fields != nullptr && f < count; ++f) {
        matvar_t* field = Mat_VarGetStructFieldByName(var.get(), fields[f], 0);  // owned by the struct
        std::string unit;
        if (field == nullptr || !textOf(*field, unit)) {
          message = fillMessage(rigmsg::kMatUnitText, {fileName, name + "." + fields[f]});
          return false;
        }
        units.emplace_back(fields[f], unit);
      }
      continue;
    }
    if (!isNumeric(*var)) continue;  // text, cells and structs of other names are no channels
    if (var->isComplex != 0) {
      message = fillMessage(rigmsg::kMatComplex, {fileName, name});
      return false;
    }
    std::vector<double> values;
    if (!numbersOf(*var, values)) {
      message = fillMessage(rigmsg::kMatRead, {fileName, name});
      return false;
    }
    if (!isVector(*var)) {
      std::string dims;
      for (int d = 0; d < var->rank; ++d) {
        dims += (d > 0 ? " x " : "") + numberText(static_cast<long long>(var->dims[d]));
      }
      message = fillMessage(rigmsg::kMatMatrix, {fileName, name, dims});
      return false;
    }
    if (values.size() == 1) {  // a constant of the run
      metadata.emplace_back(name, rigbuild::realText(values.front()));
      continue;
    }
    if (!channels.empty() && values.size() != channels.front().values.size()) {
      message = fillMessage(rigmsg::kMatLength, {fileName, name, numberText(static_cast<long long>(values.size())),
                                                 numberText(static_cast<long long>(channels.front().values.size()))});
      return false;
    }
    channels.push_back(RawChannel{name, "", std::move(values)});
  }
  if (channels.empty()) {
    message = fillMessage(rigmsg::kMatNoChannel, {fileName});
    return false;
  }
  for (const auto& [channelName, unit] : units) {
    for (RawChannel& channel : channels) {
      if (channel.name == channelName) channel.fileUnit = unit;
    }
  }
  return rigbuild::finishRun(channels, metadata, fileName, options, *options.convention, run, message);
}

}  // namespace grip
