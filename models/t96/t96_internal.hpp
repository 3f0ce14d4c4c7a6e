// Routines shared by the T96 components: the Cartesian shielding sums, the
// conical harmonics of the Birkeland current fields, integer powers, and the
// preparation of each component family's tilt and scale terms.
//
// The sources that define the field routines include numerics/lane_variant.hpp
// and instantiate each routine for the number types of their build
// (CONES_FOR_EACH_NUMBER_TYPE); their preparation routines, of one point's
// arithmetic alone, stand within #if CONES_ONE_POINT_BUILD.
#pragma once

#include <cstddef>

#include "models/t96/t96.hpp"
#include "models/t96/t96_coefficients.hpp"

namespace cones {

// x^n for n >= 0 by binary powering from the lowest bit: x^4 = (x^2)^2,
// x^5 = x (x^2)^2, x^6 = x^2 (x^2)^2.
template <class Real>
Real t96_power(Real x, int n) {
    Real result = 1.0;
    Real factor = x;
    for (;;) {
        if (n & 1) result = result * factor;
        n >>= 1;
        if (n == 0) return result;
        factor = factor * factor;
    }
}

// Adds w b to the running sum h, component by component.
template <class Real>
void t96_accumulate(T96VectorOf<Real>& h, double w, const T96VectorOf<Real>& b) {
    h.x = h.x + w * b.x;
    h.y = h.y + w * b.y;
    h.z = h.z + w * b.z;
}

// Each lane's choice between two vectors: a where the condition holds, b
// elsewhere.
template <class Real>
T96VectorOf<Real> t96_select(MaskOf<Real> condition, const T96VectorOf<Real>& a, const T96VectorOf<Real>& b) {
    return {select(condition, a.x, b.x), select(condition, a.y, b.y), select(condition, a.z, b.z)};
}

// How the x-rates of a Cartesian shielding field are formed from its scales:
// sqrt(1/p^2 + 1/r^2) with the squares divided, or from the reciprocals
// 1/p and 1/r squared.
enum class T96RateForm { kDividedSquares, kSquaredReciprocals };

// Weights of a Cartesian shielding field for sine s and cosine c of the tilt.
template <std::size_t N>
T96ShieldingWeights<N> t96_shielding_weights(const T96ShieldingTable<N>& table, double s,
                                             double c, T96RateForm form);

// Field of a Cartesian shielding table at (x, y, z), Earth radii; nT; Real
// is double or a pack.
// Each harmonic (i, k) of the first sum is
//   (-w e cos(y/p) sin(z/r), e/p sin(y/p) sin(z/r), -e/r cos(y/p) cos(z/r)),
// e = exp(w x), taken once with the first amplitude and once times cos psi
// with the second; each harmonic of the second sum is s times
//   (-w e cos(y/q) cos(z/s), e/q sin(y/q) cos(z/s), e/s cos(y/q) sin(z/s))
// taken alone and times 4 cos^2 psi - 1. Terms are added in table order.
template <std::size_t N, class Real>
T96VectorOf<Real> t96_cartesian_shielding(const T96ShieldingTable<N>& table, const T96ShieldingWeights<N>& weights,
                                          Real x, Real y, Real z);

// pi as the loop and region-1 formulas write it (ten digits).
inline constexpr double kT96Pi = 3.141592654;

// sqrt((1 + 9)^2 + 16) - sqrt((1 - 9)^2 + 16): the hinge roots' difference at
// r = 1, which normalises the hinged tilt to the dipole's tilt at the Earth.
inline constexpr double kT96HingeNormalisation = 1.8260577042698483;

// A point's distance r from the Earth's centre (and r^2 = x^2 + y^2 + z^2)
// with the two roots sqrt((r + 9)^2 + 16) and sqrt((r - 9)^2 + 16) of the
// hinging law (hinge distance 9 Re, spread 4 Re), which the current sheet and
// the region-1 currents share.

template <class Real>
struct T96HingeOf {
    Real r2;
    Real r;
    Real root_plus;
    Real root_minus;
};
template <class Real>
T96HingeOf<Real> t96_hinge(Real x, Real y, Real z);
// The same for a distance r alone (r2 is then r^2).
template <class Real>
T96HingeOf<Real> t96_hinge_at(Real r);

// Sheet geometry, sheet fields and region-1 field at a point whose hinge
// terms are already known (the driver evaluates them once per point).
template <class Real>
T96WarpedSheetGeometryOf<Real> t96_warped_sheet_geometry(const T96Prepared& model, const T96HingeOf<Real>& hinge,
                                                         Real x, Real y, Real z);
template <class Real>
T96SheetFieldsOf<Real> t96_ring_current_tail_field(const T96Prepared& model, const T96HingeOf<Real>& hinge, Real x,
                                                   Real y, Real z);
template <class Real>
T96VectorOf<Real> t96_region1_source(const T96Prepared& model, const T96HingeOf<Real>& hinge, Real x, Real y,
                                     Real z);
template <class Real>
T96VectorOf<Real> t96_region1_field(const T96Prepared& model, const T96HingeOf<Real>& hinge, Real x, Real y,
                                    Real z);

// Spherical coordinates of a point about the z axis: rho = sqrt(x^2 + y^2),
// r = sqrt(rho^2 + z^2), cos and sin of the azimuth (x / rho, y / rho) and of
// the colatitude (z / r, rho / r). Singular on the z axis.
template <class Real>
struct T96PolarOf {
    Real rho;
    Real r;
    Real cos_phi, sin_phi;
    Real cos_theta, sin_theta;
};
template <class Real>
T96PolarOf<Real> t96_polar(Real x, Real y, Real z);

// Conical harmonics m = 1..n (n <= 5) of the Birkeland current fields about
// the z axis at the point of `polar`: field m is written to h[m - 1].
template <class Real>
void t96_conical_harmonics(const T96PolarOf<Real>& polar, int n, T96VectorOf<Real>* h);

// Preparation of each component family (each writes its own members).
void t96_prepare_sheet(T96Prepared& model, double epoch_sin_tilt);
void t96_prepare_region1(T96Prepared& model);
void t96_prepare_region2(T96Prepared& model);
void t96_prepare_interconnection(T96Prepared& model);

}  // namespace cones
