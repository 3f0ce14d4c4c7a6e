// Coordinate transforms: spherical and Cartesian components of one frame.

#include <cmath>

#include "geomag/geomag.hpp"
#include "geomag/legacy_constants.hpp"
#include "numerics/math.hpp"

namespace cones {

void spherical_to_cartesian(double r, double theta, double phi, double& x, double& y, double& z) {
    double sin_theta, cos_theta, sin_phi, cos_phi;
    math::sincos(theta, sin_theta, cos_theta);
    math::sincos(phi, sin_phi, cos_phi);
    const double rho = r * sin_theta;
    x = rho * cos_phi;
    y = rho * sin_phi;
    z = r * cos_theta;
}

void cartesian_to_spherical(double x, double y, double z, double& r, double& theta, double& phi) {
    const double rho2 = x * x + y * y;
    r = std::sqrt(rho2 + z * z);
    if (rho2 == 0.0) {
        // On the Z axis atan2 is undefined: longitude 0, colatitude 0 or pi.
        phi = 0.0;
        theta = (z < 0.0) ? kSinglePi : 0.0;
        return;
    }
    phi = math::atan2(y, x);
    theta = math::atan2(std::sqrt(rho2), z);
    if (phi < 0.0) phi = phi + kSingleTwoPi;
}

void spherical_vector_to_cartesian(double theta, double phi, double v_r, double v_theta,
                                   double v_phi, double& v_x, double& v_y, double& v_z) {
    double sin_theta, cos_theta, sin_phi, cos_phi;
    math::sincos(theta, sin_theta, cos_theta);
    math::sincos(phi, sin_phi, cos_phi);
    const double e = v_r * sin_theta + v_theta * cos_theta;
    v_x = e * cos_phi - v_phi * sin_phi;
    v_y = e * sin_phi + v_phi * cos_phi;
    v_z = v_r * cos_theta - v_theta * sin_theta;
}

}  // namespace cones
