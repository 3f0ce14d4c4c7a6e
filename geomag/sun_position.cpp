// Position of the Sun and Greenwich sidereal time for a date and universal time.

#include <cmath>

#include "geomag/geomag.hpp"
#include "geomag/legacy_constants.hpp"
#include "numerics/math.hpp"

namespace cones {

bool sun_position(int year, int day_of_year, int hour, int minute, int second, double& gst,
                  double& solar_longitude, double& right_ascension, double& declination) {
    // The leap-day count (year - 1901) div 4 holds for 1900..2099 (1900 itself
    // has no leap day before 1 March and the count truncates to 0 there).
    if (year < 1900 || year > 2099) return false;

    constexpr double kDegreesPerRadian = kSingleDegreesPerRadian;
    constexpr double kFullTurn = kSingleTwoPi;

    const double fday = (3600 * hour + 60 * minute + second) / 86400.0;
    const double dj = double(365 * (year - 1900) + (year - 1901) / 4 + day_of_year) - 0.5 + fday;
    const double t = dj / 36525.0;

    const double vl = std::fmod(double(0.9856473f) * dj + double(279.6967f), 360.0);
    gst = std::fmod(double(0.9856473f) * dj + double(279.69098f) + 360.0 * fday + 180.0, 360.0) /
          kDegreesPerRadian;
    const double g = std::fmod(double(0.9856003f) * dj + double(358.47583f), 360.0) / kDegreesPerRadian;

    solar_longitude = (vl + (double(1.91946f) - double(0.004789f) * t) * math::sin(g) +
                       double(0.020094f) * math::sin(2.0 * g)) /
                      kDegreesPerRadian;
    if (solar_longitude > kFullTurn) solar_longitude = solar_longitude - kFullTurn;
    if (solar_longitude < 0.0) solar_longitude = solar_longitude + kFullTurn;

    const double obliquity = (double(23.45229f) - double(0.0130125f) * t) / kDegreesPerRadian;
    double sob, cob;
    math::sincos(obliquity, sob, cob);
    const double slp = solar_longitude - double(9.924e-5f);
    double sin_slp, cos_slp;
    math::sincos(slp, sin_slp, cos_slp);

    const double sind = sob * sin_slp;
    const double cosd = std::sqrt(1.0 - sind * sind);
    const double sc = sind / cosd;
    declination = math::atan(sc);
    right_ascension = kSinglePi - math::atan2(cob / sob * sc, -cos_slp / cosd);
    return true;
}

}  // namespace cones
