// Batch evaluation of the continuous model: the formulas of
// ContinuousModel::evaluate, a vector of operating points at a time, with
// every branch of the scalar code taken as a lane mask. The kernel is
// compiled once per instruction set and the best one the CPU supports is
// chosen at run time.
//
// The arithmetic follows the scalar code operation by operation: the same
// order, division where it divides, and no fused multiply-add (a Mul then an
// Add, and the file is compiled with contraction off), so that everything but
// tan and exp rounds exactly as in the scalar code. tan and exp come from the
// vector math library, within a few units in the last place of std::tan and
// std::exp.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "continuous/ContinuousBatch.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>

#include "continuous/ContinuousModel.h"

// This file is read once per instruction set; what all of them share is
// defined on the first reading only.
#ifndef GRIP_CONTINUOUS_BATCH_SHARED
#define GRIP_CONTINUOUS_BATCH_SHARED
namespace grip {
/// Start of the input and output columns of a batch that the kernel reads
/// and writes (camber has no effect on this model).
struct BatchColumns {
  const double* sx;     ///< longitudinal slip [-]
  const double* alpha;  ///< slip angle [deg]
  const double* Fz;     ///< vertical load [N]
  const double* V;      ///< rolling speed [mm/s]
  double* Fx;           ///< longitudinal force [N]
  double* Fy;           ///< lateral force [N]
  double* Mz;           ///< aligning moment [N*mm]
};
}  // namespace grip
#endif

HWY_BEFORE_NAMESPACE();
namespace grip {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

/// Forces of Lanes(d) operating points; the record m only supplies parameters.
template <class D, class V = hn::Vec<D>>
HWY_INLINE void evaluateLanes(D d, const ContinuousModel& m, V sxIn, V alphaIn, V FzIn, V speed, V& FxOut, V& FyOut,
                              V& MzOut) {
  const V zero = hn::Zero(d);
  const V one = hn::Set(d, 1.0);
  const V two = hn::Set(d, 2.0);
  const V three = hn::Set(d, 3.0);

  // Zero load gives zero forces. Such lanes compute with a load of 1 N so
  // that no infinity or NaN runs through the vector math; the mask discards
  // what they give.
  const auto unloaded = hn::Eq(FzIn, zero);
  const V Fz = hn::IfThenElse(unloaded, one, FzIn);
  const V dF = hn::Sub(hn::Set(d, m.Fzbar), Fz);

  const V onePlusdF = hn::Add(one, dF);
  const V kx = hn::Add(hn::Set(d, m.cx0), hn::Mul(hn::Set(d, m.cx1), onePlusdF));
  const V ky = hn::Add(hn::Set(d, m.cy0), hn::Mul(hn::Set(d, m.cy1), onePlusdF));

  const V offset = hn::Mul(dF, hn::Set(d, m.soff));
  const V sx = hn::Add(hn::Add(sxIn, hn::Set(d, m.sx0)), offset);
  const V angle = hn::Div(hn::Mul(hn::Add(hn::Add(alphaIn, hn::Set(d, m.sy0)), offset), hn::Set(d, m.pi)),
                          hn::Set(d, 180.0));
  const V T = hn::Div(hn::Sin(d, angle), hn::Cos(d, angle));

  // A slip or tangent of exactly 0 takes the negative-side pair.
  const auto sxPositive = hn::Gt(sx, zero);
  const auto TPositive = hn::Gt(T, zero);
  const V m1x = hn::IfThenElse(sxPositive, hn::Set(d, m.mue1xp), hn::Set(d, m.mue1xn));
  const V cmx = hn::IfThenElse(sxPositive, hn::Set(d, m.cmuexp), hn::Set(d, m.cmuexn));
  const V m1y = hn::IfThenElse(TPositive, hn::Set(d, m.mue1yp), hn::Set(d, m.mue1yn));
  const V cmy = hn::IfThenElse(TPositive, hn::Set(d, m.cmueyp), hn::Set(d, m.cmueyn));

  const V g = hn::Add(one, hn::Mul(dF, hn::Set(d, m.mueFz)));
  const V mue0Fz = hn::Mul(g, hn::Set(d, m.mue0));

  const V tiny = hn::Set(d, 1e-9);
  const auto noSlip = hn::And(hn::Lt(hn::Abs(T), tiny), hn::Lt(hn::Abs(sx), tiny));
  const V S = hn::IfThenElse(noSlip, one, hn::Sqrt(hn::Add(hn::Mul(sx, sx), hn::Mul(T, T))));
  const V ex = hn::Div(sx, S);
  const V ey = hn::Div(T, S);

  const V vs = hn::Abs(hn::Mul(S, speed));
  const V decayX = hn::Sub(hn::Exp(d, hn::Neg(hn::Div(vs, hn::Mul(cmx, g)))), one);
  const V decayY = hn::Sub(hn::Exp(d, hn::Neg(hn::Div(vs, hn::Mul(cmy, g)))), one);
  const V mux = hn::Add(mue0Fz, hn::Mul(decayX, hn::Sub(mue0Fz, hn::Mul(m1x, g))));
  const V muy = hn::Add(mue0Fz, hn::Mul(decayY, hn::Sub(mue0Fz, hn::Mul(m1y, g))));

  const V R = hn::Set(d, m.R);
  const V deflection = hn::Div(Fz, hn::Set(d, m.cR));
  const V RMinusD = hn::Sub(R, deflection);
  const V h = hn::Sqrt(hn::Sub(hn::Mul(R, R), hn::Mul(RMinusD, RMinusD)));
  const V b = hn::Div(Fz, hn::Mul(hn::Set(d, 4.0 * m.pin), h));
  const double pmaxScalar = m.pin * 3.0 * 0.5;
  const V pmax = hn::Set(d, pmaxScalar);

  const V kyT = hn::Mul(ky, T);
  const V kxsx = hn::Mul(kx, sx);
  const V Q = hn::Sqrt(hn::Add(hn::Mul(kyT, kyT), hn::Mul(kxsx, kxsx)));
  const V hh = hn::Mul(h, h);
  V X = hn::Sub(hn::Div(hn::Mul(hn::Mul(Q, h), h), hn::Mul(pmax, mue0Fz)), h);
  X = hn::IfThenElse(hn::Gt(X, h), h, X);

  const V hPlusX = hn::Add(h, X);
  const V XMinush = hn::Sub(X, h);
  const V hX2 = hn::Mul(hPlusX, hPlusX);
  const V Xh2 = hn::Mul(XMinush, XMinush);
  const V sliding = hn::Div(hn::Mul(hn::Mul(hn::Mul(hn::Mul(two, b), pmax), hX2), hn::Sub(hn::Mul(two, h), X)),
                            hn::Mul(hn::Mul(three, h), h));
  const V Fx = hn::Add(hn::Mul(hn::Mul(sliding, mux), ex), hn::Mul(hn::Mul(hn::Mul(b, kx), sx), Xh2));
  const V Fy = hn::Add(hn::Mul(hn::Mul(sliding, muy), ey), hn::Mul(hn::Mul(hn::Mul(b, ky), T), Xh2));

  const V adhesionMoment =
      hn::Div(hn::Mul(hn::Mul(hn::Mul(hn::Mul(b, ky), T), Xh2), hn::Add(hn::Mul(two, X), h)), three);
  const V slidingMoment = hn::Div(hn::Mul(hn::Mul(hn::Mul(hn::Mul(hn::Mul(hX2, Xh2), pmax), b), ey), muy),
                                  hn::Mul(two, hh));
  const V negM = hn::Neg(hn::Sub(adhesionMoment, slidingMoment));
  const V Mz = hn::Mul(negM, hn::IfThenElse(TPositive, hn::Set(d, m.MzScaleP), hn::Set(d, m.MzScaleN)));

  FxOut = hn::IfThenZeroElse(unloaded, Fx);
  FyOut = hn::IfThenZeroElse(unloaded, Fy);
  MzOut = hn::IfThenZeroElse(unloaded, Mz);
}

/// Forces of n operating points. A last part shorter than a vector is copied
/// into a padded vector, evaluated whole and copied out.
void evaluateColumns(const ContinuousModel& m, const BatchColumns& c, std::size_t n) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  V Fx, Fy, Mz;
  std::size_t k = 0;
  for (; k + lanes <= n; k += lanes) {
    evaluateLanes(d, m, hn::LoadU(d, c.sx + k), hn::LoadU(d, c.alpha + k), hn::LoadU(d, c.Fz + k),
                  hn::LoadU(d, c.V + k), Fx, Fy, Mz);
    hn::StoreU(Fx, d, c.Fx + k);
    hn::StoreU(Fy, d, c.Fy + k);
    hn::StoreU(Mz, d, c.Mz + k);
  }
  if (k == n) return;

  // The padding repeats the first point of the part, so it computes nothing
  // the real points do not.
  constexpr std::size_t kPad = HWY_MAX_BYTES / sizeof(double);
  if (lanes > kPad) return;  // never: no vector is wider than HWY_MAX_BYTES
  HWY_ALIGN double buffer[4][kPad];
  const std::size_t rest = n - k;
  for (std::size_t j = 0; j < lanes; ++j) {
    const std::size_t from = k + (j < rest ? j : 0);
    buffer[0][j] = c.sx[from];
    buffer[1][j] = c.alpha[from];
    buffer[2][j] = c.Fz[from];
    buffer[3][j] = c.V[from];
  }
  evaluateLanes(d, m, hn::Load(d, buffer[0]), hn::Load(d, buffer[1]), hn::Load(d, buffer[2]), hn::Load(d, buffer[3]),
                Fx, Fy, Mz);
  hn::Store(Fx, d, buffer[0]);
  hn::Store(Fy, d, buffer[1]);
  hn::Store(Mz, d, buffer[2]);
  std::copy_n(buffer[0], rest, c.Fx + k);
  std::copy_n(buffer[1], rest, c.Fy + k);
  std::copy_n(buffer[2], rest, c.Mz + k);
}

const char* targetName() { return hwy::TargetName(HWY_TARGET); }

}  // namespace HWY_NAMESPACE
}  // namespace grip
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace grip {

HWY_EXPORT(evaluateColumns);
HWY_EXPORT(targetName);

void ContinuousModel::evaluate(const OperatingColumns& in, const ForceColumns& out) {
  // Columns of unequal length are taken as far as all of them reach.
  const std::size_t n =
      std::min({in.longitudinalSlip.size(), in.slipAngle.size(), in.camber.size(), in.verticalLoad.size(),
                in.speed.size(), out.Fx.size(), out.Fy.size(), out.Mz.size()});
  if (n == 0) return;
  const BatchColumns columns{in.longitudinalSlip.data(), in.slipAngle.data(), in.verticalLoad.data(), in.speed.data(),
                             out.Fx.data(),            out.Fy.data(),    out.Mz.data()};
  HWY_DYNAMIC_DISPATCH(evaluateColumns)(*this, columns, n);

  // Leave Fz, mue0Fz, h and b as the scalar loop would: Fz of the last point,
  // the patch of the last point that carries a load. Those values do not
  // depend on tan or exp, so they equal the kernel's lanes bit for bit.
  std::size_t loaded = n;
  while (loaded > 0 && in.verticalLoad[loaded - 1] == 0.0) --loaded;
  if (loaded > 0) {
    const std::size_t k = loaded - 1;
    TyreForces forces;
    evaluate(OperatingPoint{in.longitudinalSlip[k], in.slipAngle[k], in.camber[k], in.verticalLoad[k], in.speed[k]},
             forces);
  }
  Fz = in.verticalLoad[n - 1];
}

const char* ContinuousModel::batchTarget() { return HWY_DYNAMIC_DISPATCH(targetName)(); }

}  // namespace grip
#endif  // HWY_ONCE
