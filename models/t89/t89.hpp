// T89 magnetospheric (external) field model, in its six Kp activity levels.
#pragma once

#include <array>

#include "geomag/geomag.hpp"

namespace cones {

// One T89 coefficient set ready for evaluation: A1..A28 (at index k - 1) with
// A16..A19 derived from the others, and w = 1 / A27^2. Prepared once per run.
struct T89Coefficients {
    std::array<double, 28> a{};
    double w = 0.0;
};

// Coefficient set number (1..6) selected by a Kp index: trunc(Kp + 0.5) + 1,
// at most 6. Returns a value below 1 for Kp <= -1.5, which selects no set.
int t89_set_number(double kp);

// The prepared coefficient set number `set_number` (1..6).
T89Coefficients t89_coefficients(int set_number);

// T89 external field.
// Given: the prepared coefficient set, the epoch (its sin_tilt and cos_tilt),
// a GSM point (Earth radii); Real is double (one point) or a Pack (one point
// per lane).
// Returned: the field's GSM components, nT.
// Notes: the boundary terms' exponential (the math layer's exp, in every lane)
// is capped at 1.4e217 for x / A20 >= 500.
template <class Real>
void t89_external_field(const T89Coefficients& set, const EpochState& epoch, Given<Real> x, Given<Real> y,
                        Given<Real> z, Real& bx, Real& by, Real& bz);

// Whether a point lies outside the T89 magnetopause: a tail cylinder of
// radius 22.4 from x = -24.87 to -70, two cones joining it to the dayside
// paraboloid x = 11.07 - 0.043188184 rho^2 (rho = sqrt(y^2 + z^2)), and
// everything at or beyond x = -70.
// Given:    x, y, z  GSM, Earth radii.
// Returned: true outside (escaped), false inside.
// Notes:    the constants are single-precision values (-24.87, -16.51, 22.4,
//           0.08995136, 224.15, 0.3400383, 47.08, 11.07, 0.043188184).
bool t89_escaped(double x, double y, double z);

}  // namespace cones
