// Fuzz target: the run-control file of gripsim. The fuzz data is run.ctl;
// the scratch folder holds a parameter file of each model type and a
// measurement file for the sections to read.

#include "FuzzScratch.h"
#include "runner/Runner.h"

namespace {
constexpr const char* kFileName = "run.ctl";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace grip::fuzz;
  enterScratchFolder("runcontrol");
  writeFile("cont.dat", parameterFileText(1, 1, 1));
  writeFile("disc.dat", parameterFileText(2, 2, 4));
  writeFile("table.dat", parameterFileText(2, 4, 2));
  writeFile("measured.dat", measurementFileText());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = grip::fuzz::asText(data, size);
  // Section file names are written and read relative to the scratch folder;
  // a path could reach files outside it, so such inputs are left out.
  if (text.find('/') != std::string_view::npos) return -1;
  grip::fuzz::writeFile(kFileName, text);
  grip::Runner runner;
  runner.run(kFileName);
  return 0;
}
