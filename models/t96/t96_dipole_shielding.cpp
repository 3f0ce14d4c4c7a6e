// T96 magnetopause currents shielding the Earth's dipole: cylindrical
// harmonics about the x axis (Bessel functions of the distance from the axis
// times exponentials of x), and the Bessel functions J0 and J1 they need.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Cylindrical radius below which the perpendicular sum takes rho = 1e-8 and
// phi = 90 degrees, and below which the parallel sum takes phi = 90 degrees.
constexpr double kPerpendicularAxisRadius = 1e-8;
constexpr double kParallelAxisRadius = 1e-10;

// Azimuth phi about the x axis, from +y toward +z, as its sine and cosine;
// within `axis_radius` of the axis phi is taken as 90 degrees.
template <class Real>
struct Azimuth {
    Real sin_phi;
    Real cos_phi;
};

template <class Real>
Azimuth<Real> azimuth(Real rho, Real y, Real z, double axis_radius) {
    const auto on_axis = rho < axis_radius;
    return {select(on_axis, Real(1.0), z / rho), select(on_axis, Real(0.0), y / rho)};
}

// One cylindrical harmonic at distance rho from the axis and at x: its
// amplitude, zeta = rho / d, xi = x / d, J0(zeta), J1(zeta) and e^xi.
template <class Real>
struct Harmonic {
    double a;
    Real zeta, xi, j0, j1, e;
};

template <class Real>
Harmonic<Real> harmonic(const T96CylindricalHarmonic& entry, Real x, Real rho) {
    const double d = entry.scale;
    Harmonic<Real> h;
    h.a = entry.amplitude;
    h.zeta = rho / d;
    h.xi = x / d;
    t96_bessel_j0_j1(h.zeta, h.j0, h.j1);
    h.e = math::exp(h.xi);
    return h;
}

// Harmonics 1..3 are fields of the form grad(J1(rho/d) e^(x/d) sin phi) for
// the dipole's z part, 4..6 their companions with an x-weighted potential.
// On the axis rho is taken as 1e-8.
template <class Real>
T96VectorOf<Real> perpendicular_sum(const T96CylindricalHarmonic (&table)[6], Real x, Real rho_raw, Real y,
                                    Real z) {
    const Azimuth<Real> p = azimuth(rho_raw, y, z, kPerpendicularAxisRadius);
    const Real rho = select(rho_raw < kPerpendicularAxisRadius, Real(kPerpendicularAxisRadius), rho_raw);
    const Real sin_phi = p.sin_phi, cos_phi = p.cos_phi;
    const Real s2 = sin_phi * sin_phi;
    const Real s2c2 = sin_phi * sin_phi - cos_phi * cos_phi;
    T96VectorOf<Real> b;
    for (int i = 0; i < 6; ++i) {
        const Harmonic<Real> h = harmonic(table[i], x, rho);
        const double a = h.a;
        const Real zeta = h.zeta, xi = h.xi, j0 = h.j0, j1 = h.j1, e = h.e;
        if (i < 3) {
            b.x = b.x - a * j1 * e * sin_phi;
            b.y = b.y + a * (2.0 * j1 / zeta - j0) * e * sin_phi * cos_phi;
            b.z = b.z + a * (j1 / zeta * s2c2 - j0 * s2) * e;
        } else {
            const Real b_rho = (xi * j0 - (zeta * zeta + xi - 1.0) * j1 / zeta) * e * sin_phi;
            const Real b_phi = (j0 + j1 / zeta * (xi - 1.0)) * e * cos_phi;
            b.x = b.x + a * (zeta * j0 + xi * j1) * e * sin_phi;
            b.y = b.y + a * (b_rho * cos_phi - b_phi * sin_phi);
            b.z = b.z + a * (b_rho * sin_phi + b_phi * cos_phi);
        }
    }
    return b;
}

// Harmonics of the dipole's x part: axially symmetric fields of J0 and J1.
// On the axis rho stays 0.
template <class Real>
T96VectorOf<Real> parallel_sum(const T96CylindricalHarmonic (&table)[6], Real x, Real rho, Real y, Real z) {
    const Azimuth<Real> p = azimuth(rho, y, z, kParallelAxisRadius);
    T96VectorOf<Real> b;
    for (int i = 0; i < 6; ++i) {
        const Harmonic<Real> h = harmonic(table[i], x, rho);
        const double a = h.a;
        const Real zeta = h.zeta, xi = h.xi, j0 = h.j0, j1 = h.j1, e = h.e;
        Real b_rho;
        if (i < 3) {
            b_rho = j1 * e;
            b.x = b.x - a * j0 * e;
        } else {
            b_rho = (zeta * j0 + xi * j1) * e;
            b.x = b.x + a * (zeta * j1 - j0 * (xi + 1.0)) * e;
        }
        b.y = b.y + a * b_rho * p.cos_phi;
        b.z = b.z + a * b_rho * p.sin_phi;
    }
    return b;
}

}  // namespace

// Given: u >= 0 (the harmonic sums never pass a negative argument).
// Returned: j0 = J0(u), j1 = J1(u).
// Notes: the asymptotic branch shares 3/u and sqrt(u) between the two
//   functions. Each form is evaluated when any lane needs it.
template <class Real>
void t96_bessel_j0_j1(Real u, Real& j0, Real& j1) {
    using std::fabs;
    using std::sqrt;
    const auto series = fabs(u) < 3.0;
    Real series_j0 = 0.0, series_j1 = 0.0, asymptotic_j0 = 0.0, asymptotic_j1 = 0.0;
    if (any_lane(series)) {
        const Real t = (u / 3.0) * (u / 3.0);
        series_j0 = 1.0 - t * (2.2499997 -
                               t * (1.2656208 - t * (0.3163866 - t * (0.0444479 - t * (0.0039444 - t * 0.00021)))));
        series_j1 = u * (0.5 - t * (0.56249985 -
                                    t * (0.21093573 -
                                         t * (0.03954289 - t * (0.00443319 - t * (0.00031761 - t * 0.00001109))))));
    }
    if (any_lane(!series)) {
        const Real v = 3.0 / u;
        const Real root = sqrt(u);
        const Real f0 =
            0.79788456 -
            v * (0.00000077 +
                 v * (0.0055274 + v * (0.00009512 - v * (0.00137237 - v * (0.00072805 - v * 0.00014476)))));
        const Real theta0 =
            u - 0.78539816 -
            v * (0.04166397 +
                 v * (0.00003954 - v * (0.00262573 - v * (0.00054125 + v * (0.00029333 - v * 0.00013558)))));
        asymptotic_j0 = f0 * math::cos(theta0) / root;
        const Real f1 =
            0.79788456 +
            v * (0.00000156 +
                 v * (0.01659667 + v * (0.00017105 - v * (0.00249511 - v * (0.00113653 - v * 0.00020033)))));
        const Real theta1 =
            u - 2.35619449 +
            v * (0.12499612 +
                 v * (0.0000565 - v * (0.00637879 - v * (0.00074348 + v * (0.00079824 - v * 0.00029166)))));
        asymptotic_j1 = f1 * math::cos(theta1) / root;
    }
    j0 = select(series, series_j0, asymptotic_j0);
    j1 = select(series, series_j1, asymptotic_j1);
}

// Given: model, its cos psi and sin psi; x, y, z scaled GSM, Earth radii.
// Returned: H cos psi + F sin psi, H the perpendicular and F the parallel sum; nT.
// Notes: the distance from the x axis, sqrt(z^2 + y^2), is shared by both sums.
template <class Real>
T96VectorOf<Real> t96_dipole_shielding_field(const T96Prepared& model, Real x, Real y, Real z) {
    using std::sqrt;
    const Real rho = sqrt(z * z + y * y);
    const T96VectorOf<Real> h = perpendicular_sum(kT96PerpendicularDipoleShielding, x, rho, y, z);
    const T96VectorOf<Real> f = parallel_sum(kT96ParallelDipoleShielding, x, rho, y, z);
    const double c = model.cos_tilt, s = model.sin_tilt;
    return T96VectorOf<Real>{h.x * c + f.x * s, h.y * c + f.y * s, h.z * c + f.z * s};
}

#define CONES_T96_DIPOLE_SHIELDING(Real)                                                                  \
    template void t96_bessel_j0_j1(Real, Real&, Real&);                                                 \
    template T96VectorOf<Real> t96_dipole_shielding_field(const T96Prepared&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T96_DIPOLE_SHIELDING)

}  // namespace cones
