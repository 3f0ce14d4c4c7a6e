// Geodetic coordinates on the WGS-84 ellipsoid: the Earth-fixed position of a
// place given by geodetic latitude, longitude and height, and its local frame.

#include <cmath>

#include "geomag/geomag.hpp"
#include "numerics/math.hpp"

namespace cones {

void geodetic_to_geo(double latitude, double longitude, double height_km, double& x, double& y, double& z) {
    const double e2 = kWgs84Flattening * (2.0 - kWgs84Flattening);
    double sin_lat, cos_lat, sin_lon, cos_lon;
    math::sincos(latitude, sin_lat, cos_lat);
    math::sincos(longitude, sin_lon, cos_lon);
    const double prime_vertical = kWgs84EquatorialRadiusKm / std::sqrt(1.0 - e2 * sin_lat * sin_lat);
    const double rho = (prime_vertical + height_km) * cos_lat;
    x = rho * cos_lon;
    y = rho * sin_lon;
    z = (prime_vertical * (1.0 - e2) + height_km) * sin_lat;
}

void geodetic_local_frame(double latitude, double longitude, double up[3], double north[3], double east[3]) {
    double sin_lat, cos_lat, sin_lon, cos_lon;
    math::sincos(latitude, sin_lat, cos_lat);
    math::sincos(longitude, sin_lon, cos_lon);
    up[0] = cos_lat * cos_lon;
    up[1] = cos_lat * sin_lon;
    up[2] = sin_lat;
    north[0] = -sin_lat * cos_lon;
    north[1] = -sin_lat * sin_lon;
    north[2] = cos_lat;
    east[0] = -sin_lon;
    east[1] = cos_lon;
    east[2] = 0.0;
}

}  // namespace cones
