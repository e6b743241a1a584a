#include "rig/SignConvention.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "rig/RigRun.h"

namespace grip {
namespace {

/// The factor from convention into ours. Ours has x forward, y to the
/// right, z up (the sweep frame of the discrete model turned so that x is
/// forward), so that Fy and Mz have the sign of the slip angle and a
/// positive camber leans the top of the wheel towards +y, where its camber
/// force points. Against ISO 8855 only Fy turns round (y points the other
/// way; slip angle, camber and Mz are ISO's, being taken about the same
/// axes); against SAE J670 the slip angle, Fz and Mz turn round (z points
/// the other way). Slip ratio, Fx and camber agree in all three; so does Mx,
/// taken about the forward x of all three.
double factorIntoOurs(Quantity quantity, SignConvention convention) {
  switch (convention) {
    case SignConvention::Ours: return 1.0;
    case SignConvention::Iso8855: return quantity == Quantity::Fy ? -1.0 : 1.0;
    case SignConvention::SaeJ670:
      return quantity == Quantity::SlipAngle || quantity == Quantity::Fz || quantity == Quantity::Mz ? -1.0 : 1.0;
  }
  return 1.0;
}

}  // namespace

std::optional<SignConvention> signConventionFromName(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "ours") return SignConvention::Ours;
  if (lower == "iso" || lower == "iso8855" || lower == "tydex") return SignConvention::Iso8855;
  if (lower == "sae" || lower == "saej670") return SignConvention::SaeJ670;
  return std::nullopt;
}

std::string_view signConventionName(SignConvention convention) {
  switch (convention) {
    case SignConvention::Ours: return "ours";
    case SignConvention::Iso8855: return "iso8855";
    case SignConvention::SaeJ670: return "saej670";
  }
  return "ours";
}

double signFactor(Quantity quantity, SignConvention from, SignConvention to) {
  // Every factor is +1 or -1, its own inverse.
  return factorIntoOurs(quantity, from) * factorIntoOurs(quantity, to);
}

void changeSignConvention(RigRun& run, SignConvention to) {
  for (Channel& channel : run.channels) {
    const double factor = signFactor(channel.quantity, run.convention, to);
    if (factor == 1.0) continue;
    for (double& value : channel.values) value = -value;
  }
  run.convention = to;
}

}  // namespace grip
