// The math layer over arrays, compiled for the number types of this build
// (see math_lanes.hpp).

#include "tests/support/math_lanes.hpp"

#include <stdexcept>

#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones::testing_support {

namespace {

// Applies `evaluate` to the arguments, one number type's worth of lanes at
// a time.
template <class Real, class Evaluate>
void over_lanes(std::size_t n, Evaluate&& evaluate) {
    for (std::size_t i = 0; i < n; i += kLanesOf<Real>) evaluate(i);
}

template <class Real>
Real load(const double* values) {
    if constexpr (kLanesOf<Real> == 1) {
        return *values;
    } else {
        return Real::load(values);
    }
}

template <class Real>
void store(Real value, double* values) {
    if constexpr (kLanesOf<Real> == 1) {
        *values = value;
    } else {
        value.store(values);
    }
}

}  // namespace

template <class Real>
void math_over_arrays(MathFunction function, std::size_t n, const double* a, const double* b, double* result,
                      double* second) {
    const auto unary = [&](auto f) {
        over_lanes<Real>(n, [&](std::size_t i) { store<Real>(f(load<Real>(a + i)), result + i); });
    };
    const auto binary = [&](auto f) {
        over_lanes<Real>(n, [&](std::size_t i) { store<Real>(f(load<Real>(a + i), load<Real>(b + i)), result + i); });
    };
    switch (function) {
        case MathFunction::kExp: return unary([](Real x) { return math::exp(x); });
        case MathFunction::kLog: return unary([](Real x) { return math::log(x); });
        case MathFunction::kSin: return unary([](Real x) { return math::sin(x); });
        case MathFunction::kCos: return unary([](Real x) { return math::cos(x); });
        case MathFunction::kAsin: return unary([](Real x) { return math::asin(x); });
        case MathFunction::kAtan: return unary([](Real x) { return math::atan(x); });
        case MathFunction::kPow: return binary([](Real x, Real y) { return math::pow(x, y); });
        case MathFunction::kAtan2: return binary([](Real y, Real x) { return math::atan2(y, x); });
        case MathFunction::kSincos:
            return over_lanes<Real>(n, [&](std::size_t i) {
                Real sine, cosine;
                math::sincos(load<Real>(a + i), sine, cosine);
                store<Real>(sine, result + i);
                store<Real>(cosine, second + i);
            });
        case MathFunction::kTan:
        case MathFunction::kTanh:
            if constexpr (kLanesOf<Real> == 1) {
                if (function == MathFunction::kTan) return unary([](double x) { return math::tan(x); });
                return unary([](double x) { return math::tanh(x); });
            } else {
                throw std::invalid_argument("tan and tanh have no packs");
            }
    }
}

#define CONES_MATH_OVER_ARRAYS(Real)                                                                         \
    template void math_over_arrays<Real>(MathFunction, std::size_t, const double*, const double*, double*, \
                                         double*);
CONES_FOR_EACH_NUMBER_TYPE(CONES_MATH_OVER_ARRAYS)

}  // namespace cones::testing_support
