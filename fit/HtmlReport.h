#pragma once

#include <span>
#include <string>

#include "fit/DesignState.h"
#include "fit/Report.h"
#include "fit/SweepCurve.h"
#include "fit/Uncertainty.h"

namespace grip {

/// The report of a fit as one self-contained HTML page (UTF-8; no script,
/// no font and nothing from the network; figures as inline SVG): per sweep
/// the measured points, the model at the sweep's mean operating point and
/// the residuals; the stiffnesses at zero and the peak friction against the
/// load, measured and modelled; the design variables with their bounds and
/// intervals; the search and its messages. The numbers are written whatever
/// the locale. The target and each design value also stand in a data-value
/// attribute with all their digits (id "target", rows of class "design").
/// The state (initialised, holding the report's design) is only read.
std::string reportHtml(const DesignState& state, const FitReport& report);

/// The same with the design's uncertainty given (nullptr: no interval
/// column). The two-argument form takes the report's own uncertainty.
std::string reportHtml(const DesignState& state, const FitReport& report, const DesignUncertainty* uncertainty);

/// The page of the report's own uncertainty over sweeps worked out before
/// (sweepCurves of the report's design), for a host that keeps them too.
std::string reportHtml(const DesignState& state, const FitReport& report, std::span<const SweepCurve> sweeps);

}  // namespace grip
