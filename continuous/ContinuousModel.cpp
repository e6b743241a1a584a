#include "ContinuousModel.h"

#include <cmath>

#include "continuous/ContinuousParameters.h"

namespace grip {

int ContinuousModel::setUp(const ParameterSet& p) {
  // Each value as the description says the model uses it (the friction
  // values as magnitudes); the constant description folds away.
  const auto used = [&p](std::size_t parameter) { return usedValue(kContinuousDescription, p, parameter); };
  cx0 = used(par::cx0);
  cx1 = used(par::cx1);
  cy0 = used(par::cy0);
  cy1 = used(par::cy1);
  soff = used(par::soff);
  sx0 = used(par::sx0);
  sy0 = used(par::sy0);
  mueFz = used(par::mueFz);
  mue1xp = used(par::mue1xp);
  cmuexp = used(par::cmuexp);
  mue1xn = used(par::mue1xn);
  cmuexn = used(par::cmuexn);
  mue1yp = used(par::mue1yp);
  cmueyp = used(par::cmueyp);
  mue1yn = used(par::mue1yn);
  cmueyn = used(par::cmueyn);
  cR = used(par::cR);
  R = used(par::R);
  mue0 = used(par::mue0);
  pin = used(par::pin);
  Fzbar = used(par::Fzbar);
  vslide = used(par::vslide);
  MzScaleP = used(par::MzScaleP);
  MzScaleN = used(par::MzScaleN);
  return 0;
}

const VariantDescription& ContinuousModel::description() const { return kContinuousDescription; }

void ContinuousModel::evaluate(const OperatingPoint& input, TyreForces& forces) {
  Fz = input.verticalLoad;
  if (Fz == 0.0) {
    forces = TyreForces{};
    return;
  }
  const double dF = Fzbar - Fz;

  // Stiffnesses grow with the load; the factor is 1 + dF, not dF alone.
  const double kx = cx0 + cx1 * (1.0 + dF);
  const double ky = cy0 + cy1 * (1.0 + dF);

  // Slip and slip angle carry the same load-dependent offset; the lateral
  // slip is the tangent of the total slip angle.
  const double sx = input.longitudinalSlip + sx0 + dF * soff;
  const double T = std::tan((input.slipAngle + sy0 + dF * soff) * pi / 180.0);

  // A slip or tangent of exactly 0 takes the negative-side pair.
  const double m1x = sx > 0.0 ? mue1xp : mue1xn;
  const double cmx = sx > 0.0 ? cmuexp : cmuexn;
  const double m1y = T > 0.0 ? mue1yp : mue1yn;
  const double cmy = T > 0.0 ? cmueyp : cmueyn;

  const double g = 1.0 + dF * mueFz;  // load factor of all friction values
  mue0Fz = g * mue0;

  double S = std::sqrt(sx * sx + T * T);
  if (std::fabs(T) < 1e-9 && std::fabs(sx) < 1e-9) S = 1.0;
  const double ex = sx / S;
  const double ey = T / S;

  // Friction decays with the sliding speed from the static to the sliding value.
  const double vs = std::fabs(S * input.speed);
  const double mux = mue0Fz + (std::exp(-vs / (cmx * g)) - 1.0) * (mue0Fz - m1x * g);
  const double muy = mue0Fz + (std::exp(-vs / (cmy * g)) - 1.0) * (mue0Fz - m1y * g);

  // Contact patch of the flattened tyre; parabolic pressure with its peak at
  // 1.5 times the mean.
  const double d = Fz / cR;
  h = std::sqrt(R * R - (R - d) * (R - d));
  b = Fz / (4.0 * pin * h);
  const double pmax = pin * 3.0 * 0.5;

  // Transition from sliding [-h, X] to adhesion [X, h]; no lower clamp.
  const double Q = std::sqrt((ky * T) * (ky * T) + (kx * sx) * (kx * sx));
  double X = Q * h * h / (pmax * mue0Fz) - h;
  if (X > h) X = h;

  const double hX2 = (h + X) * (h + X);
  const double Xh2 = (X - h) * (X - h);
  const double sliding = 2.0 * b * pmax * hX2 * (2.0 * h - X) / (3.0 * h * h);
  forces.Fx = sliding * mux * ex + b * kx * sx * Xh2;
  forces.Fy = sliding * muy * ey + b * ky * T * Xh2;

  const double M = b * ky * T * Xh2 * (2.0 * X + h) / 3.0 - hX2 * Xh2 * pmax * b * ey * muy / (2.0 * h * h);
  forces.Mz = T > 0.0 ? -M * MzScaleP : -M * MzScaleN;
}

}  // namespace grip
