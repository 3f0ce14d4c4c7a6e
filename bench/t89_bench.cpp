// Cost of one T89 external field evaluation at representative points.
#include <benchmark/benchmark.h>

#include <cmath>

#include "models/t89/t89.hpp"

namespace {

struct Point {
    double x, y, z;
};

// Inner magnetosphere, near-tail sheet, far tail, day side off the equator.
constexpr Point kPoints[] = {
    {2.0, 1.0, -1.0}, {-10.0, 3.0, 0.5}, {-40.0, -8.0, 2.0}, {7.0, -3.0, 4.0}};

void BM_T89ExternalField(benchmark::State& state) {
    const Point p = kPoints[state.range(0)];
    const cones::T89Coefficients set = cones::t89_coefficients(3);
    cones::EpochState epoch;
    epoch.tilt = 0.3;
    epoch.sin_tilt = std::sin(epoch.tilt);
    epoch.cos_tilt = std::cos(epoch.tilt);
    double x = p.x, y = p.y, z = p.z;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
        benchmark::DoNotOptimize(z);
        double bx, by, bz;
        cones::t89_external_field(set, epoch, x, y, z, bx, by, bz);
        benchmark::DoNotOptimize(bx);
        benchmark::DoNotOptimize(by);
        benchmark::DoNotOptimize(bz);
    }
}
BENCHMARK(BM_T89ExternalField)->DenseRange(0, 3)->ArgName("point");

}  // namespace
