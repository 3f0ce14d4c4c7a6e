// The transcendental functions of the field models, the frames, the equation
// of motion and the integrator, for one value (double) and for each pack of
// numerics/pack.hpp, with exactly the same bits in every lane as for one
// value. Nothing on the tracing path calls the C library's transcendental
// functions: its results differ in the last bit between versions of the
// library and between processors with and without fused multiply-add, these
// do not.
//
// Each routine calls SLEEF's deterministic variant of its width: the
// Sleef_cinz_*_u10 routines, built without fused multiply-add and from one
// algorithm for every width (sse2 for 2 lanes, avx for 4, avx512fnofma for 8;
// purec, SLEEF's plain C build, gives the same bits for one value), so a
// lane's result depends on its own argument alone, never on the width or on
// the other lanes. Their results differ from the C library's in the last bit
// for a few per cent of the arguments: a routine moved from std:: to these
// changes its results by up to an ulp.
//
// A routine for one value calls the 2-lane routine with the value in both
// lanes and takes lane 0: the same bits as SLEEF's one-value routine (purec),
// which the compiler cannot vectorise, at up to twice its speed (per value on
// the Xeon of the README, bench/math_bench: e^x 6.6 ns against 10.3, x^y 49
// against 72, sin 11.9 against 18.5, tan 22 against 40; ln x and atan alike).
// The arcsine alone is faster through SLEEF's one-value routine (10 ns
// against 16) and calls it.
//
// Accuracy (u10): at most 1.0 ulp from the exact value, for every finite
// argument, subnormal arguments and results included (atan2's subnormal
// results excepted: see there). Every NaN result is the one quiet NaN (sign
// +, payload 0), whatever the width (see single_nan).
//
// Overflow comes early: e^x and x^y are +inf from e^709.78271114955742909 =
// 0x1.ffffc57ca84a9p+1023 on, 1.7e-6 (relative) below the largest double,
// where the C library still gives finite values.
//
// The pack routines of each width exist only where its instruction set is
// compiled in: the 2-lane SSE2 ones in every build, the 4-lane AVX2 ones with
// -mavx2 (the AVX2 lane objects), the 8-lane AVX-512 ones with -mavx512f.
// The functions that only the preparation of a run needs (tan, tanh) exist
// for one value alone. The remainder (fmod), exact in IEEE arithmetic and so
// the same in every correct library, stays the C library's: SLEEF's gives NaN
// for subnormal divisors and for quotients beyond some 2^1000.
//
// The names live in cones::math, apart from std:: and the C library's
// functions, so that a call says which rounding it gets.
#pragma once

#include <sleef.h>

#include <bit>
#include <cstdint>
#include <cmath>
#include <limits>

#include "numerics/pack.hpp"

namespace cones::math {

// A result with every NaN made the one quiet NaN (sign +, payload 0).
// Given: a result of a SLEEF routine (double or pack).
// Returned: the result, where each NaN is replaced by
// std::numeric_limits<double>::quiet_NaN().
// Notes: SLEEF's routines build their NaNs with signs and payloads that vary
// with the width (the 8-lane log of a negative number carries the argument's
// sign and bits, the 2-lane cosine of infinity has another payload than the
// one-value one); a NaN's sign would show in printed output ("-nan").
inline double single_nan(double r) { return r != r ? std::numeric_limits<double>::quiet_NaN() : r; }
template <int W, class Isa>
Pack<W, Isa> single_nan(Pack<W, Isa> r) {
    return Pack<W, Isa>::of(r.v == r.v ? r.v : Pack<W, Isa>::broadcast(std::numeric_limits<double>::quiet_NaN()));
}

// One value in both lanes of the SSE2 vector that the routines for one value
// hand to SLEEF's 2-lane routines (lane 0 of the result is the value's).
inline Pack<2, Sse2>::Vector in_both_lanes(double x) { return Pack<2, Sse2>::broadcast(x); }

// The exponential e^x.
// Given: x.
// Returned: e^x, within 1.0 ulp.
// Notes: +inf above 709.78271114955742909 (1.7e-6 below 709.782712893384,
// the largest x whose e^x is a finite double), +0 below -1000 and wherever
// e^x rounds to zero (below about -745.13);
// e^x is subnormal between about -745.13 and -708.40; e^(±0) = 1,
// e^(-inf) = +0, e^(+inf) = +inf, NaN gives NaN.
inline double exp(double x) { return single_nan(Sleef_cinz_expd2_u10sse2(in_both_lanes(x))[0]); }

// The natural logarithm ln x.
// Given: x.
// Returned: ln x, within 1.0 ulp.
// Notes: subnormal x are as accurate as normal ones; ln(±0) = -inf,
// ln 1 = +0, ln(+inf) = +inf; ln x of x < 0 (-inf included) and of NaN is
// NaN.
inline double log(double x) { return single_nan(Sleef_cinz_logd2_u10sse2(in_both_lanes(x))[0]); }

// The power x^y.
// Given: the base x and the exponent y.
// Returned: x^y, within 1.0 ulp, for integer exponents too: x^2 differs from
// the correctly rounded x * x in the last bit for some 2 % of the bases (the
// C library's pow gives x * x), x^0.5 from sqrt(x) as often, so write
// squares as products and square roots as sqrt.
// Notes: a negative base needs an integer exponent (every |y| >= 2^53 is an
// even integer): the sign is that of x for odd y, + for even y, and a
// negative finite x with a non-integer y gives NaN. x^0 = 1 and 1^y = 1 for
// every x and y, NaN included; otherwise NaN in x or y gives NaN.
// (±0)^y is ±0 for odd y > 0, +0 for other y > 0, ±inf for odd y < 0 and
// +inf for other y < 0; (±inf)^y follows from 1/(±0); x^(±inf) is +0, 1 or
// +inf as |x| < 1, |x| = 1 or |x| > 1 (for y = +inf; reversed for -inf).
// Overflow gives +inf (or -inf for a negative base and odd y) from
// |x^y| = 0x1.ffffc57ca84a9p+1023 on, as for exp; underflow gives ±0.
inline double pow(double x, double y) {
    return single_nan(Sleef_cinz_powd2_u10sse2(in_both_lanes(x), in_both_lanes(y))[0]);
}

// The sine of x (radians).
// Given: x in radians.
// Returned: sin x, within 1.0 ulp.
// Notes: the reduction of x by multiples of π changes its method at |x| = 15
// and at |x| = 1e14 (an exact reduction above), so sin x keeps its accuracy
// for every finite x. sin(±0) = ±0; sin(±inf) and sin(NaN) are NaN.
inline double sin(double x) { return single_nan(Sleef_cinz_sind2_u10sse2(in_both_lanes(x))[0]); }

// The cosine of x (radians).
// Given: x in radians.
// Returned: cos x, within 1.0 ulp.
// Notes: x is reduced as for sin (methods change at 15 and 1e14).
// cos(±0) = 1; cos(±inf) and cos(NaN) are NaN.
inline double cos(double x) { return single_nan(Sleef_cinz_cosd2_u10sse2(in_both_lanes(x))[0]); }

// The sine and the cosine of x (radians) from one reduction.
// Given: x in radians.
// Returned: sine = sin x, cosine = cos x, each within 1.0 ulp.
// Notes: x is reduced once for both (methods change at 15 and 1e14 as for
// sin); the values differ in the last bit from sin(x) and cos(x) for some 5 %
// of the arguments, so a routine takes both from one call or neither.
// sincos(±0) gives ±0 and 1; ±inf and NaN give NaN for both.
inline void sincos(double x, double& sine, double& cosine) {
    const Sleef___m128d_2 r = Sleef_cinz_sincosd2_u10sse2(in_both_lanes(x));
    sine = single_nan(r.x[0]);
    cosine = single_nan(r.y[0]);
}

// The angle of the point (x, y) from the +x axis: atan2(y, x), radians.
// Given: the ordinate y and the abscissa x (note the order).
// Returned: the angle in [-π, π], within 1.0 ulp (a subnormal angle, where
// |y/x| < 2.2e-308 with x > 0, within 2 units of the smallest subnormal
// 2^-1074); its sign is the sign of y (-0 included).
// Notes: the four quadrants: x > 0 gives |angle| < π/2, x < 0 gives
// |angle| > π/2. Signed zeros: atan2(±0, +0) = ±0, atan2(±0, -0) = ±π,
// atan2(±0, x < 0) = ±π, atan2(±0, x > 0) = ±0, atan2(y, ±0) = ±π/2 by the
// sign of y ≠ 0. Infinities: atan2(±y, +inf) = ±0 and atan2(±y, -inf) = ±π
// for finite y, atan2(±inf, x) = ±π/2 for finite x, atan2(±inf, +inf) =
// ±π/4, atan2(±inf, -inf) = ±3π/4. NaN in either gives NaN.
inline double atan2(double y, double x) {
    return single_nan(Sleef_cinz_atan2d2_u10sse2(in_both_lanes(y), in_both_lanes(x))[0]);
}

// The arcsine of x, radians.
// Given: x.
// Returned: asin x in [-π/2, π/2], within 1.0 ulp.
// Notes: the method changes at |x| = 0.5. asin(±0) = ±0, asin(±1) = ±π/2;
// |x| > 1 (infinities included) and NaN give NaN.
inline double asin(double x) { return single_nan(Sleef_cinz_asind1_u10purec(x)); }

// The arctangent of x, radians.
// Given: x.
// Returned: atan x in [-π/2, π/2], within 1.0 ulp.
// Notes: |x| > 1 is reduced through 1/x. atan(±0) = ±0, atan(±inf) = ±π/2,
// NaN gives NaN.
inline double atan(double x) { return single_nan(Sleef_cinz_atand2_u10sse2(in_both_lanes(x))[0]); }

// The tangent of x (radians), for one value only.
// Given: x in radians.
// Returned: tan x, within 1.0 ulp.
// Notes: x is reduced as for sin (methods change at 15 and 1e14). tan(±0) =
// ±0; a subnormal x gives a value within one unit of 2^-1074 of x (tan of
// the smallest subnormal is 0); tan(±inf) and tan(NaN) are NaN.
inline double tan(double x) { return single_nan(Sleef_cinz_tand2_u10sse2(in_both_lanes(x))[0]); }

// The hyperbolic tangent of x, for one value only.
// Given: x.
// Returned: tanh x, within 1.0 ulp.
// Notes: ±1 exactly for |x| above about 18.7; tanh(±0) = ±0, tanh(±inf) =
// ±1, NaN gives NaN.
inline double tanh(double x) { return single_nan(Sleef_cinz_tanhd2_u10sse2(in_both_lanes(x))[0]); }

// x^0.2 with the single-precision exponent 0.2f = 1/5 + 2^-26/5, for one
// value only: the integrator's step-size factors, once per step of every
// trajectory, where pow(x, 0.2f) would cost as much as a step's field of the
// dipole.
// Given: x > 0, finite.
// Returned: x^double(0.2f), within 1.0 ulp, from additions,
// multiplications, divisions and the bits of x alone, so its bits are the
// same on every machine.
// Notes: x = m 2^e (m in [1, 2)) is split into a = m 2^r in [1, 32) and
// 2^(5q) (e = 5q + r, 0 <= r < 5). The inverse fifth root w of a, from a
// quintic in m times 2^(-r/5) and one Newton step without division,
// gives the fifth root y = a w^4, corrected once by (a / y^4 - y) / 5;
// the remaining factor x^(2^-26 / 5) = exp(t), |t| < 2.3e-6, is 1 + t + t^2/2
// with ln x from e ln 2 and the series of 2 atanh((m - 1)/(m + 1)) to its
// ninth power (m taken in [0.75, 1.5)); the small terms are summed before
// they meet y. Subnormal x are as accurate as normal ones. Other x (zero,
// negative, infinite, NaN) take pow(x, 0.2f) of this layer.
inline double pow_fifth(double x) {
    constexpr double kExponent = double(0.2f);
    if (!(x > 0.0 && x <= std::numeric_limits<double>::max())) return pow(x, kExponent);
    std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    int e = static_cast<int>(bits >> 52) - 1023;
    if (e == -1023) {  // subnormal: scale into the normal range first
        bits = std::bit_cast<std::uint64_t>(x * 0x1p64);
        e = static_cast<int>(bits >> 52) - 1023 - 64;
    }
    const double m = std::bit_cast<double>((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    const int q = e >= 0 ? e / 5 : -((4 - e) / 5);
    const int r = e - 5 * q;  // 0 .. 4
    // 2^(-r/5), and a quintic near the best fit of m^(-1/5) on [1, 2) (within
    // 2.9e-6; 2.5e-11 after the Newton step), summed in pairs.
    static constexpr double kInverseRootsOfTwo[5] = {1.0, 0.8705505632961241, 0.757858283255199,
                                                     0.6597539553864471, 0.5743491774985174};
    const double a = m * static_cast<double>(1 << r);
    const double m2 = m * m;
    const double guess = (1.4348612845994204 + m * -0.8401959190119614) +
                         m2 * ((0.6362999847141477 + m * -0.3000833043423035) +
                               m2 * (0.0775085620166834 + m * -0.008393484268176921));
    double w = guess * kInverseRootsOfTwo[r];
    {
        // w <- w + w (1 - a w^5) / 5: the inverse fifth root without division.
        const double w2 = w * w, aw = a * w, fifth_w = 0.2 * w;
        w = w + fifth_w * (1.0 - aw * (w2 * w2));
    }
    // The root a w^4 and its Newton correction (a / y^4 - y) / 5, added last
    // with the other small term.
    const double w2 = w * w;
    const double y = a * (w2 * w2);
    const double y2 = y * y;
    const double correction = (a / (y2 * y2) - y) * 0.2;

    // ln x = e ln 2 + ln m, within 1e-9: enough for exp(t) to 1e-17. The
    // series of ln m in z = s^2 is summed in pairs, so that its terms are
    // evaluated side by side with the root above.
    const bool upper = m >= 1.5;
    const double lm = upper ? 0.5 * m : m;
    const double s = (lm - 1.0) / (lm + 1.0);
    const double z = s * s;
    const double z2 = z * z;
    const double series = (1.0 + z * (1.0 / 3.0)) + z2 * ((0.2 + z * (1.0 / 7.0)) + z2 * (1.0 / 9.0));
    const double ln_x = (e + (upper ? 1 : 0)) * 0.6931471805599453 + 2.0 * s * series;
    const double t = ln_x * (0x1p-26 / 5.0);  // kExponent - 1/5 = 2^-26 / 5
    const double scale = std::bit_cast<double>(static_cast<std::uint64_t>(q + 1023) << 52);  // 2^q
    return (y + (correction + (y + correction) * (t + 0.5 * t * t))) * scale;
}

// exp, log, pow, sin, cos, sincos, atan2, asin and atan for each pack, lane
// by lane: lane i of the result is exactly the one-value function of lane i
// of the arguments.
//
// Given: packs of W lanes (for pow and atan2, a double in place of a pack
// stands for that value in every lane).
// Returned: the function of each lane, in that lane (sincos: the sines and
// the cosines).
// Notes: as for one value, lane by lane. A width's routine runs the reduction
// branches that any of its lanes needs and picks each lane's result, so mixed
// arguments (a lane at 1e20 beside one at 0.5) cost the dearest lane's branch
// but give each lane its own value.
#define CONES_MATH_PACK_ROUTINES(W, ISA, VARIANT)                                                    \
    inline Pack<W, ISA> exp(Pack<W, ISA> x) {                                                        \
        return single_nan(Pack<W, ISA>::of(Sleef_cinz_expd##W##_u10##VARIANT(x.v)));                 \
    }                                                                                                \
    inline Pack<W, ISA> log(Pack<W, ISA> x) {                                                        \
        return single_nan(Pack<W, ISA>::of(Sleef_cinz_logd##W##_u10##VARIANT(x.v)));                 \
    }                                                                                                \
    inline Pack<W, ISA> pow(Pack<W, ISA> x, Pack<W, ISA> y) {                                        \
        return single_nan(Pack<W, ISA>::of(Sleef_cinz_powd##W##_u10##VARIANT(x.v, y.v)));            \
    }                                                                                                \
    inline Pack<W, ISA> sin(Pack<W, ISA> x) {                                                        \
        return single_nan(Pack<W, ISA>::of(Sleef_cinz_sind##W##_u10##VARIANT(x.v)));                 \
    }                                                                                                \
    inline Pack<W, ISA> cos(Pack<W, ISA> x) {                                                        \
        return single_nan(Pack<W, ISA>::of(Sleef_cinz_cosd##W##_u10##VARIANT(x.v)));                 \
    }                                                                                                \
    inline void sincos(Pack<W, ISA> x, Pack<W, ISA>& sine, Pack<W, ISA>& cosine) {                   \
        const auto r = Sleef_cinz_sincosd##W##_u10##VARIANT(x.v);                                    \
        sine = single_nan(Pack<W, ISA>::of(r.x));                                                    \
        cosine = single_nan(Pack<W, ISA>::of(r.y));                                                  \
    }                                                                                                \
    inline Pack<W, ISA> atan2(Pack<W, ISA> y, Pack<W, ISA> x) {                                      \
        return single_nan(Pack<W, ISA>::of(Sleef_cinz_atan2d##W##_u10##VARIANT(y.v, x.v)));          \
    }                                                                                                \
    inline Pack<W, ISA> asin(Pack<W, ISA> x) {                                                       \
        return single_nan(Pack<W, ISA>::of(Sleef_cinz_asind##W##_u10##VARIANT(x.v)));                \
    }                                                                                                \
    inline Pack<W, ISA> atan(Pack<W, ISA> x) {                                                       \
        return single_nan(Pack<W, ISA>::of(Sleef_cinz_atand##W##_u10##VARIANT(x.v)));                \
    }

CONES_MATH_PACK_ROUTINES(2, Sse2, sse2)
#if defined(__AVX2__)
CONES_MATH_PACK_ROUTINES(4, Avx2, avx)
#endif
#if defined(__AVX512F__)
CONES_MATH_PACK_ROUTINES(8, Avx512, avx512fnofma)
#endif

#undef CONES_MATH_PACK_ROUTINES

}  // namespace cones::math
