// Reading of the target list and of the measurement files it names.

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <filesystem>
#include <cmath>
#include <new>
#include <string>
#include <string_view>

#include "core/Console.h"
#include "core/KeyedLine.h"
#include "core/LineReader.h"
#include "core/MeasurementLine.h"
#include "core/Messages.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"

namespace grip {

namespace {

static_assert(kPointNumbers == kMeasurementColumns, "the store keeps the numbers of a measurement line as read");

/// One line of the target list.
struct TargetEntry {
  std::string fileName;
  int points = 0;
  int direction = 0;
  double speed = 0.0;  ///< [mm/s]
  int line = 0;        ///< line of the target list
};

bool isBlank(std::string_view line) {
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
      say(msg::kOptifileLine, index, lines.fileName().c_str());
      return false;
    }
    from = at + 1;
  }
  entry.fileName = firstWordAfterEquals(line.substr(equals[0]));
  entry.line = lines.lineNumber();
  KeyedValue read = readIntAfterEquals(line.substr(equals[1]), entry.points);
  if (read == KeyedValue::ok) read = readIntAfterEquals(line.substr(equals[2]), entry.direction);
  if (read == KeyedValue::ok) read = readRealAfterEquals(line.substr(equals[3]), entry.speed);
  if (read != KeyedValue::ok) {
    reportKeyedLine(read, lines.fileName(), lines.lineNumber(), line);
    return false;
  }
  std::string text(withoutLineEnd(line));
  // The counts are whole numbers as written: "4x1" is not 4 points, "1.9"
  // not direction 1, and a negative count no count at all.
  long long whole = 0;
  const std::string points = firstWordAfterEquals(line.substr(equals[1]));
  if (!parseWholeNumber(points, whole) || whole < 0) {
    say(msg::kPointsNotWhole, lines.fileName().c_str(), lines.lineNumber(), points.c_str(), text.c_str());
    return false;
  }
  const std::string direction = firstWordAfterEquals(line.substr(equals[2]));
  if (!parseWholeNumber(direction, whole)) {
    say(msg::kDirectionNotWhole, lines.fileName().c_str(), lines.lineNumber(), direction.c_str(), text.c_str());
    return false;
  }
  if (!TargetDirection::of(entry.direction)) {
    say(msg::kTargetDirection, lines.fileName().c_str(), lines.lineNumber(), entry.direction, text.c_str());
    return false;
  }
  if (TargetDirection::countsAsAnother(entry.direction)) say(msg::kTargetDirectionAbove, lines.fileName().c_str(), lines.lineNumber(), entry.direction, text.c_str());
  if (!std::isfinite(entry.speed)) {
    say(msg::kSpeedNotFinite, lines.fileName().c_str(), lines.lineNumber(), entry.speed, text.c_str());
    return false;
  }
  return true;
}

/// Reads line 2 (the number of files) and the list behind it.
bool readTargetList(LineReader& lines, std::vector<TargetEntry>& entries, int& fileCount) {
  if (!lines.next() || !lines.next()) {
    say(msg::kEndOfFile, lines.fileName().c_str(), lines.lineNumber(), lines.lineNumber() + 1);
    return false;
  }
  KeyedValue read = readIntAfterEquals(lines.line(), fileCount);
  if (read != KeyedValue::ok) {
    reportKeyedLine(read, lines.fileName(), lines.lineNumber(), lines.line());
    return false;
  }
  if (fileCount < 1) {
    say(msg::kFileCountTooSmall, lines.fileName().c_str(), fileCount);
    return false;
  }
  // The list ends at "[Eof]" or at the end of the file. Entries are not
  // allocated from the declared count, which may be anything.
  while (lines.next()) {
    const std::string& line = lines.line();
    if (line.find(fit::kTargetListEnd) != std::string::npos) break;
    const auto index = static_cast<int>(entries.size());
    if (index == fileCount) {
      if (isBlank(line)) continue;
      std::string text(withoutLineEnd(line));
      say(msg::kMoreFiles, lines.fileName().c_str(), lines.lineNumber(), fileCount, text.c_str());
      return false;
    }
    TargetEntry entry;
    if (!readTargetEntry(lines, index, entry)) return false;
    entries.push_back(std::move(entry));
  }
  if (static_cast<int>(entries.size()) < fileCount) {
    say(msg::kFewerFiles, lines.fileName().c_str(), static_cast<int>(entries.size()), fileCount);
    return false;
  }
  return true;
}

/// Appends the first `points` points of a measurement file to the store.
/// Every point is one line of exactly seven numbers (blank lines are
/// skipped), by the core's rule that gripsim shares: a line of six or eight
/// numbers would shift every later point, so any line that is no point is
/// refused. A non-finite number and a load of zero or below are refused
/// with the file, the line and the value. The lines beyond the point count
/// are counted, not read into the store.
bool readMeasurementFile(const TargetEntry& entry, const std::string& path, int points, std::vector<double>& store,
                         int& beyondCount, const std::string& targetFile) {
  const std::string& fileName = entry.fileName;
  TextFile file = openForReading(path);
  if (!file) {
    say(msg::kUnableToOpenInput, fileName.c_str());
    return false;
  }
  LineReader lines(file.get(), fileName);
  std::array<double, kPointNumbers> values{};
  int point = 0;
  beyondCount = 0;
  while (lines.next()) {
    if (isBlank(lines.line())) continue;
    if (point == points) {
      ++beyondCount;
      continue;
    }
    const MeasurementLineKind kind = readMeasurementLine(lines.line(), values);
    if (kind != MeasurementLineKind::point) {
      const std::string text(withoutLineEnd(lines.line()));
      say(kind == MeasurementLineKind::decimalComma ? msg::kDecimalComma : msg::kNotAPointLine, lines.lineNumber(),
          fileName.c_str(), text.c_str());
      return false;
    }
    for (std::size_t column = 0; column < kMeasurementColumns; ++column) {
      if (!std::isfinite(values[column])) {
        say(msg::kMeasurementNotFinite, lines.lineNumber(), fileName.c_str(), column + 1, values[column]);
        return false;
      }
    }
    if (!(values[5] > 0.0)) {
      say(msg::kLoadNotPositive, lines.lineNumber(), fileName.c_str(), values[5]);
      return false;
    }
    store.insert(store.end(), values.begin(), values.begin() + kMeasurementColumns);
    ++point;
  }
  if (point < points) {
    say(msg::kMissingMeasurement, point, fileName.c_str());
    say(msg::kPointsFound, fileName.c_str(), point, points, entry.line, targetFile.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::optional<TargetDirection> dataTargetDirection(const std::string& name, int number) {
  const std::optional<TargetDirection> direction = TargetDirection::of(number);
  if (direction && TargetDirection::countsAsAnother(number)) say(msg::kDataTargetDirectionAbove, name.c_str(), number);
  return direction;
}

void fillMeasuredColumns(DesignState& state) {
  MeasuredColumns& c = state.columns;
  const auto n = static_cast<std::size_t>(state.totalPoints);
  for (auto* column : {&c.longitudinalSlip, &c.slipAngle, &c.camber, &c.verticalLoad, &c.speed, &c.Fx, &c.Fy, &c.Mz})
    column->assign(n, 0.0);
  c.direction.assign(n, 0);
  std::size_t k = 0;
  for (std::size_t f = 0; f < state.PointsPerFile.size(); ++f) {
    for (int p = 0; p < state.PointsPerFile[f]; ++p, ++k) {
      const double* m = state.measurements.data() + k * kMeasurementColumns;
      c.longitudinalSlip[k] = m[0];
      c.slipAngle[k] = m[1];
      c.camber[k] = m[2];
      c.Fx[k] = m[3];
      c.Fy[k] = m[4];
      c.verticalLoad[k] = m[5];
      c.Mz[k] = m[6];
      c.speed[k] = state.SpeedPerFile[f];
      c.direction[k] = state.TargetDirectionPerFile[f];
    }
  }
}

int readDesignTarget(DesignState& state, const std::string& targetFile) {
  const std::filesystem::path folder = std::filesystem::path(targetFile).parent_path();
  state.totalPoints = 0;
  TextFile file = openForReading(targetFile);
  if (!file) {
    say(msg::kUnableToOpenInput, targetFile.c_str());
    return 0;
  }
  LineReader lines(file.get(), targetFile);
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
    say(msg::kTooManyPoints, targetFile.c_str(), totalPoints, static_cast<int>(kMostPoints));
    return 0;
  }
  if (totalPoints == 0) {
    say(msg::kNoPoints, targetFile.c_str());
    return 0;
  }
  state.totalPoints = static_cast<int>(totalPoints);

  // Nothing is reserved on the declared counts, which may be anything: the
  // store grows with the numbers the files really hold.
  state.pointsBeyondCount.assign(entries.size(), 0);
  for (std::size_t f = 0; f < entries.size(); ++f) {
    state.fileNames.push_back(entries[f].fileName);
    state.targetLine.push_back(entries[f].line);
    // A relative name is taken from the folder of the target list.
    const std::filesystem::path path = folder / entries[f].fileName;
    if (!readMeasurementFile(entries[f], path.string(), state.PointsPerFile[f], state.measurements,
                             state.pointsBeyondCount[f], targetFile)) {
      state.unreadFile = entries[f].fileName;
      return 0;
    }
  }
  fillMeasuredColumns(state);
  return 1;
}

}  // namespace grip
