#pragma once

#include <cstddef>
#include <cstdio>

#include "Batch.h"
#include "OperatingPoint.h"
#include "ParameterSet.h"
#include "TyreForces.h"
#include "VariantDescription.h"

namespace grip {

/// Size of the contact patch that the last evaluation left behind.
struct ContactPatch {
  double area = 0.0;  ///< loaded contact area [mm^2]
  double h = 0.0;     ///< contact half length [mm]
  double b = 0.0;     ///< contact half width [mm]
};

/// One model variant as the model object sees it. The continuous and the
/// discrete brush model implement it; the model object owns the variants
/// that its factory hands it.
/// A variant describes its parameters and search defaults itself
/// (description()); what the model object and the fit know of a variant's
/// rules they read there.
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

  /// Forces of many operating points; out is as long as in. The contact
  /// patch is left as the last point's evaluation leaves it. The default
  /// evaluates point by point; a variant may override it with a kernel that
  /// gives the same forces. Allocates nothing.
  virtual void evaluate(const OperatingColumns& in, const ForceColumns& out) {
    OperatingPoint point;
    TyreForces forces;
    for (std::size_t k = 0; k < in.size(); ++k) {
      point = {in.longitudinalSlip[k], in.slipAngle[k], in.camber[k], in.verticalLoad[k], in.speed[k]};
      evaluate(point, forces);
      out.Fx[k] = forces.Fx;
      out.Fy[k] = forces.Fy;
      out.Mz[k] = forces.Mz;
    }
  }

  /// The contact patch as the last evaluation left it.
  virtual ContactPatch contactPatch() const = 0;

  /// The variant's description of its parameters and search defaults: a
  /// constant that outlives every variant.
  virtual const VariantDescription& description() const = 0;

  /// Name under which parameter (an index below kParameterCount) is written
  /// back to a parameter file; a variant may name a parameter after the
  /// meaning its own rules give it. The default is the description's name.
  virtual const char* parameterName(std::size_t parameter, const ParameterSet& /*parameters*/) const {
    return description().parameters[parameter].name;
  }

  /// True when parameter must keep the value it had at setUp: the variant
  /// sized something by it that refresh cannot change, so a fit must not
  /// vary it. As the description says.
  bool fixedAtSetUp(std::size_t parameter) const { return description().parameters[parameter].fixedAtSetUp; }

  /// Trace flag (1 writes a per-point trace and sums the contact area) and
  /// the stream the trace goes to, which stays the caller's. A variant
  /// without a trace ignores it.
  virtual void setTrace(int /*flag*/, std::FILE* /*stream*/) {}
};

}  // namespace grip
