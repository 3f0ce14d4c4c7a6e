// Region-1 and region-2 Birkeland (field-aligned) currents of the T01 model:
// deformed conical current sheets north and south, in two azimuthal modes,
// each with its shielding field.
#include <cmath>

#include "models/t01/t01_components.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Day-night asymmetry of the oval: b rho0^2 / (rho0^2 + 1) = 0.49 with b = 0.5
// and saturation distance rho0 = 7; kSaturation2 is rho0^2 = 49 (equal to
// 2 b rho0^2, the form in which it enters d(phi_s)/d(rho)).
constexpr double kAsymmetry = 0.49;
constexpr double kSaturation2 = 49.0;
constexpr double kTiltDeformation = 0.9;  // beta
constexpr double kHingeScale = 10.0;      // Rh
constexpr double kOneThird = 1.0 / 3.0;
constexpr double kFourThirds = 4.0 / 3.0;
constexpr double kStep = 1e-6;            // of the central differences in r and theta
constexpr double kFieldFactor = 800.0;

// Per region: the half-difference of the day and night latitudes of the oval,
// the angular half-width of the current layer, and the kappa at which the
// shielding size variable is zero.
struct RegionConstants {
    double oval_asymmetry;
    double layer_half_width;
    double shielding_reference;
};
constexpr RegionConstants kRegions[2] = {{0.055, 0.06, 1.1}, {0.03, 0.09, 1.0}};

// Angular functions of one polar angle: cos theta, cos 2 theta, sin theta,
// sin 2 theta, sin 3 theta.
template <class Real>
struct PolarTerms {
    Real c1, c2, s1, s2, s3;
};

template <class Real>
PolarTerms<Real> polar_terms(Real theta) {
    PolarTerms<Real> t;
    math::sincos(theta, t.s1, t.c1);
    math::sincos(2.0 * theta, t.s2, t.c2);
    t.s3 = math::sin(3.0 * theta);
    return t;
}

// Deformed radius Rs(r, theta) of the cone table c (entry k at index k - 1).
template <class Real>
Real deformed_radius(const float* c, Real r, const PolarTerms<Real>& t) {
    using std::sqrt;
    const auto C = [c](int k) { return double(c[k - 1]); };
    const Real r2 = r * r;
    const Real c16 = r2 + C(16) * C(16);
    return r + C(2) / r + C(3) * r / sqrt(r2 + C(11) * C(11)) + C(4) * r / (r2 + C(12) * C(12)) +
           (C(5) + C(6) / r + C(7) * r / sqrt(r2 + C(13) * C(13)) + C(8) * r / (r2 + C(14) * C(14))) * t.c1 +
           (C(9) * r / sqrt(r2 + C(15) * C(15)) + C(10) * r / (c16 * c16)) * t.c2;
}

// Deformed polar angle Theta_s(r, theta).
template <class Real>
Real deformed_polar_angle(const float* c, Real r, Real theta, const PolarTerms<Real>& t) {
    using std::sqrt;
    const auto C = [c](int k) { return double(c[k - 1]); };
    const Real r2 = r * r;
    return theta +
           (C(17) + C(18) / r + C(19) / r2 + C(20) * r / sqrt(r2 + C(27) * C(27))) * t.s1 +
           (C(21) + C(22) * r / sqrt(r2 + C(28) * C(28)) + C(23) * r / (r2 + C(29) * C(29))) * t.s2 +
           (C(24) + C(25) / r + C(26) * r / (r2 + C(30) * C(30))) * t.s3;
}

// Field of a conical sheet of radial currents at (r, theta, phi) for the
// mode's harmonic n: (b_theta, b_phi) of harmonic n only, times 800. The
// current flows within theta0 -+ delta theta; inside, across and outside the
// layer the field takes its three forms (each lane its own). st, ct: sine
// and cosine of theta; sphi, cphi: of phi. The radial field is zero.
template <class Real>
void conical_field(const T01BirkelandMode& mode, Real r, Real theta, Real st, Real ct, Real sphi, Real cphi,
                   Real& b_theta, Real& b_phi) {
    const Real rho = r * st;
    const Real tg = st / (1.0 + ct);   // tan(theta / 2)
    const Real ctg = st / (1.0 - ct);  // cot(theta / 2)
    const double tp = mode.tan_high, tm = mode.tan_low;
    const double fc = mode.edge_factor;
    const MaskOf<Real> inside = theta < mode.edge_low;
    const MaskOf<Real> across = theta < mode.edge_high;
    Real cm = 1.0, sm = 0.0, t_m = 1.0;
    double tm_m = 1.0, tp_m = 1.0;  // the edges' powers (the layer and beyond)
    Real t = 0.0, dt = 0.0;
    for (int m = 1; m <= mode.harmonic; ++m) {
        const double order = m;
        t_m = t_m * tg;
        const Real c_m = cm * cphi - sm * sphi;
        const Real s_m = sm * cphi + cm * sphi;
        cm = c_m;
        sm = s_m;
        tm_m = tm_m * mode.tan_low2;
        const double f1 = 1.0 / (2.0 * order + 1.0);
        // Inside the cone.
        const Real t_inside = t_m;
        const Real dt_inside = 0.5 * order * t_m * (tg + ctg);
        // Across the current layer.
        const double tm_m1 = tm_m * tm;
        const Real tg21 = 1.0 + tg * tg;
        const Real t_across = fc * (t_m * (tp - tg) + f1 * (t_m * tg - tm_m1 / t_m));
        const Real dt_across = 0.5 * order * fc * tg21 * (t_m / tg * (tp - tg) - f1 * (t_m - tm_m1 / (t_m * tg)));
        // Outside it.
        tp_m = tp_m * mode.tan_high2;
        const Real t_outside = fc * f1 * (tp_m * tp - tm_m * tm) / t_m;
        const Real dt_outside = -t_outside * order * 0.5 * (tg + ctg);
        t = select(inside, t_inside, select(across, t_across, t_outside));
        dt = select(inside, dt_inside, select(across, dt_across, dt_outside));
    }
    const double order = mode.harmonic;
    b_theta = kFieldFactor * (order * t * cm / rho);
    b_phi = kFieldFactor * (-dt * sm / r);
}

// Geometry of one point of a cone, shared by the modes of a region: r, theta,
// phi of the point and the angular functions at theta and theta -+ 1e-6.
template <class Real>
struct ConePoint {
    Real r, theta, theta_plus, theta_minus;
    PolarTerms<Real> at, plus, minus;
    Real sphi, cphi;
    Real st, ct, sf, cf;  // rho/r, z/r, y/rho, x/rho
};

template <class Real>
ConePoint<Real> cone_point(Real x, Real y, Real z) {
    using std::sqrt;
    ConePoint<Real> p;
    const Real rho2 = x * x + y * y;
    const Real rho = sqrt(rho2);
    p.r = sqrt(rho2 + z * z);
    p.theta = math::atan2(rho, z);
    const Real phi = math::atan2(y, x);
    p.theta_plus = p.theta + kStep;
    p.theta_minus = p.theta - kStep;
    p.at = polar_terms(p.theta);
    p.plus = polar_terms(p.theta_plus);
    p.minus = polar_terms(p.theta_minus);
    math::sincos(phi, p.sphi, p.cphi);
    p.st = rho / p.r;
    p.ct = z / p.r;
    p.sf = y / rho;
    p.cf = x / rho;
    return p;
}

// One deformed cone of a region and mode at a point: the conical field at
// the deformed (rs, theta_s, phi), mapped back with the derivatives of the
// deformation (central differences), in Cartesian components.
template <class Real>
T01FieldOf<Real> deformed_cone(const T01BirkelandMode& mode, const ConePoint<Real>& p) {
    const float* c = mode.cone;
    const Real r = p.r;
    const Real rs = deformed_radius(c, r, p.at);
    const Real theta_s = deformed_polar_angle(c, r, p.theta, p.at);
    Real st_s, ct_s;
    math::sincos(theta_s, st_s, ct_s);
    Real b_theta, b_phi;
    conical_field(mode, rs, theta_s, st_s, ct_s, p.sphi, p.cphi, b_theta, b_phi);

    const Real r_plus = r + kStep;
    const Real r_minus = r - kStep;
    const Real drs_dr = (deformed_radius(c, r_plus, p.at) - deformed_radius(c, r_minus, p.at)) / 2e-6;
    const Real drs_dtheta = (deformed_radius(c, r, p.plus) - deformed_radius(c, r, p.minus)) / 2e-6;
    const Real dts_dr =
        (deformed_polar_angle(c, r_plus, p.theta, p.at) - deformed_polar_angle(c, r_minus, p.theta, p.at)) / 2e-6;
    const Real dts_dtheta = (deformed_polar_angle(c, r, p.theta_plus, p.plus) -
                             deformed_polar_angle(c, r, p.theta_minus, p.minus)) / 2e-6;

    const Real q = st_s / p.at.s1;
    const Real rr = rs / r;
    const Real br = -(rr / r) * q * b_theta * drs_dtheta;
    const Real btheta = rr * q * b_theta * drs_dr;
    const Real bphi = rr * b_phi * (drs_dr * dts_dtheta - drs_dtheta * dts_dr);
    const Real be = br * p.st + btheta * p.ct;
    const double c1 = double(c[0]);
    return {c1 * (be * p.cf - bphi * p.sf), c1 * (be * p.sf + bphi * p.cf), c1 * (br * p.ct - btheta * p.st)};
}

// The two deformed cones (north at the point, south at its mirror through
// the Y axis) of both modes of one region, turned by the region's azimuthal
// deformation: the oval is shifted toward the night side and bent with the
// tilt, and the field follows. On the Y axis the azimuth is 0.
template <class Real>
void region_cones(const T01BirkelandRegion& region, const T01BirkelandMode (&modes)[2], Real x, Real y, Real z,
                  T01FieldOf<Real> (&out)[2]) {
    using std::sqrt;
    const double kappa = region.kappa;
    const Real xs = kappa * x;
    const Real ys = kappa * y;
    const Real zs = kappa * z;
    const Real rho2 = xs * xs + zs * zs;
    const Real rho = sqrt(rho2);
    const Real rs = sqrt(xs * xs + ys * ys + zs * zs);
    const Real phi = select((xs == 0.0) & (zs == 0.0), Real(0.0), math::atan2(-zs, xs));
    Real sphi, cphi;
    math::sincos(phi, sphi, cphi);

    const Real w = region.oval_asymmetry + kAsymmetry * (rho2 - 1.0) / (rho2 + kSaturation2);
    const Real u = (rs - 1.0) / kHingeScale;
    const Real g = 1.0 + u * u * u;
    const Real phi_s = phi - w * sphi - region.tilt_term / math::pow(g, kOneThird);
    const Real g43 = math::pow(g, kFourThirds);
    const Real dphis_dphi = 1.0 - w * cphi;
    const Real rho2_49 = rho2 + kSaturation2;
    const Real dphis_drho = -kSaturation2 * rho * sphi / (rho2_49 * rho2_49) +
                            region.tilt_term * (u * u) * rho / (kHingeScale * rs * g43);
    const Real dphis_dy = region.tilt_term * (u * u) * ys / (kHingeScale * rs * g43);

    Real ss, cs;
    math::sincos(phi_s, ss, cs);
    const Real big_x = rho * cs;
    const Real big_z = -rho * ss;
    const ConePoint<Real> north = cone_point(big_x, ys, big_z);
    const ConePoint<Real> south = cone_point(big_x, -ys, -big_z);

    for (int m = 0; m < 2; ++m) {
        const T01FieldOf<Real> n = deformed_cone(modes[m], north);
        const T01FieldOf<Real> s = deformed_cone(modes[m], south);
        const Real bx = n.x - s.x;
        const Real by = n.y + s.y;
        const Real bz = n.z + s.z;
        const Real b_rho = bx * cs - bz * ss;
        const Real b_phi = -bx * ss - bz * cs;
        const Real big_b_rho = b_rho * dphis_dphi * kappa;
        const Real big_b_phi = (b_phi - rho * (by * dphis_dy + b_rho * dphis_drho)) * kappa;
        const Real big_b_y = by * dphis_dphi * kappa;
        out[m] = {big_b_rho * cphi - big_b_phi * sphi, big_b_y, -big_b_rho * sphi - big_b_phi * cphi};
    }
}

}  // namespace

#if CONES_ONE_POINT_BUILD
T01Birkeland t01_birkeland_prepare(double tilt, const T01ComponentParameters& parameters) {
    T01Birkeland set;
    const double kappa[2] = {parameters.kappa1, parameters.kappa2};
    const float* cones[2][2] = {{kT01Cone11, kT01Cone12}, {kT01Cone21, kT01Cone22}};
    const T01ShieldingTable* shielding[2][2] = {
        {&kT01BirkelandShielding11, &kT01BirkelandShielding12},
        {&kT01BirkelandShielding21, &kT01BirkelandShielding22}};
    for (int region = 0; region < 2; ++region) {
        const RegionConstants& constants = kRegions[region];
        set.region[region].kappa = kappa[region];
        set.region[region].oval_asymmetry = constants.oval_asymmetry;
        set.region[region].tilt_term = kTiltDeformation * tilt;
        const double xsc = kappa[region] - constants.shielding_reference;
        for (int m = 0; m < 2; ++m) {
            T01BirkelandMode& mode = set.mode[region][m];
            mode.cone = cones[region][m];
            mode.harmonic = m + 1;
            const double theta0 = double(mode.cone[30]);
            mode.edge_high = theta0 + constants.layer_half_width;
            mode.edge_low = theta0 - constants.layer_half_width;
            mode.tan_high = math::tan(mode.edge_high / 2.0);
            mode.tan_low = math::tan(mode.edge_low / 2.0);
            mode.tan_low2 = mode.tan_low * mode.tan_low;
            mode.tan_high2 = mode.tan_high * mode.tan_high;
            mode.edge_factor = 1.0 / (mode.tan_high - mode.tan_low);
            mode.shielding = t01_shielding_sum_prepare(*shielding[region][m], tilt, xsc, 1.0);
        }
    }
    return set;
}
#endif

template <class Real>
T01BirkelandModesOf<Real> t01_birkeland_field(const T01Birkeland& set, Real x, Real y, Real z) {
    T01FieldOf<Real> cone[2][2];
    for (int region = 0; region < 2; ++region) {
        region_cones(set.region[region], set.mode[region], x, y, z, cone[region]);
    }
    T01FieldOf<Real> r[2][2];
    for (int region = 0; region < 2; ++region) {
        for (int m = 0; m < 2; ++m) {
            const T01FieldOf<Real> h = t01_shielding_sum(set.mode[region][m].shielding, x, y, z);
            const T01FieldOf<Real>& c = cone[region][m];
            r[region][m] = {c.x + h.x, c.y + h.y, c.z + h.z};
        }
    }
    return {r[0][0], r[0][1], r[1][0], r[1][1]};
}

#define CONES_T01_BIRKELAND(Real) \
    template T01BirkelandModesOf<Real> t01_birkeland_field(const T01Birkeland&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T01_BIRKELAND)

}  // namespace cones
