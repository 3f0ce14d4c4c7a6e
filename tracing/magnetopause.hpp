// Escape test: has a traced particle left the magnetosphere of the field model?
#pragma once

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"
#include "tracing/inputs.hpp"

namespace cones {

inline constexpr int kOutsideMagnetosphere = -1;
inline constexpr int kInsideMagnetosphere = +1;

// Returns -1 when the GSM point (x, y, z) (Earth radii) lies outside the
// magnetopause of the field model, +1 when inside.
//   dipole and internal field: the sphere r = 30;
//   T89: the T89 surface (tail cylinder of radius 22.4, two cones, dayside
//       paraboloid with its nose at x = 11.07);
//   T96: the T96 half-ellipsoid with a tail cylinder, scaled by the solar-wind
//       pressure (element 1, nPa);
//   T01, storm-time T01: their surface in tilt-deformed coordinates, scaled
//       by the pressure; reads the epoch's dipole tilt;
//   internal field with no magnetopause: always inside.
// Beyond x = -70 every model boundary counts as outside. A pressure <= 0 is
// not defined for T96 and the T01 models (the configuration check rejects it).
int magnetopause_test(const EpochState& epoch, double x, double y, double z, FieldModel model,
                      const ModelParameters& parameters);

}  // namespace cones
