// The dipole field of an epoch seen by Stormer's theory: the dipole latitude
// of a place and the vertical cutoff rigidity there, computed from the
// epoch's dipole tilt and strength (not from the tracing), as references for
// the cutoff scans in the dipole field.
#pragma once

#include <cmath>
#include <numbers>

#include "geomag/geomag.hpp"

namespace cones::testing_support {

// Dipole latitude (degrees) of the place at geographic latitude and
// longitude (degrees). The dipole's north axis is (sin psi, 0, cos psi) in
// GSM, psi the tilt; the place's direction is turned from GEO into GSM.
inline double dipole_latitude(const EpochState& epoch, double latitude, double longitude) {
    const double d = std::numbers::pi / 180.0;
    double x = std::cos(latitude * d) * std::cos(longitude * d);
    double y = std::cos(latitude * d) * std::sin(longitude * d);
    double z = std::sin(latitude * d);
    geo_to_gsm(epoch, x, y, z, x, y, z);
    return std::asin(x * epoch.sin_tilt + z * epoch.cos_tilt) / d;
}

// Geographic latitude (degrees) of the dipole equator at a longitude.
inline double dipole_equator_latitude(const EpochState& epoch, double longitude) {
    double low = -45.0, high = 45.0;  // the dipole latitude grows with the latitude here
    for (int i = 0; i < 200; ++i) {
        const double middle = 0.5 * (low + high);
        (dipole_latitude(epoch, middle, longitude) < 0.0 ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

// Stormer's vertical cutoff rigidity (GV) at dipole latitude lambda (degrees)
// for a start `altitude_km` above the Earth: c B0 a / 4 (a / r)^2 cos^4 lambda,
// with B0 the epoch's dipole strength and a = 6371.2 km.
inline double stormer_vertical_cutoff(const EpochState& epoch, double altitude_km, double lambda) {
    const double c = 299792458.0;  // m/s
    const double a = 6371200.0;    // m
    const double ratio = a / (a + altitude_km * 1000.0);
    const double cos_lambda = std::cos(lambda * std::numbers::pi / 180.0);
    return c * epoch.dipole_strength * 1e-9 * a / 4.0 * ratio * ratio * std::pow(cos_lambda, 4) / 1e9;
}

}  // namespace cones::testing_support
