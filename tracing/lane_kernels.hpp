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

// The batch routine of `model` compiled for the pack type P (Pack<2, Sse2>,
// Pack<4, Avx2> or Pack<8, Avx512>): each slot's derivatives are bit for bit
// those of equation_of_motion for that trajectory alone. Only call it, and
// the routine it returns, on a processor that has P's instruction set.
template <class P>
BatchDerivatives batch_derivatives(FieldModel model);

// The same for the total field: each slot's field is bit for bit that of
// model_field_gsm at that point alone.
template <class P>
BatchFields batch_fields(FieldModel model);

// The lane widths this processor runs, in increasing order: 1 (the scalar
// path) and 2 (SSE2) always, 4 with AVX2, 8 with AVX-512 (checked once, with
// __builtin_cpu_supports).
std::vector<unsigned> lane_widths();

// The widest of lane_widths().
unsigned widest_lane_width();

// True when `width` is one of lane_widths().
bool lane_width_available(unsigned width);

// Name of the instruction set of a lane width ("scalar" for 1).
const char* lane_instruction_set(unsigned width);

// The batch routines of `model` for a lane width of 2, 4 or 8, which must be
// available (else std::invalid_argument).
BatchDerivatives lane_derivatives(unsigned width, FieldModel model);
BatchFields lane_fields(unsigned width, FieldModel model);

}  // namespace cones
