// The total field of a run's field model at points given in a frame of the
// program's choice (GEO, GSE or GSM), for tools that ask for the field itself
// rather than for trajectories.
#pragma once

#include "tracing/field_selector.hpp"
#include "tracing/inputs.hpp"

namespace cones {

// Total field of the context's model at one point.
// Given:    field  the run's prepared field context (epoch, model and its
//           parameters); frame  the frame of the point and of the result;
//           x, y, z  the point in that frame, Earth radii.
// Returned: bx, by, bz  the total field (internal plus the model's external
//           field) in the same frame, nT.
// Notes:    the point is rotated into GSM, the model's field evaluated there
//           (model_field_gsm, as the tracing evaluates it) and rotated back.
//           The field is the model's everywhere, also beyond its
//           magnetopause, where the tracing stops; the origin is singular and
//           must not be passed.
void field_in_frame(const FieldContext& field, OutputFrame frame, double x, double y, double z, double& bx,
                    double& by, double& bz);

}  // namespace cones
