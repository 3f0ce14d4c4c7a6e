// Cost of one T89 external field evaluation at representative points.
#include <benchmark/benchmark.h>

#include "bench/bench_support.hpp"
#include "models/t89/t89.hpp"

namespace cones {
namespace {

// Inner magnetosphere, near-tail sheet, far tail, day side off the equator.
constexpr GsmPoint kPoints[] = {
    {2.0, 1.0, -1.0}, {-10.0, 3.0, 0.5}, {-40.0, -8.0, 2.0}, {7.0, -3.0, 4.0}};

void BM_T89ExternalField(benchmark::State& state) {
    const T89Coefficients set = t89_coefficients(3);
    field_loop(state, [&set](double x, double y, double z, double& bx, double& by, double& bz) {
        t89_external_field(set, bench_epoch(), x, y, z, bx, by, bz);
    }, kPoints[state.range(0)]);
}
BENCHMARK(BM_T89ExternalField)->DenseRange(0, 3)->ArgName("point");

}  // namespace
}  // namespace cones
