// The total geomagnetic field of the configured model and the equation of
// motion of the traced particle.
#pragma once

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"
#include "models/t89/t89.hpp"
#include "tracing/inputs.hpp"

namespace cones {

// Everything a field evaluation reads, prepared once per run and then only
// read: the epoch, the field model, the model parameters, and the external
// model's prepared coefficients.
struct FieldContext {
    const EpochState* epoch = nullptr;
    FieldModel model = FieldModel::kInternal;
    ModelParameters parameters{};
    T89Coefficients t89{};  // used when code is 89
};

// Prepares the field context for a run. The epoch must outlive the context.
// For T89 the coefficient set is chosen by the Kp index (element 8), which
// must be greater than -1.5 (the configuration check rejects smaller values).
FieldContext make_field_context(const EpochState& epoch, FieldModel model,
                                const ModelParameters& parameters);

// Total field at a GSM point (Earth radii), GSM components in nT: the dipole
// alone for the dipole model; otherwise the internal field plus the external
// model (none for the internal-field models).
void total_field_gsm(const FieldContext& field, double x, double y, double z, double& bx,
                     double& by, double& bz);

// Derivative routine of the trajectory integrator: for the state
// (x, y, z, vx, vy, vz) in GSM (Earth radii, Earth radii per second) it gives
// (vx, vy, vz, a) with a = -q (v x B) 1e-9, the Lorentz acceleration of the
// proton with its charge reversed, which traces the proton backwards in time.
// q is the relativistic charge-to-mass ratio (C/kg); B in nT. The time is not used.
struct TrajectoryDerivatives {
    const FieldContext* field = nullptr;
    double charge_to_mass = 0.0;

    void operator()(double t, const double* state, double* derivative) const;
};

}  // namespace cones
