// T89 as a row of the field model registry (field model code 89): the
// reference field plus T89, inside the T89 magnetopause.
#pragma once

#include "models/internal/internal_models.hpp"
#include "models/t89/t89.hpp"

namespace cones {

struct T89Model {
    static constexpr FieldModelDescription kDescription{
        .code = 89, .key = "t89", .name = "T89", .title = "{igrf} + T89", .reads = {ModelInput::kKp}};
    using Prepared = T89Coefficients;
    // The coefficient set of the Kp index (element 8), which must be above
    // -1.5 (the configuration check rejects smaller values).
    static Prepared prepare(const EpochState&, const ModelParameters& parameters) {
        return t89_coefficients(t89_set_number(parameters[7]));
    }
    template <class Real>
    static void field(const Prepared& set, const EpochState& epoch, Real x, Real y, Real z, Real& bx, Real& by,
                      Real& bz) {
        reference_field_plus(epoch, x, y, z, bx, by, bz,
                             [&](Real& ex, Real& ey, Real& ez) { t89_external_field(set, epoch, x, y, z, ex, ey, ez); });
    }
    static bool escaped(const Prepared&, double x, double y, double z) { return t89_escaped(x, y, z); }
};

}  // namespace cones
