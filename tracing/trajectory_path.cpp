#include "tracing/trajectory_path.hpp"

#include <cmath>

#include "tracing/trajectory_stepper.hpp"

namespace cones {

TrajectoryEnd trajectory_end(const TraceResult& result) {
    const TraceState& y = result.state;
    switch (result.outcome) {
        case TraceOutcome::kIntegrationFailed: return TrajectoryEnd::kIntegrationFailed;
        case TraceOutcome::kForbidden: {
            const double r = std::sqrt(y[1] * y[1] + y[0] * y[0] + y[2] * y[2]);
            return r > 1.0 ? TrajectoryEnd::kTimeLimit : TrajectoryEnd::kEarth;
        }
        case TraceOutcome::kAllowed: break;
    }
    return y[0] <= kTailLimit ? TrajectoryEnd::kTail : TrajectoryEnd::kMagnetopause;
}

std::string_view trajectory_end_text(TrajectoryEnd end) {
    switch (end) {
        case TrajectoryEnd::kMagnetopause: return "escaped through the magnetopause";
        case TrajectoryEnd::kTail: return "escaped down the tail";
        case TrajectoryEnd::kEarth: return "returned to the Earth";
        case TrajectoryEnd::kTimeLimit: return "trapped (time limit)";
        case TrajectoryEnd::kIntegrationFailed: break;
    }
    return "integration failed";
}

std::string_view trajectory_end_key(TrajectoryEnd end) {
    switch (end) {
        case TrajectoryEnd::kMagnetopause: return "magnetopause";
        case TrajectoryEnd::kTail: return "tail";
        case TrajectoryEnd::kEarth: return "earth";
        case TrajectoryEnd::kTimeLimit: return "time_limit";
        case TrajectoryEnd::kIntegrationFailed: break;
    }
    return "integration_failed";
}

namespace {

template <class M>
void record_path(const TraceSettings& settings, const StationEntry& station, const ProtonMotion& motion,
                 TrajectoryPath& path) {
    const EpochState& epoch = *settings.field.epoch;
    const typename M::Prepared& prepared = settings.field.prepared_for<M>();
    TrajectoryStepper<M> trajectory;
    trajectory.start(settings, station, motion);
    const ModelDerivatives<M> derivatives{&epoch, &prepared, motion.charge_to_mass};
    const double* own_state = trajectory.state().data();
    while (trajectory.advance()) {
        if (trajectory.point_y() == own_state) {
            PathPoint point;
            point.time = trajectory.point_t();
            for (int k = 0; k < 3; ++k) point.gsm[k] = own_state[k];
            double x = point.gsm[0], y = point.gsm[1], z = point.gsm[2];
            gsm_to_geo(epoch, x, y, z, x, y, z);
            point.geo[0] = x;
            point.geo[1] = y;
            point.geo[2] = z;
            double bx, by, bz;
            model_field_gsm<M>(prepared, epoch, point.gsm[0], point.gsm[1], point.gsm[2], bx, by, bz);
            point.field = std::sqrt(bx * bx + by * by + bz * bz);
            path.points.push_back(point);
        }
        derivatives(trajectory.point_t(), trajectory.point_y(), trajectory.derivative());
    }
    path.result = trajectory.result();
}

}  // namespace

TrajectoryPath trace_path(const TraceSettings& settings, const StationEntry& station, const ProtonMotion& motion) {
    TrajectoryPath path;
    with_field_model(settings.field.model, [&](auto row) {
        record_path<typename decltype(row)::type>(settings, station, motion, path);
    });
    path.end = trajectory_end(path.result);
    return path;
}

}  // namespace cones
