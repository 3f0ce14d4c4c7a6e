// Cost of the field evaluations on the hot path and of whole trajectories.

#include <benchmark/benchmark.h>

#include "tracing/field_selector.hpp"
#include "tracing/integrator.hpp"
#include "tracing/trajectory.hpp"
#include "bench/bench_support.hpp"
#include "geomag/geomag.hpp"

namespace cones {
namespace {

const EpochState& epoch() { return bench_epoch(); }

auto internal_field = [](double x, double y, double z, double& bx, double& by, double& bz) {
    internal_field_gsm(epoch(), x, y, z, bx, by, bz);
};

void BM_InternalFieldDegree10(benchmark::State& state) { field_loop(state, internal_field, {1.2, -0.7, 0.9}); }
BENCHMARK(BM_InternalFieldDegree10);

// The same point with IGRF-14's coefficients, which go to degree 13.
void BM_InternalFieldDegree13(benchmark::State& state) {
    field_loop(state, [](double x, double y, double z, double& bx, double& by, double& bz) {
        internal_field_gsm(bench_epoch_degree_13(), x, y, z, bx, by, bz);
    }, {1.2, -0.7, 0.9});
}
BENCHMARK(BM_InternalFieldDegree13);

void BM_InternalFieldDegree6(benchmark::State& state) { field_loop(state, internal_field, {-8.0, 3.0, 2.0}); }
BENCHMARK(BM_InternalFieldDegree6);

void BM_InternalFieldDegree4(benchmark::State& state) { field_loop(state, internal_field, {20.0, -18.0, 12.0}); }
BENCHMARK(BM_InternalFieldDegree4);

void BM_DipoleField(benchmark::State& state) {
    field_loop(state, [](double x, double y, double z, double& bx, double& by, double& bz) {
        dipole_field_gsm(epoch(), x, y, z, bx, by, bz);
    }, {1.2, -0.7, 0.9});
}
BENCHMARK(BM_DipoleField);

void BM_TotalFieldT89(benchmark::State& state) {
    ModelParameters parameters{};
    parameters[7] = 2.0;
    const FieldContext field = make_field_context(epoch(), field_model<T89Model>, parameters);
    field_loop(state, [&field](double x, double y, double z, double& bx, double& by, double& bz) {
        total_field_gsm(field, x, y, z, bx, by, bz);
    }, {1.2, -0.7, 0.9});
}
BENCHMARK(BM_TotalFieldT89);

// One derivative evaluation of the equation of motion (IGRF field, 10 GV).
void BM_Derivative(benchmark::State& state) {
    const FieldContext field = make_field_context(epoch(), field_model<ReferenceFieldModel>, ModelParameters{});
    const TrajectoryDerivatives derivatives{&field, proton_motion(10.0).charge_to_mass};
    double y[6] = {1.2, -0.7, 0.9, 20.0, -30.0, 25.0};
    double yp[6];
    for (auto _ : state) {
        benchmark::DoNotOptimize(y);
        derivatives(0.0, y, yp);
        benchmark::DoNotOptimize(yp);
    }
}
BENCHMARK(BM_Derivative);

// One integrator step (six derivative evaluations when accepted) of a 10 GV
// trajectory from Jungfraujoch in the IGRF field, 50 steps after its start.
void BM_IntegratorStep(benchmark::State& state) {
    const FieldContext field = make_field_context(epoch(), field_model<ReferenceFieldModel>, ModelParameters{});
    TrajectoryDerivatives derivatives{&field, proton_motion(10.0).charge_to_mass};
    StationEntry station;
    station.latitude = 46.55;
    station.longitude = 7.98;
    RkfStepper<6> start;
    start.start(start_state(epoch(), station, start_radius(20.0), proton_motion(10.0).speed), 0.0, 100.0,
                {1e-8, 1e-6}, RkfMode::kOneStep);
    for (int k = 0; k < 50; ++k) {
        rkf_integrate(start, derivatives);
        start.proceed(RkfMode::kOneStep);
    }
    for (auto _ : state) {
        RkfStepper<6> stepper = start;
        rkf_integrate(stepper, derivatives);
        benchmark::DoNotOptimize(stepper.state());
    }
}
BENCHMARK(BM_IntegratorStep);

// One trajectory from Jungfraujoch (vertical) at the given rigidity (GV) in
// the field model given by the second argument (a FieldModel value), with
// the internal field of IGRF-12 (degree 10) or, when the third argument is
// 14, of IGRF-14 (degree 13).
void BM_Trajectory(benchmark::State& state) {
    // Moderate activity; each model reads its own elements (T96 the first
    // four, T01 and storm-time T01 the first seven, T89 the Kp index).
    const ModelParameters parameters = {2.0, -30.0, 2.0, -3.0, 4.0, 6.0, 8.0, 2.0, 0.0, 0.0};
    TraceSettings settings;
    const EpochState& traced = state.range(2) == 14 ? bench_epoch_degree_13() : epoch();
    settings.field = make_field_context(traced, static_cast<FieldModel>(state.range(1)), parameters);
    settings.start_radius = start_radius(20.0);
    StationEntry station;
    station.latitude = 46.55;
    station.longitude = 7.98;
    const ProtonMotion motion = proton_motion(static_cast<double>(state.range(0)));
    long steps = 0;
    for (auto _ : state) {
        const TraceResult result = trace_trajectory(settings, station, motion);
        benchmark::DoNotOptimize(result.latitude);
        steps = result.steps;
    }
    state.counters["steps"] = static_cast<double>(steps);
}
constexpr long kDipoleModel = static_cast<long>(field_model<DipoleModel>);
constexpr long kInternalModel = static_cast<long>(field_model<ReferenceFieldModel>);
constexpr long kT89Model = static_cast<long>(field_model<T89Model>);
constexpr long kT96Model = static_cast<long>(field_model<T96Model>);
constexpr long kT01Model = static_cast<long>(field_model<T01Model>);
constexpr long kT01StormModel = static_cast<long>(field_model<T01StormModel>);
BENCHMARK(BM_Trajectory)
    ->Args({5, kInternalModel, 12})
    ->Args({10, kInternalModel, 12})
    ->Args({10, kInternalModel, 14})
    ->Args({10, kDipoleModel, 12})
    ->Args({10, kT89Model, 12})
    ->Args({5, kT89Model, 12})
    ->Args({10, kT96Model, 12})
    ->Args({5, kT96Model, 12})
    ->Args({10, kT01Model, 12})
    ->Args({5, kT01Model, 12})
    ->Args({10, kT01StormModel, 12})
    ->Args({5, kT01StormModel, 12});

}  // namespace
}  // namespace cones
