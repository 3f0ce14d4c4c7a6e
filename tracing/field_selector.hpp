// The total geomagnetic field of the run's model and the equation of motion of
// the traced particle: the field models of the registry, chosen by their
// place in it, and the one prepared model of a run.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"
#include "numerics/pack.hpp"
#include "tracing/field_model_registry.hpp"

namespace cones {

namespace registry_detail {

template <class List>
struct Rows;
template <class... Models>
struct Rows<FieldModelList<Models...>> {
    static constexpr std::size_t kCount = sizeof...(Models);
    template <std::size_t I>
    using At = std::tuple_element_t<I, std::tuple<Models...>>;
    template <class M>
    static constexpr std::size_t index_of() {
        constexpr bool matches[] = {std::is_same_v<M, Models>...};
        for (std::size_t i = 0; i < kCount; ++i)
            if (matches[i]) return i;
        return kCount;
    }
    using Prepared = std::variant<typename Models::Prepared...>;
    static constexpr FieldModelDescription kDescriptions[] = {Models::kDescription...};
};

using RegistryRows = Rows<FieldModels>;

}  // namespace registry_detail

// Number of field models in the registry.
inline constexpr std::size_t kFieldModelCount = registry_detail::RegistryRows::kCount;

// A field model of the registry, by its row (field_model<T89Model>, or from a
// file code or a key below).
enum class FieldModel : int {};

// The row of model M.
template <class M>
inline constexpr FieldModel field_model =
    FieldModel{static_cast<int>(registry_detail::RegistryRows::index_of<M>())};

// The model of row I.
template <std::size_t I>
using FieldModelAt = typename registry_detail::RegistryRows::template At<I>;

// The rows' descriptions, in registry order.
inline constexpr std::span<const FieldModelDescription> field_model_descriptions() {
    return registry_detail::RegistryRows::kDescriptions;
}

// What a model says of itself.
inline constexpr const FieldModelDescription& field_model_description(FieldModel model) {
    return registry_detail::RegistryRows::kDescriptions[static_cast<std::size_t>(model)];
}

// The model of a field model code of "Cones.ini": the row with that code, or
// the row that takes every other code.
FieldModel field_model_of_code(int code);

// The model of a key ("t89"), or nothing for a key no row has.
std::optional<FieldModel> field_model_of_key(std::string_view key);

// Calls visit(std::type_identity<M>{}) with the model type M of `model`: the
// one place where a run's model, known at run time, becomes a compile-time
// choice, so that the code for each model is compiled on its own and never
// branches on the model again.
template <std::size_t I = 0, class Visitor>
decltype(auto) with_field_model(FieldModel model, Visitor&& visit) {
    if constexpr (I + 1 == kFieldModelCount) {
        return visit(std::type_identity<FieldModelAt<I>>{});
    } else {
        if (static_cast<std::size_t>(model) == I) return visit(std::type_identity<FieldModelAt<I>>{});
        return with_field_model<I + 1>(model, std::forward<Visitor>(visit));
    }
}

// The prepared data of any model (one alternative per row, in registry order).
using PreparedFieldModel = registry_detail::RegistryRows::Prepared;

// Everything a field evaluation and the escape test read, prepared once per
// run and then only read: the epoch, the field model, and that model's data
// prepared from the run's parameters (coefficients, amplitudes, its
// magnetopause).
struct FieldContext {
    const EpochState* epoch = nullptr;
    FieldModel model = field_model<ReferenceFieldModel>;
    PreparedFieldModel prepared;

    // The prepared data of model M, which must be the context's model (the
    // one routine that calls this is the one compiled for that model).
    template <class M>
    const typename M::Prepared& prepared_for() const {
        return *std::get_if<static_cast<std::size_t>(field_model<M>)>(&prepared);
    }
};

// Prepares the field context of a run.
// Given:    epoch  the run's epoch, which must outlive the context;
//           model  the field model; parameters  the run's driving parameters
//           (each model reads its own: T89 the Kp index, above -1.5; T96 and
//           the T01 models a pressure above 0 and the others they list).
// Returned: the context with the model's prepared data.
FieldContext make_field_context(const EpochState& epoch, FieldModel model, const ModelParameters& parameters);

// Total field of model M: its field routine.
// Given: the model's prepared data and the epoch; a GSM point (Earth radii);
// Real is double (one point) or a Pack (one point per lane).
// Returned: the total field's GSM components, nT.
template <class M, class Real>
inline void model_field_gsm(const typename M::Prepared& prepared, const EpochState& epoch, Real x, Real y, Real z,
                            Real& bx, Real& by, Real& bz) {
    M::template field<Real>(prepared, epoch, x, y, z, bx, by, bz);
}

// The same with the model chosen at run time (for tests and tools).
void total_field_gsm(const FieldContext& field, double x, double y, double z, double& bx, double& by, double& bz);

// Whether a GSM point (Earth radii) lies outside the magnetopause of the
// context's model, with the model chosen at run time (for tests and tools).
bool escaped(const FieldContext& field, double x, double y, double z);

// Equation of motion of the traced particle in the field of model M: the
// time derivative (vx, vy, vz, a) of the state, with a = -q (v x B) 1e-9, the
// Lorentz acceleration of the proton with its charge reversed, which traces
// the proton backwards in time.
// Given: the model's prepared data and the epoch; the state (x, y, z, vx, vy,
// vz) in GSM (Earth radii, Earth radii per second), the relativistic
// charge-to-mass ratio q (C/kg); Real is double or a Pack (one trajectory per
// lane).
// Returned: the six derivatives (Earth radii per second, and per second
// squared), GSM.
// Notes: B in nT, so the Earth radius cancels and 1e-9 turns nT into tesla.
template <class M, class Real>
inline void equation_of_motion(const typename M::Prepared& prepared, const EpochState& epoch, const Real* state,
                               Real q, Real* derivative) {
    Real bx, by, bz;
    model_field_gsm<M>(prepared, epoch, state[0], state[1], state[2], bx, by, bz);
    const Real vx = state[3], vy = state[4], vz = state[5];
    derivative[0] = vx;
    derivative[1] = vy;
    derivative[2] = vz;
    derivative[3] = -(vy * bz - vz * by) * q / 1e9;
    derivative[4] = -(vz * bx - vx * bz) * q / 1e9;
    derivative[5] = -(vx * by - vy * bx) * q / 1e9;
}

// Derivative routine of the trajectory integrator for the field of model M:
// the equation of motion of one trajectory, f(t, state, derivative). The time
// is not used.
template <class M>
struct ModelDerivatives {
    const EpochState* epoch = nullptr;
    const typename M::Prepared* prepared = nullptr;
    double charge_to_mass = 0.0;

    void operator()(double /*t*/, const double* state, double* derivative) const {
        equation_of_motion<M>(*prepared, *epoch, state, charge_to_mass, derivative);
    }
};

// The derivative routine with the model chosen at run time (for tests and tools).
struct TrajectoryDerivatives {
    const FieldContext* field = nullptr;
    double charge_to_mass = 0.0;

    void operator()(double t, const double* state, double* derivative) const;
};

}  // namespace cones
