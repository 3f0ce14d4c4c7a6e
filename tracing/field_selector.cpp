#include "tracing/field_selector.hpp"

namespace cones {

FieldContext make_field_context(const EpochState& epoch, FieldModel model,
                                const ModelParameters& parameters) {
    FieldContext field;
    field.epoch = &epoch;
    field.model = model;
    field.parameters = parameters;
    if (model == FieldModel::kT89) field.t89 = t89_coefficients(t89_set_number(parameters[7]));
    return field;
}

void total_field_gsm(const FieldContext& field, double x, double y, double z, double& bx,
                     double& by, double& bz) {
    const EpochState& epoch = *field.epoch;
    if (field.model == FieldModel::kDipole) {
        dipole_field_gsm(epoch, x, y, z, bx, by, bz);
        return;
    }
    double ex = 0.0, ey = 0.0, ez = 0.0;
    internal_field_gsm(epoch, x, y, z, bx, by, bz);
    if (field.model == FieldModel::kT89) t89_external_field(field.t89, epoch, x, y, z, ex, ey, ez);
    bx = bx + ex;
    by = by + ey;
    bz = bz + ez;
}

void TrajectoryDerivatives::operator()(double /*t*/, const double* state,
                                       double* derivative) const {
    double bx, by, bz;
    total_field_gsm(*field, state[0], state[1], state[2], bx, by, bz);
    const double vx = state[3], vy = state[4], vz = state[5];
    const double q = charge_to_mass;
    derivative[0] = vx;
    derivative[1] = vy;
    derivative[2] = vz;
    derivative[3] = -(vy * bz - vz * by) * q / 1e9;
    derivative[4] = -(vz * bx - vx * bz) * q / 1e9;
    derivative[5] = -(vx * by - vy * bx) * q / 1e9;
}

}  // namespace cones
