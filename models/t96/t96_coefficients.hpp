// Coefficient tables of the T96 magnetospheric field model, as published.
//
// Single-precision tables are held as float and widened to double where they
// are read; the region-2 sheet tables are double precision (with one float
// entry). The tables are written by tools/gen_t96_coefficients.py into
// t96_coefficients.cpp.
#pragma once

#include <cstddef>

namespace cones {

// ---------------------------------------------------------------- driver

// Amplitude coefficients A1..A9 of the model's current systems (single precision).
struct T96Amplitudes {
    float ring_current;         // A1: per nT of pressure-corrected Dst
    float tail2_base;           // A2
    float tail2_pressure;       // A3: times (P / 2 nPa)^(1/2) - 1
    float tail2_reconnection;   // A4: times the reconnection factor
    float tail3_base;           // A5
    float tail3_pressure;       // A6
    float region1_base;         // A7
    float region1_reconnection; // A8
    float imf_efficiency;       // A9: IMF penetration (reconnection) efficiency
};
extern const T96Amplitudes kT96Amplitudes;

// Interconnection field: nine potential harmonics of amplitude[i][k] with the
// y-scale p[i] and the z-scale r[k] (Earth radii), single precision.
struct T96InterconnectionTable {
    float amplitude[3][3];
    float p[3];
    float r[3];
};
extern const T96InterconnectionTable kT96Interconnection;

// ---------------------------------------------------------------- dipole shielding

// One cylindrical harmonic of the dipole shielding field: amplitude and its
// length scale (Earth radii), single precision.
struct T96CylindricalHarmonic {
    float amplitude;
    float scale;
};
// Harmonics 1..6 shielding the dipole's part perpendicular to the solar-wind
// flow, and the part parallel to it.
extern const T96CylindricalHarmonic kT96PerpendicularDipoleShielding[6];
extern const T96CylindricalHarmonic kT96ParallelDipoleShielding[6];

// ---------------------------------------------------------------- Cartesian shielding

// Amplitudes of one Cartesian harmonic of a shielding field: `first` weights
// the harmonic itself, `second` the harmonic times the sum's tilt factor
// (cos psi in the first sum, 4 cos^2 psi - 1 in the second).
struct T96AmplitudePair {
    float first;
    float second;
};

// A shielding field of two sums of N x N Cartesian harmonics (single
// precision). Harmonic (m, i, k) of sum m = 1, 2 is amplitudes[(m-1) N^2 +
// (i-1) N + (k-1)]; the first sum has y-scales p[i] and z-scales r[k], the
// second y-scales q[i] and z-scales s[k] (Earth radii).
template <std::size_t N>
struct T96ShieldingTable {
    T96AmplitudePair amplitudes[2 * N * N];
    float p[N];
    float r[N];
    float q[N];
    float s[N];
};
extern const T96ShieldingTable<3> kT96RingCurrentShielding;
extern const T96ShieldingTable<3> kT96TailDiskShielding;
extern const T96ShieldingTable<3> kT96LongTailShielding;
extern const T96ShieldingTable<4> kT96Region1Shielding;
extern const T96ShieldingTable<2> kT96Region2Shielding;

// ---------------------------------------------------------------- region 1

// Weights of the high-latitude basis (single precision).
struct T96HighLatitudeCoefficients {
    float z_dipoles[12];  // z-dipole pairs of the grid
    float x_dipoles[12];  // x-dipole pairs, tilt-proportional
    float crossed_loops;
    float loop;
};
extern const T96HighLatitudeCoefficients kT96HighLatitude;

// Weights of the plasma-sheet basis (single precision), in the basis order.
struct T96PlasmaSheetCoefficients {
    float conical[5];            // conical harmonics m = 1..5
    float off_axis[9][3];        // off-axis dipole groups: x, y, z moments
    float off_axis_tilt[9][3];   // their tilt-proportional moments
    float on_axis[5][2];         // on-axis dipole pairs: x, z moments
    float on_axis_tilt[5][2];    // their tilt-proportional moments
};
extern const T96PlasmaSheetCoefficients kT96PlasmaSheet;

// ---------------------------------------------------------------- region 2

// Non-linear parameters of one component of the sheet representation
// (double precision): latitude exponents nu1..nu5 and profile widths nu6..nu8.
struct T96SheetProfile {
    double latitude_exponent[5];
    double width[3];
};
extern const T96SheetProfile kT96Region2SheetProfileX;
extern const T96SheetProfile kT96Region2SheetProfileY;
extern const T96SheetProfile kT96Region2SheetProfileZ;

// Linear coefficients of one (latitude term k, azimuthal order j) row of the
// sheet representation: the constant and the weights of the profiles T1..T3.
struct T96ProfileTerms {
    double constant;
    double t1;
    double t2;
    double t3;
};
// Rows 4 (k - 1) + j for k = 1..5, j = 0..3 (double precision).
extern const T96ProfileTerms kT96Region2SheetA[20];
extern const T96ProfileTerms kT96Region2SheetB[20];
extern const T96ProfileTerms kT96Region2SheetC[20];

}  // namespace cones
