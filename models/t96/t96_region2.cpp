// T96 region-2 Birkeland (field-aligned) currents: in the frame tilted with
// the dipole, an inner, a sheet and an outer representation of the current
// system chosen by a stretched coordinate that follows the current sheet,
// blended across two transition bands, and the magnetopause shielding.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Transition bands of the stretched coordinate: centres +-0.03, half-width 0.015.
constexpr double kBandCentre = 0.03;
constexpr double kBandHalfWidth = 0.015;
// Normalisation of the source field (single precision).
constexpr double kNormalisation = double(-0.02f);

// Inner representation (single precision): weights of the five conical
// harmonics, the two dipole distributions and the four-loop system.
constexpr double kInnerWeights[8] = {double(154.185f),    double(-2.12446f),  double(0.0601735f),
                                     double(-0.00153954f), double(0.0000355077f), double(29.9996f),
                                     double(262.886f),    double(99.9132f)};
constexpr double kInnerLoopX = double(-8.1902f), kInnerLoopY = double(6.5239f);
constexpr double kInnerLoopZ = double(5.504f), kInnerLoopRadius = double(7.7815f);
constexpr double kInnerLoopTheta = double(0.8573f), kInnerLoopPhi = double(3.0986f);
constexpr double kDistributionShift0 = double(0.0774f);
constexpr double kDistributionShift1 = double(-0.038f);

// Outer representation (single precision): weights of the three crossed loop
// pairs, the equatorial loop and the four-loop system, and their geometry.
constexpr double kOuterWeights[5] = {double(-34.105f), double(-2.00019f), double(628.639f),
                                     double(73.4847f), double(12.5162f)};
struct CrossedPair {
    double centre, radius, inclination;
};
constexpr CrossedPair kOuterCrossed[3] = {{double(0.55f), double(0.694f), double(0.0031f)},
                                          {double(1.55f), double(2.8f), double(0.1375f)},
                                          {double(-0.7f), double(0.2f), double(0.9625f)}};
constexpr double kEquatorialLoopCentre = double(-2.994f);
constexpr double kEquatorialLoopRadius = double(2.925f);
constexpr double kOuterLoopX = double(-1.775f), kOuterLoopY = double(4.3f);
constexpr double kOuterLoopZ = double(-0.275f), kOuterLoopRadius = double(2.7f);
constexpr double kOuterLoopTheta = double(0.4312f), kOuterLoopPhi = double(1.55f);

// Sheet representation (double precision): profile constant and e.
constexpr double kProfileConstant = 3.493856;
constexpr double kE = 2.718281828459;

// Stretched coordinate (single precision): inner radius r0, spread dr (dr^2
// from the single-precision dr), stretch coefficients, sheet colatitude at
// noon and half its noon-to-midnight increase.
constexpr double kStretchRadius = double(1.21563f);
constexpr double kStretchSpread = double(7.50937f);
constexpr double kStretchSpreadSquared = kStretchSpread * kStretchSpread;
constexpr double kFx0 = double(0.305662f), kFx1 = double(-0.383593f), kFx2 = double(0.2677733f);
constexpr double kFx3 = double(-0.097656f), kFx4 = double(-0.636034f);
constexpr double kGy0 = double(-0.359862f), kGy1 = double(0.424706f);
constexpr double kHz0 = double(-0.126366f), kHz1 = double(0.292578f);
constexpr double kSheetNoon = double(0.3665191f);
constexpr double kSheetHalfIncrease = double(0.09599309f) * 0.5;
constexpr double kAxisThreshold = 1e-5;

// Four loops of radius r placed symmetrically about the noon-midnight and the
// equatorial planes, the first-quadrant loop centred at (xc, yc, zc).
template <class Real>
T96VectorOf<Real> four_loops(Real x, Real y, Real z, double xc, double yc, double zc, double radius,
                             const T96FourLoopAngles& angles) {
    const double ct = angles.theta.cos, st = angles.theta.sin;
    const double cp = angles.phi.cos, sp = angles.phi.sin;
    const Real dx = x - xc;
    const Real ym = y - yc, yp = y + yc;
    struct Local {
        Real xl, yl, zl;
    };
    const Local quadrant[4] = {{dx * cp + ym * sp, ym * cp - dx * sp, z - zc},
                               {dx * cp - yp * sp, yp * cp + dx * sp, z - zc},
                               {-dx * cp + yp * sp, -yp * cp - dx * sp, z + zc},
                               {-dx * cp - ym * sp, -ym * cp + dx * sp, z + zc}};
    T96VectorOf<Real> b;
    for (int q = 0; q < 4; ++q) {
        const Local& l = quadrant[q];
        const Real xss = l.xl * ct - l.zl * st;
        const Real zss = l.zl * ct + l.xl * st;
        const T96VectorOf<Real> f = t96_circular_loop_field(xss, l.yl, zss, radius);
        const Real us = f.x * ct + f.z * st;
        const Real bzq = f.z * ct - f.x * st;
        Real bxq, byq;
        switch (q) {
            case 0:
                bxq = us * cp - f.y * sp;
                byq = us * sp + f.y * cp;
                break;
            case 1:
                bxq = us * cp + f.y * sp;
                byq = -us * sp + f.y * cp;
                break;
            case 2:
                bxq = -us * cp - f.y * sp;
                byq = us * sp - f.y * cp;
                break;
            default:
                bxq = -us * cp + f.y * sp;
                byq = -us * sp - f.y * cp;
                break;
        }
        b = T96VectorOf<Real>{b.x + bxq, b.y + byq, b.z + bzq};
    }
    return b;
}

// Field of dipoles distributed along a line parallel to z through (x, y) = 0:
// mode 0 and mode 1 distributions.
template <class Real>
T96VectorOf<Real> dipole_distribution(Real x, Real y, Real z, int mode) {
    using std::sqrt;
    const Real rho2 = x * x + y * y;
    const Real r2 = rho2 + z * z;
    const Real r3 = r2 * sqrt(r2);
    const Real rho4 = rho2 * rho2;
    if (mode == 0) {
        return {z / rho4 * (r2 * (y * y - x * x) - rho2 * (x * x)) / r3, -x * y * z / rho4 * (2.0 * r2 + rho2) / r3,
                x / r3};
    }
    return {z / rho4 * (y * y - x * x), -2.0 * x * y * z / rho4, x / rho2};
}

template <class Real>
T96VectorOf<Real> inner_representation(const T96Region2Terms& terms, const T96PolarOf<Real>& polar, Real x, Real y,
                                       Real z) {
    T96VectorOf<Real> h[5];
    t96_conical_harmonics(polar, 5, h);
    const T96VectorOf<Real> loops =
        four_loops(x, y, z, kInnerLoopX, kInnerLoopY, kInnerLoopZ, kInnerLoopRadius, terms.inner_four_loops);
    const T96VectorOf<Real> d6 = dipole_distribution(x - kDistributionShift0, y, z, 0);
    const T96VectorOf<Real> d7 = dipole_distribution(x - kDistributionShift1, y, z, 1);
    T96VectorOf<Real> b;
    for (int m = 0; m < 5; ++m) t96_accumulate(b, kInnerWeights[m], h[m]);
    t96_accumulate(b, kInnerWeights[5], d6);
    t96_accumulate(b, kInnerWeights[6], d7);
    t96_accumulate(b, kInnerWeights[7], loops);
    return b;
}

template <class Real>
T96VectorOf<Real> outer_representation(const T96Region2Terms& terms, Real x, Real y, Real z) {
    T96VectorOf<Real> b;
    for (int n = 0; n < 3; ++n) {
        const CrossedPair& pair = kOuterCrossed[n];
        t96_accumulate(b, kOuterWeights[n],
                       t96_crossed_loops_field(x, y, z, pair.centre, pair.radius, terms.crossed_loops_inclination[n]));
    }
    t96_accumulate(b, kOuterWeights[3], t96_circular_loop_field(x - kEquatorialLoopCentre, y, z, kEquatorialLoopRadius));
    t96_accumulate(b, kOuterWeights[4],
                   four_loops(x, y, z, kOuterLoopX, kOuterLoopY, kOuterLoopZ, kOuterLoopRadius, terms.outer_four_loops));
    return b;
}

// The three sheet-profile functions of the stretched coordinate xi for one
// set of widths nu6..nu8.
template <class Real>
struct Profiles {
    Real t1, t2, t3;
};

template <class Real>
Profiles<Real> profiles(Real xi, const T96SheetProfile& set) {
    using std::sqrt;
    const double w6 = set.width[0], w7 = set.width[1], w8 = set.width[2];
    const Real s7 = sqrt(xi * xi + w7 * w7);
    const Real s8 = sqrt(xi * xi + w8 * w8);
    // The widths' powers are taken in every lane, so that the build of the
    // wider lanes holds no power of a double.
    return {xi / sqrt(xi * xi + w6 * w6), t96_power(Real(w7), 3) / t96_power(s7, 3),
            xi / t96_power(s8, 5) * kProfileConstant * t96_power(Real(w8), 4)};
}

template <class Real>
Real terms_sum(const T96ProfileTerms& t, const Profiles<Real>& p) {
    return t.constant + t.t1 * p.t1 + t.t2 * p.t2 + t.t3 * p.t3;
}

// Sheet representation at the point of `polar` whose stretched coordinate is xi.
template <class Real>
T96VectorOf<Real> sheet_representation(const T96Region2Terms& terms, Real xi, const T96PolarOf<Real>& polar) {
    const Profiles<Real> px = profiles(xi, kT96Region2SheetProfileX);
    const Profiles<Real> py = profiles(xi, kT96Region2SheetProfileY);
    const Profiles<Real> pz = profiles(xi, kT96Region2SheetProfileZ);

    Real cos_m[4], sin_m[5];  // cos j phi for j = 0..3, sin j phi for j = 0..4
    cos_m[0] = 1.0;
    sin_m[0] = 0.0;
    cos_m[1] = polar.cos_phi;
    sin_m[1] = polar.sin_phi;
    Real c = cos_m[1], s = sin_m[1];
    for (int j = 2; j <= 4; ++j) {
        const Real c_next = c * cos_m[1] - s * sin_m[1];
        s = s * cos_m[1] + c * sin_m[1];
        c = c_next;
        if (j <= 3) cos_m[j] = c;
        sin_m[j] = s;
    }
    const Real ct = polar.cos_theta;
    const Real ct2 = ct * ct;

    T96VectorOf<Real> b;
    for (int k = 0; k < 5; ++k) {
        const double ax = kT96Region2SheetProfileX.latitude_exponent[k];
        const double ay = kT96Region2SheetProfileY.latitude_exponent[k];
        const double az = kT96Region2SheetProfileZ.latitude_exponent[k];
        const Real sx = ax < 0.0 ? terms.sheet_x_factor[k] * ct * math::exp(ax * ct2) : ct * math::exp(ax * (ct2 - 1.0));
        const Real sy = ay < 0.0 ? terms.sheet_y_factor[k] * ct * math::exp(ay * ct2) : ct * math::exp(ay * (ct2 - 1.0));
        const Real ez = az <= 0.0 ? math::exp(az * ct2) : math::exp(az * (ct2 - 1.0));
        Real sum_x = 0.0, sum_y = 0.0, sum_z = 0.0;
        for (int j = 0; j < 4; ++j) {
            const int row = 4 * k + j;
            sum_x = sum_x + cos_m[j] * terms_sum(kT96Region2SheetA[row], px);
            sum_y = sum_y + sin_m[j + 1] * terms_sum(kT96Region2SheetB[row], py);
            sum_z = sum_z + cos_m[j] * terms_sum(kT96Region2SheetC[row], pz);
        }
        b.x = b.x + sx * sum_x;
        b.y = b.y + sy * sum_y;
        b.z = b.z + ez * sum_z;
    }
    return b;
}

template <class Real>
T96VectorOf<Real> scaled(Real w, const T96VectorOf<Real>& v) {
    return {w * v.x, w * v.y, w * v.z};
}

template <class Real>
T96VectorOf<Real> blend(Real w1, const T96VectorOf<Real>& a, Real w2, const T96VectorOf<Real>& b) {
    return {w1 * a.x + w2 * b.x, w1 * a.y + w2 * b.y, w1 * a.z + w2 * b.z};
}

}  // namespace

#if CONES_ONE_POINT_BUILD
void t96_prepare_region2(T96Prepared& model) {
    T96Region2Terms& terms = model.region2;
    terms.sin_tilt = model.sin_tilt;
    terms.cos_tilt = model.cos_tilt;
    for (int n = 0; n < 3; ++n) {
        const double a = kOuterCrossed[n].inclination;
        math::sincos(a, terms.crossed_loops_inclination[n].sin, terms.crossed_loops_inclination[n].cos);
    }
    math::sincos(kInnerLoopTheta, terms.inner_four_loops.theta.sin, terms.inner_four_loops.theta.cos);
    math::sincos(kInnerLoopPhi, terms.inner_four_loops.phi.sin, terms.inner_four_loops.phi.cos);
    math::sincos(kOuterLoopTheta, terms.outer_four_loops.theta.sin, terms.outer_four_loops.theta.cos);
    math::sincos(kOuterLoopPhi, terms.outer_four_loops.phi.sin, terms.outer_four_loops.phi.cos);
    for (int k = 0; k < 5; ++k) {
        const double ax = kT96Region2SheetProfileX.latitude_exponent[k];
        const double ay = kT96Region2SheetProfileY.latitude_exponent[k];
        terms.sheet_x_factor[k] = ax < 0.0 ? std::sqrt(-2.0 * ax * kE) : 0.0;
        terms.sheet_y_factor[k] = ay < 0.0 ? std::sqrt(-2.0 * ay * kE) : 0.0;
    }
    model.region2_shielding = t96_shielding_weights(kT96Region2Shielding, model.sin_tilt,
                                                    model.cos_tilt, T96RateForm::kDividedSquares);
}
#endif

// Given: xi; centre xi0; half-width dxi.
// Returned: 0 below xi0 - dxi, 1 from xi0 + dxi, rising through 0.5 at xi0
//   with cubic-rational flanks 1.5 u / (2 dxi^3 + u), u = (xi - xi0 + dxi)^3,
//   and 1 + 1.5 u / (2 dxi^3 - u), u = (xi - xi0 - dxi)^3.
template <class Real>
Real t96_region2_transition(Real xi, double xi0, double width) {
    const double t3 = 2.0 * (width * width * width);
    const Real d = xi - xi0;
    const Real rising = t96_power(d + width, 3);
    const Real settling = t96_power(d - width, 3);
    const Real flank = select(xi < xi0, 1.5 * rising / (t3 + rising), 1.0 + 1.5 * settling / (t3 - settling));
    return select(d < -width, Real(0.0), select(d >= width, Real(1.0), flank));
}

// Given: x, y, z, Earth radii, in the tilted frame.
// Returned: xi = alpha - sin^2 theta, alpha = q / (f^2 + g^2 + h^2)^(3/2)
//   of the stretched position (f, g, h), q = f^2 + g^2, theta the sheet's
//   colatitude at the point's local time.
// Notes: no stretching within r0 = 1.21563 Re.
template <class Real>
Real t96_region2_stretched_coordinate(Real x, Real y, Real z) {
    using std::sqrt;
    const Real r = sqrt(x * x + y * y + z * z);
    const Real xr = x / r, yr = y / r, zr = z / r;
    const Real p = select(r < kStretchRadius, Real(0.0),
                          sqrt((r - kStretchRadius) * (r - kStretchRadius) + kStretchSpreadSquared) - kStretchSpread);
    const Real f = x + p * (kFx0 + kFx1 * xr + kFx2 * (xr * xr) + kFx3 * (yr * yr) + kFx4 * (zr * zr));
    const Real g = y + p * (kGy0 * yr + kGy1 * xr * yr);
    const Real h = z + p * (kHz0 * zr + kHz1 * xr * zr);
    const Real q = f * f + g * g;
    const Real root = sqrt(q + h * h);
    const Real alpha = q / t96_power(root, 3);
    const Real theta = kSheetNoon + kSheetHalfIncrease * (1.0 - f / sqrt(q));
    const Real st = math::sin(theta);
    return select(q < kAxisThreshold, Real(-1.0), alpha - st * st);
}

template <class Real>
T96Region2WeightsOf<Real> t96_region2_weights(Real xi) {
    const double d = kBandCentre, d1 = kBandHalfWidth;
    // Below each band edge (none holds for a NaN, which is inner alone).
    const MaskOf<Real> outer_alone = xi < -(d + d1);
    const MaskOf<Real> below_sheet = xi < d1 - d;
    const MaskOf<Real> below_inner = xi < d - d1;
    const MaskOf<Real> below_inner_alone = xi < d + d1;
    const Real sheet_rising = kNormalisation * t96_region2_transition(xi, -d, d1);
    const Real inner_rising = kNormalisation * t96_region2_transition(xi, d, d1);
    T96Region2WeightsOf<Real> w;
    w.takes_outer = below_sheet;
    w.takes_sheet = (!outer_alone) & below_inner_alone;
    w.takes_inner = !below_inner;
    w.outer = select(outer_alone, Real(kNormalisation), select(below_sheet, kNormalisation - sheet_rising, Real(0.0)));
    w.sheet = select(outer_alone, Real(0.0),
                     select(below_sheet, sheet_rising,
                            select(below_inner, Real(kNormalisation),
                                   select(below_inner_alone, kNormalisation - inner_rising, Real(0.0)))));
    w.inner = select(below_inner, Real(0.0), select(below_inner_alone, inner_rising, Real(kNormalisation)));
    return w;
}

// Given: model; x, y, z scaled GSM, Earth radii.
// Returned: the region-2 source field in GSM, nT for unit amplitude.
// Notes: the representations of the point's band are evaluated (in a pack,
//   those of any lane's band); a representation alone is scaled by its
//   weight, two are blended.
template <class Real>
T96VectorOf<Real> t96_region2_source(const T96Prepared& model, Real x, Real y, Real z) {
    const T96Region2Terms& terms = model.region2;
    const double c = terms.cos_tilt, s = terms.sin_tilt;
    const Real xs = x * c - z * s;
    const Real zs = z * c + x * s;
    const Real xi = t96_region2_stretched_coordinate(xs, y, zs);
    const T96Region2WeightsOf<Real> w = t96_region2_weights(xi);
    T96VectorOf<Real> outer, sheet, inner;
    if (any_lane(w.takes_outer)) outer = outer_representation(terms, xs, y, zs);
    if (any_lane(w.takes_sheet | w.takes_inner)) {
        // The inner and sheet representations share the point's spherical coordinates.
        const T96PolarOf<Real> polar = t96_polar(xs, y, zs);
        if (any_lane(w.takes_sheet)) sheet = sheet_representation(terms, xi, polar);
        if (any_lane(w.takes_inner)) inner = inner_representation(terms, polar, xs, y, zs);
    }
    // The outer or the inner representation, whichever the band has.
    const T96VectorOf<Real> side = t96_select(w.takes_inner, inner, outer);
    const Real side_weight = select(w.takes_inner, w.inner, w.outer);
    const T96VectorOf<Real> b =
        t96_select(!w.takes_sheet, scaled(side_weight, side),
                   t96_select(w.takes_outer | w.takes_inner, blend(side_weight, side, w.sheet, sheet),
                              scaled(w.sheet, sheet)));
    return {b.x * c + b.z * s, b.y, b.z * c - b.x * s};
}

template <class Real>
T96VectorOf<Real> t96_region2_shielding(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_cartesian_shielding(kT96Region2Shielding, model.region2_shielding, x, y, z);
}

// Given: model; x, y, z scaled GSM, Earth radii.
// Returned: shielding plus source, nT for unit amplitude.
template <class Real>
T96VectorOf<Real> t96_region2_field(const T96Prepared& model, Real x, Real y, Real z) {
    const T96VectorOf<Real> shield = t96_region2_shielding(model, x, y, z);
    const T96VectorOf<Real> source = t96_region2_source(model, x, y, z);
    return {shield.x + source.x, shield.y + source.y, shield.z + source.z};
}

#define CONES_T96_REGION2(Real)                                                                \
    template Real t96_region2_transition(Real, double, double);                               \
    template Real t96_region2_stretched_coordinate(Real, Real, Real);                         \
    template T96Region2WeightsOf<Real> t96_region2_weights(Real);                             \
    template T96VectorOf<Real> t96_region2_source(const T96Prepared&, Real, Real, Real);      \
    template T96VectorOf<Real> t96_region2_shielding(const T96Prepared&, Real, Real, Real);   \
    template T96VectorOf<Real> t96_region2_field(const T96Prepared&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T96_REGION2)

}  // namespace cones
