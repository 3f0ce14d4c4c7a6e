// The equation of motion evaluated for several trajectories at once, one per
// vector lane, and the choice of the instruction set that does it.
#pragma once

#include <vector>

#include "tracing/field_selector.hpp"

namespace cones {

// The widest batch: eight doubles of an AVX-512 register.
inline constexpr int kMaxLanes = 8;

// The points of one batch of derivative evaluations, one trajectory each.
// Slots 0..count-1 hold the trajectories of interest; the lanes after them
// compute on a copy of slot 0 and their results are discarded.
struct DerivativeBatch {
    int count = 0;
    const double* state[kMaxLanes] = {};  // GSM state (x, y, z, vx, vy, vz): Earth radii, Earth radii per second
    double* derivative[kMaxLanes] = {};   // the six derivatives are written here
    double charge_to_mass[kMaxLanes] = {};  // relativistic charge-to-mass ratio, C/kg
};

// Evaluates the equation of motion of one field model for a batch.
using BatchDerivatives = void (*)(const FieldContext& field, const DerivativeBatch& batch);

// The points of one batch of field evaluations (for tests and benchmarks);
// slots from `count` on are stand-ins, as in a DerivativeBatch: their points
// are overwritten with slot 0's and their fields are not meaningful.
struct FieldBatch {
    int count = 0;
    double x[kMaxLanes] = {}, y[kMaxLanes] = {}, z[kMaxLanes] = {};     // GSM, Earth radii
    double bx[kMaxLanes] = {}, by[kMaxLanes] = {}, bz[kMaxLanes] = {};  // GSM, nT
};

// Evaluates the total field of one field model for a batch.
using BatchFields = void (*)(const FieldContext& field, FieldBatch& batch);

// The batch routine of the equation of motion of one field model, compiled
// for the pack type P.
// Given: the field model; P is Pack<2, Sse2>, Pack<4, Avx2> or
// Pack<8, Avx512>, each defined only in the build of its instruction set.
// Returned: a routine that writes each slot's six derivatives (Earth radii per
// second, and per second squared, GSM), bit for bit those of
// equation_of_motion for that trajectory alone.
// Notes: only call it, and the routine it returns, on a processor that has
// P's instruction set (lane_derivatives checks).
template <class P>
BatchDerivatives batch_derivatives(FieldModel model);

// The batch routine of the total field of one field model, compiled for P.
// Given, Notes: as batch_derivatives.
// Returned: a routine that writes each slot's field (GSM, nT), bit for bit
// that of model_field_gsm at that point alone.
template <class P>
BatchFields batch_fields(FieldModel model);

// The lane widths this processor runs.
// Returned: in increasing order, 1 (the scalar path) and 2 (SSE2) always, 4
// when it has AVX2, 8 when it has AVX-512F.
// Notes: asks the processor on every call (__builtin_cpu_supports, which
// also checks that the operating system saves the wide registers); nothing is
// cached.
std::vector<unsigned> lane_widths();

// The widest of lane_widths().
unsigned widest_lane_width();

// Given: a lane width. Returned: whether it is one of lane_widths().
bool lane_width_available(unsigned width);

// Given: a lane width. Returned: the name of its instruction set ("scalar"
// for 1, "SSE2", "AVX2", "AVX-512"; "none" for any other width).
const char* lane_instruction_set(unsigned width);

// The batch routines of one field model at a lane width.
// Given: the width, 2, 4 or 8, and the field model.
// Returned: the routine of batch_derivatives or batch_fields for the pack of
// that width.
// Notes: a width the processor does not run (or 1, which has no batches) is a
// std::invalid_argument, so no routine of a missing instruction set is ever
// reached.
BatchDerivatives lane_derivatives(unsigned width, FieldModel model);
BatchFields lane_fields(unsigned width, FieldModel model);

}  // namespace cones
