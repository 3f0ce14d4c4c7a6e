// T01 and storm-time T01 as rows of the field model registry (field model
// codes 1 and 3): the reference field plus the model, inside the model's own
// tilt-deformed, pressure-scaled magnetopause.
#pragma once

#include "models/internal/internal_models.hpp"
#include "models/t01/t01.hpp"

namespace cones {

// What both rows share: the prepared model, its field and its magnetopause.
struct T01Family {
    using Prepared = T01Prepared;
    template <class Real>
    static void field(const Prepared& model, const EpochState& epoch, Real x, Real y, Real z, Real& bx, Real& by,
                      Real& bz) {
        reference_field_plus(epoch, x, y, z, bx, by, bz, [&](Real& ex, Real& ey, Real& ez) {
            t01_external_field<Real>(model, epoch, x, y, z, ex, ey, ez);
        });
    }
    static bool escaped(const Prepared& model, double x, double y, double z) { return t01_escaped(model, x, y, z); }
};

struct T01Model : T01Family {
    static constexpr FieldModelDescription kDescription{
        .code = 1,
        .key = "t01", .name = "T01",
        .title = "{igrf} + T01",
        .reads = {ModelInput::kPressure, ModelInput::kDst, ModelInput::kBy, ModelInput::kBz, ModelInput::kG1,
                  ModelInput::kG2},
        .fills_lanes = true};
    static Prepared prepare(const EpochState& epoch, const ModelParameters& parameters) {
        return t01_prepare(parameters, epoch);
    }
};

struct T01StormModel : T01Family {
    static constexpr FieldModelDescription kDescription{
        .code = 3,
        .key = "t01s", .name = "storm-time T01",
        .title = "{igrf} + storm-time T01",
        .reads = {ModelInput::kPressure, ModelInput::kDst, ModelInput::kBy, ModelInput::kBz, ModelInput::kG2,
                  ModelInput::kG3},
        .fills_lanes = true};
    static Prepared prepare(const EpochState& epoch, const ModelParameters& parameters) {
        return t01_storm_prepare(parameters, epoch);
    }
};

}  // namespace cones
