// What the benchmarks share: the epoch they evaluate their fields in and the
// loop that times one field evaluation at a point.
#pragma once

#include <benchmark/benchmark.h>

#include <sstream>

#include "geomag/geomag.hpp"

namespace cones {

// The epoch every benchmark evaluates its fields in: 15 June 2025, 12:00 UT.
inline const EpochState& bench_epoch() {
    static const EpochState state = [] {
        std::ostringstream notice;
        return set_epoch(2025, 166, 12, 0, 0, notice);
    }();
    return state;
}

// The same date in IGRF-14, whose coefficients go to degree 13.
inline const EpochState& bench_epoch_degree_13() {
    static const EpochState state = [] {
        std::ostringstream notice;
        return set_epoch(kIgrf14, 2025, 166, 12, 0, 0, notice);
    }();
    return state;
}

// A point in GSM coordinates (Earth radii).
struct GsmPoint {
    double x, y, z;
};

// Times field(x, y, z, bx, by, bz), one field evaluation at the point; the
// position is hidden from the optimiser so that nothing is hoisted.
template <class Field>
void field_loop(benchmark::State& state, const Field& field, GsmPoint p) {
    double x = p.x, y = p.y, z = p.z;
    double bx, by, bz;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
        benchmark::DoNotOptimize(z);
        field(x, y, z, bx, by, bz);
        benchmark::DoNotOptimize(bx);
        benchmark::DoNotOptimize(by);
        benchmark::DoNotOptimize(bz);
    }
}

}  // namespace cones
