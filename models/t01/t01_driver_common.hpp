// Steps shared by the T01 and storm-time T01 drivers when they prepare a run.
// Internal to the T01 model family.
#pragma once

#include "models/t01/t01.hpp"

namespace cones {

// Pressure-corrected Dst: D* = 0.8 Dst - 13 sqrt(P), with 0.8 single precision.
double t01_corrected_dst(double dst, double pressure);

// Fills what both drivers derive alike from their amplitude table `a` (Ak at
// index k - 1): the size factor and magnetopause, the blending layer of
// half-width `blend_half_width`, the IMF clock-angle terms and penetrated
// field, the interconnection and shielding weights, the hinge, warp and sheet
// parameters, and the ring-current size factors from D*.
void t01_prepare_shared(const float* a, double blend_half_width, double pressure, double dst_star,
                        double by, double bz, double tilt, T01Prepared& model);

// Prepares the four components from the completed component parameter record.
void t01_prepare_components(double tilt, T01Prepared& model);

}  // namespace cones
