#pragma once

#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fit/DesignState.h"

namespace grip {

/// How the uncertainty of a fitted design is judged. Zero steps mean
/// "choose by the model".
struct UncertaintyOptions {
  /// Finite-difference step of the Jacobian as a share of each bound range;
  /// 0: kContinuousStep or kDiscreteStep by the state's model type.
  double relativeStep = 0.0;
  /// A 95 % interval wider than this share of its bound range is not
  /// determined by the data.
  double intervalShare = 0.5;
  /// Design variables whose estimates correlate beyond this are not told apart.
  double correlationLimit = 0.95;
  /// A direction of the normalised J^T J whose eigenvalue is below this
  /// share of the largest is near singular: its variables nearly trade
  /// against each other.
  double nearSingular = 1e-4;
  /// The design minimises the sum of |residuals|, as gripfit's search does:
  /// for Gaussian errors such an estimate scatters sqrt(pi/2) times as much
  /// as a least-squares one, so the variances are multiplied by pi/2. False
  /// for a least-squares fit (an optimiser of the plug-in's residuals).
  bool absoluteErrors = true;
};

/// Steps for the Jacobian as a share of the bound range. The continuous
/// model is smooth (but where the whole patch slides): central differences
/// with about the cube root of the double precision. The discrete model's
/// residuals change in steps as grid points enter and leave sliding. At 1e-5
/// of the range a difference mostly sees the smooth slope between two
/// steps, along which the forces depend on the stiffnesses only over pin (on
/// the passenger example cx0, cy0, cy1 and pin then trade exactly, as in the
/// continuous model); at 1e-3 a column still changes by 10-25 % when its
/// centre moves by a third of the step; from about 3e-3 on that change
/// settles near 5 %, whether the slope is taken through 2 or 16 points.
/// 1e-2 keeps a margin; the smooth columns' curvature costs about 2.5 % there.
inline constexpr double kContinuousStep = 1e-5;
inline constexpr double kDiscreteStep = 1e-2;

/// What the data say about one design variable.
struct VariableUncertainty {
  std::string name;           ///< as the selected variant names it
  std::size_t parameter = 0;  ///< position in the parameter set
  double value = 0.0;         ///< fitted value [its unit]
  double lower = 0.0, upper = 0.0;  ///< design bounds [its unit]
  /// Standard error [its unit]; not a number on a bound or without effect,
  /// infinite along a singular direction.
  double standardError = 0.0;
  /// 95 % interval value -/+ t * standardError [its unit], not clipped to the
  /// bounds; not a number where there is no standard error.
  double low95 = 0.0, high95 = 0.0;
  bool determined = false;  ///< the data pin it down
  int boundFlag = 0;        ///< -1 on its lower bound, 1 on its upper, 0 within (1e-6 of the range counts as on)
  std::string reason;       ///< why not determined; empty when determined
};

/// The uncertainty of a fitted design: per design variable, the correlations
/// of the variables within their bounds and the messages on what the data
/// do not determine.
struct DesignUncertainty {
  std::vector<VariableUncertainty> variables;  ///< in design order
  /// Estimates' correlations of the variables in the covariance (within
  /// their bounds and with an effect on the residuals), row after row.
  std::vector<std::string> correlationNames;
  std::vector<double> correlation;
  /// One message per variable or group of variables not determined, naming
  /// them and the data that would pin them down.
  std::vector<std::string> undetermined;
  int residualCount = 0;     ///< m
  int degreesOfFreedom = 0;  ///< m minus the rank of the Jacobian
  double residualSpread = 0.0;  ///< s = sqrt(RSS / (m - rank)), of the residuals [%]
  double step = 0.0;            ///< finite-difference step used, share of the bound range
  long evaluations = 0;         ///< residual evaluations for the Jacobian
  double seconds = 0.0;
  std::string fault;  ///< why nothing could be computed; empty when computed
};

/// The uncertainty of design (state.designCount values, within the bounds)
/// of an initialised state, from the residuals' Jacobian there: covariance
/// s^2 (J^T J)^+ in coordinates scaled to the bounds (times pi/2 for a fit
/// of absolute errors). Uses a model of its own: the state is only read.
/// Prints nothing; a failure is told by fault.
DesignUncertainty designUncertainty(const DesignState& state, std::span<const double> design,
                                    const UncertaintyOptions& options = {});

/// Two-sided 95 % quantile of Student's t for degrees of freedom (1 or more):
/// 12.706 for 1, 1.960 in the limit.
double studentT95(int degreesOfFreedom);

/// Columns to append to the report's design table: the header's first, then
/// the columns of each design variable's line, each without a line end.
std::vector<std::string> uncertaintyColumns(const DesignUncertainty& uncertainty);

/// Lines to follow the design table, each with its line end: the messages
/// on what is not determined (or "determined: all") and the correlations.
std::vector<std::string> uncertaintyNotes(const DesignUncertainty& uncertainty);

/// The pieces of FitReport.json: "design" (one object per design variable
/// with "name", "standard_error", "interval95" [low, high] and "determined";
/// null for a number that is not finite) and "correlation" ({"names": [...],
/// "matrix": [[...]]}), "undetermined" (the messages) and "residual_spread".
nlohmann::json uncertaintyJson(const DesignUncertainty& uncertainty);

}  // namespace grip
