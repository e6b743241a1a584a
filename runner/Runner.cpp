#include "Runner.h"

#include <cctype>
#include <cstring>

#include "continuous/ContinuousModel.h"
#include "core/Console.h"
#include "core/KeyedLine.h"
#include "core/Messages.h"
#include "discrete/DiscreteModel.h"

namespace grip {

using namespace runner;

namespace {

bool holds(const std::string& line, const char* key) { return line.find(key) != std::string::npos; }

bool isBlank(const std::string& line) {
  for (char c : line)
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
}

/// Reads the seven numbers of a measurement line; false when there are fewer.
bool readMeasurement(const std::string& line, double (&values)[7]) {
  const char* text = line.c_str();
  for (double& value : values)
    if (!readReal(text, value)) return false;
  return true;
}

}  // namespace

Runner::Runner()
    : model_(std::make_unique<ContinuousModel>(), std::make_unique<DiscreteModel>()),
      rangeFileName_(kDefaultRangeFileName) {}

int Runner::run(const std::string& controlFileName) {
  TextFile file = openForReading(controlFileName);
  if (!file) {
    say(msg::kUnableToOpenControlFile, controlFileName.c_str());
    return kExitCannotStart;
  }
  control_.emplace(file.get(), controlFileName);
  while (control_->next()) {
    const std::string& line = control_->line();
    if (holds(line, kEofKey)) break;
    if (holds(line, kDataFileNameKey)) {
      parameterSection();
    } else if (holds(line, kSingleInputKey)) {
      singleInputSection();
    } else if (holds(line, kRangeInputKey)) {
      if (!rangeSection()) return kExitEndedEarly;
    } else if (holds(line, kFileInputKey)) {
      if (!fileSection()) return kExitEndedEarly;
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

bool Runner::keyedReal(double& value) {
  if (!sectionLine()) return false;
  KeyedValue read = readRealAfterEquals(control_->line(), value);
  if (read == KeyedValue::ok) return true;
  reportKeyedLine(read, control_->fileName(), control_->lineNumber(), control_->line());
  fault();
  return false;
}

// Reads all five lines, so that a faulty one does not shift the section.
bool Runner::operatingPoint(OperatingPoint& point) {
  bool ok = true;
  for (double* field : {&point.longitudinalSlip, &point.slipAngle, &point.camber, &point.verticalLoad, &point.speed}) {
    ok = keyedReal(*field) && ok;
    if (control_->atEnd()) return false;
  }
  return ok;
}

void Runner::parameterSection() {
  if (!sectionLine()) return;
  std::string name = control_->line();
  if (!name.empty() && name.back() == '\n') name.pop_back();
  parameterFileName_ = name;
  int result = model_.readParameterFile(parameterFileName_, nullptr);
  if (result == 0 || model_.errorCount > 0) fault();
}

void Runner::singleInputSection() {
  OperatingPoint point;
  if (!operatingPoint(point)) return;

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
  if (trace_) std::fflush(trace_.get());

  say(msg::kForces, forces.Fx, forces.Fy, forces.Mz);
  double area = 0.0, h = 0.0, b = 0.0;
  model_.contactArea(area, h, b);
  say(msg::kArea, area, h, b, 4.0 * h * b);
}

bool Runner::rangeSection() {
  model_.setTrace(0, nullptr);
  bool ok = true;
  int points = 0;
  if (sectionLine()) {
    KeyedValue read = readIntAfterEquals(control_->line(), points);
    if (read != KeyedValue::ok) {
      reportKeyedLine(read, control_->fileName(), control_->lineNumber(), control_->line());
      fault();
      ok = false;
    }
  } else {
    return true;  // end of the run-control file
  }
  if (!sectionLine()) return true;
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
  if (!ok) return true;

  TextFile result = openForWriting(rangeFileName_);
  if (!result) {
    say(msg::kUnableToOpenOutput, rangeFileName_.c_str());
    return false;
  }
  const OperatingPoint& start = rangeStart_;
  const OperatingPoint& end = rangeEnd_;
  OperatingPoint in;
  for (int i = 0; i < points; ++i) {
    // A range of one point is its start point.
    const double t = points > 1 ? static_cast<double>(i) / static_cast<double>(points - 1) : 0.0;
    in.longitudinalSlip = start.longitudinalSlip + (end.longitudinalSlip - start.longitudinalSlip) * t;
    in.slipAngle = start.slipAngle + (end.slipAngle - start.slipAngle) * t;
    in.camber = start.camber + (end.camber - start.camber) * t;
    in.verticalLoad = start.verticalLoad + (end.verticalLoad - start.verticalLoad) * t;
    in.speed = start.speed + (end.speed - start.speed) * t;
    const TyreForces f = model_.evaluate(in);
    std::fprintf(result.get(), kRangeLineFormat, in.longitudinalSlip, in.slipAngle, in.camber, f.Fx, f.Fy,
                 in.verticalLoad, f.Mz);
  }
  return true;
}

bool Runner::fileSection() {
  if (!sectionLine()) return true;
  const std::string& line = control_->line();
  std::string dataName = firstWordAfterEquals(line);
  double speed = 0.0;
  std::size_t first = line.find('=');
  KeyedValue read = first == std::string::npos ? KeyedValue::noEqualsSign
                                                : readRealAfterEquals(line.substr(first + 1), speed);
  if (read != KeyedValue::ok) {
    reportKeyedLine(read, control_->fileName(), control_->lineNumber(), line);
    fault();
    return true;
  }

  TextFile data = openForReading(dataName);
  if (!data) {
    say(msg::kUnableToOpenData, dataName.c_str());
    return false;
  }
  model_.setTrace(0, nullptr);
  ++sectionCounter_;
  std::string resultName = kFileResultPrefix + std::to_string(sectionCounter_) + kFileResultSuffix;
  TextFile result = openForWriting(resultName);
  if (!result) {
    say(msg::kUnableToOpenOutput, resultName.c_str());
    return false;
  }

  OperatingPoint in;
  in.speed = speed;
  LineReader lines(data.get(), dataName);
  double m[7];
  while (lines.next()) {
    if (!readMeasurement(lines.line(), m)) {
      // A blank line (often the last) is no fault; a partial one is.
      if (!isBlank(lines.line())) {
        std::string text(withoutLineEnd(lines.line()));
        say(msg::kShortMeasurementLine, lines.lineNumber(), dataName.c_str(), text.c_str());
        fault();
      }
      continue;
    }
    in.longitudinalSlip = m[0];
    in.slipAngle = m[1];
    in.camber = m[2];
    in.verticalLoad = m[5];
    const TyreForces f = model_.evaluate(in);
    std::fprintf(result.get(), kFileLineFormat, in.longitudinalSlip, in.slipAngle, in.camber, in.verticalLoad,
                 in.speed, m[3], m[4], m[6], f.Fx, f.Fy, f.Mz);
  }
  return true;
}

}  // namespace grip
