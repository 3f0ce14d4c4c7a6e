// The nonlinear parameters through which the T01 and storm-time T01 drivers
// steer the shared current systems.
#pragma once

namespace cones {

// Size, shape and position parameters of the T01 current systems. A driver
// fills the record from its amplitude table and the driving parameters of the
// run; the tail, Birkeland and ring-current components read it when they are
// prepared. The dipole shielding field reads none of it.
struct T01ComponentParameters {
    double tail_shift1 = 0.0;             // x shift of tail mode 1, Earth radii
    double tail_shift2 = 0.0;             // x shift of tail mode 2, Earth radii
    double sheet_half_thickness = 0.0;    // tail current sheet, Earth radii
    double sheet_flank_thickening = 0.0;  // thickening toward the flanks (in y), Earth radii
    double hinge_distance = 0.0;          // hinging distance of the tilt deformation, Earth radii
    double warp_amplitude = 0.0;          // warping of the sheet about the X axis
    double kappa1 = 0.0;                  // size factor of the region-1 Birkeland currents
    double kappa2 = 0.0;                  // size factor of the region-2 Birkeland currents
    double src_scale = 0.0;               // size factor of the symmetric ring current
    double prc_scale = 0.0;               // size factor of the partial ring current
    double prc_rotation = 0.0;            // local-time rotation of the partial ring current, radians
};

}  // namespace cones
