// Steps shared by the T01 and storm-time T01 drivers when they prepare a run.
// Internal to the T01 model family.
#pragma once

#include "models/t01/t01.hpp"

namespace cones {

// The driving terms both drivers use in their own amplitudes.
struct T01DrivingTerms {
    double dst_star;  // D* = 0.8 Dst - 13 sqrt(P), nT (0.8 single precision)
    double sqrt_pressure;
    double tail1_pressure;  // (P/2)^A42
    double tail2_pressure;  // (P/2)^A43
};

// Fills what both drivers derive alike from their amplitude table and the
// driving parameters.
// Given: the amplitude table `a` (Ak at index k - 1); the half-width of the
// blending layer in sigma; the model parameters (P > 0 nPa, Dst nT, By, Bz nT
// in GSM); the dipole tilt psi (radians).
// Returned: in `model`, the size factor and magnetopause, the blending layer,
// the IMF clock-angle terms and penetrated field, the interconnection and
// shielding weights, the symmetric ring current's amplitude, and in
// model.parameters the hinge, warp and sheet parameters and the ring-current
// size factors from D*; the terms the drivers go on from (D*, sqrt P, ...).
// Notes: the drivers complete model.parameters before t01_prepare_components.
T01DrivingTerms t01_prepare_shared(const float* a, double blend_half_width,
                                   const ModelParameters& parameters, double tilt, T01Prepared& model);

// Prepares the four components from the completed component parameter record.
// Given: the dipole tilt psi (radians); `model` with model.parameters complete.
// Returned: in `model`, the prepared dipole shielding, tail, Birkeland and
// ring-current sets.
void t01_prepare_components(double tilt, T01Prepared& model);

}  // namespace cones
