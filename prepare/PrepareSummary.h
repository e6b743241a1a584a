#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "prepare/Sweep.h"

namespace grip {

/// What a stretch of a run was taken for when it was cut.
enum class PieceKind {
  sweep,       ///< a sweep, in the target
  leftOut,     ///< a sweep left out of the target (a camber the model has no thrust for)
  warmUp,      ///< no slip swept: a warm-up or a hold
  heldAtZero,  ///< slip held at zero before a sweep
  transition,  ///< steady for less than the least duration: a load or camber ramp
  combined,    ///< slip angle and slip ratio swept together
  lifted,      ///< a load below the lifted load: the tyre off the drum
};

/// One stretch of a run as the cutting saw it, for the picture of the
/// segmentation: samples [begin, end) of the run of that file.
struct RunPiece {
  std::string file;   ///< RigRun::fileName
  std::size_t begin = 0;
  std::size_t end = 0;
  PieceKind kind = PieceKind::sweep;
  std::string sweep;  ///< the sweep's measurement file name; "" for a piece dropped
};

/// What a preparation found and did: the sweeps, each piece dropped and
/// why, each failed check, and the tyre values derived from the data.
struct PrepareSummary {
  std::vector<Sweep> sweeps;
  std::vector<std::string> dropped;   ///< one line per piece not used
  std::vector<std::string> failures;  ///< failed checks: file, channel, likely cause
  std::vector<std::string> notes;     ///< the conventions read, the start values and where they came from
  /// The prepared set, name and text, in the order it is written (empty when refused).
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<RunPiece> pieces;       ///< every sweep and piece dropped, run after run in time order
  std::string picture;                ///< the picture of the pieces written with the files; "" when none
  std::string pictureFault;           ///< why there is no picture ("" when drawn or not asked for)
  bool prepared = false;              ///< files written
  int exitStatus = 0;                 ///< 0 prepared, 1 options, 2 files refused or a check failed
};

}  // namespace grip
