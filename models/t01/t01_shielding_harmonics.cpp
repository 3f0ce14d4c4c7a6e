// Shielding fields of the T01 Birkeland and ring currents: sums of Cartesian
// harmonics of two symmetries, each group in its own tilted frame.
#include <cmath>

#include "models/t01/t01_components.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {

#if CONES_ONE_POINT_BUILD
T01HarmonicFrames t01_harmonic_frames(double tilt, float group1_tilt_factor, float group2_tilt_factor,
                                      const float (&group1_y_scale)[3], const float (&group1_z_scale)[3],
                                      const float (&group2_y_scale)[3], const float (&group2_z_scale)[3]) {
    T01HarmonicFrames frames;
    const double tilt_factor[2] = {double(group1_tilt_factor), double(group2_tilt_factor)};
    for (int g = 0; g < 2; ++g) {
        math::sincos(tilt_factor[g] * tilt, frames.frame_sin[g], frames.frame_cos[g]);
    }
    for (int n = 0; n < 3; ++n) {
        frames.y_scale[0][n] = double(group1_y_scale[n]);
        frames.z_scale[0][n] = double(group1_z_scale[n]);
        frames.y_scale[1][n] = double(group2_y_scale[n]);
        frames.z_scale[1][n] = double(group2_z_scale[n]);
    }
    for (int g = 0; g < 2; ++g) {
        for (int i = 0; i < 3; ++i) {
            const double p = frames.y_scale[g][i];
            for (int k = 0; k < 3; ++k) {
                const double r = frames.z_scale[g][k];
                frames.w[g][i][k] = std::sqrt(1.0 / (p * p) + 1.0 / (r * r));
            }
        }
    }
    return frames;
}

T01ShieldingSum t01_shielding_sum_prepare(const T01ShieldingTable& table, double tilt,
                                          double xsc, double term_scale) {
    T01ShieldingSum sum;
    static_cast<T01HarmonicFrames&>(sum) =
        t01_harmonic_frames(tilt, table.group1_tilt_factor, table.group2_tilt_factor, table.group1_y_scale,
                            table.group1_z_scale, table.group2_y_scale, table.group2_z_scale);
    sum.table = &table;
    double sin_tilt, cos_tilt;
    math::sincos(tilt, sin_tilt, cos_tilt);
    sum.term_scale = term_scale;
    const double d[2] = {cos_tilt, 2.0 * cos_tilt};
    for (int g = 0; g < 2; ++g) {
        sum.factor[g][0] = 1.0;
        sum.factor[g][1] = xsc;
        sum.factor[g][2] = d[g];
        sum.factor[g][3] = d[g] * xsc;
        for (int i = 0; i < 3; ++i) {
            for (int k = 0; k < 3; ++k) sum.x_coef[g][i][k] = g == 0 ? -sum.w[g][i][k] : -sum.w[g][i][k] * sin_tilt;
        }
    }
    for (int n = 0; n < 3; ++n) {
        sum.y_coef[n] = sin_tilt / sum.y_scale[1][n];
        sum.z_coef[n] = sin_tilt / sum.z_scale[1][n];
    }
    return sum;
}
#endif

namespace {

// Adds the four weighted copies of one harmonic (fx, fy, fz), given in the
// frame of its group, to the sum g in GSM.
template <class Real>
inline void add_harmonic(const T01ShieldingSum& sum, int group, const float* amplitude, Real fx, Real fy, Real fz,
                         T01FieldOf<Real>& g) {
    const double c = sum.frame_cos[group];
    const double s = sum.frame_sin[group];
    fx = fx * sum.term_scale;
    fy = fy * sum.term_scale;
    fz = fz * sum.term_scale;
    for (int n = 0; n < 4; ++n) {
        const double factor = sum.factor[group][n];
        const Real hx = factor * fx;
        const Real hy = factor * fy;
        const Real hz = factor * fz;
        const Real hx_gsm = hx * c + hz * s;
        const Real hz_gsm = -hx * s + hz * c;
        const double h = double(amplitude[n]);
        g.x = g.x + h * hx_gsm;
        g.y = g.y + h * hy;
        g.z = g.z + h * hz_gsm;
    }
}

}  // namespace

// Group 1 (perpendicular symmetry), in the frame (x1, z1):
//   V = e^(w x1) cos(y/p) sin(z1/r),  f = -grad V;
// group 2 (parallel symmetry), in the frame (x2, z2):
//   V = sin psi e^(w x2) cos(y/q) cos(z2/s),  f = -grad V.
// The cosines and sines of y/p, z/r are shared by the harmonics that use them;
// one exponential per harmonic.
template <class Real>
T01FieldOf<Real> t01_shielding_sum(const T01ShieldingSum& sum, Real x, Real y, Real z) {
    const T01ShieldingTable& table = *sum.table;
    T01FieldOf<Real> g;
    const Real x1 = x * sum.frame_cos[0] - z * sum.frame_sin[0];
    const Real z1 = x * sum.frame_sin[0] + z * sum.frame_cos[0];
    const Real x2 = x * sum.frame_cos[1] - z * sum.frame_sin[1];
    const Real z2 = x * sum.frame_sin[1] + z * sum.frame_cos[1];
    const Real xg[2] = {x1, x2};
    const Real zg[2] = {z1, z2};

    for (int group = 0; group < 2; ++group) {
        Real cy[3], sy[3], cz[3], sz[3];
        for (int n = 0; n < 3; ++n) {
            math::sincos(y / sum.y_scale[group][n], sy[n], cy[n]);
            math::sincos(zg[group] / sum.z_scale[group][n], sz[n], cz[n]);
        }
        for (int i = 0; i < 3; ++i) {
            for (int k = 0; k < 3; ++k) {
                const Real e = math::exp(xg[group] * sum.w[group][i][k]);
                Real fx, fy, fz;
                if (group == 0) {
                    fx = sum.x_coef[0][i][k] * e * cy[i] * sz[k];
                    fy = e * sy[i] * sz[k] / sum.y_scale[0][i];
                    fz = -e * cy[i] * cz[k] / sum.z_scale[0][k];
                } else {
                    fx = sum.x_coef[1][i][k] * e * cy[i] * cz[k];
                    fy = sum.y_coef[i] * e * sy[i] * cz[k];
                    fz = sum.z_coef[k] * e * cy[i] * sz[k];
                }
                const int row = 9 * group + 3 * i + k;
                add_harmonic(sum, group, table.amplitude[row], fx, fy, fz, g);
            }
        }
    }
    return g;
}

#define CONES_T01_SHIELDING_SUM(Real) \
    template T01FieldOf<Real> t01_shielding_sum(const T01ShieldingSum&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T01_SHIELDING_SUM)

}  // namespace cones
