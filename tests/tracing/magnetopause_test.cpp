// The magnetopause (escape test) of every field model, through the run's
// field context.

#include <gtest/gtest.h>

#include <cmath>

#include "tracing/field_selector.hpp"
#include "tests/support/tilted_epoch.hpp"

namespace cones {
namespace {

struct Case {
    const char* what;
    FieldModel model;
    double pressure;
    double tilt;
    double x, y, z;
    bool expected;  // escaped
};

ModelParameters with_pressure(double pressure) {
    ModelParameters parameters{};
    parameters[0] = pressure;
    return parameters;
}

constexpr bool kOut = true;
constexpr bool kIn = false;

bool escaped_at(const EpochState& epoch, FieldModel model, double pressure, double x, double y, double z) {
    return escaped(make_field_context(epoch, model, with_pressure(pressure)), x, y, z);
}

TEST(Magnetopause, BoundariesOfEveryCode) {
    // Radius of the T96 tail cylinder and nose at P = 2 nPa (F = 1).
    const double t96_radius = double(28.55f);
    const double t96_nose = double(75.6f) + double(-64.51f);
    const Case cases[] = {
        {"sphere: r = 30 is inside", field_model<DipoleModel>, 2, 0, 30, 0, 0, kIn},
        {"sphere: r = 30.001 is outside", field_model<DipoleModel>, 2, 0, 0, -30.001, 0, kOut},
        {"sphere for the internal field", field_model<ReferenceFieldModel>, 2, 0, 0, 0, 30.001, kOut},
        {"sphere ignores the tail limit", field_model<ReferenceFieldModel>, 2, 0, -29, 0, 0, kIn},
        {"T89 tail cylinder, rho 22.4", field_model<T89Model>, 2, 0, -30, 22.4, 0, kOut},
        {"T89 tail cylinder, rho 22.3", field_model<T89Model>, 2, 0, -30, 0, 22.3, kIn},
        {"T89 beyond x = -70", field_model<T89Model>, 2, 0, -70, 0, 0, kOut},
        {"T89 nose on the axis", field_model<T89Model>, 2, 0, 11.07, 0, 0, kOut},
        {"T89 just inside the nose", field_model<T89Model>, 2, 0, 11.06, 0, 0, kIn},
        {"T89 outer cone", field_model<T89Model>, 2, 0, -20, 0, 0.08995136 * 244.15 + 0.01, kOut},
        {"T89 inside the outer cone", field_model<T89Model>, 2, 0, -20, 0, 0.08995136 * 244.15 - 0.01, kIn},
        {"T89 inner cone", field_model<T89Model>, 2, 0, -10, 0.3400383 * 57.08 + 0.01, 0, kOut},
        {"T89 inside the inner cone", field_model<T89Model>, 2, 0, -10, 0.3400383 * 57.08 - 0.01, 0, kIn},
        {"T89 dayside paraboloid", field_model<T89Model>, 2, 0, 5, std::sqrt(6.07 / 0.043188184) + 0.01, 0, kOut},
        {"T89 inside the paraboloid", field_model<T89Model>, 2, 0, 5, std::sqrt(6.07 / 0.043188184) - 0.01, 0, kIn},
        {"T96 nose at P = 2", field_model<T96Model>, 2, 0, t96_nose + 0.001, 0, 0, kOut},
        {"T96 inside the nose", field_model<T96Model>, 2, 0, t96_nose - 0.01, 0, 0, kIn},
        {"T96 tail cylinder", field_model<T96Model>, 2, 0, -66, t96_radius + 0.01, 0, kOut},
        {"T96 inside the tail", field_model<T96Model>, 2, 0, -66, t96_radius - 0.01, 0, kIn},
        {"T96 flank at X0", field_model<T96Model>, 2, 0, -64.5, 0, t96_radius + 0.01, kOut},
        {"T96 beyond x = -70", field_model<T96Model>, 2, 0, -70.01, 0, 0, kOut},
        {"T96 higher pressure compresses the nose", field_model<T96Model>, 8, 0, 9.5, 0, 0, kOut},
        {"T96 lower pressure widens it", field_model<T96Model>, 0.5, 0, 12, 0, 0, kIn},
        {"T01 deep inside", field_model<T01Model>, 2, 0, 5, 0, 0, kIn},
        {"T01 far upstream", field_model<T01Model>, 2, 0, 15, 0, 0, kOut},
        {"T01 far down the tail but narrow", field_model<T01Model>, 2, 0, -80, 0, 0, kOut},
        {"T01 tail at x = -60", field_model<T01Model>, 2, 0, -60, 0, 0, kIn},
        {"T01 flank", field_model<T01Model>, 2, 0, 0, 20, 0, kOut},
        {"T01 tilted", field_model<T01Model>, 2, 0.5, 5, 3, 4, kIn},
        {"storm-time T01 inside", field_model<T01StormModel>, 2, 0, 5, 0, 0, kIn},
        {"storm-time T01 far upstream", field_model<T01StormModel>, 2, 0.3, 15, 0, 0, kOut},
        {"no magnetopause: always inside", field_model<UnboundedReferenceFieldModel>, 2, 0, 1000, 1000, 1000, kIn},
        {"no magnetopause beyond the tail limit", field_model<UnboundedReferenceFieldModel>, 2, 0, -100, 0, 0, kIn},
    };
    for (const Case& c : cases) {
        const EpochState epoch = testing_support::tilted_epoch(c.tilt);
        EXPECT_EQ(escaped_at(epoch, c.model, c.pressure, c.x, c.y, c.z), c.expected)
            << c.what;
    }
}

// The T01 surfaces: without tilt, on the X axis, sigma = (x - x0 + a) / a with
// x0 = 3.4397 / kappa and a = 34.586 / kappa, so the subsolar point lies at
// (3.4397 + 0.196 * 34.586) / kappa with kappa = (P/2)^alpha, alpha the
// model's single-precision exponent (0.1579 for T01, 0.15954 for storm-time
// T01): about 10.2 Re at 2 nPa, moving inward with pressure as P^(-alpha).
TEST(Magnetopause, T01NoseScalesWithPressure) {
    EpochState epoch;
    for (const FieldModel model : {field_model<T01Model>, field_model<T01StormModel>}) {
        const double alpha = model == field_model<T01Model> ? double(0.1579f) : double(0.15954f);
        double previous = 1e9;
        for (const double pressure : {0.5, 2.0, 8.0}) {
            // Find the nose on the X axis by bisection.
            double inside = 0.0, outside = 40.0;
            for (int i = 0; i < 60; ++i) {
                const double mid = 0.5 * (inside + outside);
                (escaped_at(epoch, model, pressure, mid, 0, 0) ? outside : inside) = mid;
            }
            const double nose = (3.4397 + 0.196 * 34.586) / std::pow(pressure / 2.0, alpha);
            EXPECT_NEAR(inside, nose, 1e-9) << static_cast<int>(model) << " " << pressure;
            EXPECT_LT(inside, previous);
            previous = inside;
        }
    }
}

}  // namespace
}  // namespace cones
