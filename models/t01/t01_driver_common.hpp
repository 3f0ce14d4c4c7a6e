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

// Fills what both drivers derive alike from their amplitude table `a` (Ak at
// index k - 1) and the driving parameters (P, Dst, By, Bz): the size factor
// and magnetopause, the blending layer of half-width `blend_half_width`, the
// IMF clock-angle terms and penetrated field, the interconnection and
// shielding weights, the symmetric ring current's amplitude, the hinge, warp
// and sheet parameters, and the ring-current size factors from D*.
T01DrivingTerms t01_prepare_shared(const float* a, double blend_half_width,
                                   const ModelParameters& parameters, double tilt, T01Prepared& model);

// Prepares the four components from the completed component parameter record.
void t01_prepare_components(double tilt, T01Prepared& model);

}  // namespace cones
