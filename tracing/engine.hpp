// The tracing engine's one entry point: trace a list of trajectories (a
// station entry and a rigidity each) on all hardware threads, several at once
// on each in the lanes of its vector unit, and hand the results back in list
// order. Callers never manage threads or lanes.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "tracing/inputs.hpp"
#include "tracing/lane_scheduler.hpp"
#include "tracing/trajectory.hpp"

namespace cones {

// Every station entry at every rigidity, rigidity by rigidity (the order of
// the lines of "Cones.dat"): job i is rigidity i / S at station i % S, for S
// station entries. The spans must outlive the list.
JobList rigidity_major_jobs(std::span<const StationEntry> stations, std::span<const double> rigidities);

// Number of worker threads: `requested` when it is positive, otherwise the
// number of hardware threads (at least 1).
unsigned engine_threads(unsigned requested);

// Receives the results in job order, on the calling thread, as soon as each
// result and all before it are complete. Returns false to end the run: no
// later result is handed over and the workers stop.
using ResultSink = std::function<bool(std::size_t index, const TraceResult& result)>;

// Told on the calling thread, before anything is traced, that the system
// refused a worker thread (a memory or process limit): the `started` workers
// trace the run instead of the `asked` ones, or the calling thread alone when
// none started; the results are the same. `reason` is the system's.
using FewerThreadsNotice = std::function<void(unsigned started, unsigned asked, const std::string& reason)>;

// How the engine traces a job list.
struct EngineOptions {
    // Worker threads: 0 all hardware threads; 1 on the calling thread, with no
    // worker thread.
    unsigned threads = 0;
    // Trajectories in flight per thread, one per vector lane: 0 the best for
    // the run's field model (the widest the processor has where the field
    // fills the lanes, as every model's does; else the scalar path); 1 the
    // scalar path, one trajectory after the other; otherwise one of
    // lane_widths().
    unsigned lanes = 0;
    // When set, receives the width and the lane occupancy of the run.
    LaneStatistics* statistics = nullptr;
    // Called when the system refuses a worker thread; may be empty.
    FewerThreadsNotice on_fewer_threads;
};

// Lanes per thread.
// Given: the requested width (0: the best for the field model); the model.
// Returned: `requested` when it is one of lane_widths(); for 0 the widest of
// them when the model's field fills the lanes (every model's does), 1 (the
// scalar path) for a field evaluated lane by lane, which lanes only slow down.
// Notes: any other width is a std::invalid_argument.
unsigned engine_lanes(unsigned requested, FieldModel model);

// Traces a job list.
// Given: the run's settings, the jobs, how to trace them (threads, lanes,
// where to leave the lane occupancy) and the sink of the results.
// Returned: every result handed to `sink` in job order, on the calling
// thread; the number of results handed over (fewer than the jobs when the
// sink ended the run).
// Notes: results are identical for every thread count and lane width: each
// trajectory is traced by exactly the same arithmetic. With lanes, each
// thread takes up to `lanes` jobs at a time and at most 64 per lane ahead of
// the sink, so memory stays bounded. An exception thrown by a worker (out of
// memory, a job that cannot be built) is rethrown here after all workers have
// stopped; a width the processor lacks is a std::invalid_argument before
// anything is traced. A worker thread the system refuses to start does not
// end the run: it goes on with the threads started (see
// EngineOptions::on_fewer_threads), and however the run ends every worker
// started is stopped and joined.
std::size_t trace_jobs(const TraceSettings& settings, const JobList& jobs, const EngineOptions& options,
                       const ResultSink& sink);

// The same with `threads` worker threads and the model's best lanes.
std::size_t trace_jobs(const TraceSettings& settings, const JobList& jobs, unsigned threads,
                       const ResultSink& sink);

}  // namespace cones
