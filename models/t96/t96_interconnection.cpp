// T96 interconnection field: the part of the interplanetary magnetic field
// that penetrates the magnetopause, as a potential field of nine harmonics.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {

#if CONES_ONE_POINT_BUILD
void t96_prepare_interconnection(T96Prepared& model) {
    const T96InterconnectionTable& table = kT96Interconnection;
    for (int i = 0; i < 3; ++i) {
        model.interconnection_inverse_p[i] = 1.0 / double(table.p[i]);
        model.interconnection_inverse_r[i] = 1.0 / double(table.r[i]);
    }
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) {
            const double rp = model.interconnection_inverse_p[i];
            const double rr = model.interconnection_inverse_r[k];
            model.interconnection_rate[i][k] = std::sqrt(rp * rp + rr * rr);
        }
    }
}
#endif

// Given: model (reciprocal scales and rates); x, y, z in the frame rotated
//   about x by the IMF clock angle, scaled by kappa, Earth radii.
// Returned: the field in that frame for unit transverse IMF, nT per nT.
// Notes: harmonic (i, k) is grad(exp(w x) cos(y/p_i) cos(z/r_k)) up to sign,
//   with w = sqrt(1/p_i^2 + 1/r_k^2); amplitudes single precision.
template <class Real>
T96VectorOf<Real> t96_interconnection_field(const T96Prepared& model, Real x, Real y, Real z) {
    const T96InterconnectionTable& table = kT96Interconnection;
    Real sin_z[3], cos_z[3];
    for (int k = 0; k < 3; ++k) {
        const double r = table.r[k];
        math::sincos(z / r, sin_z[k], cos_z[k]);
    }
    T96VectorOf<Real> b;
    for (int i = 0; i < 3; ++i) {
        const double p = table.p[i];
        Real sy, cy;
        math::sincos(y / p, sy, cy);
        const double rp = model.interconnection_inverse_p[i];
        for (int k = 0; k < 3; ++k) {
            const double rr = model.interconnection_inverse_r[k];
            const double w = model.interconnection_rate[i][k];
            const Real e = math::exp(w * x);
            const T96VectorOf<Real> h{-w * e * cy * sin_z[k], rp * e * sy * sin_z[k], -rr * e * cy * cos_z[k]};
            t96_accumulate(b, table.amplitude[i][k], h);
        }
    }
    return b;
}

#define CONES_T96_INTERCONNECTION(Real) \
    template T96VectorOf<Real> t96_interconnection_field(const T96Prepared&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T96_INTERCONNECTION)

}  // namespace cones
