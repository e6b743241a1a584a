// Fuzz target: TYDEX text of a rig run, read and written out again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rig/RigReader.h"
#include "rig/RigWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  grip::RigReadOptions options;
  grip::RigRun run;
  std::string message;
  if (grip::readTydexText(text, "fuzz.tdx", options, run, message)) {
    grip::RigWriteOptions write;
    write.convention = grip::SignConvention::SaeJ670;
    std::string out;
    (void)grip::writeTydexText(run, write, out, message);
  }
  return 0;
}
