#include "tracing/lane_scheduler.hpp"

#include <array>

#include "tracing/lane_kernels.hpp"
#include "tracing/trajectory_stepper.hpp"

namespace cones {
namespace {

template <class M>
void trace_in_model_lanes(const TraceSettings& settings, const JobList& jobs, int width, LaneQueue& queue,
                          LaneStatistics& statistics) {
    const BatchDerivatives evaluate = lane_derivatives(static_cast<unsigned>(width), field_model<M>);
    std::array<TrajectoryStepper<M>, kMaxLanes> lanes;
    std::array<std::size_t, kMaxLanes> job{};
    std::array<bool, kMaxLanes> busy{};
    int in_flight = 0;
    bool jobs_left = true;
    DerivativeBatch batch;
    // Counted here and added once at the end, so that counting costs nothing
    // measurable.
    std::uint64_t batches = 0, busy_lanes = 0;
    const auto add_counts = [&] {
        statistics.batches += batches;
        statistics.busy_lanes += busy_lanes;
    };

    for (;;) {
        // Every busy lane goes on to its next derivative; a finished lane hands
        // on its result and takes the next job.
        batch.count = 0;
        for (int lane = 0; lane < width; ++lane) {
            TrajectoryStepper<M>& trajectory = lanes[lane];
            bool waiting = false;
            for (;;) {
                if (busy[lane]) {
                    if (trajectory.advance()) {
                        waiting = true;
                        break;
                    }
                    busy[lane] = false;
                    --in_flight;
                    if (!queue.put(job[lane], trajectory.result())) {
                        add_counts();
                        return;
                    }
                }
                if (!jobs_left) break;
                const LaneQueue::Take taken = queue.take(job[lane], in_flight == 0);
                if (taken == LaneQueue::Take::kNone) jobs_left = false;
                if (taken != LaneQueue::Take::kTaken) break;
                const TraceJob next = jobs.at(job[lane]);
                trajectory.start(settings, next.station, traced_motion(settings, next.rigidity));
                busy[lane] = true;
                ++in_flight;
            }
            if (waiting) {
                const int slot = batch.count++;
                batch.state[slot] = trajectory.point_y();
                batch.derivative[slot] = trajectory.derivative();
                batch.charge_to_mass[slot] = trajectory.charge_to_mass();
            }
        }
        // A lane with no trajectory only waits for a job when the thread has
        // none in flight, so an empty batch means that all is done.
        if (batch.count == 0) break;
        evaluate(settings.field, batch);
        ++batches;
        busy_lanes += static_cast<std::uint64_t>(batch.count);
    }
    add_counts();
}

}  // namespace

void trace_in_lanes(const TraceSettings& settings, const JobList& jobs, unsigned width, LaneQueue& queue,
                    LaneStatistics& statistics) {
    with_field_model(settings.field.model, [&](auto row) {
        trace_in_model_lanes<typename decltype(row)::type>(settings, jobs, static_cast<int>(width), queue, statistics);
    });
}

}  // namespace cones
