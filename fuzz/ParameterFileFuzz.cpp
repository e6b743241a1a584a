// Fuzz target: the parameter file. The fuzz data is the file; when it sets
// a model up, that model is evaluated at one operating point so that the
// values read (grid counts, laws, stiffnesses) reach the model's arithmetic.

#include <memory>

#include "FuzzScratch.h"
#include "model/MakeTyreModel.h"

namespace {
constexpr const char* kFileName = "fuzz.dat";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  grip::fuzz::enterScratchFolder("parameter");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  grip::fuzz::writeFile(kFileName, grip::fuzz::asText(data, size));
  grip::TyreModel model = grip::makeTyreModel();
  std::size_t valueLines = 0;
  const int result = model.readParameterFile(kFileName, [&valueLines](std::size_t, const std::string&, int) { ++valueLines; });
  if (result != 0 && model.variantReady()) {
    model.evaluate(grip::OperatingPoint{-0.05, 2.0, 1.0, 4000.0, 20000.0});
  }
  return 0;
}
