// Internal (IGRF) field: spherical-harmonic synthesis in GEO and its GSM entry,
// for one point or a pack of points.

#include <array>
#include <cmath>

#include "geomag/geomag.hpp"
#include "geomag/legacy_constants.hpp"
#include "numerics/lane_variant.hpp"

namespace cones {
namespace {

// Highest degree of the synthesis at r (Earth radii) for coefficients to
// degree `full`: the whole expansion within 2 Earth radii; beyond, nm = 4 +
// 30 div irp, at most 10, with irp = trunc(r + 3): 10 below r = 3, 4 from
// r = 28 on. (For degree 10, the expansion of every epoch before 1995, the
// rule is nm = 4 + 30 div irp at most 10 everywhere.) The quotient steps down
// where irp passes 5, 6, 7, 10, 15 and 30, so nm is 4 plus the number of the
// bounds 6, 7, 8, 11, 16, 31 that r + 3 lies below, counted here without an
// integer division and for each lane of a pack alike (r + 3 = NaN, below no
// bound, gives 4 as irp = 31 does).
template <class Real>
Real highest_degree(Real r, int full) {
    const Real v = r + 3.0;
    Real nm = 4.0;
    for (const double bound : {31.0, 16.0, 11.0, 8.0, 7.0, 6.0}) nm = select(v < bound, nm + 1.0, nm);
    return select(v < 5.0, Real(full), nm);
}

// The degrees a synthesis at one point takes: all up to its highest.
struct PointDegrees {
    int largest;
    bool takes(int n) const { return n <= largest; }
};

[[maybe_unused]] PointDegrees degrees_at(double r, int full) { return {static_cast<int>(highest_degree(r, full))}; }

// The degrees of a pack of points: each lane has the highest degree of its own
// distance, the loops run to the largest of them, and a lane takes the terms
// up to its own degree (the masks of each degree made once per synthesis).
template <int W, class Isa>
struct PackDegrees {
    int largest;
    std::array<PackMask<W, Isa>, kMaxDegree + 1> masks;
    PackMask<W, Isa> takes(int n) const { return masks[n]; }
};

template <int W, class Isa>
PackDegrees<W, Isa> degrees_at(Pack<W, Isa> r, int full) {
    const Pack<W, Isa> own = highest_degree(r, full);
    PackDegrees<W, Isa> degrees;
    degrees.largest = static_cast<int>(largest_lane(own));
    for (int n = 0; n <= degrees.largest; ++n) degrees.masks[n] = Pack<W, Isa>(n) <= own;
    return degrees;
}

}  // namespace

template <class Real>
void spherical_harmonic_sum(const EpochState& epoch, Given<Real> r, Given<Real> sin_theta,
                            Given<Real> cos_theta, Given<Real> sin_phi, Given<Real> cos_phi, Real& b_r,
                            Real& b_theta, Real& b_phi) {
    // Near the poles the longitude derivative is taken from the theta-derivative
    // of the Legendre functions.
    constexpr double kPoleLimit = kSinglePoleLimit;

    // Each lane's terms stop at its own highest degree; the recursions of a
    // lane past its degree go on harmlessly and are never summed.
    const auto degrees = degrees_at(r, epoch.degree);
    const int nm = degrees.largest;
    const int k = nm + 1;

    // a[N] = (1/r)^(n+2), b[N] = (n+1) (1/r)^(n+2), for degree n = N.
    std::array<Real, kMaxDegree + 1> a{};
    std::array<Real, kMaxDegree + 1> b{};
    const Real inverse_r = 1.0 / r;
    Real power = inverse_r * inverse_r;
    for (int n = 0; n < k; ++n) {
        a[n] = power;
        b[n] = power * (n + 1);
        power *= inverse_r;
    }

    const auto near_pole = sin_theta < kPoleLimit;
    Real p = 1.0;  // P(m,m)
    Real d = 0.0;  // dP(m,m)/dtheta
    Real sum_r = 0.0, sum_theta = 0.0, sum_phi = 0.0;
    Real x = 0.0, y = 1.0;  // sin(m phi), cos(m phi)
    const double* g = epoch.g_coef.data();
    const double* h = epoch.h_coef.data();
    const double* c = epoch.recurrence_coef.data();

    for (int m = 0; m <= nm; ++m) {
        if (m >= 1) {
            const Real next_x = x * cos_phi + y * sin_phi;
            const Real next_y = y * cos_phi - x * sin_phi;
            x = next_x;
            y = next_y;
        }
        Real q = p, z = d, q2 = 0.0, z2 = 0.0, t = 0.0;
        for (int n = m; n <= nm; ++n) {
            const auto takes = degrees.takes(n);
            const int i = coefficient_index(n, m);
            const double e = g[i];
            const double f = h[i];
            const Real w = e * y + f * x;
            sum_r = select(takes, sum_r + b[n] * w * q, sum_r);
            sum_theta = select(takes, sum_theta - a[n] * w * z, sum_theta);
            if (m >= 1) {
                const Real u = select(near_pole, z, q);
                t = select(takes, t + a[n] * (e * x - f * y) * u, t);
            }
            const Real next_z = cos_theta * z - sin_theta * q - c[i] * z2;
            const Real next_q = cos_theta * q - c[i] * q2;
            z2 = z;
            q2 = q;
            z = next_z;
            q = next_q;
        }
        d = sin_theta * d + cos_theta * p;
        p = p * sin_theta;
        if (m >= 1) sum_phi = select(degrees.takes(m), sum_phi + m * t, sum_phi);
    }

    b_r = sum_r;
    b_theta = sum_theta;
    b_phi = select(near_pole, select(cos_theta < 0.0, -sum_phi, sum_phi), sum_phi / sin_theta);
}

template <class Real>
void internal_field_gsm(const EpochState& epoch, Given<Real> x, Given<Real> y, Given<Real> z, Real& bx, Real& by,
                        Real& bz) {
    using std::sqrt;
    Real gx = x, gy = y, gz = z;
    gsm_to_geo(epoch, gx, gy, gz, gx, gy, gz);

    const Real rho2 = gx * gx + gy * gy;
    const Real rho = sqrt(rho2);
    const Real r = sqrt(rho2 + gz * gz);
    const Real sin_theta = rho / r;
    const Real cos_theta = gz / r;
    // On the geographic axis the longitude is 0.
    const auto off_axis = sin_theta >= 1e-5;
    const Real sin_phi = select(off_axis, gy / rho, Real(0.0));
    const Real cos_phi = select(off_axis, gx / rho, Real(1.0));

    Real b_r, b_theta, b_phi;
    spherical_harmonic_sum(epoch, r, sin_theta, cos_theta, sin_phi, cos_phi, b_r, b_theta, b_phi);

    const Real e = b_r * sin_theta + b_theta * cos_theta;
    bx = e * cos_phi - b_phi * sin_phi;
    by = e * sin_phi + b_phi * cos_phi;
    bz = b_r * cos_theta - b_theta * sin_theta;
    geo_to_gsm(epoch, bx, by, bz, bx, by, bz);
}

#define CONES_INTERNAL_FIELD(Real)                                                                    \
    template void spherical_harmonic_sum<Real>(const EpochState&, Real, Real, Real, Real, Real, Real&, \
                                               Real&, Real&);                                          \
    template void internal_field_gsm<Real>(const EpochState&, Real, Real, Real, Real&, Real&, Real&);
CONES_FOR_EACH_NUMBER_TYPE(CONES_INTERNAL_FIELD)

}  // namespace cones
