// Reading of the target list and of the measurement files it names.

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <new>
#include <string>

#include "core/Console.h"
#include "core/KeyedLine.h"
#include "core/LineReader.h"
#include "core/Messages.h"
#include "core/TextFile.h"
#include "gateway/DesignState.h"
#include "gateway/GatewayMessages.h"

namespace grip {

namespace {

using gateway::kDesignTargetFile;

/// One line of the target list.
struct TargetEntry {
  std::string fileName;
  int points = 0;
  int direction = 0;
  double speed = 0.0;  ///< [mm/s]
};

bool isBlank(const std::string& line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; });
}

/// Reads a list line: a word after the first "=", the point count after the
/// second, the target direction after the third and the speed after the
/// fourth; each "=" is searched for behind the one before. Prints the fault
/// and returns false when the line cannot be read.
bool readTargetEntry(const LineReader& lines, int index, TargetEntry& entry) {
  const std::string& line = lines.line();
  std::array<std::size_t, 4> equals{};
  std::size_t from = 0;
  for (std::size_t& at : equals) {
    at = line.find('=', from);
    if (at == std::string::npos) {
      say(msg::kOptifileLine, index, kDesignTargetFile);
      return false;
    }
    from = at + 1;
  }
  entry.fileName = firstWordAfterEquals(line.substr(equals[0]));
  KeyedValue read = readIntAfterEquals(line.substr(equals[1]), entry.points);
  if (read == KeyedValue::ok) read = readIntAfterEquals(line.substr(equals[2]), entry.direction);
  if (read == KeyedValue::ok) read = readRealAfterEquals(line.substr(equals[3]), entry.speed);
  if (read != KeyedValue::ok) {
    reportKeyedLine(read, kDesignTargetFile, lines.lineNumber(), line);
    return false;
  }
  if (entry.direction < 1) {
    std::string text(withoutLineEnd(line));
    say(msg::kTargetDirection, kDesignTargetFile, lines.lineNumber(), entry.direction, text.c_str());
    return false;
  }
  return true;
}

/// Reads line 2 (the number of files) and the list behind it.
bool readTargetList(LineReader& lines, std::vector<TargetEntry>& entries, int& fileCount) {
  if (!lines.next() || !lines.next()) {
    say(msg::kEndOfFile, kDesignTargetFile, lines.lineNumber(), lines.lineNumber() + 1);
    return false;
  }
  KeyedValue read = readIntAfterEquals(lines.line(), fileCount);
  if (read != KeyedValue::ok) {
    reportKeyedLine(read, kDesignTargetFile, lines.lineNumber(), lines.line());
    return false;
  }
  if (fileCount < 1) {
    say(msg::kFileCountTooSmall, kDesignTargetFile, fileCount);
    return false;
  }
  // The list ends at "[Eof]" or at the end of the file. Entries are not
  // allocated from the declared count, which may be anything.
  while (lines.next()) {
    const std::string& line = lines.line();
    if (line.find(gateway::kTargetListEnd) != std::string::npos) break;
    const auto index = static_cast<int>(entries.size());
    if (index == fileCount) {
      if (isBlank(line)) continue;
      std::string text(withoutLineEnd(line));
      say(msg::kMoreFiles, kDesignTargetFile, lines.lineNumber(), fileCount, text.c_str());
      return false;
    }
    TargetEntry entry;
    if (!readTargetEntry(lines, index, entry)) return false;
    entries.push_back(std::move(entry));
  }
  if (static_cast<int>(entries.size()) < fileCount) {
    say(msg::kFewerFiles, kDesignTargetFile, static_cast<int>(entries.size()), fileCount);
    return false;
  }
  return true;
}

/// Appends the first `points` points of a measurement file to the store.
bool readMeasurementFile(const std::string& fileName, int points, std::vector<double>& store) {
  TextFile file = openForReading(fileName);
  if (!file) {
    say(msg::kUnableToOpenInput, fileName.c_str());
    return false;
  }
  for (int point = 0; point < points; ++point) {
    for (std::size_t column = 0; column < kMeasurementColumns; ++column) {
      double value = 0.0;
      if (std::fscanf(file.get(), "%lf", &value) != 1) {
        say(msg::kMissingMeasurement, point, fileName.c_str());
        return false;
      }
      store.push_back(value);  // within the capacity reserved for all points
    }
  }
  return true;
}

}  // namespace

int readDesignTarget(DesignState& state) {
  state.totalPoints = 0;
  TextFile file = openForReading(kDesignTargetFile);
  if (!file) {
    say(msg::kUnableToOpenInput, kDesignTargetFile);
    return 0;
  }
  LineReader lines(file.get(), kDesignTargetFile);
  std::vector<TargetEntry> entries;
  int fileCount = 0;
  if (!readTargetList(lines, entries, fileCount)) return 0;
  state.fileCount = fileCount;

  try {
    state.PointsPerFile.reserve(entries.size());
  } catch (const std::bad_alloc&) {
    say(msg::kPointsPerFileAllocation, fileCount);
    return 0;
  }
  try {
    state.TargetDirectionPerFile.reserve(entries.size());
  } catch (const std::bad_alloc&) {
    say(msg::kTargetDirectionAllocation, fileCount);
    return 0;
  }
  try {
    state.SpeedPerFile.reserve(entries.size());
  } catch (const std::bad_alloc&) {
    say(msg::kDoubleAllocation, fileCount);
    return 0;
  }

  // A file whose point count is 0 or less contributes no point.
  long long totalPoints = 0;
  for (const TargetEntry& entry : entries) {
    state.PointsPerFile.push_back(std::max(entry.points, 0));
    state.TargetDirectionPerFile.push_back(entry.direction);
    state.SpeedPerFile.push_back(entry.speed);
    totalPoints += state.PointsPerFile.back();
  }
  constexpr long long kMostPoints = INT_MAX / static_cast<long long>(kMeasurementColumns);
  if (totalPoints > kMostPoints) {
    say(msg::kTooManyPoints, kDesignTargetFile, totalPoints, static_cast<int>(kMostPoints));
    return 0;
  }
  if (totalPoints == 0) {
    say(msg::kNoPoints, kDesignTargetFile);
    return 0;
  }
  state.totalPoints = static_cast<int>(totalPoints);

  // Only reserved: the store grows with the numbers the files really hold.
  const int storeSize = state.totalPoints * static_cast<int>(kMeasurementColumns);
  try {
    state.measurements.reserve(static_cast<std::size_t>(storeSize));
  } catch (const std::bad_alloc&) {
    say(msg::kDoubleAllocation, storeSize);
    return 0;
  }
  for (std::size_t f = 0; f < entries.size(); ++f) {
    if (!readMeasurementFile(entries[f].fileName, state.PointsPerFile[f], state.measurements)) return 0;
  }
  return 1;
}

}  // namespace grip
