#pragma once

#include <optional>
#include <string_view>

#include "rig/Quantity.h"

namespace grip {

struct RigRun;

/// The axes and signs a rig file is written in. A file's convention is
/// declared by its format or its caller, never guessed from the data.
enum class SignConvention {
  Ours,     ///< this system's own: Fy and Mz with the sign of the slip angle, Fz > 0 under load
  Iso8855,  ///< x forward, y left, z up (also the W-axis system of TYDEX)
  SaeJ670,  ///< x forward, y right, z down: Fz < 0 under load
};

/// "ours", "iso" ("iso8855", "tydex"), "sae" ("saej670"), in any case.
std::optional<SignConvention> signConventionFromName(std::string_view name);
std::string_view signConventionName(SignConvention convention);

/// The factor (+1 or -1) that turns a value of quantity in convention from
/// into the same physical value in convention to.
double signFactor(Quantity quantity, SignConvention from, SignConvention to);

/// Turns every channel of run from run.convention into to, and records it.
void changeSignConvention(RigRun& run, SignConvention to);

}  // namespace grip
