#include "tracing/field_selector.hpp"

namespace cones {

FieldModel field_model_of_code(int code) {
    const std::span<const FieldModelDescription> rows = field_model_descriptions();
    std::size_t other = rows.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].any_other_code) {
            other = i;
        } else if (rows[i].code == code) {
            return FieldModel{static_cast<int>(i)};
        }
    }
    return FieldModel{static_cast<int>(other)};
}

std::optional<FieldModel> field_model_of_key(std::string_view key) {
    const std::span<const FieldModelDescription> rows = field_model_descriptions();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].key == key) return FieldModel{static_cast<int>(i)};
    }
    return std::nullopt;
}

FieldContext make_field_context(const EpochState& epoch, FieldModel model, const ModelParameters& parameters) {
    FieldContext field;
    field.epoch = &epoch;
    field.model = model;
    with_field_model(model, [&](auto row) {
        using M = typename decltype(row)::type;
        field.prepared.template emplace<static_cast<std::size_t>(field_model<M>)>(M::prepare(epoch, parameters));
    });
    return field;
}

void total_field_gsm(const FieldContext& field, double x, double y, double z, double& bx, double& by, double& bz) {
    with_field_model(field.model, [&](auto row) {
        using M = typename decltype(row)::type;
        model_field_gsm<M>(field.prepared_for<M>(), *field.epoch, x, y, z, bx, by, bz);
    });
}

bool escaped(const FieldContext& field, double x, double y, double z) {
    return with_field_model(field.model, [&](auto row) {
        using M = typename decltype(row)::type;
        return M::escaped(field.prepared_for<M>(), x, y, z);
    });
}

void TrajectoryDerivatives::operator()(double t, const double* state, double* derivative) const {
    with_field_model(field->model, [&](auto row) {
        using M = typename decltype(row)::type;
        ModelDerivatives<M>{field->epoch, &field->prepared_for<M>(), charge_to_mass}(t, state, derivative);
    });
}

}  // namespace cones
