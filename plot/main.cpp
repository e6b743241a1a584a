// gripplot: pictures of the result files of gripsim and gripfit, drawn with gnuplot.

#include <cstdio>
#include <string>
#include <vector>

#include "plot/PlotCommand.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const grip::plot::PlotRun run = grip::plot::runGripplot(arguments, GRIP_VERSION);
  // Notes come before the picture's name, as they were made before it.
  std::fputs(run.errors.c_str(), stderr);
  std::fputs(run.output.c_str(), stdout);
  return run.status;
}
