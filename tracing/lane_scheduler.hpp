// Several trajectories in flight on one thread, one per vector lane: each
// waits for one derivative of its equation of motion, all waiting points are
// evaluated together, and a finished lane takes the next job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "tracing/inputs.hpp"
#include "tracing/trajectory.hpp"

namespace cones {

// One trajectory to trace.
struct TraceJob {
    StationEntry station;
    double rigidity = 0.0;  // GV
};

// The trajectories of a run: `count` jobs, the job at an index given by `at`.
// `at` is called from the worker threads and must only read shared data.
struct JobList {
    std::size_t count = 0;
    std::function<TraceJob(std::size_t index)> at;
};

// How full the lanes were: over the batches of derivative evaluations, the
// lanes that held a trajectory (the others computed on a stand-in point).
struct LaneStatistics {
    unsigned width = 0;             // lanes per batch (1: the scalar path)
    std::uint64_t batches = 0;      // batches evaluated
    std::uint64_t busy_lanes = 0;   // lanes holding a trajectory, summed over the batches

    // Fraction of the lanes busy per batch, averaged over the batches (0 when
    // there was none).
    double occupancy() const {
        return batches == 0 ? 0.0 : static_cast<double>(busy_lanes) / (static_cast<double>(batches) * width);
    }
};

// Where a thread's lanes take their jobs and leave their results.
class LaneQueue {
public:
    enum class Take {
        kTaken,   // `index` is the next job
        kNotNow,  // none can be taken now (the results ahead are not yet handed on)
        kNone,    // none is left, or the run has ended
    };
    // The next job. With `wait` it waits as long as needed instead of
    // answering kNotNow; lanes wait only when they hold no trajectory, so a
    // thread never waits on results that it has yet to compute.
    virtual Take take(std::size_t& index, bool wait) = 0;
    // The result of a job; false when the run has ended and no more results
    // are wanted.
    virtual bool put(std::size_t index, const TraceResult& result) = 0;

protected:
    ~LaneQueue() = default;
};

// Traces the jobs that `queue` gives with `width` trajectories in flight (2,
// 4 or 8, a width of lane_widths()), evaluating their field with the batch
// routine of the run's model, until the queue has none left or the run has
// ended. Each trajectory's result is bit for bit that of trace_trajectory.
// The batches and busy lanes are added to `statistics`.
// An exception from `jobs.at` leaves the function; the trajectories in flight
// are dropped.
void trace_in_lanes(const TraceSettings& settings, const JobList& jobs, unsigned width, LaneQueue& queue,
                    LaneStatistics& statistics);

}  // namespace cones
