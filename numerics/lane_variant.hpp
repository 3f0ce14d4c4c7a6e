// The number types that the field routines of a translation unit are compiled
// for. The ordinary build compiles each routine for double and for the
// two-lane SSE2 pack (the baseline of every x86-64 processor); the build of a
// wider instruction set (CONES_LANES_AVX2 or CONES_LANES_AVX512, with the
// matching -m options) compiles the same source once more for that
// instruction set's pack alone, so that no scalar routine is ever compiled
// with instructions the processor may lack. CONES_FOR_EACH_PACK_TYPE names
// the pack of the build alone, for routines whose one-point form is written
// on its own. CONES_ONE_POINT_BUILD is 1 in the ordinary build and 0 in the
// wider ones: a source's routines for one point alone (the preparation of a
// model, say) stand within #if CONES_ONE_POINT_BUILD, so that they are
// compiled once, without the wider instructions.
//
// Only source files include this header: VariantPack names a different type
// in each build and must never reach an inline function of a header.
#pragma once

#include "numerics/pack.hpp"

namespace cones {

#if defined(CONES_LANES_AVX512)
#if !defined(__AVX512F__)
#error "the AVX-512 lanes are compiled with -mavx512f"
#endif
using VariantPack = Pack<8, Avx512>;
#define CONES_FOR_EACH_NUMBER_TYPE(X) X(::cones::VariantPack)
#define CONES_FOR_EACH_PACK_TYPE(X) X(::cones::VariantPack)
#define CONES_ONE_POINT_BUILD 0
#elif defined(CONES_LANES_AVX2)
#if !defined(__AVX2__)
#error "the AVX2 lanes are compiled with -mavx2"
#endif
using VariantPack = Pack<4, Avx2>;
#define CONES_FOR_EACH_NUMBER_TYPE(X) X(::cones::VariantPack)
#define CONES_FOR_EACH_PACK_TYPE(X) X(::cones::VariantPack)
#define CONES_ONE_POINT_BUILD 0
#else
using VariantPack = Pack<2, Sse2>;
#define CONES_FOR_EACH_NUMBER_TYPE(X) X(double) X(::cones::VariantPack)
#define CONES_FOR_EACH_PACK_TYPE(X) X(::cones::VariantPack)
#define CONES_ONE_POINT_BUILD 1
#endif

}  // namespace cones
