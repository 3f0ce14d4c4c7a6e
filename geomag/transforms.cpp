// Coordinate transforms: spherical and Cartesian components of one frame.

#include <cmath>

#include "geomag/geomag.hpp"
#include "geomag/legacy_constants.hpp"

namespace cones {

void spherical_to_cartesian(double r, double theta, double phi, double& x, double& y, double& z) {
    const double rho = r * std::sin(theta);
    x = rho * std::cos(phi);
    y = rho * std::sin(phi);
    z = r * std::cos(theta);
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
    phi = std::atan2(y, x);
    theta = std::atan2(std::sqrt(rho2), z);
    if (phi < 0.0) phi = phi + kSingleTwoPi;
}

void spherical_vector_to_cartesian(double theta, double phi, double v_r, double v_theta,
                                   double v_phi, double& v_x, double& v_y, double& v_z) {
    const double sin_theta = std::sin(theta);
    const double cos_theta = std::cos(theta);
    const double sin_phi = std::sin(phi);
    const double cos_phi = std::cos(phi);
    const double e = v_r * sin_theta + v_theta * cos_theta;
    v_x = e * cos_phi - v_phi * sin_phi;
    v_y = e * sin_phi + v_phi * cos_phi;
    v_z = v_r * cos_theta - v_theta * sin_theta;
}

}  // namespace cones
