// T96 magnetopause currents shielding the Earth's dipole: cylindrical
// harmonics about the x axis (Bessel functions of the distance from the axis
// times exponentials of x), and the Bessel functions J0 and J1 they need.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Cylindrical radius below which the perpendicular sum takes rho = 1e-8 and
// phi = 90 degrees, and below which the parallel sum takes phi = 90 degrees.
constexpr double kPerpendicularAxisRadius = 1e-8;
constexpr double kParallelAxisRadius = 1e-10;

// Azimuth phi about the x axis, from +y toward +z, as its sine and cosine;
// within `axis_radius` of the axis phi is taken as 90 degrees.
struct Azimuth {
    double sin_phi;
    double cos_phi;
};

Azimuth azimuth(double rho, double y, double z, double axis_radius) {
    if (rho < axis_radius) return {1.0, 0.0};
    return {z / rho, y / rho};
}

// One cylindrical harmonic at distance rho from the axis and at x: its
// amplitude, zeta = rho / d, xi = x / d, J0(zeta), J1(zeta) and e^xi.
struct Harmonic {
    double a, zeta, xi, j0, j1, e;
};

Harmonic harmonic(const T96CylindricalHarmonic& entry, double x, double rho) {
    const double d = entry.scale;
    Harmonic h;
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
T96Vector perpendicular_sum(const T96CylindricalHarmonic (&table)[6], double x, double rho_raw,
                            double y, double z) {
    const Azimuth p = azimuth(rho_raw, y, z, kPerpendicularAxisRadius);
    const double rho = rho_raw < kPerpendicularAxisRadius ? kPerpendicularAxisRadius : rho_raw;
    const double sin_phi = p.sin_phi, cos_phi = p.cos_phi;
    const double s2 = sin_phi * sin_phi;
    const double s2c2 = sin_phi * sin_phi - cos_phi * cos_phi;
    T96Vector b;
    for (int i = 0; i < 6; ++i) {
        const Harmonic h = harmonic(table[i], x, rho);
        const double a = h.a, zeta = h.zeta, xi = h.xi, j0 = h.j0, j1 = h.j1, e = h.e;
        if (i < 3) {
            b.x = b.x - a * j1 * e * sin_phi;
            b.y = b.y + a * (2.0 * j1 / zeta - j0) * e * sin_phi * cos_phi;
            b.z = b.z + a * (j1 / zeta * s2c2 - j0 * s2) * e;
        } else {
            const double b_rho = (xi * j0 - (zeta * zeta + xi - 1.0) * j1 / zeta) * e * sin_phi;
            const double b_phi = (j0 + j1 / zeta * (xi - 1.0)) * e * cos_phi;
            b.x = b.x + a * (zeta * j0 + xi * j1) * e * sin_phi;
            b.y = b.y + a * (b_rho * cos_phi - b_phi * sin_phi);
            b.z = b.z + a * (b_rho * sin_phi + b_phi * cos_phi);
        }
    }
    return b;
}

// Harmonics of the dipole's x part: axially symmetric fields of J0 and J1.
// On the axis rho stays 0.
T96Vector parallel_sum(const T96CylindricalHarmonic (&table)[6], double x, double rho, double y,
                       double z) {
    const Azimuth p = azimuth(rho, y, z, kParallelAxisRadius);
    T96Vector b;
    for (int i = 0; i < 6; ++i) {
        const Harmonic h = harmonic(table[i], x, rho);
        const double a = h.a, zeta = h.zeta, xi = h.xi, j0 = h.j0, j1 = h.j1, e = h.e;
        double b_rho;
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
//   functions.
void t96_bessel_j0_j1(double u, double& j0, double& j1) {
    if (std::fabs(u) < 3.0) {
        const double t = (u / 3.0) * (u / 3.0);
        j0 = 1.0 - t * (2.2499997 -
                        t * (1.2656208 - t * (0.3163866 - t * (0.0444479 - t * (0.0039444 - t * 0.00021)))));
        j1 = u * (0.5 - t * (0.56249985 -
                             t * (0.21093573 -
                                  t * (0.03954289 - t * (0.00443319 - t * (0.00031761 - t * 0.00001109))))));
        return;
    }
    const double v = 3.0 / u;
    const double root = std::sqrt(u);
    const double f0 =
        0.79788456 -
        v * (0.00000077 +
             v * (0.0055274 + v * (0.00009512 - v * (0.00137237 - v * (0.00072805 - v * 0.00014476)))));
    const double theta0 =
        u - 0.78539816 -
        v * (0.04166397 +
             v * (0.00003954 - v * (0.00262573 - v * (0.00054125 + v * (0.00029333 - v * 0.00013558)))));
    j0 = f0 * math::cos(theta0) / root;
    const double f1 =
        0.79788456 +
        v * (0.00000156 +
             v * (0.01659667 + v * (0.00017105 - v * (0.00249511 - v * (0.00113653 - v * 0.00020033)))));
    const double theta1 =
        u - 2.35619449 +
        v * (0.12499612 +
             v * (0.0000565 - v * (0.00637879 - v * (0.00074348 + v * (0.00079824 - v * 0.00029166)))));
    j1 = f1 * math::cos(theta1) / root;
}

// Given: model, its cos psi and sin psi; x, y, z scaled GSM, Earth radii.
// Returned: H cos psi + F sin psi, H the perpendicular and F the parallel sum; nT.
// Notes: the distance from the x axis, sqrt(z^2 + y^2), is shared by both sums.
T96Vector t96_dipole_shielding_field(const T96Prepared& model, double x, double y, double z) {
    const double rho = std::sqrt(z * z + y * y);
    const T96Vector h = perpendicular_sum(kT96PerpendicularDipoleShielding, x, rho, y, z);
    const T96Vector f = parallel_sum(kT96ParallelDipoleShielding, x, rho, y, z);
    const double c = model.cos_tilt, s = model.sin_tilt;
    return T96Vector{h.x * c + f.x * s, h.y * c + f.y * s, h.z * c + f.z * s};
}

}  // namespace cones
