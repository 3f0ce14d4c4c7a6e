// T96 as a row of the field model registry (field model code 96): the
// reference field plus T96, inside the pressure-scaled T96 magnetopause.
#pragma once

#include "models/internal/internal_models.hpp"
#include "models/t96/t96.hpp"

namespace cones {

// The ranges of the data T96 was fitted to: pressure 0.5 to 10 nPa, Dst -100
// to +20 nT, |By| and |Bz| up to 10 nT.
inline constexpr ModelInputRange kT96FittedRanges[] = {{ModelInput::kPressure, 0.5, 10.0},
                                                       {ModelInput::kDst, -100.0, 20.0},
                                                       {ModelInput::kBy, -10.0, 10.0},
                                                       {ModelInput::kBz, -10.0, 10.0}};

struct T96Model {
    static constexpr FieldModelDescription kDescription{
        .code = 96,
        .key = "t96", .name = "T96",
        .title = "{igrf} + T96",
        .reads = {ModelInput::kPressure, ModelInput::kDst, ModelInput::kBy, ModelInput::kBz},
        .fills_lanes = true,
        .fitted = kT96FittedRanges};
    using Prepared = T96Prepared;
    static Prepared prepare(const EpochState& epoch, const ModelParameters& parameters) {
        return t96_prepare(parameters, epoch);
    }
    template <class Real>
    static void field(const Prepared& model, const EpochState& epoch, Real x, Real y, Real z, Real& bx, Real& by,
                      Real& bz) {
        reference_field_plus(epoch, x, y, z, bx, by, bz, [&](Real& ex, Real& ey, Real& ez) {
            t96_external_field<Real>(model, epoch, x, y, z, ex, ey, ez);
        });
    }
    static bool escaped(const Prepared& model, double x, double y, double z) { return t96_escaped(model, x, y, z); }
};

}  // namespace cones
