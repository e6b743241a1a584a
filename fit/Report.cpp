// The report of a fit: how well each channel of each measurement file is
// met, where the design variables ended, and what the search cost.

#include "fit/Report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "core/FormatText.h"
#include "fit/FitMessages.h"

namespace grip {

namespace {

/// A design variable this close to a bound, as a share of its bound range,
/// ended on it: the search's steps stop at 1e-7 of the range.
constexpr double kOnBound = 1e-6;

/// The design table's bound column: "  bound", "  lower" or "  upper".
constexpr std::size_t kBoundColumnWidth = 7;

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

/// A JSON number; null for a value that is not finite (JSON has no
/// infinity and no NaN).
nlohmann::ordered_json jsonNumber(double value) {
  return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

/// A CSV field: quoted when it holds a comma, a quote or a line end.
std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

/// Where the data came from and what a forced preparation let through.
void preparationText(std::string& text, const Preparation& p) {
  if (!p.fault.empty()) {
    appendFormatted(text, fit::kReportPreparedFault, p.fault.c_str());
    return;
  }
  appendFormatted(text, fit::kReportPreparedHeader, kPreparationFile, p.convention.c_str());
  for (const PreparedRun& run : p.runs)
    appendFormatted(text, fit::kReportPreparedRun, run.file.c_str(), run.samples, run.convention.c_str());
  if (p.warnings.empty()) text += fit::kReportPreparedClean;
  else appendFormatted(text, fit::kReportPreparedWarnings, p.warnings.size());
  for (const std::string& warning : p.warnings) appendFormatted(text, fit::kReportPreparedWarning, warning.c_str());
}

}  // namespace

FitReport makeReport(DesignState& state, const SearchResult& search) {
  FitReport report;
  report.search = search;
  report.preparation = state.preparation;
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
  report.uncertainty = designUncertainty(state, std::span(search.design).first(design));
  return report;
}

std::string reportText(const FitReport& report) {
  std::string text;
  const SearchResult& search = report.search;
  appendFormatted(text, fit::kReportTarget, report.target, report.points, kMomentLever);
  if (search.startsDone == 0) {
    text += fit::kReportNoSearch;
  } else {
    appendFormatted(text, fit::kReportSearch, searchMethodName(search.method), search.startsDone, search.evaluations,
                    search.seconds, search.interrupted ? fit::kReportInterrupted : "");
  }
  std::size_t nameWidth = 4;
  for (const ChannelReport& channel : report.channels) nameWidth = std::max(nameWidth, channel.file.size());
  const int width = static_cast<int>(nameWidth);
  appendFormatted(text, fit::kReportChannelHeader, width, "file");
  for (const ChannelReport& c : report.channels) {
    appendFormatted(text, fit::kReportChannelLine, width, c.file.c_str(), c.direction, c.channel, c.inTarget ? "*" : "",
                    c.points, c.meanErrorPercent, c.rmsErrorPercent, c.meanError, c.rmsError, c.measuredPeak,
                    c.modelPeak);
    if (c.inTarget) appendFormatted(text, "%-4s %10.4f\n", unitOf(c), c.targetShare);
    else appendFormatted(text, "%s\n", unitOf(c));
  }
  text += fit::kReportChannelNote;

  std::size_t designWidth = 8;
  for (const DesignReport& d : report.design) designWidth = std::max(designWidth, d.name.size());
  const int dWidth = static_cast<int>(designWidth);
  // The uncertainty's columns follow the bound column, padded to the width
  // of its header, so that each line without them reads as before.
  const bool judged = report.uncertainty && report.uncertainty->variables.size() == report.design.size();
  const std::vector<std::string> columns =
      judged ? uncertaintyColumns(*report.uncertainty) : std::vector<std::string>{};
  const auto withColumn = [&](std::string line, std::size_t row) {
    if (!judged) return line;
    line.pop_back();  // its line end
    return line + columns[row] + "\n";
  };
  text += withColumn(formatted(fit::kReportDesignHeader, dWidth, "variable", "start", "value", "lower", "upper"), 0);
  std::string onBound;
  for (std::size_t k = 0; k < report.design.size(); ++k) {
    const DesignReport& d = report.design[k];
    std::string line = formatted(fit::kReportDesignLine, dWidth, d.name.c_str(), d.start, d.value, d.lower, d.upper,
                                 d.boundFlag != 0 ? "  " : "", boundName(d.boundFlag));
    if (judged && d.boundFlag == 0) line.insert(line.size() - 1, kBoundColumnWidth, ' ');
    text += withColumn(std::move(line), k + 1);
    if (d.boundFlag != 0) onBound += (onBound.empty() ? "" : ", ") + d.name + " (" + boundName(d.boundFlag) + ")";
  }
  appendFormatted(text, fit::kReportOnBound, onBound.empty() ? "none" : onBound.c_str());
  if (report.uncertainty)
    for (const std::string& line : uncertaintyNotes(*report.uncertainty)) text += line;

  if (!search.localSearches.empty()) text += fit::kReportLocalHeader;
  for (const LocalSearch& local : search.localSearches) {
    const char* kind = local.restart ? "restart" : "start";
    if (std::isfinite(local.target))
      appendFormatted(text, fit::kReportLocalLine, local.index, kind, searchMethodName(local.method), local.evaluations,
                      local.target, stopReasonName(local.reason));
    else
      appendFormatted(text, fit::kReportLocalNoTarget, local.index, kind, searchMethodName(local.method),
                      local.evaluations, "-", stopReasonName(local.reason));
  }
  if (!search.messages.empty() || search.messagesNotKept > 0) text += "\n";
  for (const SearchMessage& message : search.messages) {
    appendFormatted(text, fit::kReportMessage, message.count, message.text.c_str());
    if (!message.text.ends_with('\n')) text += '\n';
  }
  if (search.messagesNotKept > 0) appendFormatted(text, fit::kReportMessagesNotKept, search.messagesNotKept);
  if (report.preparation) preparationText(text, *report.preparation);
  return text;
}

void writeReportText(std::FILE* file, const FitReport& report) {
  const std::string text = reportText(report);
  std::fwrite(text.data(), 1, text.size(), file);
}

void writeReportCsv(std::FILE* file, const FitReport& report) {
  std::fputs(fit::kReportCsvChannelHeader, file);
  for (const ChannelReport& c : report.channels) {
    printFormatted(file, "%s,%d,%s,%d,%d,%.10g,%.10g,%.10g,%.10g,%.10g,%.10g,%s,%.10g\n", csvField(c.file).c_str(),
                   c.direction, c.channel, c.inTarget ? 1 : 0, c.points, c.meanError, c.rmsError, c.meanErrorPercent,
                   c.rmsErrorPercent, c.measuredPeak, c.modelPeak, unitOf(c), c.targetShare);
  }
  std::fputs(fit::kReportCsvDesignHeader, file);
  for (const DesignReport& d : report.design)
    printFormatted(file, "%s,%.10g,%.10g,%.10g,%.10g,%s\n", csvField(d.name).c_str(), d.start, d.value, d.lower,
                   d.upper, boundName(d.boundFlag));
}

std::string reportJson(const FitReport& report) {
  using Json = nlohmann::ordered_json;
  const SearchResult& search = report.search;
  Json json;
  json["target"] = jsonNumber(report.target);
  json["points"] = report.points;
  json["moment_lever_mm"] = kMomentLever;
  Json& searchJson = json["search"];
  searchJson["method"] = search.startsDone == 0 ? "none" : searchMethodName(search.method);
  searchJson["starts"] = search.startsDone;
  searchJson["evaluations"] = search.evaluations;
  searchJson["seconds"] = jsonNumber(search.seconds);
  searchJson["interrupted"] = search.interrupted;
  Json& locals = searchJson["local_searches"] = Json::array();
  for (const LocalSearch& local : search.localSearches)
    locals.push_back({{"index", local.index},
                      {"restart", local.restart},
                      {"method", searchMethodName(local.method)},
                      {"evaluations", local.evaluations},
                      {"target", jsonNumber(local.target)},
                      {"stopped_by", stopReasonName(local.reason)}});
  Json& messages = searchJson["messages"] = Json::array();
  for (const SearchMessage& message : search.messages)
    messages.push_back({{"text", message.text}, {"count", message.count}});
  searchJson["messages_not_kept"] = search.messagesNotKept;

  Json& channels = json["channels"] = Json::array();
  for (const ChannelReport& c : report.channels)
    channels.push_back({{"file", c.file},
                        {"direction", c.direction},
                        {"channel", c.channel},
                        {"in_target", c.inTarget},
                        {"points", c.points},
                        {"unit", unitOf(c)},
                        {"mean_error", jsonNumber(c.meanError)},
                        {"rms_error", jsonNumber(c.rmsError)},
                        {"mean_error_percent", jsonNumber(c.meanErrorPercent)},
                        {"rms_error_percent", jsonNumber(c.rmsErrorPercent)},
                        {"measured_peak", jsonNumber(c.measuredPeak)},
                        {"model_peak", jsonNumber(c.modelPeak)},
                        {"target_share", jsonNumber(c.targetShare)}});
  const DesignUncertainty* uncertainty = report.uncertainty ? &*report.uncertainty : nullptr;
  const Json judged = uncertainty ? Json(uncertaintyJson(*uncertainty)) : Json();
  Json& design = json["design"] = Json::array();
  for (std::size_t k = 0; k < report.design.size(); ++k) {
    const DesignReport& d = report.design[k];
    design.push_back({{"name", d.name},
                      {"start", jsonNumber(d.start)},
                      {"value", jsonNumber(d.value)},
                      {"lower", jsonNumber(d.lower)},
                      {"upper", jsonNumber(d.upper)},
                      {"bound", boundName(d.boundFlag)}});
    if (!uncertainty || k >= judged["design"].size()) continue;
    const Json& variable = judged["design"][k];
    design.back()["standard_error"] = variable["standard_error"];
    const Json& interval = variable["interval95"];
    design.back()["interval95"] = interval[0].is_null() || interval[1].is_null() ? Json() : interval;
    design.back()["determined"] = variable["determined"];
    design.back()["reason"] = variable["reason"];
  }
  if (uncertainty) {
    json["correlation"] = {{"names", judged["correlation"]["names"]}, {"matrix", judged["correlation"]["matrix"]}};
    json["undetermined"] = judged["undetermined"];
    json["residual_spread"] = judged["residual_spread"];
  }
  // The record's own text (valid UTF-8, its reals none), taken in whole.
  if (report.preparation) json["preparation"] = Json::parse(preparationJson(*report.preparation));
  // Each real as the shortest text that reads back as the same double,
  // whatever the locale. A file name is kept as its bytes where they are
  // UTF-8; bytes that are not (a Latin-1 name) become U+FFFD, so that the
  // file is always valid JSON.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

void writeReportJson(std::FILE* file, const FitReport& report) {
  const std::string text = reportJson(report);
  std::fwrite(text.data(), 1, text.size(), file);
}

}  // namespace grip
