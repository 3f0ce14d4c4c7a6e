#include "tracing/field_selector.hpp"

namespace cones {

FieldContext make_field_context(const EpochState& epoch, FieldModel model,
                                const ModelParameters& parameters) {
    FieldContext field;
    field.epoch = &epoch;
    field.model = model;
    if (model == FieldModel::kT89) field.t89 = t89_coefficients(t89_set_number(parameters[7]));
    if (model == FieldModel::kT96) field.t96 = t96_prepare(parameters, epoch);
    if (model == FieldModel::kT01) field.t01 = t01_prepare(parameters, epoch);
    if (model == FieldModel::kT01Storm) field.t01 = t01_storm_prepare(parameters, epoch);
    field.boundary = prepare_magnetopause(epoch, model, parameters);
    return field;
}

void total_field_gsm(const FieldContext& field, double x, double y, double z, double& bx,
                     double& by, double& bz) {
    with_field_model(field.model, [&](auto m) { model_field_gsm<m.value>(field, x, y, z, bx, by, bz); });
}

void TrajectoryDerivatives::operator()(double t, const double* state, double* derivative) const {
    with_field_model(field->model, [&](auto m) {
        ModelDerivatives<m.value>{field, charge_to_mass}(t, state, derivative);
    });
}

}  // namespace cones
