// The recorded path of one trajectory: its result is trace_trajectory's bit
// for bit, its points are the start and the accepted steps (the last one the
// final state), GEO and GSM are the same points, |B| is the model's field
// there; and the stop rule named for each way a trajectory ends.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "tracing/field_selector.hpp"
#include "tracing/trajectory.hpp"
#include "tracing/trajectory_path.hpp"

namespace cones {
namespace {

TEST(TrajectoryPath, ResultIsTheTracersAndThePointsEndOnItsState) {
    std::ostringstream notice;
    const EpochState epoch = set_epoch(kIgrf13, 2003, 302, 6, 30, 0, notice);
    ModelParameters parameters{};
    parameters[7] = 5.0;  // Kp
    struct Case {
        FieldModel model;
        StationEntry station;
        double rigidity;
    };
    const Case cases[] = {
        {field_model<ReferenceFieldModel>, {65.05, 25.47, 0, 0}, 5.0},    // allowed
        {field_model<ReferenceFieldModel>, {-19.2, 17.58, 0, 0}, 3.0},    // forbidden
        {field_model<T89Model>, {46.55, 7.98, 30, 90}, 6.5},              // in the penumbra
        {field_model<T89Model>, {18.59, 98.49, 45, 200}, 17.5},
        {field_model<DipoleModel>, {0.0, 0.0, 60, 270}, 1.0},
    };
    int allowed = 0;
    for (const Case& c : cases) {
        TraceSettings settings;
        settings.field = make_field_context(epoch, c.model, parameters);
        settings.start_radius = start_radius(20.0);
        settings.output_frame = OutputFrame::kGse;
        const ProtonMotion motion = proton_motion(c.rigidity);
        const TraceResult expected = trace_trajectory(settings, c.station, motion);
        const TrajectoryPath path = trace_path(settings, c.station, motion);
        const std::string where = "latitude " + std::to_string(c.station.latitude) + " at " +
                                  std::to_string(c.rigidity) + " GV";

        EXPECT_EQ(path.result.outcome, expected.outcome) << where;
        EXPECT_EQ(path.result.steps, expected.steps) << where;
        EXPECT_EQ(path.result.time, expected.time) << where;
        EXPECT_EQ(path.result.state, expected.state) << where;
        if (expected.outcome == TraceOutcome::kAllowed) {
            ++allowed;
            EXPECT_EQ(path.result.latitude, expected.latitude) << where;
            EXPECT_EQ(path.result.longitude, expected.longitude) << where;
        }
        EXPECT_EQ(path.end, trajectory_end(expected)) << where;

        ASSERT_GE(path.points.size(), 2u) << where;
        // The start at the start radius at t = 0; one point per step at most.
        const PathPoint& first = path.points.front();
        EXPECT_EQ(first.time, 0.0);
        EXPECT_NEAR(std::hypot(first.gsm[0], first.gsm[1], first.gsm[2]), settings.start_radius, 1e-14);
        EXPECT_LE(static_cast<long>(path.points.size()), expected.steps + 1) << where;
        const PathPoint& last = path.points.back();
        EXPECT_EQ(last.time, expected.time) << where;
        for (int k = 0; k < 3; ++k) EXPECT_EQ(last.gsm[k], expected.state[k]) << where;
        for (std::size_t i = 0; i < path.points.size(); ++i) {
            const PathPoint& point = path.points[i];
            if (i > 0) {
                ASSERT_GT(point.time, path.points[i - 1].time) << where << ", point " << i;
            }
            double x = point.geo[0], y = point.geo[1], z = point.geo[2];
            geo_to_gsm(epoch, x, y, z, x, y, z);
            EXPECT_NEAR(x, point.gsm[0], 1e-12) << where << ", point " << i;
            EXPECT_NEAR(y, point.gsm[1], 1e-12) << where << ", point " << i;
            EXPECT_NEAR(z, point.gsm[2], 1e-12) << where << ", point " << i;
            double bx, by, bz;
            total_field_gsm(settings.field, point.gsm[0], point.gsm[1], point.gsm[2], bx, by, bz);
            EXPECT_EQ(point.field, std::sqrt(bx * bx + by * by + bz * bz)) << where << ", point " << i;
        }
    }
    EXPECT_GT(allowed, 0);
    EXPECT_LT(allowed, static_cast<int>(std::size(cases)));
}

TEST(TrajectoryPath, EachStopRuleIsNamed) {
    struct Case {
        TraceOutcome outcome;
        double time;
        TraceState state;
        TrajectoryEnd end;
        const char* key;
    };
    const Case cases[] = {
        {TraceOutcome::kAllowed, 0.4, {12.0, 3.0, 1.0, 0, 0, 0}, TrajectoryEnd::kMagnetopause, "magnetopause"},
        {TraceOutcome::kAllowed, 2.0, {-70.0, 3.0, 1.0, 0, 0, 0}, TrajectoryEnd::kTail, "tail"},
        {TraceOutcome::kAllowed, 2.0, {-69.9, 3.0, 1.0, 0, 0, 0}, TrajectoryEnd::kMagnetopause, "magnetopause"},
        {TraceOutcome::kForbidden, 0.1, {0.99, 0.0, 0.1, 0, 0, 0}, TrajectoryEnd::kEarth, "earth"},
        {TraceOutcome::kForbidden, 10.0001, {3.0, 1.0, 0.5, 0, 0, 0}, TrajectoryEnd::kTimeLimit, "time_limit"},
        {TraceOutcome::kIntegrationFailed, 0.2, {2.0, 0, 0, 0, 0, 0}, TrajectoryEnd::kIntegrationFailed,
         "integration_failed"},
    };
    for (const Case& c : cases) {
        TraceResult result;
        result.outcome = c.outcome;
        result.time = c.time;
        result.state = c.state;
        EXPECT_EQ(trajectory_end(result), c.end) << c.key << " at x = " << c.state[0];
        EXPECT_EQ(trajectory_end_key(trajectory_end(result)), c.key);
    }
}

}  // namespace
}  // namespace cones
