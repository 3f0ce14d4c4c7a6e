// Field of the Earth's tilted centred dipole in GSM.

#include <cmath>

#include "geomag/geomag.hpp"
#include "numerics/lane_variant.hpp"

namespace cones {

template <class Real>
void dipole_field_gsm(const EpochState& epoch, Given<Real> x, Given<Real> y, Given<Real> z, Real& bx, Real& by,
                      Real& bz) {
    using std::sqrt;
    const double b0 = epoch.dipole_strength;
    const double s = epoch.sin_tilt;
    const double c = epoch.cos_tilt;
    const Real p = x * x;
    const Real t = y * y;
    const Real u = z * z;
    const Real v = 3.0 * z * x;
    const Real r = sqrt(p + t + u);
    const Real r2 = r * r;
    const Real q = b0 / (r2 * r2 * r);
    bx = q * ((t + u - 2.0 * p) * s - v * c);
    by = -3.0 * y * q * (x * s + z * c);
    bz = q * ((p + t - 2.0 * u) * c - v * s);
}

#define CONES_DIPOLE(Real) \
    template void dipole_field_gsm<Real>(const EpochState&, Real, Real, Real, Real&, Real&, Real&);
CONES_FOR_EACH_NUMBER_TYPE(CONES_DIPOLE)

}  // namespace cones
