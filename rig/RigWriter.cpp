// Rig runs written out in a convention and units of the caller's: for the
// tests, the examples and exchange with other tools.

#include "rig/RigWriter.h"

#include <matio.h>

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/TextFile.h"
#include "rig/RigBuild.h"
#include "rig/RigMessages.h"
#include "rig/Units.h"

namespace grip {
namespace {

using rigbuild::numberText;
using rigmsg::fillMessage;

/// A channel as it is written: its unit and values in the file's terms.
struct Column {
  const Channel* channel;
  std::string unit;
  UnitConversion conversion;
  double sign;

  double value(std::size_t i) const { return conversion.fromOurs(sign * channel->values[i]); }
};

bool columnsOf(const RigRun& run, const RigWriteOptions& options, std::vector<Column>& columns, std::string& message) {
  columns.clear();
  for (const Channel& channel : run.channels) {
    if (channel.values.size() != run.samples()) {
      message = fillMessage(rigmsg::kWriteLengths, {channel.name, numberText(static_cast<long long>(channel.values.size())),
                                                    numberText(static_cast<long long>(run.samples()))});
      return false;
    }
    const auto given = options.units.find(channel.name);
    std::string unit = given != options.units.end() ? given->second
                       : channel.quantity == Quantity::Other ? channel.unit
                                                             : std::string(ourUnit(channel.quantity));
    const std::optional<UnitConversion> conversion = unitConversion(channel.quantity, unit);
    if (!conversion) {
      message = fillMessage(rigmsg::kWriteUnit, {channel.name, quantityName(channel.quantity), unit});
      return false;
    }
    columns.push_back({&channel, std::move(unit), *conversion,
                       signFactor(channel.quantity, run.convention, options.convention)});
  }
  return true;
}

void appendReal(std::string& text, double value) {
  char buffer[64];
  const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value);
  text.append(buffer, written.ptr);
}

void appendPadded(std::string& text, std::string_view field, std::size_t width) {
  text += field;
  text.append(field.size() < width ? width - field.size() : 1, ' ');
}

struct MatCloser {
  void operator()(mat_t* mat) const noexcept { Mat_Close(mat); }
};
struct VarFreer {
  void operator()(matvar_t* var) const noexcept { Mat_VarFree(var); }
};

}  // namespace

bool writeDelimitedText(const RigRun& run, const RigWriteOptions& options, std::string& text, std::string& message) {
  std::vector<Column> columns;
  if (!columnsOf(run, options, columns, message)) return false;
  const char separator = options.delimiter;
  text.clear();
  if (!options.description.empty()) text += options.description + "\n";
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c > 0) text += separator;
    text += columns[c].channel->name;
    if (!options.unitsRow && !columns[c].unit.empty()) text += " [" + columns[c].unit + "]";
  }
  text += '\n';
  if (options.unitsRow) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) text += separator;
      text += columns[c].unit.empty() ? std::string("-") : columns[c].unit;
    }
    text += '\n';
  }
  for (std::size_t i = 0; i < run.samples(); ++i) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) text += separator;
      appendReal(text, columns[c].value(i));
    }
    text += '\n';
  }
  return true;
}

bool writeTydexText(const RigRun& run, const RigWriteOptions& options, std::string& text, std::string& message) {
  std::vector<Column> columns;
  if (!columnsOf(run, options, columns, message)) return false;
  text = "**HEADER\n";
  appendPadded(text, "RELEASE", 10);
  appendPadded(text, "Release of TYDEX-Format", 40);
  text += "1.3\n";
  if (!options.description.empty()) text += "**COMMENTS\n" + options.description + "\n";
  text += "**MEASURCHANNELS\n";
  for (const Column& column : columns) {
    appendPadded(text, column.channel->name, 10);
    appendPadded(text, quantityName(column.channel->quantity), 30);
    appendPadded(text, column.unit.empty() ? std::string_view("-") : std::string_view(column.unit), 10);
    text += "1         0         0\n";
  }
  text += "**MEASURDATA\n";
  for (std::size_t i = 0; i < run.samples(); ++i) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) text += ' ';
      appendReal(text, columns[c].value(i));
    }
    text += '\n';
  }
  text += "**END\n";
  return true;
}

bool writeMatFile(const RigRun& run, const RigWriteOptions& options, const std::string& fileName,
                  std::string& message) {
  std::vector<Column> columns;
  if (!columnsOf(run, options, columns, message)) return false;
  const std::string temporary = fileName + ".tmp";
  bool written = true;
  {
    const std::unique_ptr<mat_t, MatCloser> mat(Mat_CreateVer(temporary.c_str(), nullptr, MAT_FT_MAT5));
    if (!mat) {
      message = fillMessage(rigmsg::kCannotWrite, {fileName});
      return false;
    }
    for (const Column& column : columns) {
      std::vector<double> values(run.samples());
      for (std::size_t i = 0; i < values.size(); ++i) values[i] = column.value(i);
      std::size_t dims[2] = {values.size(), 1};
      const std::unique_ptr<matvar_t, VarFreer> var(Mat_VarCreate(column.channel->name.c_str(), MAT_C_DOUBLE,
                                                                  MAT_T_DOUBLE, 2, dims, values.data(),
                                                                  MAT_F_DONT_COPY_DATA));
      written = written && var && Mat_VarWrite(mat.get(), var.get(), MAT_COMPRESSION_NONE) == 0;
      if (column.unit.empty()) continue;
      std::string unit = column.unit;
      std::size_t unitDims[2] = {1, unit.size()};
      const std::string unitName = column.channel->name + "_unit";
      const std::unique_ptr<matvar_t, VarFreer> unitVar(
          Mat_VarCreate(unitName.c_str(), MAT_C_CHAR, MAT_T_UTF8, 2, unitDims, unit.data(), MAT_F_DONT_COPY_DATA));
      written = written && unitVar && Mat_VarWrite(mat.get(), unitVar.get(), MAT_COMPRESSION_NONE) == 0;
    }
  }
  if (!written || std::rename(temporary.c_str(), fileName.c_str()) != 0) {
    std::remove(temporary.c_str());
    message = fillMessage(rigmsg::kCannotWrite, {fileName});
    return false;
  }
  return true;
}

bool writeWholeFile(const std::string& fileName, const std::string& text, std::string& message) {
  const std::string temporary = fileName + ".tmp";
  bool written = false;
  {
    TextFile file(std::fopen(temporary.c_str(), "wb"));
    if (file) {
      written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
      written = std::fclose(file.release()) == 0 && written;
    }
  }
  if (!written || std::rename(temporary.c_str(), fileName.c_str()) != 0) {
    std::remove(temporary.c_str());
    message = fillMessage(rigmsg::kCannotWrite, {fileName});
    return false;
  }
  return true;
}

}  // namespace grip
