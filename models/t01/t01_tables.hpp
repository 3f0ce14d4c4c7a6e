// Coefficient tables of the T01 and storm-time T01 models. Every entry is the
// float nearest to its published decimal; the models widen it to double where
// they use it.
#pragma once

namespace cones {

// Amplitude coefficients of the drivers, Ak at index k - 1.
//   T01: A1 dipole-shielding weight; A2..A9 tail modes; A10..A15 ring currents;
//   A16..A23 Birkeland currents; A24, A25 IMF penetration and interconnection;
//   A26, A27 tail shift; A28, A29 sheet thickness; A30..A33 ring-current sizes;
//   A34 partial-ring-current rotation scale; A35..A38 Birkeland sizes;
//   A39 pressure exponent of the size; A40 hinge distance; A41 warp amplitude;
//   A42, A43 tail pressure exponents.
//   Storm-time T01: the same roles, except A34 is the rotation angle itself
//   (radians), A35..A38 are the Birkeland sizes and their storm exponents, and
//   A44..A50 are the saturation scales of the G-dependent terms.
extern const float kT01Amplitudes[43];
extern const float kT01StormAmplitudes[50];

// Shielding of the Earth's dipole: 9 harmonics of perpendicular symmetry
// (amplitudes depending on cos psi) and 9 of parallel symmetry (proportional
// to sin psi), each group in a frame turned about Y by its own multiple of the
// tilt. Harmonic l = 3 (i - 1) + k pairs the y scale i with the z scale k.
struct T01DipoleShieldingTable {
    float perpendicular[9][2];        // amplitude [l][0] + [l][1] cos psi
    float parallel[9][2];             // amplitude [l][0] + [l][1] 2 cos psi
    float perpendicular_y_scale[3];   // p1..p3, Earth radii
    float perpendicular_z_scale[3];   // r1..r3
    float parallel_y_scale[3];        // q1..q3
    float parallel_z_scale[3];        // s1..s3
    float perpendicular_tilt_factor;  // frame angle = factor * psi
    float parallel_tilt_factor;
};
extern const T01DipoleShieldingTable kT01DipoleShielding;

// Shielding of one tail mode: 5 x 5 Cartesian harmonics, term l = 5 (i - 1) + k
// with amplitude [l][0] + [l][1] * (the mode's x shift).
struct T01TailShieldingTable {
    float amplitude[25][2];
    float y_scale[5];  // p1..p5, Earth radii
    float z_scale[5];  // r1..r5
};
extern const T01TailShieldingTable kT01TailShieldingMode1;
extern const T01TailShieldingTable kT01TailShieldingMode2;

// Deformed cone of one Birkeland region and mode, entry k at index k - 1:
// 1 overall amplitude; 2..16 deformation of the radius; 17..30 deformation of
// the polar angle; 31 cone half-angle theta0 (radians).
using T01ConeTable = float[31];
extern const T01ConeTable kT01Cone11;  // region 1, mode 1
extern const T01ConeTable kT01Cone12;  // region 1, mode 2
extern const T01ConeTable kT01Cone21;  // region 2, mode 1
extern const T01ConeTable kT01Cone22;  // region 2, mode 2

// Shielding of a Birkeland or ring current: two groups of 3 x 3 Cartesian
// harmonics (group 1 of perpendicular, group 2 of parallel symmetry, each in
// its own tilted frame). Harmonic (g, i, k) holds four amplitudes, for the
// factors 1, xsc, d and d xsc (d = cos psi in group 1, 2 cos psi in group 2;
// xsc the size variable of the current).
struct T01ShieldingTable {
    float amplitude[18][4];    // row 9 (g - 1) + 3 (i - 1) + (k - 1)
    float group1_y_scale[3];   // p1..p3, Earth radii
    float group1_z_scale[3];   // r1..r3
    float group2_y_scale[3];   // q1..q3
    float group2_z_scale[3];   // s1..s3
    float group1_tilt_factor;  // frame angle = factor * psi
    float group2_tilt_factor;
};
extern const T01ShieldingTable kT01BirkelandShielding11;
extern const T01ShieldingTable kT01BirkelandShielding12;
extern const T01ShieldingTable kT01BirkelandShielding21;
extern const T01ShieldingTable kT01BirkelandShielding22;
extern const T01ShieldingTable kT01SymmetricRingShielding;
extern const T01ShieldingTable kT01PartialRingShielding;

}  // namespace cones
