// T01 and storm-time T01 drivers: values against an independent 40-digit
// evaluation, the prepared amplitudes in the edge cases of the driving
// parameters, the magnetopause position, the blending layer and the outside
// field, zero divergence, and the passes of the tilt deformation.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "models/t01/t01.hpp"
#include "models/t01/t01_tilt_deformation.hpp"
#include "tests/support/field_checks.hpp"
#include "tests/support/tilted_epoch.hpp"

namespace cones {
namespace {

EpochState epoch_with_tilt(double tilt, double dipole_strength = 29931.0) {
    return testing_support::tilted_epoch(tilt, dipole_strength);
}

// P (nPa), Dst (nT), By, Bz (nT), G1, G2, G3.
ModelParameters driving(double p, double dst, double by, double bz, double g1, double g2, double g3) {
    ModelParameters parameters{};
    parameters[0] = p;
    parameters[1] = dst;
    parameters[2] = by;
    parameters[3] = bz;
    parameters[4] = g1;
    parameters[5] = g2;
    parameters[6] = g3;
    return parameters;
}

T01Prepared prepare(bool storm, const ModelParameters& parameters, const EpochState& epoch) {
    return storm ? t01_storm_prepare(parameters, epoch) : t01_prepare(parameters, epoch);
}

T01Field field_at(const T01Prepared& model, const EpochState& epoch, double x, double y, double z) {
    T01Field b{};
    t01_external_field(model, epoch, x, y, z, b.x, b.y, b.z);
    return b;
}

double a_t01(int k) { return double(kT01Amplitudes[k - 1]); }
double a_storm(int k) { return double(kT01StormAmplitudes[k - 1]); }

// Rows from tools/t01_reference.py: storm, P, Dst, By, Bz, G1, G2, G3, tilt,
// x, y, z, then the external field (GSM, nT) and the boundary coordinate.
// Inside the magnetopause, in the blending layer (third row) and outside
// (last row); the dipole strength is 29931 nT.
struct ReferenceCase {
    bool storm;
    double p, dst, by, bz, g1, g2, g3, tilt, x, y, z, bx_, by_, bz_, sigma;
};
const ReferenceCase kReference[] = {
    {false, 2.0, -10.0, 0.0, -2.0, 3.0, 5.0, 10.0, 0.3, -6.0, 2.0, 1.5, -9.646337143602589, 0.25996197805126679, -33.337607969737646, 1.0034762892411996},
    {false, 4.0, -60.0, 3.0, 2.0, 6.0, 9.0, 12.0, -0.2, 4.0, -5.0, 3.0, 1.4443020752465295, 7.122335823091805, 1.7900026816456524, 1.1172256976142664},
    {false, 2.0, -10.0, 0.0, -2.0, 3.0, 5.0, 10.0, 0.3, 10.0, 1.0, -2.0, 5.3704829085978481, 0.45495181581661079, -3.9197754592651952, 1.1965528759503469},
    {true, 3.0, -120.0, -4.0, -8.0, 0.0, 20.0, 30.0, 0.25, -8.0, -3.0, 2.0, 27.445196754861218, 10.291766431933204, -16.55522083119313, 1.0074610354518503},
    {true, 1.5, -5.0, 2.0, 1.0, 0.0, 2.0, 1.0, -0.35, 2.0, 6.0, -1.0, 1.7864226632619035, 16.165727973963343, -6.543708107064776, 1.0662246015122122},
    {true, 3.0, -120.0, -4.0, -8.0, 0.0, 20.0, 30.0, 0.25, 12.0, 2.0, 0.0, 7.8920880868473667, -0.0021140030380284806, -20.112795203067973, 1.2736617862093037},
};

// The Birkeland currents' numerical derivatives limit the agreement of double
// and 40-digit results to about 1e-9 of the field.
TEST(T01ModelReference, FieldsAgreeWithTheIndependentEvaluation) {
    for (const ReferenceCase& c : kReference) {
        const EpochState epoch = epoch_with_tilt(c.tilt);
        const T01Prepared model = prepare(c.storm, driving(c.p, c.dst, c.by, c.bz, c.g1, c.g2, c.g3), epoch);
        const T01Field b = field_at(model, epoch, c.x, c.y, c.z);
        const double tolerance = 1e-8 * std::sqrt(c.bx_ * c.bx_ + c.by_ * c.by_ + c.bz_ * c.bz_);
        SCOPED_TRACE(testing::Message() << (c.storm ? "storm-time" : "T01") << " at " << c.x << ", " << c.y << ", " << c.z);
        EXPECT_NEAR(b.x, c.bx_, tolerance);
        EXPECT_NEAR(b.y, c.by_, tolerance);
        EXPECT_NEAR(b.z, c.bz_, tolerance);
        EXPECT_NEAR(t01_boundary_coordinate(model, c.x, c.y, c.z).sigma, c.sigma, 1e-14);
    }
}

// ---------------------------------------------------------------- prepared amplitudes

TEST(T01Prepare, ReferencePressureGivesUnitScaleAndUnitPressureTerms) {
    const EpochState epoch = epoch_with_tilt(0.2);
    const ModelParameters parameters = driving(2.0, -30.0, 1.0, -3.0, 4.0, 6.0, 0.0);
    const T01Prepared model = t01_prepare(parameters, epoch);
    EXPECT_EQ(model.kappa, 1.0);
    EXPECT_EQ(model.kappa3, 1.0);
    EXPECT_EQ(model.x0, 3.4397);
    EXPECT_EQ(model.semi_axis, 34.586);
    EXPECT_EQ(model.parameters.tail_shift2, 0.0);
}

// The IMF clock angle theta = atan2(By, Bz), moved into (0, 2 pi], sets the
// penetration f = A24 + A25 sin^2(theta/2) and the interconnection weight.
TEST(T01Prepare, ClockAngleCases) {
    const EpochState epoch = epoch_with_tilt(0.0);
    const double a24 = a_t01(24), a25 = a_t01(25);
    // A negative clock angle is moved up by the published full turn
    // 6.283185307, a little short of 2 pi.
    const double turn = 6.283185307;
    struct Case {
        double by, bz;
        double h;  // sin^2(theta/2)
    };
    const Case cases[] = {
        {0.0, -5.0, 1.0},                                            // southward: theta = pi
        {3.0, 0.0, 0.5},                                             // theta = pi/2
        {-3.0, 0.0, std::pow(std::sin((turn - M_PI / 2.0) / 2.0), 2)},  // theta = -pi/2 + turn
        {-2.0, -2.0, std::pow(std::sin((turn - 3.0 * M_PI / 4.0) / 2.0), 2)},
    };
    for (const Case& c : cases) {
        const T01Prepared model = t01_prepare(driving(2.0, -10.0, c.by, c.bz, 1.0, 1.0, 0.0), epoch);
        SCOPED_TRACE(testing::Message() << "By " << c.by << ", Bz " << c.bz);
        EXPECT_NEAR(model.penetrated.y, (a24 + a25 * c.h) * c.by, 1e-14);
        EXPECT_NEAR(model.penetrated.z, (a24 + a25 * c.h) * c.bz, 1e-14);
        EXPECT_EQ(model.penetrated.x, 0.0);
        EXPECT_NEAR(model.interconnection_clock.z, a25 * c.h * c.bz, 1e-14);
        EXPECT_EQ(model.interconnection.y, a24 * c.by);
    }
    // No IMF: theta = 0, no penetrated or interconnection field.
    const T01Prepared calm = t01_prepare(driving(2.0, -10.0, 0.0, 0.0, 1.0, 1.0, 0.0), epoch);
    for (double v : {calm.penetrated.y, calm.penetrated.z, calm.interconnection.z, calm.interconnection_clock.z}) {
        EXPECT_EQ(v, 0.0);
    }
    // Purely northward: theta = 6.283185307, not 0, so sin^2(theta/2) is tiny but not 0.
    const T01Prepared north = t01_prepare(driving(2.0, -10.0, 0.0, 5.0, 1.0, 1.0, 0.0), epoch);
    EXPECT_GT(north.interconnection_clock.z, 0.0);
    EXPECT_LT(north.interconnection_clock.z, 1e-15);
    EXPECT_EQ(north.penetrated.z, a24 * 5.0);
}

// Below |D*| = 20 nT the ring-current sizes stop growing: (20/Dm)^A = 1.
TEST(T01Prepare, DstFloors) {
    const EpochState epoch = epoch_with_tilt(0.1);
    // D* = 0.8 * 10 - 13 sqrt(1.5) = -7.9 nT.
    for (bool storm : {false, true}) {
        const T01Prepared model = prepare(storm, driving(1.5, 10.0, 1.0, -1.0, 1.0, 2.0, 3.0), epoch);
        const auto A = storm ? a_storm : a_t01;
        SCOPED_TRACE(storm ? "storm-time" : "T01");
        EXPECT_EQ(model.parameters.src_scale, A(30) * model.kappa);
        EXPECT_EQ(model.parameters.prc_scale, A(32) * model.kappa);
        if (storm) {
            EXPECT_EQ(model.parameters.kappa1, a_storm(35));
            EXPECT_EQ(model.parameters.kappa2, a_storm(37));
            EXPECT_EQ(model.parameters.prc_rotation, a_storm(34));
        }
    }
    // A strong storm grows the storm-time Birkeland sizes with (|D*|/20)^A36.
    const T01Prepared storm = t01_storm_prepare(driving(2.0, -200.0, 1.0, -1.0, 0.0, 2.0, 3.0), epoch);
    const double dst_star = double(0.8f) * -200.0 - 13.0 * std::sqrt(2.0);
    EXPECT_NEAR(storm.parameters.kappa1, a_storm(35) * std::pow(-dst_star / 20.0, a_storm(36)), 1e-15);
    EXPECT_GT(storm.parameters.kappa1, a_storm(35) * 1.5);
    EXPECT_LT(storm.parameters.src_scale, a_storm(30));
}

// sat(g, c) = c g / sqrt(g^2 + c^2): 0 at g = 0, c at large g.
TEST(T01Prepare, StormTimeTermsSaturate) {
    const EpochState epoch = epoch_with_tilt(0.0);
    const double sqrt_p = std::sqrt(3.0);
    const T01Prepared quiet = t01_storm_prepare(driving(3.0, -50.0, 0.0, -1.0, 0.0, 0.0, 0.0), epoch);
    EXPECT_EQ(quiet.parameters.tail_shift1, a_storm(26));
    EXPECT_EQ(quiet.birkeland11, a_storm(16));
    EXPECT_EQ(quiet.birkeland12, a_storm(18));
    EXPECT_EQ(quiet.birkeland21, a_storm(20));
    EXPECT_EQ(quiet.birkeland22, a_storm(22));
    EXPECT_EQ(quiet.partial_ring, a_storm(13) + a_storm(15) * sqrt_p);
    EXPECT_EQ(quiet.partial_ring, a_storm(13));  // A15 = 0

    const double big = 1e7;
    const T01Prepared saturated = t01_storm_prepare(driving(3.0, -50.0, 0.0, -1.0, 0.0, big, big), epoch);
    EXPECT_NEAR(saturated.parameters.tail_shift1, a_storm(26) + 40.0 * a_storm(27), 1e-9);
    EXPECT_NEAR(saturated.birkeland11, a_storm(16) + a_storm(17) * a_storm(47), 1e-9);
    EXPECT_NEAR(saturated.birkeland22, a_storm(22) + a_storm(23) * a_storm(50), 1e-9);
    EXPECT_NEAR(saturated.partial_ring, a_storm(13) + a_storm(14) * a_storm(46), 1e-8);
    const T01Prepared small = t01_storm_prepare(driving(3.0, -50.0, 0.0, -1.0, 0.0, 1e-3, 1e-3), epoch);
    EXPECT_NEAR(small.birkeland11 - a_storm(16), a_storm(17) * 1e-3, 1e-12);
}

// Each model ignores the history index of the other: G3 for T01, G1 for the
// storm-time model.
TEST(T01Prepare, UnreadElementsHaveNoEffect) {
    const EpochState epoch = epoch_with_tilt(0.25);
    const T01Field t01_a = field_at(t01_prepare(driving(2.5, -40.0, 2.0, -3.0, 5.0, 7.0, 1.0), epoch), epoch, -7.0, 2.0, 1.0);
    const T01Field t01_b = field_at(t01_prepare(driving(2.5, -40.0, 2.0, -3.0, 5.0, 7.0, 50.0), epoch), epoch, -7.0, 2.0, 1.0);
    EXPECT_EQ(t01_a.x, t01_b.x);
    EXPECT_EQ(t01_a.z, t01_b.z);
    const T01Field storm_a = field_at(t01_storm_prepare(driving(2.5, -40.0, 2.0, -3.0, 5.0, 7.0, 9.0), epoch), epoch, -7.0, 2.0, 1.0);
    const T01Field storm_b = field_at(t01_storm_prepare(driving(2.5, -40.0, 2.0, -3.0, 50.0, 7.0, 9.0), epoch), epoch, -7.0, 2.0, 1.0);
    EXPECT_EQ(storm_a.x, storm_b.x);
    EXPECT_EQ(storm_a.z, storm_b.z);
    EXPECT_NE(t01_a.x, storm_a.x);
}

TEST(T01Prepare, BlendingLayers) {
    const EpochState epoch = epoch_with_tilt(0.0);
    const T01Prepared t01 = t01_prepare(driving(2.0, -10.0, 0.0, -1.0, 1.0, 1.0, 1.0), epoch);
    EXPECT_EQ(t01.inside_limit, 1.193);
    EXPECT_EQ(t01.outside_limit, 1.1989999999999998);
    const T01Prepared storm = t01_storm_prepare(driving(2.0, -10.0, 0.0, -1.0, 1.0, 1.0, 1.0), epoch);
    EXPECT_EQ(storm.inside_limit, 1.191);
    EXPECT_EQ(storm.outside_limit, 1.2009999999999998);
}

// ---------------------------------------------------------------- magnetopause and blending

// With P = 2 nPa (kappa = 1) and no tilt, on the sunward X axis
// sigma = max((a + x - x0) / a, 1): the magnetopause (1.196)
// lies at x = 3.4397 + 0.196 * 34.586 = 10.2186 Re.
TEST(T01Boundary, SunwardAxisWithoutTilt) {
    const EpochState epoch = epoch_with_tilt(0.0);
    const T01Prepared model = t01_prepare(driving(2.0, -10.0, 0.0, -1.0, 1.0, 1.0, 1.0), epoch);
    for (double x : {0.5, 5.0, 10.0, 10.2186, 11.0, 20.0}) {
        const T01BoundaryCoordinate b = t01_boundary_coordinate(model, x, 0.0, 0.0);
        EXPECT_NEAR(b.sigma, std::fmax((34.586 + x - 3.4397) / 34.586, 1.0), 1e-15) << x;
        EXPECT_EQ(b.passes, 1) << x;
    }
    EXPECT_NEAR(t01_boundary_coordinate(model, 3.4397 + 0.196 * 34.586, 0.0, 0.0).sigma, 1.196, 1e-15);
    // Higher pressure pushes the magnetopause in: kappa = (P/2)^A39.
    const T01Prepared pushed = t01_prepare(driving(8.0, -10.0, 0.0, -1.0, 1.0, 1.0, 1.0), epoch);
    const double kappa = std::pow(4.0, a_t01(39));
    EXPECT_NEAR(t01_boundary_coordinate(pushed, 9.0, 0.0, 0.0).sigma,
                (34.586 / kappa + 9.0 - 3.4397 / kappa) / (34.586 / kappa), 1e-15);
}

// Outside (sigma >= s0 + ds) the field is exactly the penetrated IMF minus
// the Earth's dipole, with no component evaluated.
TEST(T01Boundary, OutsideReturnsPenetratedFieldMinusDipole) {
    for (bool storm : {false, true}) {
        const EpochState epoch = epoch_with_tilt(0.3);
        const T01Prepared model = prepare(storm, driving(3.0, -30.0, 2.5, -4.0, 2.0, 3.0, 4.0), epoch);
        for (const auto& p : {std::array<double, 3>{14.0, 1.0, 2.0}, {-10.0, 25.0, 0.0}, {-30.0, -5.0, 30.0}}) {
            ASSERT_GE(t01_boundary_coordinate(model, p[0], p[1], p[2]).sigma, model.outside_limit);
            double qx, qy, qz;
            dipole_field_gsm(epoch, p[0], p[1], p[2], qx, qy, qz);
            const T01Field b = field_at(model, epoch, p[0], p[1], p[2]);
            EXPECT_EQ(b.x, -qx);
            EXPECT_EQ(b.y, model.penetrated.y - qy);
            EXPECT_EQ(b.z, model.penetrated.z - qz);
        }
    }
}

// In the blending layer the result is wi F + we (O - Q) up to rounding, with
// u = (sigma - 1.196)/ds, wi = (1 - u)/2, we = (1 + u)/2. F and O - Q at the
// same point come from copies of the set whose limits force each branch.
TEST(T01Boundary, BlendingLayerWeighsInsideAndOutsideForms) {
    for (bool storm : {false, true}) {
        const EpochState epoch = epoch_with_tilt(0.0);
        const T01Prepared model = prepare(storm, driving(2.0, -20.0, 1.0, -3.0, 2.0, 3.0, 4.0), epoch);
        T01Prepared inside = model, outside = model;
        inside.inside_limit = inside.outside_limit = std::numeric_limits<double>::infinity();
        outside.inside_limit = outside.outside_limit = 0.0;
        const double ds = storm ? 0.005 : 0.003;
        for (double sigma : {1.196 - 0.9 * ds, 1.196, 1.196 + 0.5 * ds, 1.196 + 0.99 * ds}) {
            const double x = 3.4397 + (sigma - 1.0) * 34.586;
            const double s = t01_boundary_coordinate(model, x, 0.0, 0.0).sigma;
            const double u = (s - 1.196) / ds;
            const T01Field b = field_at(model, epoch, x, 0.0, 0.0);
            const T01Field f = field_at(inside, epoch, x, 0.0, 0.0);
            const T01Field o = field_at(outside, epoch, x, 0.0, 0.0);
            SCOPED_TRACE(testing::Message() << (storm ? "storm-time" : "T01") << ", sigma " << s);
            EXPECT_NEAR(b.x, 0.5 * (1.0 - u) * f.x + 0.5 * (1.0 + u) * o.x, 1e-9);
            EXPECT_NEAR(b.y, 0.5 * (1.0 - u) * f.y + 0.5 * (1.0 + u) * o.y, 1e-9);
            EXPECT_NEAR(b.z, 0.5 * (1.0 - u) * f.z + 0.5 * (1.0 + u) * o.z, 1e-9);
            EXPECT_GT(std::abs(f.z - o.z), 1.0);  // the two forms differ, so the weights matter
        }
    }
}

// The blend is continuous at both edges of the layer.
TEST(T01Boundary, FieldIsContinuousAcrossTheLayerEdges) {
    for (bool storm : {false, true}) {
        const EpochState epoch = epoch_with_tilt(0.0);
        const T01Prepared model = prepare(storm, driving(2.0, -20.0, 1.0, -3.0, 2.0, 3.0, 4.0), epoch);
        for (double edge : {model.inside_limit, model.outside_limit}) {
            const double x = 3.4397 + (edge - 1.0) * 34.586;
            const T01Field below = field_at(model, epoch, x - 1e-9, 0.0, 0.0);
            const T01Field above = field_at(model, epoch, x + 1e-9, 0.0, 0.0);
            EXPECT_NEAR(below.x, above.x, 1e-5) << edge;
            EXPECT_NEAR(below.y, above.y, 1e-5) << edge;
            EXPECT_NEAR(below.z, above.z, 1e-5) << edge;
        }
    }
}

// ---------------------------------------------------------------- divergence

TEST(T01Model, FieldIsDivergenceFreeInsideTheMagnetopause) {
    for (bool storm : {false, true}) {
        for (double tilt : {0.0, 0.35, -0.3}) {
            const EpochState epoch = epoch_with_tilt(tilt);
            const T01Prepared model = prepare(storm, driving(2.5, -60.0, 2.0, -4.0, 3.0, 5.0, 6.0), epoch);
            for (const auto& p : {std::array<double, 3>{-6.0, 2.0, 1.5}, {-15.0, -4.0, 3.0}, {4.0, 3.0, -2.0},
                                  {-2.0, 6.0, 5.0}}) {
                const auto f = [&](double x, double y, double z) { return field_at(model, epoch, x, y, z); };
                const testing_support::Divergence d = testing_support::divergence(f, p[0], p[1], p[2]);
                EXPECT_LT(std::abs(d.value), 1e-5 * d.scale)
                    << (storm ? "storm-time" : "T01") << ", tilt " << tilt << " at " << p[0] << ", " << p[1] << ", "
                    << p[2];
            }
        }
    }
}

// ---------------------------------------------------------------- tilt deformation

TEST(T01TiltDeformation, PassesStayFarBelowTheCap) {
    int most = 0;
    for (double tilt = -0.6; tilt <= 0.61; tilt += 0.1) {
        const EpochState epoch = epoch_with_tilt(tilt);
        for (bool storm : {false, true}) {
            const T01Prepared model = prepare(storm, driving(2.0, -20.0, 1.0, -1.0, 1.0, 1.0, 1.0), epoch);
            for (double r : {1.0, 3.0, 7.0, 12.0, 25.0, 60.0}) {
                for (int i = 0; i < 12; ++i) {
                    for (int j = 1; j < 12; ++j) {
                        const double phi = 2.0 * M_PI * i / 12.0, theta = M_PI * j / 12.0;
                        const int passes = t01_boundary_coordinate(model, r * std::sin(theta) * std::cos(phi),
                                                                   r * std::sin(theta) * std::sin(phi),
                                                                   r * std::cos(theta)).passes;
                        most = std::max(most, passes);
                    }
                }
            }
        }
    }
    std::printf("  most tilt passes over the sweep: %d\n", most);
    EXPECT_GT(most, 1);
    EXPECT_LT(most, 40);
}

// The iteration ends on its own after one pass for a non-finite coordinate,
// whose iterates are not numbers (the cap is never reached).
TEST(T01TiltDeformation, NonFiniteCoordinateEndsTheIteration) {
    for (const double x : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        const T01TiltDeformation d = t01_tilt_deformation(x, 1.0, 5.0, std::sin(0.3), 8.94335, -5.2, 0.33333333);
        EXPECT_EQ(d.passes, 1) << x;
        EXPECT_FALSE(std::isfinite(d.xs)) << x;
    }
}

}  // namespace
}  // namespace cones
