// The T01 cross-tail current sheet: two stretched and shifted modes of a sheet
// of thin-disk currents, each with its shielding harmonics, warped about X and
// hinged with the dipole tilt.
#include <cmath>
#include <iterator>

#include "models/t01/t01_components.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// The five thin-disk currents of the sheet: disk radius b, thickness offset c
// and amplitude f (double precision as published).
struct SheetTerm {
    double radius;
    double thickness_offset;
    double amplitude;
};
constexpr SheetTerm kSheetTerms[] = {
    {10.90101242, 0.7954069972, -71.09346626},
    {12.68393898, 0.6716601849, -1014.308601},
    {13.51791954, 1.174866319, -1272.939359},
    {14.86775017, 2.56524992, -3224.935936},
    {15.12306404, 10.0198679, -44546.86232},
};

// Hinging: the latitude term of the hinge distance (and twice it), and the
// exact-double cube-root exponent.
constexpr double kHingeLatitudeTerm = -5.2;
constexpr double kHingeLatitudeSlope = 2.0 * kHingeLatitudeTerm;  // -10.4
constexpr double kOneThird = 1.0 / 3.0;
// Warping scale L = 20 Re, entering as L^4 and 3 L^4.
constexpr double kWarpScale4 = 160000.0;
constexpr double kWarpScale4Times3 = 480000.0;

// Thin-disk sheet of half-thickness d0 + dy (y/20)^2 + dx e^(x/7) at a
// stretched GSM position: B = curl of the azimuthal vector potential
// sum f rho A(rho, zeta).
template <class Real>
T01FieldOf<Real> thin_disk_sheet(Real x, Real y, Real z, double d0, double sunward, double flank) {
    using std::sqrt;
    const Real rho = sqrt(x * x + y * y);
    const Real drho_dx = x / rho;
    const Real drho_dy = y / rho;

    const Real e = math::exp(x / 7.0);
    const Real y20 = y / 20.0;
    const Real d = d0 + flank * (y20 * y20) + sunward * e;
    const Real dd_dy = flank * y * 0.005;
    const Real dd_dx = (sunward / 7.0) * e;

    const Real zeta = sqrt(z * z + d * d);
    const Real dzeta_dx = d * dd_dx / zeta;
    const Real dzeta_dy = d * dd_dy / zeta;
    const Real dzeta_dz = z / zeta;

    T01FieldOf<Real> b;
    for (const SheetTerm& term : kSheetTerms) {
        const double bb = term.radius;
        const double cc = term.thickness_offset;
        const Real rp = rho + bb;
        const Real rm = rho - bb;
        const Real zc = zeta + cc;
        const Real s1 = sqrt(rp * rp + zc * zc);
        const Real s2 = sqrt(rm * rm + zc * zc);
        const Real ds1_dx = (rp / s1) * drho_dx + (zc / s1) * dzeta_dx;
        const Real ds1_dy = (rp / s1) * drho_dy + (zc / s1) * dzeta_dy;
        const Real ds1_dz = (zc / s1) * dzeta_dz;
        const Real ds2_dx = (rm / s2) * drho_dx + (zc / s2) * dzeta_dx;
        const Real ds2_dy = (rm / s2) * drho_dy + (zc / s2) * dzeta_dy;
        const Real ds2_dz = (zc / s2) * dzeta_dz;

        const Real p = s1 * s2;
        const Real t = s1 + s2;
        const Real t2 = t * t;
        const double two_b = 2.0 * bb;
        const Real g = sqrt(t2 - two_b * two_b);
        const Real a = g / (p * t2);
        const Real da_ds1 = (1.0 / (g * s2) - (a / t) * (s2 * s2 + s1 * (3.0 * s1 + 4.0 * s2))) / (s1 * t);
        const Real da_ds2 = (1.0 / (g * s1) - (a / t) * (s1 * s1 + s2 * (3.0 * s2 + 4.0 * s1))) / (s2 * t);
        const Real da_dx = da_ds1 * ds1_dx + da_ds2 * ds2_dx;
        const Real da_dy = da_ds1 * ds1_dy + da_ds2 * ds2_dy;
        const Real da_dz = da_ds1 * ds1_dz + da_ds2 * ds2_dz;

        const double f = term.amplitude;
        b.x = b.x - f * x * da_dz;
        b.y = b.y - f * y * da_dz;
        b.z = b.z + f * (2.0 * a + x * da_dx + y * da_dy);
    }
    return b;
}

// One mode of the unwarped, unhinged sheet: the sheet at the stretched and
// shifted position plus the shielding at the position itself.
template <class Real>
T01FieldOf<Real> tail_mode(const T01TailMode& mode, double flank, Real x, Real y, Real z) {
    const Real xs = (x - mode.x_shift - mode.tail_shift) * mode.stretch + mode.x_offset;
    const Real ys = mode.stretch * y;
    const Real zs = mode.stretch * z;
    const T01FieldOf<Real> f = thin_disk_sheet(xs, ys, zs, mode.thickness, mode.sunward_thickening, flank);
    const T01FieldOf<Real> h = t01_tail_shielding_field(mode, x, y, z);
    return {f.x + h.x, f.y + h.y, f.z + h.z};
}

// Warping: the sheet turned about X by an angle that grows with the distance
// from the X axis and with the tilt; the field follows the deformation. On
// the X axis the azimuth is 0.
template <class Real>
T01TailModesOf<Real> warped_modes(const T01Tail& set, Real x, Real y, Real z) {
    using std::sqrt;
    const double s = set.sin_tilt;
    const double big_g = set.warp_amplitude;
    const Real rho2 = y * y + z * z;
    const Real rho = sqrt(rho2);
    const MaskOf<Real> on_axis = (y == 0.0) & (z == 0.0);
    const Real phi = select(on_axis, Real(0.0), math::atan2(z, y));
    const Real cphi = select(on_axis, Real(1.0), y / rho);
    const Real sphi = select(on_axis, Real(0.0), z / rho);
    const Real rho4 = rho2 * rho2;
    const Real w = rho / (rho4 + kWarpScale4);
    const Real big_phi = phi + big_g * rho2 * w * cphi * s;
    const Real dphi_dphi = 1.0 - big_g * rho2 * w * sphi * s;
    const Real dphi_drho = big_g * (w * w) * (kWarpScale4Times3 - rho4) * cphi * s;
    const double dphi_dx = 0.0;

    Real sbig, cbig;
    math::sincos(big_phi, sbig, cbig);
    const Real ya = rho * cbig;
    const Real za = rho * sbig;

    const T01FieldOf<Real> modes[2] = {tail_mode(set.mode[0], set.flank_thickening, x, ya, za),
                                       tail_mode(set.mode[1], set.flank_thickening, x, ya, za)};
    T01FieldOf<Real> out[2];
    for (int m = 0; m < 2; ++m) {
        const T01FieldOf<Real>& b = modes[m];
        const Real brho = b.y * cbig + b.z * sbig;
        const Real bphi = -b.y * sbig + b.z * cbig;
        const Real brho_s = brho * dphi_dphi;
        const Real bphi_s = bphi - rho * (b.x * dphi_dx + brho * dphi_drho);
        out[m].x = b.x * dphi_dphi;
        out[m].y = brho_s * cphi - bphi_s * sphi;
        out[m].z = brho_s * sphi + bphi_s * cphi;
    }
    return {out[0], out[1]};
}

}  // namespace

#if CONES_ONE_POINT_BUILD
T01Tail t01_tail_prepare(double tilt, const T01ComponentParameters& parameters) {
    T01Tail set;
    set.sin_tilt = math::sin(tilt);
    set.hinge_distance = parameters.hinge_distance;
    set.warp_amplitude = parameters.warp_amplitude;
    set.flank_thickening = parameters.sheet_flank_thickening;

    struct ModeConstants {
        double x_shift, stretch, sunward;
        double tail_shift;
        const T01TailShieldingTable* table;
    };
    const ModeConstants constants[2] = {
        {6.0, 1.1, 1.0, parameters.tail_shift1, &kT01TailShieldingMode1},
        {4.0, 0.25, 0.0, parameters.tail_shift2, &kT01TailShieldingMode2},
    };
    constexpr double kStretchReference = -12.0;  // xm: the sheet stretches about x = -12
    for (int m = 0; m < 2; ++m) {
        const ModeConstants& c = constants[m];
        T01TailMode& mode = set.mode[m];
        mode.x_shift = c.x_shift;
        mode.tail_shift = c.tail_shift;
        mode.stretch = c.stretch;
        mode.x_offset = -kStretchReference * (c.stretch - 1.0);
        mode.thickness = c.stretch * parameters.sheet_half_thickness;
        mode.sunward_thickening = c.sunward;
        const T01TailShieldingTable& table = *c.table;
        for (std::size_t l = 0; l < std::size(table.amplitude); ++l) {
            mode.amplitude[l] = double(table.amplitude[l][0]) + double(table.amplitude[l][1]) * c.tail_shift;
        }
        for (std::size_t n = 0; n < std::size(table.y_scale); ++n) {
            mode.y_reciprocal[n] = 1.0 / double(table.y_scale[n]);
            mode.z_reciprocal[n] = 1.0 / double(table.z_scale[n]);
        }
        for (int i = 0; i < 5; ++i) {
            for (int k = 0; k < 5; ++k) {
                const double rp = mode.y_reciprocal[i];
                const double rr = mode.z_reciprocal[k];
                mode.w[i][k] = std::sqrt(rp * rp + rr * rr);
            }
        }
    }
    return set;
}
#endif

// V = e^(w x) cos(y/p) sin(z/r) summed over 5 x 5 harmonics; B = -grad V.
template <class Real>
T01FieldOf<Real> t01_tail_shielding_field(const T01TailMode& mode, Real x, Real y, Real z) {
    Real cz[5], sz[5];
    for (int k = 0; k < 5; ++k) math::sincos(z * mode.z_reciprocal[k], sz[k], cz[k]);
    T01FieldOf<Real> h;
    int l = 0;
    for (int i = 0; i < 5; ++i) {
        const double rp = mode.y_reciprocal[i];
        Real sy, cy;
        math::sincos(y * rp, sy, cy);
        for (int k = 0; k < 5; ++k) {
            const double rr = mode.z_reciprocal[k];
            const double w = mode.w[i][k];
            const Real e = math::exp(x * w);
            const double a = mode.amplitude[l++];
            h.x = h.x + a * (-w * e * cy * sz[k]);
            h.y = h.y + a * (rp * e * sy * sz[k]);
            h.z = h.z + a * (-rr * e * cy * cz[k]);
        }
    }
    return h;
}

// Hinging: the point is turned about Y by the angle whose sine is
// sin psi / (1 + (r/rh)^3)^(1/3), with rh = Rh0 - 5.2 (z/r)^2, so the sheet
// follows the dipole near the Earth and the solar wind far away; the field is
// mapped with the derivatives of the deformed coordinates.
template <class Real>
T01TailModesOf<Real> t01_tail_field(const T01Tail& set, Real x, Real y, Real z) {
    using std::sqrt;
    const double s = set.sin_tilt;
    const Real r = sqrt(x * x + y * y + z * z);
    const Real zr = z / r;
    const Real rh = set.hinge_distance + kHingeLatitudeTerm * (zr * zr);
    const Real drh_dr = -2.0 * kHingeLatitudeTerm * (zr * zr) / r;
    const Real drh_dz = kHingeLatitudeSlope * zr / r;

    const Real q = r / rh;
    const Real f = 1.0 / math::pow(1.0 + q * q * q, kOneThird);
    const Real f2 = f * f;
    const Real df_dr = -(q * q) * (f2 * f2) / rh;
    const Real df_drh = -q * df_dr;

    const Real sa = s * f;
    const Real ca = sqrt(1.0 - sa * sa);
    const Real xa = x * ca - z * sa;
    const Real za = x * sa + z * ca;

    const Real k = (s / ca) * (df_dr + df_drh * drh_dr) / r;
    const Real px = k * x;
    const Real py = k * y;
    const Real pz = k * z + (s / ca) * df_drh * drh_dz;

    const Real dxa_dx = ca - za * px;
    const Real dxa_dy = -za * py;
    const Real dxa_dz = -sa - za * pz;
    const Real dza_dx = sa + xa * px;
    const Real dza_dy = xa * py;
    const Real dza_dz = ca + xa * pz;

    const Real f1 = dxa_dz * dza_dy - dxa_dy * dza_dz;
    const Real fy = dxa_dx * dza_dz - dxa_dz * dza_dx;
    const Real f3 = dza_dx * dxa_dy - dxa_dx * dza_dy;

    const T01TailModesOf<Real> warped = warped_modes(set, xa, y, za);
    const T01FieldOf<Real>* in[2] = {&warped.mode1, &warped.mode2};
    T01FieldOf<Real> out[2];
    for (int m = 0; m < 2; ++m) {
        const T01FieldOf<Real>& b = *in[m];
        out[m].x = b.x * dza_dz - b.z * dxa_dz + b.y * f1;
        out[m].y = b.y * fy;
        out[m].z = b.z * dxa_dx - b.x * dza_dx + b.y * f3;
    }
    return {out[0], out[1]};
}

#define CONES_T01_TAIL(Real)                                                                            \
    template T01FieldOf<Real> t01_tail_shielding_field(const T01TailMode&, Real, Real, Real);          \
    template T01TailModesOf<Real> t01_tail_field(const T01Tail&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T01_TAIL)

}  // namespace cones
