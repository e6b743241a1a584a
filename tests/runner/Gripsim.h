#pragma once

#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "TempDir.h"

namespace grip::test {

struct Run {
  int status = -1;     ///< exit status of gripsim
  std::string output;  ///< its standard output and error
};

/// Runs gripsim with the given argument text inside dir.
inline Run gripsim(const TempDir& dir, const std::string& arguments) {
  const std::string command = "cd '" + dir.path().string() + "' && '" GRIPSIM_PATH "' " + arguments +
                              " > .gripsim-output 2>&1";
  int raw = std::system(command.c_str());
  Run run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.output = dir.read(".gripsim-output");
  return run;
}

/// The example tyre of the project, continuous model.
inline std::string exampleTyre() { return readFile(EXAMPLES_DIR "/passenger.dat"); }

}  // namespace grip::test
