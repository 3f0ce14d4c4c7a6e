// T01 and storm-time T01 magnetospheric (external) field models (field model
// codes 1 and 3). Both are the same current systems in the same magnetopause,
// steered by their own amplitude tables and driving parameters; the choice
// between them is made once, when the run's set is prepared.
#pragma once

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"
#include "models/t01/t01_components.hpp"

namespace cones {

// Everything a T01 or storm-time T01 evaluation reads, prepared once per run
// from the driving parameters and the epoch's dipole tilt.
struct T01Prepared {
    // Size and shape of the model magnetopause (pressure-scaled).
    double kappa = 0.0;           // size factor (P/2)^A39
    double kappa3 = 0.0;          // kappa^3, scale of the dipole shielding field
    double x0 = 0.0;              // 3.4397 / kappa, Earth radii
    double semi_axis = 0.0;       // 34.586 / kappa, Earth radii
    double sin_tilt = 0.0;        // the hinge distance is parameters.hinge_distance
    // Magnetopause test and blending layer in the boundary coordinate sigma.
    double inside_limit = 0.0;    // s0 - ds: no blending below
    double outside_limit = 0.0;   // s0 + ds: outside from here
    double blend_half_width = 0.0;  // ds
    // Penetrated interplanetary field O = (0, f By, f Bz), nT.
    T01Field penetrated;
    // Amplitudes of the sources.
    double shielding_weight = 0.0;             // A1
    double tail1 = 0.0, tail2 = 0.0;           // t1, t2
    double symmetric_ring = 0.0, partial_ring = 0.0;
    double birkeland11 = 0.0, birkeland12 = 0.0, birkeland21 = 0.0, birkeland22 = 0.0;
    T01Field interconnection;     // A24 H, H = (0, By, Bz)
    T01Field interconnection_clock;  // A25 h H
    // The component parameter record of the run and the prepared components.
    T01ComponentParameters parameters;
    T01DipoleShielding dipole_shielding;
    T01Tail tail;
    T01Birkeland birkeland;
    T01RingCurrent ring_current;
};

// ---------------------------------------------------------------------------
// T01 (field model code 1)
// ---------------------------------------------------------------------------

// Prepares the T01 model for a run.
// Given: parameters, elements 1 (solar-wind dynamic pressure P, nPa), 2 (Dst,
// nT), 3 and 4 (IMF By and Bz, GSM, nT), 5 and 6 (solar-wind history indices
// G1, G2); the epoch, for its dipole tilt psi (radians).
// Returned: the prepared set: the pressure-corrected D* = 0.8 Dst - 13 sqrt(P),
// the size factor, the IMF clock-angle terms, the amplitudes of the sources
// and the component parameters, all fixed for the run.
// Notes: P must be positive (the size factor is a power of P/2 and divides
// the magnetopause axes). Elements 7 to 10 are not read. Amplitude
// coefficients single precision; the factor 0.8 of Dst single precision.
T01Prepared t01_prepare(const ModelParameters& parameters, const EpochState& epoch);

// ---------------------------------------------------------------------------
// Storm-time T01 (field model code 3)
// ---------------------------------------------------------------------------

// Prepares the storm-time T01 model for a run: T01 with its own amplitude
// table, a wider blending layer, and amplitudes and sizes that saturate in
// the history indices G2 and G3 and grow with the storm strength |D*|.
// Given: parameters, elements 1 to 4 as for T01, 6 and 7 (G2, G3); the epoch.
// Returned: the prepared set.
// Notes: P must be positive. Elements 5, 8, 9 and 10 are not read.
T01Prepared t01_storm_prepare(const ModelParameters& parameters, const EpochState& epoch);

// ---------------------------------------------------------------------------
// Evaluation, shared by both models
// ---------------------------------------------------------------------------

// Boundary coordinate sigma of a point (1.196 on the model magnetopause,
// smaller inside) and the passes its tilt deformation took, of one point or
// of each lane's.
template <class Real>
struct T01BoundaryCoordinateOf {
    Real sigma = 0.0;
    Real passes = 0.0;
};
using T01BoundaryCoordinate = T01BoundaryCoordinateOf<double>;

// Position of a point relative to the tilt-deformed, pressure-scaled
// magnetopause of the prepared model.
// Given: the prepared model; x, y, z in GSM, Earth radii; Real is double or
// a pack.
// Returned: the boundary coordinate sigma (1.196 on the magnetopause) and the
// passes of the tilt iteration.
// Notes: the tilt iteration (hinge term -5.2, exponent 0.33333333, both
// double) stops at kT01MaxTiltPasses and then uses its last iterate; in a
// pack each lane stops at its own pass. The origin divides by zero.
template <class Real>
T01BoundaryCoordinateOf<Real> t01_boundary_coordinate(const T01Prepared& model, Real x, Real y, Real z);

// External field of the prepared T01 or storm-time T01 model at a GSM point.
// Given: the prepared model; the epoch it was prepared with (its dipole field
// is subtracted outside the magnetopause); x, y, z in GSM, Earth radii; Real
// is double (one point) or a Pack (one point per lane).
// Returned: bx, by, bz, GSM, nT.
// Notes: inside the magnetopause the sum of the shielded sources and the
// interconnection field; in the blending layer around it a linear blend into
// the penetrated interplanetary field; outside, the penetrated field minus the
// Earth's dipole field. The sources are evaluated only when a point (a lane)
// lies inside the layer's outer edge. The origin divides by zero.
template <class Real>
void t01_external_field(const T01Prepared& model, const EpochState& epoch, Given<Real> x, Given<Real> y,
                        Given<Real> z, Real& bx, Real& by, Real& bz);

// Whether a point lies outside the magnetopause of the prepared model: its
// boundary coordinate sigma (the one the field blends by) at or beyond 1.196,
// or beyond x = -70.
// Given: the prepared model; x, y, z in GSM, Earth radii.
// Returned: true outside (escaped), false inside.
bool t01_escaped(const T01Prepared& model, double x, double y, double z);

}  // namespace cones
