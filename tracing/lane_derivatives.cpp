// The equation of motion of a batch of trajectories, one per vector lane: the
// states are gathered into packs, the field and the Lorentz acceleration are
// evaluated for all lanes at once, and each lane's derivatives are scattered
// back. Compiled once per instruction set (see numerics/lane_variant.hpp).

#include <type_traits>

#include "numerics/lane_variant.hpp"
#include "tracing/lane_kernels.hpp"

namespace cones {
namespace {

constexpr int kWidth = VariantPack::kLanes;

template <class M>
void derivatives_in_lanes(const FieldContext& field, const DerivativeBatch& batch) {
    // One pack per state component, lane i from slot i (a stand-in lane from
    // slot 0); the derivatives go back through one row per component.
    const double* points[kWidth];
    alignas(64) double q[kWidth];
    for (int lane = 0; lane < kWidth; ++lane) {
        const int slot = lane < batch.count ? lane : 0;
        points[lane] = batch.state[slot];
        q[lane] = batch.charge_to_mass[slot];
    }
    VariantPack state[6], derivative[6];
    for (int k = 0; k < 6; ++k) state[k] = VariantPack::gather(points, k);
    equation_of_motion<M>(field.prepared_for<M>(), *field.epoch, state, VariantPack::load(q), derivative);
    alignas(64) double rows[6][kWidth];
    for (int k = 0; k < 6; ++k) derivative[k].store(rows[k]);
    for (int lane = 0; lane < batch.count; ++lane) {
        double* out = batch.derivative[lane];
        for (int k = 0; k < 6; ++k) out[k] = rows[k][lane];
    }
}

template <class M>
void fields_in_lanes(const FieldContext& field, FieldBatch& batch) {
    for (int lane = batch.count; lane < kWidth; ++lane) {
        batch.x[lane] = batch.x[0];
        batch.y[lane] = batch.y[0];
        batch.z[lane] = batch.z[0];
    }
    VariantPack bx, by, bz;
    model_field_gsm<M>(field.prepared_for<M>(), *field.epoch, VariantPack::load(batch.x), VariantPack::load(batch.y),
                       VariantPack::load(batch.z), bx, by, bz);
    bx.store(batch.bx);
    by.store(batch.by);
    bz.store(batch.bz);
}

}  // namespace

template <class P>
BatchDerivatives batch_derivatives(FieldModel model) {
    static_assert(std::is_same_v<P, VariantPack>, "each instruction set's build holds its own pack");
    return with_field_model(
        model, [](auto row) -> BatchDerivatives { return &derivatives_in_lanes<typename decltype(row)::type>; });
}

template <class P>
BatchFields batch_fields(FieldModel model) {
    static_assert(std::is_same_v<P, VariantPack>, "each instruction set's build holds its own pack");
    return with_field_model(model,
                            [](auto row) -> BatchFields { return &fields_in_lanes<typename decltype(row)::type>; });
}

template BatchDerivatives batch_derivatives<VariantPack>(FieldModel model);
template BatchFields batch_fields<VariantPack>(FieldModel model);

}  // namespace cones
