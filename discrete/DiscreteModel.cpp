// Set-up of the discrete model: parameters, grid storage and speed table.

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

}  // namespace

void DiscreteModel::copyParameters(const ParameterSet& given) {
  const ParameterSet p = usedValues(description(), given);  // magnitudes and whole numbers as described
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
}

int DiscreteModel::setUp(const ParameterSet& parameters) {
  copyParameters(parameters);
  draw3d = truncateToInt(parameters[par::draw3d]);
  ntab = kSpeedTableLength;

  // The grid of an earlier set-up goes first, also when this one fails.
  freeGrid();
  bool countsOk = true;
  if (ni < 1) {
    say(msg::kGridCountBelowOne, "ni", ni, parameters[par::ni]);
    countsOk = false;
  }
  if (nj < 1) {
    say(msg::kGridCountBelowOne, "nj", nj, parameters[par::nj]);
    countsOk = false;
  }
  if (!countsOk) return kGridCountBelowOne;

  const int code = allocateGrid();
  if (code != kDiscreteReady) {
    freeGrid();
    return code;
  }
  buildFrictionTables();
  return kDiscreteReady;
}

// Sizes in 64 bits: (ni + 1) * (nj + 1) overflows an int long before it
// stops fitting in memory. Grids that cannot fit in the machine's memory are
// refused before anything is allocated, so that a huge grid never fills
// memory by halves.
int DiscreteModel::allocateGrid() {
  const std::int64_t rows = static_cast<std::int64_t>(ni) + 1;
  const std::int64_t columns = static_cast<std::int64_t>(nj) + 1;
  const auto points = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(columns);
  // Per point the contact measure and the scratch; per row ymax, ymin, the
  // row state and the scratch; per column xhalf and the scratch. With int
  // grid counts there are at most 2^62 points: no count overflows.
  const std::uint64_t values = points * (1u + SweepScratch::kPerPoint) +
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
  if (!allocateZeros(ymax, rowCount)) return kNoSpaceForRowBounds;
  if (!allocateZeros(ymin, rowCount)) return kNoSpaceForRowMinima;
  if (!allocateZeros(xhalf, static_cast<std::uint64_t>(columns))) return kNoSpaceForColumns;
  if (!allocateZeros(gap, points) || !allocateZeros(rows_, rowCount) ||
      !allocateScratch(scratch_, rowCount, static_cast<std::uint64_t>(columns))) {
    say("%s", msg::kNoSpaceForGrid);
    return kNoSpaceForGrid;
  }
  gridRows_ = static_cast<int>(rows);
  gridColumns_ = static_cast<int>(columns);
  return kDiscreteReady;
}

int DiscreteModel::refreshDiscreteModel(const ParameterSet& parameters) {
  copyParameters(parameters);
  // The grid stays as set up; finer grid counts cannot reach it.
  if (ni > gridRows_ - 1) ni = gridRows_ - 1;
  if (nj > gridColumns_ - 1) nj = gridColumns_ - 1;
  buildFrictionTables();
  return 0;
}

void DiscreteModel::buildFrictionTables() {
  vtab[0] = vslide;
  for (std::size_t k = 1; k < vtab.size(); ++k) vtab[k] = vtab[k - 1] * 10.0;
  mutab = {std::fabs(mue1xp), std::fabs(cmuexp), std::fabs(mue1xn),
           std::fabs(cmuexn), std::fabs(mue1yp), std::fabs(cmueyp)};
  frica0 = mue1yn;
  frica1 = cmueyn;
}

void DiscreteModel::release() {
  if (draw3d == 1 && traceFile != nullptr) std::fflush(traceFile);
  traceFile = nullptr;
  freeGrid();
}

void DiscreteModel::freeGrid() {
  std::vector<double>().swap(ymax);
  std::vector<double>().swap(ymin);
  std::vector<double>().swap(xhalf);
  std::vector<double>().swap(gap);
  std::vector<RowState>().swap(rows_);
  scratch_.release();
  gridRows_ = 0;
  gridColumns_ = 0;
}

}  // namespace grip
