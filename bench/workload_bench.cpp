// The end-to-end workload of bench/workload/ traced by the engine on one
// thread at each lane width this processor has: trajectories per second and
// the lane occupancy (the fraction of the lanes of a batch that hold a
// trajectory, averaged over the batches), as benchmark counters.
//   build/release/bench/workload_bench --benchmark_filter=Workload/igrf

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "io/engine_inputs.hpp"
#include "io/config.hpp"
#include "tracing/engine.hpp"
#include "tracing/lane_kernels.hpp"

namespace cones {
namespace {

// The workload of one field model, read once, with its epoch and settings.
struct Workload {
    RunConfiguration config;
    EpochState epoch;
    TraceSettings settings;
    std::vector<StationEntry> stations;

    explicit Workload(const std::string& model) {
        config = read_configuration(std::string(CONES_SOURCE_DIR) + "/bench/workload/" + model + ".ini");
        std::ostringstream notice;
        epoch = epoch_of(config, notice);
        settings = trace_settings_of(config, epoch);
        stations = station_entries(config);
    }
};

void BM_Workload(benchmark::State& state, const std::string& model, unsigned lanes) {
    const Workload workload(model);
    const JobList jobs = rigidity_major_jobs(workload.stations, workload.config.rigidities);
    LaneStatistics statistics;
    EngineOptions options;
    options.threads = 1;
    options.lanes = lanes;
    options.statistics = &statistics;
    double busy = 0.0, lanes_offered = 0.0;
    for (auto _ : state) {
        trace_jobs(workload.settings, jobs, options, [](std::size_t, const TraceResult& result) {
            benchmark::DoNotOptimize(result.latitude);
            return true;
        });
        busy += static_cast<double>(statistics.busy_lanes);
        lanes_offered += static_cast<double>(statistics.batches) * statistics.width;
    }
    state.counters["trajectories"] =
        benchmark::Counter(static_cast<double>(jobs.count), benchmark::Counter::kIsIterationInvariantRate);
    if (lanes_offered > 0.0) state.counters["occupancy"] = busy / lanes_offered;
}

// Registers every model at every lane width this processor runs.
const bool registered = [] {
    for (const char* model : {"dipole", "igrf", "t89", "t96", "t01", "t01s"}) {
        for (const unsigned lanes : lane_widths()) {
            const std::string name = std::string("Workload/") + model + "/lanes:" + std::to_string(lanes);
            benchmark::RegisterBenchmark(name.c_str(), BM_Workload, std::string(model), lanes)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    return true;
}();

}  // namespace
}  // namespace cones
