// Cost of one T01 and one storm-time T01 external field evaluation inside the
// magnetopause, and of the prepare step. Whole trajectories in each model are
// timed in tracing_bench.
#include <benchmark/benchmark.h>

#include "bench/bench_support.hpp"
#include "geomag/geomag.hpp"
#include "models/t01/t01.hpp"

namespace cones {
namespace {

const EpochState& epoch() { return bench_epoch(); }

// Moderate activity: P = 2 nPa, Dst = -30 nT, By = 2, Bz = -3 nT, G1..G3.
ModelParameters activity() {
    ModelParameters p{};
    p[0] = 2.0;
    p[1] = -30.0;
    p[2] = 2.0;
    p[3] = -3.0;
    p[4] = 4.0;
    p[5] = 6.0;
    p[6] = 8.0;
    return p;
}

// Inner magnetosphere, near-tail sheet, day side off the equator, flank.
constexpr GsmPoint kPoints[] = {{2.0, 1.0, -1.0}, {-10.0, 3.0, 0.5}, {7.0, -3.0, 4.0}, {-3.0, 12.0, -2.0}};

void external_field(benchmark::State& state, bool storm) {
    const T01Prepared model = storm ? t01_storm_prepare(activity(), epoch()) : t01_prepare(activity(), epoch());
    field_loop(state, [&model](double x, double y, double z, double& bx, double& by, double& bz) {
        t01_external_field(model, epoch(), x, y, z, bx, by, bz);
    }, kPoints[state.range(0)]);
}

void BM_T01ExternalField(benchmark::State& state) { external_field(state, false); }
BENCHMARK(BM_T01ExternalField)->DenseRange(0, 3)->ArgName("point");

void BM_T01StormExternalField(benchmark::State& state) { external_field(state, true); }
BENCHMARK(BM_T01StormExternalField)->DenseRange(0, 3)->ArgName("point");

void BM_T01Prepare(benchmark::State& state) {
    for (auto _ : state) {
        const T01Prepared model = t01_prepare(activity(), epoch());
        benchmark::DoNotOptimize(model.tail1);
    }
}
BENCHMARK(BM_T01Prepare);

}  // namespace
}  // namespace cones
