// Routines shared by the T96 components: the Cartesian shielding sums, the
// conical harmonics of the Birkeland current fields, integer powers, and the
// preparation of each component family's tilt and scale terms.
#pragma once

#include <cstddef>

#include "models/t96/t96.hpp"
#include "models/t96/t96_coefficients.hpp"

namespace cones {

// x^n for n >= 0 by binary powering from the lowest bit: x^4 = (x^2)^2,
// x^5 = x (x^2)^2, x^6 = x^2 (x^2)^2.
inline double t96_power(double x, int n) {
    double result = 1.0;
    double factor = x;
    for (;;) {
        if (n & 1) result = result * factor;
        n >>= 1;
        if (n == 0) return result;
        factor = factor * factor;
    }
}

// Adds w b to the running sum h, component by component.
inline void t96_accumulate(T96Vector& h, double w, const T96Vector& b) {
    h.x = h.x + w * b.x;
    h.y = h.y + w * b.y;
    h.z = h.z + w * b.z;
}

// How the x-rates of a Cartesian shielding field are formed from its scales:
// sqrt(1/p^2 + 1/r^2) with the squares divided, or from the reciprocals
// 1/p and 1/r squared.
enum class T96RateForm { kDividedSquares, kSquaredReciprocals };

// Weights of a Cartesian shielding field for sine s and cosine c of the tilt.
template <std::size_t N>
T96ShieldingWeights<N> t96_shielding_weights(const T96ShieldingTable<N>& table, double s,
                                             double c, T96RateForm form);

// Field of a Cartesian shielding table at (x, y, z), Earth radii; nT.
// Each harmonic (i, k) of the first sum is
//   (-w e cos(y/p) sin(z/r), e/p sin(y/p) sin(z/r), -e/r cos(y/p) cos(z/r)),
// e = exp(w x), taken once with the first amplitude and once times cos psi
// with the second; each harmonic of the second sum is s times
//   (-w e cos(y/q) cos(z/s), e/q sin(y/q) cos(z/s), e/s cos(y/q) sin(z/s))
// taken alone and times 4 cos^2 psi - 1. Terms are added in table order.
template <std::size_t N>
T96Vector t96_cartesian_shielding(const T96ShieldingTable<N>& table,
                                  const T96ShieldingWeights<N>& weights, double x, double y,
                                  double z);

// pi as the loop and region-1 formulas write it (ten digits).
inline constexpr double kT96Pi = 3.141592654;

// sqrt((1 + 9)^2 + 16) - sqrt((1 - 9)^2 + 16): the hinge roots' difference at
// r = 1, which normalises the hinged tilt to the dipole's tilt at the Earth.
inline constexpr double kT96HingeNormalisation = 1.8260577042698483;

// A point's distance r from the Earth's centre (and r^2 = x^2 + y^2 + z^2)
// with the two roots sqrt((r + 9)^2 + 16) and sqrt((r - 9)^2 + 16) of the
// hinging law (hinge distance 9 Re, spread 4 Re), which the current sheet and
// the region-1 currents share.

struct T96Hinge {
    double r2;
    double r;
    double root_plus;
    double root_minus;
};
T96Hinge t96_hinge(double x, double y, double z);
// The same for a distance r alone (r2 is then r^2).
T96Hinge t96_hinge_at(double r);

// Sheet geometry, sheet fields and region-1 field at a point whose hinge
// terms are already known (the driver evaluates them once per point).
T96WarpedSheetGeometry t96_warped_sheet_geometry(const T96Prepared& model, const T96Hinge& hinge,
                                                 double x, double y, double z);
T96SheetFields t96_ring_current_tail_field(const T96Prepared& model, const T96Hinge& hinge,
                                           double x, double y, double z);
T96Vector t96_region1_source(const T96Prepared& model, const T96Hinge& hinge, double x, double y,
                             double z);
T96Vector t96_region1_field(const T96Prepared& model, const T96Hinge& hinge, double x, double y,
                            double z);

// Spherical coordinates of a point about the z axis: rho = sqrt(x^2 + y^2),
// r = sqrt(rho^2 + z^2), cos and sin of the azimuth (x / rho, y / rho) and of
// the colatitude (z / r, rho / r). Singular on the z axis.
struct T96Polar {
    double rho;
    double r;
    double cos_phi, sin_phi;
    double cos_theta, sin_theta;
};
T96Polar t96_polar(double x, double y, double z);

// Conical harmonics m = 1..n (n <= 5) of the Birkeland current fields about
// the z axis at the point of `polar`: field m is written to h[m - 1].
void t96_conical_harmonics(const T96Polar& polar, int n, T96Vector* h);

// Preparation of each component family (each writes its own members).
void t96_prepare_sheet(T96Prepared& model, double epoch_sin_tilt);
void t96_prepare_region1(T96Prepared& model);
void t96_prepare_region2(T96Prepared& model);
void t96_prepare_interconnection(T96Prepared& model);

}  // namespace cones
