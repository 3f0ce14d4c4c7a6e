// The tracing engine's one entry point: trace a list of trajectories (a
// station entry and a rigidity each) on all hardware threads and hand the
// results back in list order. Callers never manage threads.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

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

// Every station entry at every rigidity, rigidity by rigidity (the order of
// the lines of "Cones.dat"): job i is rigidity i / S at station i % S, for S
// station entries. The spans must outlive the list.
JobList rigidity_major_jobs(std::span<const StationEntry> stations, std::span<const double> rigidities);

// Every rigidity at every station entry, station by station (the order of a
// cutoff scan): job i is station i / R at rigidity i % R, for R rigidities.
JobList station_major_jobs(std::span<const StationEntry> stations, std::span<const double> rigidities);

// Number of worker threads: `requested` when it is positive, otherwise the
// number of hardware threads (at least 1).
unsigned engine_threads(unsigned requested);

// Receives the results in job order, on the calling thread, as soon as each
// result and all before it are complete. Returns false to end the run: no
// later result is handed over and the workers stop.
using ResultSink = std::function<bool(std::size_t index, const TraceResult& result)>;

// Traces the jobs with `threads` worker threads (0: all hardware threads; 1:
// one after the other on the calling thread, with no worker thread) and hands
// every result to `sink` in job order. Results are identical for every thread
// count: each trajectory is traced by exactly the same arithmetic.
// Returns the number of results handed over (fewer than the jobs when the
// sink ended the run). An exception thrown by a worker (out of memory) is
// rethrown here after all workers have stopped.
std::size_t trace_jobs(const TraceSettings& settings, const JobList& jobs, unsigned threads,
                       const ResultSink& sink);

}  // namespace cones
