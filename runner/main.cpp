// gripsim: steady-state tyre forces from a run-control file.

#include <cstdio>
#include <cstring>

#include "core/Console.h"
#include "runner/Runner.h"
#include "runner/RunnerMessages.h"

namespace {

constexpr const char* kUsage =
    "usage: gripsim RUNCONTROLFILE\n"
    "\n"
    "Computes the steady-state tyre forces Fx, Fy and the aligning moment Mz\n"
    "for the sections of a run-control file:\n"
    "  [DataFileName]   the next line names a parameter file to load\n"
    "  [SingleInput     five keyed lines: slip, slip angle [deg], camber [deg],\n"
    "                   load [N], speed [mm/s]; prints forces and contact patch\n"
    "  [RangeInput      a linear sweep into a result file\n"
    "  [FileInput       every line of a measurement file into TractalFinputN.dat\n"
    "  [Eof]            end of the run\n"
    "\n"
    "Exit status: 0 no fault, 1 a fault was reported and the run went on,\n"
    "2 the run ended early (a file could not be opened), 3 it could not start,\n"
    "4 the run ended early (a result file could not be written whole).\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("gripsim %s\n", GRIP_VERSION);
    return 0;
  }
  if (argc != 2) {
    grip::say("%s", grip::msg::kArgumentCount);
    return grip::runner::kExitCannotStart;
  }
  grip::Runner runner;
  return runner.run(argv[1]);
}
