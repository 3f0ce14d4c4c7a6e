// The current systems of the T01 and storm-time T01 models, for unit amplitude:
// the shielding field of the Earth's dipole, the two modes of the tail current
// sheet, the region-1 and region-2 Birkeland currents in two modes each, and the
// symmetric and partial ring currents, each source with its own shielding field.
//
// Each family has a prepare routine, run once per run, that turns the dipole
// tilt and the component parameters into a read-only set, and a field routine
// that only reads the set. The field routines take the pressure-scaled GSM
// position (Earth radii multiplied by the drivers' size factor kappa) and give
// GSM components in nT at unit amplitude. They keep no state between calls.
//
// The field routines are written over their number type Real: double for one
// point, or a pack of numerics/pack.hpp for one point per lane, each lane
// computing exactly the arithmetic of one point; where the scalar arithmetic
// branches on the point (the current layers of the Birkeland cones, the axes
// of the ring currents, exponents below -500), each lane picks its own
// branch's value. They are compiled for double and for each instruction
// set's pack (numerics/lane_variant.hpp); the prepare routines, of one point's
// arithmetic alone, stand within #if CONES_ONE_POINT_BUILD.
#pragma once

#include "models/t01/t01_component_parameters.hpp"
#include "models/t01/t01_tables.hpp"
#include "numerics/pack.hpp"

namespace cones {

// A GSM field vector, nT, of one point (double) or of a pack of points.
template <class Real>
struct T01FieldOf {
    Real x = 0.0, y = 0.0, z = 0.0;
};
using T01Field = T01FieldOf<double>;

// ---------------------------------------------------------------------------
// Shielding harmonics of the Birkeland and ring currents
// ---------------------------------------------------------------------------

// The two groups of 3 x 3 Cartesian harmonics that every T01 shielding field
// is made of (the dipole's and each current's): the frame of each group,
// turned about Y by its own multiple of the tilt, and the harmonic scales.
struct T01HarmonicFrames {
    double frame_cos[2]{}, frame_sin[2]{};  // cos, sin of (tilt factor of group g) psi
    double y_scale[2][3]{};                 // p_i (group 1), q_i (group 2), Earth radii
    double z_scale[2][3]{};                 // r_k (group 1), s_k (group 2)
    double w[2][3][3]{};                    // sqrt(1/y_scale^2 + 1/z_scale^2)
};

// Prepares the frames and scales of the two groups of a shielding field.
// Given: the tilt psi (radians); the frame angle factors of the groups; the
// y and z scales of group 1 and group 2 (Earth radii, single precision).
// Returned: cos and sin of each frame angle (factor * psi), the scales
// widened to double, and w of every harmonic.
T01HarmonicFrames t01_harmonic_frames(double tilt, float group1_tilt_factor, float group2_tilt_factor,
                                      const float (&group1_y_scale)[3], const float (&group1_z_scale)[3],
                                      const float (&group2_y_scale)[3], const float (&group2_z_scale)[3]);

// One shielding field ready for evaluation: its table, the frames and scales
// of its two groups, and the amplitude factors 1, xsc, d, d xsc of each group.
struct T01ShieldingSum : T01HarmonicFrames {
    const T01ShieldingTable* table = nullptr;
    double term_scale = 1.0;   // multiplies every harmonic before its factor
    double factor[2][4]{};     // 1, xsc, d, d xsc; d = cos psi (group 1), 2 cos psi (group 2)
    double x_coef[2][3][3]{};  // -w (group 1); -w sin psi (group 2)
    double y_coef[3]{};        // sin psi / q_i (group 2)
    double z_coef[3]{};        // sin psi / s_k (group 2)
};

// Prepares the shielding field of one current for a run.
// Given: its table; the tilt psi (radians); the size variable xsc of the
// current; the harmonic scale `term_scale` (1 for the Birkeland currents,
// (xsc + 1)^3 for the ring currents).
// Returned: the prepared sum (frames, amplitude factors, harmonic scales).
// Notes: the set refers to `table`, which must outlive it (the tables are
// static).
T01ShieldingSum t01_shielding_sum_prepare(const T01ShieldingTable& table, double tilt,
                                          double xsc, double term_scale);

// Shielding field of a Birkeland or ring current: the sum of 72 Cartesian
// harmonics (two groups of 3 x 3 harmonics, four amplitude factors each),
// each the negative gradient of a scalar potential.
// Given: the prepared sum; a pressure-scaled GSM position, Earth radii.
// Returned: GSM field at unit amplitude, nT.
// Notes: group 1 is evaluated in the frame turned about Y by (H85 psi),
// group 2 by (H86 psi); group 2 vanishes without tilt. The harmonics grow
// exponentially with x: meant for points inside the model magnetopause.
template <class Real>
T01FieldOf<Real> t01_shielding_sum(const T01ShieldingSum& sum, Real x, Real y, Real z);

// ---------------------------------------------------------------------------
// Dipole shielding
// ---------------------------------------------------------------------------

// The dipole shielding ready for evaluation: group 1 of its frames and scales
// is the perpendicular one (p, r), group 2 the parallel one (q, s).
struct T01DipoleShielding : T01HarmonicFrames {
    double sin_tilt = 0.0;
    double perpendicular_amplitude[9]{};     // S(2l-1) + S(2l) cos psi
    double parallel_amplitude[9]{};          // S(17+2l) + S(18+2l) 2 cos psi
    double inverse_w[3]{};                    // 1/w of the perpendicular terms with k = 3
    double z_scale_w[3]{};                    // r3 w of those terms
    double z_scale2_w[3]{};                   // r3^2 w of those terms
};

// Prepares the dipole shielding field for a run.
// Given: the tilt psi (radians).
// Returned: frames, amplitudes and harmonic scales of the 18 terms.
T01DipoleShielding t01_dipole_shielding_prepare(double tilt);

// Field of the magnetopause currents that confine the Earth's dipole, for a
// magnetosphere of standard size: 9 harmonics of perpendicular symmetry
// (amplitudes linear in cos psi) and 9 of parallel symmetry (proportional to
// sin psi), each group in its own frame turned about Y by a multiple of psi.
// Given: the prepared set; a pressure-scaled GSM position, Earth radii.
// Returned: GSM field, nT (the drivers multiply it by kappa^3).
// Notes: without tilt the parallel terms vanish; at y = 0, by = 0. The
// harmonics grow exponentially with x: meant for points inside the
// magnetopause. Coefficients single precision.
template <class Real>
T01FieldOf<Real> t01_dipole_shielding_field(const T01DipoleShielding& set, Real x, Real y, Real z);

// ---------------------------------------------------------------------------
// Tail current sheet
// ---------------------------------------------------------------------------

// One tail mode's constants: stretch and shift of the sheet, its sunward
// thickening, and its shielding harmonics.
struct T01TailMode {
    double x_shift = 0.0;       // 6 (mode 1), 4 (mode 2)
    double tail_shift = 0.0;    // the component parameter delta of the mode
    double stretch = 0.0;       // alpha: 1.1, 0.25
    double x_offset = 0.0;      // 12 (alpha - 1): 1.200000000000001, -9
    double thickness = 0.0;     // alpha D0
    double sunward_thickening = 0.0;  // 1, 0
    double amplitude[25]{};     // c(2l-1) + c(2l) delta
    double y_reciprocal[5]{};   // 1/p_i
    double z_reciprocal[5]{};   // 1/r_k
    double w[5][5]{};           // sqrt(1/p_i^2 + 1/r_k^2)
};

struct T01Tail {
    double sin_tilt = 0.0;
    double hinge_distance = 0.0;
    double warp_amplitude = 0.0;
    double flank_thickening = 0.0;
    T01TailMode mode[2];
};

template <class Real>
struct T01TailModesOf {
    T01FieldOf<Real> mode1, mode2;
};
using T01TailModes = T01TailModesOf<double>;

// Prepares both tail modes for a run.
// Given: the tilt psi (radians); the record's tail_shift1, tail_shift2,
// sheet_half_thickness, sheet_flank_thickening (Earth radii), hinge_distance
// (Earth radii) and warp_amplitude.
// Returned: the stretch, shift and thickness of each mode and its shielding
// amplitudes for its shift.
T01Tail t01_tail_prepare(double tilt, const T01ComponentParameters& parameters);

// The two modes of the cross-tail current sheet, each a stretched and shifted
// sheet of five thin-disk currents spread to a finite thickness, plus its own
// shielding harmonics; the sheet is warped about X in proportion to the tilt
// and hinged so that it follows the dipole near the Earth and the solar wind
// far away.
// Given: the prepared set; a pressure-scaled GSM position, Earth radii.
// Returned: the GSM fields of modes 1 and 2 at unit amplitude, nT.
// Notes: without tilt the deformations are the identity. The thin-disk sheet
// divides by the distance from its axis and the hinging by r: the origin and
// the Z axis of the stretched frame are outside the model's domain.
template <class Real>
T01TailModesOf<Real> t01_tail_field(const T01Tail& set, Real x, Real y, Real z);

// Shielding harmonics of one tail mode alone: 5 x 5 Cartesian harmonics
// V = e^(w x) cos(y/p) sin(z/r), B = -grad V.
// Given: the prepared mode; a GSM position (the tail's frame), Earth radii.
// Returned: GSM field at unit amplitude, nT.
// Notes: grows exponentially with x; meant for points inside the magnetopause.
template <class Real>
T01FieldOf<Real> t01_tail_shielding_field(const T01TailMode& mode, Real x, Real y, Real z);

// ---------------------------------------------------------------------------
// Birkeland currents
// ---------------------------------------------------------------------------

// One region's cone geometry constants.
struct T01BirkelandRegion {
    double kappa = 0.0;            // kappa1 or kappa2
    double oval_asymmetry = 0.0;   // delta phi: 0.055, 0.03
    double tilt_term = 0.0;        // 0.9 psi
};

// One region and mode: its cone table, the tangents of the current layer's
// edges, and its shielding field.
struct T01BirkelandMode {
    const float* cone = nullptr;  // C1..C31 at index k - 1
    int harmonic = 1;             // azimuthal mode number n
    double edge_low = 0.0;        // theta0 - delta theta
    double edge_high = 0.0;       // theta0 + delta theta
    double tan_low = 0.0, tan_high = 0.0;        // tan of half the edges
    double tan_low2 = 0.0, tan_high2 = 0.0;      // their squares
    double edge_factor = 0.0;     // 1 / (tan_high - tan_low)
    T01ShieldingSum shielding;
};

struct T01Birkeland {
    T01BirkelandRegion region[2];
    T01BirkelandMode mode[2][2];  // [region][mode]
};

template <class Real>
struct T01BirkelandModesOf {
    T01FieldOf<Real> r11, r12, r21, r22;
};
using T01BirkelandModes = T01BirkelandModesOf<double>;

// Prepares the four Birkeland fields for a run.
// Given: the tilt psi (radians); the record's kappa1 and kappa2.
// Returned: per region its size and deformation constants; per region and
// mode its cone table, the tangents of its current layer's edges and its
// shielding field (size variable kappa1 - 1.1, kappa2 - 1).
T01Birkeland t01_birkeland_prepare(double tilt, const T01ComponentParameters& parameters);

// Region-1 and region-2 field-aligned currents, each in two azimuthal modes:
// a pair of conical current sheets (north and south) mapped through a
// deformation that bends them with the tilt and a day-night asymmetry,
// computed in spherical coordinates, plus each field's shielding harmonics.
// Given: the prepared set; a pressure-scaled GSM position, Earth radii.
// Returned: R11, R12, R21, R22 (region, mode) at unit amplitude, GSM, nT.
// Notes: the deformation's derivatives are central differences with steps
// 1e-6. On the Y axis of the scaled frame the azimuth is taken as 0; a point
// on a cone's axis divides by zero (never inside the magnetosphere).
template <class Real>
T01BirkelandModesOf<Real> t01_birkeland_field(const T01Birkeland& set, Real x, Real y, Real z);

// ---------------------------------------------------------------------------
// Ring currents
// ---------------------------------------------------------------------------

struct T01RingCurrent {
    double cos_tilt = 0.0, sin_tilt = 0.0;
    double src_scale = 0.0, prc_scale = 0.0;   // sigma_s, sigma_p
    double prc_cos = 0.0, prc_sin = 0.0;       // of the rotation angle phi_p
    T01ShieldingSum symmetric_shielding;       // table Y, xsc = sigma_s - 1
    T01ShieldingSum partial_shielding;         // table P, xsc = sigma_p - 1
};

template <class Real>
struct T01RingCurrentsOf {
    T01FieldOf<Real> symmetric, partial;
};
using T01RingCurrents = T01RingCurrentsOf<double>;

// Prepares both ring currents for a run.
// Given: the tilt psi (radians); the record's src_scale, prc_scale and
// prc_rotation (radians).
// Returned: the tilt frame, the sizes, the rotation and both shielding fields
// (size variables src_scale - 1 and prc_scale - 1).
T01RingCurrent t01_ring_current_prepare(double tilt, const T01ComponentParameters& parameters);

// Symmetric and partial ring currents: azimuthal vector potentials of pairs
// of current loops in deformed dipolar coordinates (the partial current adds
// a quadrupole part turned in local time by phi_p), in the frame turned by the
// tilt and in coordinates divided by each current's size factor, each plus its
// shielding harmonics.
// Given: the prepared set; a pressure-scaled GSM position, Earth radii.
// Returned: Ssrc and Sprc at unit amplitude, GSM, nT.
// Notes: derivatives are central differences with steps 1e-4. Within
// sin theta < 0.01 of a current's axis (0.01 inclusive for the quadrupole)
// near-axis forms replace the regular ones; the two are not continuous there.
// Exponentials of exponents below -500 are taken as 0.
template <class Real>
T01RingCurrentsOf<Real> t01_ring_current_field(const T01RingCurrent& set, Real x, Real y, Real z);

}  // namespace cones
