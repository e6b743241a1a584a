// Fuzz target: DesignStart.dat of the fit, through the design calls. The
// scratch folder holds a small target list and its measurement file.

#include "DesignFuzz.h"
#include "FuzzScratch.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace grip::fuzz;
  enterScratchFolder("designstart");
  writeFile("DesignTarget.dat",
            "fuzz target list\n number of files = 2\n"
            " file = m.dat points = 3 direction = 2 speed = 20000\n"
            " file = m.dat points = 2 direction = 3 speed = 10000\n[Eof]\n");
  writeFile("m.dat", measurementFileText());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  grip::fuzz::writeFile("DesignStart.dat", grip::fuzz::asText(data, size));
  grip::fuzz::runDesignLifecycle();
  return 0;
}
