// Epoch setup, coefficient table, transforms, dipole and internal field.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "geomag/geomag.hpp"

namespace cones {
namespace {

constexpr double kPi = 3.14159265358979323846;

// An epoch whose GSM frame coincides with GEO, with no tilt.
EpochState aligned_epoch() {
    EpochState epoch;
    for (int i = 1; i <= kMaxDegree; ++i) {
        for (int m = 0; m <= i; ++m) {
            epoch.recurrence_coef[coefficient_index(i, m)] =
                double(i * i - m * m) / double((2 * i - 1) * (2 * i + 1));
        }
    }
    return epoch;
}

struct TableEntry {
    const char* what;
    double stored;
    float published;
};

TEST(CoefficientTable, HoldsThePublishedValuesInSinglePrecision) {
    const int i10 = coefficient_index(1, 0), i11 = coefficient_index(1, 1);
    const int i1010 = coefficient_index(10, 10);
    const TableEntry entries[] = {
        {"g(1,0) 1900", kIgrf12.epochs[0].g[i10], -31543.0f},
        {"h(1,1) 1945", kIgrf12.epochs[9].h[i11], 5810.0f},
        {"g(2,1) 1965", kIgrf12.epochs[13].g[coefficient_index(2, 1)], 2997.0f},
        {"g(1,0) 2000", kIgrf12.epochs[20].g[i10], -29619.4f},
        {"h(2,2) 2010", kIgrf12.epochs[22].h[coefficient_index(2, 2)], -575.73f},
        {"g(1,1) 2015", kIgrf12.epochs[23].g[i11], -1501.0f},
        {"h(1,1) 2015", kIgrf12.epochs[23].h[i11], 4797.1f},
        {"g(10,10) 2015", kIgrf12.epochs[23].g[i1010], -3.6f},
        {"h(10,10) 2015", kIgrf12.epochs[23].h[i1010], -8.7f},
        {"g(10,10) 1900", kIgrf12.epochs[0].g[i1010], 0.0f},
        {"h(10,10) 1900", kIgrf12.epochs[0].h[i1010], -6.0f},
        {"sv g(1,0)", kIgrf12.secular->g[i10], 10.3f},
        {"sv h(2,1)", kIgrf12.secular->h[coefficient_index(2, 1)], -27.4f},
        {"sv g(8,0)", kIgrf12.secular->g[coefficient_index(8, 0)], 0.2f},
        {"sv g(9,0)", kIgrf12.secular->g[coefficient_index(9, 0)], 0.0f},
    };
    for (const TableEntry& entry : entries) {
        EXPECT_EQ(entry.stored, double(entry.published)) << entry.what;
    }
    EXPECT_EQ(double(kIgrf12.epochs[20].g[i10]), -29619.400390625);
    for (std::size_t e = 0; e < kIgrf12.epochs.size(); ++e) {
        EXPECT_EQ(kIgrf12.epochs[e].g[0], 0.0f);
        for (int n = 0; n <= kMaxDegree; ++n) EXPECT_EQ(kIgrf12.epochs[e].h[coefficient_index(n, 0)], 0.0f);
    }
}

// Conversion factor of (n, m) to the recursion normalisation.
double conversion_factor(int n, int m) {
    double s = 1.0;
    for (int k = 1; k <= n; ++k) s = s * (2 * k - 1) / k;
    for (int k = 1; k <= m; ++k) s = s * std::sqrt(double((n - k + 1) * (k == 1 ? 2 : 1)) / double(n + k));
    return s;
}

struct EpochCase {
    int year, day;
    int lower;      // lower epoch index, or -1 for extrapolation
    double weight;  // fraction toward the upper epoch, or years past 2015
};

TEST(SetEpoch, InterpolatesAndExtrapolatesTheCoefficients) {
    const EpochCase cases[] = {
        {1900, 1, 0, 0.0},
        {2015, 1, -1, 0.0},
        {2014, 1, 22, 0.8},
        {1967, 183, 13, (2 + 182 / 365.25) / 5},
        {2050, 1, -1, 35.0},
        {2020, 366, -1, 5 + 365 / 365.25},
    };
    for (const EpochCase& c : cases) {
        std::ostringstream notice;
        const EpochState epoch = set_epoch(c.year, c.day, 0, 0, 0, notice);
        EXPECT_EQ(notice.str(), "");
        for (int n = 1; n <= kMaxDegree; ++n) {
            for (int m = 0; m <= n; ++m) {
                const int i = coefficient_index(n, m);
                double g, h;
                if (c.lower < 0) {
                    g = double(kIgrf12.epochs[23].g[i]) + c.weight * double(kIgrf12.secular->g[i]);
                    h = double(kIgrf12.epochs[23].h[i]) + c.weight * double(kIgrf12.secular->h[i]);
                } else {
                    g = (1 - c.weight) * double(kIgrf12.epochs[c.lower].g[i]) + c.weight * double(kIgrf12.epochs[c.lower + 1].g[i]);
                    h = (1 - c.weight) * double(kIgrf12.epochs[c.lower].h[i]) + c.weight * double(kIgrf12.epochs[c.lower + 1].h[i]);
                }
                const double s = conversion_factor(n, m);
                EXPECT_NEAR(epoch.g_coef[i], g * s, 1e-9 * std::fabs(g * s) + 1e-12)
                    << c.year << " g(" << n << "," << m << ")";
                EXPECT_NEAR(epoch.h_coef[i], h * s, 1e-9 * std::fabs(h * s) + 1e-12)
                    << c.year << " h(" << n << "," << m << ")";
            }
        }
    }
}

TEST(SetEpoch, ExactTableValuesAtEpochDays) {
    std::ostringstream notice;
    const EpochState e2015 = set_epoch(2015, 1, 0, 0, 0, notice);
    EXPECT_EQ(e2015.g_coef[1], double(-29442.0f));
    EXPECT_EQ(e2015.g_coef[2], double(-1501.0f));
    EXPECT_EQ(e2015.h_coef[2], double(4797.1f));
    EXPECT_EQ(e2015.g_coef[3], 1.5 * double(-2445.1f));  // s(2,0) = 1.5
    const EpochState e1900 = set_epoch(1900, 1, 0, 0, 0, notice);
    EXPECT_EQ(e1900.g_coef[1], -31543.0);
    EXPECT_EQ(e1900.g_coef[6], 2.5 * 1022.0);  // s(3,0) = 2.5
    EXPECT_EQ(notice.str(), "");
    EXPECT_DOUBLE_EQ(e2015.dipole_strength,
                     std::sqrt(29442.0 * 29442.0 + 1501.0 * 1501.0 + double(4797.1f) * double(4797.1f)));
}

struct NoticeCase {
    int year;
    int clamped;
    const char* text;
};

TEST(SetEpoch, ClampsTheYearWithANotice) {
    const NoticeCase cases[] = {
        {2051, 2050,
         " *** Year 2051 is out of interval 1900-2050 ***\n"
         " *** Calculation will be done for year 2050 ***\n"},
        {99, 1900,
         " *** Year   99 is out of interval 1900-2050 ***\n"
         " *** Calculation will be done for year 1900 ***\n"},
        {-999, 1900,
         " *** Year -999 is out of interval 1900-2050 ***\n"
         " *** Calculation will be done for year 1900 ***\n"},
        {12345, 2050,
         " *** Year **** is out of interval 1900-2050 ***\n"
         " *** Calculation will be done for year 2050 ***\n"},
    };
    for (const NoticeCase& c : cases) {
        std::ostringstream notice, quiet;
        const EpochState clamped = set_epoch(c.year, 100, 6, 30, 0, notice);
        const EpochState reference = set_epoch(c.clamped, 100, 6, 30, 0, quiet);
        EXPECT_EQ(notice.str(), c.text);
        EXPECT_EQ(quiet.str(), "");
        EXPECT_EQ(clamped.g_coef, reference.g_coef);
        EXPECT_EQ(clamped.sin_tilt, reference.sin_tilt);
        EXPECT_EQ(clamped.geo_gsm_matrix, reference.geo_gsm_matrix);
    }
}

TEST(SunPosition, ServesTheYearsOfTheModelAndRefusesOthers) {
    double gst = 7, lon = 7, ra = 7, dec = 7;
    EXPECT_FALSE(sun_position(2100, 1, 0, 0, 0, gst, lon, ra, dec));
    EXPECT_FALSE(sun_position(1899, 1, 0, 0, 0, gst, lon, ra, dec));
    EXPECT_EQ(gst, 7.0);
    EXPECT_EQ(dec, 7.0);
    // 1900 is served: the Sun is not left on the GEI X axis.
    ASSERT_TRUE(sun_position(1900, 172, 12, 0, 0, gst, lon, ra, dec));
    EXPECT_NEAR(dec, 23.44 * kPi / 180, 0.01);
    // Equinox and solstices of 2015: declination and ecliptic longitude.
    ASSERT_TRUE(sun_position(2015, 79, 22, 45, 0, gst, lon, ra, dec));  // 20 March 22:45 UT
    EXPECT_NEAR(dec, 0.0, 0.001);
    ASSERT_TRUE(sun_position(2015, 356, 4, 48, 0, gst, lon, ra, dec));  // 22 December 04:48 UT
    EXPECT_NEAR(dec, -23.44 * kPi / 180, 0.001);
    EXPECT_NEAR(lon, 1.5 * kPi, 0.001);
}

// Difference of two angles in radians, reduced to (-pi, pi].
double angle_difference(double a, double b) { return std::remainder(a - b, 2 * kPi); }

TEST(SunPosition, LeapYearDatesAgreeWithAnIndependentEphemeris) {
    struct Case {
        int year, day, hour, minute, second;
        double gst, solar_longitude, right_ascension, declination;  // radians
    };
    // From tools/sun_reference.py: an ephemeris counted from J2000.0 with the
    // Julian date of the calendar; it agrees to about 0.01 degrees, and a day
    // of error would move the longitude and the sidereal time by 0.017 rad.
    const Case cases[] = {
        {2024, 80, 3, 6, 0, 3.92081, 0.00007, 0.00006, 0.00003},       // 20 March 2024 03:06:00
        {2024, 289, 18, 30, 0, 5.27576, 3.54116, 3.51123, -0.15534},   // 15 October 2024 18:30:00
        {2000, 366, 23, 0, 0, 1.49529, 4.89731, 4.91352, -0.40171},    // 31 December 2000 23:00:00
        {1968, 186, 6, 45, 30, 0.41397, 1.78624, 1.80496, 0.39916},    // 04 July 1968 06:45:30
    };
    for (const Case& c : cases) {
        double gst, lon, ra, dec;
        ASSERT_TRUE(sun_position(c.year, c.day, c.hour, c.minute, c.second, gst, lon, ra, dec));
        EXPECT_NEAR(angle_difference(gst, c.gst), 0.0, 1e-3) << c.year << " day " << c.day;
        EXPECT_NEAR(angle_difference(lon, c.solar_longitude), 0.0, 1e-3) << c.year << " day " << c.day;
        EXPECT_NEAR(angle_difference(ra, c.right_ascension), 0.0, 1e-3) << c.year << " day " << c.day;
        EXPECT_NEAR(dec, c.declination, 1e-3) << c.year << " day " << c.day;
    }
}

TEST(SetEpoch, FrameMatricesAreRotationsAndTheTiltFollowsTheSeason) {
    std::ostringstream notice;
    const EpochState june = set_epoch(2015, 172, 17, 0, 0, notice);
    const EpochState december = set_epoch(2015, 355, 5, 0, 0, notice);
    EXPECT_GT(june.tilt, 0.45);  // northern summer: axis toward the Sun
    EXPECT_LT(june.tilt, 0.62);
    EXPECT_LT(december.tilt, -0.45);
    EXPECT_GT(december.tilt, -0.62);
    for (const EpochState* epoch : {&june, &december}) {
        EXPECT_NEAR(epoch->sin_tilt * epoch->sin_tilt + epoch->cos_tilt * epoch->cos_tilt, 1.0, 1e-15);
        EXPECT_NEAR(epoch->cos_gse_gsm * epoch->cos_gse_gsm + epoch->sin_gse_gsm * epoch->sin_gse_gsm,
                    1.0, 1e-12);
        const auto& a = epoch->geo_gsm_matrix;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                double dot = 0;
                for (int k = 0; k < 3; ++k) dot += a[k][i] * a[k][j];
                EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-12);
            }
        }
        // GSM Z is the projection of the dipole axis: the north dipole axis
        // (opposite to the moment) has no GSM Y component and tilt psi.
        const double b0 = epoch->dipole_strength;
        const double axis[3] = {epoch->g_coef[2] / -b0, epoch->h_coef[2] / -b0, epoch->g_coef[1] / -b0};
        double gsm[3] = {0, 0, 0};
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) gsm[j] += a[k][j] * axis[k];
        EXPECT_NEAR(gsm[1], 0.0, 1e-12);
        EXPECT_NEAR(gsm[0], epoch->sin_tilt, 1e-12);
        EXPECT_NEAR(gsm[2], epoch->cos_tilt, 1e-12);
    }
}

TEST(Transforms, SphericalCartesianEdges) {
    struct Case {
        double x, y, z, r, theta, phi;
    };
    const Case cases[] = {
        {0, 0, -2, 2, 3.1415927410125732, 0},
        {0, 0, 2, 2, 0, 0},
        {0, 0, 0, 0, 0, 0},
        {0, -1, 0, 1, kPi / 2, -kPi / 2 + 6.2831854820251465},
        {1, 0, 0, 1, kPi / 2, 0},
        {-1, 1, 1, std::sqrt(3.0), std::atan2(std::sqrt(2.0), 1.0), 0.75 * kPi},
    };
    for (const Case& c : cases) {
        double r, theta, phi, x = c.x, y = c.y, z = c.z;
        cartesian_to_spherical(x, y, z, r, theta, phi);
        EXPECT_DOUBLE_EQ(r, c.r);
        EXPECT_DOUBLE_EQ(theta, c.theta);
        EXPECT_DOUBLE_EQ(phi, c.phi);
        double bx, by, bz;
        spherical_to_cartesian(r, theta, phi, bx, by, bz);
        // pi is held in single precision on the axis: sin(theta) ~ 8.7e-8.
        EXPECT_NEAR(bx, c.x, 2e-7 * c.r);
        EXPECT_NEAR(by, c.y, 2e-7 * c.r);
        EXPECT_NEAR(bz, c.z, 2e-7 * c.r);
    }
}

TEST(Transforms, SphericalVectorToCartesian) {
    double vx, vy, vz;
    // At the equator and longitude 90 degrees: radial is +Y, southward -Z, eastward -X.
    spherical_vector_to_cartesian(kPi / 2, kPi / 2, 1, 0, 0, vx, vy, vz);
    EXPECT_NEAR(vx, 0, 1e-15);
    EXPECT_NEAR(vy, 1, 1e-15);
    EXPECT_NEAR(vz, 0, 1e-15);
    spherical_vector_to_cartesian(kPi / 2, kPi / 2, 0, 1, 0, vx, vy, vz);
    EXPECT_NEAR(vz, -1, 1e-15);
    spherical_vector_to_cartesian(kPi / 2, kPi / 2, 0, 0, 1, vx, vy, vz);
    EXPECT_NEAR(vx, -1, 1e-15);
}

TEST(Transforms, RotationsGoTheRightWay) {
    // With a tilted dipole and a season's angle between the frames, each axis
    // of GSM written in the other frame is turned onto its GSM axis and back:
    // a routine that rotated the wrong way (the matrix not transposed, the sign
    // of the angle turned) would miss.
    std::ostringstream notice;
    const EpochState epoch = set_epoch(2016, 45, 13, 20, 5, notice);
    ASSERT_GT(std::fabs(epoch.sin_tilt), 0.1);
    ASSERT_GT(std::fabs(epoch.sin_gse_gsm), 0.1);
    const auto& a = epoch.geo_gsm_matrix;
    const double c = epoch.cos_gse_gsm, s = epoch.sin_gse_gsm;
    for (int axis = 0; axis < 3; ++axis) {
        const double unit[3] = {axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0};
        // GSM axis `axis` in GEO is column `axis` of the matrix; in GSE the Y
        // axis is (0, c, s) and the Z axis (0, -s, c).
        const double in_geo[3] = {a[0][axis], a[1][axis], a[2][axis]};
        const double in_gse[3] = {unit[0], unit[1] * c - unit[2] * s, unit[1] * s + unit[2] * c};
        double x, y, z;
        geo_to_gsm(epoch, in_geo[0], in_geo[1], in_geo[2], x, y, z);
        EXPECT_NEAR(x, unit[0], 1e-15) << axis;
        EXPECT_NEAR(y, unit[1], 1e-15) << axis;
        EXPECT_NEAR(z, unit[2], 1e-15) << axis;
        gsm_to_geo(epoch, unit[0], unit[1], unit[2], x, y, z);
        EXPECT_EQ(x, in_geo[0]) << axis;
        EXPECT_EQ(y, in_geo[1]) << axis;
        EXPECT_EQ(z, in_geo[2]) << axis;
        gse_to_gsm(epoch, in_gse[0], in_gse[1], in_gse[2], x, y, z);
        EXPECT_NEAR(x, unit[0], 1e-15) << axis;
        EXPECT_NEAR(y, unit[1], 1e-15) << axis;
        EXPECT_NEAR(z, unit[2], 1e-15) << axis;
        gsm_to_gse(epoch, unit[0], unit[1], unit[2], x, y, z);
        EXPECT_NEAR(x, in_gse[0], 1e-15) << axis;
        EXPECT_NEAR(y, in_gse[1], 1e-15) << axis;
        EXPECT_NEAR(z, in_gse[2], 1e-15) << axis;
    }
}

TEST(Transforms, RotationsRoundTripAndMayBeCalledInPlace) {
    std::ostringstream notice;
    const EpochState epoch = set_epoch(2016, 45, 13, 20, 5, notice);
    using Rotation = void (*)(const EpochState&, const double&, const double&, const double&, double&, double&,
                              double&);
    struct Pair {
        const char* name;
        Rotation forward, back;
    };
    const Pair pairs[] = {{"GEO-GSM", &geo_to_gsm<double>, &gsm_to_geo<double>},
                          {"GSE-GSM", &gse_to_gsm<double>, &gsm_to_gse<double>}};
    const double points[][3] = {{1, 0, 0}, {0.3, -2.5, 4.1}, {-7, 0.2, -0.01}};
    for (const Pair& pair : pairs) {
        for (const auto& p : points) {
            // In place: the same three variables in and out.
            double x = p[0], y = p[1], z = p[2];
            pair.forward(epoch, x, y, z, x, y, z);
            EXPECT_NEAR(std::hypot(std::hypot(x, y), z), std::hypot(std::hypot(p[0], p[1]), p[2]), 1e-12);
            // Out of place gives the same bits.
            double fx, fy, fz;
            pair.forward(epoch, p[0], p[1], p[2], fx, fy, fz);
            EXPECT_EQ(x, fx) << pair.name;
            EXPECT_EQ(y, fy) << pair.name;
            EXPECT_EQ(z, fz) << pair.name;
            pair.back(epoch, x, y, z, x, y, z);
            EXPECT_NEAR(x, p[0], 1e-12) << pair.name;
            EXPECT_NEAR(y, p[1], 1e-12) << pair.name;
            EXPECT_NEAR(z, p[2], 1e-12) << pair.name;
            double bx, by, bz;
            pair.back(epoch, fx, fy, fz, bx, by, bz);
            EXPECT_EQ(bx, x) << pair.name;
            EXPECT_EQ(by, y) << pair.name;
            EXPECT_EQ(bz, z) << pair.name;
        }
    }
}

TEST(DipoleField, TiltZeroReferencePointsAndInverseCube) {
    EpochState epoch = aligned_epoch();
    epoch.dipole_strength = 30000.0;
    double bx, by, bz;
    dipole_field_gsm(epoch, 1, 0, 0, bx, by, bz);
    EXPECT_EQ(bx, 0.0);
    EXPECT_EQ(by, 0.0);
    EXPECT_EQ(bz, 30000.0);
    dipole_field_gsm(epoch, 0, 0, 1, bx, by, bz);
    EXPECT_EQ(bz, -60000.0);

    epoch.sin_tilt = std::sin(0.4);
    epoch.cos_tilt = std::cos(0.4);
    double cx, cy, cz;
    dipole_field_gsm(epoch, 0.7, -1.1, 0.4, bx, by, bz);
    dipole_field_gsm(epoch, 2.1, -3.3, 1.2, cx, cy, cz);
    EXPECT_NEAR(cx * 27, bx, 1e-9 * std::fabs(bx));
    EXPECT_NEAR(cy * 27, by, 1e-9 * std::fabs(by));
    EXPECT_NEAR(cz * 27, bz, 1e-9 * std::fabs(bz));
    // On the tilted dipole equator the field is along the tilted axis (northward).
    dipole_field_gsm(epoch, std::cos(0.4), 0, -std::sin(0.4), bx, by, bz);
    EXPECT_NEAR(bx, 30000 * std::sin(0.4), 1e-9);
    EXPECT_NEAR(bz, 30000 * std::cos(0.4), 1e-9);
    // Off the noon-midnight plane, the field of the unit moment
    // m = -(sin psi, 0, cos psi): B = b0 (3 (m.r) r - r^2 m) / r^5.
    const double m[3] = {-std::sin(0.4), 0.0, -std::cos(0.4)};
    const double points[][3] = {{0.7, -1.1, 0.4}, {-2.0, 1.5, -0.3}, {0.2, 3.0, 1.0}};
    for (const auto& p : points) {
        dipole_field_gsm(epoch, p[0], p[1], p[2], bx, by, bz);
        const double r2 = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
        const double m_dot_r = m[0] * p[0] + m[1] * p[1] + m[2] * p[2];
        const double r5 = r2 * r2 * std::sqrt(r2);
        const double b[3] = {bx, by, bz};
        for (int k = 0; k < 3; ++k) {
            const double expected = 30000.0 * (3 * m_dot_r * p[k] - r2 * m[k]) / r5;
            EXPECT_NEAR(b[k], expected, 1e-12 * 30000.0 / r2) << p[1] << " component " << k;
        }
    }
}

TEST(InternalField, OnlyG10IsTheAxialDipole) {
    EpochState epoch = aligned_epoch();
    const double g10 = -30000.0;
    epoch.g_coef[coefficient_index(1, 0)] = g10;
    const double points[][3] = {{1, 0, 0}, {0.6, 0.8, 0.5}, {-2, 1, -3}, {0, 0, 1.2}, {0, 0, -4}};
    for (const auto& p : points) {
        double bx, by, bz;
        internal_field_gsm(epoch, p[0], p[1], p[2], bx, by, bz);
        const double r = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        const double cos_t = p[2] / r, sin_t = std::hypot(p[0], p[1]) / r;
        const double b_r = 2 * g10 * cos_t / (r * r * r);
        const double b_t = g10 * sin_t / (r * r * r);
        // Cartesian from spherical, longitude of the point.
        const double phi = std::atan2(p[1], p[0]);
        const double e = b_r * sin_t + b_t * cos_t;
        EXPECT_NEAR(bx, e * std::cos(phi), 1e-9);
        EXPECT_NEAR(by, e * std::sin(phi), 1e-9);
        EXPECT_NEAR(bz, b_r * cos_t - b_t * sin_t, 1e-9);
    }
    double br, bt, bp;
    spherical_harmonic_sum(epoch, 1.0, 1.0, 0.0, 0.0, 1.0, br, bt, bp);
    EXPECT_NEAR(br, 0.0, 1e-12);
    EXPECT_EQ(bt, g10);
}

TEST(InternalField, HighestDegreeFallsWithDistance) {
    struct Case {
        int epoch_degree;  // the degree of the date's coefficients
        int degree;        // the degree of the one non-zero coefficient
        double r;
        bool used;
    };
    const Case cases[] = {{10, 10, 1.0, true},  {10, 10, 2.99, true}, {10, 10, 3.0, false}, {10, 9, 3.0, true},
                          {10, 9, 4.0, false},  {10, 8, 4.99, true},  {10, 8, 5.0, false},  {10, 7, 7.99, true},
                          {10, 7, 8.0, false},  {10, 6, 12.99, true}, {10, 6, 13.0, false}, {10, 5, 27.9, true},
                          {10, 5, 28.0, false}, {10, 4, 30.0, true},  {10, 4, 1e12, true},
                          // Coefficients to degree 13: all of them within 2 Earth radii.
                          {13, 13, 1.0, true},  {13, 13, 1.99, true}, {13, 11, 1.99, true}, {13, 11, 2.0, false},
                          {13, 10, 2.0, true},  {13, 10, 3.0, false}, {13, 4, 1e12, true}};
    for (const Case& c : cases) {
        EpochState epoch = aligned_epoch();
        epoch.degree = c.epoch_degree;
        epoch.g_coef[coefficient_index(c.degree, 1)] = 100.0;
        double br, bt, bp;
        spherical_harmonic_sum(epoch, c.r, std::sin(1.0), std::cos(1.0), std::sin(0.5), std::cos(0.5),
                               br, bt, bp);
        EXPECT_EQ(br != 0.0, c.used) << "degree " << c.degree << " of " << c.epoch_degree << " at r = " << c.r;
    }
}

// Independent synthesis: potential from Schmidt semi-normalised Legendre
// functions of the raw coefficients, differentiated numerically.
double potential(const EpochState& raw, double x, double y, double z) {
    const double r = std::sqrt(x * x + y * y + z * z);
    const double cos_t = z / r;
    const double phi = std::atan2(y, x);
    double v = 0;
    for (int n = 1; n <= kMaxDegree; ++n) {
        for (int m = 0; m <= n; ++m) {
            double p = std::assoc_legendre(n, m, cos_t);
            if (m > 0) p *= std::sqrt(2.0 * std::tgamma(n - m + 1) / std::tgamma(n + m + 1));
            const int i = coefficient_index(n, m);
            v += std::pow(1 / r, n + 1) * (raw.g_coef[i] * std::cos(m * phi) + raw.h_coef[i] * std::sin(m * phi)) * p;
        }
    }
    return v;
}

// The coefficients of 1 January 2015 in an epoch whose GSM frame is GEO.
EpochState aligned_epoch_2015() {
    std::ostringstream notice;
    const EpochState dated = set_epoch(2015, 1, 0, 0, 0, notice);
    EpochState epoch = aligned_epoch();
    epoch.g_coef = dated.g_coef;
    epoch.h_coef = dated.h_coef;
    return epoch;
}

TEST(InternalField, AgreesWithAnIndependentSynthesisOfTheTable) {
    EpochState raw = aligned_epoch();
    for (int i = 0; i < kCoefficientCount; ++i) {
        raw.g_coef[i] = kIgrf12.epochs[23].g[i];
        raw.h_coef[i] = kIgrf12.epochs[23].h[i];
    }
    // The 2015 coefficients in a frame aligned with GEO, and the whole epoch of
    // 1 January 2015, 12 UT, as set_epoch builds it: its own recursion
    // coefficients and a tilted GSM frame.
    std::ostringstream notice;
    const EpochState epochs[] = {aligned_epoch_2015(), set_epoch(2015, 1, 12, 0, 0, notice)};
    ASSERT_GT(std::fabs(epochs[1].tilt), 0.3);
    const double points[][3] = {{1.0, 0.0, 0.0}, {0.3, -0.8, 0.6}, {-1.2, 0.9, -1.4}, {0.1, 0.2, -1.1}};
    for (const EpochState& epoch : epochs) {
        const auto& a = epoch.geo_gsm_matrix;  // GEO = a * GSM
        for (const auto& p : points) {
            double bx, by, bz;
            internal_field_gsm(epoch, p[0], p[1], p[2], bx, by, bz);
            double geo[3] = {0, 0, 0};
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) geo[i] += a[i][j] * p[j];
            const double h = 1e-5;
            double minus_gradient[3];
            for (int i = 0; i < 3; ++i) {
                double up[3] = {geo[0], geo[1], geo[2]}, down[3] = {geo[0], geo[1], geo[2]};
                up[i] += h;
                down[i] -= h;
                minus_gradient[i] =
                    -(potential(raw, up[0], up[1], up[2]) - potential(raw, down[0], down[1], down[2])) / (2 * h);
            }
            double expected[3] = {0, 0, 0};
            for (int j = 0; j < 3; ++j)
                for (int i = 0; i < 3; ++i) expected[j] += a[i][j] * minus_gradient[i];
            const double scale = std::sqrt(bx * bx + by * by + bz * bz);
            EXPECT_NEAR(bx, expected[0], 1e-6 * scale) << epoch.tilt;
            EXPECT_NEAR(by, expected[1], 1e-6 * scale) << epoch.tilt;
            EXPECT_NEAR(bz, expected[2], 1e-6 * scale) << epoch.tilt;
        }
    }
}

TEST(InternalField, ContinuousAcrossThePoleRule) {
    const EpochState epoch = aligned_epoch_2015();
    for (const double z : {1.5, -1.5}) {
        double ax, ay, az, bx, by, bz;
        internal_field_gsm(epoch, 0, 0, z, ax, ay, az);          // on the axis: pole rule
        internal_field_gsm(epoch, 3e-5, 0, z, bx, by, bz);       // just off it: ordinary path
        const double scale = std::sqrt(ax * ax + ay * ay + az * az);
        EXPECT_NEAR(ax, bx, 1e-3 * scale) << z;
        EXPECT_NEAR(ay, by, 1e-3 * scale) << z;
        EXPECT_NEAR(az, bz, 1e-3 * scale) << z;
        EXPECT_GT(std::fabs(ay), 1.0);  // the horizontal field has a Y part at the poles
    }
}

}  // namespace
}  // namespace cones
