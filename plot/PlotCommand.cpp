#include "PlotCommand.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#include "core/KeyedLine.h"
#include "core/LineReader.h"
#include "core/TextFile.h"
#include "plot/Canvas.h"
#include "plot/ContactPatch.h"
#include "plot/Formatted.h"
#include "plot/Picture.h"
#include "plot/PlotMessages.h"
#include "plot/PlotScript.h"
#include "plot/SweepAxis.h"

namespace grip::plot {

namespace {

namespace fs = std::filesystem;

bool readSize(const std::string& text, int& width, int& height) {
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || (*end != 'x' && *end != 'X')) return false;
  const char* rest = end + 1;
  const long h = std::strtol(rest, &end, 10);
  if (end == rest || *end != '\0') return false;
  if (w < kMinPictureSide || w > kMaxPictureSide || h < kMinPictureSide || h > kMaxPictureSide) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

/// Listings of a fit are named file1.dat, file2.dat, ...
bool isFitListing(const std::string& fileName) {
  const std::string name = fs::path(fileName).filename().string();
  const std::string prefix = "file", suffix = ".dat";
  if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return false;
  }
  const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  return digits.find_first_not_of("0123456789") == std::string::npos;
}

/// Whether two names lead to one file, existing or not.
bool sameFile(const std::string& a, const std::string& b) {
  std::error_code errorA, errorB;
  if (fs::equivalent(a, b, errorA)) return true;
  const fs::path pathA = fs::weakly_canonical(a, errorA), pathB = fs::weakly_canonical(b, errorB);
  return !errorA && !errorB && pathA == pathB;
}

/// The run itself; may throw std::bad_alloc, which the caller turns into a status.
PlotRun run(const std::vector<std::string>& arguments, const char* version) {
  PlotRun result;
  PlotOptions options;
  if (std::string fault = parseOptions(arguments, options); !fault.empty()) {
    return {kExitUsage, "", fault};
  }
  if (options.help) return {kExitOk, msg::kPlotUsage, ""};
  if (options.version) return {kExitOk, formatted(msg::kPlotVersion, version), ""};

  // Read and check every file before anything is written.
  std::vector<ResultTable> tables(options.inputs.size());
  std::vector<FileKind> kinds;
  for (std::size_t k = 0; k < tables.size(); ++k) {
    if (std::string fault = readResultTable(options.inputs[k], tables[k]); !fault.empty()) {
      return {kExitBadInput, "", fault};
    }
    const FileKind kind = options.kind.value_or(detectKind(tables[k]));
    if (std::string fault = checkKind(tables[k], kind); !fault.empty()) return {kExitBadInput, "", fault};
    kinds.push_back(kind);
  }
  if (tables.size() > 1) {
    for (std::size_t k = 0; k < tables.size(); ++k) {
      if (kinds[k] != FileKind::compare) {
        return {kExitBadInput, "", formatted(msg::kPlotSeveralFiles, options.inputs[k].c_str(), kindName(kinds[k]))};
      }
    }
  }
  const FileKind kind = kinds.front();

  Canvas canvas;
  canvas.output = options.output.empty() ? defaultOutputName(options.inputs) : options.output;
  canvas.type = pictureTypeOf(canvas.output).value_or(PictureType::png);
  switch (kind) {
    case FileKind::patch:
      canvas.width = kPatchWidth;
      canvas.height = kPatchHeight;
      break;
    case FileKind::sweep:
      canvas.width = kSweepWidth;
      canvas.height = kSweepHeight;
      break;
    case FileKind::compare:
      canvas.width = std::min(kCompareWidthPerFile * static_cast<int>(tables.size()), kMaxPictureSide);
      canvas.height = kCompareHeight;
      break;
  }
  if (options.width > 0) {
    canvas.width = options.width;
    canvas.height = options.height;
  }

  ScriptMaker script;
  ContactPatch patch;
  SweepAxis sweep;
  std::vector<ComparedFile> compared;
  std::optional<double> target;
  const std::string& first = options.inputs.front();
  switch (kind) {
    case FileKind::patch:
      if (std::string fault = readContactPatch(tables.front(), patch); !fault.empty()) {
        return {kExitBadInput, "", fault};
      }
      if (patch.evaluations > 1) {
        result.errors += formatted(msg::kPlotNoteEvaluations, first.c_str(), patch.evaluations);
      }
      script = [&](const Canvas& c) { return patchScript(patch, first, c); };
      break;
    case FileKind::sweep:
      sweep = chooseSweepAxis(tables.front());
      if (!sweep.note.empty()) result.errors += formatted(msg::kPlotNoteAxis, first.c_str(), sweep.note.c_str());
      script = [&](const Canvas& c) { return sweepScript(tables.front(), sweep, c); };
      break;
    case FileKind::compare: {
      bool listings = true;
      for (std::size_t k = 0; k < tables.size(); ++k) {
        compared.push_back(ComparedFile{&tables[k], chooseCompareAxis(tables[k])});
        const std::string& note = compared.back().axis.note;
        if (!note.empty()) result.errors += formatted(msg::kPlotNoteAxis, options.inputs[k].c_str(), note.c_str());
        listings = listings && isFitListing(options.inputs[k]) &&
                   fs::path(options.inputs[k]).parent_path() == fs::path(first).parent_path();
      }
      if (listings) {
        const std::string results = (fs::path(first).parent_path() / kDesignResultsName).string();
        bool opened = false;
        target = readTargetValue(results, opened);
        if (opened && !target) result.errors += formatted(msg::kPlotNoTargetValue, results.c_str());
      }
      script = [&](const Canvas& c) { return compareScript(compared, target, c); };
      break;
    }
  }

  if (!options.scriptName.empty()) {
    for (const std::string& other : options.inputs) {
      if (sameFile(options.scriptName, other)) {
        return {kExitUsage, result.output,
                result.errors + formatted(msg::kPlotScriptName, options.scriptName.c_str(), other.c_str())};
      }
    }
    if (sameFile(options.scriptName, canvas.output)) {
      return {kExitUsage, result.output,
              result.errors + formatted(msg::kPlotScriptName, options.scriptName.c_str(), canvas.output.c_str())};
    }
    // Saved first, so that it is there to look into should gnuplot fail.
    if (!writeWholeFile(options.scriptName, script(canvas))) {
      return {kExitNoPicture, result.output,
              result.errors + formatted(msg::kPlotCannotWrite, options.scriptName.c_str(), std::strerror(errno))};
    }
  }
  if (std::string fault = drawPicture(script, canvas); !fault.empty()) {
    return {kExitNoPicture, result.output, result.errors + fault};
  }
  result.output += formatted(msg::kPlotWritten, canvas.output.c_str());
  return result;
}

}  // namespace

std::string parseOptions(const std::vector<std::string>& arguments, PlotOptions& options) {
  options = PlotOptions{};
  bool optionsEnded = false;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    const std::string& argument = arguments[k];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      options.inputs.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "-h" || argument == "--help") {
      options.help = true;
      return {};
    }
    if (argument == "--version") {
      options.version = true;
      return {};
    }
    // Options with a value: "-o NAME", "--output NAME" or "--output=NAME".
    std::string option = argument, value;
    bool hasValue = false;
    if (const std::size_t equals = argument.find('='); argument.rfind("--", 0) == 0 && equals != std::string::npos) {
      option = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      hasValue = true;
    }
    const bool output = option == "-o" || option == "--output";
    const bool kind = option == "-k" || option == "--kind";
    const bool size = option == "-s" || option == "--size";
    const bool script = option == "--script";
    if (!output && !kind && !size && !script) return formatted(msg::kPlotUnknownOption, argument.c_str());
    if (!hasValue) {
      if (k + 1 >= arguments.size()) return formatted(msg::kPlotMissingValue, option.c_str());
      value = arguments[++k];
    }
    if (value.empty()) return formatted(msg::kPlotMissingValue, option.c_str());
    if (output) {
      if (!pictureTypeOf(value)) return formatted(msg::kPlotUnknownFormat, value.c_str());
      options.output = value;
    } else if (kind) {
      if (value == "patch") {
        options.kind = FileKind::patch;
      } else if (value == "sweep") {
        options.kind = FileKind::sweep;
      } else if (value == "compare") {
        options.kind = FileKind::compare;
      } else {
        return formatted(msg::kPlotUnknownKind, value.c_str());
      }
    } else if (size) {
      if (!readSize(value, options.width, options.height)) return formatted(msg::kPlotBadSize, value.c_str());
    } else {
      options.scriptName = value;
    }
  }
  if (options.inputs.empty()) return msg::kPlotNoInput;
  return {};
}

std::string defaultOutputName(const std::vector<std::string>& inputs) {
  std::string name;
  for (const std::string& input : inputs) {
    if (!name.empty()) name += "_";
    name += fs::path(input).stem().string();
  }
  // A long list of files is named after the first.
  if (name.size() > 80) name = fs::path(inputs.front()).stem().string() + formatted("_and_%zu_more", inputs.size() - 1);
  return (fs::path(inputs.front()).parent_path() / (name + ".png")).string();
}

std::optional<double> readTargetValue(const std::string& fileName, bool& opened) {
  TextFile file = openForReading(fileName);
  opened = static_cast<bool>(file);
  if (!file) return std::nullopt;
  LineReader reader(file.get(), fileName);
  while (reader.next()) {
    if (reader.line().find(kTargetValueKey) == std::string::npos) continue;
    double value = 0.0;
    if (reader.next() && readRealAfterEquals(reader.line(), value) == KeyedValue::ok) return value;
    return std::nullopt;
  }
  return std::nullopt;
}

PlotRun runGripplot(const std::vector<std::string>& arguments, const char* version) {
  try {
    return run(arguments, version);
  } catch (const std::bad_alloc&) {
    return {kExitNoPicture, "", formatted(msg::kPlotCannotWrite, "the picture", "out of memory")};
  }
}

}  // namespace grip::plot
