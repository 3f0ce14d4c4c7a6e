// Building blocks of the T96 Birkeland current fields: the circular current
// loop, a pair of crossed loops, a triplet of point dipoles, and the conical
// harmonics of field-aligned currents about an axis.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Within this distance of the axis the loop's radial field uses its near-axis form.
constexpr double kNearAxis = 1e-6;
// Moment of each dipole of the triplet, nT Re^3.
constexpr double kTripletMoment = 30574.0;

}  // namespace

// Given: x, y, z (Earth radii) in the loop's frame; rl, the loop radius.
// Returned: field in the loop's frame, in the model's current normalisation.
// Notes: m is the elliptic parameter 4 rho rl / r2^2 and m1 = 1 - m; K and E
//   are polynomials in m1 and ln(1/m1). Constants double precision except
//   three single-precision coefficients of K.
template <class Real>
T96VectorOf<Real> t96_circular_loop_field(Real x, Real y, Real z, double rl) {
    using std::sqrt;
    const Real rho2 = x * x + y * y;
    const Real rho = sqrt(rho2);
    const Real r22 = z * z + (rho + rl) * (rho + rl);
    const Real r2 = sqrt(r22);
    const Real r12 = r22 - 4.0 * rho * rl;
    const Real r32 = 0.5 * (r12 + r22);
    const Real m = 1.0 - r12 / r22;
    const Real m1 = 1.0 - m;
    const Real ln = math::log(1.0 / m1);
    const Real k =
        1.38629436112 +
        m1 * (0.09666344259 +
              m1 * (double(0.035900924f) + m1 * (double(0.037425637f) + m1 * double(0.014511962f)))) +
        ln * (0.5 + m1 * (0.12498593597 +
                          m1 * (0.06880248576 + m1 * (0.03328355346 + m1 * 0.00441787012))));
    const Real e =
        1.0 + m1 * (0.44325141463 + m1 * (0.0626060122 + m1 * (0.04757383546 + m1 * 0.01736506451))) +
        ln * m1 * (0.2499836831 + m1 * (0.09200180037 + m1 * (0.04069697526 + m1 * 0.00526449639)));
    const Real b_rho_over_rho = select(rho > kNearAxis, z / (rho2 * r2) * (r32 / r12 * e - k),
                                       kT96Pi * rl / r2 * (rl - rho) / r12 * z / (r32 - rho2));
    return {b_rho_over_rho * x, b_rho_over_rho * y, (k - e * (r32 - 2.0 * (rl * rl)) / r12) / r2};
}

// Given: x, y, z (Earth radii); loop centre xc and radius rl; inclination.
// Returned: field of both loops, nT per unit current.
template <class Real>
T96VectorOf<Real> t96_crossed_loops_field(Real x, Real y, Real z, double xc, double rl, const T96Angle& inclination) {
    const double ca = inclination.cos, sa = inclination.sin;
    const Real y1 = y * ca - z * sa;
    const Real z1 = y * sa + z * ca;
    const Real y2 = y * ca + z * sa;
    const Real z2 = -y * sa + z * ca;
    const T96VectorOf<Real> b1 = t96_circular_loop_field(x - xc, y1, z1, rl);
    const T96VectorOf<Real> b2 = t96_circular_loop_field(x - xc, y2, z2, rl);
    return {b1.x + b2.x, (b1.y + b2.y) * ca + (b1.z - b2.z) * sa, -(b1.y - b2.y) * sa + (b1.z + b2.z) * ca};
}

// Given: x, y, z (Earth radii) relative to the dipoles.
// Returned: fields of the x-, y- and z-directed dipoles, nT.
template <class Real>
T96DipoleTripletOf<Real> t96_dipole_triplet_field(Real x, Real y, Real z) {
    using std::sqrt;
    const Real r2 = x * x + y * y + z * z;
    const Real k = kTripletMoment / (r2 * r2 * sqrt(r2));
    T96DipoleTripletOf<Real> t;
    t.x_dipole = {k * (3.0 * (x * x) - r2), 3.0 * k * x * y, 3.0 * k * x * z};
    t.y_dipole = {3.0 * k * x * y, k * (3.0 * (y * y) - r2), 3.0 * k * y * z};
    t.z_dipole = {3.0 * k * x * z, 3.0 * k * y * z, k * (3.0 * (z * z) - r2)};
    return t;
}

template <class Real>
T96PolarOf<Real> t96_polar(Real x, Real y, Real z) {
    using std::sqrt;
    T96PolarOf<Real> p;
    p.rho = sqrt(x * x + y * y);
    p.cos_phi = x / p.rho;
    p.sin_phi = y / p.rho;
    p.r = sqrt(p.rho * p.rho + z * z);
    p.cos_theta = z / p.r;
    p.sin_theta = p.rho / p.r;
    return p;
}

// Given: the point's spherical coordinates about the harmonics' axis z;
//   n <= 5 harmonics.
// Returned: h[m - 1], the field of harmonic m = 1..n.
// Notes: cos m phi and sin m phi by the angle-addition recurrence; tn =
//   tan(theta/2) and its reciprocal raised to integer powers.
template <class Real>
void t96_conical_harmonics(const T96PolarOf<Real>& polar, int n, T96VectorOf<Real>* h) {
    using std::sqrt;
    const Real cf1 = polar.cos_phi;
    const Real sf1 = polar.sin_phi;
    const Real r = polar.r;
    const Real c = polar.cos_theta;
    const Real s = polar.sin_theta;
    const Real ch = sqrt(0.5 * (1.0 + c));
    const Real sh = sqrt(0.5 * (1.0 - c));
    const Real tn = sh / ch;
    const Real cn = 1.0 / tn;
    Real cf = cf1, sf = sf1;
    for (int m = 1; m <= n; ++m) {
        if (m > 1) {
            const Real cf_next = cf * cf1 - sf * sf1;
            sf = sf * cf1 + cf * sf1;
            cf = cf_next;
        }
        const Real bt = m * cf / (r * s) * (t96_power(tn, m) + t96_power(cn, m));
        const Real bf =
            -0.5 * m * sf / r * (t96_power(tn, m - 1) / (ch * ch) - t96_power(cn, m - 1) / (sh * sh));
        h[m - 1] = {bt * c * cf1 - bf * sf1, bt * c * sf1 + bf * cf1, -bt * s};
    }
}

#define CONES_T96_LOOPS(Real)                                                                                  \
    template T96VectorOf<Real> t96_circular_loop_field(Real, Real, Real, double);                             \
    template T96VectorOf<Real> t96_crossed_loops_field(Real, Real, Real, double, double, const T96Angle&);   \
    template T96DipoleTripletOf<Real> t96_dipole_triplet_field(Real, Real, Real);                             \
    template T96PolarOf<Real> t96_polar(Real, Real, Real);                                                    \
    template void t96_conical_harmonics(const T96PolarOf<Real>&, int, T96VectorOf<Real>*);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T96_LOOPS)

}  // namespace cones
