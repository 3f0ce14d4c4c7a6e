// T89 magnetospheric field: tail current sheet and ring current in the
// tilt-rotated frame, closure currents at z = +-30 Re, and boundary terms.
#include <cmath>

#include "models/t89/t89.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Constants that the model defines in single precision.
constexpr double kThicknessGrowth = double(0.01f);       // d(D)/d(y^2), 1/Re
constexpr double kThicknessGrowthSlope = double(0.02f);  // d(D)/dy = 0.02 y

// The boundary terms' exponential factor once x / A20 reaches this value.
constexpr double kBoundaryExponentLimit = 500.0;
constexpr double kBoundaryFactorCap = 1.4e217;

}  // namespace

// Sum of the three field groups at a GSM point (x, y, z), Earth radii; output
// GSM components in nT.
//
// Powers q^(3/2) and P^(-5/2) are written as q * sqrt(q) and 1 / (P * P * sqrt(P)),
// reusing the square roots that the formulas need anyway (twelve in all); this
// is faster than pow and agrees with it to rounding.
//
// Notes: reads only sin_tilt and cos_tilt of the epoch; cos_tilt is never 0
// for the Earth's dipole. There is no singularity at the origin. For x / A20 >= 500
// the exponential of the boundary terms is replaced by 1.4e217 so that it
// never overflows.
template <class Real>
void t89_external_field(const T89Coefficients& set, const EpochState& epoch, Given<Real> x, Given<Real> y,
                        Given<Real> z, Real& bx, Real& by, Real& bz) {
    using std::sqrt;
    const auto& a = set.a;
    const double a1 = a[0], a2 = a[1], a3 = a[2], a4 = a[3], a5 = a[4];
    const double a6 = a[5], a7 = a[6], a8 = a[7], a9 = a[8], a10 = a[9];
    const double a11 = a[10], a12 = a[11], a13 = a[12], a14 = a[13], a15 = a[14];
    const double a16 = a[15], a17 = a[16], a18 = a[17], a19 = a[18], a20 = a[19];
    const double a21 = a[20], a22 = a[21], a23 = a[22], a24 = a[23], a25 = a[24];
    const double a26 = a[25], a28 = a[27];
    const double w = set.w;
    const double s = epoch.sin_tilt;
    const double c = epoch.cos_tilt;

    // Solar-magnetic coordinates: the frame rotated about Y by the tilt.
    const Real xs = c * x - s * z;
    const Real zs = c * z + s * x;
    const Real y2 = y * y;
    const Real rho2 = xs * xs + y2;
    const double t = s / (2.0 * c);

    // Half-thickness D of the current sheet: thin on the night side, thicker
    // toward the Earth and growing with |y|; its slopes in xs and y.
    const Real q40 = xs * xs + 40.0;
    const Real sq40 = sqrt(q40);
    const Real xs16 = xs + 16.0;
    const Real q36 = xs16 * xs16 + 36.0;
    const Real sq36 = sqrt(q36);
    const Real h1 = 0.5 * (1.0 + xs / sq40);
    const Real h2 = 0.5 * (1.0 - xs16 / sq36);
    const Real d = a22 + kThicknessGrowth * y2 + 4.0 * h1 + h2;
    const Real h2_slope = 18.0 / (q36 * sq36);
    const Real dd_dxs = 80.0 / (q40 * sq40) - h2_slope;
    const Real dd_dy = kThicknessGrowthSlope * y;

    // Centre surface z0 of the sheet: flat sunward of the hinge at xs = -A24,
    // tailward of it bent to slope 2t = tan(psi) along the solar wind, and
    // warped in y with amplitude A25.
    const Real y4 = y2 * y2;
    const Real xh = xs + a24;
    const Real sqh = sqrt(xh * xh + 16.0);
    const Real warp_den = y4 + 10000.0;
    const Real z0 = t * (xh - sqh) - a25 * s * y4 / warp_den;
    const Real dz0_dxs = t * (1.0 - xh / sqh);
    const Real dz0_dy = -a25 * s * 40000.0 * (y2 * y) / (warp_den * warp_den);
    const Real zr = zs - z0;

    // Extent factor f of the tail sheet: inner edge near xs = A28, Lorentzian
    // fall-off in y with half-width A27.
    const Real xe = xs - a28;
    const Real q170 = xe * xe + 170.0;
    const Real sq170 = sqrt(q170);
    const Real wy = 1.0 + w * y2;
    const Real f = 0.5 * (1.0 - xe / sq170) / wy;
    const Real df_dxs = -85.0 / (q170 * sq170) / wy;
    const Real df_dy = -2.0 * w * y * f / wy;

    // Tail current.
    const Real zeta = sqrt(d * d + zr * zr);
    const Real at = a26 + zeta;
    const Real big_s = sqrt(at * at + rho2);
    const Real big_s3 = big_s * big_s * big_s;
    const Real k = 1.0 / (big_s * (big_s + at));
    const Real f_zeta = f / zeta;
    const Real zr_bend = zr * (xs * dz0_dxs + y * dz0_dy);
    const Real g = f_zeta * (zr_bend - d * (xs * dd_dxs + y * dd_dy));
    const Real v = xs * df_dxs + y * df_dy;
    const Real tail_xy = a1 * f_zeta * k + a2 * f_zeta / big_s3;
    const Real tail_x = tail_xy * zr * xs;
    const Real tail_y = tail_xy * zr * y;
    const Real tail_z = a1 * (g * k + v / (big_s + at) + f / big_s) +
                          a2 * (g / big_s3 + v * k + f * at / big_s3);

    // Ring current, in a sheet thickened by A23 near the Earth.
    const Real q25 = xs * xs + 25.0;
    const Real sq25 = sqrt(q25);
    const Real dr = a22 + a23 * 0.5 * (1.0 + xs / sq25) + h2;
    const Real ddr_dxs = a23 * 12.5 / (q25 * sq25) - h2_slope;
    const Real zeta_r = sqrt(dr * dr + zr * zr);
    const Real b = a21 + zeta_r;
    const Real p = b * b + rho2;
    const Real p_m52 = 1.0 / (p * p * sqrt(p));
    const Real q = 3.0 * b * p_m52 / zeta_r;
    const Real ring_x = a5 * zr * q * xs;
    const Real ring_y = a5 * zr * q * y;
    const Real ring_z = a5 * ((2.0 * (b * b) - rho2) * p_m52 + q * (zr_bend - dr * ddr_dxs * xs));

    // Back from solar-magnetic to GSM.
    const Real x1 = tail_x + ring_x;
    const Real y1 = tail_y + ring_y;
    const Real z1 = tail_z + ring_z;
    const Real sheet_x = c * x1 + s * z1;
    const Real sheet_y = y1;
    const Real sheet_z = c * z1 - s * x1;

    // Closure currents at z = +-30 Re, in GSM coordinates.
    const Real x4 = x - 4.0;
    const Real q50 = x4 * x4 + 50.0;
    const Real sq50 = sqrt(q50);
    const Real cy = 1.0 + 0.0025 * y2;
    const Real fc = 0.5 * (1.0 - x4 / sq50) / cy;
    const Real u = -25.0 * x / (q50 * sq50 * cy) - 0.005 * fc * y2 / cy;
    const Real zp = z + 30.0;
    const Real zm = z - 30.0;
    const Real r1 = sqrt(zp * zp + x * x + y2);
    const Real r2 = sqrt(zm * zm + x * x + y2);
    const Real den1 = r1 + z + 30.0;
    const Real den2 = r2 - z + 30.0;
    const Real p1 = fc / (r1 * den1);
    const Real p2 = -fc / (r2 * den2);
    const Real q1 = fc / r1 + u / den1;
    const Real q2 = fc / r2 + u / den2;
    const Real closure_x = a3 * (p1 + p2) * x + a4 * s * (p1 - p2) * x;
    const Real closure_y = a3 * (p1 + p2) * y + a4 * s * (p1 - p2) * y;
    const Real closure_z = a3 * (q1 + q2) + a4 * s * (q1 - q2);

    // Boundary terms, growing sunward with e-folding length A20.
    const Real xa = x / a20;
    const Real e = select(xa >= kBoundaryExponentLimit, Real(kBoundaryFactorCap), math::exp(xa));
    const Real z2 = z * z;
    const Real boundary_x = (a6 * c * z + (a7 + a8 * y2 + a9 * z2) * s) * e;
    const Real boundary_y = (a10 * c * y * z + (a11 + a12 * y2 + a13 * z2) * s * y) * e;
    const Real boundary_z =
        ((a14 + a15 * y2 + a16 * z2) * c + (a17 + a18 * y2 + a19 * z2) * s * z) * e;

    bx = sheet_x + closure_x + boundary_x;
    by = sheet_y + closure_y + boundary_y;
    bz = sheet_z + closure_z + boundary_z;
}

#define CONES_T89(Real)                                                                           \
    template void t89_external_field<Real>(const T89Coefficients&, const EpochState&, Real, Real, Real, \
                                           Real&, Real&, Real&);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T89)

}  // namespace cones
