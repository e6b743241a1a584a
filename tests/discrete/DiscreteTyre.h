#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/ParameterSet.h"
#include "core/TextFile.h"
#include "discrete/DiscreteModel.h"

namespace grip::test {

/// A passenger-car tyre on a 20 x 20 grid: no offsets, no load dependence of
/// the friction (mueFz 0), equal friction on both sides, crown Ry 110, ny 6.
inline ParameterSet discreteTyre() {
  ParameterSet p{};
  p[par::cx0] = 0.06;
  p[par::cx1] = 1e-6;
  p[par::cy0] = 0.045;
  p[par::cy1] = -1e-7;
  p[par::mue0] = 1.05;
  p[par::muexy] = 1.0;
  p[par::Vmuexy] = 1.0;
  for (std::size_t k = par::mue1xp; k <= par::cmueyn; k += 2) p[k] = 0.85;
  for (std::size_t k = par::cmuexp; k <= par::cmueyn; k += 2) p[k] = 3000.0;
  p[par::vslide] = 20.0;
  p[par::pin] = 0.2;
  p[par::Fzbar] = 4000.0;
  p[par::MzScaleP] = 1.0;
  p[par::MzScaleN] = 1.0;
  p[par::cR] = 250.0;
  p[par::R] = 310.0;
  p[par::Ry] = 110.0;
  p[par::ni] = 20.0;
  p[par::nj] = 20.0;
  p[par::ny] = 6.0;
  p[par::sliding] = 1.0;
  p[par::pressure] = 1.0;
  return p;
}

/// Sets the model up and fails the test when that does not succeed.
inline void setUpOrFail(DiscreteModel& model, const ParameterSet& parameters) {
  ASSERT_EQ(model.setUp(parameters), 0);
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
  TyreForces forces;
  model.evaluate(point, forces);
  model.setTrace(0, nullptr);
  std::rewind(stream.get());
  std::string text;
  for (int c = std::fgetc(stream.get()); c != EOF; c = std::fgetc(stream.get())) text.push_back(static_cast<char>(c));
  return text;
}

/// Sum of the geometric loads of all grid points that the last evaluation swept.
inline double geometricLoadSum(const DiscreteModel& model) {
  double sum = 0.0;
  for (int j = 0; j <= model.nj; ++j)
    for (int i = 0; i <= model.ni; ++i)
      sum += geometricPressure(model.h - i * model.dx, model.b - j * model.dy, i, j, model);
  return sum;
}

}  // namespace grip::test

namespace grip::test {

/// The test tyre with a patch of exact binary numbers at a load of 3000 N:
/// R 325, cR 300 (deflection 10, h = 80) and pin 0.25 (b = 37.5).
inline ParameterSet exactPatchTyre() {
  ParameterSet p = discreteTyre();
  p[par::R] = 325.0;
  p[par::cR] = 300.0;
  p[par::pin] = 0.25;
  return p;
}

}  // namespace grip::test
