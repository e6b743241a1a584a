#pragma once

#include <cstdio>
#include <string>

#include "core/ParameterSet.h"
#include "core/TextFile.h"
#include "discrete/DiscreteModel.h"

namespace grip::test {

/// A passenger-car tyre on a 20 x 20 grid: no offsets, no load dependence of
/// the friction (mueFz 0), equal friction on both sides, crown Ry 110, ny 6.
inline ParameterSet discreteTyre(int sliding = 1, int pressure = 1) {
  ParameterSet p{};
  p[par::cx0] = 0.06;
  p[par::cx1] = 1e-6;
  p[par::cy0] = 0.045;
  p[par::cy1] = -1e-7;
  p[par::mue0] = 1.05;
  p[par::muexy] = p[par::Vmuexy] = 1.0;
  for (std::size_t k = par::mue1xp; k <= par::cmueyn; k += 2) p[k] = 0.85;
  for (std::size_t k = par::cmuexp; k <= par::cmueyn; k += 2) p[k] = 3000.0;
  p[par::vslide] = 20.0;
  p[par::pin] = 0.2;
  p[par::Fzbar] = 4000.0;
  p[par::MzScaleP] = p[par::MzScaleN] = 1.0;
  p[par::cR] = 250.0;
  p[par::R] = 310.0;
  p[par::Ry] = 110.0;
  p[par::ni] = p[par::nj] = 20.0;
  p[par::ny] = 6.0;
  p[par::sliding] = sliding;
  p[par::pressure] = pressure;
  return p;
}

/// Forces of one evaluation, starting from values that show what was not written.
inline TyreForces evaluate(DiscreteModel& model, const OperatingPoint& point) {
  TyreForces forces{-1.0, -1.0, -1.0};
  model.evaluate(point, forces);
  return forces;
}

/// Evaluates with the trace on into a temporary stream and returns its text.
inline std::string traceOf(DiscreteModel& model, const OperatingPoint& point) {
  TextFile stream(std::tmpfile());
  if (!stream) return "no temporary stream";
  model.setTrace(1, stream.get());
  evaluate(model, point);
  model.setTrace(0, nullptr);
  std::string text(static_cast<std::size_t>(std::ftell(stream.get())), '\0');
  std::rewind(stream.get());
  text.resize(std::fread(text.data(), 1, text.size(), stream.get()));
  return text;
}

}  // namespace grip::test
