#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/ParameterSet.h"

namespace grip::test {

/// Values 1.5, 2.5, ... 33.5: every parameter distinct and recognisable.
inline ParameterSet distinctParameters() {
  ParameterSet p{};
  for (std::size_t k = 0; k < p.size(); ++k) p[k] = static_cast<double>(k) + 1.5;
  return p;
}

/// A parameter file in the written layout, with the blocks divided as counts says.
inline std::string parameterFileText(const ParameterSet& values, double model,
                                     std::vector<int> counts = {4, 3, 13, 4, 9}) {
  std::string text;
  std::size_t k = 0;
  char line[128];
  for (std::size_t block = 0; block < counts.size(); ++block) {
    std::snprintf(line, sizeof line, "[TWGpar%zu] number = %d, object = block\n", block + 1, counts[block]);
    text += line;
    for (int n = 0; n < counts[block]; ++n, ++k) {
      std::snprintf(line, sizeof line, " p%-7zu = %+16.10e [-]\n", k + 1, k < values.size() ? values[k] : 99.0);
      text += line;
    }
  }
  std::snprintf(line, sizeof line, "[TWGmodel]\n model    = %+16.10e [-]\n[Eof]\n", model);
  return text + line;
}

}  // namespace grip::test
