#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace grip::test {

/// A point line of a trace file, in the trace's own format.
inline std::string traceLine(double x, double y, double pz, double fx, double fy) {
  char line[128];
  std::snprintf(line, sizeof line, " %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e \n", x, y, 0.0, 0.0, pz,
                fx, fy);
  return line;
}

/// A 3 x 3 patch, 20 mm long and 10 mm wide, swept from x = -10 to +10 as
/// for a positive speed. Five points carry load, 13 N in all; the corners
/// carry none. The forces are picked so that the utilised friction |f|/pz
/// is 0.5 in the middle (3-4-5 triangle) and 0.25 elsewhere.
inline std::string threeByThreeTrace() {
  struct P {
    double pz, fx, fy;
  };
  const P grid[3][3] = {
      {{0, 0, 0}, {2, 0.5, 0}, {0, 0, 0}},
      {{2, 0, 0.5}, {5, 1.5, 2}, {2, 0.5, 0}},
      {{0, 0, 0}, {2, 0, -0.5}, {0, 0, 0}},
  };
  std::string text;
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i)
      text += traceLine(-10.0 + 10.0 * i, 5.0 - 5.0 * j, grid[j][i].pz, grid[j][i].fx, grid[j][i].fy);
    text += "\n";
  }
  return text;
}

}  // namespace grip::test
