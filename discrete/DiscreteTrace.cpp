// The trace file's writer of the discrete model's record of its grid points.

#include "discrete/DiscreteTrace.h"

#include "discrete/DiscreteMessages.h"

namespace grip {

void writeTrace(std::FILE* stream, const DiscreteTrace& t) {
  for (std::size_t j = 0; j < t.columns; ++j) {
    for (std::size_t k = j * t.rows; k < (j + 1) * t.rows; ++k)
      std::fprintf(stream, trace::kPointLine, t.x[k], t.y[k], t.ux[k], t.uy[k], t.pz[k], t.fx[k], t.fy[k]);
    std::fputs(trace::kBlockEnd, stream);
  }
}

}  // namespace grip
