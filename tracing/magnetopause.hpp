// Escape test: has a traced particle left the magnetosphere of the field model?
#pragma once

#include "io/config.hpp"
#include "geomag/geomag.hpp"

namespace cones {

inline constexpr int kOutsideMagnetosphere = -1;
inline constexpr int kInsideMagnetosphere = +1;

// Returns -1 when the GSM point (x, y, z) (Earth radii) lies outside the
// magnetopause of the field model `code`, +1 when inside.
//   codes 0 and 10: the sphere r = 30;
//   89: the T89 surface (tail cylinder of radius 22.4, two cones, dayside
//       paraboloid with its nose at x = 11.07);
//   96: the T96 half-ellipsoid with a tail cylinder, scaled by the solar-wind
//       pressure (element 1, nPa);
//   1, 3: the T01 / storm-time T01 surface in tilt-deformed coordinates, scaled
//       by the pressure; reads the epoch's dipole tilt;
//   any other code: always inside.
// Beyond x = -70 every model boundary counts as outside. A pressure <= 0 is
// not defined for codes 96, 1 and 3 (the configuration check rejects it).
int magnetopause_test(const EpochState& epoch, double x, double y, double z, int code,
                      const ModelParameters& parameters);

}  // namespace cones
