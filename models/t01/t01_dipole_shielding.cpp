// Shielding field of the Earth's dipole inside the T01 magnetopause.
#include <cmath>

#include "models/t01/t01_components.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {

#if CONES_ONE_POINT_BUILD
T01DipoleShielding t01_dipole_shielding_prepare(double tilt) {
    const T01DipoleShieldingTable& table = kT01DipoleShielding;
    T01DipoleShielding set;
    static_cast<T01HarmonicFrames&>(set) = t01_harmonic_frames(
        tilt, table.perpendicular_tilt_factor, table.parallel_tilt_factor, table.perpendicular_y_scale,
        table.perpendicular_z_scale, table.parallel_y_scale, table.parallel_z_scale);
    double cos_tilt;
    math::sincos(tilt, set.sin_tilt, cos_tilt);
    for (int l = 0; l < 9; ++l) {
        set.perpendicular_amplitude[l] =
            double(table.perpendicular[l][0]) + double(table.perpendicular[l][1]) * cos_tilt;
        set.parallel_amplitude[l] =
            double(table.parallel[l][0]) + double(table.parallel[l][1]) * 2.0 * cos_tilt;
    }
    const double r3 = set.z_scale[0][2];
    for (int i = 0; i < 3; ++i) {
        const double w = set.w[0][i][2];
        set.inverse_w[i] = 1.0 / w;
        set.z_scale_w[i] = r3 * w;
        set.z_scale2_w[i] = r3 * r3 * w;
    }
    return set;
}
#endif

// Perpendicular harmonics, in the frame (x1, z1) turned by t1 psi:
//   k = 1, 2:  V = e^(w x1) cos(y/p) sin(z1/r);
//   k = 3:     V = e^(w x1) cos(y/p) (x1 sin(z1/r3) / (r3 w) + z1 cos(z1/r3));
// parallel harmonics, in the frame (x2, z2) turned by t2 psi:
//   V = sin psi e^(w x2) cos(y/q) cos(z2/s).
// Each contributes -grad V, turned back into GSM, times its amplitude.
template <class Real>
T01FieldOf<Real> t01_dipole_shielding_field(const T01DipoleShielding& set, Real x, Real y, Real z) {
    T01FieldOf<Real> b;
    const double c1 = set.frame_cos[0], s1 = set.frame_sin[0];
    const double c2 = set.frame_cos[1], s2 = set.frame_sin[1];
    const Real x1 = x * c1 - z * s1;
    const Real z1 = x * s1 + z * c1;
    const Real x2 = x * c2 - z * s2;
    const Real z2 = x * s2 + z * c2;

    Real cy[3], sy[3], cz[3], sz[3];
    for (int n = 0; n < 3; ++n) {
        math::sincos(y / set.y_scale[0][n], sy[n], cy[n]);
        math::sincos(z1 / set.z_scale[0][n], sz[n], cz[n]);
    }
    for (int i = 0; i < 3; ++i) {
        const double p = set.y_scale[0][i];
        for (int k = 0; k < 3; ++k) {
            const double r = set.z_scale[0][k];
            const double w = set.w[0][i][k];
            const Real e = math::exp(w * x1);
            Real fx, hy, fz;
            if (k < 2) {
                fx = -w * e * cy[i] * sz[k];
                hy = (e / p) * sy[i] * sz[k];
                fz = -(e / r) * cy[i] * cz[k];
            } else {
                fx = -e * cy[i] * ((x1 + set.inverse_w[i]) * sz[k] / r + w * z1 * cz[k]);
                hy = (e / p) * sy[i] * (x1 * sz[k] / set.z_scale_w[i] + z1 * cz[k]);
                fz = -e * cy[i] * (cz[k] * (1.0 + x1 / set.z_scale2_w[i]) - (z1 / r) * sz[k]);
            }
            const Real hx = fx * c1 + fz * s1;
            const Real hz = -fx * s1 + fz * c1;
            const double a = set.perpendicular_amplitude[3 * i + k];
            b.x = b.x + a * hx;
            b.y = b.y + a * hy;
            b.z = b.z + a * hz;
        }
    }

    const double sin_tilt = set.sin_tilt;
    for (int n = 0; n < 3; ++n) {
        math::sincos(y / set.y_scale[1][n], sy[n], cy[n]);
        math::sincos(z2 / set.z_scale[1][n], sz[n], cz[n]);
    }
    for (int i = 0; i < 3; ++i) {
        const double q = set.y_scale[1][i];
        for (int k = 0; k < 3; ++k) {
            const double s = set.z_scale[1][k];
            const double w = set.w[1][i][k];
            const Real e = math::exp(w * x2);
            const Real fx = -w * e * cy[i] * cz[k] * sin_tilt;
            const Real hy = (e / q) * sy[i] * cz[k] * sin_tilt;
            const Real fz = (e / s) * cy[i] * sz[k] * sin_tilt;
            const Real hx = fx * c2 + fz * s2;
            const Real hz = -fx * s2 + fz * c2;
            const double a = set.parallel_amplitude[3 * i + k];
            b.x = b.x + a * hx;
            b.y = b.y + a * hy;
            b.z = b.z + a * hz;
        }
    }
    return b;
}

#define CONES_T01_DIPOLE_SHIELDING(Real) \
    template T01FieldOf<Real> t01_dipole_shielding_field(const T01DipoleShielding&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T01_DIPOLE_SHIELDING)

}  // namespace cones
