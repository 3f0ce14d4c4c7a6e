// The cost per value of each function of the math layer (numerics/math.hpp):
// the C library's one-value routine, SLEEF's own one-value routine (purec),
// the math layer's one-value routine (sleef_1: SLEEF's 2-lane routine with
// one value), and SLEEF's routine of each lane width this processor has, each
// over the same 4096 arguments of the function's working range. The counter time_per_value is
// the processor time per value; the C library's rows also give the fraction
// of 2^20 arguments of the same range where its result differs from SLEEF's
// in any bit (differs_from_sleef).
//
//   build/release/bench/math_bench

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "numerics/math.hpp"
#include "tests/support/math_lanes.hpp"
#include "tracing/lane_kernels.hpp"

namespace cones {
namespace {

using testing_support::MathFunction;

constexpr std::size_t kValues = 4096;

// Arguments as the field models and frames meet them: exponents of the
// model's decaying terms, distances and scales, angles of one turn or two,
// powers of moderate bases, the angles of points around the Earth.
struct BenchArguments {
    std::vector<double> a, b;
};
BenchArguments arguments(MathFunction function, std::size_t count = kValues) {
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    BenchArguments args{std::vector<double>(count), std::vector<double>(count, 0.0)};
    for (std::size_t i = 0; i < count; ++i) {
        switch (function) {
            case MathFunction::kExp: args.a[i] = -50.0 + 100.0 * unit(random); break;
            case MathFunction::kLog: args.a[i] = std::exp2(-10.0 + 20.0 * unit(random)); break;
            case MathFunction::kPow:
                args.a[i] = std::exp2(-4.0 + 8.0 * unit(random));
                args.b[i] = -4.0 + 8.0 * unit(random);
                break;
            case MathFunction::kSin:
            case MathFunction::kCos:
            case MathFunction::kSincos:
            case MathFunction::kTan: args.a[i] = 2.0 * std::numbers::pi * (2.0 * unit(random) - 1.0); break;
            case MathFunction::kAtan2:
                args.a[i] = -10.0 + 20.0 * unit(random);
                args.b[i] = -10.0 + 20.0 * unit(random);
                break;
            case MathFunction::kAsin: args.a[i] = -1.0 + 2.0 * unit(random); break;
            case MathFunction::kAtan: args.a[i] = -20.0 + 40.0 * unit(random); break;
            case MathFunction::kTanh: args.a[i] = -5.0 + 10.0 * unit(random); break;
        }
    }
    return args;
}

void set_counters(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues));
    state.counters["time_per_value"] =
        benchmark::Counter(kValues, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The C library's routine over the arguments, one value at a time.
void c_library_over_arrays(MathFunction function, const BenchArguments& args, std::vector<double>& r,
                           std::vector<double>& r2) {
    const std::size_t n = args.a.size();
    const auto unary = [&](auto f) {
        for (std::size_t i = 0; i < n; ++i) r[i] = f(args.a[i]);
    };
    const auto binary = [&](auto f) {
        for (std::size_t i = 0; i < n; ++i) r[i] = f(args.a[i], args.b[i]);
    };
    switch (function) {
        case MathFunction::kExp: return unary([](double x) { return std::exp(x); });
        case MathFunction::kLog: return unary([](double x) { return std::log(x); });
        case MathFunction::kPow: return binary([](double x, double y) { return std::pow(x, y); });
        case MathFunction::kSin: return unary([](double x) { return std::sin(x); });
        case MathFunction::kCos: return unary([](double x) { return std::cos(x); });
        case MathFunction::kAtan2: return binary([](double y, double x) { return std::atan2(y, x); });
        case MathFunction::kAsin: return unary([](double x) { return std::asin(x); });
        case MathFunction::kAtan: return unary([](double x) { return std::atan(x); });
        case MathFunction::kTan: return unary([](double x) { return std::tan(x); });
        case MathFunction::kTanh: return unary([](double x) { return std::tanh(x); });
        case MathFunction::kSincos:
            for (std::size_t i = 0; i < n; ++i) ::sincos(args.a[i], &r[i], &r2[i]);
            return;
    }
}

void c_library(benchmark::State& state, MathFunction function) {
    const BenchArguments args = arguments(function);
    std::vector<double> r(kValues), r2(kValues, 0.0);
    for (auto _ : state) {
        c_library_over_arrays(function, args, r, r2);
        benchmark::DoNotOptimize(r.data());
        benchmark::DoNotOptimize(r2.data());
        benchmark::ClobberMemory();
    }
    set_counters(state);

    const std::size_t n = std::size_t{1} << 20;
    const BenchArguments many = arguments(function, n);
    std::vector<double> c(n), c2(n, 0.0), s(n), s2(n, 0.0);
    c_library_over_arrays(function, many, c, c2);
    testing_support::math_over_arrays_at_width(1, function, n, many.a.data(), many.b.data(), s.data(), s2.data());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < n; ++i) differing += (c[i] != s[i] || c2[i] != s2[i]) ? 1 : 0;
    state.counters["differs_from_sleef"] = static_cast<double>(differing) / n;
}

// SLEEF's own one-value routine (its plain C build), one value at a time:
// what the math layer's one-value routines replace with the 2-lane routine.
void sleef_purec(benchmark::State& state, MathFunction function) {
    const BenchArguments args = arguments(function);
    const std::size_t n = args.a.size();
    std::vector<double> r(kValues), r2(kValues, 0.0);
    const auto unary = [&](auto f) {
        for (std::size_t i = 0; i < n; ++i) r[i] = f(args.a[i]);
    };
    const auto binary = [&](auto f) {
        for (std::size_t i = 0; i < n; ++i) r[i] = f(args.a[i], args.b[i]);
    };
    for (auto _ : state) {
        switch (function) {
            case MathFunction::kExp: unary(Sleef_cinz_expd1_u10purec); break;
            case MathFunction::kLog: unary(Sleef_cinz_logd1_u10purec); break;
            case MathFunction::kPow: binary(Sleef_cinz_powd1_u10purec); break;
            case MathFunction::kSin: unary(Sleef_cinz_sind1_u10purec); break;
            case MathFunction::kCos: unary(Sleef_cinz_cosd1_u10purec); break;
            case MathFunction::kAtan2: binary(Sleef_cinz_atan2d1_u10purec); break;
            case MathFunction::kAsin: unary(Sleef_cinz_asind1_u10purec); break;
            case MathFunction::kAtan: unary(Sleef_cinz_atand1_u10purec); break;
            case MathFunction::kTan: unary(Sleef_cinz_tand1_u10purec); break;
            case MathFunction::kTanh: unary(Sleef_cinz_tanhd1_u10purec); break;
            case MathFunction::kSincos:
                for (std::size_t i = 0; i < n; ++i) {
                    const Sleef_double_2 both = Sleef_cinz_sincosd1_u10purec(args.a[i]);
                    r[i] = both.x;
                    r2[i] = both.y;
                }
                break;
        }
        benchmark::DoNotOptimize(r.data());
        benchmark::DoNotOptimize(r2.data());
        benchmark::ClobberMemory();
    }
    set_counters(state);
}

// SLEEF's routine of one width (1: the math layer's one-value routine).
void sleef(benchmark::State& state, MathFunction function, unsigned width) {
    if (!lane_width_available(width)) {
        state.SkipWithError("no such lanes on this processor");
        return;
    }
    const BenchArguments args = arguments(function);
    std::vector<double> r(kValues), r2(kValues);
    for (auto _ : state) {
        testing_support::math_over_arrays_at_width(width, function, kValues, args.a.data(), args.b.data(), r.data(),
                                                   r2.data());
        benchmark::DoNotOptimize(r.data());
        benchmark::DoNotOptimize(r2.data());
        benchmark::ClobberMemory();
    }
    set_counters(state);
}

const bool registered = [] {
    for (const MathFunction f : testing_support::kMathFunctions) {
        const std::string name = testing_support::name_of(f);
        benchmark::RegisterBenchmark((name + "/c_library").c_str(), c_library, f);
        benchmark::RegisterBenchmark((name + "/sleef_purec").c_str(), sleef_purec, f);
        for (const unsigned width : {1u, 2u, 4u, 8u})
            if (width == 1 || testing_support::has_packs(f))
                benchmark::RegisterBenchmark((name + "/sleef_" + std::to_string(width)).c_str(), sleef, f, width);
    }
    return true;
}();

}  // namespace
}  // namespace cones
