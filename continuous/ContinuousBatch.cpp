// Batch evaluation of the continuous model: the formulas of
// ContinuousModel::evaluate, a vector of operating points at a time, with
// every branch of the scalar code taken as a lane mask. The kernel is
// compiled once per instruction set and the best one the CPU supports is
// chosen at run time.
//
// Rounding: the scalar code divides twelve times per point, and division is
// the slowest vector instruction. The kernel divides four times (the
// tangent's denominator, S, g, h) and multiplies by reciprocals elsewhere,
// which moves a result by a few units in the last place. tan and exp are
// this file's own (below): one range reduction each, then a rational
// approximation (tan) or a fitted polynomial (exp), evaluated in pairs
// (Estrin's scheme) rather than as one long chain, tan within 1.1e-15 of
// std::tan and exp within 2e-14 of std::exp (see tangentQuotient and
// exponentialLessOne); they use fused multiply-add where the CPU has it,
// as does the slip magnitude S, taken from the tangent's numerator and
// denominator. The model's other formulas fuse none (Mul then Add, and the
// file is compiled with contraction off), as in the scalar code. Batch and
// scalar forces agree to about 1e-14 of the force scale (the tests allow
// 1e-12).

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "continuous/ContinuousBatch.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>
#include <cmath>
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

/// The parameters as the kernel uses them: every division by a parameter
/// or a constant turned into a product with its reciprocal, worked out once
/// per batch.
struct BatchConstants {
  explicit BatchConstants(const ContinuousModel& m)
      : cx0(m.cx0), cx1(m.cx1), cy0(m.cy0), cy1(m.cy1), soff(m.soff), sx0(m.sx0), sy0(m.sy0), radPerDeg(m.pi / 180.0),
        mueFz(m.mueFz), mue0(m.mue0), mue1xp(m.mue1xp), mue1xn(m.mue1xn), mue1yp(m.mue1yp), mue1yn(m.mue1yn),
        invCmuexp(1.0 / m.cmuexp), invCmuexn(1.0 / m.cmuexn), invCmueyp(1.0 / m.cmueyp), invCmueyn(1.0 / m.cmueyn),
        R(m.R), invCR(1.0 / m.cR), inv4pin(1.0 / (4.0 * m.pin)), invPmaxMue0(1.0 / (m.pin * 1.5 * m.mue0)),
        slidingFactor(2.0 * (m.pin * 1.5) / 3.0), momentFactor(m.pin * 1.5 * 0.5), Fzbar(m.Fzbar),
        MzScaleP(m.MzScaleP), MzScaleN(m.MzScaleN) {}
  double cx0, cx1, cy0, cy1, soff, sx0, sy0;
  double radPerDeg;  ///< [rad/deg]
  double mueFz, mue0, mue1xp, mue1xn, mue1yp, mue1yn;
  double invCmuexp, invCmuexn, invCmueyp, invCmueyn;  ///< [s/mm]
  double R;            ///< [mm]
  double invCR;        ///< [mm/N]
  double inv4pin;      ///< 1 / (4 pin) [mm^2/N]
  double invPmaxMue0;  ///< 1 / (pmax mue0) [mm^2/N]
  double slidingFactor;  ///< 2 pmax / 3 [N/mm^2]
  double momentFactor;   ///< pmax / 2 [N/mm^2]
  double Fzbar, MzScaleP, MzScaleN;
};
}  // namespace grip
#endif

HWY_BEFORE_NAMESPACE();
namespace grip {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

/// tan x as a quotient: x less multiples of pi/2 (pi/2 in three parts:
/// exact enough for any slip angle) leaves |r| <= pi/4, where
/// tan r = r (Q + r^2 P) / Q with P and Q of degree 3 in r^2 (the Pade
/// approximant of the series, coefficients rounded to double) is short of
/// it by less than 1.1e-15 of it (a degree more in Q would give 2e-17, for
/// a step more on the longest chain; the forces need no more than 1e-15). tan x = num / den, or -den / num for an
/// odd multiple; the caller divides. num is +-0 exactly where x is, so
/// tan 0 is 0 with the sign of x.
template <class D, class V = hn::Vec<D>>
HWY_INLINE void tangentQuotient(D d, V x, V& num, V& den) {
  // The nearest multiple j by adding 1.5 2^52, which leaves j in the low
  // bits: its parity is bit 0. (Near a tie either neighbour does: the
  // approximation holds a little beyond pi/4.)
  const hn::RebindToSigned<D> di;
  const V magic = hn::Set(d, 6755399441055744.0);  // 1.5 2^52
  const V shifted = hn::MulAdd(x, hn::Set(d, 0.63661977236758134308), magic);  // 2/pi
  const V j = hn::Sub(shifted, magic);
#if HWY_NATIVE_FMA
  // x - j pi/2, pi/2 in two parts: the fused steps round once each.
  const V r = hn::NegMulAdd(j, hn::Set(d, 6.123233995736766e-17), hn::NegMulAdd(j, hn::Set(d, 1.5707963267948966), x));
#else
  // x - j pi/2: the first part exact, the two small ones summed aside.
  const V r = hn::Sub(hn::NegMulAdd(j, hn::Set(d, 1.570796310901641845703125), x),
                      hn::MulAdd(j, hn::Set(d, 1.589325471229585673428e-8),
                                 hn::Mul(j, hn::Set(d, 6.12323399573676588614e-17))));
#endif
  const V z = hn::Mul(r, r);

  // Estrin's scheme: the pairs side by side, not one long chain.
  const V z2 = hn::Mul(z, z);
  const V P = hn::MulAdd(hn::MulAdd(hn::Set(d, -1.7619065238112858e-08), z, hn::Set(d, 0.0002442002442002442)), z2,
                         hn::MulAdd(hn::Set(d, -0.02142857142857143), z, hn::Set(d, 0.3333333333333333)));
  const V Q = hn::MulAdd(hn::MulAdd(hn::Set(d, -0.0002553002553002553), z, hn::Set(d, 0.02454212454212454)), z2,
                         hn::MulAdd(hn::Set(d, -0.4642857142857143), z, hn::Set(d, 1.0)));
  const V tanNum = hn::Mul(r, hn::MulAdd(z, P, Q));

  const auto odd = hn::RebindMask(d, hn::Ne(hn::And(hn::BitCast(di, shifted), hn::Set(di, 1)), hn::Zero(di)));
  num = hn::IfThenElse(odd, hn::Neg(Q), tanNum);
  den = hn::IfThenElse(odd, tanNum, Q);
}

/// exp x - 1 (here minus a sliding speed over a decay constant, times the
/// sign of the load factor).
/// x = k ln2 + r with |r| <= ln2/2 (ln2 in two parts); e^r as
/// 1 + r + r^2 P(r), P of degree 7 fitted to it (least squares reweighted
/// towards the largest error), short of it by less than 2e-14 of it: the
/// decay scales only the difference of static and sliding friction, so the
/// forces move by less than 1e-14 of their scale. 2^k written straight
/// into the exponent bits (k + 1.5 2^52 holds k in its low bits). x below
/// -708 is taken as -708, where e^x - 1 rounds to -1 as std::exp's would
/// (and 2^k stays a normal number), above 709 it is infinite (a negative
/// load factor at loads far above the reference); NaN stays NaN. x = 0
/// gives exactly 0.
/// The 1 is taken off before the last multiply-add, which spares a step.
template <class D, class V = hn::Vec<D>>
HWY_INLINE V exponentialLessOne(D d, V x) {
  const hn::RebindToSigned<D> di;
  // k rounded to the nearest integer by adding 1.5 2^52, which leaves it in
  // the low bits. (Near a tie either neighbour does: the polynomial holds a
  // little beyond ln2/2.)
  const V magic = hn::Set(d, 6755399441055744.0);  // 1.5 2^52
  const V lowest = hn::Set(d, -708.0);
  x = hn::IfThenElse(hn::Lt(x, lowest), lowest, x);
  const V shifted = hn::MulAdd(x, hn::Set(d, 1.4426950408889634074), magic);  // 1/ln2
  const V k = hn::Sub(shifted, magic);
  V r = hn::NegMulAdd(k, hn::Set(d, 6.93147180369123816490e-01), x);
  r = hn::NegMulAdd(k, hn::Set(d, 1.90821492927058770002e-10), r);
  const V r2 = hn::Mul(r, r);
  const V r4 = hn::Mul(r2, r2);

  // Estrin's scheme: the pairs side by side, not one long chain.
  const V p01 = hn::MulAdd(hn::Set(d, 0.16666666667314242), r, hn::Set(d, 0.49999999999637434));
  const V p23 = hn::MulAdd(hn::Set(d, 0.008333333080572651), r, hn::Set(d, 0.0416666669799503));
  const V p45 = hn::MulAdd(hn::Set(d, 0.00019841549953342191), r, hn::Set(d, 0.0013888808057437388));
  const V p67 = hn::MulAdd(hn::Set(d, 2.7491762385520138e-06), r, hn::Set(d, 2.4882371877585532e-05));
  const V P = hn::MulAdd(hn::MulAdd(p67, r2, p45), r4, hn::MulAdd(p23, r2, p01));
  const V q = hn::MulAdd(P, r2, r);  // e^r - 1

  const V scale = hn::BitCast(d, hn::ShiftLeft<52>(hn::Add(hn::BitCast(di, shifted), hn::Set(di, 1023))));
  // 2^k e^r - 1 = 2^k (e^r - 1) + (2^k - 1), the last exact or -1.
  const V y = hn::MulAdd(q, scale, hn::Sub(scale, hn::Set(d, 1.0)));
  return hn::IfThenElse(hn::Gt(x, hn::Set(d, 709.0)), hn::Set(d, HUGE_VAL), y);
}

/// What a stage leaves for the next ones, one column each, a block of
/// points at a time.
enum SlipColumn : std::size_t {
  kKxsx,    ///< kx sx [1/mm^2]
  kKyT,     ///< ky T [1/mm^2]
  kEx,      ///< sx / S
  kEy,      ///< T / S
  kArgX,    ///< exponent of the longitudinal decay, then mux
  kArgY,    ///< exponent of the lateral decay, then muy
  kMue0Fz,  ///< static friction at the load
  kDropX,   ///< static less sliding friction, longitudinal
  kDropY,   ///< static less sliding friction, lateral
  kInvg,    ///< 1 / g
  kMzScale, ///< moment factor of the side of T
  kSx,      ///< sx with its offsets
  kNum,     ///< numerator of T
  kDen,     ///< denominator of T
  kH,       ///< half length of the patch [mm]
  kB,       ///< b [N/mm^3]
  kInvhh,   ///< 1 / h^2 [1/mm^2]
  kX,       ///< transition point [mm]
  kKy,      ///< ky [1/mm^2]
  kG,       ///< g
  kColumns
};

/// Slip, the tangent's quotient and what depends on the load alone
/// (stiffnesses, g and the contact patch): the divisions and the square
/// root of the latter run beside the tangent's multiply-adds (measured
/// faster than in a stage of their own, or beside the exponentials), and
/// the slip stage need not read the load.
template <class D, class V = hn::Vec<D>>
HWY_INLINE void tangentStage(D d, const BatchConstants& m, V sxIn, V alphaIn, V FzIn, double* column,
                             std::size_t stride) {
  const V Fz = hn::IfThenElse(hn::Eq(FzIn, hn::Zero(d)), hn::Set(d, 1.0), FzIn);
  const V dF = hn::Sub(hn::Set(d, m.Fzbar), Fz);
  const V offset = hn::Mul(dF, hn::Set(d, m.soff));
  const V sx = hn::Add(hn::Add(sxIn, hn::Set(d, m.sx0)), offset);
  const V angle = hn::Mul(hn::Add(hn::Add(alphaIn, hn::Set(d, m.sy0)), offset), hn::Set(d, m.radPerDeg));
  V num, den;
  tangentQuotient(d, angle, num, den);

  const V one = hn::Set(d, 1.0);
  const V g = hn::Add(one, hn::Mul(dF, hn::Set(d, m.mueFz)));
  const V mue0Fz = hn::Mul(g, hn::Set(d, m.mue0));
  const V m1x = hn::IfThenElse(hn::Gt(sx, hn::Zero(d)), hn::Set(d, m.mue1xp), hn::Set(d, m.mue1xn));
  const V onePlusdF = hn::Add(one, dF);
  const V kx = hn::Add(hn::Set(d, m.cx0), hn::Mul(hn::Set(d, m.cx1), onePlusdF));
  hn::Store(hn::Add(hn::Set(d, m.cy0), hn::Mul(hn::Set(d, m.cy1), onePlusdF)), d, column + kKy * stride);
  hn::Store(g, d, column + kG * stride);
  hn::Store(hn::Div(one, g), d, column + kInvg * stride);
  hn::Store(mue0Fz, d, column + kMue0Fz * stride);
  hn::Store(hn::Sub(mue0Fz, hn::Mul(m1x, g)), d, column + kDropX * stride);
  hn::Store(hn::Mul(kx, sx), d, column + kKxsx * stride);
  hn::Store(sx, d, column + kSx * stride);

  // Contact patch of the flattened tyre: the chord at the deflection
  // Fz/cR, by the scalar code's steps. R^2 - (R - d)^2 loses digits to
  // cancellation at light loads (d(2R - d) would not), and so does the
  // scalar code: the same steps keep the two together there. The
  // deflection is the product by the reciprocal (a division here would
  // cost the divider a fifth of its time); where it is an ulp off the
  // quotient, R - d still rounds alike but for a chance of about d/R, and
  // then h moves by under 1e-11 of it, at loads of a few newtons only.
  const V R = hn::Set(d, m.R);
  const V deflection = hn::Mul(Fz, hn::Set(d, m.invCR));
  const V loaded = hn::Sub(R, deflection);
  const V h = hn::Sqrt(hn::Sub(hn::Mul(R, R), hn::Mul(loaded, loaded)));
  const V invh = hn::Div(one, h);
  hn::Store(h, d, column + kH * stride);
  hn::Store(hn::Mul(invh, invh), d, column + kInvhh * stride);
  hn::Store(hn::Mul(hn::Mul(Fz, invh), hn::Set(d, m.inv4pin)), d, column + kB * stride);
  hn::Store(num, d, column + kNum * stride);
  hn::Store(den, d, column + kDen * stride);
}

/// Slip magnitude, directions and the exponents of the friction decay of
/// Lanes(d) operating points, from what the tangent stage left (which takes
/// zero load lanes as 1 N: see forceStage).
template <class D, class V = hn::Vec<D>>
HWY_INLINE void slipStage(D d, const BatchConstants& m, V speed, double* column,
                           std::size_t stride) {
  const V zero = hn::Zero(d);
  const V one = hn::Set(d, 1.0);
  const V ky = hn::Load(d, column + kKy * stride);

  const V sx = hn::Load(d, column + kSx * stride);
  const V num = hn::Load(d, column + kNum * stride);
  const V den = hn::Load(d, column + kDen * stride);
  // The slip magnitude S = sqrt(sx^2 + T^2) as sqrt(sx^2 den^2 + num^2) /
  // |den|, so that the square root need not wait for the tangent's
  // division (measured faster: it shortens the longest chain of dependent
  // steps, from the slip angle through the exponentials to the forces).
  const V invDen = hn::Div(one, den);
  const V T = hn::Mul(num, invDen);
  const V sxden = hn::Mul(sx, den);
  const V U = hn::Sqrt(hn::MulAdd(sxden, sxden, hn::Mul(num, num)));

  // A slip or tangent of exactly 0 takes the negative-side pair. The decay
  // constants' reciprocals come negated (exactly) for the exponent.
  const auto sxPositive = hn::Gt(sx, zero);
  const auto TPositive = hn::Gt(T, zero);
  const V negInvCmx = hn::IfThenElse(sxPositive, hn::Set(d, -m.invCmuexp), hn::Set(d, -m.invCmuexn));
  const V m1y = hn::IfThenElse(TPositive, hn::Set(d, m.mue1yp), hn::Set(d, m.mue1yn));
  const V negInvCmy = hn::IfThenElse(TPositive, hn::Set(d, -m.invCmueyp), hn::Set(d, -m.invCmueyn));

  const V g = hn::Load(d, column + kG * stride);
  const V invg = hn::Load(d, column + kInvg * stride);
  const V mue0Fz = hn::Load(d, column + kMue0Fz * stride);

  const V tiny = hn::Set(d, 1e-9);
  const auto noSlip = hn::And(hn::Lt(hn::Abs(T), tiny), hn::Lt(hn::Abs(sx), tiny));
  const V S = hn::IfThenElse(noSlip, one, hn::Mul(U, hn::Abs(invDen)));
  const V invS = hn::Div(one, S);
  const V vsByg = hn::Mul(hn::Abs(hn::Mul(S, speed)), invg);

  hn::Store(hn::Mul(ky, T), d, column + kKyT * stride);
  hn::Store(hn::Mul(sx, invS), d, column + kEx * stride);
  hn::Store(hn::Mul(T, invS), d, column + kEy * stride);
  hn::Store(hn::Mul(vsByg, negInvCmx), d, column + kArgX * stride);
  hn::Store(hn::Mul(vsByg, negInvCmy), d, column + kArgY * stride);
  hn::Store(hn::Sub(mue0Fz, hn::Mul(m1y, g)), d, column + kDropY * stride);
  hn::Store(hn::IfThenElse(TPositive, hn::Set(d, m.MzScaleP), hn::Set(d, m.MzScaleN)), d,
            column + kMzScale * stride);
}

/// Friction values in place of the exponents, and the transition point.
template <class D, class V = hn::Vec<D>>
HWY_INLINE void frictionStage(D d, const BatchConstants& m, double* column, std::size_t stride) {
  const V mue0Fz = hn::Load(d, column + kMue0Fz * stride);
  const V decayX = exponentialLessOne(d, hn::Load(d, column + kArgX * stride));
  const V decayY = exponentialLessOne(d, hn::Load(d, column + kArgY * stride));
  hn::Store(hn::Add(mue0Fz, hn::Mul(decayX, hn::Load(d, column + kDropX * stride))), d, column + kArgX * stride);
  hn::Store(hn::Add(mue0Fz, hn::Mul(decayY, hn::Load(d, column + kDropY * stride))), d, column + kArgY * stride);

  const V h = hn::Load(d, column + kH * stride);

  const V kxsx = hn::Load(d, column + kKxsx * stride);
  const V kyT = hn::Load(d, column + kKyT * stride);
  const V invg = hn::Load(d, column + kInvg * stride);
  const V Q = hn::Sqrt(hn::Add(hn::Mul(kyT, kyT), hn::Mul(kxsx, kxsx)));
  const V X = hn::Sub(hn::Mul(hn::Mul(hn::Mul(Q, h), h), hn::Mul(invg, hn::Set(d, m.invPmaxMue0))), h);
  hn::Store(hn::IfThenElse(hn::Gt(X, h), h, X), d, column + kX * stride);
}

/// Forces of Lanes(d) points from what the stages before left.
template <class D, class V = hn::Vec<D>>
HWY_INLINE void forceStage(D d, const BatchConstants& m, V FzIn, const double* column, std::size_t stride,
                            V& FxOut, V& FyOut, V& MzOut) {
  // Zero load gives zero forces. Such lanes compute with a load of 1 N so
  // that no infinity or NaN runs through the vector math; the mask discards
  // what they give.
  const auto unloaded = hn::Eq(FzIn, hn::Zero(d));
  const V kxsx = hn::Load(d, column + kKxsx * stride);
  const V kyT = hn::Load(d, column + kKyT * stride);
  const V ex = hn::Load(d, column + kEx * stride);
  const V ey = hn::Load(d, column + kEy * stride);
  const V mux = hn::Load(d, column + kArgX * stride);
  const V muy = hn::Load(d, column + kArgY * stride);
  const V h = hn::Load(d, column + kH * stride);
  const V b = hn::Load(d, column + kB * stride);
  const V invhh = hn::Load(d, column + kInvhh * stride);
  const V X = hn::Load(d, column + kX * stride);

  const V hPlusX = hn::Add(h, X);
  const V XMinush = hn::Sub(X, h);
  const V hX2 = hn::Mul(hPlusX, hPlusX);
  const V Xh2 = hn::Mul(XMinush, XMinush);
  const V sliding =
      hn::Mul(hn::Mul(hn::Mul(b, hX2), hn::Sub(hn::Add(h, h), X)), hn::Mul(invhh, hn::Set(d, m.slidingFactor)));
  const V bXh2 = hn::Mul(b, Xh2);
  const V Fx = hn::Add(hn::Mul(hn::Mul(sliding, ex), mux), hn::Mul(bXh2, kxsx));
  const V Fy = hn::Add(hn::Mul(hn::Mul(sliding, ey), muy), hn::Mul(bXh2, kyT));

  const V adhesionMoment = hn::Mul(hn::Mul(hn::Mul(bXh2, kyT), hn::Add(hn::Add(X, X), h)), hn::Set(d, 1.0 / 3.0));
  const V slidingMoment =
      hn::Mul(hn::Mul(hn::Mul(hn::Mul(hX2, bXh2), ey), muy), hn::Mul(invhh, hn::Set(d, m.momentFactor)));
  // -(adhesion - sliding), not sliding - adhesion: the two differ in the sign
  // of a zero moment, which the printed results show ("-0.000000e+00").
  const V negM = hn::Neg(hn::Sub(adhesionMoment, slidingMoment));
  const V Mz = hn::Mul(negM, hn::Load(d, column + kMzScale * stride));

  FxOut = hn::IfThenZeroElse(unloaded, Fx);
  FyOut = hn::IfThenZeroElse(unloaded, Fy);
  MzOut = hn::IfThenZeroElse(unloaded, Mz);
}

/// Points in a block: each stage (tangent, slip, friction, forces) runs
/// over the whole block before the next. A stage's chain of dependent
/// steps is a part of the whole, so the CPU overlaps the steps of more
/// points at a time (measured faster than all in one loop: 9.8 against
/// 12.2 ns a point, same formulas). The block's columns (20 KB) stay in the
/// level-1 cache.
constexpr std::size_t kBlock = 128;

/// Forces of n operating points, n a multiple of the vector length.
template <class D>
HWY_INLINE void evaluateWhole(D d, const BatchConstants& m, const BatchColumns& c, std::size_t n) {
  const std::size_t lanes = hn::Lanes(d);
  HWY_ALIGN double column[kColumns * kBlock];
  for (std::size_t start = 0; start < n; start += kBlock) {
    const std::size_t count = std::min(kBlock, n - start);
    for (std::size_t j = 0; j < count; j += lanes) {
      const std::size_t k = start + j;
      tangentStage(d, m, hn::LoadU(d, c.sx + k), hn::LoadU(d, c.alpha + k), hn::LoadU(d, c.Fz + k), column + j,
                   kBlock);
    }
    for (std::size_t j = 0; j < count; j += lanes) {
      const std::size_t k = start + j;
      slipStage(d, m, hn::LoadU(d, c.V + k), column + j, kBlock);
    }
    for (std::size_t j = 0; j < count; j += lanes) frictionStage(d, m, column + j, kBlock);
    for (std::size_t j = 0; j < count; j += lanes) {
      const std::size_t k = start + j;
      hn::Vec<D> Fx, Fy, Mz;
      forceStage(d, m, hn::LoadU(d, c.Fz + k), column + j, kBlock, Fx, Fy, Mz);
      hn::StoreU(Fx, d, c.Fx + k);
      hn::StoreU(Fy, d, c.Fy + k);
      hn::StoreU(Mz, d, c.Mz + k);
    }
  }
}

/// Forces of n operating points. A last part shorter than a vector is copied
/// into a padded vector, evaluated whole and copied out.
void evaluateColumns(const BatchConstants& constants, const BatchColumns& c, std::size_t n) {
  // A copy of its own, which no output column can alias: its values stay in
  // registers across the loop.
  const BatchConstants m = constants;
  const hn::ScalableTag<double> d;
  const std::size_t lanes = hn::Lanes(d);
  constexpr std::size_t kPad = HWY_MAX_BYTES / sizeof(double);
  // never: no vector is wider than HWY_MAX_BYTES, nor a block narrower
  if (lanes > kPad || kBlock % lanes != 0) return;
  const std::size_t whole = n - n % lanes;
  evaluateWhole(d, m, c, whole);
  if (whole == n) return;

  // The padding repeats the first point of the part, so it computes nothing
  // the real points do not.
  HWY_ALIGN double buffer[7][kPad];
  const std::size_t rest = n - whole;
  for (std::size_t j = 0; j < lanes; ++j) {
    const std::size_t from = whole + (j < rest ? j : 0);
    buffer[0][j] = c.sx[from];
    buffer[1][j] = c.alpha[from];
    buffer[2][j] = c.Fz[from];
    buffer[3][j] = c.V[from];
  }
  evaluateWhole(d, m, BatchColumns{buffer[0], buffer[1], buffer[2], buffer[3], buffer[4], buffer[5], buffer[6]}, lanes);
  std::copy_n(buffer[4], rest, c.Fx + whole);
  std::copy_n(buffer[5], rest, c.Fy + whole);
  std::copy_n(buffer[6], rest, c.Mz + whole);
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
  if (n == 1) {  // one point: the scalar code alone is quicker than a padded vector
    TyreForces forces;
    evaluate(OperatingPoint{in.longitudinalSlip[0], in.slipAngle[0], in.camber[0], in.verticalLoad[0], in.speed[0]},
             forces);
    out.Fx[0] = forces.Fx;
    out.Fy[0] = forces.Fy;
    out.Mz[0] = forces.Mz;
    return;
  }
  const BatchColumns columns{in.longitudinalSlip.data(), in.slipAngle.data(), in.verticalLoad.data(), in.speed.data(),
                             out.Fx.data(),            out.Fy.data(),    out.Mz.data()};
  HWY_DYNAMIC_DISPATCH(evaluateColumns)(BatchConstants(*this), columns, n);

  // Leave Fz, mue0Fz, h and b as the scalar loop would: Fz of the last point,
  // the patch of the last point that carries a load, exactly as the scalar
  // code leaves them. One scalar point per batch.
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
