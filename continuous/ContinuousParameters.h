#pragma once

#include "core/VariantDescription.h"

namespace grip {

/// The continuous brush model's description of itself. It reads 23 of the
/// 33 parameters: the discrete model's friction-law extras (muexy, Vmuexy,
/// vslide), its crown, its grid and its switches do not enter it. The
/// friction values are used as magnitudes. The recommended bounds are those
/// of the passenger-tyre example (examples/fit/passenger/DesignStart.dat).
///
/// A constant in the header, so that setUp's use of it folds into the copy.
inline constexpr VariantDescription kContinuousDescription = {
    "continuous",
    {{
        {.name = "cx0", .unit = "N/mm^3", .read = true, .bounds = {0.02, 0.2}},
        {.name = "cx1", .unit = "1/mm^3", .read = true, .bounds = {-3e-5, 3e-5}},
        {.name = "cy0", .unit = "N/mm^3", .read = true, .bounds = {0.01, 0.12}},
        {.name = "cy1", .unit = "1/mm^3", .read = true, .bounds = {-3e-5, 3e-5}},
        {.name = "sx0", .unit = "-", .read = true, .bounds = {-0.02, 0.02}},
        {.name = "sy0", .unit = "deg", .read = true, .bounds = {-1.0, 1.0}},
        // Added to the slip per N of load and, as the same number, to the
        // slip angle in degrees per N.
        {.name = "soff", .unit = "1/N", .read = true},
        {.name = "mue0", .unit = "-", .magnitude = true, .read = true, .bounds = {0.6, 1.6}},
        {.name = "muexy", .unit = "-"},
        {.name = "Vmuexy", .unit = "-"},
        {.name = "mue1xp", .unit = "-", .magnitude = true, .read = true, .bounds = {0.4, 1.5}},
        {.name = "cmuexp", .unit = "mm/s", .magnitude = true, .read = true, .bounds = {300.0, 20000.0}},
        {.name = "mue1xn", .unit = "-", .magnitude = true, .read = true, .bounds = {0.4, 1.5}},
        {.name = "cmuexn", .unit = "mm/s", .magnitude = true, .read = true, .bounds = {300.0, 20000.0}},
        {.name = "mue1yp", .unit = "-", .magnitude = true, .read = true, .bounds = {0.4, 1.5}},
        {.name = "cmueyp", .unit = "mm/s", .magnitude = true, .read = true, .bounds = {300.0, 20000.0}},
        {.name = "mue1yn", .unit = "-", .magnitude = true, .read = true, .bounds = {0.4, 1.5}},
        {.name = "cmueyn", .unit = "mm/s", .magnitude = true, .read = true, .bounds = {300.0, 20000.0}},
        {.name = "mueFz", .unit = "1/N", .read = true, .bounds = {-1.5e-4, 1.5e-4}},
        {.name = "vslide", .unit = "mm/s"},
        // Not recommended as a design variable: the forces depend on the
        // stiffnesses over pin alone, so that cx0, cy0, cy1 and pin trade
        // exactly and a free pin only adds a flat direction to the fit (on
        // the benchmark sets of examples/fit the fits with pin held reach
        // the same targets, within 0.0001 %-points, or lower).
        {.name = "pin", .unit = "N/mm^2", .read = true},
        {.name = "Fzbar", .unit = "N", .read = true},
        {.name = "MzScaleP", .unit = "-", .read = true, .bounds = {0.2, 4.0}},
        {.name = "MzScaleN", .unit = "-", .read = true, .bounds = {0.2, 4.0}},
        {.name = "cR", .unit = "N/mm", .read = true},
        {.name = "R", .unit = "mm", .read = true},
        {.name = "Ry", .unit = "mm"},
        // The file's counts and switches are whole numbers for every model;
        // this one reads none of them, and none can be a design variable.
        {.name = "ni", .unit = "-", .wholeNumber = true},
        {.name = "nj", .unit = "-", .wholeNumber = true},
        {.name = "ny", .unit = "-", .wholeNumber = true},
        {.name = "sliding", .unit = "-", .wholeNumber = true},
        {.name = "pressure", .unit = "-", .wholeNumber = true},
        {.name = "draw3d", .unit = "-", .wholeNumber = true},
    }},
    // Chosen on the five benchmark sets of examples/fit (README, "Which
    // method, measured"): the target is smooth enough for finite
    // differences, and slsqp from half the design count in starts (4 to 12)
    // with 300 evaluations per design variable and start came within 0.05
    // %-points of the best that ten times the budget found on every set
    // (an evaluation over 405 points costs some 4 us); the portfolio gained
    // nothing here.
    {.method = "slsqp", .fewestStarts = 4, .mostStarts = 12, .designVariablesPerStart = 2,
     .evaluationsPerVariable = 300},
};

}  // namespace grip
