// gripfit prepare: rig runs to the design files of a fit.

#include "fitter/PrepareCommand.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/FormatText.h"
#include "prepare/Prepare.h"
#include "prepare/SegmentationPicture.h"

namespace grip {

namespace {

constexpr const char* kPrepareUsage =
    "usage: gripfit prepare [--convention iso|sae|ours] [--model 1|2] [--tyre SIZE] [--out DIR] [--force]\n"
    "                       [--channel quantity=NAME]... [--unit NAME=UNIT]... FILE...\n";

}  // namespace

int prepareCommandMain(std::span<const char* const> arguments, std::FILE* out, std::FILE* err) {
  RigReadOptions read;
  PrepareOptions options;
  std::string folder = "prepared";
  std::vector<std::string> files;
  const auto usage = [&](const std::string& why) {
    printFormatted(err, "gripfit prepare: %s\n%s", why.c_str(), kPrepareUsage);
    return 1;
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view a = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (a == "--help" || a == "-h") {
      std::fputs(kPrepareUsage, out);
      return 0;
    }
    if (a == "--force") {
      options.force = true;
      continue;
    }
    if (a == "--convention" || a == "--model" || a == "--tyre" || a == "--out" || a == "--channel" ||
        a == "--unit") {
      if (!hasValue) return usage(std::string(a) + " needs a value");
      const std::string value = arguments[++i];
      if (a == "--convention") {
        read.convention = signConventionFromName(value);
        if (!read.convention) return usage("--convention should be iso, sae or ours: " + value);
      } else if (a == "--model") {
        if (value != "1" && value != "2") return usage("--model should be 1 or 2: " + value);
        options.modelType = value == "1" ? 1 : 2;
      } else if (a == "--tyre") {
        options.tyreSize = value;
      } else if (a == "--out") {
        folder = value;
      } else if (a == "--unit") {
        // The unit of a channel whose file gives none, or gives one wrongly.
        const std::size_t equals = value.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == value.size())
          return usage("--unit should be NAME=UNIT, a channel of the file and its unit: " + value);
        read.units[value.substr(0, equals)] = value.substr(equals + 1);
      } else {
        std::string message;
        if (!read.channels.parse(value, message)) return usage(message);
      }
      continue;
    }
    if (a.starts_with("--")) return usage("unknown option " + std::string(a));
    files.emplace_back(a);
  }
  if (files.empty()) return usage("no rig file given");
  std::string error;
  if (!options.isValid(&error)) return usage(error);
  const PrepareSummary summary = prepare(files, read, options, folder);
  for (const std::string& line : summary.failures)
    printFormatted(err, "%s%s\n", summary.exitStatus == 0 ? "warning: " : "", line.c_str());
  if (summary.exitStatus == 0 && !summary.pictureFault.empty())
    printFormatted(err, "warning: the picture %s was not drawn: %s\n", kSegmentationPicture,
                   summary.pictureFault.c_str());
  if (summary.exitStatus == 0)
    printFormatted(out, "%zu sweeps prepared in %s (Prepare.txt says what was found and dropped)\n",
                   summary.sweeps.size(), folder.c_str());
  return summary.exitStatus;
}

}  // namespace grip
