// Field selection, equation of motion, start state, classification and the
// physics of traced trajectories.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "tracing/field_selector.hpp"
#include "tracing/integrator.hpp"
#include "tracing/trajectory.hpp"

namespace cones {
namespace {

constexpr double kPi = 3.14159265358979323846;

EpochState epoch_2015() {
    std::ostringstream notice;
    return set_epoch(2015, 172, 12, 0, 0, notice);
}

StationEntry station(double latitude, double longitude, int zenith, int azimuth) {
    StationEntry s;
    s.latitude = latitude;
    s.longitude = longitude;
    s.zenith = zenith;
    s.azimuth = azimuth;
    return s;
}

TraceSettings settings_for(const EpochState& epoch, FieldModel model,
                           const ModelParameters& parameters = ModelParameters{}) {
    TraceSettings settings;
    settings.field = make_field_context(epoch, model, parameters);
    settings.start_radius = start_radius(20.0);
    return settings;
}

TEST(ProtonMotion, SpeedAndStartRadiusOfTheReferenceTrajectory) {
    EXPECT_NEAR(start_radius(20.0), 1.0031391, 5e-8);
    const ProtonMotion motion = proton_motion(10.0);
    EXPECT_NEAR(motion.speed, 46.84856, 5e-6);
    const double beta = motion.speed * kEarthRadius / kSpeedOfLight;
    const double gamma = 1.0 / std::sqrt(1.0 - beta * beta);
    EXPECT_NEAR(motion.charge_to_mass * gamma, kProtonChargeToMass, 1e-6);
    // p c = gamma m c^2 beta = R (GV) for a proton.
    EXPECT_NEAR(gamma * beta * kProtonRestEnergy, 10.0, 1e-9);
}

TEST(FieldSelector, EachCodeEvaluatesItsModels) {
    const EpochState epoch = epoch_2015();
    ModelParameters parameters{};
    parameters[0] = 3.0;    // P, nPa
    parameters[1] = -40.0;  // Dst, nT
    parameters[2] = 2.0;    // IMF By, Bz, nT
    parameters[3] = -5.0;
    parameters[4] = 4.0;  // G1..G3
    parameters[5] = 6.0;
    parameters[6] = 8.0;
    parameters[7] = 2.0;  // Kp
    const double x = -3.1, y = 1.7, z = 2.2;
    struct Field {
        double x = 0.0, y = 0.0, z = 0.0;
    };
    Field dipole, internal, t89, t96, t01, storm;
    dipole_field_gsm(epoch, x, y, z, dipole.x, dipole.y, dipole.z);
    internal_field_gsm(epoch, x, y, z, internal.x, internal.y, internal.z);
    t89_external_field(t89_coefficients(3), epoch, x, y, z, t89.x, t89.y, t89.z);
    t96_external_field(t96_prepare(parameters, epoch), epoch, x, y, z, t96.x, t96.y, t96.z);
    // The T01 models share one evaluator; each code must take its own preparation.
    t01_external_field(t01_prepare(parameters, epoch), epoch, x, y, z, t01.x, t01.y, t01.z);
    t01_external_field(t01_storm_prepare(parameters, epoch), epoch, x, y, z, storm.x, storm.y, storm.z);
    EXPECT_GT(std::abs(t96.x) + std::abs(t96.y) + std::abs(t96.z), 1.0);
    EXPECT_NE(t01.x, storm.x);

    struct Case {
        FieldModel model;
        Field internal, external;  // the field expected is their sum
    };
    const Case cases[] = {
        {field_model<DipoleModel>, dipole, {}},        {field_model<ReferenceFieldModel>, internal, {}},
        {field_model<UnboundedReferenceFieldModel>, internal, {}}, {field_model<T89Model>, internal, t89},
        {field_model<T96Model>, internal, t96},        {field_model<T01Model>, internal, t01},
        {field_model<T01StormModel>, internal, storm},
    };
    for (const Case& c : cases) {
        double bx, by, bz;
        total_field_gsm(make_field_context(epoch, c.model, parameters), x, y, z, bx, by, bz);
        EXPECT_EQ(bx, c.internal.x + c.external.x) << static_cast<int>(c.model);
        EXPECT_EQ(by, c.internal.y + c.external.y) << static_cast<int>(c.model);
        EXPECT_EQ(bz, c.internal.z + c.external.z) << static_cast<int>(c.model);
    }
}

TEST(EquationOfMotion, LorentzForceOfTheReversedCharge) {
    const EpochState epoch = epoch_2015();
    const FieldContext field = make_field_context(epoch, field_model<ReferenceFieldModel>, ModelParameters{});
    const double p[3] = {1.3, -0.4, 0.9};
    double bx, by, bz;
    total_field_gsm(field, p[0], p[1], p[2], bx, by, bz);

    TrajectoryDerivatives forward{&field, 9.0e7};
    TrajectoryDerivatives reversed{&field, -9.0e7};
    const double state[6] = {p[0], p[1], p[2], 12.0, -30.0, 5.0};
    double a[6], b[6];
    forward(0.0, state, a);
    reversed(0.0, state, b);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(a[k], state[k + 3]);
        EXPECT_EQ(b[k + 3], -a[k + 3]);
    }
    // a = -q (v x B) 1e-9
    EXPECT_NEAR(a[3], -(-30.0 * bz - 5.0 * by) * 9.0e7 / 1e9, 1e-9 * std::fabs(a[3]));
    // The acceleration is perpendicular to v.
    EXPECT_NEAR(a[3] * 12.0 - a[4] * 30.0 + a[5] * 5.0, 0.0, 1e-9 * std::hypot(a[3], a[4], a[5]) * 33);

    // Velocity along the field: no force.
    const double along[6] = {p[0], p[1], p[2], bx * 1e-3, by * 1e-3, bz * 1e-3};
    forward(0.0, along, a);
    const double scale = 9.0e7 * 1e-9 * std::hypot(bx, by, bz) * std::hypot(bx, by, bz) * 1e-3;
    for (int k = 3; k < 6; ++k) EXPECT_NEAR(a[k], 0.0, 1e-14 * scale);
}

TEST(StartState, ZenithAndAzimuthInTheLocalSky) {
    EpochState aligned;  // GSM coincides with GEO
    struct Case {
        double latitude, longitude;
        int zenith, azimuth;
        double position[3], velocity[3];
    };
    const double r0 = 1.25, v = 2.0;
    const Case cases[] = {
        {0, 90, 0, 0, {0, r0, 0}, {0, v, 0}},
        {0, 90, 0, 137, {0, r0, 0}, {0, v, 0}},     // vertical: azimuth has no effect
        {0, 90, 90, 90, {0, r0, 0}, {-v, 0, 0}},    // eastward
        {0, 90, 90, 0, {0, r0, 0}, {0, 0, v}},      // northward
        {0, -90, 90, -90, {0, -r0, 0}, {-v, 0, 0}}, // west at 270 E, azimuth -90 = 270
        {90, 0, 0, 0, {0, 0, r0}, {0, 0, v}},
        {0, 0, 180, 0, {r0, 0, 0}, {-v, 0, 0}},     // into the Earth
    };
    for (const Case& c : cases) {
        const TraceState s = start_state(aligned, station(c.latitude, c.longitude, c.zenith, c.azimuth), r0, v);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(s[k], c.position[k], 1e-8) << c.longitude << " " << c.zenith << " " << c.azimuth;
            EXPECT_NEAR(s[k + 3], c.velocity[k], 1e-8) << c.longitude << " " << c.zenith << " " << c.azimuth;
        }
    }
}

// A station at geodetic latitude 60 degrees, 20 km above the ellipsoid:
// its start point and its arrival directions against an independent
// construction from the ellipse's parametric form. The surface point at
// geodetic latitude phi is (a cos beta, b sin beta) in the meridian plane,
// tan beta = (b / a) tan phi; its normal is the gradient (x / a^2, z / b^2);
// the start point lies 20 km along it.
TEST(StartState, GeodeticStationAt60DegreesStartsAlongTheEllipsoidsNormal) {
    const EpochState epoch = epoch_2015();
    const double a = 6378.137, b = a * (1.0 - 1.0 / 298.257223563), h = 20.0;
    const double phi = 60.0 * kPi / 180.0, lambda = -40.0 * kPi / 180.0;
    const double beta = std::atan(b / a * std::tan(phi));
    const double surface[3] = {a * std::cos(beta) * std::cos(lambda), a * std::cos(beta) * std::sin(lambda),
                               b * std::sin(beta)};
    double normal[3] = {surface[0] / (a * a), surface[1] / (a * a), surface[2] / (b * b)};
    const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    for (double& n : normal) n /= length;
    const double east[3] = {-std::sin(lambda), std::cos(lambda), 0.0};
    // north = up x east
    const double north[3] = {normal[1] * east[2] - normal[2] * east[1], normal[2] * east[0] - normal[0] * east[2],
                             normal[0] * east[1] - normal[1] * east[0]};

    TraceSettings settings = settings_for(epoch, field_model<ReferenceFieldModel>);
    settings.geodetic = true;
    settings.start_altitude_km = h;
    const double v = 0.5;
    struct Case {
        int zenith, azimuth;
        double up, north, east;  // the expected direction in the local frame
    };
    const double c30 = std::cos(30.0 * kPi / 180.0), s30 = std::sin(30.0 * kPi / 180.0);
    const Case cases[] = {{0, 0, 1, 0, 0}, {0, 200, 1, 0, 0}, {30, 0, c30, s30, 0}, {30, 90, c30, 0, s30},
                          {30, -90, c30, 0, -s30}, {90, 180, 0, -1, 0}};
    for (const Case& c : cases) {
        const TraceState s = trace_start_state(settings, station(60.0, -40.0, c.zenith, c.azimuth), v);
        double x, y, z, vx, vy, vz;
        gsm_to_geo(epoch, s[0], s[1], s[2], x, y, z);
        gsm_to_geo(epoch, s[3], s[4], s[5], vx, vy, vz);
        const double position[3] = {x, y, z}, velocity[3] = {vx, vy, vz};
        for (int k = 0; k < 3; ++k) {
            // 1e-10 Earth radii: under a millimetre.
            EXPECT_NEAR(position[k], (surface[k] + h * normal[k]) / 6371.2, 1e-10) << c.zenith << " " << c.azimuth;
            EXPECT_NEAR(velocity[k], v * (c.up * normal[k] + c.north * north[k] + c.east * east[k]), 1e-10)
                << c.zenith << " " << c.azimuth;
        }
    }
    // Without the choice the same entry starts on the sphere, radially.
    settings.geodetic = false;
    const TraceState sphere = trace_start_state(settings, station(60.0, -40.0, 0, 0), v);
    const TraceState expected = start_state(epoch, station(60.0, -40.0, 0, 0), settings.start_radius, v);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(sphere[k], expected[k]) << k;
}

TEST(AsymptoticDirection, FrameAndLongitudeWindow) {
    EpochState aligned;
    TraceSettings settings;
    settings.field.epoch = &aligned;
    struct Case {
        double lon_min, lon_max;
        double direction_longitude;
        double expected;
    };
    const Case cases[] = {
        {-180, 180, 200, -160}, {-180, 180, 100, 100}, {0, 360, 200, 200},
        {0, 360, 359, 359},     {-90, 270, 300, -60},  {-360, 0, 10, -350},
    };
    for (const Case& c : cases) {
        settings.longitude_min = c.lon_min;
        settings.longitude_max = c.lon_max;
        const double phi = c.direction_longitude * kDegreesToRadians;
        double latitude, longitude;
        asymptotic_direction(settings, 5 * std::cos(phi), 5 * std::sin(phi), 5.0, latitude, longitude);
        EXPECT_NEAR(latitude, 45.0, 1e-6);
        // A negative longitude is wrapped by the single-precision full turn,
        // 1e-5 degrees more than 360.
        EXPECT_NEAR(longitude, c.expected, 2e-5) << c.lon_min << " " << c.direction_longitude;
    }
}

TEST(AsymptoticDirection, EachOutputFrameOfATiltedEpoch) {
    // With the tilt of a solstice the GSE and GSM frames are some ten degrees
    // apart about their common X axis.
    const EpochState epoch = epoch_2015();
    ASSERT_GT(std::fabs(epoch.sin_gse_gsm), 0.1);
    const double v[3] = {-1.5, 2.5, 4.0};  // GSM
    const auto& a = epoch.geo_gsm_matrix;  // GEO = a * GSM
    double geo[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) geo[i] += a[i][j] * v[j];
    // GSM Y = cos GSE Y + sin GSE Z, GSM Z = -sin GSE Y + cos GSE Z.
    const double c = epoch.cos_gse_gsm, s = epoch.sin_gse_gsm;
    const double gse[3] = {v[0], c * v[1] - s * v[2], s * v[1] + c * v[2]};
    struct Case {
        const char* name;
        OutputFrame frame;
        const double* direction;  // the vector in that frame
    };
    const Case cases[] = {{"GEO", OutputFrame::kGeo, geo}, {"GSE", OutputFrame::kGse, gse}, {"GSM", OutputFrame::kGsm, v}};
    TraceSettings settings;
    settings.field.epoch = &epoch;
    for (const Case& entry : cases) {
        settings.output_frame = entry.frame;
        const double* d = entry.direction;
        double latitude, longitude;
        asymptotic_direction(settings, v[0], v[1], v[2], latitude, longitude);
        EXPECT_NEAR(latitude, std::atan2(d[2], std::hypot(d[0], d[1])) * 180 / kPi, 1e-6) << entry.name;
        EXPECT_NEAR(longitude, std::atan2(d[1], d[0]) * 180 / kPi, 2e-5) << entry.name;
    }
}

// Velocity in GSM of a station's vertical start.
double gsm_x_of_vertical(const EpochState& epoch, const StationEntry& s) {
    return start_state(epoch, s, 1.0, 1.0)[3];
}

// The tracer's integration repeated by hand: `steps` one-step calls toward
// t = 100 s with tolerances 1e-8 and 1e-6 from the start state of the entry.
struct HandStep {
    double t = 0.0;
    TraceState y{};
};
HandStep integrate_by_hand(const TraceSettings& settings, const StationEntry& s, const ProtonMotion& motion,
                           long steps) {
    RkfStepper<6> integrator;
    integrator.start(start_state(*settings.field.epoch, s, settings.start_radius, motion.speed), 0.0, 100.0,
                     {1e-8, 1e-6}, RkfMode::kOneStep);
    TrajectoryDerivatives derivatives{&settings.field, motion.charge_to_mass};
    for (long i = 0; i < steps; ++i) {
        rkf_integrate(integrator, derivatives);
        integrator.proceed(RkfMode::kOneStep);
    }
    return {integrator.t(), integrator.state()};
}

TEST(Tracing, TailLimitAllowsAndTimeLimitForbids) {
    // Without a magnetopause (IGRF unbounded) a 1000 GV proton sent up from the
    // night side reaches x = -70 and is allowed; sent up from the day side it
    // runs outward until the 10 s limit and is forbidden. A 0.25 GV proton from
    // the polar cap at 75 N 90 E gyrates out along the field in some 850 short
    // steps and then runs down the tail at 12 Earth radii per second, in steps
    // of 6 to 8 Earth radii, past x = -70 after 7.9 s: allowed. Each stops at
    // the first step beyond its limit. In IGRF with its boundary sphere the
    // 1000 GV protons leave the 30 Earth-radius sphere.
    const EpochState epoch = epoch_2015();
    const auto& a = epoch.geo_gsm_matrix;
    // Sub-solar point: GSM X axis in GEO.
    const double sun_lat = std::asin(a[2][0]) / kDegreesToRadians;
    const double sun_lon = std::atan2(a[1][0], a[0][0]) / kDegreesToRadians;
    const StationEntry day = station(sun_lat, sun_lon, 0, 0);
    const StationEntry night = station(-sun_lat, sun_lon + 180.0, 0, 0);
    ASSERT_GT(gsm_x_of_vertical(epoch, day), 0.99);
    ASSERT_LT(gsm_x_of_vertical(epoch, night), -0.99);

    struct Case {
        const char* what;
        StationEntry station;
        double rigidity;
        TraceOutcome outcome;
        double earliest, latest;  // bounds of the stop time, s
    };
    const Case cases[] = {
        {"night side, 1000 GV", night, 1000.0, TraceOutcome::kAllowed, 0.0, 2.0},
        {"polar cap, 0.25 GV", station(75.0, 90.0, 0, 0), 0.25, TraceOutcome::kAllowed, 5.0, 10.0},
        {"day side, 1000 GV", day, 1000.0, TraceOutcome::kForbidden, 10.0, 100.0},
    };
    const TraceSettings open = settings_for(epoch, field_model<UnboundedReferenceFieldModel>);
    for (const Case& c : cases) {
        const ProtonMotion motion = proton_motion(c.rigidity);
        const TraceResult traced = trace_trajectory(open, c.station, motion);
        EXPECT_EQ(traced.outcome, c.outcome) << c.what;
        EXPECT_GT(traced.time, c.earliest) << c.what;
        EXPECT_LE(traced.time, c.latest) << c.what;
        if (c.outcome == TraceOutcome::kAllowed) {
            EXPECT_LE(traced.state[0], -70.0) << c.what;
        } else {
            EXPECT_GT(traced.time, 10.0) << c.what;
        }
        // One step earlier the trajectory was short of both limits, and the
        // next step is the one the tracer stopped at.
        ASSERT_GT(traced.steps, 1) << c.what;
        const HandStep before = integrate_by_hand(open, c.station, motion, traced.steps - 1);
        EXPECT_GT(before.y[0], -70.0) << c.what;
        EXPECT_LE(before.t, 10.0) << c.what;
        const HandStep last = integrate_by_hand(open, c.station, motion, traced.steps);
        EXPECT_EQ(last.t, traced.time) << c.what;
        EXPECT_EQ(last.y, traced.state) << c.what;
    }
    const ProtonMotion motion = proton_motion(1000.0);
    for (const StationEntry& s : {day, night}) {
        const TraceResult closed = trace_trajectory(settings_for(epoch, field_model<ReferenceFieldModel>), s, motion);
        EXPECT_EQ(closed.outcome, TraceOutcome::kAllowed);
        EXPECT_GT(std::hypot(closed.state[0], closed.state[1], closed.state[2]), 30.0);
    }
}

TEST(Tracing, SpeedIsConservedAlongTheTrajectory) {
    const EpochState epoch = epoch_2015();
    struct Case {
        double latitude, longitude;
        int zenith, azimuth;
        double rigidity;
        FieldModel model;
    };
    const Case cases[] = {{46.55, 7.98, 0, 0, 5.0, field_model<ReferenceFieldModel>},
                          {40.0, -100.0, 30, 90, 2.0, field_model<ReferenceFieldModel>},
                          {18.59, 98.49, 0, 0, 15.0, field_model<DipoleModel>},
                          {-60.0, 20.0, 45, 200, 1.0, field_model<ReferenceFieldModel>},
                          {46.55, 7.98, 20, 270, 4.0, field_model<T89Model>},
                          {46.55, 7.98, 20, 270, 4.0, field_model<T96Model>}};
    for (const Case& c : cases) {
        ModelParameters parameters{};
        parameters[0] = 4.0;    // P for T96
        parameters[1] = -60.0;  // Dst
        parameters[3] = -6.0;   // IMF Bz
        parameters[7] = 3.0;    // Kp for T89
        const TraceSettings settings = settings_for(epoch, c.model, parameters);
        const ProtonMotion motion = proton_motion(c.rigidity);
        const TraceResult result =
            trace_trajectory(settings, station(c.latitude, c.longitude, c.zenith, c.azimuth), motion);
        ASSERT_NE(result.outcome, TraceOutcome::kIntegrationFailed);
        EXPECT_GT(result.steps, 20);
        const double speed = std::hypot(result.state[3], result.state[4], result.state[5]);
        // The magnetic force does no work; what remains is the integrator's
        // error, a few 1e-6 over thousands of steps of a trapped trajectory.
        // Any force component along v would change the speed by order one.
        EXPECT_NEAR(speed / motion.speed, 1.0, 5e-5) << c.latitude << " " << c.rigidity;
    }
}

TEST(Tracing, StormerVerticalCutoffAtTheDipoleEquator) {
    const EpochState epoch = epoch_2015();
    // A point of the geographic equator on the dipole equator: perpendicular
    // to the dipole axis m = (g11, h11, g10) / b0 (up to sign).
    const double mx = epoch.g_coef[2], my = epoch.h_coef[2];
    const double longitude = std::atan2(-mx, my) / kDegreesToRadians;
    const StationEntry equator = station(0.0, longitude, 0, 0);
    const TraceSettings settings = settings_for(epoch, field_model<DipoleModel>);
    // Vertical cutoff c B0 R_E / (4 r^2) of a dipole of equatorial surface field B0.
    const double r0 = settings.start_radius;
    const double cutoff = kSpeedOfLight * epoch.dipole_strength * 1e-9 * kEarthRadius / 4.0 / (r0 * r0) / 1e9;
    EXPECT_NEAR(cutoff, 14.2, 0.2);
    for (const double factor : {0.5, 0.8, 0.9}) {
        const TraceResult result = trace_trajectory(settings, equator, proton_motion(factor * cutoff));
        EXPECT_EQ(result.outcome, TraceOutcome::kForbidden) << factor;
    }
    for (const double factor : {1.1, 1.3, 2.0}) {
        const TraceResult result = trace_trajectory(settings, equator, proton_motion(factor * cutoff));
        EXPECT_EQ(result.outcome, TraceOutcome::kAllowed) << factor;
    }
}

TEST(Tracing, EastWestEffectOfPositiveParticles) {
    // Stormer cutoff at the dipole equator for zenith 60 degrees:
    // 4 Rv / (1 + sqrt(1 -/+ sin 60))^2, about 2.1 Rv from the east and
    // 0.7 Rv from the west (Rv the vertical cutoff). Protons come more easily
    // from the west.
    const EpochState epoch = epoch_2015();
    const double longitude = std::atan2(-epoch.g_coef[2], epoch.h_coef[2]) / kDegreesToRadians;
    const TraceSettings settings = settings_for(epoch, field_model<DipoleModel>);
    const ProtonMotion motion = proton_motion(15.0);  // about 1.05 Rv
    EXPECT_EQ(trace_trajectory(settings, station(0.0, longitude, 60, 90), motion).outcome,
              TraceOutcome::kForbidden);
    EXPECT_EQ(trace_trajectory(settings, station(0.0, longitude, 60, 270), motion).outcome,
              TraceOutcome::kAllowed);
}

// A negative particle's east-west effect is the mirror of the proton's: at
// the dipole equator, for zenith 60 degrees, Stormer's cutoff is
// 4 Rv / (1 + sqrt(1 - s sin 60 sin A))^2 with A the azimuth from magnetic
// north and s the charge sign, so a negative particle from magnetic east has
// the proton's cutoff from the west (0.70 Rv) and from the west the proton's
// from the east (2.14 Rv). Each is forbidden at 0.8 times its Stormer cutoff
// and allowed at 1.5 times; vertically both signs share Rv.
TEST(Tracing, ANegativeParticlesEastWestEffectMirrorsTheProtons) {
    const EpochState epoch = epoch_2015();
    const double b0 = epoch.dipole_strength;
    const double m[3] = {epoch.g_coef[2] / b0, epoch.h_coef[2] / b0, epoch.g_coef[1] / b0};
    const double longitude = std::atan2(-m[0], m[1]);
    // The declination there: the horizontal direction toward the northern
    // dipole pole (along -m), in degrees from geographic north through east.
    const double toward_east = -(-m[0] * std::sin(longitude) + m[1] * std::cos(longitude));
    const double toward_north = -m[2];
    const double declination = std::atan2(toward_east, toward_north) * 180.0 / kPi;
    TraceSettings settings = settings_for(epoch, field_model<DipoleModel>);
    const double r0 = settings.start_radius;
    const double vertical = kSpeedOfLight * b0 * 1e-9 * kEarthRadius / 4.0 / (r0 * r0) / 1e9;
    const auto stormer = [&](int zenith, double magnetic_azimuth, int sign) {
        const double t = 1.0 - sign * std::sin(zenith * kPi / 180.0) * std::sin(magnetic_azimuth * kPi / 180.0);
        return 4.0 * vertical / ((1.0 + std::sqrt(t)) * (1.0 + std::sqrt(t)));
    };
    struct Case {
        int zenith;
        double magnetic_azimuth;
    };
    for (const int sign : {1, -1}) {
        settings.charge_sign = sign;
        for (const Case c : {Case{60, 90.0}, Case{60, 270.0}, Case{0, 0.0}}) {
            StationEntry entry = station(0.0, longitude / kDegreesToRadians, c.zenith, 0);
            entry.azimuth = declination + c.magnetic_azimuth;
            const double cutoff = stormer(c.zenith, c.magnetic_azimuth, sign);
            SCOPED_TRACE(testing::Message() << "sign " << sign << ", zenith " << c.zenith << ", magnetic azimuth "
                                            << c.magnetic_azimuth << ", Stormer cutoff " << cutoff << " GV");
            EXPECT_EQ(trace_trajectory(settings, entry, traced_motion(settings, 0.8 * cutoff)).outcome,
                      TraceOutcome::kForbidden);
            EXPECT_EQ(trace_trajectory(settings, entry, traced_motion(settings, 1.5 * cutoff)).outcome,
                      TraceOutcome::kAllowed);
        }
    }
}

TEST(Tracing, AFieldThatIsNotANumberFailsTheIntegration) {
    EpochState broken = epoch_2015();
    broken.dipole_strength = std::numeric_limits<double>::quiet_NaN();
    const TraceResult result = trace_trajectory(settings_for(broken, field_model<DipoleModel>), station(50, 10, 0, 0), proton_motion(5.0));
    EXPECT_EQ(result.outcome, TraceOutcome::kIntegrationFailed);
}

}  // namespace
}  // namespace cones
