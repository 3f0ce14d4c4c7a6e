// The tilt deformation of the T01 magnetopause: the point turned about Y so
// that the boundary follows the dipole tilt near the Earth and the solar wind
// far away. Shared by the field models and their escape tests.
#pragma once

#include <cmath>

#include "numerics/math.hpp"
#include "numerics/pack.hpp"

namespace cones {

// Passes of the deformation's fixed-point iteration after which the last
// iterate is taken. Realistic tilts converge within about 16 passes; a
// non-finite coordinate stops after one pass. The cap only bounds an
// iteration that would never settle.
inline constexpr int kT01MaxTiltPasses = 1000;

// Deformed coordinates (xs, zs) of a GSM point and the passes they took, of
// one point or of each lane's.
template <class Real>
struct T01TiltDeformationOf {
    Real xs = 0.0, zs = 0.0;
    Real passes = 0.0;
};
using T01TiltDeformation = T01TiltDeformationOf<double>;

// Fixed point of xs = x c - z s, zs = z c + x s with
//   s = sin psi / (1 + (r/rh)^3)^exponent,  c = sqrt(1 - s^2),
//   rh = hinge + latitude_term (zs/r)^2,
// starting from (x, z) and ending when |dxs| + |dzs| <= 1e-6 or after
// kT01MaxTiltPasses passes.
// Given: x, z (GSM, Earth radii) and r, the point's geocentric distance;
// sin psi; the hinge distance (Earth radii), the latitude term (-5.2 in the
// precision of the caller) and the exponent (a third, in the caller's precision);
// Real is double or a pack.
// Returned: xs, zs (Earth radii) and the number of passes.
// Notes: without tilt one pass gives (x, z). r = 0 divides by zero. In a
// pack the passes go on while any lane has not settled; a lane that has
// keeps its iterate and its count, so each lane ends where it would alone.
template <class Real>
T01TiltDeformationOf<Real> t01_tilt_deformation(Real x, Real z, Real r, double sin_tilt, double hinge,
                                                double latitude_term, double exponent) {
    using std::fabs;
    using std::sqrt;
    T01TiltDeformationOf<Real> d{x, z, Real(0.0)};
    MaskOf<Real> settling = Real(0.0) == Real(0.0);  // every lane
    for (int pass = 0; pass < kT01MaxTiltPasses && any_lane(settling); ++pass) {
        const Real xp = d.xs, zp = d.zs;
        const Real zr = zp / r;
        const Real rh = hinge + latitude_term * (zr * zr);
        const Real w = r / rh;
        const Real s = sin_tilt / math::pow(1.0 + w * w * w, exponent);
        const Real c = sqrt(1.0 - s * s);
        const Real xs = x * c - z * s;
        const Real zs = z * c + x * s;
        d.xs = select(settling, xs, d.xs);
        d.zs = select(settling, zs, d.zs);
        d.passes = select(settling, d.passes + 1.0, d.passes);
        settling = settling & (fabs(xs - xp) + fabs(zs - zp) > 1e-6);
    }
    return d;
}

}  // namespace cones
