#include "Runner.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "core/Console.h"
#include "core/KeyedLine.h"
#include "core/MeasurementLine.h"
#include "core/Messages.h"
#include "core/NumberText.h"
#include "core/ResultSet.h"
#include "model/MakeTyreModel.h"
#include "runner/PointColumns.h"

namespace grip {

using namespace runner;

namespace {

namespace fs = std::filesystem;

bool holds(const std::string& line, const char* key) { return line.find(key) != std::string::npos; }

/// Opens a file that the run reads. Only a regular file is an input: a
/// folder would open and read as an empty file, so it counts as a file that
/// cannot be opened.
TextFile openInput(const std::string& name) {
  TextFile file = openForReading(name);
  struct stat status {};
  if (file && (::fstat(::fileno(file.get()), &status) != 0 || !S_ISREG(status.st_mode))) file.reset();
  return file;
}

/// True when the name exists and is something other than a regular file.
bool existsAsNoRegularFile(const std::string& name) {
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  return fs::exists(status) && !fs::is_regular_file(status);
}

/// True when both names exist and are the same file, by any path or link.
bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  const bool same = fs::equivalent(a, b, error);
  return !error && same;
}

}  // namespace

Runner::Runner()
    : model_(makeTyreModel()),
      rangeFileName_(kDefaultRangeFileName),
      rangeLine_(kRangeLineFormat),
      fileLine_(kFileLineFormat) {}

int Runner::run(const std::string& controlFileName) {
  TextFile file = openInput(controlFileName);
  if (!file) {
    say(msg::kUnableToOpenControlFile, controlFileName.c_str());
    return kExitCannotStart;
  }
  controlFileName_ = controlFileName;
  control_.emplace(file.get(), controlFileName);
  while (control_->next()) {
    const std::string& line = control_->line();
    if (holds(line, kEofKey)) break;
    if (holds(line, kDataFileNameKey)) {
      parameterSection();
    } else if (holds(line, kSingleInputKey)) {
      if (!singleInputSection()) return endStatus_;
    } else if (holds(line, kRangeInputKey)) {
      if (!rangeSection()) return endStatus_;
    } else if (holds(line, kFileInputKey)) {
      if (!fileSection()) return endStatus_;
    }
  }
  return status_;
}

bool Runner::sectionLine() {
  if (control_->next()) return true;
  say(msg::kEndOfFile, control_->fileName().c_str(), control_->lineNumber(), control_->lineNumber() + 1);
  fault();
  return false;
}

bool Runner::keyedReal(double& value, const char* name) {
  if (!sectionLine()) return false;
  KeyedValue read = readRealAfterEquals(control_->line(), value);
  if (read == KeyedValue::ok) {
    if (!std::isfinite(value)) {
      say(msg::kNotFinite, control_->lineNumber(), control_->fileName().c_str(), name, value);
      fault();
    }
    return true;
  }
  reportKeyedLine(read, control_->fileName(), control_->lineNumber(), control_->line());
  fault();
  return false;
}

// Reads all five lines, so that a faulty one does not shift the section.
bool Runner::operatingPoint(OperatingPoint& point) {
  bool ok = true;
  double* fields[] = {&point.longitudinalSlip, &point.slipAngle, &point.camber, &point.verticalLoad, &point.speed};
  for (std::size_t k = 0; k < std::size(fields); ++k) {
    ok = keyedReal(*fields[k], kPointValueNames[k]) && ok;
    if (control_->atEnd()) return false;
  }
  return ok;
}

// The count is read as a real, so that "1e3" is the thousand points it says
// and "2.5" is a fault, not two points.
bool Runner::pointCount(int& points) {
  const std::string& line = control_->line();
  double count = 0.0;
  KeyedValue read = readRealAfterEquals(line, count);
  if (read != KeyedValue::ok) {
    reportKeyedLine(read, control_->fileName(), control_->lineNumber(), line);
    fault();
    return false;
  }
  const std::string text = firstWordAfterEquals(line);
  if (!(count >= 1.0) || count != std::floor(count)) {
    say(msg::kPointCount, control_->lineNumber(), control_->fileName().c_str(), text.c_str());
    fault();
    return false;
  }
  if (count > kMaxRangePoints) {
    say(msg::kTooManyPoints, control_->lineNumber(), control_->fileName().c_str(), text.c_str(), kMaxRangePoints);
    fault();
    return false;
  }
  points = static_cast<int>(count);
  return true;
}

// A result file is opened for writing from empty: were it one of the run's
// inputs, the input would be lost before it is read, so it is refused.
bool Runner::resultIsAnInput(const std::string& resultName, int lineNumber) {
  bool input = sameFile(resultName, controlFileName_) || sameFile(resultName, parameterFileName_);
  for (const std::string& name : measurementFiles_) input = input || sameFile(resultName, name);
  if (!input) return false;
  say(msg::kResultIsInput, lineNumber, control_->fileName().c_str(), resultName.c_str());
  fault();
  return true;
}

void Runner::parameterSection() {
  if (!sectionLine()) return;
  std::string name = control_->line();
  if (!name.empty() && name.back() == '\n') name.pop_back();
  parameterFileName_ = name;
  // The model's reader would take a folder for an empty file and list every
  // block as missing; it is a file that cannot be opened, said as such.
  if (existsAsNoRegularFile(name)) {
    say(msg::kUnableToOpenParameterFile, name.c_str());
    fault();
    return;
  }
  int result = model_.readParameterFile(parameterFileName_, nullptr);
  if (result == 0 || model_.errorCount > 0) fault();
}

bool Runner::singleInputSection() {
  OperatingPoint point;
  if (!operatingPoint(point)) return true;

  // Each single input traces into a fresh file; the stream before it is closed first.
  model_.setTrace(0, nullptr);
  trace_.reset();
  trace_.reset(std::fopen(kTraceFileName, "w"));
  if (!trace_) {
    say(msg::kUnableToOpenOutput, kTraceFileName);
    fault();
  }
  model_.setTrace(1, trace_.get());
  const TyreForces forces = model_.evaluate(point);

  say(msg::kForces, forces.Fx, forces.Fy, forces.Mz);
  double area = 0.0, h = 0.0, b = 0.0;
  model_.contactArea(area, h, b);
  say(msg::kArea, area, h, b, 4.0 * h * b);
  // The trace is complete once the point is evaluated: it is closed here, so
  // that a trace the disk could not hold is reported with its section.
  model_.setTrace(0, nullptr);
  return !trace_ || resultClosed(trace_, kTraceFileName, 0);
}

bool Runner::resultClosed(TextFile& result, const std::string& name, int errorOfWrites) {
  const int error = closeChecked(result, errorOfWrites, false);
  if (error == 0) return true;
  say(msg::kUnableToWriteOutput, name.c_str(), std::strerror(error));
  endStatus_ = kExitNotWritten;
  return false;
}

bool Runner::writeChunk(PointColumns& chunk, bool fileLayout, std::FILE* result) {
  model_.evaluate(chunk.operating(), chunk.computed());
  lineText_.clear();
  for (std::size_t k = 0; k < chunk.size(); ++k) {
    const OperatingPoint in = chunk.point(k);
    const TyreForces f = chunk.forces(k);
    if (fileLayout) {
      const TyreForces m = chunk.measured(k);
      const double line[] = {in.longitudinalSlip, in.slipAngle, in.camber, in.verticalLoad, in.speed,
                             m.Fx, m.Fy, m.Mz, f.Fx, f.Fy, f.Mz};
      fileLine_.append(lineText_, line);
    } else {
      const double line[] = {in.longitudinalSlip, in.slipAngle, in.camber, f.Fx, f.Fy, in.verticalLoad, f.Mz};
      rangeLine_.append(lineText_, line);
    }
  }
  errno = 0;
  const bool written = std::fwrite(lineText_.data(), 1, lineText_.size(), result) == lineText_.size();
  if (!written && writeError_ == 0) writeError_ = errno;
  chunk.clear();
  return written;
}

/// Points of one evaluation: a chunk for a model that is set up; one at a
/// time otherwise, since each evaluation of a model that is not set up says
/// so, and the run has always said it once per point.
std::size_t Runner::chunkPoints() const { return model_.variantReady() ? kChunkPoints : 1; }

bool Runner::rangeSection() {
  model_.setTrace(0, nullptr);
  bool ok = true;
  int points = 0;
  if (!sectionLine()) return true;  // end of the run-control file
  ok = pointCount(points);
  if (!sectionLine()) return true;
  const int fileLine = control_->lineNumber();
  if (std::strchr(control_->line().c_str(), '=') == nullptr) {
    reportKeyedLine(KeyedValue::noEqualsSign, control_->fileName(), control_->lineNumber(), control_->line());
    fault();
    ok = false;
  } else if (std::string name = firstWordAfterEquals(control_->line()); !name.empty()) {
    rangeFileName_ = name;  // without a name the one before stays in force
  }
  if (!sectionLine()) return true;
  ok = operatingPoint(rangeEnd_) && ok;
  if (!sectionLine()) return true;
  ok = operatingPoint(rangeStart_) && ok;
  ++sectionCounter_;
  if (!ok || resultIsAnInput(rangeFileName_, fileLine)) return true;

  TextFile result = openForWriting(rangeFileName_);
  if (!result) {
    say(msg::kUnableToOpenOutput, rangeFileName_.c_str());
    endStatus_ = kExitEndedEarly;
    return false;
  }
  const OperatingPoint& start = rangeStart_;
  const OperatingPoint& end = rangeEnd_;
  PointColumns chunk(std::min(chunkPoints(), static_cast<std::size_t>(points)));
  writeError_ = 0;
  bool written = true;
  for (int i = 0; i < points && written; ++i) {
    // A range of one point is its start point.
    const double t = points > 1 ? static_cast<double>(i) / static_cast<double>(points - 1) : 0.0;
    chunk.add({start.longitudinalSlip + (end.longitudinalSlip - start.longitudinalSlip) * t,
               start.slipAngle + (end.slipAngle - start.slipAngle) * t,
               start.camber + (end.camber - start.camber) * t,
               start.verticalLoad + (end.verticalLoad - start.verticalLoad) * t,
               start.speed + (end.speed - start.speed) * t});
    if (chunk.full()) written = writeChunk(chunk, false, result.get());
  }
  if (written && chunk.size() > 0) writeChunk(chunk, false, result.get());
  return resultClosed(result, rangeFileName_, writeError_);
}

bool Runner::fileSection() {
  if (!sectionLine()) return true;
  const std::string& line = control_->line();
  const int keyLine = control_->lineNumber();
  std::string dataName = firstWordAfterEquals(line);
  double speed = 0.0;
  std::size_t first = line.find('=');
  KeyedValue read = first == std::string::npos ? KeyedValue::noEqualsSign
                                                : readRealAfterEquals(line.substr(first + 1), speed);
  if (read != KeyedValue::ok) {
    reportKeyedLine(read, control_->fileName(), keyLine, line);
    fault();
    return true;
  }
  if (!std::isfinite(speed)) {
    say(msg::kNotFinite, keyLine, control_->fileName().c_str(), kPointValueNames[4], speed);
    fault();
  }

  TextFile data = openInput(dataName);
  if (!data) {
    say(msg::kUnableToOpenData, dataName.c_str());
    endStatus_ = kExitEndedEarly;
    return false;
  }
  if (std::find(measurementFiles_.begin(), measurementFiles_.end(), dataName) == measurementFiles_.end())
    measurementFiles_.push_back(dataName);
  model_.setTrace(0, nullptr);
  ++sectionCounter_;
  std::string resultName = kFileResultPrefix + std::to_string(sectionCounter_) + kFileResultSuffix;
  if (resultIsAnInput(resultName, keyLine)) return true;
  TextFile result = openForWriting(resultName);
  if (!result) {
    say(msg::kUnableToOpenOutput, resultName.c_str());
    endStatus_ = kExitEndedEarly;
    return false;
  }

  LineReader lines(data.get(), dataName);
  PointColumns chunk(chunkPoints());
  std::array<double, kPointNumbers> m{};
  writeError_ = 0;
  bool written = true;
  while (written && lines.next()) {
    // The rule of a measurement line is the core's, shared with the fit.
    const MeasurementLineKind kind = readMeasurementLine(lines.line(), m);
    if (kind == MeasurementLineKind::blank) continue;  // often the last line
    if (kind != MeasurementLineKind::point) {
      const std::string text(withoutLineEnd(lines.line()));
      if (kind == MeasurementLineKind::fewerNumbers || kind == MeasurementLineKind::decimalComma) {
        say(kind == MeasurementLineKind::decimalComma ? msg::kDecimalComma : msg::kShortMeasurementLine,
            lines.lineNumber(), dataName.c_str(), text.c_str());
        fault();
        continue;
      }
      // Stored run files rely on the first seven numbers of a longer line
      // being its point; the rest is no longer dropped without a word.
      say(msg::kLongMeasurementLine, lines.lineNumber(), dataName.c_str(), text.c_str());
    }
    const OperatingPoint in{m[0], m[1], m[2], m[5], speed};
    // The point's own values, once per line; the speed was reported with its section.
    const double values[] = {m[0], m[1], m[2], m[5]};
    for (std::size_t k = 0; k < std::size(values); ++k) {
      if (std::isfinite(values[k])) continue;
      say(msg::kNotFinite, lines.lineNumber(), dataName.c_str(), kPointValueNames[k], values[k]);
      fault();
      break;
    }
    chunk.add(in, {m[3], m[4], m[6]});
    if (chunk.full()) written = writeChunk(chunk, true, result.get());
  }
  if (written && chunk.size() > 0) writeChunk(chunk, true, result.get());
  return resultClosed(result, resultName, writeError_);
}

}  // namespace grip
