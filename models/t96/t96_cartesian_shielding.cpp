// Cartesian harmonic shielding fields of the T96 ring current, tail and
// Birkeland currents: potential fields that cancel the normal component of
// their source field on the magnetopause.
#include <cmath>

#include "models/t96/t96_internal.hpp"

namespace cones {

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

// Given: table of amplitudes and scales; weights, its tilt factors and rates;
//   x, y, z (scaled GSM, Earth radii).
// Returned: the shielding field, GSM, nT.
// Notes: the sines and cosines of y/p_i and z/r_k and the exponentials are
//   each evaluated once and shared by the harmonics that need them.
template <std::size_t N>
T96Vector t96_cartesian_shielding(const T96ShieldingTable<N>& table,
                                  const T96ShieldingWeights<N>& weights, double x, double y,
                                  double z) {
    T96Vector h;
    std::size_t l = 0;

    double cos_y[N], sin_y[N], cos_z[N], sin_z[N];
    for (std::size_t i = 0; i < N; ++i) {
        const double p = table.p[i];
        cos_y[i] = std::cos(y / p);
        sin_y[i] = std::sin(y / p);
    }
    for (std::size_t k = 0; k < N; ++k) {
        const double r = table.r[k];
        sin_z[k] = std::sin(z / r);
        cos_z[k] = std::cos(z / r);
    }
    const double c = weights.first_factor;
    for (std::size_t i = 0; i < N; ++i) {
        const double p = table.p[i];
        for (std::size_t k = 0; k < N; ++k, ++l) {
            const double r = table.r[k];
            const double w = weights.first_rate[i][k];
            const double e = std::exp(x * w);
            T96Vector d{-w * e * cos_y[i] * sin_z[k], e / p * sin_y[i] * sin_z[k],
                        -e / r * cos_y[i] * cos_z[k]};
            t96_accumulate(h, table.amplitudes[l].first, d);
            d = T96Vector{d.x * c, d.y * c, d.z * c};
            t96_accumulate(h, table.amplitudes[l].second, d);
        }
    }

    for (std::size_t i = 0; i < N; ++i) {
        const double q = table.q[i];
        cos_y[i] = std::cos(y / q);
        sin_y[i] = std::sin(y / q);
    }
    for (std::size_t k = 0; k < N; ++k) {
        const double t = table.s[k];
        cos_z[k] = std::cos(z / t);
        sin_z[k] = std::sin(z / t);
    }
    const double s = weights.sin_tilt;
    const double s3 = weights.second_factor;
    for (std::size_t i = 0; i < N; ++i) {
        const double q = table.q[i];
        for (std::size_t k = 0; k < N; ++k, ++l) {
            const double t = table.s[k];
            const double w = weights.second_rate[i][k];
            const double e = std::exp(x * w);
            T96Vector d{-s * w * e * cos_y[i] * cos_z[k], s * e / q * sin_y[i] * cos_z[k],
                        s * e / t * cos_y[i] * sin_z[k]};
            t96_accumulate(h, table.amplitudes[l].first, d);
            d = T96Vector{d.x * s3, d.y * s3, d.z * s3};
            t96_accumulate(h, table.amplitudes[l].second, d);
        }
    }
    return h;
}

template T96ShieldingWeights<2> t96_shielding_weights(const T96ShieldingTable<2>&, double, double,
                                                      T96RateForm);
template T96ShieldingWeights<3> t96_shielding_weights(const T96ShieldingTable<3>&, double, double,
                                                      T96RateForm);
template T96ShieldingWeights<4> t96_shielding_weights(const T96ShieldingTable<4>&, double, double,
                                                      T96RateForm);
template T96Vector t96_cartesian_shielding(const T96ShieldingTable<2>&,
                                           const T96ShieldingWeights<2>&, double, double, double);
template T96Vector t96_cartesian_shielding(const T96ShieldingTable<3>&,
                                           const T96ShieldingWeights<3>&, double, double, double);
template T96Vector t96_cartesian_shielding(const T96ShieldingTable<4>&,
                                           const T96ShieldingWeights<4>&, double, double, double);

}  // namespace cones
