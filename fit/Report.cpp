// The report of a fit: how well each channel of each measurement file is
// met, where the design variables ended, and what the search cost.

#include "fit/Report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "fit/FitMessages.h"

namespace grip {

namespace {

/// A design variable this close to a bound, as a share of its bound range,
/// ended on it: the search's steps stop at 1e-7 of the range.
constexpr double kOnBound = 1e-6;

constexpr std::array<const char*, kForceChannelCount> kChannels = {"Fx", "Fy", "Mz"};

/// The statistics of one channel over points [first, first + count).
ChannelReport channelReport(const DesignState& state, const TargetEvaluator& model, std::size_t file,
                            std::size_t channel, std::size_t first, std::size_t count) {
  const MeasuredColumns& m = state.columns;
  ChannelReport report;
  report.file = state.fileNames[file];
  report.direction = state.TargetDirectionPerFile[file];
  report.channel = kChannels[channel];
  report.points = static_cast<int>(count);
  const auto forceChannel = static_cast<ForceChannel>(channel);
  report.inTarget = TargetDirection(report.direction).compares(forceChannel);
  const double lever = TargetDirection::lever(forceChannel);
  double sum = 0.0, sumSquares = 0.0, sumPercent = 0.0, sumSquaresPercent = 0.0, sumMagnitudePercent = 0.0;
  for (std::size_t k = first; k < first + count; ++k) {
    const double measured = channel == 0 ? m.Fx[k] : channel == 1 ? m.Fy[k] : m.Mz[k];
    const double modelled = channel == 0 ? model.Fx(k) : channel == 1 ? model.Fy(k) : model.Mz(k);
    const double error = modelled - measured;
    const double percent = error / (lever * m.verticalLoad[k]) * 100.0;
    sum += error;
    sumSquares += error * error;
    sumPercent += percent;
    sumSquaresPercent += percent * percent;
    sumMagnitudePercent += std::fabs(percent);
    report.measuredPeak = std::max(report.measuredPeak, std::fabs(measured));
    report.modelPeak = std::max(report.modelPeak, std::fabs(modelled));
  }
  if (count > 0) {
    const auto n = static_cast<double>(count);
    report.meanError = sum / n;
    report.rmsError = std::sqrt(sumSquares / n);
    report.meanErrorPercent = sumPercent / n;
    report.rmsErrorPercent = std::sqrt(sumSquaresPercent / n);
  }
  if (report.inTarget) report.targetShare = sumMagnitudePercent / state.totalPoints;
  return report;
}

const char* boundName(int flag) { return flag < 0 ? "lower" : flag > 0 ? "upper" : ""; }

const char* unitOf(const ChannelReport& channel) { return std::string_view(channel.channel) == "Mz" ? "N*mm" : "N"; }

/// A JSON string: quotes, backslashes and control characters escaped.
void writeJsonString(std::FILE* file, const std::string& text) {
  std::fputc('"', file);
  for (const char c : text) {
    if (c == '"' || c == '\\') std::fprintf(file, "\\%c", c);
    else if (static_cast<unsigned char>(c) < 0x20) std::fprintf(file, "\\u%04x", static_cast<unsigned>(c));
    else std::fputc(c, file);
  }
  std::fputc('"', file);
}

/// A JSON number; null for a value that is not finite.
void writeJsonNumber(std::FILE* file, double value) {
  if (std::isfinite(value)) std::fprintf(file, "%.10g", value);
  else std::fputs("null", file);
}

/// A CSV field: quoted when it holds a comma, a quote or a line end.
std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

FitReport makeReport(DesignState& state, const SearchResult& search) {
  FitReport report;
  report.search = search;
  if (!state.model || !state.evaluator || search.design.size() < static_cast<std::size_t>(state.designCount))
    return report;
  applyDesignVariables(*state.model, state, search.design);
  report.target = evaluateTarget(state);
  report.points = state.totalPoints;

  std::size_t first = 0;
  for (std::size_t f = 0; f < state.fileNames.size(); ++f) {
    const auto count = static_cast<std::size_t>(state.PointsPerFile[f]);
    for (std::size_t channel = 0; channel < kChannels.size(); ++channel)
      report.channels.push_back(channelReport(state, *state.evaluator, f, channel, first, count));
    first += count;
  }

  std::size_t design = 0;
  for (std::size_t p = 0; p < kParameterCount; ++p) {
    if (state.designMask[p] != 1) continue;
    DesignReport variable;
    variable.name = state.model->parameterName(p);
    variable.start = state.startValues[design];
    variable.value = search.design[design++];
    variable.lower = state.lowerBound[p];
    variable.upper = state.upperBound[p];
    const double margin = kOnBound * std::fabs(variable.upper - variable.lower);
    if (variable.value <= variable.lower + margin) variable.boundFlag = -1;
    else if (variable.value >= variable.upper - margin) variable.boundFlag = 1;
    report.design.push_back(variable);
  }
  return report;
}

void writeReportText(std::FILE* file, const FitReport& report) {
  const SearchResult& search = report.search;
  std::fprintf(file, fit::kReportTarget,
               report.target, report.points, kMomentLever);
  if (search.startsDone == 0) {
    std::fputs(fit::kReportNoSearch, file);
  } else {
    std::fprintf(file, fit::kReportSearch, searchMethodName(search.method),
                 search.startsDone, search.evaluations, search.seconds,
                 search.interrupted ? fit::kReportInterrupted : "");
  }
  std::size_t nameWidth = 4;
  for (const ChannelReport& channel : report.channels) nameWidth = std::max(nameWidth, channel.file.size());
  const int width = static_cast<int>(nameWidth);
  std::fprintf(file, fit::kReportChannelHeader,
               width, "file");
  for (const ChannelReport& c : report.channels) {
    std::fprintf(file, fit::kReportChannelLine, width, c.file.c_str(),
                 c.direction, c.channel, c.inTarget ? "*" : "", c.points, c.meanErrorPercent, c.rmsErrorPercent,
                 c.meanError, c.rmsError, c.measuredPeak, c.modelPeak);
    if (c.inTarget) std::fprintf(file, "%-4s %10.4f\n", unitOf(c), c.targetShare);
    else std::fprintf(file, "%s\n", unitOf(c));
  }
  std::fputs(fit::kReportChannelNote, file);

  std::size_t designWidth = 8;
  for (const DesignReport& d : report.design) designWidth = std::max(designWidth, d.name.size());
  const int dWidth = static_cast<int>(designWidth);
  std::fprintf(file, fit::kReportDesignHeader, dWidth, "variable", "start", "value", "lower", "upper");
  std::string onBound;
  for (const DesignReport& d : report.design) {
    std::fprintf(file, fit::kReportDesignLine, dWidth, d.name.c_str(), d.start, d.value, d.lower,
                 d.upper, d.boundFlag != 0 ? "  " : "", boundName(d.boundFlag));
    if (d.boundFlag != 0) onBound += (onBound.empty() ? "" : ", ") + d.name + " (" + boundName(d.boundFlag) + ")";
  }
  std::fprintf(file, fit::kReportOnBound, onBound.empty() ? "none" : onBound.c_str());
}

void writeReportCsv(std::FILE* file, const FitReport& report) {
  std::fputs(fit::kReportCsvChannelHeader, file);
  for (const ChannelReport& c : report.channels) {
    std::fprintf(file, "%s,%d,%s,%d,%d,%.10g,%.10g,%.10g,%.10g,%.10g,%.10g,%s,%.10g\n", csvField(c.file).c_str(),
                 c.direction, c.channel, c.inTarget ? 1 : 0, c.points, c.meanError, c.rmsError, c.meanErrorPercent,
                 c.rmsErrorPercent, c.measuredPeak, c.modelPeak, unitOf(c), c.targetShare);
  }
  std::fputs(fit::kReportCsvDesignHeader, file);
  for (const DesignReport& d : report.design)
    std::fprintf(file, "%s,%.10g,%.10g,%.10g,%.10g,%s\n", csvField(d.name).c_str(), d.start, d.value, d.lower, d.upper,
                 boundName(d.boundFlag));
}

void writeReportJson(std::FILE* file, const FitReport& report) {
  const SearchResult& search = report.search;
  std::fputs("{\n  \"target\": ", file);
  writeJsonNumber(file, report.target);
  std::fprintf(file, ",\n  \"points\": %d,\n  \"moment_lever_mm\": %g,\n", report.points, kMomentLever);
  std::fprintf(file, "  \"search\": {\"method\": \"%s\", \"starts\": %d, \"evaluations\": %ld, \"seconds\": ",
               search.startsDone == 0 ? "none" : searchMethodName(search.method), search.startsDone, search.evaluations);
  writeJsonNumber(file, search.seconds);
  std::fprintf(file, ", \"interrupted\": %s},\n  \"channels\": [", search.interrupted ? "true" : "false");
  const char* separator = "\n";
  for (const ChannelReport& c : report.channels) {
    std::fprintf(file, "%s    {\"file\": ", separator);
    writeJsonString(file, c.file);
    std::fprintf(file, ", \"direction\": %d, \"channel\": \"%s\", \"in_target\": %s, \"points\": %d, \"unit\": \"%s\"",
                 c.direction, c.channel, c.inTarget ? "true" : "false", c.points, unitOf(c));
    const std::array<std::pair<const char*, double>, 7> values = {{{"mean_error", c.meanError},
                                                                   {"rms_error", c.rmsError},
                                                                   {"mean_error_percent", c.meanErrorPercent},
                                                                   {"rms_error_percent", c.rmsErrorPercent},
                                                                   {"measured_peak", c.measuredPeak},
                                                                   {"model_peak", c.modelPeak},
                                                                   {"target_share", c.targetShare}}};
    for (const auto& [key, value] : values) {
      std::fprintf(file, ", \"%s\": ", key);
      writeJsonNumber(file, value);
    }
    std::fputs("}", file);
    separator = ",\n";
  }
  std::fputs("\n  ],\n  \"design\": [", file);
  separator = "\n";
  for (const DesignReport& d : report.design) {
    std::fprintf(file, "%s    {\"name\": ", separator);
    writeJsonString(file, d.name);
    const std::array<std::pair<const char*, double>, 4> values = {
        {{"start", d.start}, {"value", d.value}, {"lower", d.lower}, {"upper", d.upper}}};
    for (const auto& [key, value] : values) {
      std::fprintf(file, ", \"%s\": ", key);
      writeJsonNumber(file, value);
    }
    std::fprintf(file, ", \"bound\": \"%s\"}", boundName(d.boundFlag));
    separator = ",\n";
  }
  std::fputs("\n  ]\n}\n", file);
}

}  // namespace grip
