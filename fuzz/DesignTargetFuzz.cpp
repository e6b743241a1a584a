// Fuzz target: DesignTarget.dat of the fit, through the design calls. The
// scratch folder holds a design start file and the measurement files the
// seed files name.

#include "DesignFuzz.h"
#include "FuzzScratch.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace grip::fuzz;
  enterScratchFolder("designtarget");
  writeFile("DesignStart.dat", parameterFileText(2, 2, 2));
  for (const char* name : {"meas1.dat", "meas2.dat", "meas3.dat", "slip3000.dat", "slip5000.dat", "alpha3000.dat",
                           "alpha5000.dat", "moment4000.dat"})
    writeFile(name, measurementFileText(45));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The list names files to read: they stay in the scratch folder.
  grip::fuzz::writeFile("DesignTarget.dat", grip::fuzz::withoutPaths(grip::fuzz::asText(data, size)));
  grip::fuzz::runDesignLifecycle();
  return 0;
}
