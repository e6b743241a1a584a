// The trace file's writer of the discrete model's record of its grid points.

#include "discrete/DiscreteTrace.h"

#include "core/NumberText.h"
#include "discrete/DiscreteMessages.h"

namespace grip {

namespace {

/// The layout of a trace line, read when the library is loaded, so that a
/// traced evaluation allocates nothing. Written in the C locale whatever the
/// host's: the trace is read back as numbers.
const NumberLine kTraceLine(trace::kPointLine);

}  // namespace

void writeTrace(std::FILE* stream, const DiscreteTrace& t) {
  for (std::size_t j = 0; j < t.columns; ++j) {
    for (std::size_t k = j * t.rows; k < (j + 1) * t.rows; ++k) {
      const double line[] = {t.x[k], t.y[k], t.ux[k], t.uy[k], t.pz[k], t.fx[k], t.fy[k]};
      kTraceLine.write(stream, line);
    }
    std::fputs(trace::kBlockEnd, stream);
  }
}

}  // namespace grip
