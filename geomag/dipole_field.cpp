// Field of the Earth's tilted centred dipole in GSM.

#include <cmath>

#include "geomag/geomag.hpp"

namespace cones {

void dipole_field_gsm(const EpochState& epoch, double x, double y, double z, double& bx,
                      double& by, double& bz) {
    const double b0 = epoch.dipole_strength;
    const double s = epoch.sin_tilt;
    const double c = epoch.cos_tilt;
    const double p = x * x;
    const double t = y * y;
    const double u = z * z;
    const double v = 3.0 * z * x;
    const double r = std::sqrt(p + t + u);
    const double r2 = r * r;
    const double q = b0 / (r2 * r2 * r);
    bx = q * ((t + u - 2.0 * p) * s - v * c);
    by = -3.0 * y * q * (x * s + z * c);
    bz = q * ((p + t - 2.0 * u) * c - v * s);
}

}  // namespace cones
