#pragma once

#include <cstdio>

#include "OperatingPoint.h"
#include "ParameterSet.h"
#include "TyreForces.h"

namespace grip {

/// Size of the contact patch that the last evaluation left behind.
struct ContactPatch {
  double area = 0.0;  ///< loaded contact area [mm^2]
  double h = 0.0;     ///< contact half length [mm]
  double b = 0.0;     ///< contact half width [mm]
};

/// One model variant as the model object sees it. The continuous and the
/// discrete brush model implement it; the model object owns one of each.
class TyreVariant {
 public:
  virtual ~TyreVariant() = default;

  /// Takes the parameter set and prepares the variant; may allocate.
  /// Returns 0, or a positive set-up code when it cannot be prepared.
  virtual int setUp(const ParameterSet& parameters) = 0;

  /// Takes a changed parameter set into a variant that is set up, without
  /// allocating anything; the fit does this before every objective evaluation.
  /// Returns 0.
  virtual int refresh(const ParameterSet& parameters) = 0;

  /// Forces of one operating point. Needs a successful setUp.
  virtual void evaluate(const OperatingPoint& input, TyreForces& forces) = 0;

  /// The contact patch as the last evaluation left it.
  virtual ContactPatch contactPatch() const = 0;

  /// Trace flag (1 writes a per-point trace and sums the contact area) and
  /// the stream the trace goes to, which stays the caller's. Only the
  /// discrete model has a trace.
  virtual void setTrace(int /*flag*/, std::FILE* /*stream*/) {}
};

}  // namespace grip
