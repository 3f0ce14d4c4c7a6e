// Escape test: has a traced particle left the magnetosphere of the field model?
#pragma once

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"
#include "tracing/inputs.hpp"

namespace cones {

inline constexpr int kOutsideMagnetosphere = -1;
inline constexpr int kInsideMagnetosphere = +1;

// The boundary of a run's field model with everything that depends only on
// the run (the pressure scaling, the tilt's sine) worked out once.
//   dipole and internal field: the sphere r = 30;
//   T89: the T89 surface (tail cylinder of radius 22.4, two cones, dayside
//       paraboloid with its nose at x = 11.07);
//   T96: the T96 half-ellipsoid with a tail cylinder, scaled by the solar-wind
//       pressure P (element 1, nPa): semi-axes a = 75.6 / F along x and
//       b = 28.55 / F across, centre x0 = -64.51 / F, F = (P / 2)^0.1376;
//   T01, storm-time T01: a surface in tilt-deformed coordinates, scaled by
//       G = (P / 2)^alpha: a0 = 34.586 / G, x_m = 3.4397 / G - 34.586 / G;
//   internal field with no magnetopause: always inside.
// A pressure <= 0 is not defined for T96 and the T01 models (the
// configuration check rejects it).
struct Magnetopause {
    double t96_a = 0.0, t96_b = 0.0, t96_x0 = 0.0;
    double t01_a0_squared = 0.0, t01_x_m = 0.0;
    double t01_hinge_distance = 0.0;
    double sin_tilt = 0.0;  // sin of the epoch's tilt, for the T01 deformation
};

// The boundary of `model` for the epoch and the run's parameters.
Magnetopause prepare_magnetopause(const EpochState& epoch, FieldModel model,
                                  const ModelParameters& parameters);

// Returns -1 when the GSM point (x, y, z) (Earth radii) lies outside the
// boundary of model M, +1 when inside; `boundary` must be prepared for M.
// Beyond x = -70 every model boundary counts as outside; the spheres and the
// model with no magnetopause do not look at x.
template <FieldModel M>
int magnetopause_test(const Magnetopause& boundary, double x, double y, double z);

// The same test with the model chosen at run time (prepares the boundary on
// every call: for tests and tools, not for the tracing loop).
int magnetopause_test(const EpochState& epoch, double x, double y, double z, FieldModel model,
                      const ModelParameters& parameters);

}  // namespace cones
