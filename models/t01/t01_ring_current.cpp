// Symmetric and partial ring currents of the T01 model: vector potentials of
// current loops in deformed dipolar coordinates, the partial ring current's
// quadrupole part, and the shielding fields of both.
#include <cmath>

#include "models/t01/t01_components.hpp"
#include "numerics/lane_variant.hpp"
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
template <class Real>
Real guarded_exp(Real e) {
    return select(e < kExponentFloor, Real(0.0), math::exp(e));
}

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
template <class Real>
Real loop_potential(const Loop (&loops)[2], Real alpha, Real gamma) {
    using std::sqrt;
    const Real g2 = gamma * gamma;
    const Real q = alpha * alpha / 2.0;
    const Real f = kSixtyFourOver27 * g2 + q * q;
    const Real big_q = math::pow(sqrt(f) + q, kOneThird);
    const Real g2_third = math::pow(g2, kOneThird);
    const Real c_raw = big_q - 4.0 * g2_third / (3.0 * big_q);
    const Real c = select(c_raw < 0.0, Real(0.0), c_raw);
    const Real big_g = sqrt(c * c + 4.0 * g2_third);
    const Real r = 4.0 / ((sqrt(2.0 * big_g - c) + sqrt(c)) * (big_g + c));
    const Real cos_theta = gamma * (r * r);
    const Real rho = r * sqrt(1.0 - cos_theta * cos_theta);
    const Real z = r * cos_theta;
    const Real sqrt_rho = sqrt(rho);

    Real potential = 0.0;
    for (int n = 0; n < 2; ++n) {
        const Loop& loop = loops[n];
        const Real ra = rho + loop.radius;
        const Real k2 = loop.radius4 * rho / (ra * ra + z * z + loop.half_thickness2);
        const Real k = sqrt(k2);
        const Real m = 1.0 - k2;
        const Real l = math::log(1.0 / m);
        const Real big_k =
            1.38629436112 +
            m * (0.09666344259 + m * (f32(0.035900924f) + m * (f32(0.037425637f) + m * f32(0.014511962f)))) +
            l * (0.5 + m * (0.12498593597 + m * (0.06880248576 + m * (0.03328355346 + m * 0.00441787012))));
        const Real big_e =
            1.0 + m * (0.44325141463 + m * (0.0626060122 + m * (0.04757383546 + m * 0.01736506451))) +
            l * m * (0.2499836831 + m * (0.09200180037 + m * (0.04069697526 + m * 0.00526449639)));
        const Real term = ((1.0 - k2 / 2.0) * big_k - big_e) / (k * sqrt_rho);
        potential = n == 0 ? loop.amplitude * term : potential + loop.amplitude * term;
    }
    return potential;
}

// Near the axis (sin theta < 0.01) the potentials are taken at sin theta =
// 0.01 and scaled by sin theta / 0.01, their linear behaviour there.
template <class Real>
struct AxisPoint {
    Real st, ct;
    MaskOf<Real> near_axis;
};

template <class Real>
AxisPoint<Real> axis_point(Real st, Real ct) {
    const MaskOf<Real> near_axis = st < kAxisSine;
    return {select(near_axis, Real(kAxisSine), st), select(near_axis, Real(kAxisCosineSingle), ct), near_axis};
}

// Vector potential A_s of the symmetric ring current at (r, sin theta, cos theta).
template <class Real>
Real symmetric_potential(Real r, Real st, Real ct) {
    const AxisPoint<Real> p = axis_point(st, ct);
    const Real alpha = p.st * p.st / r;
    const Real gamma = p.ct / (r * r);
    Real e[3];
    for (int n = 0; n < 3; ++n) {
        const DeformationTerm& t = kSymmetricDeformation[n];
        const Real radial = (r - t.centre) / t.width;
        if (n < 2) {
            const Real polar = p.ct / t.cos_width;
            e[n] = guarded_exp(-(radial * radial) - polar * polar);
        } else {
            e[n] = guarded_exp(-(radial * radial));
        }
    }
    const Real alpha_s = alpha * (1.0 + kSymmetricDeformation[0].amplitude * e[0] +
                                    kSymmetricDeformation[1].amplitude * e[1] +
                                    kSymmetricDeformation[2].amplitude * e[2]);
    const Real a = loop_potential(kSymmetricLoops, alpha_s, gamma);
    return select(p.near_axis, a * st / kAxisSine, a);
}

// (x / c)^2 + 1.
template <class Real>
Real lorentz(Real x, double c) {
    const Real t = x / c;
    return t * t + 1.0;
}

// Vector potential A_p of the symmetric part of the partial ring current.
template <class Real>
Real partial_potential(Real r, Real st, Real ct) {
    const AxisPoint<Real> p = axis_point(st, ct);
    const Real alpha = p.st * p.st / r;
    const Real gamma = p.ct / (r * r);

    const Real ga = gamma / f32(0.047429398f);
    const Real ea = guarded_exp(-(ga * ga));
    const Real ba = (alpha - f32(0.26470953f)) / f32(0.0709123f);
    const Real bg = gamma / f32(0.015129636f);
    const Real eb = guarded_exp(-(ba * ba) - bg * bg);

    const Real a1 = alpha + f32(0.007647312f);
    const Real u1 = f32(103.1601f) * (a1 * a1) / math::pow(lorentz(a1, f32(0.10464875f)), f32(2.9588635f)) /
                      math::pow(lorentz(gamma, f32(0.011723142f)), f32(0.4382873f));
    const Real a2 = alpha + f32(0.028456436f);
    const Real u2 = f32(-4.800459f) * a2 / math::pow(lorentz(a2, f32(0.21881142f)), f32(2.5459447f)) /
                      math::pow(lorentz(gamma, f32(0.008132728f)), f32(0.35868245f));
    const Real alpha_s =
        alpha * (1.0 +
                 f32(0.3058309f) * ea /
                     math::pow(lorentz(alpha - f32(0.18171398f), f32(0.12575328f)), f32(3.4225094f)) +
                 u2 + u1);
    const Real a3 = alpha - f32(0.16774008f);
    const Real u3 = f32(6.8613296f) * a3 / math::pow(lorentz(a3, f32(0.044336487f)), f32(0.76655996f));
    const Real gamma_s =
        gamma * (1.0113490810617805 + f32(14.513399f) * (alpha - f32(0.26470953f)) * eb +
                 u3 / math::pow(lorentz(gamma, f32(0.055537414f)), f32(0.72778547f)));

    const Real a = loop_potential(kPartialLoops, alpha_s, gamma_s);
    return select(p.near_axis, a * st / kAxisSine, a);
}

// The sines and cosines of theta + kStep and theta - kStep, the neighbours of
// the central differences in theta, from sin theta and cos theta.
template <class Real>
void angles_beside(Real st, Real ct, Real& sp, Real& cp, Real& sm, Real& cm) {
    const Real theta = math::atan2(st, ct);
    math::sincos(theta + kStep, sp, cp);
    math::sincos(theta - kStep, sm, cm);
}

// Field B = curl (A e_phi) of an azimuthal vector potential A(r, st, ct) at a
// Cartesian point of the current's frame, by central differences; near the
// axis from the potential's linear behaviour there, at sin theta = 0.01.
// Both forms share the differences in r, taken at each lane's own angle; the
// difference in theta is taken when any lane lies off the axis.
template <class Real, class Potential>
T01FieldOf<Real> potential_field(const Potential& potential, Real x, Real y, Real z) {
    using std::sqrt;
    const Real rho2 = x * x + y * y;
    const Real r = sqrt(rho2 + z * z);
    const Real rp = r + kStep;
    const Real rm = r - kStep;
    const Real st = sqrt(rho2) / r;
    const Real ct = z / r;
    const MaskOf<Real> near_axis = st < kAxisSine;
    const Real sa = select(near_axis, Real(kAxisSine), st);
    const Real ca = select(near_axis, Real(kAxisCosine), ct);
    const Real a_plus = potential(rp, sa, ca);
    const Real a_minus = potential(rm, sa, ca);
    Real sp, cp, sm, cm;
    angles_beside(st, ct, sp, cp, sm, cm);
    // At r: at the axis angle near the axis, at theta + kStep off it.
    const Real a_at = potential(r, select(near_axis, Real(kAxisSine), sp), select(near_axis, Real(kAxisCosine), cp));

    const Real a = a_at / kAxisSine;
    const Real da = (rp * a_plus - rm * a_minus) * kHalfStepInverse;
    const Real f_axis = z * (2.0 * a - da) / (r * (r * r));
    T01FieldOf<Real> b = {f_axis * x, f_axis * y, (2.0 * a * (ct * ct) + da * (st * st)) / r};
    if (any_lane(!near_axis)) {
        const Real br = (sp * a_at - sm * potential(r, sm, cm)) / (r * st) * kHalfStepInverse;
        const Real bt = (rm * a_minus - rp * a_plus) / r * kHalfStepInverse;
        const Real f = (br + bt * ct / st) / r;
        b = {select(near_axis, b.x, f * x), select(near_axis, b.y, f * y), select(near_axis, b.z, br * ct - bt * st)};
    }
    return b;
}

// T(a, a0, da): the smoothed step fa = 2 / (s1 + s2), f = fa a and its
// companion fs, with s1,2 = sqrt((a -+ a0)^2 + da^2).
template <class Real>
struct Step {
    Real f, fa, fs;
};

template <class Real>
Step<Real> smoothed_step(Real a, double a0, double da) {
    using std::sqrt;
    const Real ap = a + a0;
    const Real am = a - a0;
    const Real s1 = sqrt(ap * ap + da * da);
    const Real s2 = sqrt(am * am + da * da);
    const Real fa = 2.0 / (s1 + s2);
    const Real f = fa * a;
    return {f, fa, 0.5 * (s1 + s2) / (s1 * s2) * (1.0 - f * f)};
}

// Radial function Qr of the partial ring current's quadrupole.
template <class Real>
Real quadrupole_radial(Real r, Real st, Real ct) {
    const Real sc = st * ct;
    const Real c2 = ct * ct;
    const Real alpha = st * st / r;
    const Real gamma = ct / (r * r);

    const Step<Real> t1 = smoothed_step(alpha, f32(0.14175195f), f32(0.0063880133f));
    const Real d1 = sc * math::pow(t1.f, f32(2.3188243f)) / (math::pow(r / f32(5.3039346f), f32(4.2133975f)) + 1.0);
    const Real d2 = d1 * c2;
    const Step<Real> t2 = smoothed_step(alpha, f32(0.14011428f), f32(0.023060942f));
    const Real d3 = sc * math::pow(t2.fs, f32(0.7955534f)) / (math::pow(r / f32(3.462235f), f32(2.568743f)) + 1.0);
    const Real d4 = d3 * c2;
    const Step<Real> t3 = smoothed_step(alpha, f32(0.14852335f), f32(0.023196762f));
    const Real d5 = sc * math::pow(alpha, f32(3.4774258f)) * math::pow(t3.fs, f32(1.9221551f)) /
                      (math::pow(r / f32(7.8302236f), f32(8.4929342f)) + 1.0);
    const Real d6 = d5 * c2;

    Real g = lorentz(alpha - f32(0.12952219f), f32(0.017530087f));
    Real h = 1.0 + (gamma / f32(0.011255041f)) * (gamma / f32(0.011255041f));
    const Real d7 = sc / g / h;
    const Real d8 = d7 / g;
    const Real d9 = d8 / g;
    const Real d10 = d9 / g;
    g = lorentz(alpha - f32(0.1811846f), f32(0.048412375f));
    h = 1.0 + (gamma / f32(0.019818051f)) * (gamma / f32(0.019818051f));
    const Real d11 = sc / g / h;
    const Real d12 = d11 / g;
    const Real d13 = d12 / g;
    const Real d14 = d13 / g;

    const Real r2 = r * r;
    const Real r4 = r2 * r2;
    const Real d15 = sc / (r4 + 1849.4096789157009);
    const Real d16 = sc * c2 / (r4 + 1624.4461185676396);
    const Real d17 = sc * (c2 * c2) / (r4 + 1088.9045311069974);
    const Step<Real> t4 = smoothed_step(alpha, f32(0.2265213f), f32(0.13019572f));
    const Real d18 = sc * t4.fs / lorentz(r - 1.2, f32(0.5654023f));

    return f32(-21.266632f) * d1 + f32(32.245274f) * d2 + f32(-6.062894f) * d3 + f32(7.5156608f) * d4 +
           f32(233.73413f) * d5 + f32(-227.11957f) * d6 + f32(8.4832335f) * d7 + f32(16.806427f) * d8 +
           f32(-24.635342f) * d9 + f32(9.0671206f) * d10 + f32(-1.0526869f) * d11 + f32(-12.083845f) * d12 +
           f32(18.619696f) * d13 + f32(-12.716861f) * d14 + f32(47017.355f) * d15 + f32(-50646.71f) * d16 +
           f32(7746.058f) * d17 + f32(1.5310694f) * d18;
}

// The parts of Qt that depend on r alone, shared by the three evaluations at
// one r.
template <class Real>
struct PolarRadial {
    Real r;
    Real e1_denominator, e3_denominator, e5_denominator;
    Real r4;
};

template <class Real>
PolarRadial<Real> polar_radial(Real r) {
    const Real r2 = r * r;
    return {r, math::pow(r / f32(7.4713326f), f32(3.1805336f)) + 1.0, math::pow(r, f32(1.9851482f)),
            math::pow(r / f32(6.2937407f), f32(5.6718245f)) + 1.0, r2 * r2};
}

// Polar function Qt of the partial ring current's quadrupole.
template <class Real>
Real quadrupole_polar(const PolarRadial<Real>& radial, Real st, Real ct) {
    const Real r = radial.r;
    const Real c2 = ct * ct;
    const Real alpha = st * st / r;
    const Real gamma = ct / (r * r);

    const Step<Real> t1 = smoothed_step(alpha, f32(0.20717214f), f32(0.050305553f));
    const Real e1 = math::pow(t1.f, f32(1.2432883f)) / radial.e1_denominator;
    const Real e2 = e1 * c2;
    const Step<Real> t2 = smoothed_step(alpha, f32(0.15685043f), f32(0.020929107f));
    const Real e3 = math::pow(t2.fa, f32(1.3767436f)) / radial.e3_denominator;
    const Real e4 = e3 * c2;
    const Step<Real> t3 = smoothed_step(alpha, f32(0.17013952f), f32(0.101987004f));
    const Real e5 = math::pow(t3.fs, f32(0.315714f)) * math::pow(alpha, f32(1.0563095f)) / radial.e5_denominator;
    const Real e6 = e5 * c2;

    const Step<Real> t4 = smoothed_step(gamma, 0.0, f32(0.010406961f));
    Real g = 1.0 + (alpha - f32(0.12807722f)) / f32(0.021890609f) * ((alpha - f32(0.12807722f)) / f32(0.021890609f));
    const Real e7 = t4.fs / g;
    const Real e8 = e7 / g;
    const Real e9 = e8 / g;
    const Real e10 = e9 / g;
    g = 1.0 + (alpha - f32(0.16482656f)) / f32(0.047015928f) * ((alpha - f32(0.16482656f)) / f32(0.047015928f));
    const Real h = 1.0 + (gamma / f32(0.015264001f)) * (gamma / f32(0.015264001f));
    const Real e11 = 1.0 / g / h;
    const Real e12 = e11 / g;
    const Real e13 = e12 / g;
    const Real e14 = e13 / g;

    const Real e15 = 1.0 / (radial.r4 + 165.99339674698422);
    const Real e16 = c2 / (radial.r4 + 11.301532225289122);
    const Real e17 = c2 * c2 / (radial.r4 + 549.5150864927709);

    return f32(12.746404f) * e1 + f32(-7.5163937f) * e2 + f32(-5.476234f) * e3 + f32(3.2127047f) * e4 +
           f32(-59.10926f) * e5 + f32(46.621983f) * e6 + f32(-0.0164428f) * e7 + f32(0.12342291f) * e8 +
           f32(-0.08579199f) * e9 + f32(0.01321367f) * e10 + f32(0.8970494f) * e11 + f32(9.1361866f) * e12 +
           f32(-38.193012f) * e13 + f32(21.737759f) * e14 + f32(-410.07834f) * e15 + f32(-69.908325f) * e16 +
           f32(-848.85437f) * e17;
}

// Quadrupole part of the partial ring current at a point of its frame, from
// the radial and polar functions and their derivatives (central differences);
// within sin theta <= 0.01 of the axis with the functions taken at
// sin theta = 0.01 in the point's hemisphere. The functions are taken once,
// at each lane's own angle; each form of the field when any lane needs it.
template <class Real>
T01FieldOf<Real> quadrupole_field(Real x, Real y, Real z) {
    using std::sqrt;
    const Real rho2 = x * x + y * y;
    const Real r = sqrt(rho2 + z * z);
    const Real rho = sqrt(rho2);
    const Real st = rho / r;
    const Real ct = z / r;
    const PolarRadial<Real> radial = polar_radial(r);
    const MaskOf<Real> off_axis = st > kAxisSine;
    const Real sa = select(off_axis, st, Real(kAxisSine));
    const Real ca = select(off_axis, ct, select(z < 0.0, Real(-kAxisCosine), Real(kAxisCosine)));
    const Real br = quadrupole_radial(r, sa, ca);
    const Real bt = quadrupole_polar(radial, sa, ca);
    const Real dbr = (quadrupole_radial(r + kStep, sa, ca) - quadrupole_radial(r - kStep, sa, ca)) / 2e-4;
    Real sp, cp, sm, cm;
    angles_beside(sa, ca, sp, cp, sm, cm);
    const Real dbt = (quadrupole_polar(radial, sp, cp) - quadrupole_polar(radial, sm, cm)) / 2e-4;

    T01FieldOf<Real> away, near;
    if (any_lane(off_axis)) {
        const Real cphi = x / rho;
        const Real sphi = y / rho;
        const Real fc = br + r * dbr + dbt;
        away = {st * (br + fc * (sphi * sphi)) + ct * bt, -st * sphi * cphi * fc, (br * ct - bt * st) * cphi};
    }
    if (any_lane(!off_axis)) {
        const double s0 = kAxisSine;
        const Real fc = r * dbr + dbt;
        const Real rs = r * s0;
        const Real rs2 = rs * rs;
        near = {(br * (x * x + 2.0 * (y * y)) + fc * (y * y)) / rs2 + bt * ct, -(br + fc) * x * y / rs2,
                (br * ct / s0 - bt) * x / r};
    }
    return {select(off_axis, away.x, near.x), select(off_axis, away.y, near.y), select(off_axis, away.z, near.z)};
}

}  // namespace

#if CONES_ONE_POINT_BUILD
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
#endif

// Both currents are evaluated in the frame turned about Y by the tilt (the
// dipole's equator), at coordinates divided by their size factors; the
// partial current's quadrupole is turned about the dipole axis by phi_p.
template <class Real>
T01RingCurrentsOf<Real> t01_ring_current_field(const T01RingCurrent& set, Real x, Real y, Real z) {
    const double c = set.cos_tilt;
    const double s = set.sin_tilt;
    const Real xt = x * c - z * s;
    const Real zt = z * c + x * s;

    const double ss = set.src_scale;
    const auto symmetric = [](auto r, auto st, auto ct) { return symmetric_potential(r, st, ct); };
    const T01FieldOf<Real> b = potential_field(symmetric, xt / ss, y / ss, zt / ss);

    const double sp = set.prc_scale;
    const Real xa = xt / sp, ya = y / sp, za = zt / sp;
    const auto partial = [](auto r, auto st, auto ct) { return partial_potential(r, st, ct); };
    const T01FieldOf<Real> a = potential_field(partial, xa, ya, za);
    const double cp = set.prc_cos, spr = set.prc_sin;
    const Real xr = xa * cp - ya * spr;
    const Real yr = xa * spr + ya * cp;
    const T01FieldOf<Real> q = quadrupole_field(xr, yr, za);
    const Real qx = q.x * cp + q.y * spr;
    const Real qy = -q.x * spr + q.y * cp;
    const Real px = a.x + qx, py = a.y + qy, pz = a.z + q.z;

    const T01FieldOf<Real> hs = t01_shielding_sum(set.symmetric_shielding, x, y, z);
    const T01FieldOf<Real> hp = t01_shielding_sum(set.partial_shielding, x, y, z);
    T01RingCurrentsOf<Real> out;
    out.symmetric = {b.x * c + b.z * s + hs.x, b.y + hs.y, b.z * c - b.x * s + hs.z};
    out.partial = {px * c + pz * s + hp.x, py + hp.y, pz * c - px * s + hp.z};
    return out;
}

#define CONES_T01_RING_CURRENT(Real) \
    template T01RingCurrentsOf<Real> t01_ring_current_field(const T01RingCurrent&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T01_RING_CURRENT)

}  // namespace cones
