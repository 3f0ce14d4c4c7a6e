// Coordinate transforms: spherical and Cartesian components, and the GEO-GSM
// and GSE-GSM rotations of the epoch.

#include <cmath>

#include "geomag/geomag.hpp"

namespace cones {

void convert_spherical_cartesian(double& r, double& theta, double& phi, double& x, double& y,
                                 double& z, int direction) {
    if (direction > 0) {
        const double rho = r * std::sin(theta);
        x = rho * std::cos(phi);
        y = rho * std::sin(phi);
        z = r * std::cos(theta);
        return;
    }
    const double rho2 = x * x + y * y;
    r = std::sqrt(rho2 + z * z);
    if (rho2 == 0.0) {
        // On the Z axis atan2 is undefined: longitude 0, colatitude 0 or pi.
        phi = 0.0;
        theta = (z < 0.0) ? double(3.1415927f) : 0.0;
        return;
    }
    phi = std::atan2(y, x);
    theta = std::atan2(std::sqrt(rho2), z);
    if (phi < 0.0) phi = phi + double(6.2831855f);
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

void transform_geo_gsm(const EpochState& epoch, double& x_geo, double& y_geo, double& z_geo,
                       double& x_gsm, double& y_gsm, double& z_gsm, int direction) {
    const auto& a = epoch.geo_gsm_matrix;
    if (direction >= 0) {
        const double gx = x_geo, gy = y_geo, gz = z_geo;
        x_gsm = a[0][0] * gx + a[1][0] * gy + a[2][0] * gz;
        y_gsm = a[0][1] * gx + a[1][1] * gy + a[2][1] * gz;
        z_gsm = a[0][2] * gx + a[1][2] * gy + a[2][2] * gz;
    } else {
        const double mx = x_gsm, my = y_gsm, mz = z_gsm;
        x_geo = a[0][0] * mx + a[0][1] * my + a[0][2] * mz;
        y_geo = a[1][0] * mx + a[1][1] * my + a[1][2] * mz;
        z_geo = a[2][0] * mx + a[2][1] * my + a[2][2] * mz;
    }
}

void transform_gse_gsm(const EpochState& epoch, double& x_gse, double& y_gse, double& z_gse,
                       double& x_gsm, double& y_gsm, double& z_gsm, int direction) {
    const double c = epoch.cos_gse_gsm;
    const double s = epoch.sin_gse_gsm;
    if (direction >= 0) {
        const double ex = x_gse, ey = y_gse, ez = z_gse;
        x_gsm = ex;
        y_gsm = ey * c + ez * s;
        z_gsm = ez * c - ey * s;
    } else {
        const double mx = x_gsm, my = y_gsm, mz = z_gsm;
        x_gse = mx;
        y_gse = my * c - mz * s;
        z_gse = my * s + mz * c;
    }
}

}  // namespace cones
