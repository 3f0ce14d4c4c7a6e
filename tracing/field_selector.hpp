// The total geomagnetic field of the run's model and the equation of motion of
// the traced particle.
#pragma once

#include <type_traits>

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"
#include "models/t01/t01.hpp"
#include "models/t89/t89.hpp"
#include "models/t96/t96.hpp"
#include "numerics/pack.hpp"
#include "tracing/inputs.hpp"
#include "tracing/magnetopause.hpp"

namespace cones {

// Everything a field evaluation and the escape test read, prepared once per
// run and then only read: the epoch, the field model, the external model's
// coefficients prepared from the run's parameters, and the model's boundary.
struct FieldContext {
    const EpochState* epoch = nullptr;
    FieldModel model = FieldModel::kInternal;
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

// Total field of model M: the dipole alone for the dipole model; otherwise
// the internal field plus the external model (none for the internal-field
// models).
// Given: a GSM point (Earth radii); Real is double (one point) or a Pack (one
// point per lane); with a Pack, `lanes` (at least 1) counts the lanes that
// hold points of interest, the others being stand-ins whose field is
// discarded.
// Returned: the total field's GSM components, nT.
// Notes: the dipole, the internal field and T89 are evaluated for all lanes
// at once; T96 and the T01 models one lane after the other (their cost lies in
// the C library's transcendental functions), stand-in lanes skipped.
template <FieldModel M, class Real>
inline void model_field_gsm(const FieldContext& field, Real x, Real y, Real z, Real& bx, Real& by, Real& bz,
                            int lanes = kLanesOf<Real>) {
    const EpochState& epoch = *field.epoch;
    if constexpr (M == FieldModel::kDipole) {
        dipole_field_gsm(epoch, x, y, z, bx, by, bz);
    } else {
        Real ex = 0.0, ey = 0.0, ez = 0.0;
        internal_field_gsm(epoch, x, y, z, bx, by, bz);
        if constexpr (M == FieldModel::kT89) t89_external_field(field.t89, epoch, x, y, z, ex, ey, ez);
        if constexpr (M == FieldModel::kT96) {
            lanewise_field([&](double px, double py, double pz, double& fx, double& fy,
                               double& fz) { t96_external_field(field.t96, epoch, px, py, pz, fx, fy, fz); },
                           lanes, x, y, z, ex, ey, ez);
        }
        if constexpr (M == FieldModel::kT01 || M == FieldModel::kT01Storm) {
            lanewise_field([&](double px, double py, double pz, double& fx, double& fy,
                               double& fz) { t01_external_field(field.t01, epoch, px, py, pz, fx, fy, fz); },
                           lanes, x, y, z, ex, ey, ez);
        }
        bx = bx + ex;
        by = by + ey;
        bz = bz + ez;
    }
}

// Whether the field of a model is evaluated for all lanes at once (the
// dipole, the internal field, T89); T96 and the T01 models go lane by lane
// and gain nothing from lanes.
constexpr bool field_fills_lanes(FieldModel model) {
    return model != FieldModel::kT96 && model != FieldModel::kT01 && model != FieldModel::kT01Storm;
}

// The same with the model chosen at run time (for tests and tools).
void total_field_gsm(const FieldContext& field, double x, double y, double z, double& bx,
                     double& by, double& bz);

// Equation of motion of the traced particle in the field of model M: the
// time derivative (vx, vy, vz, a) of the state, with a = -q (v x B) 1e-9, the
// Lorentz acceleration of the proton with its charge reversed, which traces
// the proton backwards in time.
// Given: the state (x, y, z, vx, vy, vz) in GSM (Earth radii, Earth radii per
// second), the relativistic charge-to-mass ratio q (C/kg); Real is double or
// a Pack (one trajectory per lane, `lanes` of them of interest as in
// model_field_gsm).
// Returned: the six derivatives (Earth radii per second, and per second
// squared), GSM.
// Notes: B in nT, so the Earth radius cancels and 1e-9 turns nT into tesla.
template <FieldModel M, class Real>
inline void equation_of_motion(const FieldContext& field, const Real* state, Real q, Real* derivative,
                               int lanes = kLanesOf<Real>) {
    Real bx, by, bz;
    model_field_gsm<M>(field, state[0], state[1], state[2], bx, by, bz, lanes);
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
template <FieldModel M>
struct ModelDerivatives {
    const FieldContext* field = nullptr;
    double charge_to_mass = 0.0;

    void operator()(double /*t*/, const double* state, double* derivative) const {
        equation_of_motion<M>(*field, state, charge_to_mass, derivative);
    }
};

// The derivative routine with the model chosen at run time (for tests and tools).
struct TrajectoryDerivatives {
    const FieldContext* field = nullptr;
    double charge_to_mass = 0.0;

    void operator()(double t, const double* state, double* derivative) const;
};

}  // namespace cones
