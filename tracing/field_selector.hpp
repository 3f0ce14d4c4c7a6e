// The total geomagnetic field of the run's model and the equation of motion of
// the traced particle.
#pragma once

#include <type_traits>

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"
#include "models/t01/t01.hpp"
#include "models/t89/t89.hpp"
#include "models/t96/t96.hpp"
#include "tracing/inputs.hpp"
#include "tracing/magnetopause.hpp"

namespace cones {

// Everything a field evaluation and the escape test read, prepared once per
// run and then only read: the epoch, the field model, the model parameters,
// the external model's prepared coefficients and the model's boundary.
struct FieldContext {
    const EpochState* epoch = nullptr;
    FieldModel model = FieldModel::kInternal;
    ModelParameters parameters{};
    T89Coefficients t89{};  // used by T89
    T96Prepared t96{};      // used by T96
    T01Prepared t01{};      // used by T01 and storm-time T01
    Magnetopause boundary{};
};

// Prepares the field context for a run. The epoch must outlive the context.
// For T89 the coefficient set is chosen by the Kp index (element 8), which
// must be greater than -1.5 (the configuration check rejects smaller values).
// T96 is prepared from the pressure (element 1, which must be positive), Dst
// and the IMF By and Bz, and the epoch's tilt.
// For T01 and storm-time T01 the model is prepared from the pressure (element
// 1, which must be positive), Dst, the IMF and the history indices, and the
// epoch's tilt.
FieldContext make_field_context(const EpochState& epoch, FieldModel model,
                                const ModelParameters& parameters);

// Calls `visit` with std::integral_constant<FieldModel, model>: the one place
// where a run's model, known at run time, becomes a compile-time choice, so
// that the code for each model is compiled on its own and never branches on
// the model again.
template <class Visitor>
decltype(auto) with_field_model(FieldModel model, Visitor&& visit) {
    switch (model) {
        case FieldModel::kDipole: return visit(std::integral_constant<FieldModel, FieldModel::kDipole>{});
        case FieldModel::kInternal: return visit(std::integral_constant<FieldModel, FieldModel::kInternal>{});
        case FieldModel::kT89: return visit(std::integral_constant<FieldModel, FieldModel::kT89>{});
        case FieldModel::kT96: return visit(std::integral_constant<FieldModel, FieldModel::kT96>{});
        case FieldModel::kT01: return visit(std::integral_constant<FieldModel, FieldModel::kT01>{});
        case FieldModel::kT01Storm: return visit(std::integral_constant<FieldModel, FieldModel::kT01Storm>{});
        case FieldModel::kInternalUnbounded: break;
    }
    return visit(std::integral_constant<FieldModel, FieldModel::kInternalUnbounded>{});
}

// Total field of model M at a GSM point (Earth radii), GSM components in nT:
// the dipole alone for the dipole model; otherwise the internal field plus the
// external model (none for the internal-field models).
template <FieldModel M>
inline void model_field_gsm(const FieldContext& field, double x, double y, double z, double& bx, double& by,
                            double& bz) {
    const EpochState& epoch = *field.epoch;
    if constexpr (M == FieldModel::kDipole) {
        dipole_field_gsm(epoch, x, y, z, bx, by, bz);
    } else {
        double ex = 0.0, ey = 0.0, ez = 0.0;
        internal_field_gsm(epoch, x, y, z, bx, by, bz);
        if constexpr (M == FieldModel::kT89) t89_external_field(field.t89, epoch, x, y, z, ex, ey, ez);
        if constexpr (M == FieldModel::kT96) t96_external_field(field.t96, epoch, x, y, z, ex, ey, ez);
        if constexpr (M == FieldModel::kT01 || M == FieldModel::kT01Storm) {
            t01_external_field(field.t01, epoch, x, y, z, ex, ey, ez);
        }
        bx = bx + ex;
        by = by + ey;
        bz = bz + ez;
    }
}

// The same with the model chosen at run time (for tests and tools).
void total_field_gsm(const FieldContext& field, double x, double y, double z, double& bx,
                     double& by, double& bz);

// Derivative routine of the trajectory integrator for the field of model M:
// for the state (x, y, z, vx, vy, vz) in GSM (Earth radii, Earth radii per
// second) it gives (vx, vy, vz, a) with a = -q (v x B) 1e-9, the Lorentz
// acceleration of the proton with its charge reversed, which traces the proton
// backwards in time. q is the relativistic charge-to-mass ratio (C/kg); B in
// nT. The time is not used.
template <FieldModel M>
struct ModelDerivatives {
    const FieldContext* field = nullptr;
    double charge_to_mass = 0.0;

    void operator()(double /*t*/, const double* state, double* derivative) const {
        double bx, by, bz;
        model_field_gsm<M>(*field, state[0], state[1], state[2], bx, by, bz);
        const double vx = state[3], vy = state[4], vz = state[5];
        const double q = charge_to_mass;
        derivative[0] = vx;
        derivative[1] = vy;
        derivative[2] = vz;
        derivative[3] = -(vy * bz - vz * by) * q / 1e9;
        derivative[4] = -(vz * bx - vx * bz) * q / 1e9;
        derivative[5] = -(vx * by - vy * bx) * q / 1e9;
    }
};

// The derivative routine with the model chosen at run time (for tests and tools).
struct TrajectoryDerivatives {
    const FieldContext* field = nullptr;
    double charge_to_mass = 0.0;

    void operator()(double t, const double* state, double* derivative) const;
};

}  // namespace cones
