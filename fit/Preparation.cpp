// The record of a preparation: written by gripfit prepare, read by the fit.

#include "fit/Preparation.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <exception>

#include "core/FormatText.h"
#include "core/TextFile.h"

namespace grip {

namespace {

using Json = nlohmann::ordered_json;

}  // namespace

std::string preparationJson(const Preparation& p) {
  Json json;
  Json& files = json["files"] = Json::array();
  for (const PreparedRun& run : p.runs)
    files.push_back({{"file", run.file}, {"convention", run.convention}, {"samples", run.samples}});
  json["convention"] = p.convention;
  json["forced"] = p.forced;
  json["warnings"] = p.warnings;
  if (!p.fault.empty()) json["fault"] = p.fault;
  // A file name is kept as its bytes where they are UTF-8, else U+FFFD.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

namespace {

std::optional<Preparation> readRecord(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder.empty() ? std::filesystem::path(kPreparationFile) : folder / kPreparationFile;
  std::error_code code;
  if (!std::filesystem::exists(path, code)) return std::nullopt;
  Preparation p;
  std::string text;
  if (!readFileBytes(path.string(), text)) {
    p.fault = formatted("%s could not be read (%s)", path.c_str(), std::strerror(errno != 0 ? errno : EIO));
    return p;
  }
  const Json json = Json::parse(text, nullptr, false);
  const auto broken = [&](const char* what) {
    Preparation faulty;
    faulty.fault = formatted("%s: %s", path.c_str(), what);
    return faulty;
  };
  if (json.is_discarded() || !json.is_object()) return broken("not a JSON object");
  const auto files = json.find("files");
  const auto convention = json.find("convention");
  const auto forced = json.find("forced");
  const auto warnings = json.find("warnings");
  if (files == json.end() || !files->is_array()) return broken("no list \"files\"");
  if (convention == json.end() || !convention->is_string()) return broken("no text \"convention\"");
  if (forced == json.end() || !forced->is_boolean()) return broken("no true or false \"forced\"");
  if (warnings == json.end() || !warnings->is_array()) return broken("no list \"warnings\"");
  for (const Json& run : *files) {
    if (!run.is_object() || !run.contains("file") || !run["file"].is_string() || !run.contains("convention") ||
        !run["convention"].is_string() || !run.contains("samples") || !run["samples"].is_number_unsigned())
      return broken("an entry of \"files\" without its file, convention and samples");
    p.runs.push_back({run["file"].get<std::string>(), run["convention"].get<std::string>(),
                      run["samples"].get<std::size_t>()});
  }
  for (const Json& warning : *warnings) {
    if (!warning.is_string()) return broken("an entry of \"warnings\" that is no text");
    p.warnings.push_back(warning.get<std::string>());
  }
  p.convention = convention->get<std::string>();
  p.forced = forced->get<bool>();
  return p;
}

}  // namespace

std::optional<Preparation> readPreparation(const std::filesystem::path& folder) {
  try {
    return readRecord(folder);
  } catch (const std::exception& e) {  // out of memory: the report says so rather than the fit failing
    Preparation faulty;
    faulty.fault = e.what();
    return faulty;
  }
}

}  // namespace grip
