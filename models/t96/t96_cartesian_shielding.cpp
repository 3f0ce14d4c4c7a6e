// Cartesian harmonic shielding fields of the T96 ring current, tail and
// Birkeland currents: potential fields that cancel the normal component of
// their source field on the magnetopause.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// cos(v / scale[n]) and sin(v / scale[n]) for each scale of one set.
template <std::size_t N, class Real>
void scaled_angles(Real v, const float (&scale)[N], Real (&cos_v)[N], Real (&sin_v)[N]) {
    for (std::size_t n = 0; n < N; ++n) {
        const double d = scale[n];
        math::sincos(v / d, sin_v[n], cos_v[n]);
    }
}

// Adds the N x N harmonics of one sum to h: harmonic (i, k) = term(i, k, w, e)
// with its rate w and e = exp(w x), taken with the first amplitude of its pair
// and, times the sum's tilt factor, with the second.
template <std::size_t N, class Real, class Term>
void add_sum(T96VectorOf<Real>& h, const T96AmplitudePair* amplitudes, const double (&rate)[N][N], Real x,
             double factor, const Term& term) {
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t k = 0; k < N; ++k) {
            const double w = rate[i][k];
            const T96VectorOf<Real> d = term(i, k, w, math::exp(x * w));
            const T96AmplitudePair& pair = amplitudes[i * N + k];
            t96_accumulate(h, pair.first, d);
            t96_accumulate(h, pair.second, T96VectorOf<Real>{d.x * factor, d.y * factor, d.z * factor});
        }
    }
}

}  // namespace

#if CONES_ONE_POINT_BUILD
template <std::size_t N>
T96ShieldingWeights<N> t96_shielding_weights(const T96ShieldingTable<N>& table, double s,
                                             double c, T96RateForm form) {
    T96ShieldingWeights<N> weights;
    weights.sin_tilt = s;
    weights.first_factor = c;
    weights.second_factor = 4.0 * (c * c) - 1.0;
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t k = 0; k < N; ++k) {
            const double p = table.p[i], r = table.r[k];
            const double q = table.q[i], t = table.s[k];
            if (form == T96RateForm::kDividedSquares) {
                weights.first_rate[i][k] = std::sqrt(1.0 / (p * p) + 1.0 / (r * r));
                weights.second_rate[i][k] = std::sqrt(1.0 / (q * q) + 1.0 / (t * t));
            } else {
                const double rp = 1.0 / p, rr = 1.0 / r, rq = 1.0 / q, rt = 1.0 / t;
                weights.first_rate[i][k] = std::sqrt(rp * rp + rr * rr);
                weights.second_rate[i][k] = std::sqrt(rq * rq + rt * rt);
            }
        }
    }
    return weights;
}

template T96ShieldingWeights<2> t96_shielding_weights(const T96ShieldingTable<2>&, double, double,
                                                      T96RateForm);
template T96ShieldingWeights<3> t96_shielding_weights(const T96ShieldingTable<3>&, double, double,
                                                      T96RateForm);
template T96ShieldingWeights<4> t96_shielding_weights(const T96ShieldingTable<4>&, double, double,
                                                      T96RateForm);
#endif

// Given: table of amplitudes and scales; weights, its tilt factors and rates;
//   x, y, z (scaled GSM, Earth radii).
// Returned: the shielding field, GSM, nT.
// Notes: the sines and cosines of y/p_i and z/r_k and the exponentials are
//   each evaluated once and shared by the harmonics that need them.
template <std::size_t N, class Real>
T96VectorOf<Real> t96_cartesian_shielding(const T96ShieldingTable<N>& table, const T96ShieldingWeights<N>& weights,
                                          Real x, Real y, Real z) {
    T96VectorOf<Real> h;
    Real cos_y[N], sin_y[N], cos_z[N], sin_z[N];
    scaled_angles(y, table.p, cos_y, sin_y);
    scaled_angles(z, table.r, cos_z, sin_z);
    add_sum(h, table.amplitudes, weights.first_rate, x, weights.first_factor,
            [&](std::size_t i, std::size_t k, double w, Real e) {
                const double p = table.p[i], r = table.r[k];
                return T96VectorOf<Real>{-w * e * cos_y[i] * sin_z[k], e / p * sin_y[i] * sin_z[k],
                                         -e / r * cos_y[i] * cos_z[k]};
            });

    scaled_angles(y, table.q, cos_y, sin_y);
    scaled_angles(z, table.s, cos_z, sin_z);
    const double s = weights.sin_tilt;
    add_sum(h, table.amplitudes + N * N, weights.second_rate, x, weights.second_factor,
            [&](std::size_t i, std::size_t k, double w, Real e) {
                const double q = table.q[i], t = table.s[k];
                return T96VectorOf<Real>{-s * w * e * cos_y[i] * cos_z[k], s * e / q * sin_y[i] * cos_z[k],
                                         s * e / t * cos_y[i] * sin_z[k]};
            });
    return h;
}

#define CONES_T96_CARTESIAN_SHIELDING(Real)                                                                  \
    template T96VectorOf<Real> t96_cartesian_shielding(const T96ShieldingTable<2>&,                       \
                                                       const T96ShieldingWeights<2>&, Real, Real, Real); \
    template T96VectorOf<Real> t96_cartesian_shielding(const T96ShieldingTable<3>&,                       \
                                                       const T96ShieldingWeights<3>&, Real, Real, Real); \
    template T96VectorOf<Real> t96_cartesian_shielding(const T96ShieldingTable<4>&,                       \
                                                       const T96ShieldingWeights<4>&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T96_CARTESIAN_SHIELDING)

}  // namespace cones
