// Set-up of the discrete model: its properties, the grid storage and the speed table.

#include "DiscreteModel.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>

#if __has_include(<unistd.h>)
#include <unistd.h>
#endif

#include "core/Console.h"
#include "core/Numbers.h"
#include "discrete/DiscreteMessages.h"
#include "discrete/DiscreteParameters.h"

namespace grip {

namespace {

/// Bytes of physical memory, or the largest number when the system does not say.
std::uint64_t physicalMemoryBytes() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#endif
  return std::numeric_limits<std::uint64_t>::max();
}

/// Replaces values by count zero values; false, values emptied, when they cannot be had.
template <typename Value>
bool allocateZeros(std::vector<Value>& values, std::uint64_t count) noexcept {
  std::vector<Value>().swap(values);
  if (count > values.max_size()) return false;
  try {
    values.assign(static_cast<std::size_t>(count), Value{});
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

/// Sizes the sweep's working arrays to the grid; false, all freed, when they cannot be had.
bool allocateScratch(SweepScratch& scratch, std::uint64_t rows, std::uint64_t columns) noexcept {
  scratch.release();
  try {
    scratch.allocate(static_cast<std::size_t>(rows), static_cast<std::size_t>(columns));
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  scratch.release();
  return false;
}

/// Sizes the trace's arrays to the grid; false, all freed, when they cannot be had.
bool allocateTrace(DiscreteTrace& trace, std::uint64_t points) noexcept {
  trace.release();
  try {
    trace.allocate(static_cast<std::size_t>(points));
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  trace.release();
  return false;
}

}  // namespace

void DiscreteProperties::take(const ParameterSet& given) {
  const ParameterSet p = usedValues(discreteDescription(), given);  // magnitudes and whole numbers as described
  cx0 = p[par::cx0];
  cx1 = p[par::cx1];
  cy0 = p[par::cy0];
  cy1 = p[par::cy1];
  sx0 = p[par::sx0];
  sy0 = p[par::sy0];
  soff = p[par::soff];
  mue0 = std::fabs(p[par::mue0]);
  muexy = p[par::muexy];
  Vmuexy = p[par::Vmuexy];
  mue1xp = std::fabs(p[par::mue1xp]);
  cmuexp = std::fabs(p[par::cmuexp]);
  mue1xn = std::fabs(p[par::mue1xn]);
  cmuexn = std::fabs(p[par::cmuexn]);
  mue1yp = std::fabs(p[par::mue1yp]);
  cmueyp = std::fabs(p[par::cmueyp]);
  mue1yn = std::fabs(p[par::mue1yn]);
  cmueyn = std::fabs(p[par::cmueyn]);
  mueFz = p[par::mueFz];
  vslide = p[par::vslide];
  pin = p[par::pin];
  Fzbar = p[par::Fzbar];
  MzScaleP = p[par::MzScaleP];
  MzScaleN = p[par::MzScaleN];
  cR = p[par::cR];
  R = p[par::R];
  Ry = p[par::Ry];
  ni = truncateToInt(p[par::ni]);
  nj = truncateToInt(p[par::nj]);
  ny = truncateToInt(p[par::ny]);
  sliding = truncateToInt(p[par::sliding]);
  pressure = truncateToInt(p[par::pressure]);
  ntab = kSpeedTableLength;
  // The speed table and its friction values.
  vtab[0] = vslide;
  for (std::size_t k = 1; k < vtab.size(); ++k) vtab[k] = vtab[k - 1] * 10.0;
  mutab = {std::fabs(mue1xp), std::fabs(cmuexp), std::fabs(mue1xn),
           std::fabs(cmuexn), std::fabs(mue1yp), std::fabs(cmueyp)};
  frica0 = mue1yn;
  frica1 = cmueyn;
}

int DiscreteModel::setUp(const ParameterSet& parameters) {
  tyre_.take(parameters);
  draw3d_ = truncateToInt(parameters[par::draw3d]);

  // The grid of an earlier set-up goes first, also when this one fails.
  freeGrid();
  bool countsOk = true;
  if (tyre_.ni < 1) {
    say(msg::kGridCountBelowOne, "ni", tyre_.ni, parameters[par::ni]);
    countsOk = false;
  }
  if (tyre_.nj < 1) {
    say(msg::kGridCountBelowOne, "nj", tyre_.nj, parameters[par::nj]);
    countsOk = false;
  }
  if (!countsOk) return kGridCountBelowOne;

  const int code = allocateGrid();
  if (code != kDiscreteReady) {
    freeGrid();
    return code;
  }
  return kDiscreteReady;
}

// Sizes in 64 bits: (ni + 1) * (nj + 1) overflows an int long before it
// stops fitting in memory. Grids that cannot fit in the machine's memory are
// refused before anything is allocated, so that a huge grid never fills
// memory by halves.
int DiscreteModel::allocateGrid() {
  const int ni = tyre_.ni;
  const int nj = tyre_.nj;
  const std::int64_t rows = static_cast<std::int64_t>(ni) + 1;
  const std::int64_t columns = static_cast<std::int64_t>(nj) + 1;
  const auto points = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(columns);
  // Per point the contact measure, the scratch and the trace; per row ymax,
  // ymin, the row state and the scratch; per column xhalf and the scratch.
  // With int grid counts there are at most 2^62 points: no count overflows.
  const std::uint64_t values = points * (1u + SweepScratch::kPerPoint + DiscreteTrace::kPerPoint) +
                               static_cast<std::uint64_t>(rows) * (2u + SweepScratch::kPerRow) +
                               static_cast<std::uint64_t>(columns) * (1u + SweepScratch::kPerColumn);
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(rows) * sizeof(RowState);
  const std::uint64_t memory = physicalMemoryBytes();
  const bool fits = rowBytes <= memory && values <= (memory - rowBytes) / sizeof(double);
  const bool indexable = rows <= std::numeric_limits<int>::max() && columns <= std::numeric_limits<int>::max();
  if (!indexable || !fits) {
    say("%s", msg::kNoSpaceForGrid);
    return kNoSpaceForGrid;
  }
  // A grid that fits may still take minutes an evaluation and write a trace
  // of gigabytes: beyond the limit it is refused as well.
  if (points > static_cast<std::uint64_t>(kMaxGridPoints)) {
    say(msg::kGridTooLarge, ni, nj, static_cast<long long>(points), kMaxGridPoints);
    return kGridTooLarge;
  }

  const auto rowCount = static_cast<std::uint64_t>(rows);
  if (!allocateZeros(patch_.ymax, rowCount)) return kNoSpaceForRowBounds;
  if (!allocateZeros(patch_.ymin, rowCount)) return kNoSpaceForRowMinima;
  if (!allocateZeros(patch_.xhalf, static_cast<std::uint64_t>(columns))) return kNoSpaceForColumns;
  if (!allocateZeros(patch_.gap, points) || !allocateZeros(rows_, rowCount) ||
      !allocateScratch(scratch_, rowCount, static_cast<std::uint64_t>(columns)) || !allocateTrace(trace_, points)) {
    say("%s", msg::kNoSpaceForGrid);
    return kNoSpaceForGrid;
  }
  patch_.gridRows = static_cast<int>(rows);
  patch_.gridColumns = static_cast<int>(columns);
  return kDiscreteReady;
}

int DiscreteModel::refresh(const ParameterSet& parameters) {
  tyre_.take(parameters);
  // The grid stays as set up; finer grid counts cannot reach it.
  if (tyre_.ni > patch_.gridRows - 1) tyre_.ni = patch_.gridRows - 1;
  if (tyre_.nj > patch_.gridColumns - 1) tyre_.nj = patch_.gridColumns - 1;
  return 0;
}

void DiscreteModel::release() {
  if (draw3d_ == 1 && traceFile_ != nullptr) std::fflush(traceFile_);
  traceFile_ = nullptr;
  freeGrid();
}

void DiscreteModel::freeGrid() {
  std::vector<double>().swap(patch_.ymax);
  std::vector<double>().swap(patch_.ymin);
  std::vector<double>().swap(patch_.xhalf);
  std::vector<double>().swap(patch_.gap);
  std::vector<RowState>().swap(rows_);
  scratch_.release();
  trace_.release();
  patch_.gridRows = 0;
  patch_.gridColumns = 0;
}

}  // namespace grip
