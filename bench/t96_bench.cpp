// Cost of one T96 external field evaluation inside the magnetopause, of each
// of its components and of the model's preparation. Whole trajectories in
// IGRF plus T96 are timed with the other models' in tracing_bench.
#include <benchmark/benchmark.h>

#include "bench/bench_support.hpp"
#include "geomag/geomag.hpp"
#include "models/t96/t96.hpp"

namespace cones {
namespace {

const EpochState& epoch() { return bench_epoch(); }

// A moderately disturbed magnetosphere: P = 3 nPa, Dst = -30 nT, By = 2 nT,
// Bz = -3 nT.
ModelParameters parameters() {
    ModelParameters p{};
    p[0] = 3.0;
    p[1] = -30.0;
    p[2] = 2.0;
    p[3] = -3.0;
    return p;
}

// Inside the magnetopause: inner magnetosphere, near-tail plasma sheet, far
// tail, day side off the equator, and the region-1 oval's blending layer.
constexpr GsmPoint kPoints[] = {
    {2.0, 1.0, -1.0}, {-10.0, 3.0, 0.5}, {-40.0, -8.0, 2.0}, {7.0, -3.0, 4.0}, {1.5, 0.5, 3.5}};

void BM_T96ExternalField(benchmark::State& state) {
    const T96Prepared model = t96_prepare(parameters(), epoch());
    field_loop(state, [&model](double x, double y, double z, double& bx, double& by, double& bz) {
        t96_external_field(model, epoch(), x, y, z, bx, by, bz);
    }, kPoints[state.range(0)]);
}
BENCHMARK(BM_T96ExternalField)->DenseRange(0, 4)->ArgName("point");

// Each component at the near-tail point (scaled position, unit amplitude).
enum Component { kDipoleShielding, kSheets, kRegion1, kRegion2, kInterconnection };

void BM_T96Component(benchmark::State& state) {
    const T96Prepared model = t96_prepare(parameters(), epoch());
    double x = -10.0 * model.kappa, y = 3.0 * model.kappa, z = 0.5 * model.kappa;
    const auto component = static_cast<Component>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        switch (component) {
            case kDipoleShielding: benchmark::DoNotOptimize(t96_dipole_shielding_field(model, x, y, z)); break;
            case kSheets: benchmark::DoNotOptimize(t96_ring_current_tail_field(model, x, y, z)); break;
            case kRegion1: benchmark::DoNotOptimize(t96_region1_field(model, x, y, z)); break;
            case kRegion2: benchmark::DoNotOptimize(t96_region2_field(model, x, y, z)); break;
            case kInterconnection: benchmark::DoNotOptimize(t96_interconnection_field(model, x, y, z)); break;
        }
    }
}
BENCHMARK(BM_T96Component)->DenseRange(0, 4)->ArgName("component");

// Preparing the model for a run.
void BM_T96Prepare(benchmark::State& state) {
    const ModelParameters p = parameters();
    for (auto _ : state) benchmark::DoNotOptimize(t96_prepare(p, epoch()));
}
BENCHMARK(BM_T96Prepare);

}  // namespace
}  // namespace cones
