// The T89 magnetopause: the surface a trajectory escapes through.

#include <cmath>

#include "models/t89/t89.hpp"

namespace cones {

bool t89_escaped(double x, double y, double z) {
    const double rho = std::sqrt(y * y + z * z);
    if (x <= -70.0) return true;
    if (x < double(-24.87f)) return rho >= double(22.4f);
    if (x < double(-16.51f)) return rho >= double(0.08995136f) * (double(224.15f) - x);
    if (x < 0.0) return rho >= double(0.3400383f) * (double(47.08f) - x);
    if (x >= double(11.07f)) return true;
    return rho >= std::sqrt((double(11.07f) - x) / double(0.043188184f));
}

}  // namespace cones
