// The field models without an external part: the tilted dipole and the
// reference field alone, each inside the sphere of 30 Earth radii, and the
// reference field with no boundary at all. Rows of the field model registry.
#pragma once

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"

namespace cones {

// What the models without an external part prepare: nothing.
struct NothingPrepared {};

// Whether a point lies beyond the escape sphere of the internal-field models.
// Given:    x, y, z  GSM, Earth radii.
// Returned: r = sqrt((x^2 + y^2) + z^2) > 30.
bool beyond_escape_sphere(double x, double y, double z);

// What the models inside the escape sphere share: nothing to prepare, and
// escape beyond r = 30.
struct InsideEscapeSphere {
    using Prepared = NothingPrepared;
    static Prepared prepare(const EpochState&, const ModelParameters&) { return {}; }
    static bool escaped(const Prepared&, double x, double y, double z) { return beyond_escape_sphere(x, y, z); }
};

// Field model code 0: the tilted centred dipole of the reference field's
// degree-1 coefficients; escape beyond r = 30.
struct DipoleModel : InsideEscapeSphere {
    static constexpr FieldModelDescription kDescription{.code = 0,
                                                        .key = "dipole",
                                                        .name = "dipole",
                                                        .title = "dipole of {igrf}",
                                                        .internal = InternalPart::kDipole,
                                                        .reads = {}};
    template <class Real>
    static void field(const Prepared&, const EpochState& epoch, Real x, Real y, Real z, Real& bx, Real& by, Real& bz) {
        dipole_field_gsm(epoch, x, y, z, bx, by, bz);
    }
};

// Field model code 10: the reference field of the date; escape beyond r = 30.
struct ReferenceFieldModel : InsideEscapeSphere {
    static constexpr FieldModelDescription kDescription{
        .code = 10, .key = "igrf", .name = "IGRF", .title = "{igrf}", .reads = {}};
    template <class Real>
    static void field(const Prepared&, const EpochState& epoch, Real x, Real y, Real z, Real& bx, Real& by, Real& bz) {
        internal_field_gsm(epoch, x, y, z, bx, by, bz);
    }
};

// Every other field model code: the reference field with no boundary; only
// the tail limit and the time limit end a trajectory.
struct UnboundedReferenceFieldModel {
    static constexpr FieldModelDescription kDescription{
        .any_other_code = true, .key = "igrf-unbounded", .name = "IGRF with no magnetopause", .title = "{igrf}, no magnetopause", .reads = {}};
    using Prepared = NothingPrepared;
    static Prepared prepare(const EpochState&, const ModelParameters&) { return {}; }
    template <class Real>
    static void field(const Prepared&, const EpochState& epoch, Real x, Real y, Real z, Real& bx, Real& by, Real& bz) {
        internal_field_gsm(epoch, x, y, z, bx, by, bz);
    }
    static bool escaped(const Prepared&, double, double, double) { return false; }
};

// The reference field of the date plus an external field: what every model
// with an external part evaluates.
// Given:    the epoch; a GSM point (Earth radii); `external`, called as
//           external(ex, ey, ez) to add its field (nT).
// Returned: the sum, GSM, nT: the internal field first, then each component
//           plus the external one.
template <class Real, class External>
void reference_field_plus(const EpochState& epoch, Real x, Real y, Real z, Real& bx, Real& by, Real& bz,
                          External&& external) {
    Real ex = 0.0, ey = 0.0, ez = 0.0;
    internal_field_gsm(epoch, x, y, z, bx, by, bz);
    external(ex, ey, ez);
    bx = bx + ex;
    by = by + ey;
    bz = bz + ez;
}

}  // namespace cones
