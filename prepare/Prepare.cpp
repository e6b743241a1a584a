// One preparation: rig files in, the design files of a fit out.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "core/FormatText.h"
#include "core/ResultSet.h"
#include "fit/Preparation.h"
#include "prepare/Prepare.h"
#include "prepare/SegmentationPicture.h"

namespace grip {

namespace {

std::string summaryText(const PrepareSummary& s, const std::vector<RigRun>& runs, const PrepareOptions& options) {
  std::string text = "gripfit prepare\n\nfiles read:\n";
  for (const RigRun& run : runs)
    appendFormatted(text, " %s: %zu samples, %zu channels, written in %s axes, turned into ours\n",
                    run.fileName.c_str(), run.samples(), run.channels.size(),
                    std::string(signConventionName(run.sourceConvention)).c_str());
  text += "\nsweeps (file, direction, points, mean load [N], camber [deg], speed [km/h], from):\n";
  for (const Sweep& w : s.sweeps)
    appendFormatted(text, " %s direction %d points %zu Fz %.0f IA %.2f V %.1f %s %.2f s to %.2f s\n", w.name.c_str(),
                    w.direction(), w.points.size(), w.load, w.camber, w.speed * 3.6e-3, w.sourceFile.c_str(),
                    w.startTime, w.endTime);
  text += "\ndropped:\n";
  for (const std::string& line : s.dropped) text += " " + line + "\n";
  text += "\nchecks:\n";
  if (s.failures.empty()) text += " all passed\n";
  for (const std::string& line : s.failures) text += (options.force ? " warning (--force): " : " failed: ") + line + "\n";
  text += "\ndesign start:\n";
  for (const std::string& line : s.notes) text += " " + line + "\n";
  if (!s.picture.empty())
    appendFormatted(text, "\npicture: %s, the load, slip angle, slip ratio and camber of each run over time with "
                          "every sweep and piece dropped marked\n", s.picture.c_str());
  else if (!s.pictureFault.empty())
    appendFormatted(text, "\npicture: %s not drawn (%s); the prepared files are complete without it\n",
                    kSegmentationPicture, s.pictureFault.c_str());
  return text;
}

/// The record the fit reads back: the runs, their axes, the checks let through.
Preparation preparationRecord(const PrepareSummary& s, const std::vector<RigRun>& runs, const PrepareOptions& options) {
  Preparation record;
  for (const RigRun& run : runs) {
    const std::string convention(signConventionName(run.sourceConvention));
    record.runs.push_back({run.fileName, convention, run.samples()});
    if (record.convention.find(convention) == std::string::npos)
      record.convention += (record.convention.empty() ? "" : ", ") + convention;
  }
  record.forced = options.force;
  record.warnings = s.failures;
  return record;
}

}  // namespace

void prepareRuns(const std::vector<RigRun>& runs, const PrepareOptions& options, PrepareSummary& summary) {
  for (const RigRun& run : runs) {
    checkRun(run, summary);
    findSweeps(run, options, summary);
  }
  for (const Sweep& sweep : summary.sweeps) checkSweep(sweep, options, summary);
  if (summary.sweeps.empty()) summary.failures.push_back("no sweep found in the files: nothing to fit");
  if (!summary.failures.empty() && (!options.force || summary.sweeps.empty())) {
    summary.exitStatus = 2;
    return;
  }
  // The continuous model has no camber thrust: a cambered sweep would pull
  // its other parameters away from the camber-free ones.
  std::vector<Sweep> used;
  for (const Sweep& sweep : summary.sweeps) {
    if (options.modelType == 1 && std::fabs(sweep.camber) > options.camberTolerance)
      summary.dropped.push_back(formatted("%s: camber %.2f deg left out of the target, as the continuous model "
                                          "(--model 1) has no camber thrust",
                                          sweep.name.c_str(), sweep.camber));
    else used.push_back(sweep);
  }
  for (RunPiece& piece : summary.pieces) {
    const bool inTarget = std::any_of(used.begin(), used.end(), [&](const Sweep& s) { return s.name == piece.sweep; });
    if (piece.kind == PieceKind::sweep && !inTarget) piece.kind = PieceKind::leftOut;
  }
  const ParameterSet start = startValues(used, runs, options, summary.notes);
  for (const Sweep& sweep : summary.sweeps) summary.files.emplace_back(sweep.name, measurementText(sweep));
  summary.files.emplace_back("DesignTarget.dat", designTargetText(used));
  summary.files.emplace_back("DesignStart.dat", designStartText(start, options.modelType));
  // The picture helps to judge the cutting; the data files are the point,
  // so a picture gnuplot cannot draw leaves them standing and the summary says so.
  if (options.picture) {
    std::string picture;
    std::error_code code;
    summary.pictureFault = drawSegmentation(runs, summary, std::filesystem::temp_directory_path(code).string(), picture);
    if (summary.pictureFault.empty()) {
      summary.files.emplace_back(kSegmentationPicture, std::move(picture));
      summary.picture = kSegmentationPicture;
    }
  }
  summary.files.emplace_back("Prepare.txt", summaryText(summary, runs, options));
  summary.files.emplace_back(kPreparationFile, preparationJson(preparationRecord(summary, runs, options)));
  summary.exitStatus = 0;
}

PrepareSummary prepare(const std::vector<std::string>& files, const RigReadOptions& readOptions,
                       const PrepareOptions& options, const std::string& folder) {
  PrepareSummary summary;
  std::string error;
  if (!options.isValid(&error)) {
    summary.failures.push_back(error);
    summary.exitStatus = 1;
    return summary;
  }
  std::vector<RigRun> runs;
  for (const std::string& file : files) {
    RigRun run;
    std::string message;
    if (!readRigFile(file, readOptions, run, message)) {
      summary.failures.push_back(message);
      summary.exitStatus = 2;
      return summary;
    }
    runs.push_back(std::move(run));
  }
  prepareRuns(runs, options, summary);
  if (summary.exitStatus != 0) return summary;
  std::error_code code;
  std::filesystem::create_directories(folder, code);
  ResultSet set(folder);
  for (const auto& [name, text] : summary.files) set.add(name, text);
  summary.prepared = true;
  if (!set.commit()) {
    summary.prepared = false;
    summary.failures.push_back(formatted("%s: the prepared files could not be written (%s)", folder.c_str(),
                                         set.renameFault().name.empty() ? "a write failed"
                                                                        : set.renameFault().name.c_str()));
    summary.exitStatus = 2;
    return summary;
  }
  // A picture from an earlier preparation would show other pieces.
  std::error_code stale;
  if (summary.picture.empty()) std::filesystem::remove(std::filesystem::path(folder) / kSegmentationPicture, stale);
  return summary;
}

}  // namespace grip
