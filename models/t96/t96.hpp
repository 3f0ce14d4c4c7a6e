// T96 magnetospheric (external) field model, driven by the solar-wind dynamic
// pressure, the Dst index and the IMF By and Bz.
//
// The model field inside its magnetopause is the sum of six scaled current
// systems: the magnetopause currents shielding the Earth's dipole, the ring
// current, two modes of the tail current, the region-1 and region-2 Birkeland
// (field-aligned) currents, and the field of the IMF penetrating through the
// magnetopause. Outside the magnetopause it is the penetrated IMF minus the
// Earth's dipole; a thin layer blends the two.
//
// The run's parameters and the dipole tilt are turned once into a read-only
// T96Prepared by t96_prepare; every field routine only reads it. The
// component routines take the position already scaled by the pressure factor
// kappa and return their field for unit amplitude; t96_external_field scales,
// sums and blends them.
//
// The field routines are written over their number type Real: double for one
// point, or a pack of numerics/pack.hpp for one point per lane, each lane
// computing exactly the arithmetic of one point. Where the model branches
// (the magnetopause layer, the Bessel functions' two forms, the region-1
// oval, the region-2 bands, the axes), every branch that any lane takes is
// evaluated and each lane picks its own; for one point that is the branch of
// the point alone. The routines are compiled for double and for each
// instruction set's pack (numerics/lane_variant.hpp).
//
// Units: positions in Earth radii, fields in nT, angles in radians; all
// vectors in GSM unless a routine says otherwise.
#pragma once

#include <cstddef>

#include "geomag/geomag.hpp"
#include "models/model_parameters.hpp"
#include "numerics/pack.hpp"

namespace cones {

// A field vector (nT) or position (Earth radii) in the frame its routine
// names, of one point (double) or of a pack of points.
template <class Real>
struct T96VectorOf {
    Real x = 0.0;
    Real y = 0.0;
    Real z = 0.0;
};
using T96Vector = T96VectorOf<double>;

// ---------------------------------------------------------------- prepared data

// The weights of one Cartesian shielding field (two sums of N x N harmonics)
// that depend only on the tilt and on the table's scales.
template <std::size_t N>
struct T96ShieldingWeights {
    double sin_tilt = 0.0;      // factor of every term of the second sum
    double first_factor = 0.0;  // cos psi: weights the second amplitude of the first sum
    double second_factor = 0.0; // 4 cos^2 psi - 1: the same in the second sum
    // e-folding rates along x (1/Re) of harmonic (i, k): sqrt(1/p_i^2 + 1/r_k^2)
    // in the first sum and sqrt(1/q_i^2 + 1/s_k^2) in the second.
    double first_rate[N][N] = {};
    double second_rate[N][N] = {};
};

// Tilt factors of the warped current sheet of the ring current and the tail.
struct T96SheetTilt {
    double sin_tilt = 0.0;          // s, the epoch's sine of the tilt
    double hinge_shift = 0.0;       // z shift of the long tail sheet, 9.857300762134084 s
    double tilt_over_hinge = 0.0;   // s / C1, C1 = sqrt(116) - sqrt(80)
    double warp_factor = 0.0;       // 10 s
};

// Cosine and sine of an angle.
struct T96Angle {
    double cos = 1.0;
    double sin = 0.0;
};

// A point of the region-1 high-latitude dipole grid, moved with the tilt.
struct T96GridDipole {
    double x = 0.0, y = 0.0, z = 0.0;
    bool mirrored = false;  // has a partner at -y
};

// Tilt and geometry factors of the region-1 field.
struct T96Region1Terms {
    double sin_tilt = 0.0;
    double cos_tilt = 1.0;
    T96GridDipole dipoles[12];
    // Hinged tilt of the crossed loops and of the single loop.
    T96Angle crossed_loops_hinge;
    T96Angle loop_hinge;
    // Inclination of the crossed loops.
    T96Angle crossed_loops_inclination;
};

// Orientation of a four-loop system: polar angle theta and azimuth phi of the
// first quadrant's loop normal.
struct T96FourLoopAngles {
    T96Angle theta;
    T96Angle phi;
};

// Tilt and geometry factors of the region-2 field.
struct T96Region2Terms {
    double sin_tilt = 0.0;
    double cos_tilt = 1.0;
    T96Angle crossed_loops_inclination[3];  // the outer representation's pairs
    T96FourLoopAngles inner_four_loops;
    T96FourLoopAngles outer_four_loops;
    // sqrt(-2 nu e) of each negative latitude exponent nu of the sheet
    // representation's x and y sets (0 where nu >= 0).
    double sheet_x_factor[5] = {};
    double sheet_y_factor[5] = {};
};

// The T96 magnetopause that trajectories escape through, scaled by the
// solar-wind pressure P: F = (P / 2)^0.1376, a half-ellipsoid of semi-axes
// a = 75.6 / F along x and b = 28.55 / F across, centred at x0 = -64.51 / F,
// with a tail cylinder of radius b (constants single precision). It lies a
// little inside the field's own boundary layer (sigma 1.075 to 1.085).
struct T96Magnetopause {
    double a = 0.0, b = 0.0, x0 = 0.0;  // Earth radii
};

// Everything the T96 field reads that depends only on the run's parameters,
// the dipole tilt and the model's tables. Built only by t96_prepare.
struct T96Prepared {
    // Pressure scaling: kappa = (P / 2 nPa)^0.14 and kappa^3.
    double kappa = 1.0;
    double kappa_cubed = 1.0;
    // Amplitudes of the components.
    double ring_current_amplitude = 0.0;
    double tail2_amplitude = 0.0;
    double tail3_amplitude = 0.0;
    double region1_amplitude = 0.0;
    double region2_amplitude = 0.0;
    double interconnection_amplitude = 0.0;
    // IMF clock angle theta: cos and sin; the penetrated IMF's amplitudes A9 By, A9 Bz.
    double cos_clock = 1.0;
    double sin_clock = 0.0;
    double penetrated_by = 0.0;
    double penetrated_bz = 0.0;
    // Magnetopause spheroid: nose offset x0 = 5.48 / kappa, semi-axis a = 70 / kappa, a^2.
    double nose_offset = 0.0;
    double semi_axis = 0.0;
    double semi_axis_squared = 0.0;
    // Dipole tilt psi with its sine and cosine computed from psi.
    double sin_tilt = 0.0;
    double cos_tilt = 1.0;

    T96SheetTilt sheet;
    T96ShieldingWeights<3> ring_current_shielding;
    T96ShieldingWeights<3> tail_disk_shielding;
    T96ShieldingWeights<3> long_tail_shielding;
    T96Region1Terms region1;
    T96ShieldingWeights<4> region1_shielding;
    T96Region2Terms region2;
    T96ShieldingWeights<2> region2_shielding;
    // Interconnection field: reciprocal scales 1/p_i, 1/r_k and the rates
    // sqrt(1/p_i^2 + 1/r_k^2).
    double interconnection_inverse_p[3] = {};
    double interconnection_inverse_r[3] = {};
    double interconnection_rate[3][3] = {};
    // The magnetopause of the escape test.
    T96Magnetopause magnetopause;
};

// Prepares the T96 model for a run (one point's arithmetic only).
// Given: parameters, the driving parameters (element 1 the solar-wind dynamic
//   pressure P in nPa, 2 Dst in nT, 3 and 4 IMF By and Bz in GSM, nT); epoch,
//   whose tilt (rad) and sin_tilt are read.
// Returned: the prepared model.
// Notes: P must be positive (the configuration check rejects P <= 0): the
//   model takes its square root and its power 0.14 and divides by the latter.
//   The clock angle of a purely northward IMF is 2 pi (6.2831854820251465),
//   of a zero IMF 0. Constants are the model's single-precision values.
T96Prepared t96_prepare(const ModelParameters& parameters, const EpochState& epoch);

// The T96 external field at a GSM point.
// Given: model from t96_prepare; epoch of the run (its dipole field is used in
//   the boundary layer and outside); x, y, z in GSM, Earth radii (unscaled);
//   Real is double (one point) or a Pack (one point per lane).
// Returned: bx, by, bz in GSM, nT.
// Notes: inside the magnetopause (spheroidal coordinate sigma < 1.075) the
//   sum of the scaled components; for 1.075 <= sigma < 1.085 a linear blend
//   with the penetrated IMF; beyond, the penetrated IMF minus the epoch's
//   dipole field. The components are evaluated only when a point (a lane)
//   lies inside the outer edge of the layer. The origin is singular.
template <class Real>
void t96_external_field(const T96Prepared& model, const EpochState& epoch, Given<Real> x, Given<Real> y,
                        Given<Real> z, Real& bx, Real& by, Real& bz);

// Whether a point lies outside the T96 magnetopause of the escape test.
// Given: model from t96_prepare; x, y, z in GSM, Earth radii.
// Returned: true outside: on or beyond the half-ellipsoid sunward of x0, in
//   or beyond the tail cylinder tailward of it, or beyond x = -70.
bool t96_escaped(const T96Prepared& model, double x, double y, double z);

// Weights of the model field (interior) and of the penetrated IMF (exterior)
// in the magnetopause boundary layer 1.075 <= sigma < 1.085.
template <class Real>
struct T96BoundaryWeightsOf {
    Real interior = 0.0;
    Real exterior = 0.0;
};
using T96BoundaryWeights = T96BoundaryWeightsOf<double>;

// Given: sigma, the spheroidal magnetopause coordinate.
// Returned: interior = 0.5 (1 - t), exterior = 0.5 (1 + t), t = (sigma - 1.08) / 0.005
//   with the single-precision 1.08 and 0.005: both 0.5 on the magnetopause.
// Notes: meaningful in the layer only; the driver uses it there alone.
template <class Real>
T96BoundaryWeightsOf<Real> t96_boundary_weights(Real sigma);

// The spheroidal magnetopause coordinate sigma of an unscaled GSM point:
// 1.08 on the model magnetopause, smaller inside.
// Given: model; x, y, z in GSM, Earth radii. Returned: sigma (dimensionless).
// Notes: sunward of x0 - a the surfaces sigma = const are prolate spheroids with
//   foci at x0 and x0 - 2a; tailward of it cylinders of radius a sqrt(sigma^2 - 1).
template <class Real>
Real t96_magnetopause_coordinate(const T96Prepared& model, Real x, Real y, Real z);

// ---------------------------------------------------------------- Bessel functions

// Bessel functions J0(u) and J1(u) of the first kind, polynomial approximations
// with an absolute error below 1e-7.
// Given: u >= 0. Returned: j0, j1.
// Notes: below u = 3 power series in (u/3)^2, from u = 3 on (3 included) the
//   asymptotic forms with modulus and phase polynomials in 3/u; the two agree
//   to about 4e-8 at u = 3. Double-precision constants.
template <class Real>
void t96_bessel_j0_j1(Real u, Real& j0, Real& j1);

// ---------------------------------------------------------------- dipole shielding

// Field of the magnetopause currents that shield the Earth's dipole, for unit
// amplitude (the driver multiplies by kappa^3).
// Given: model (cos and sin of the tilt); x, y, z scaled GSM position, Earth radii.
// Returned: field in GSM, nT, for a dipole of 30574 nT equatorial field.
// Notes: sums of six cylindrical harmonics about the x axis for the dipole's
//   parts perpendicular and parallel to the x axis, weighted by cos psi and
//   sin psi. On the x axis the perpendicular sum uses rho = 1e-8 with phi = 90
//   degrees; the parallel sum keeps rho = 0.
template <class Real>
T96VectorOf<Real> t96_dipole_shielding_field(const T96Prepared& model, Real x, Real y, Real z);

// ---------------------------------------------------------------- ring current and tail

// Geometry of the hinged and warped equatorial current sheet at one point
// (or at the point of each lane).
template <class Real>
struct T96WarpedSheetGeometryOf {
    Real cos_sheet_tilt = 1.0;   // cos and sin of the local sheet tilt
    Real sin_sheet_tilt = 0.0;
    Real tilt_derivative = 0.0;  // d(psi_s)/dr factor of the local tilt
    double hinge_shift = 0.0;    // z shift of the long tail sheet
    Real warp = 0.0;             // y-dependent z shift of the sheet
    Real thickness = 0.0;        // half-thickness d of the tail sheets
    Real xs = 0.0;               // x in the sheet frame
    Real zs = 0.0;               // z in the sheet frame, warp included
    Real dxs_dx = 0.0, dxs_dy = 0.0, dxs_dz = 0.0;
    Real dzs_dx = 0.0, dzs_dy = 0.0, dzs_dz = 0.0;
    Real zeta = 0.0;             // smoothed distance from the sheet sqrt(zs^2 + d^2)
    Real dzeta_dx = 0.0, dzeta_dy = 0.0, dzeta_dz = 0.0;
    Real zs_unwarped = 0.0;      // z in the sheet frame without the warp
};
using T96WarpedSheetGeometry = T96WarpedSheetGeometryOf<double>;

// The sheet geometry at a scaled GSM point (Earth radii).
// Given: model (the epoch's sine of the tilt); x, y, z.
// Returned: the geometry.
// Notes: the sheet is hinged: it leans with the dipole's tilt at the Earth
//   and flattens beyond the hinge distance 9 Re (spread 4 Re), shifted in z by
//   9.857 sin psi; it is warped in y, and the tail sheets thicken from 2 Re at
//   midnight toward the flanks. The origin (r = 0) is singular.
template <class Real>
T96WarpedSheetGeometryOf<Real> t96_warped_sheet_geometry(const T96Prepared& model, Real x, Real y, Real z);

// Source fields of the ring current, the tail disk (mode 2) and the long tail
// sheet (mode 3) for unit amplitude, without their shielding.
// Given: the sheet geometry of the point; x, y, z scaled GSM position (Earth radii).
// Returned: field in GSM, nT.
// Notes: on the sheet's axis (cylindrical radius below 1e-5) the radial
//   derivative is taken as +1 along y for y >= 0 and -1 below. The long tail
//   field has no y component and reads only x and z.
template <class Real>
T96VectorOf<Real> t96_ring_current_source(const T96WarpedSheetGeometryOf<Real>& sheet, Real x, Real y, Real z);
template <class Real>
T96VectorOf<Real> t96_tail_disk_source(const T96WarpedSheetGeometryOf<Real>& sheet, Real x, Real y, Real z);
template <class Real>
T96VectorOf<Real> t96_long_tail_source(const T96WarpedSheetGeometryOf<Real>& sheet, Real x, Real z);

// Magnetopause shielding fields of the ring current, the tail disk and the
// long tail sheet: 3 x 3 Cartesian harmonic sums.
// Given: model; x, y, z scaled GSM position, Earth radii. Returned: GSM, nT.
template <class Real>
T96VectorOf<Real> t96_ring_current_shielding(const T96Prepared& model, Real x, Real y, Real z);
template <class Real>
T96VectorOf<Real> t96_tail_disk_shielding(const T96Prepared& model, Real x, Real y, Real z);
template <class Real>
T96VectorOf<Real> t96_long_tail_shielding(const T96Prepared& model, Real x, Real y, Real z);

// The ring current and the two tail modes, each with its shielding.
template <class Real>
struct T96SheetFieldsOf {
    T96VectorOf<Real> ring_current;
    T96VectorOf<Real> tail2;
    T96VectorOf<Real> tail3;
};
using T96SheetFields = T96SheetFieldsOf<double>;

// Ring current, tail mode 2 and tail mode 3 fields for unit amplitudes.
// Given: model; x, y, z scaled GSM position, Earth radii. Returned: GSM, nT.
// Notes: the origin is singular.
template <class Real>
T96SheetFieldsOf<Real> t96_ring_current_tail_field(const T96Prepared& model, Real x, Real y, Real z);

// ---------------------------------------------------------------- Birkeland currents: loops and dipoles

// Field of a circular current loop of radius rl in the plane z = 0 about the
// origin, in the model's normalisation of the current.
// Given: x, y, z in the loop's frame; rl, Earth radii.
// Returned: field in the loop's frame.
// Notes: complete elliptic integrals K and E by polynomial approximations
//   (three coefficients of K single precision). Within 1e-6 of the axis the
//   radial component uses a near-axis form; on the axis the field is along z.
//   The loop itself is singular.
template <class Real>
T96VectorOf<Real> t96_circular_loop_field(Real x, Real y, Real z, double rl);

// Field of two loops of radius rl centred at (xc, 0, 0) whose common diameter
// lies along x, tilted by +alpha and -alpha about the x axis.
// Given: x, y, z; xc, rl (Earth radii); inclination alpha as its cosine and sine.
// Returned: field in the frame of the position.
template <class Real>
T96VectorOf<Real> t96_crossed_loops_field(Real x, Real y, Real z, double xc, double rl, const T96Angle& inclination);

// Fields of three dipoles at the origin pointing along x, y and z, each of
// moment 30574 nT Re^3.
// Given: x, y, z (Earth radii). Returned: the three fields, nT.
// Notes: the origin is singular.
template <class Real>
struct T96DipoleTripletOf {
    T96VectorOf<Real> x_dipole;
    T96VectorOf<Real> y_dipole;
    T96VectorOf<Real> z_dipole;
};
using T96DipoleTriplet = T96DipoleTripletOf<double>;
template <class Real>
T96DipoleTripletOf<Real> t96_dipole_triplet_field(Real x, Real y, Real z);

// ---------------------------------------------------------------- Birkeland currents: region 1

// Region-1 field for unit amplitude: source and shielding.
// Given: model; x, y, z scaled GSM position, Earth radii. Returned: GSM, nT.
// Notes: the source is a sum of 26 high-latitude basis fields poleward of the
//   region-1 oval and of 79 plasma-sheet basis fields equatorward of it,
//   blended linearly across a layer 0.034906 rad wide on either side of the
//   northern and southern ovals. The origin is singular.
template <class Real>
T96VectorOf<Real> t96_region1_field(const T96Prepared& model, Real x, Real y, Real z);

// The region-1 source field alone, and the shielding field alone (4 x 4
// Cartesian harmonic sums).
// Given: model; x, y, z scaled GSM position, Earth radii. Returned: GSM, nT.
template <class Real>
T96VectorOf<Real> t96_region1_source(const T96Prepared& model, Real x, Real y, Real z);
template <class Real>
T96VectorOf<Real> t96_region1_shielding(const T96Prepared& model, Real x, Real y, Real z);

// ---------------------------------------------------------------- Birkeland currents: region 2

// Region-2 field for unit amplitude: source and shielding.
// Given: model; x, y, z scaled GSM position, Earth radii. Returned: GSM, nT.
// Notes: the source, in the frame rotated about y by the tilt, is an inner, a
//   sheet and an outer representation selected by the stretched coordinate xi,
//   blended in the bands |xi + 0.03| < 0.015 and |xi - 0.03| < 0.015, times
//   -0.02. The z axis of that frame is singular.
template <class Real>
T96VectorOf<Real> t96_region2_field(const T96Prepared& model, Real x, Real y, Real z);

// The region-2 source field alone, and the shielding field alone (2 x 2
// Cartesian harmonic sums at the GSM position).
// Given: model; x, y, z scaled GSM position, Earth radii. Returned: GSM, nT.
template <class Real>
T96VectorOf<Real> t96_region2_source(const T96Prepared& model, Real x, Real y, Real z);
template <class Real>
T96VectorOf<Real> t96_region2_shielding(const T96Prepared& model, Real x, Real y, Real z);

// The stretched coordinate xi of the region-2 current sheet at a point of the
// tilted (solar-magnetic-like) frame: about 0 on the sheet, positive inside.
// Given: x, y, z, Earth radii. Returned: xi.
// Notes: -1 near the frame's z axis (f^2 + g^2 < 1e-5).
template <class Real>
Real t96_region2_stretched_coordinate(Real x, Real y, Real z);

// The representations of the region-2 source that the stretched coordinate
// xi selects, and their weights (the normalisation -0.02 included; 0 for a
// representation not taken).
template <class Real>
struct T96Region2WeightsOf {
    MaskOf<Real> takes_outer{};
    MaskOf<Real> takes_sheet{};
    MaskOf<Real> takes_inner{};
    Real outer = 0.0;
    Real sheet = 0.0;
    Real inner = 0.0;
};
using T96Region2Weights = T96Region2WeightsOf<double>;

// Given: xi. Returned: the representations taken and their weights: outer
//   alone below -0.045; outer and sheet from -0.045 (included) to -0.015;
//   sheet alone up to 0.015; inner and sheet up to 0.045; inner alone from
//   0.045. Each edge belongs to the band above it; the weights of a blend
//   sum to -0.02.
template <class Real>
T96Region2WeightsOf<Real> t96_region2_weights(Real xi);

// Smooth step from 0 to 1 across [xi0 - width, xi0 + width).
// Given: xi, xi0, width. Returned: the step, 0.5 at xi0.
template <class Real>
Real t96_region2_transition(Real xi, double xi0, double width);

// ---------------------------------------------------------------- interconnection field

// Potential field of unit transverse IMF penetrating a magnetosphere of
// standard size, in the frame rotated about x by the IMF clock angle.
// Given: model (reciprocal scales); x, y, z, Earth radii, in that frame
//   (already scaled by kappa). Returned: field in that frame, nT per nT.
template <class Real>
T96VectorOf<Real> t96_interconnection_field(const T96Prepared& model, Real x, Real y, Real z);

}  // namespace cones
