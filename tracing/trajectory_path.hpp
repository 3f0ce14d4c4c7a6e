// The path of one cosmic-ray trajectory: every accepted step of its
// integration with the time, the position in GSM and GEO and the field
// strength there, and how the trajectory ended. The trajectory is traced by
// exactly the arithmetic of trace_trajectory, so its end is the asymptotic
// direction that the cones of a run give for the same station entry and
// rigidity.
#pragma once

#include <string_view>
#include <vector>

#include "tracing/trajectory.hpp"

namespace cones {

// One accepted step of the integration (and the start).
struct PathPoint {
    double time = 0.0;                 // trajectory time, s (0 at the start)
    double gsm[3] = {0.0, 0.0, 0.0};   // position, GSM, Earth radii
    double geo[3] = {0.0, 0.0, 0.0};   // the same position, GEO, Earth radii
    double field = 0.0;                // |B| of the run's field model there, nT
};

// Which stop rule ended a trajectory.
enum class TrajectoryEnd {
    kMagnetopause,       // allowed: beyond 7 Earth radii outside the model's boundary
    kTail,               // allowed: down the tail, at GSM x of -70 Earth radii or less
    kEarth,              // forbidden: back below the Earth's surface (r < 1)
    kTimeLimit,          // forbidden: still inside after 10 s of trajectory time (trapped)
    kIntegrationFailed,  // neither: the integrator could not meet its tolerances
};

// The stop rule that ended a traced trajectory.
// Given:    result  what trace_trajectory (or trace_path) returned.
// Returned: the rule, from the outcome, the final time and the final GSM
//           state: forbidden with r <= 1 is kEarth and otherwise kTimeLimit;
//           allowed at x <= -70 Earth radii is kTail and otherwise
//           kMagnetopause.
TrajectoryEnd trajectory_end(const TraceResult& result);

// The end as words for tables and messages: "escaped through the
// magnetopause", "escaped down the tail", "returned to the Earth", "trapped
// (time limit)", "integration failed".
std::string_view trajectory_end_text(TrajectoryEnd end);

// A short key of the end for files and programs: "magnetopause", "tail",
// "earth", "time_limit", "integration_failed".
std::string_view trajectory_end_key(TrajectoryEnd end);

struct TrajectoryPath {
    std::vector<PathPoint> points;  // the start and every accepted step, in order
    TraceResult result;             // exactly what trace_trajectory returns
    TrajectoryEnd end = TrajectoryEnd::kEarth;
};

// Traces one trajectory and records its path.
// Given:    settings  the run's settings (field model, start radius, output
//           frame, longitude window); station  the station entry;
//           motion  the proton motion of the rigidity.
// Returned: the start point and the point of every accepted integration step
//           (time, GSM and GEO position, |B| in nT), the result of
//           trace_trajectory bit for bit, and the stop rule that ended it.
// Notes:    the trajectory is stepped by TrajectoryStepper with the model's own
//           derivative routine, as trace_trajectory steps it; the points are
//           the derivative requests at the trajectory's own state (the start
//           and each accepted point), so the last point is the final state of
//           the result. The field strength is one more evaluation of the
//           model per point and does not enter the tracing. A trajectory of
//           10 s may take some ten thousand steps; the path holds them all.
TrajectoryPath trace_path(const TraceSettings& settings, const StationEntry& station, const ProtonMotion& motion);

}  // namespace cones
