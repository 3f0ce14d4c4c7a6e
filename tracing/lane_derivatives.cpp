// The equation of motion of a batch of trajectories, one per vector lane: the
// states are gathered into packs, the field and the Lorentz acceleration are
// evaluated for all lanes at once, and each lane's derivatives are scattered
// back. Compiled once per instruction set (see numerics/lane_variant.hpp).

#include <type_traits>

#include "numerics/lane_variant.hpp"
#include "tracing/lane_kernels.hpp"

namespace cones {
namespace {

template <FieldModel M>
void derivatives_in_lanes(const FieldContext& field, const DerivativeBatch& batch) {
    constexpr int kWidth = VariantPack::kLanes;
    VariantPack state[6];
    VariantPack q;
    for (int lane = 0; lane < kWidth; ++lane) {
        const int slot = lane < batch.count ? lane : 0;  // a stand-in computes on slot 0's point
        const double* point = batch.state[slot];
        for (int k = 0; k < 6; ++k) state[k].set(lane, point[k]);
        q.set(lane, batch.charge_to_mass[slot]);
    }
    VariantPack derivative[6];
    equation_of_motion<M>(field, state, q, derivative, batch.count);
    for (int lane = 0; lane < batch.count; ++lane) {
        double* out = batch.derivative[lane];
        for (int k = 0; k < 6; ++k) out[k] = derivative[k][lane];
    }
}

template <FieldModel M>
void fields_in_lanes(const FieldContext& field, FieldBatch& batch) {
    constexpr int kWidth = VariantPack::kLanes;
    VariantPack x, y, z;
    for (int lane = 0; lane < kWidth; ++lane) {
        const int slot = lane < batch.count ? lane : 0;
        x.set(lane, batch.x[slot]);
        y.set(lane, batch.y[slot]);
        z.set(lane, batch.z[slot]);
    }
    VariantPack bx, by, bz;
    model_field_gsm<M>(field, x, y, z, bx, by, bz, batch.count);
    for (int lane = 0; lane < batch.count; ++lane) {
        batch.bx[lane] = bx[lane];
        batch.by[lane] = by[lane];
        batch.bz[lane] = bz[lane];
    }
}

}  // namespace

template <class P>
BatchDerivatives batch_derivatives(FieldModel model) {
    static_assert(std::is_same_v<P, VariantPack>, "each instruction set's build holds its own pack");
    return with_field_model(model, [](auto m) -> BatchDerivatives { return &derivatives_in_lanes<m.value>; });
}

template <class P>
BatchFields batch_fields(FieldModel model) {
    static_assert(std::is_same_v<P, VariantPack>, "each instruction set's build holds its own pack");
    return with_field_model(model, [](auto m) -> BatchFields { return &fields_in_lanes<m.value>; });
}

template BatchDerivatives batch_derivatives<VariantPack>(FieldModel model);
template BatchFields batch_fields<VariantPack>(FieldModel model);

}  // namespace cones
