// The registry of field models: one row per model. A row is a type from the
// model's own folder under models/ that gives
//   kDescription  its file code, names, the driving parameters it reads,
//                 whether it needs a pressure above 0 and whether its field
//                 fills the vector lanes (models/model_parameters.hpp);
//   Prepared      the data it prepares once per run, and prepare(epoch,
//                 parameters) that makes it;
//   field<Real>   its total field at a GSM point, for one point (double) or
//                 a pack of points;
//   escaped       its magnetopause test at a GSM point.
// Adding a model: its folder with its field, its magnetopause and its row,
// and its row in this list. Everything else (the file codes, the checks of
// the parameters, the titles, the field context, the compiled tracers of
// each model, the lane choice) reads the rows.
#pragma once

#include "models/internal/internal_models.hpp"
#include "models/t01/t01_model.hpp"
#include "models/t89/t89_model.hpp"
#include "models/t96/t96_model.hpp"

namespace cones {

template <class... Models>
struct FieldModelList {};

using FieldModels = FieldModelList<DipoleModel,                  // code 0
                                   ReferenceFieldModel,          // code 10
                                   T89Model,                     // code 89
                                   T96Model,                     // code 96
                                   T01Model,                     // code 1
                                   T01StormModel,                // code 3
                                   UnboundedReferenceFieldModel  // any other code
                                   >;

}  // namespace cones
