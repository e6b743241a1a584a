// Fuzz target: the run-control file of gripsim. The fuzz data is run.ctl;
// the scratch folder holds parameter files of each model type and
// measurement files under the names the seed files use.

#include "FuzzScratch.h"
#include "runner/Runner.h"

namespace {

constexpr const char* kFileName = "run.ctl";

/// Result files a run writes may take any of these names: each input finds
/// them as they were at the start.
void seedFolder() {
  using namespace grip::fuzz;
  writeFile("passenger.dat", parameterFileText(1, 1, 1));
  writeFile("passenger_discrete.dat", parameterFileText(2, 2, 4));
  writeFile("passenger_discrete_table.dat", parameterFileText(2, 4, 2));
  writeFile("params.dat", parameterFileText(2, 1, 3, 6, 10));
  writeFile("measured.dat", measurementFileText());
  writeFile("meas1.dat", measurementFileText(7));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  grip::fuzz::enterScratchFolder("runcontrol");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  seedFolder();
  // Sections name files to write: they stay in the scratch folder.
  grip::fuzz::writeFile(kFileName, grip::fuzz::withoutPaths(grip::fuzz::asText(data, size)));
  grip::Runner runner;
  runner.run(kFileName);
  return 0;
}
