// The tilt deformation of the T01 magnetopause: the point turned about Y so
// that the boundary follows the dipole tilt near the Earth and the solar wind
// far away. Shared by the field models and their escape tests.
#pragma once

#include <cmath>

#include "numerics/math.hpp"

namespace cones {

// Passes of the deformation's fixed-point iteration after which the last
// iterate is taken. Realistic tilts converge within about 16 passes; a
// non-finite coordinate stops after one pass. The cap only bounds an
// iteration that would never settle.
inline constexpr int kT01MaxTiltPasses = 1000;

// Deformed coordinates (xs, zs) of a GSM point and the passes they took.
struct T01TiltDeformation {
    double xs = 0.0, zs = 0.0;
    int passes = 0;
};

// Fixed point of xs = x c - z s, zs = z c + x s with
//   s = sin psi / (1 + (r/rh)^3)^exponent,  c = sqrt(1 - s^2),
//   rh = hinge + latitude_term (zs/r)^2,
// starting from (x, z) and ending when |dxs| + |dzs| <= 1e-6 or after
// kT01MaxTiltPasses passes.
// Given: x, z (GSM, Earth radii) and r, the point's geocentric distance;
// sin psi; the hinge distance (Earth radii), the latitude term (-5.2 in the
// precision of the caller) and the exponent (a third, in the caller's precision).
// Returned: xs, zs (Earth radii) and the number of passes.
// Notes: without tilt one pass gives (x, z). r = 0 divides by zero.
inline T01TiltDeformation t01_tilt_deformation(double x, double z, double r, double sin_tilt,
                                               double hinge, double latitude_term, double exponent) {
    T01TiltDeformation d{x, z, 0};
    while (d.passes < kT01MaxTiltPasses) {
        const double xp = d.xs, zp = d.zs;
        const double zr = zp / r;
        const double rh = hinge + latitude_term * (zr * zr);
        const double w = r / rh;
        const double s = sin_tilt / math::pow(1.0 + w * w * w, exponent);
        const double c = std::sqrt(1.0 - s * s);
        d.xs = x * c - z * s;
        d.zs = z * c + x * s;
        ++d.passes;
        if (!(std::fabs(d.xs - xp) + std::fabs(d.zs - zp) > 1e-6)) break;
    }
    return d;
}

}  // namespace cones
