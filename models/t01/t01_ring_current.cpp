// Symmetric and partial ring currents of the T01 model: vector potentials of
// current loops in deformed dipolar coordinates, the partial ring current's
// quadrupole part, and the shielding fields of both.
#include <cmath>

#include "models/t01/t01_components.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Constants that the model defines in single precision.
constexpr double f32(float v) { return double(v); }

constexpr double kStep = 1e-4;            // of the central differences in r and theta
constexpr double kHalfStepInverse = 5000.0;
constexpr double kAxisSine = 0.01;        // sin theta below which the near-axis forms apply
constexpr double kAxisCosine = 0.99994999875;
constexpr double kAxisCosineSingle = f32(0.99994999875f);
constexpr double kExponentFloor = -500.0;
constexpr double kOneThird = 1.0 / 3.0;
constexpr double kSixtyFourOver27 = 64.0 / 27.0;

// exp(e), or exactly 0 for e below -500.
inline double guarded_exp(double e) { return e < kExponentFloor ? 0.0 : math::exp(e); }

// One current loop of a vector potential: amplitude, radius a (entering as a
// and 4 a) and half-thickness h (entering as h^2).
struct Loop {
    double amplitude;
    double radius;
    double radius4;
    double half_thickness2;
};

constexpr Loop kSymmetricLoops[2] = {
    {f32(-563.37225f), f32(4.1505885f), 4.0 * f32(4.1505885f), f32(2.2661502f) * f32(2.2661502f)},
    {f32(425.08917f), f32(3.3345034f), 4.0 * f32(3.3345034f), f32(3.0790713f) * f32(3.0790713f)},
};
constexpr Loop kPartialLoops[2] = {
    {f32(-80.112022f), f32(6.560486f), 4.0 * f32(6.560486f), f32(1.930711f) * f32(1.930711f)},
    {f32(12.582468f), f32(3.827208f), 4.0 * f32(3.827208f), f32(0.77899903f) * f32(0.77899903f)},
};

// Deformation terms of the symmetric current's dipolar coordinate alpha:
// amplitude p, centre r0, width w, and cos theta width c (none for term 3).
struct DeformationTerm {
    double amplitude, centre, width, cos_width;
};
constexpr DeformationTerm kSymmetricDeformation[3] = {
    {f32(0.026024284f), f32(8.937791f), f32(3.327935f), f32(0.44870618f)},
    {f32(0.091258325f), f32(6.24303f), f32(1.7501459f), f32(0.41819572f)},
    {f32(0.061066918f), f32(2.0799086f), f32(0.68285483f), 0.0},
};

// Vector potential of two loops at the point of the undeformed coordinates
// (alpha*, gamma*) of a dipolar frame: the coordinates are turned back into
// (rho*, z*), then each loop contributes ((1 - k^2/2) K - E) / (k sqrt(rho*))
// with the complete elliptic integrals K and E of parameter k^2.
double loop_potential(const Loop (&loops)[2], double alpha, double gamma) {
    const double g2 = gamma * gamma;
    const double q = alpha * alpha / 2.0;
    const double f = kSixtyFourOver27 * g2 + q * q;
    const double big_q = math::pow(std::sqrt(f) + q, kOneThird);
    const double g2_third = math::pow(g2, kOneThird);
    double c = big_q - 4.0 * g2_third / (3.0 * big_q);
    if (c < 0.0) c = 0.0;
    const double big_g = std::sqrt(c * c + 4.0 * g2_third);
    const double r = 4.0 / ((std::sqrt(2.0 * big_g - c) + std::sqrt(c)) * (big_g + c));
    const double cos_theta = gamma * (r * r);
    const double rho = r * std::sqrt(1.0 - cos_theta * cos_theta);
    const double z = r * cos_theta;
    const double sqrt_rho = std::sqrt(rho);

    double potential = 0.0;
    for (int n = 0; n < 2; ++n) {
        const Loop& loop = loops[n];
        const double ra = rho + loop.radius;
        const double k2 = loop.radius4 * rho / (ra * ra + z * z + loop.half_thickness2);
        const double k = std::sqrt(k2);
        const double m = 1.0 - k2;
        const double l = math::log(1.0 / m);
        const double big_k =
            1.38629436112 +
            m * (0.09666344259 + m * (f32(0.035900924f) + m * (f32(0.037425637f) + m * f32(0.014511962f)))) +
            l * (0.5 + m * (0.12498593597 + m * (0.06880248576 + m * (0.03328355346 + m * 0.00441787012))));
        const double big_e =
            1.0 + m * (0.44325141463 + m * (0.0626060122 + m * (0.04757383546 + m * 0.01736506451))) +
            l * m * (0.2499836831 + m * (0.09200180037 + m * (0.04069697526 + m * 0.00526449639)));
        const double term = ((1.0 - k2 / 2.0) * big_k - big_e) / (k * sqrt_rho);
        potential = n == 0 ? loop.amplitude * term : potential + loop.amplitude * term;
    }
    return potential;
}

// Near the axis (sin theta < 0.01) the potentials are taken at sin theta =
// 0.01 and scaled by sin theta / 0.01, their linear behaviour there.
struct AxisPoint {
    double st, ct;
    bool near_axis;
};

inline AxisPoint axis_point(double st, double ct) {
    if (st < kAxisSine) return {kAxisSine, kAxisCosineSingle, true};
    return {st, ct, false};
}

// Vector potential A_s of the symmetric ring current at (r, sin theta, cos theta).
double symmetric_potential(double r, double st, double ct) {
    const AxisPoint p = axis_point(st, ct);
    const double alpha = p.st * p.st / r;
    const double gamma = p.ct / (r * r);
    double e[3];
    for (int n = 0; n < 3; ++n) {
        const DeformationTerm& t = kSymmetricDeformation[n];
        const double radial = (r - t.centre) / t.width;
        if (n < 2) {
            const double polar = p.ct / t.cos_width;
            e[n] = guarded_exp(-(radial * radial) - polar * polar);
        } else {
            e[n] = guarded_exp(-(radial * radial));
        }
    }
    const double alpha_s = alpha * (1.0 + kSymmetricDeformation[0].amplitude * e[0] +
                                    kSymmetricDeformation[1].amplitude * e[1] +
                                    kSymmetricDeformation[2].amplitude * e[2]);
    double a = loop_potential(kSymmetricLoops, alpha_s, gamma);
    if (p.near_axis) a = a * st / kAxisSine;
    return a;
}

// (x / c)^2 + 1.
inline double lorentz(double x, double c) {
    const double t = x / c;
    return t * t + 1.0;
}

// Vector potential A_p of the symmetric part of the partial ring current.
double partial_potential(double r, double st, double ct) {
    const AxisPoint p = axis_point(st, ct);
    const double alpha = p.st * p.st / r;
    const double gamma = p.ct / (r * r);

    const double ga = gamma / f32(0.047429398f);
    const double ea = guarded_exp(-(ga * ga));
    const double ba = (alpha - f32(0.26470953f)) / f32(0.0709123f);
    const double bg = gamma / f32(0.015129636f);
    const double eb = guarded_exp(-(ba * ba) - bg * bg);

    const double a1 = alpha + f32(0.007647312f);
    const double u1 = f32(103.1601f) * (a1 * a1) / math::pow(lorentz(a1, f32(0.10464875f)), f32(2.9588635f)) /
                      math::pow(lorentz(gamma, f32(0.011723142f)), f32(0.4382873f));
    const double a2 = alpha + f32(0.028456436f);
    const double u2 = f32(-4.800459f) * a2 / math::pow(lorentz(a2, f32(0.21881142f)), f32(2.5459447f)) /
                      math::pow(lorentz(gamma, f32(0.008132728f)), f32(0.35868245f));
    const double alpha_s =
        alpha * (1.0 +
                 f32(0.3058309f) * ea /
                     math::pow(lorentz(alpha - f32(0.18171398f), f32(0.12575328f)), f32(3.4225094f)) +
                 u2 + u1);
    const double a3 = alpha - f32(0.16774008f);
    const double u3 = f32(6.8613296f) * a3 / math::pow(lorentz(a3, f32(0.044336487f)), f32(0.76655996f));
    const double gamma_s =
        gamma * (1.0113490810617805 + f32(14.513399f) * (alpha - f32(0.26470953f)) * eb +
                 u3 / math::pow(lorentz(gamma, f32(0.055537414f)), f32(0.72778547f)));

    double a = loop_potential(kPartialLoops, alpha_s, gamma_s);
    if (p.near_axis) a = a * st / kAxisSine;
    return a;
}

// Field B = curl (A e_phi) of an azimuthal vector potential A(r, st, ct) at a
// Cartesian point of the current's frame, by central differences; near the
// axis from the potential's linear behaviour there.
template <double (*Potential)(double, double, double)>
T01Field potential_field(double x, double y, double z) {
    const double rho2 = x * x + y * y;
    const double r = std::sqrt(rho2 + z * z);
    const double rp = r + kStep;
    const double rm = r - kStep;
    const double st = std::sqrt(rho2) / r;
    const double ct = z / r;
    if (st < kAxisSine) {
        const double a = Potential(r, kAxisSine, kAxisCosine) / kAxisSine;
        const double da = (rp * Potential(rp, kAxisSine, kAxisCosine) - rm * Potential(rm, kAxisSine, kAxisCosine)) *
                          kHalfStepInverse;
        const double f = z * (2.0 * a - da) / (r * (r * r));
        return {f * x, f * y, (2.0 * a * (ct * ct) + da * (st * st)) / r};
    }
    const double theta = math::atan2(st, ct);
    const double tp = theta + kStep;
    const double tm = theta - kStep;
    double sp, cp, sm, cm;
    math::sincos(tp, sp, cp);
    math::sincos(tm, sm, cm);
    const double br = (sp * Potential(r, sp, cp) - sm * Potential(r, sm, cm)) / (r * st) * kHalfStepInverse;
    const double bt = (rm * Potential(rm, st, ct) - rp * Potential(rp, st, ct)) / r * kHalfStepInverse;
    const double f = (br + bt * ct / st) / r;
    return {f * x, f * y, br * ct - bt * st};
}

// T(a, a0, da): the smoothed step fa = 2 / (s1 + s2), f = fa a and its
// companion fs, with s1,2 = sqrt((a -+ a0)^2 + da^2).
struct Step {
    double f, fa, fs;
};

inline Step smoothed_step(double a, double a0, double da) {
    const double ap = a + a0;
    const double am = a - a0;
    const double s1 = std::sqrt(ap * ap + da * da);
    const double s2 = std::sqrt(am * am + da * da);
    const double fa = 2.0 / (s1 + s2);
    const double f = fa * a;
    return {f, fa, 0.5 * (s1 + s2) / (s1 * s2) * (1.0 - f * f)};
}

// Radial function Qr of the partial ring current's quadrupole.
double quadrupole_radial(double r, double st, double ct) {
    const double sc = st * ct;
    const double c2 = ct * ct;
    const double alpha = st * st / r;
    const double gamma = ct / (r * r);

    const Step t1 = smoothed_step(alpha, f32(0.14175195f), f32(0.0063880133f));
    const double d1 = sc * math::pow(t1.f, f32(2.3188243f)) / (math::pow(r / f32(5.3039346f), f32(4.2133975f)) + 1.0);
    const double d2 = d1 * c2;
    const Step t2 = smoothed_step(alpha, f32(0.14011428f), f32(0.023060942f));
    const double d3 = sc * math::pow(t2.fs, f32(0.7955534f)) / (math::pow(r / f32(3.462235f), f32(2.568743f)) + 1.0);
    const double d4 = d3 * c2;
    const Step t3 = smoothed_step(alpha, f32(0.14852335f), f32(0.023196762f));
    const double d5 = sc * math::pow(alpha, f32(3.4774258f)) * math::pow(t3.fs, f32(1.9221551f)) /
                      (math::pow(r / f32(7.8302236f), f32(8.4929342f)) + 1.0);
    const double d6 = d5 * c2;

    double g = lorentz(alpha - f32(0.12952219f), f32(0.017530087f));
    double h = 1.0 + (gamma / f32(0.011255041f)) * (gamma / f32(0.011255041f));
    const double d7 = sc / g / h;
    const double d8 = d7 / g;
    const double d9 = d8 / g;
    const double d10 = d9 / g;
    g = lorentz(alpha - f32(0.1811846f), f32(0.048412375f));
    h = 1.0 + (gamma / f32(0.019818051f)) * (gamma / f32(0.019818051f));
    const double d11 = sc / g / h;
    const double d12 = d11 / g;
    const double d13 = d12 / g;
    const double d14 = d13 / g;

    const double r2 = r * r;
    const double r4 = r2 * r2;
    const double d15 = sc / (r4 + 1849.4096789157009);
    const double d16 = sc * c2 / (r4 + 1624.4461185676396);
    const double d17 = sc * (c2 * c2) / (r4 + 1088.9045311069974);
    const Step t4 = smoothed_step(alpha, f32(0.2265213f), f32(0.13019572f));
    const double d18 = sc * t4.fs / lorentz(r - 1.2, f32(0.5654023f));

    return f32(-21.266632f) * d1 + f32(32.245274f) * d2 + f32(-6.062894f) * d3 + f32(7.5156608f) * d4 +
           f32(233.73413f) * d5 + f32(-227.11957f) * d6 + f32(8.4832335f) * d7 + f32(16.806427f) * d8 +
           f32(-24.635342f) * d9 + f32(9.0671206f) * d10 + f32(-1.0526869f) * d11 + f32(-12.083845f) * d12 +
           f32(18.619696f) * d13 + f32(-12.716861f) * d14 + f32(47017.355f) * d15 + f32(-50646.71f) * d16 +
           f32(7746.058f) * d17 + f32(1.5310694f) * d18;
}

// The parts of Qt that depend on r alone, shared by the three evaluations at
// one r.
struct PolarRadial {
    double r;
    double e1_denominator, e3_denominator, e5_denominator;
    double r4;
};

PolarRadial polar_radial(double r) {
    const double r2 = r * r;
    return {r, math::pow(r / f32(7.4713326f), f32(3.1805336f)) + 1.0, math::pow(r, f32(1.9851482f)),
            math::pow(r / f32(6.2937407f), f32(5.6718245f)) + 1.0, r2 * r2};
}

// Polar function Qt of the partial ring current's quadrupole.
double quadrupole_polar(const PolarRadial& radial, double st, double ct) {
    const double r = radial.r;
    const double c2 = ct * ct;
    const double alpha = st * st / r;
    const double gamma = ct / (r * r);

    const Step t1 = smoothed_step(alpha, f32(0.20717214f), f32(0.050305553f));
    const double e1 = math::pow(t1.f, f32(1.2432883f)) / radial.e1_denominator;
    const double e2 = e1 * c2;
    const Step t2 = smoothed_step(alpha, f32(0.15685043f), f32(0.020929107f));
    const double e3 = math::pow(t2.fa, f32(1.3767436f)) / radial.e3_denominator;
    const double e4 = e3 * c2;
    const Step t3 = smoothed_step(alpha, f32(0.17013952f), f32(0.101987004f));
    const double e5 = math::pow(t3.fs, f32(0.315714f)) * math::pow(alpha, f32(1.0563095f)) / radial.e5_denominator;
    const double e6 = e5 * c2;

    const Step t4 = smoothed_step(gamma, 0.0, f32(0.010406961f));
    double g = 1.0 + (alpha - f32(0.12807722f)) / f32(0.021890609f) * ((alpha - f32(0.12807722f)) / f32(0.021890609f));
    const double e7 = t4.fs / g;
    const double e8 = e7 / g;
    const double e9 = e8 / g;
    const double e10 = e9 / g;
    g = 1.0 + (alpha - f32(0.16482656f)) / f32(0.047015928f) * ((alpha - f32(0.16482656f)) / f32(0.047015928f));
    const double h = 1.0 + (gamma / f32(0.015264001f)) * (gamma / f32(0.015264001f));
    const double e11 = 1.0 / g / h;
    const double e12 = e11 / g;
    const double e13 = e12 / g;
    const double e14 = e13 / g;

    const double e15 = 1.0 / (radial.r4 + 165.99339674698422);
    const double e16 = c2 / (radial.r4 + 11.301532225289122);
    const double e17 = c2 * c2 / (radial.r4 + 549.5150864927709);

    return f32(12.746404f) * e1 + f32(-7.5163937f) * e2 + f32(-5.476234f) * e3 + f32(3.2127047f) * e4 +
           f32(-59.10926f) * e5 + f32(46.621983f) * e6 + f32(-0.0164428f) * e7 + f32(0.12342291f) * e8 +
           f32(-0.08579199f) * e9 + f32(0.01321367f) * e10 + f32(0.8970494f) * e11 + f32(9.1361866f) * e12 +
           f32(-38.193012f) * e13 + f32(21.737759f) * e14 + f32(-410.07834f) * e15 + f32(-69.908325f) * e16 +
           f32(-848.85437f) * e17;
}

// Quadrupole part of the partial ring current at a point of its frame, from
// the radial and polar functions and their derivatives (central differences);
// within sin theta <= 0.01 of the axis with the functions taken at
// sin theta = 0.01.
T01Field quadrupole_field(double x, double y, double z) {
    const double rho2 = x * x + y * y;
    const double r = std::sqrt(rho2 + z * z);
    const double rho = std::sqrt(rho2);
    const double st = rho / r;
    const double ct = z / r;
    const PolarRadial radial = polar_radial(r);
    if (st > kAxisSine) {
        const double cphi = x / rho;
        const double sphi = y / rho;
        const double br = quadrupole_radial(r, st, ct);
        const double bt = quadrupole_polar(radial, st, ct);
        const double dbr = (quadrupole_radial(r + kStep, st, ct) - quadrupole_radial(r - kStep, st, ct)) / 2e-4;
        const double theta = math::atan2(st, ct);
        const double tp = theta + kStep;
        const double tm = theta - kStep;
        double sp, cp, sm, cm;
        math::sincos(tp, sp, cp);
        math::sincos(tm, sm, cm);
        const double dbt = (quadrupole_polar(radial, sp, cp) - quadrupole_polar(radial, sm, cm)) / 2e-4;
        const double fc = br + r * dbr + dbt;
        return {st * (br + fc * (sphi * sphi)) + ct * bt, -st * sphi * cphi * fc, (br * ct - bt * st) * cphi};
    }
    const double s0 = kAxisSine;
    const double c0 = z < 0.0 ? -kAxisCosine : kAxisCosine;
    const double theta = math::atan2(s0, c0);
    const double br = quadrupole_radial(r, s0, c0);
    const double bt = quadrupole_polar(radial, s0, c0);
    const double dbr = (quadrupole_radial(r + kStep, s0, c0) - quadrupole_radial(r - kStep, s0, c0)) / 2e-4;
    const double tp = theta + kStep;
    const double tm = theta - kStep;
    double sp, cp, sm, cm;
    math::sincos(tp, sp, cp);
    math::sincos(tm, sm, cm);
    const double dbt = (quadrupole_polar(radial, sp, cp) - quadrupole_polar(radial, sm, cm)) / 2e-4;
    const double fc = r * dbr + dbt;
    const double rs = r * s0;
    const double rs2 = rs * rs;
    return {(br * (x * x + 2.0 * (y * y)) + fc * (y * y)) / rs2 + bt * ct, -(br + fc) * x * y / rs2,
            (br * ct / s0 - bt) * x / r};
}

}  // namespace

T01RingCurrent t01_ring_current_prepare(double tilt, const T01ComponentParameters& parameters) {
    T01RingCurrent set;
    math::sincos(tilt, set.sin_tilt, set.cos_tilt);
    set.src_scale = parameters.src_scale;
    set.prc_scale = parameters.prc_scale;
    math::sincos(parameters.prc_rotation, set.prc_sin, set.prc_cos);
    const double xsc_s = parameters.src_scale - 1.0;
    const double xsc_p = parameters.prc_scale - 1.0;
    const double scale_s = xsc_s + 1.0;
    const double scale_p = xsc_p + 1.0;
    set.symmetric_shielding =
        t01_shielding_sum_prepare(kT01SymmetricRingShielding, tilt, xsc_s, scale_s * scale_s * scale_s);
    set.partial_shielding =
        t01_shielding_sum_prepare(kT01PartialRingShielding, tilt, xsc_p, scale_p * scale_p * scale_p);
    return set;
}

// Both currents are evaluated in the frame turned about Y by the tilt (the
// dipole's equator), at coordinates divided by their size factors; the
// partial current's quadrupole is turned about the dipole axis by phi_p.
T01RingCurrents t01_ring_current_field(const T01RingCurrent& set, double x, double y, double z) {
    const double c = set.cos_tilt;
    const double s = set.sin_tilt;
    const double xt = x * c - z * s;
    const double zt = z * c + x * s;

    const double ss = set.src_scale;
    const T01Field b = potential_field<symmetric_potential>(xt / ss, y / ss, zt / ss);

    const double sp = set.prc_scale;
    const double xa = xt / sp, ya = y / sp, za = zt / sp;
    const T01Field a = potential_field<partial_potential>(xa, ya, za);
    const double cp = set.prc_cos, spr = set.prc_sin;
    const double xr = xa * cp - ya * spr;
    const double yr = xa * spr + ya * cp;
    const T01Field q = quadrupole_field(xr, yr, za);
    const double qx = q.x * cp + q.y * spr;
    const double qy = -q.x * spr + q.y * cp;
    const double px = a.x + qx, py = a.y + qy, pz = a.z + q.z;

    const T01Field hs = t01_shielding_sum(set.symmetric_shielding, x, y, z);
    const T01Field hp = t01_shielding_sum(set.partial_shielding, x, y, z);
    T01RingCurrents out;
    out.symmetric = {b.x * c + b.z * s + hs.x, b.y + hs.y, b.z * c - b.x * s + hs.z};
    out.partial = {px * c + pz * s + hp.x, py + hp.y, pz * c - px * s + hp.z};
    return out;
}

}  // namespace cones
