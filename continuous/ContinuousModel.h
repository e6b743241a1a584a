#pragma once

#include <cmath>

#include "core/TyreVariant.h"

namespace grip {

/// Closed-form brush model over a rectangular contact patch with a parabolic
/// pressure distribution along its length, split into an adhesion zone at the
/// leading part and a sliding zone behind it.
///
/// setUp copies the parameters it needs as its description says it uses
/// them (friction values as magnitudes);
/// evaluate leaves Fz, mue0Fz, h and b behind for the contact-area query.
/// Camber and vslide have no effect on this model.
class ContinuousModel final : public TyreVariant {
 public:
  int setUp(const ParameterSet& parameters) override;
  int refresh(const ParameterSet& parameters) override { return setUp(parameters); }
  using TyreVariant::evaluate;
  void evaluate(const OperatingPoint& input, TyreForces& forces) override;
  /// The same forces, a vector of points at a time (ContinuousBatch.cpp);
  /// they agree with the point-by-point results to a few units in the last
  /// place. Leaves Fz, mue0Fz, h and b as the last point does. Columns of
  /// unequal length are taken as far as the shortest reaches.
  void evaluate(const OperatingColumns& in, const ForceColumns& out) override;
  /// Name of the instruction set the batch evaluation runs on, chosen at run
  /// time from what the CPU supports (e.g. "AVX2").
  static const char* batchTarget();
  ContactPatch contactPatch() const override { return {h * b, h, b}; }
  /// kContinuousDescription (ContinuousParameters.h).
  const VariantDescription& description() const override;

  double cx0 = 0.0;     ///< base longitudinal stiffness [N/mm^3]
  double cx1 = 0.0;     ///< load coefficient of the longitudinal stiffness [1/mm^3]
  double cy0 = 0.0;     ///< base lateral stiffness [N/mm^3]
  double cy1 = 0.0;     ///< load coefficient of the lateral stiffness [1/mm^3]
  double soff = 0.0;    ///< load coefficient of the slip and slip-angle offset [-]
  double Fz = 0.0;      ///< vertical load of the latest evaluation [N]
  double mue0Fz = 0.0;  ///< static friction coefficient at that load [-]
  double h = 0.0;       ///< contact half length [mm]
  double b = 0.0;       ///< contact half width [mm]
  double sx0 = 0.0;     ///< constant slip offset [-]
  double sy0 = 0.0;     ///< constant slip-angle offset [deg]
  double mueFz = 0.0;   ///< load coefficient of all friction values [-]
  double mue1xp = 0.0;  ///< sliding friction, positive longitudinal slip [-]
  double cmuexp = 0.0;  ///< decay constant, positive longitudinal slip [mm/s]
  double mue1xn = 0.0;  ///< sliding friction, negative longitudinal slip [-]
  double cmuexn = 0.0;  ///< decay constant, negative longitudinal slip [mm/s]
  double mue1yp = 0.0;  ///< sliding friction, positive slip angle [-]
  double cmueyp = 0.0;  ///< decay constant, positive slip angle [mm/s]
  double mue1yn = 0.0;  ///< sliding friction, negative slip angle [-]
  double cmueyn = 0.0;  ///< decay constant, negative slip angle [mm/s]
  double pi = 4.0 * std::atan(1.0);
  double cR = 0.0;        ///< radial tyre stiffness [N/mm]
  double R = 0.0;         ///< tyre radius [mm]
  double mue0 = 0.0;      ///< static friction coefficient at the reference load [-]
  double pin = 0.0;       ///< mean contact pressure [N/mm^2]
  double Fzbar = 0.0;     ///< reference vertical load [N]
  double vslide = 0.0;    ///< sliding speed parameter, held but not used [mm/s]
  double MzScaleP = 0.0;  ///< aligning-moment factor for a positive slip angle [-]
  double MzScaleN = 0.0;  ///< aligning-moment factor for a negative slip angle [-]
};

}  // namespace grip
