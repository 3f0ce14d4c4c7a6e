// Internal (IGRF) field: spherical-harmonic synthesis in GEO and its GSM entry.

#include <array>
#include <cmath>

#include "geomag/geomag.hpp"

namespace cones {

void spherical_harmonic_sum(const EpochState& epoch, double r, double sin_theta,
                            double cos_theta, double sin_phi, double cos_phi, double& b_r,
                            double& b_theta, double& b_phi) {
    // Near the poles the longitude derivative is taken from the theta-derivative
    // of the Legendre functions; the threshold is the single-precision 1e-5.
    constexpr double kPoleLimit = double(1e-5f);

    // Highest degree falls with distance: 10 below r = 3, 4 from r = 28 on.
    // irp = trunc(r + 3); from irp = 31 on the quotient is 0, so larger
    // distances need not be converted (and cannot overflow the integer).
    const int irp = (r + 3.0 < 31.0) ? static_cast<int>(r + 3.0) : 31;
    int nm = 4 + 30 / irp;
    if (nm > kMaxDegree) nm = kMaxDegree;
    const int k = nm + 1;

    // a[N] = (1/r)^(n+2), b[N] = (n+1) (1/r)^(n+2), for degree n = N.
    std::array<double, kMaxDegree + 1> a{};
    std::array<double, kMaxDegree + 1> b{};
    const double inverse_r = 1.0 / r;
    double power = inverse_r * inverse_r;
    for (int n = 0; n < k; ++n) {
        a[n] = power;
        b[n] = power * (n + 1);
        power *= inverse_r;
    }

    const bool near_pole = sin_theta < kPoleLimit;
    double p = 1.0;  // P(m,m)
    double d = 0.0;  // dP(m,m)/dtheta
    double sum_r = 0.0, sum_theta = 0.0, sum_phi = 0.0;
    double x = 0.0, y = 1.0;  // sin(m phi), cos(m phi)
    const double* g = epoch.g_coef.data();
    const double* h = epoch.h_coef.data();
    const double* c = epoch.recurrence_coef.data();

    for (int m = 0; m <= nm; ++m) {
        if (m >= 1) {
            const double next_x = x * cos_phi + y * sin_phi;
            const double next_y = y * cos_phi - x * sin_phi;
            x = next_x;
            y = next_y;
        }
        double q = p, z = d, q2 = 0.0, z2 = 0.0, t = 0.0;
        for (int n = m; n <= nm; ++n) {
            const int i = coefficient_index(n, m);
            const double e = g[i];
            const double f = h[i];
            const double w = e * y + f * x;
            sum_r += b[n] * w * q;
            sum_theta -= a[n] * w * z;
            if (m >= 1) {
                const double u = near_pole ? z : q;
                t += a[n] * (e * x - f * y) * u;
            }
            const double next_z = cos_theta * z - sin_theta * q - c[i] * z2;
            const double next_q = cos_theta * q - c[i] * q2;
            z2 = z;
            q2 = q;
            z = next_z;
            q = next_q;
        }
        d = sin_theta * d + cos_theta * p;
        p = p * sin_theta;
        if (m >= 1) sum_phi += m * t;
    }

    b_r = sum_r;
    b_theta = sum_theta;
    if (near_pole) {
        b_phi = (cos_theta < 0.0) ? -sum_phi : sum_phi;
    } else {
        b_phi = sum_phi / sin_theta;
    }
}

void internal_field_gsm(const EpochState& epoch, double x, double y, double z, double& bx,
                        double& by, double& bz) {
    double gx = x, gy = y, gz = z;
    transform_geo_gsm(epoch, gx, gy, gz, gx, gy, gz, -1);

    const double rho2 = gx * gx + gy * gy;
    const double rho = std::sqrt(rho2);
    const double r = std::sqrt(rho2 + gz * gz);
    const double sin_theta = rho / r;
    const double cos_theta = gz / r;
    double sin_phi = 0.0, cos_phi = 1.0;
    if (sin_theta >= 1e-5) {
        sin_phi = gy / rho;
        cos_phi = gx / rho;
    }

    double b_r, b_theta, b_phi;
    spherical_harmonic_sum(epoch, r, sin_theta, cos_theta, sin_phi, cos_phi, b_r, b_theta, b_phi);

    const double e = b_r * sin_theta + b_theta * cos_theta;
    bx = e * cos_phi - b_phi * sin_phi;
    by = e * sin_phi + b_phi * cos_phi;
    bz = b_r * cos_theta - b_theta * sin_theta;
    transform_geo_gsm(epoch, bx, by, bz, bx, by, bz, +1);
}

}  // namespace cones
