// T96 model driver: the driving quantities prepared from the solar wind and
// the IMF clock angle, the pressure-scaled magnetopause and its boundary
// layer, the penetrated IMF outside, and the whole field against an
// independent 40-digit evaluation (tools/t96_reference.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "models/t96/t96.hpp"
#include "tests/support/t96_fixtures.hpp"

namespace cones {
namespace {

using t96_test::driving;
using t96_test::tilted;

const double kPi = std::acos(-1.0);

// Single-precision constants of the driver.
const double kA[9] = {double(1.162f), double(22.344f), double(18.5f),  double(2.602f), double(6.903f),
                      double(5.287f), double(0.579f),  double(0.4462f), double(0.785f)};
const double kFullTurn = 6.2831854820251465;  // 6.2831853 as a float

// The amplitudes and clock-angle terms for the IMF clock-angle cases. The
// reconnection parameter is 718.5 sqrt(P) Bt sin(theta / 2) and its factor
// eps / 3630.7 - 1; the region-1 amplitude is A7 + A8 times that factor.
TEST(T96Prepare, ClockAngleCases) {
    struct Case {
        double by, bz;
        double theta;  // expected clock angle
    };
    const Case cases[] = {
        {0.0, 0.0, 0.0},                  // no IMF: theta 0, no reconnection
        {0.0, 5.0, kFullTurn},            // northward: a full turn, not 0
        {0.0, -5.0, kPi},                 // southward: the largest reconnection
        {3.0, 0.0, kPi / 2.0},            // duskward
        {-3.0, 0.0, kFullTurn - kPi / 2.0},  // dawnward: a negative angle turned positive
        {2.0, -4.0, std::atan2(2.0, -4.0)},
    };
    const double pressure = 3.0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "By " << c.by << ", Bz " << c.bz);
        const T96Prepared m = t96_prepare(driving(pressure, -20.0, c.by, c.bz), tilted(0.1));
        EXPECT_EQ(m.cos_clock, std::cos(c.theta));
        EXPECT_EQ(m.sin_clock, std::sin(c.theta));
        const double bt = std::hypot(c.by, c.bz);
        const double eps = 718.5 * std::sqrt(pressure) * bt * std::sin(c.theta / 2.0);
        const double f_eps = eps / double(3630.7f) - 1.0;
        EXPECT_NEAR(m.region1_amplitude, kA[6] + kA[7] * f_eps, 1e-14);
        EXPECT_NEAR(m.region2_amplitude, 20.0 * m.region1_amplitude, 1e-13);
        EXPECT_NEAR(m.interconnection_amplitude, kA[8] * bt, 1e-14);
        EXPECT_EQ(m.penetrated_by, kA[8] * c.by);
        EXPECT_EQ(m.penetrated_bz, kA[8] * c.bz);
    }
    // No IMF: the factor is exactly -1. Northward IMF: sin(theta / 2) is
    // about -8.7e-8, so the factor lies just below -1.
    const T96Prepared none = t96_prepare(driving(pressure, -20.0, 0.0, 0.0), tilted(0.1));
    EXPECT_EQ(none.region1_amplitude, kA[6] - kA[7]);
    EXPECT_EQ(none.interconnection_amplitude, 0.0);
    const T96Prepared north = t96_prepare(driving(pressure, -20.0, 0.0, 5.0), tilted(0.1));
    EXPECT_LT(north.region1_amplitude, kA[6] - kA[7]);
    EXPECT_GT(north.region1_amplitude, kA[6] - kA[7] - 1e-6);
    EXPECT_NEAR(north.sin_clock, 0.0, 2e-7);
}

// P = 2 nPa is the standard magnetosphere (kappa = 1, the subsolar
// magnetopause at 11.08 Re); other pressures scale it by kappa = (P/2)^0.14.
TEST(T96Prepare, PressureScalingAndAmplitudes) {
    struct Case {
        double pressure, dst;
    };
    for (const Case c : {Case{2.0, 0.0}, Case{10.0, -150.0}, Case{0.5, 20.0}}) {
        SCOPED_TRACE(testing::Message() << "P " << c.pressure);
        const T96Prepared m = t96_prepare(driving(c.pressure, c.dst, 1.0, -2.0), tilted(-0.2));
        const double kappa = std::pow(0.5 * c.pressure, double(0.14f));
        EXPECT_EQ(m.kappa, kappa);
        EXPECT_DOUBLE_EQ(m.kappa_cubed, kappa * kappa * kappa);
        EXPECT_DOUBLE_EQ(m.nose_offset, double(5.48f) / kappa);
        EXPECT_DOUBLE_EQ(m.semi_axis, 70.0 / kappa);
        const double f_pressure = std::sqrt(0.5 * c.pressure) - 1.0;
        const double corrected_dst = double(0.8f) * c.dst - 13.0 * std::sqrt(c.pressure);
        EXPECT_NEAR(m.ring_current_amplitude, -kA[0] * corrected_dst, 1e-12);
        EXPECT_NEAR(m.tail3_amplitude, kA[4] + kA[5] * f_pressure, 1e-13);
        const double eps = 718.5 * std::sqrt(c.pressure) * std::sqrt(5.0) * std::sin(std::atan2(1.0, -2.0) / 2.0);
        EXPECT_NEAR(m.tail2_amplitude, kA[1] + kA[2] * f_pressure + kA[3] * (eps / double(3630.7f) - 1.0), 1e-12);
        // Nose of the magnetopause (sigma = 1.08) on the x axis.
        const double nose = (double(5.48f) + 0.08 * 70.0) / kappa;
        EXPECT_NEAR(t96_magnetopause_coordinate(m, nose, 0.0, 0.0), 1.08, 1e-7);
    }
    const T96Prepared standard = t96_prepare(driving(2.0, 0.0, 0.0, 0.0), tilted(0.0));
    EXPECT_EQ(standard.kappa, 1.0);
    EXPECT_EQ(standard.kappa_cubed, 1.0);
    EXPECT_NEAR(t96_magnetopause_coordinate(standard, 11.08, 0.0, 0.0), 1.08, 1e-8);
}

// Far down the tail (a + x - x0 < 0) the magnetopause is a cylinder:
// sigma = sqrt(1 + rho^2 / a^2), so the inside test sigma < 1.085 holds for
// rho below 70 sqrt(1.085^2 - 1), about 29.5 Re.
TEST(T96Prepare, TailMagnetopauseIsACylinder) {
    const T96Prepared m = t96_prepare(driving(2.0, 0.0, 0.0, 0.0), tilted(0.0));
    for (double rho : {0.0, 10.0, 29.4, 29.6}) {
        const double sigma = t96_magnetopause_coordinate(m, -80.0, rho * 0.6, rho * 0.8);
        EXPECT_NEAR(sigma, std::sqrt(1.0 + rho * rho / 4900.0), 1e-12) << "rho " << rho;
    }
    EXPECT_LT(t96_magnetopause_coordinate(m, -80.0, 0.0, 29.4), 1.0850000428035855);
    EXPECT_GT(t96_magnetopause_coordinate(m, -80.0, 0.0, 29.6), 1.0850000428035855);
    EXPECT_EQ(t96_magnetopause_coordinate(m, -80.0, 0.0, 20.0), t96_magnetopause_coordinate(m, -200.0, 20.0, 0.0));
}

// The interior weight falls linearly from 1 at sigma = 1.075 to 0 at 1.085;
// on the magnetopause both weights are 0.5.
TEST(T96Driver, BoundaryLayerWeights) {
    const double s0 = double(1.08f), ds = double(0.005f);
    struct Case {
        double sigma, interior, exterior;
    };
    const Case cases[] = {{s0, 0.5, 0.5}, {s0 - ds, 1.0, 0.0}, {s0 + ds, 0.0, 1.0},
                          {s0 + 0.5 * ds, 0.25, 0.75}, {s0 - 0.2 * ds, 0.6, 0.4}};
    for (const auto& c : cases) {
        const T96BoundaryWeights w = t96_boundary_weights(c.sigma);
        EXPECT_NEAR(w.interior, c.interior, 1e-14) << "sigma " << c.sigma;
        EXPECT_NEAR(w.exterior, c.exterior, 1e-14) << "sigma " << c.sigma;
    }
    EXPECT_EQ(t96_boundary_weights(s0).interior, 0.5);
    EXPECT_EQ(t96_boundary_weights(s0).exterior, 0.5);
}

TEST(T96Driver, MatchesReferenceValues) {
    struct Case {
        double pressure, dst, by, bz, tilt, b0, x, y, z;
        double bx, by_field, bz_field, sigma;
    };
    const Case cases[] = {
        // inside
        {2.0, 0.0, 0.0, 0.0, 0.0, 30000.0, -8.0, 2.0, 1.0, 14.90460888123205, -2.8068269734051914, -21.8259777888592, 1.001456854160104},
        {3.0, -40.0, 2.0, -5.0, 0.3, 29500.0, -15.0, -4.0, 2.5, 4.8554281302660703, 0.19153414375150789, -2.3116373983223799, 1.0048627852586096},
        {10.0, -150.0, 0.0, -10.0, -0.2, 29500.0, 4.0, 3.0, -2.0, 35.761949718842355, 44.556323257856124, -65.084070182351827, 1.0296074781393519},
        {1.0, 10.0, -3.0, 4.0, 0.25, 29500.0, 2.0, 1.0, 6.0, 17.023687007080107, -3.0202988347649968, -1.3685339101620416, 1.0219487173925556},
        {2.0, -20.0, 1.0, 3.0, 0.1, 29500.0, -30.0, 10.0, 5.0, 11.67941551143981, -2.0041712248954348, 0.60527493807305046, 1.0165438702075825},
        {4.0, -60.0, -5.0, -2.0, -0.35, 29500.0, -5.0, 6.0, -4.0, -50.056559345089681, 31.411266323060852, -25.08988929524772, 1.0201157543548874},
        {2.0, -20.0, 0.0, -3.0, 0.2, 29500.0, -75.0, 5.0, 3.0, 3.4540738367076606, -0.039714670674599127, 0.72185900401616164, 1.0034633902191968},
        // boundary layer, at the nose and on the flank
        {2.0, -10.0, 3.0, -4.0, 0.2, 29500.0, 11.0, 0.5, 0.5, 10.060313635118417, 3.2081212638758544, 6.1312942084383262, 1.079191596416472},
        {5.0, -30.0, 2.0, 6.0, -0.1, 29500.0, -20.0, 16.0, 14.0, 4.4534961129180712, -1.0607996391535732, 0.57153342033550912, 1.0822848427059637},
        // outside
        {2.0, 0.0, 1.0, 2.0, 0.1, 29500.0, 12.0, 1.0, 1.0, 7.3729332215251685, 2.1810358519184622, -13.03009126995469, 1.0942745450688813},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "P " << c.pressure << ", Dst " << c.dst << ", By " << c.by << ", Bz "
                                        << c.bz << ", tilt " << c.tilt << " at " << c.x << ", " << c.y << ", " << c.z);
        const EpochState epoch = tilted(c.tilt, c.b0);
        const T96Prepared model = t96_prepare(driving(c.pressure, c.dst, c.by, c.bz), epoch);
        EXPECT_NEAR(t96_magnetopause_coordinate(model, c.x, c.y, c.z), c.sigma, 1e-13);
        T96Vector b;
        t96_external_field(model, epoch, c.x, c.y, c.z, b.x, b.y, b.z);
        t96_test::expect_field_near(b, c.bx, c.by_field, c.bz_field, 1e-10);
    }
}

// Outside the boundary layer the field is exactly the penetrated IMF
// O = 0.785 (0, By, Bz) exp(x/20 - (ys/10)^2) minus the Earth's dipole field.
// Far sunward (x = 2000 Re) the components would overflow: the result stays
// finite because none is evaluated there.
TEST(T96Driver, OutsideIsThePenetratedImfMinusTheDipole) {
    struct Case {
        double by, bz, x, y, z;
    };
    const Case cases[] = {{1.0, 2.0, 12.0, 1.0, 1.0}, {0.0, 0.0, -40.0, 30.0, 0.0},
                          {-4.0, -3.0, -100.0, 5.0, -50.0}, {2.0, -6.0, 2000.0, 0.0, 0.0},
                          {0.0, 5.0, 0.0, 0.0, 40.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "By " << c.by << ", Bz " << c.bz << " at " << c.x << ", " << c.y << ", " << c.z);
        const EpochState epoch = tilted(0.15, 29800.0);
        const T96Prepared model = t96_prepare(driving(2.0, -30.0, c.by, c.bz), epoch);
        ASSERT_GE(t96_magnetopause_coordinate(model, c.x, c.y, c.z), 1.0850000428035855);
        double theta = 0.0;
        if (c.by != 0.0 || c.bz != 0.0) {
            theta = std::atan2(c.by, c.bz);
            if (theta <= 0.0) theta += kFullTurn;
        }
        const double ys = c.y * std::cos(theta) - c.z * std::sin(theta);
        const double g = std::exp(c.x / 20.0 - (ys / 10.0) * (ys / 10.0));
        double qx, qy, qz;
        dipole_field_gsm(epoch, c.x, c.y, c.z, qx, qy, qz);
        T96Vector b;
        t96_external_field(model, epoch, c.x, c.y, c.z, b.x, b.y, b.z);
        EXPECT_EQ(b.x, -qx);
        EXPECT_EQ(b.y, kA[8] * c.by * g - qy);
        EXPECT_EQ(b.z, kA[8] * c.bz * g - qz);
    }
}

// The boundary layer joins the interior field to the penetrated IMF without a
// jump: at sigma = 1.075 its result is the interior sum, at 1.085 the outside
// field. On fine paths through the layer at the nose and on the dawn flank the
// field changes only smoothly (swapped weights jump by the full field).
TEST(T96Driver, FieldIsContinuousThroughTheBoundaryLayer) {
    const EpochState epoch = tilted(0.2, 29500.0);
    const T96Prepared model = t96_prepare(driving(3.0, -40.0, 2.0, -5.0), epoch);
    struct Path {
        T96Vector start, step;
    };
    const double r = 1.0 / std::sqrt(2.0);
    const Path paths[] = {{{10.0, 0.3, 0.2}, {1e-4, 0.0, 0.0}},               // along x at the nose
                          {{-10.0, -17.0 * r, 17.0 * r}, {0.0, -1e-4 * r, 1e-4 * r}}};  // outward on the flank
    for (const auto& path : paths) {
        double previous[3];
        t96_external_field(model, epoch, path.start.x, path.start.y, path.start.z, previous[0], previous[1], previous[2]);
        double largest_step = 0.0, largest_field = 0.0;
        bool crossed_inner = false, crossed_outer = false;
        for (int n = 1; n <= 30000; ++n) {
            const double x = path.start.x + n * path.step.x;
            const double y = path.start.y + n * path.step.y;
            const double z = path.start.z + n * path.step.z;
            const double sigma = t96_magnetopause_coordinate(model, x, y, z);
            crossed_inner = crossed_inner || sigma < 1.075;
            crossed_outer = crossed_outer || sigma > 1.085;
            double b[3];
            t96_external_field(model, epoch, x, y, z, b[0], b[1], b[2]);
            const double step = std::sqrt((b[0] - previous[0]) * (b[0] - previous[0]) +
                                          (b[1] - previous[1]) * (b[1] - previous[1]) +
                                          (b[2] - previous[2]) * (b[2] - previous[2]));
            largest_step = std::max(largest_step, step);
            largest_field = std::max(largest_field, std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]));
            std::copy(b, b + 3, previous);
        }
        EXPECT_TRUE(crossed_inner && crossed_outer);
        EXPECT_LT(largest_step, 2e-3 * largest_field) << "path from " << path.start.x << ", " << path.start.y;
    }
}

}  // namespace
}  // namespace cones
