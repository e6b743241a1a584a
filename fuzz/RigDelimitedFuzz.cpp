// Fuzz target: delimited text of a rig run, read as the header finds it and
// with the caller's channels and units, then written out again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rig/RigReader.h"
#include "rig/RigWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  grip::RigReadOptions options;
  options.convention = grip::SignConvention::SaeJ670;
  grip::RigRun run;
  std::string message;
  if (grip::readDelimitedText(text, "fuzz.csv", options, run, message)) {
    grip::RigWriteOptions write;
    write.convention = grip::SignConvention::Iso8855;
    std::string out;
    (void)grip::writeDelimitedText(run, write, out, message);
  }
  grip::RigReadOptions given;
  given.convention = grip::SignConvention::Iso8855;
  given.namesLine = 2;
  given.unitsLine = 3;
  (void)given.channels.parse("slip_angle=ALPHA fz=LOAD", message);
  given.units = {{"ALPHA", "rad"}, {"LOAD", "kN"}, {"SA", "deg"}};
  (void)grip::readDelimitedText(text, "fuzz.csv", given, run, message);
  return 0;
}
