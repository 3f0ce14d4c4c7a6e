// The T01 cross-tail current sheet: two stretched and shifted modes of a sheet
// of thin-disk currents, each with its shielding harmonics, warped about X and
// hinged with the dipole tilt.
#include <cmath>
#include <iterator>

#include "models/t01/t01_components.hpp"
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
T01Field thin_disk_sheet(double x, double y, double z, double d0, double sunward, double flank) {
    const double rho = std::sqrt(x * x + y * y);
    const double drho_dx = x / rho;
    const double drho_dy = y / rho;

    const double e = math::exp(x / 7.0);
    const double y20 = y / 20.0;
    const double d = d0 + flank * (y20 * y20) + sunward * e;
    const double dd_dy = flank * y * 0.005;
    const double dd_dx = (sunward / 7.0) * e;

    const double zeta = std::sqrt(z * z + d * d);
    const double dzeta_dx = d * dd_dx / zeta;
    const double dzeta_dy = d * dd_dy / zeta;
    const double dzeta_dz = z / zeta;

    T01Field b;
    for (const SheetTerm& term : kSheetTerms) {
        const double bb = term.radius;
        const double cc = term.thickness_offset;
        const double rp = rho + bb;
        const double rm = rho - bb;
        const double zc = zeta + cc;
        const double s1 = std::sqrt(rp * rp + zc * zc);
        const double s2 = std::sqrt(rm * rm + zc * zc);
        const double ds1_dx = (rp / s1) * drho_dx + (zc / s1) * dzeta_dx;
        const double ds1_dy = (rp / s1) * drho_dy + (zc / s1) * dzeta_dy;
        const double ds1_dz = (zc / s1) * dzeta_dz;
        const double ds2_dx = (rm / s2) * drho_dx + (zc / s2) * dzeta_dx;
        const double ds2_dy = (rm / s2) * drho_dy + (zc / s2) * dzeta_dy;
        const double ds2_dz = (zc / s2) * dzeta_dz;

        const double p = s1 * s2;
        const double t = s1 + s2;
        const double t2 = t * t;
        const double two_b = 2.0 * bb;
        const double g = std::sqrt(t2 - two_b * two_b);
        const double a = g / (p * t2);
        const double da_ds1 = (1.0 / (g * s2) - (a / t) * (s2 * s2 + s1 * (3.0 * s1 + 4.0 * s2))) / (s1 * t);
        const double da_ds2 = (1.0 / (g * s1) - (a / t) * (s1 * s1 + s2 * (3.0 * s2 + 4.0 * s1))) / (s2 * t);
        const double da_dx = da_ds1 * ds1_dx + da_ds2 * ds2_dx;
        const double da_dy = da_ds1 * ds1_dy + da_ds2 * ds2_dy;
        const double da_dz = da_ds1 * ds1_dz + da_ds2 * ds2_dz;

        const double f = term.amplitude;
        b.x = b.x - f * x * da_dz;
        b.y = b.y - f * y * da_dz;
        b.z = b.z + f * (2.0 * a + x * da_dx + y * da_dy);
    }
    return b;
}

// One mode of the unwarped, unhinged sheet: the sheet at the stretched and
// shifted position plus the shielding at the position itself.
T01Field tail_mode(const T01TailMode& mode, double flank, double x, double y, double z) {
    const double xs = (x - mode.x_shift - mode.tail_shift) * mode.stretch + mode.x_offset;
    const double ys = mode.stretch * y;
    const double zs = mode.stretch * z;
    const T01Field f = thin_disk_sheet(xs, ys, zs, mode.thickness, mode.sunward_thickening, flank);
    const T01Field h = t01_tail_shielding_field(mode, x, y, z);
    return {f.x + h.x, f.y + h.y, f.z + h.z};
}

// Warping: the sheet turned about X by an angle that grows with the distance
// from the X axis and with the tilt; the field follows the deformation.
T01TailModes warped_modes(const T01Tail& set, double x, double y, double z) {
    const double s = set.sin_tilt;
    const double big_g = set.warp_amplitude;
    const double rho2 = y * y + z * z;
    const double rho = std::sqrt(rho2);
    double phi = 0.0, cphi = 1.0, sphi = 0.0;
    if (!(y == 0.0 && z == 0.0)) {
        phi = math::atan2(z, y);
        cphi = y / rho;
        sphi = z / rho;
    }
    const double rho4 = rho2 * rho2;
    const double w = rho / (rho4 + kWarpScale4);
    const double big_phi = phi + big_g * rho2 * w * cphi * s;
    const double dphi_dphi = 1.0 - big_g * rho2 * w * sphi * s;
    const double dphi_drho = big_g * (w * w) * (kWarpScale4Times3 - rho4) * cphi * s;
    const double dphi_dx = 0.0;

    double sbig, cbig;
    math::sincos(big_phi, sbig, cbig);
    const double ya = rho * cbig;
    const double za = rho * sbig;

    const T01Field modes[2] = {tail_mode(set.mode[0], set.flank_thickening, x, ya, za),
                               tail_mode(set.mode[1], set.flank_thickening, x, ya, za)};
    T01Field out[2];
    for (int m = 0; m < 2; ++m) {
        const T01Field& b = modes[m];
        const double brho = b.y * cbig + b.z * sbig;
        const double bphi = -b.y * sbig + b.z * cbig;
        const double brho_s = brho * dphi_dphi;
        const double bphi_s = bphi - rho * (b.x * dphi_dx + brho * dphi_drho);
        out[m].x = b.x * dphi_dphi;
        out[m].y = brho_s * cphi - bphi_s * sphi;
        out[m].z = brho_s * sphi + bphi_s * cphi;
    }
    return {out[0], out[1]};
}

}  // namespace

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

// V = e^(w x) cos(y/p) sin(z/r) summed over 5 x 5 harmonics; B = -grad V.
T01Field t01_tail_shielding_field(const T01TailMode& mode, double x, double y, double z) {
    double cz[5], sz[5];
    for (int k = 0; k < 5; ++k) {
        math::sincos(z * mode.z_reciprocal[k], sz[k], cz[k]);
    }
    T01Field h;
    int l = 0;
    for (int i = 0; i < 5; ++i) {
        const double rp = mode.y_reciprocal[i];
        double sy, cy;
        math::sincos(y * rp, sy, cy);
        for (int k = 0; k < 5; ++k) {
            const double rr = mode.z_reciprocal[k];
            const double w = mode.w[i][k];
            const double e = math::exp(x * w);
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
T01TailModes t01_tail_field(const T01Tail& set, double x, double y, double z) {
    const double s = set.sin_tilt;
    const double r = std::sqrt(x * x + y * y + z * z);
    const double zr = z / r;
    const double rh = set.hinge_distance + kHingeLatitudeTerm * (zr * zr);
    const double drh_dr = -2.0 * kHingeLatitudeTerm * (zr * zr) / r;
    const double drh_dz = kHingeLatitudeSlope * zr / r;

    const double q = r / rh;
    const double f = 1.0 / math::pow(1.0 + q * q * q, kOneThird);
    const double f2 = f * f;
    const double df_dr = -(q * q) * (f2 * f2) / rh;
    const double df_drh = -q * df_dr;

    const double sa = s * f;
    const double ca = std::sqrt(1.0 - sa * sa);
    const double xa = x * ca - z * sa;
    const double za = x * sa + z * ca;

    const double k = (s / ca) * (df_dr + df_drh * drh_dr) / r;
    const double px = k * x;
    const double py = k * y;
    const double pz = k * z + (s / ca) * df_drh * drh_dz;

    const double dxa_dx = ca - za * px;
    const double dxa_dy = -za * py;
    const double dxa_dz = -sa - za * pz;
    const double dza_dx = sa + xa * px;
    const double dza_dy = xa * py;
    const double dza_dz = ca + xa * pz;

    const double f1 = dxa_dz * dza_dy - dxa_dy * dza_dz;
    const double fy = dxa_dx * dza_dz - dxa_dz * dza_dx;
    const double f3 = dza_dx * dxa_dy - dxa_dx * dza_dy;

    const T01TailModes warped = warped_modes(set, xa, y, za);
    const T01Field* in[2] = {&warped.mode1, &warped.mode2};
    T01Field out[2];
    for (int m = 0; m < 2; ++m) {
        const T01Field& b = *in[m];
        out[m].x = b.x * dza_dz - b.z * dxa_dz + b.y * f1;
        out[m].y = b.y * fy;
        out[m].z = b.z * dxa_dx - b.x * dza_dx + b.y * f3;
    }
    return {out[0], out[1]};
}

}  // namespace cones
