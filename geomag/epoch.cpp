// Epoch setup: the internal-field coefficients of the date, the dipole tilt and
// the rotations between GEO, GSE and GSM.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "geomag/geomag.hpp"
#include "geomag/legacy_constants.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2050;

// Integer edit of a given width: right-aligned, asterisks when it does not fit.
std::string integer_field(int value, int width) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

struct Vector3 {
    double x, y, z;
};

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// GEI components (p, q, r) of an axis into GEO components, rotating by the
// Greenwich sidereal time (cosine cg, sine sg).
Vector3 gei_to_geo(const Vector3& v, double cg, double sg) {
    return {v.x * cg + v.y * sg, -v.x * sg + v.y * cg, v.z};
}

}  // namespace

int epoch_year(int year) { return year < kFirstYear ? kFirstYear : (year > kLastYear ? kLastYear : year); }

double years_beyond_span(const InternalFieldCoefficients& field, int year, int day_of_year) {
    const double beyond = (epoch_year(year) - field.valid_until) + (day_of_year - 1) / 365.25;
    return beyond > 0.0 ? beyond : 0.0;
}

EpochState set_epoch(int year, int day_of_year, int hour, int minute, int second, std::ostream& notice) {
    return set_epoch(kIgrf12, year, day_of_year, hour, minute, second, notice);
}

EpochState set_epoch(const InternalFieldCoefficients& field, int year, int day_of_year, int hour, int minute,
                     int second, std::ostream& notice) {
    EpochState state;

    // 1. Year range, with the notice whenever the year was changed.
    const int y = epoch_year(year);
    if (y != year) {
        notice << " *** Year " << integer_field(year, 4) << " is out of interval "
               << integer_field(kFirstYear, 4) << '-' << integer_field(kLastYear, 4) << " ***\n"
               << " *** Calculation will be done for year" << integer_field(y, 5) << " ***\n";
    }

    // 2. Coefficients for the date: linear between the generation's epochs
    // before its last one, extrapolated with the secular variation from the
    // last epoch on. Every generation starts at 1900, the lowest clamped year.
    const int last_year = field.last_epoch();
    if (y < last_year) {
        const int lower = (y - field.first_epoch) / field.epoch_step;
        const double f = (((y - field.first_epoch) % field.epoch_step) + (day_of_year - 1) / 365.25) /
                         double(field.epoch_step);
        const GaussCoefficients& a = field.epochs[static_cast<std::size_t>(lower)];
        const GaussCoefficients& b = field.epochs[static_cast<std::size_t>(lower) + 1];
        for (int i = 0; i < kCoefficientCount; ++i) {
            state.g_coef[i] = (1.0 - f) * a.g[i] + f * b.g[i];
            state.h_coef[i] = (1.0 - f) * a.h[i] + f * b.h[i];
        }
        state.degree = std::max(a.degree, b.degree);
    } else {
        const double dt = (y - last_year) + (day_of_year - 1) / 365.25;
        const GaussCoefficients& last = field.epochs.back();
        const GaussCoefficients& secular = *field.secular;
        for (int i = 0; i < kCoefficientCount; ++i) {
            state.g_coef[i] = last.g[i] + dt * secular.g[i];
            state.h_coef[i] = last.h[i] + dt * secular.h[i];
        }
        state.degree = std::max(last.degree, secular.degree);
    }

    // 3. Schmidt semi-normalised coefficients to the normalisation of the
    // recursion, P(m,m) = sin^m(theta).
    double s_n0 = 1.0;
    for (int n = 1; n <= kMaxDegree; ++n) {
        s_n0 = s_n0 * (2 * n - 1) / n;
        double s = s_n0;
        state.g_coef[coefficient_index(n, 0)] *= s;
        state.h_coef[coefficient_index(n, 0)] *= s;
        for (int m = 1; m <= n; ++m) {
            const int k = (m == 1) ? 2 : 1;
            s = s * std::sqrt(double((n - m + 1) * k) / double(n + m));
            state.g_coef[coefficient_index(n, m)] *= s;
            state.h_coef[coefficient_index(n, m)] *= s;
        }
    }

    // 4. Dipole axis in GEO from the degree-1 coefficients.
    const double g10 = state.g_coef[1];
    const double g11 = state.g_coef[2];
    const double h11 = state.h_coef[2];
    const double q = std::sqrt(g11 * g11 + h11 * h11);
    const double b0 = std::sqrt(g10 * g10 + g11 * g11 + h11 * h11);
    const double sin_lambda0 = -h11 / q;
    const double cos_lambda0 = -g11 / q;
    const double sin_theta0 = q / b0;
    const double cos_theta0 = -g10 / b0;
    state.dipole_strength = b0;

    // 5. Sun direction in GEI and the sidereal rotation.
    double gst = 0.0, solar_longitude = 0.0, right_ascension = 0.0, declination = 0.0;
    sun_position(y, day_of_year, hour, minute, second, gst, solar_longitude, right_ascension,
                 declination);
    double sin_ra, cos_ra, sin_dec, cos_dec, sg, cg;
    math::sincos(right_ascension, sin_ra, cos_ra);
    math::sincos(declination, sin_dec, cos_dec);
    math::sincos(gst, sg, cg);
    const Vector3 sun{cos_ra * cos_dec, sin_ra * cos_dec, sin_dec};

    // 6. Dipole axis in GEI.
    const Vector3 dipole{sin_theta0 * cos_lambda0 * cg - sin_theta0 * sin_lambda0 * sg,
                         sin_theta0 * cos_lambda0 * sg + sin_theta0 * sin_lambda0 * cg, cos_theta0};

    // 7. GSM axes in GEI: X toward the Sun, Y perpendicular to the dipole axis.
    const Vector3 d_cross_s = cross(dipole, sun);
    const double norm = std::sqrt(d_cross_s.x * d_cross_s.x + d_cross_s.y * d_cross_s.y +
                                  d_cross_s.z * d_cross_s.z);
    const Vector3 axis_x = sun;
    const Vector3 axis_y{d_cross_s.x / norm, d_cross_s.y / norm, d_cross_s.z / norm};
    const Vector3 axis_z = cross(sun, axis_y);

    // 8. GSE axes in GEI from the obliquity of the ecliptic.
    const int dj = 365 * (y - 1900) + (y - 1901) / 4 + day_of_year;
    const double t = (dj - 0.5 + (3600 * hour + 60 * minute + second) / 86400.0) / 36525.0;
    const double obliquity = (double(23.45229f) - double(0.0130125f) * t) / kSingleDegreesPerRadian;
    double sin_obliquity, cos_obliquity;
    math::sincos(obliquity, sin_obliquity, cos_obliquity);
    const Vector3 gse_z{0.0, -sin_obliquity, cos_obliquity};
    const Vector3 gse_y = cross(gse_z, sun);
    state.cos_gse_gsm = dot(axis_y, gse_y);
    state.sin_gse_gsm = dot(axis_y, gse_z);

    // 9. Tilt of the dipole axis toward the Sun.
    state.sin_tilt = dot(dipole, sun);
    state.cos_tilt = std::sqrt(1.0 - state.sin_tilt * state.sin_tilt);
    state.tilt = math::asin(state.sin_tilt);

    // 10. GSM axes as the columns of the GEO-GSM matrix.
    const Vector3 columns[3] = {gei_to_geo(axis_x, cg, sg), gei_to_geo(axis_y, cg, sg),
                                gei_to_geo(axis_z, cg, sg)};
    for (int j = 0; j < 3; ++j) {
        state.geo_gsm_matrix[0][j] = columns[j].x;
        state.geo_gsm_matrix[1][j] = columns[j].y;
        state.geo_gsm_matrix[2][j] = columns[j].z;
    }

    // 11. Recursion coefficients of the associated Legendre functions.
    for (int n = 1; n <= kMaxDegree; ++n) {
        for (int m = 0; m <= n; ++m) {
            state.recurrence_coef[coefficient_index(n, m)] =
                double(n * n - m * m) / double((2 * n - 1) * (2 * n + 1));
        }
    }
    return state;
}

}  // namespace cones
