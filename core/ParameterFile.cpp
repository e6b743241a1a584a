// Reading of the parameter file into the model object.

#include <algorithm>
#include <climits>
#include <cmath>

#include "Console.h"
#include "FormatText.h"
#include "KeyedLine.h"
#include "LineReader.h"
#include "Messages.h"
#include "Numbers.h"
#include "TextFile.h"
#include "TyreModel.h"

namespace grip {

namespace {

/// Walks the lines of one parameter file and collects its faults.
class ParameterFileReader {
 public:
  ParameterFileReader(std::FILE* file, const std::string& fileName, ParameterSet& parameters,
                      const ValueLineHook& onValueLine)
      : lines_(file, fileName), parameters_(parameters), onValueLine_(onValueLine) {}

  /// Reads the next line as a block header; true when it holds the key.
  /// The block's count goes to count (0 when it cannot be read).
  bool header(const char* key, int& count) {
    if (!keyLine(key)) return false;
    KeyedValue read = readIntAfterEquals(lines_.line(), count);
    if (read != KeyedValue::ok) {
      reportKeyedLine(read, lines_.fileName(), lines_.lineNumber(), lines_.line());
      ++lineFaults;
      count = 0;
    }
    return true;
  }

  /// Reads the next line; true when it holds the key.
  bool keyLine(const char* key) {
    lines_.next();  // at the end of the file the last line is tested again
    return lines_.line().find(key) != std::string::npos;
  }

  /// Reads count value lines into the parameters from the running count on.
  void values(int count) {
    for (int k = 0; k < count; ++k) {
      double value = 0.0;
      bool stored = readValueLine(value);
      if (valueCount < static_cast<long long>(kParameterCount)) {
        auto index = static_cast<std::size_t>(valueCount);
        parameters_[index] = stored ? value : std::nan("");
        if (stored && onValueLine_) onValueLine_(index, lines_.line(), lines_.lineNumber());
      }
      ++valueCount;
      if (lines_.atEnd()) {
        valueCount += count - k - 1;  // the header's count still counts
        return;
      }
    }
  }

  /// Reads the next line as a keyed value line; false (reported) when it
  /// holds no value or the file has ended.
  bool readValueLine(double& value) {
    if (!lines_.next()) {
      if (!endReported_) say(msg::kEndOfFile, lines_.fileName().c_str(), lines_.lineNumber(), lines_.lineNumber() + 1);
      endReported_ = true;
      ++lineFaults;
      return false;
    }
    KeyedValue read = readRealAfterEquals(lines_.line(), value);
    if (read == KeyedValue::ok) return true;
    reportKeyedLine(read, lines_.fileName(), lines_.lineNumber(), lines_.line());
    ++lineFaults;
    return false;
  }

  long long valueCount = 0;
  int lineFaults = 0;

 private:
  LineReader lines_;
  ParameterSet& parameters_;
  const ValueLineHook& onValueLine_;
  bool endReported_ = false;
};

int clampToInt(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

}  // namespace

void writeParameterBlocks(std::FILE* file, const TyreModel& model, const ParameterLineEnd& lineEnd) {
  const VariantDescription* description = model.description();
  std::size_t parameter = 0;
  for (const ParameterBlock& block : kParameterBlocks) {
    std::fputs(block.header, file);
    for (int k = 0; k < block.count; ++k, ++parameter) {
      const double value = model.parameters[parameter];
      const bool magnitude = description != nullptr && description->parameters[parameter].magnitude;
      printFormatted(file, kParameterLineFormat, model.parameterName(parameter), magnitude ? std::fabs(value) : value,
                     kParameterTable[parameter].unitField);
      if (lineEnd) lineEnd(file, parameter);
      else std::fputs("\n", file);
    }
  }
  std::fputs(kModelHeaderLine, file);
  // The model type, not the number as read: a fractional model number is
  // written as the type it selected.
  printFormatted(file, kModelLineFormat, static_cast<double>(model.modelType));
}

bool writeParameterFile(const std::string& fileName, const TyreModel& model) {
  TextFile file = openForWriting(fileName);
  if (!file) return false;
  writeParameterBlocks(file.get(), model);
  std::fputs(kEndOfFileLine, file.get());
  const bool written = std::ferror(file.get()) == 0;
  return std::fclose(file.release()) == 0 && written;
}

int TyreModel::readParameterFile(const std::string& fileName, const ValueLineHook& onValueLine) {
  forces = TyreForces{};
  errorCount = 0;

  TextFile file = openForReading(fileName);
  if (!file) {
    say(msg::kUnableToOpenParameterFile, fileName.c_str());
    return 0;  // the parameters and set-up of an earlier read stay in force
  }
  lastReadFile_ = fileName;
  variantReady_ = false;

  ParameterFileReader reader(file.get(), fileName, parameters, onValueLine);
  int result = 0;
  for (std::size_t block = 0; block < kParameterBlocks.size(); ++block) {
    int count = 0;
    if (reader.header(kParameterBlocks[block].key, count)) {
      result = count;
      if (count > 0) reader.values(count);
    } else if (block > 0) {
      say(msg::kBlockError, static_cast<int>(block));
      ++errorCount;
    }
  }
  if (reader.keyLine(kModelBlockKey)) {
    if (result < INT_MAX) ++result;  // a header count may be as large as an int holds
    double number = 0.0;
    if (reader.readValueLine(number)) modelNumber = number;
  } else {
    say(msg::kBlockError, 5);
    ++errorCount;
  }
  file.reset();

  int count = clampToInt(reader.valueCount);
  if (count != static_cast<int>(kParameterCount)) say(msg::kValueCount, count, static_cast<int>(kParameterCount));
  modelType = truncateToInt(modelNumber);
  parameterCount = count;
  // A line whose value could not be read makes the file unusable.
  errorCount += reader.lineFaults;

  if (errorCount == 0) {
    TyreVariant* variant = selectedVariant();
    if (variant == nullptr) {
      say(msg::kModelType, modelType);
      return 0;
    }
    errorCount = count == static_cast<int>(kParameterCount) ? variant->setUp(parameters) : 1;
    variantReady_ = errorCount == 0;
  }
  if (errorCount > 0) say(msg::kModelError, errorCount, modelType);
  return result;
}

}  // namespace grip
