// An object that calls the C library's transcendental functions, beside
// SLEEF's routine and the exact square root and remainder that engine objects
// may call, for the test that the engine's math check finds each of the
// former.

#include <math.h>
#include <sleef.h>

#include <cmath>

namespace cones {

void c_library_math(double& x, double& y) {
    x = std::exp(x) + std::atan2(x, y) + std::fmod(x, 360.0) + std::sqrt(y) + std::tan(y);
    ::sincos(y, &x, &y);
    y = Sleef_cinz_expd1_u10purec(y);
}

}  // namespace cones
