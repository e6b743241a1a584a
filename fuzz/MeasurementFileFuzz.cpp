// Fuzz target: a measurement file, read by the file section of gripsim
// with each model type.

#include "FuzzScratch.h"
#include "runner/Runner.h"

namespace {
constexpr const char* kControl =
    "[DataFileName]\ncont.dat\n[FileInput]\n file = fuzz.dat speed = 20000\n"
    "[DataFileName]\ndisc.dat\n[FileInput]\n file = fuzz.dat speed = 15000\n"
    "[DataFileName]\ntable.dat\n[FileInput]\n file = fuzz.dat speed = 5000\n[Eof]\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace grip::fuzz;
  enterScratchFolder("measurement");
  writeFile("cont.dat", parameterFileText(1, 1, 1));
  writeFile("disc.dat", parameterFileText(2, 3, 4));
  writeFile("table.dat", parameterFileText(2, 4, 3));
  writeFile("run.ctl", kControl);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  grip::fuzz::writeFile("fuzz.dat", grip::fuzz::asText(data, size));
  grip::Runner runner;
  runner.run("run.ctl");
  return 0;
}
