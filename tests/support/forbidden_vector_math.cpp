// An AVX-512 lane object that calls vector math the lane objects must not
// call, beside the calls they may make, for the test that their check tells
// the two apart. Every symbol it defines names the AVX-512 pack, so that only
// its calls are at fault.

#include <sleef.h>

#include "numerics/pack.hpp"

// The C library's 8-lane exponential (its vector math library).
extern "C" __m512d _ZGVeN8v_exp(__m512d);

namespace cones {

void forbidden_vector_math(Pack<8, Avx512>& x, LaneVectors<4>::Values& four, double& one) {
    // Allowed: the math layer's 8-lane routine.
    x.v = Sleef_cinz_expd8_u10avx512fnofma(x.v);
    // Forbidden: the one-value routine (one lane at a time), fused
    // multiply-add, the coarser accuracy, another width, the C library's
    // vector routine.
    one = Sleef_cinz_expd1_u10purec(one);
    x.v = Sleef_finz_expd8_u10avx512f(x.v);
    x.v = Sleef_cinz_sind8_u35avx512fnofma(x.v);
    four = Sleef_cinz_expd4_u10avx(four);
    x.v = _ZGVeN8v_exp(x.v);
}

}  // namespace cones
