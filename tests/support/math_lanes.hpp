// The math layer (numerics/math.hpp) over arrays of arguments, one number
// type at a time, for its tests and its benchmark. math_lanes.cpp is compiled
// once for the ordinary build (double and the SSE2 pack) and once more for
// each wider instruction set with that set's flags (the AVX2 and the AVX-512
// pack), as the engine's lane routines are.
#pragma once

#include <cstddef>
#include <ostream>
#include <stdexcept>
#include <string>

#include "numerics/pack.hpp"

namespace cones::testing_support {

enum class MathFunction { kExp, kLog, kPow, kSin, kCos, kSincos, kAtan2, kAsin, kAtan, kTan, kTanh };
inline constexpr MathFunction kMathFunctions[] = {
    MathFunction::kExp,  MathFunction::kLog,  MathFunction::kPow, MathFunction::kSin,
    MathFunction::kCos,  MathFunction::kSincos, MathFunction::kAtan2, MathFunction::kAsin,
    MathFunction::kAtan, MathFunction::kTan,  MathFunction::kTanh};

// The function's name in the math layer ("exp", ..., "tanh").
inline const char* name_of(MathFunction function) {
    switch (function) {
        case MathFunction::kExp: return "exp";
        case MathFunction::kLog: return "log";
        case MathFunction::kPow: return "pow";
        case MathFunction::kSin: return "sin";
        case MathFunction::kCos: return "cos";
        case MathFunction::kSincos: return "sincos";
        case MathFunction::kAtan2: return "atan2";
        case MathFunction::kAsin: return "asin";
        case MathFunction::kAtan: return "atan";
        case MathFunction::kTan: return "tan";
        case MathFunction::kTanh: return "tanh";
    }
    return "?";
}

// Whether the function takes a second argument (pow and atan2).
inline bool takes_two_arguments(MathFunction function) {
    return function == MathFunction::kPow || function == MathFunction::kAtan2;
}

// Whether the math layer has the function for packs (tan and tanh are for
// one value only).
inline bool has_packs(MathFunction function) {
    return function != MathFunction::kTan && function != MathFunction::kTanh;
}

// GoogleTest prints a test parameter of this type by its name.
inline void PrintTo(MathFunction function, std::ostream* out) { *out << name_of(function); }

// Evaluates one function of the math layer over n arguments, one number type
// (double or a pack) at a time.
// Given: the function (for a pack, one of has_packs); n, a multiple of the
// number type's lanes; the first arguments a[n] and, for pow and atan2, the
// second ones b[n] (pow(a, b), atan2(a, b); b is not read for the others).
// Returned: result[n]; for sincos the sines in result and the cosines in
// second[n] (second is not written for the others).
// Notes: defined for double, Pack<2, Sse2>, Pack<4, Avx2> and Pack<8, Avx512>;
// the last two run only on a processor with their instruction set. A
// function without packs at a pack's width is a std::invalid_argument.
template <class Real>
void math_over_arrays(MathFunction function, std::size_t n, const double* a, const double* b, double* result,
                      double* second);

// Compiled in math_lanes.cpp, each in the build of its instruction set only.
extern template void math_over_arrays<double>(MathFunction, std::size_t, const double*, const double*, double*,
                                              double*);
extern template void math_over_arrays<Pack<2, Sse2>>(MathFunction, std::size_t, const double*, const double*,
                                                     double*, double*);
extern template void math_over_arrays<Pack<4, Avx2>>(MathFunction, std::size_t, const double*, const double*,
                                                     double*, double*);
extern template void math_over_arrays<Pack<8, Avx512>>(MathFunction, std::size_t, const double*, const double*,
                                                       double*, double*);

// math_over_arrays at a lane width given at run time: 1 (double), 2, 4 or 8
// (the widths of lane_widths() in tracing/lane_kernels.hpp).
inline void math_over_arrays_at_width(unsigned width, MathFunction function, std::size_t n, const double* a,
                                      const double* b, double* result, double* second) {
    switch (width) {
        case 1: return math_over_arrays<double>(function, n, a, b, result, second);
        case 2: return math_over_arrays<Pack<2, Sse2>>(function, n, a, b, result, second);
        case 4: return math_over_arrays<Pack<4, Avx2>>(function, n, a, b, result, second);
        case 8: return math_over_arrays<Pack<8, Avx512>>(function, n, a, b, result, second);
        default: throw std::invalid_argument("no math routines of " + std::to_string(width) + " lanes");
    }
}

}  // namespace cones::testing_support
