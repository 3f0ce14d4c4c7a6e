// The math layer: every lane of every pack width gives exactly the bits of
// the one-value routine, and the one-value routine (SLEEF's 2-lane routine
// with one value) exactly those of SLEEF's one-value algorithm, at the edge
// values (signed zeros, subnormals, infinities, NaN, the points where a
// routine changes its method) and over random arguments, in packs of uniform
// and of mixed arguments; the one-value routines are within 1 ulp of the
// long-double functions and give the C library's values at zeros,
// infinities and NaN.
//
// The packs of each width are evaluated by tests/support/math_lanes.cpp,
// compiled with the width's instruction-set flags as the engine's lane
// routines are; a width the processor lacks is skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "numerics/math.hpp"
#include "tests/support/math_lanes.hpp"
#include "tracing/lane_kernels.hpp"

namespace cones {
namespace {

using testing_support::kMathFunctions;
using testing_support::MathFunction;
using testing_support::name_of;
using testing_support::takes_two_arguments;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kSmallestNormal = std::numeric_limits<double>::min();
constexpr double kSmallest = std::numeric_limits<double>::denorm_min();
constexpr long double kPi = std::numbers::pi_v<long double>;
// e^x is +inf above this x, some 1.7e-6 below the largest x whose e^x is
// finite (709.782712893384); pow overflows at the same point of y ln|x|.
constexpr double kExpOverflowsAbove = 709.78271114955742909;
constexpr double kLargestBeforeOverflow = 0x1.ffffc57ca84a9p+1023;  // e^kExpOverflowsAbove

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

std::string describe(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g (%a)", value, value);
    return text;
}

// "f(a)" or "f(a, b)" with the arguments' exact values.
std::string call(MathFunction function, double a, double b) {
    const std::string second = takes_two_arguments(function) ? ", " + describe(b) : "";
    return std::string(name_of(function)) + "(" + describe(a) + second + ")";
}

// The one-value routine of the math layer: r = f(a) or f(a, b); for sincos
// r is the sine and r2 the cosine.
void one_value(MathFunction function, double a, double b, double& r, double& r2) {
    r2 = 0.0;
    switch (function) {
        case MathFunction::kExp: r = math::exp(a); return;
        case MathFunction::kLog: r = math::log(a); return;
        case MathFunction::kPow: r = math::pow(a, b); return;
        case MathFunction::kSin: r = math::sin(a); return;
        case MathFunction::kCos: r = math::cos(a); return;
        case MathFunction::kSincos: math::sincos(a, r, r2); return;
        case MathFunction::kAtan2: r = math::atan2(a, b); return;
        case MathFunction::kAsin: r = math::asin(a); return;
        case MathFunction::kAtan: r = math::atan(a); return;
        case MathFunction::kTan: r = math::tan(a); return;
        case MathFunction::kTanh: r = math::tanh(a); return;
    }
}

// SLEEF's own routine for one value (its plain C build), whose bits the
// math layer's one-value routines must give, with every NaN the one quiet
// NaN.
void sleef_one_value(MathFunction function, double a, double b, double& r, double& r2) {
    r = 0.0;
    r2 = 0.0;
    switch (function) {
        case MathFunction::kExp: r = Sleef_cinz_expd1_u10purec(a); break;
        case MathFunction::kLog: r = Sleef_cinz_logd1_u10purec(a); break;
        case MathFunction::kPow: r = Sleef_cinz_powd1_u10purec(a, b); break;
        case MathFunction::kSin: r = Sleef_cinz_sind1_u10purec(a); break;
        case MathFunction::kCos: r = Sleef_cinz_cosd1_u10purec(a); break;
        case MathFunction::kSincos: {
            const Sleef_double_2 both = Sleef_cinz_sincosd1_u10purec(a);
            r = both.x;
            r2 = both.y;
            break;
        }
        case MathFunction::kAtan2: r = Sleef_cinz_atan2d1_u10purec(a, b); break;
        case MathFunction::kAsin: r = Sleef_cinz_asind1_u10purec(a); break;
        case MathFunction::kAtan: r = Sleef_cinz_atand1_u10purec(a); break;
        case MathFunction::kTan: r = Sleef_cinz_tand1_u10purec(a); break;
        case MathFunction::kTanh: r = Sleef_cinz_tanhd1_u10purec(a); break;
    }
    r = math::single_nan(r);
    r2 = math::single_nan(r2);
}

// The C library's value of the same function (for sincos the sine, or the
// cosine when `cosine`), in the precision of Number (double or long double).
template <class Number>
Number library_value(MathFunction function, Number a, Number b, bool cosine) {
    switch (function) {
        case MathFunction::kExp: return std::exp(a);
        case MathFunction::kLog: return std::log(a);
        case MathFunction::kPow: return std::pow(a, b);
        case MathFunction::kSin: return std::sin(a);
        case MathFunction::kCos: return std::cos(a);
        case MathFunction::kSincos: return cosine ? std::cos(a) : std::sin(a);
        case MathFunction::kAtan2: return std::atan2(a, b);
        case MathFunction::kAsin: return std::asin(a);
        case MathFunction::kAtan: return std::atan(a);
        case MathFunction::kTan: return std::tan(a);
        case MathFunction::kTanh: return std::tanh(a);
    }
    return Number(0);
}

// Arguments of one function: first arguments a, second ones b (only read by
// pow and atan2).
struct Arguments {
    std::vector<double> a, b;
    void add(double first, double second = 0.0) {
        a.push_back(first);
        b.push_back(second);
    }
    void append(const Arguments& more) {
        a.insert(a.end(), more.a.begin(), more.a.end());
        b.insert(b.end(), more.b.begin(), more.b.end());
    }
};

void add_with_neighbours(std::vector<double>& values, double x) {
    values.push_back(std::nextafter(x, -kInf));
    values.push_back(x);
    values.push_back(std::nextafter(x, kInf));
}

// Both signs of the values every function meets at its edges: zero, the
// smallest and the largest subnormals, the smallest normal number, tiny,
// ordinary and huge values, the largest double, infinity and NaN.
std::vector<double> signed_edges() {
    std::vector<double> values;
    for (const double v : {0.0, kSmallest, 3 * kSmallest, kSmallestNormal / 3, std::nextafter(kSmallestNormal, 0.0),
                           kSmallestNormal, 1e-300, 1e-20, 1e-8, 0.5, 1.0, 2.0, 10.0, 1e20, 1e300, kLargest, kInf,
                           kNaN}) {
        values.push_back(v);
        values.push_back(-v);
    }
    return values;
}

// The edge arguments of one function: the signed edges, and around the
// points where the function changes its method or its result changes kind.
Arguments edge_arguments(MathFunction function) {
    std::vector<double> first = signed_edges();
    std::vector<double> second;
    switch (function) {
        case MathFunction::kExp:
            // Overflow, the subnormal results, underflow to zero, the cut-off
            // at -1000, and the ties of the reduction by multiples of ln 2.
            for (const double x : {kExpOverflowsAbove, 709.782712893384, -708.3964185322641, -745.1332191019411,
                                   -1000.0, -1e4})
                add_with_neighbours(first, x);
            for (int k = -1080; k < 1025; ++k) add_with_neighbours(first, (k + 0.5) * std::numbers::ln2);
            break;
        case MathFunction::kLog:
            // The reduction's mantissa range [0.75, 1.5): its ends at every
            // binary exponent, subnormal ones included; and around 1.
            for (int k = -1074; k < 1024; ++k) add_with_neighbours(first, std::ldexp(0.75, k));
            for (const double x : {1.0, 1.5, 2.0, -1.0}) add_with_neighbours(first, x);
            break;
        case MathFunction::kSin:
        case MathFunction::kCos:
        case MathFunction::kSincos:
        case MathFunction::kTan: {
            // The reduction's limits 15 and 1e14, the multiples of π/4 below,
            // at and above them (the nearest doubles of kπ/4 are where the
            // result is smallest and the reduction's rounding ties lie), powers
            // of two up to the largest exponent, and a double that lies
            // extremely close to a multiple of π/2.
            for (const double x : {15.0, -15.0, 1e14, -1e14, std::ldexp(6381956970095103.0, 797)})
                add_with_neighbours(first, x);
            const long double quarter = kPi / 4;
            const long double near_limit = std::round(1e14L / quarter);
            for (long double k = 0; k < 400; ++k) {
                add_with_neighbours(first, static_cast<double>(k * quarter));
                add_with_neighbours(first, static_cast<double>(-(near_limit - 200 + k) * quarter));
            }
            for (int e = 20; e < 1024; ++e) {
                first.push_back(std::ldexp(1.0, e));
                first.push_back(-std::ldexp(1.5, e - 1));
            }
            break;
        }
        case MathFunction::kPow: {
            for (const double x : {8.0, 3.0, 1.5, 0.1, -0.1, -1.5, -3.0, -8.0, std::nextafter(1.0, 0.0),
                                   std::nextafter(1.0, 2.0), -std::nextafter(1.0, 0.0)})
                first.push_back(x);
            // Integer exponents (odd and even, beside the 2^31 steps of the
            // integer test and up to 2^53, above which every double is even),
            // halves and thirds, and the exponents of overflow and underflow
            // for the base 2.
            second = signed_edges();
            for (int n = -12; n <= 12; ++n) second.push_back(n);
            const double p31 = std::ldexp(1.0, 31), p52 = std::ldexp(1.0, 52), p53 = std::ldexp(1.0, 53);
            for (const double y : {1.5, 1.0 / 3, 0.25, p31 - 1, p31, p31 + 1, 3 * p31 + 1, p52 + 1, p53 - 1, p53,
                                   p53 + 2, 1023.9999975, 1024.0, 1074.0, 1075.0}) {
                second.push_back(y);
                second.push_back(-y);
            }
            break;
        }
        case MathFunction::kAtan2:
            // Below this |x| both arguments are scaled by 2^53 first.
            for (const double x : {5.5626846462680083984e-309, 3.0, 0.75}) {
                add_with_neighbours(first, x);
                add_with_neighbours(first, -x);
            }
            second = first;
            break;
        case MathFunction::kAsin:
            // The change of method at |x| = 0.5, the ends of the domain and
            // beyond them.
            for (const double x : {0.5, 1.0, 1e-8, 0.25, 0.75}) {
                add_with_neighbours(first, x);
                add_with_neighbours(first, -x);
            }
            break;
        case MathFunction::kAtan:
            // The reduction through 1/x beyond |x| = 1, and where atan x is
            // within rounding of ±π/2.
            for (const double x : {1.0, 0.5, 2.0, 1e8, 1e16, 1e-8}) {
                add_with_neighbours(first, x);
                add_with_neighbours(first, -x);
            }
            break;
        case MathFunction::kTanh:
            // Where tanh x rounds to ±1, the small arguments where it is x.
            for (const double x : {18.714973875, 19.0, 0.5, 1e-8, 3e-9}) {
                add_with_neighbours(first, x);
                add_with_neighbours(first, -x);
            }
            break;
    }
    Arguments edges;
    if (second.empty()) {
        for (const double a : first) edges.add(a);
    } else {
        for (const double a : first)
            for (const double b : second) edges.add(a, b);
    }
    return edges;
}

// A random argument of the function's working range (or both arguments of
// pow and atan2).
void draw_in_range(MathFunction function, std::mt19937_64& random, double& a, double& b) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto sign = [&] { return unit(random) < 0.5 ? -1.0 : 1.0; };
    const auto log_uniform = [&](double low, double high) { return std::exp2(low + (high - low) * unit(random)); };
    b = 0.0;
    switch (function) {
        case MathFunction::kExp: a = -760.0 + 1520.0 * unit(random); return;
        case MathFunction::kLog: a = log_uniform(-1074.0, 1024.0); return;
        case MathFunction::kSin:
        case MathFunction::kCos:
        case MathFunction::kSincos:
        case MathFunction::kTan: {
            const double pick = unit(random);
            if (pick < 0.5) {
                a = sign() * 20.0 * unit(random);
            } else if (pick < 0.75) {
                a = sign() * log_uniform(-30.0, 75.0);  // up to 4e22, past both reduction limits
            } else {  // beside a multiple of π/4 below 2^40
                const long double k = std::floor(log_uniform(0.0, 40.0));
                a = static_cast<double>(k * (kPi / 4) * (1.0L + 1e-15L * (unit(random) - 0.5)));
            }
            return;
        }
        case MathFunction::kPow:
            if (unit(random) < 0.5) {  // negative bases with integer exponents, too
                a = sign() * log_uniform(-12.0, 12.0);
                b = std::round(-90.0 + 180.0 * unit(random));
            } else {
                a = log_uniform(-40.0, 40.0);
                b = -30.0 + 60.0 * unit(random);
            }
            return;
        case MathFunction::kAtan2:
            a = sign() * log_uniform(-40.0, 40.0);
            // A quarter with |y| and |x| equal to a few ulps, where the
            // routine swaps the two.
            b = unit(random) < 0.25 ? sign() * a * (1.0 + 4e-16 * (unit(random) - 0.5))
                                    : sign() * log_uniform(-40.0, 40.0);
            return;
        case MathFunction::kAsin:  // a tenth beyond the domain
            a = unit(random) < 0.9 ? -1.0 + 2.0 * unit(random) : sign() * (1.0 + log_uniform(-50.0, 3.0));
            return;
        case MathFunction::kAtan: a = sign() * log_uniform(-40.0, 40.0); return;
        case MathFunction::kTanh:
            a = unit(random) < 0.5 ? -25.0 + 50.0 * unit(random) : sign() * log_uniform(-40.0, 5.0);
            return;
    }
}

// Random arguments: three quarters in the working range, a quarter of random
// bit patterns (every exponent, subnormals, infinities and NaN).
Arguments random_arguments(MathFunction function, std::size_t count, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    Arguments arguments;
    for (std::size_t i = 0; i < count; ++i) {
        double a = 0.0, b = 0.0;
        if (i % 4 == 3) {
            a = std::bit_cast<double>(random());
            b = std::bit_cast<double>(random());
        } else {
            draw_in_range(function, random, a, b);
        }
        arguments.add(a, b);
    }
    return arguments;
}

class MathLanes : public ::testing::TestWithParam<std::tuple<MathFunction, unsigned>> {};

TEST_P(MathLanes, EveryLaneIsTheOneValueRoutine) {
    const auto [function, width] = GetParam();
    if (!lane_width_available(width)) {
        GTEST_SKIP() << "this processor has no " << width << "-lane " << lane_instruction_set(width) << " unit";
    }
    // The edges in order (packs whose lanes take the same branch) and then,
    // shuffled among random arguments, once more (packs of mixed lanes).
    const Arguments edges = edge_arguments(function);
    Arguments mixed = edges;
    mixed.append(random_arguments(function, 150000, 22 + width));  // other arguments at each width
    std::mt19937_64 random(5);
    std::vector<std::size_t> order(mixed.a.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    Arguments arguments = edges;
    for (const std::size_t i : order) arguments.add(mixed.a[i], mixed.b[i]);
    while (arguments.a.size() % kMaxLanes != 0) arguments.add(1.0, 1.0);

    const std::size_t n = arguments.a.size();
    std::vector<double> lanes(n), lanes2(n, 0.0);
    testing_support::math_over_arrays_at_width(width, function, n, arguments.a.data(), arguments.b.data(),
                                               lanes.data(), lanes2.data());
    std::size_t differing = 0;
    std::string examples;
    for (std::size_t i = 0; i < n; ++i) {
        double r, r2;
        one_value(function, arguments.a[i], arguments.b[i], r, r2);
        if (bits(r) == bits(lanes[i]) && bits(r2) == bits(lanes2[i])) continue;
        if (++differing <= 5) {
            examples += "\n  " + call(function, arguments.a[i], arguments.b[i]) + ": one value " +
                        describe(r) + (function == MathFunction::kSincos ? " and " + describe(r2) : "") +
                        ", lane " + std::to_string(i % width) + " " + describe(lanes[i]) +
                        (function == MathFunction::kSincos ? " and " + describe(lanes2[i]) : "");
        }
    }
    EXPECT_EQ(differing, 0u) << "of " << n << " arguments at " << width << " lanes; the first:" << examples;
}

std::string case_name(const ::testing::TestParamInfo<std::tuple<MathFunction, unsigned>>& param) {
    return std::string(name_of(std::get<0>(param.param))) + "_" + std::to_string(std::get<1>(param.param)) +
           "_lanes";
}

std::vector<MathFunction> functions_with_packs() {
    std::vector<MathFunction> functions;
    for (const MathFunction f : kMathFunctions)
        if (testing_support::has_packs(f)) functions.push_back(f);
    return functions;
}

INSTANTIATE_TEST_SUITE_P(FunctionsAndWidths, MathLanes,
                         ::testing::Combine(::testing::ValuesIn(functions_with_packs()), ::testing::Values(2u, 4u, 8u)),
                         case_name);

// The routines for one value hand the value to SLEEF's 2-lane routine (the
// arcsine to the one-value one): their bits must be those of SLEEF's
// one-value algorithm, over the edges and random arguments.
TEST(MathOneValue, EveryRoutineIsSleefsOneValueAlgorithm) {
    for (const MathFunction f : kMathFunctions) {
        Arguments sample = edge_arguments(f);
        sample.append(random_arguments(f, 150000, 31));
        std::size_t differing = 0;
        std::string examples;
        for (std::size_t i = 0; i < sample.a.size(); ++i) {
            double r, r2, expected, expected2;
            one_value(f, sample.a[i], sample.b[i], r, r2);
            sleef_one_value(f, sample.a[i], sample.b[i], expected, expected2);
            if (bits(r) == bits(expected) && bits(r2) == bits(expected2)) continue;
            if (++differing <= 5) {
                examples += "\n  " + call(f, sample.a[i], sample.b[i]) + ": " + describe(r) + ", SLEEF's " +
                            describe(expected);
            }
        }
        EXPECT_EQ(differing, 0u) << name_of(f) << ", of " << sample.a.size() << " arguments; the first:" << examples;
    }
}

// |value - exact| in units of the last place of a double at the exact value
// (the spacing of the doubles there; of the subnormals below the smallest
// normal number).
long double ulps(double value, long double exact) {
    const long double magnitude = std::fabs(exact);
    const int exponent = magnitude < kSmallestNormal ? -1022 : std::ilogb(magnitude);
    return std::fabs(value - exact) / std::ldexp(1.0L, exponent - 52);
}

// The one-value routines against the C library's long-double functions,
// whose own error is some 2^-11 ulp of a double.
TEST(MathAccuracy, WithinOneUlpOfTheLongDoubleFunctions) {
    for (const MathFunction f : kMathFunctions) {
        Arguments sample = edge_arguments(f);
        sample.append(random_arguments(f, 40000, 9));
        long double worst = 0.0L;
        std::string worst_case = "none";
        std::size_t checked = 0;
        for (std::size_t i = 0; i < sample.a.size(); ++i) {
            const double a = sample.a[i], b = sample.b[i];
            double r[2];
            one_value(f, a, b, r[0], r[1]);
            for (int k = 0; k < (f == MathFunction::kSincos ? 2 : 1); ++k) {
                const long double exact = library_value<long double>(f, a, b, k == 1);
                // Only finite results below the overflow point (the special
                // values are checked below).
                if (!std::isfinite(exact) || std::fabs(exact) > kLargestBeforeOverflow) continue;
                ++checked;
                // The bound: 1 ulp; 2 units of 2^-1074 for atan2's subnormal
                // angles.
                const bool subnormal_angle = f == MathFunction::kAtan2 && std::fabs(exact) < kSmallestNormal;
                const long double share = ulps(r[k], exact) / (subnormal_angle ? 2 : 1);
                if (std::isnan(share) || share > worst) {  // a NaN stays the worst
                    worst = share;
                    worst_case = call(f, a, b) + " = " + describe(r[k]) + ", " +
                                 std::to_string(static_cast<double>(share)) + " of the bound";
                }
            }
        }
        EXPECT_GT(checked, sample.a.size() / 2) << name_of(f);
        EXPECT_LE(worst, 1.0L) << worst_case;
    }
}

// The C library's value where the result is exact: at zeros, infinities and
// NaN, for tiny arguments, beyond overflow and underflow, at the base 1 and
// the exponent 0, and NaN for a negative base with a non-integer exponent.
TEST(MathSpecialValues, TheCLibrarysValuesAtZerosInfinitiesAndNaN) {
    struct Case {
        MathFunction function;
        double a, b;
    };
    std::vector<Case> cases;
    const double specials[] = {0.0, -0.0, kInf, -kInf, kNaN, -kNaN};
    for (const MathFunction f : kMathFunctions)
        if (!takes_two_arguments(f))
            for (const double x : specials) cases.push_back({f, x, 0.0});
    for (const MathFunction f : {MathFunction::kExp, MathFunction::kSin, MathFunction::kCos, MathFunction::kSincos})
        for (const double x : {kSmallest, -kSmallest, 1e-300, -1e-300}) cases.push_back({f, x, 0.0});
    for (const double x : {-1000.0, 1e300, -1e300}) cases.push_back({MathFunction::kExp, x, 0.0});
    for (const double x : {1.0, -1.0, -kSmallest, -1e300}) cases.push_back({MathFunction::kLog, x, 0.0});
    for (const MathFunction f : {MathFunction::kAsin, MathFunction::kAtan, MathFunction::kTanh})
        for (const double x : {kSmallest, -kSmallest, 1e-300, -1e-300}) cases.push_back({f, x, 0.0});
    for (const double x : {1e-300, -1e-300}) cases.push_back({MathFunction::kTan, x, 0.0});
    for (const double x : {std::nextafter(1.0, 2.0), -std::nextafter(1.0, 2.0), 2.0, -1e300})
        cases.push_back({MathFunction::kAsin, x, 0.0});
    for (const double x : {30.0, -30.0, 1e300, -1e300}) cases.push_back({MathFunction::kTanh, x, 0.0});

    const double p53 = std::ldexp(1.0, 53);
    for (const double x : {0.0, -0.0, kInf, -kInf, kNaN, 1.0, -1.0, 2.0, -2.0, 0.5, -0.5}) {
        for (const double y : {0.0, -0.0, kInf, -kInf, kNaN, 1.0, -1.0, 2.0, -2.0, 3.0, -3.0, 0.5, -0.5, p53 - 1,
                               p53, -(p53 - 1)}) {
            const bool exact = !std::isfinite(x) || !std::isfinite(y) || x == 0.0 || y == 0.0 ||
                               std::fabs(x) == 1.0 || (x < 0.0 && y != std::floor(y));
            if (exact) cases.push_back({MathFunction::kPow, x, y});
        }
    }
    // atan2 in the four quadrants and on the axes.
    const double sides[] = {0.0, -0.0, 2.0, -2.0, kInf, -kInf, kNaN};
    for (const double y : sides)
        for (const double x : sides)
            if (!(std::isfinite(y) && std::isfinite(x) && y != 0.0 && x != 0.0))
                cases.push_back({MathFunction::kAtan2, y, x});

    for (const Case& c : cases) {
        double r[2];
        one_value(c.function, c.a, c.b, r[0], r[1]);
        for (int k = 0; k < (c.function == MathFunction::kSincos ? 2 : 1); ++k) {
            // The C library's value, but every NaN the one quiet NaN.
            const double library = library_value<double>(c.function, c.a, c.b, k == 1);
            const double expected = std::isnan(library) ? kNaN : library;
            EXPECT_EQ(bits(r[k]), bits(expected))
                << call(c.function, c.a, c.b) << (k == 1 ? " (cosine)" : "") << " = " << describe(r[k]) << ", not "
                << describe(expected);
        }
    }
}

// Where the routines depart from the C library: e^x and x^y overflow to
// +inf from e^709.78271114955742909 = 0x1.ffffc57ca84a9p+1023 on, some 1.7e-6
// below the largest double, where the C library still gives finite values.
TEST(MathSpecialValues, OverflowComesJustBelowTheLargestDouble) {
    EXPECT_EQ(math::exp(kExpOverflowsAbove), kLargestBeforeOverflow);
    EXPECT_EQ(math::exp(std::nextafter(kExpOverflowsAbove, kInf)), kInf);
    EXPECT_TRUE(std::isfinite(std::exp(709.782712893384)));
    EXPECT_EQ(math::exp(709.782712893384), kInf);
    EXPECT_TRUE(std::isfinite(std::pow(2.0, 1023.999998)));
    EXPECT_EQ(math::pow(2.0, 1023.999998), kInf);
    EXPECT_EQ(math::pow(-2.0, 1025.0), -kInf);
    EXPECT_LT(math::pow(2.0, 1023.99999), kLargestBeforeOverflow);
}

// The step-size power x^0.2f against the long-double power, whose own error
// is some 2^-10 ulp of a double, over random bit patterns of every positive
// double (subnormals included) and over the scaled errors the integrator
// meets; and its values outside the positive numbers.
TEST(MathPowFifth, WithinOneUlpOfTheLongDoublePower) {
    const long double exponent = static_cast<long double>(0.2f);
    std::mt19937_64 random(5);
    long double worst = 0.0L;
    double worst_x = 0.0;
    for (int i = 0; i < 400000; ++i) {
        const double x = i % 2 == 0 ? std::bit_cast<double>(random() % 0x7ff0000000000000ull)
                                    : std::exp(std::uniform_real_distribution<double>(-12.0, 12.0)(random));
        if (x == 0.0) continue;
        const long double share = ulps(math::pow_fifth(x), std::pow(static_cast<long double>(x), exponent));
        if (!(share <= worst)) {
            worst = share;
            worst_x = x;
        }
    }
    EXPECT_LE(worst, 1.0L) << "pow_fifth(" << describe(worst_x) << ")";
    // The edges of the reduction: each residue of the exponent, m near 1, 1.5
    // and 2, the smallest subnormal, the largest double.
    const double edges[] = {1.0, std::nextafter(1.0, 2.0), std::nextafter(2.0, 1.0), 2.0, 1.5,
                            std::nextafter(1.5, 1.0), 4.0, 8.0, 16.0, 32.0, 0x1p-5, 0x1p-1074, 0x1p-1022,
                            std::nextafter(0x1p-1022, 0.0), std::numeric_limits<double>::max()};
    for (const double x : edges)
        EXPECT_LE(ulps(math::pow_fifth(x), std::pow(static_cast<long double>(x), exponent)), 1.0L)
            << "pow_fifth(" << describe(x) << ")";
    for (const double x : {0.0, -0.0, kInf, -kInf, kNaN, -1.0, -32.0})
        EXPECT_EQ(bits(math::pow_fifth(x)), bits(math::pow(x, double(0.2f)))) << "pow_fifth(" << describe(x) << ")";
}

}  // namespace
}  // namespace cones
