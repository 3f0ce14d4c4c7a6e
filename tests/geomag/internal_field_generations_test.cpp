// The generations of the reference field: their synthesis against an
// independent high-precision one, what they share, the change of degree in
// 2000 and the end of each generation's span.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "geomag/geomag.hpp"

namespace cones {
namespace {

EpochState epoch_of(int generation, int year, int day) {
    std::ostringstream notice;
    return set_epoch(internal_field_coefficients(generation), year, day, 12, 0, 0, notice);
}

struct ReferenceField {
    int generation, year, day;
    double r, theta, phi;           // Earth radii; colatitude and east longitude, radians
    double b_r, b_theta, b_phi;     // nT, spherical GEO
};

// Printed by tools/igrf_reference.py: an independent 40-digit synthesis from
// the published lists, with the program's interpolation and degree rules.
const ReferenceField kReference[] = {
#include "tests/geomag/igrf_reference_values.inc"
};

TEST(InternalFieldGenerations, AgreeWithAnIndependentHighPrecisionSynthesis) {
    for (const ReferenceField& c : kReference) {
        const EpochState epoch = epoch_of(c.generation, c.year, c.day);
        double b_r, b_theta, b_phi;
        spherical_harmonic_sum(epoch, c.r, std::sin(c.theta), std::cos(c.theta), std::sin(c.phi), std::cos(c.phi),
                               b_r, b_theta, b_phi);
        const double scale = std::sqrt(c.b_r * c.b_r + c.b_theta * c.b_theta + c.b_phi * c.b_phi);
        // A few units in the last place of the field's size.
        const double tolerance = 8 * scale * 0x1p-52;
        const auto where = [&] {
            std::ostringstream text;
            text << "IGRF-" << c.generation << " " << c.year << " day " << c.day << " at r " << c.r << ", theta "
                 << c.theta << ", phi " << c.phi;
            return text.str();
        };
        EXPECT_NEAR(b_r, c.b_r, tolerance) << where();
        EXPECT_NEAR(b_theta, c.b_theta, tolerance) << where();
        EXPECT_NEAR(b_phi, c.b_phi, tolerance) << where();
    }
}

// IGRF-13 and IGRF-14 hold the same definitive coefficients for 2000 to 2015,
// so their fields there are the same to the bit; their 2020 epochs differ
// (IGRF-13's was provisional).
TEST(InternalFieldGenerations, SharedDefinitiveEpochsGiveTheSameField) {
    for (const int year : {2000, 2005, 2010, 2015}) {
        const EpochState a = epoch_of(13, year, 1), b = epoch_of(14, year, 1);
        EXPECT_EQ(a.degree, 13);
        EXPECT_TRUE(a.g_coef == b.g_coef && a.h_coef == b.h_coef) << year;
        double ax, ay, az, bx, by, bz;
        internal_field_gsm(a, 0.4, -0.7, 0.65, ax, ay, az);
        internal_field_gsm(b, 0.4, -0.7, 0.65, bx, by, bz);
        EXPECT_EQ(ax, bx) << year;
        EXPECT_EQ(ay, by) << year;
        EXPECT_EQ(az, bz) << year;
    }
    const int g20 = coefficient_index(2, 0);
    EXPECT_EQ(kIgrf13.epochs.back().g[g20], -2499.6);
    EXPECT_EQ(kIgrf14.epochs[24].g[g20], -2499.78);
    EXPECT_NE(epoch_of(13, 2020, 1).g_coef[g20], epoch_of(14, 2020, 1).g_coef[g20]);
}

// Up to 1995 the lists go to degree 10, from 2000 to degree 13; between the
// two the coefficients above degree 10 grow from 0, so the field has no step
// in 2000, while IGRF-12 stays at degree 10 throughout.
TEST(InternalFieldGenerations, TheDegreeChangesWithoutAStepIn2000) {
    struct DegreeCase {
        int generation, year, day, degree;
    };
    const DegreeCase degrees[] = {{13, 1994, 365, 10}, {13, 1995, 1, 13},   {13, 1999, 365, 13}, {14, 2026, 100, 13},
                                  {14, 1900, 1, 10},   {12, 2003, 40, 10},  {12, 2040, 1, 10}};
    for (const DegreeCase& c : degrees) {
        EXPECT_EQ(epoch_of(c.generation, c.year, c.day).degree, c.degree)
            << "IGRF-" << c.generation << " " << c.year << " day " << c.day;
    }
    // On 1 January 1995 the coefficients above degree 10 are still 0.
    const EpochState start = epoch_of(14, 1995, 1);
    EXPECT_EQ(start.g_coef[coefficient_index(11, 0)], 0.0);
    EXPECT_EQ(start.h_coef[coefficient_index(13, 13)], 0.0);

    // Across 1 January 2000 the surface field changes by the secular variation
    // of a day (under 1 nT); the degree 11 to 13 terms alone reach tens of nT
    // there, so a step in them would show.
    const EpochState before = epoch_of(14, 1999, 365), after = epoch_of(14, 2000, 1);
    EpochState high_degrees = after;
    for (int n = 0; n <= 10; ++n) {
        for (int m = 0; m <= n; ++m) high_degrees.g_coef[coefficient_index(n, m)] = high_degrees.h_coef[coefficient_index(n, m)] = 0.0;
    }
    double largest_step = 0.0, largest_high = 0.0;
    for (double theta = 0.1; theta < 3.1; theta += 0.3) {
        for (double phi = 0.0; phi < 6.2; phi += 0.5) {
            double b[3][3];
            const EpochState* epochs[] = {&before, &after, &high_degrees};
            for (int k = 0; k < 3; ++k) {
                spherical_harmonic_sum(*epochs[k], 1.0, std::sin(theta), std::cos(theta), std::sin(phi), std::cos(phi),
                                       b[k][0], b[k][1], b[k][2]);
            }
            largest_step = std::max(largest_step, std::hypot(b[1][0] - b[0][0], b[1][1] - b[0][1], b[1][2] - b[0][2]));
            largest_high = std::max(largest_high, std::hypot(b[2][0], b[2][1], b[2][2]));
        }
    }
    EXPECT_LT(largest_step, 1.0);
    EXPECT_GT(largest_high, 20.0);
}

// The tilted dipole and the GSM frame take the degree-1 terms of the chosen
// generation.
TEST(InternalFieldGenerations, TheDipoleIsTheGenerationsOwn) {
    const EpochState epoch = epoch_of(14, 2025, 1);
    const double g10 = -29350.0, g11 = -1410.3, h11 = 4545.5;  // IGRF-14, 2025
    EXPECT_EQ(epoch.dipole_strength, std::sqrt(g10 * g10 + g11 * g11 + h11 * h11));
    EXPECT_NE(epoch.sin_tilt, epoch_of(12, 2025, 1).sin_tilt);
    double bx, by, bz;
    dipole_field_gsm(epoch, 1.0, 0.0, 0.0, bx, by, bz);
    // On the GSM X axis the dipole's field is b0 (-2 sin_tilt, 0, cos_tilt).
    EXPECT_NEAR(bx, -2 * epoch.dipole_strength * epoch.sin_tilt, 1e-9 * epoch.dipole_strength);
    EXPECT_NEAR(bz, epoch.dipole_strength * epoch.cos_tilt, 1e-9 * epoch.dipole_strength);
}

TEST(InternalFieldGenerations, TheSpanOfEachGenerationEndsWhereItsSecularVariationEnds) {
    struct SpanCase {
        int generation, year, day;
        double beyond;  // years
    };
    const SpanCase cases[] = {
        {12, 2019, 365, 0.0}, {12, 2020, 1, 0.0},  {12, 2020, 2, 1 / 365.25}, {12, 2025, 1, 5.0},
        {13, 2025, 1, 0.0},   {13, 2026, 1, 1.0},  {14, 2030, 1, 0.0},         {14, 2030, 366, 365 / 365.25},
        {14, 2070, 1, 20.0},  // the year is clamped to 2050
        {14, 1850, 1, 0.0},
    };
    for (const SpanCase& c : cases) {
        EXPECT_DOUBLE_EQ(years_beyond_span(internal_field_coefficients(c.generation), c.year, c.day), c.beyond)
            << "IGRF-" << c.generation << " " << c.year << " day " << c.day;
    }
    EXPECT_THROW(internal_field_coefficients(11), std::invalid_argument);
    EXPECT_EQ(&newest_internal_field(), &kIgrf14);
}

}  // namespace
}  // namespace cones
