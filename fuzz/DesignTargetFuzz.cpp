// Fuzz target: DesignTarget.dat of the fit, through the design calls. The
// scratch folder holds a design start file and measurement files a.dat, b.dat.

#include "DesignFuzz.h"
#include "FuzzScratch.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace grip::fuzz;
  enterScratchFolder("designtarget");
  writeFile("DesignStart.dat", parameterFileText(2, 2, 2));
  writeFile("a.dat", measurementFileText());
  writeFile("b.dat", measurementFileText() + measurementFileText());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = grip::fuzz::asText(data, size);
  // The list names files to read; a path could reach files outside the folder.
  if (text.find('/') != std::string_view::npos) return -1;
  grip::fuzz::writeFile("DesignTarget.dat", text);
  grip::fuzz::runDesignLifecycle();
  return 0;
}
