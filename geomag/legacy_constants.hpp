// Single-precision constants of the epoch, Sun and coordinate routines, each
// named once. The published routines these reproduce computed in single
// precision: their pi, 2 pi, degrees per radian and pole threshold are the
// floats nearest the decimals, and the results (the tilt, the frame matrices,
// the azimuth of a point, every asymptotic direction to its last printed
// digit) rest on those values. Each is that float widened to double; a
// full-precision pi here would move last bits of the results.
#pragma once

namespace cones {

// pi as a float (3.14159274...): the colatitude of a point on the negative
// polar axis, and the right ascension of the Sun, pi - atan2(...).
inline constexpr double kSinglePi = double(3.1415927f);

// 2 pi as a float (6.28318548...): added to a negative azimuth, and the wrap
// of the Sun's ecliptic longitude.
inline constexpr double kSingleTwoPi = double(6.2831855f);

// Degrees per radian as a float (57.2957764...): the solar ephemeris and the
// obliquity of the ecliptic divide their angles in degrees by it.
inline constexpr double kSingleDegreesPerRadian = double(57.29578f);

// sin(colatitude) below which the internal field takes its longitude
// derivative at the pole from the colatitude derivative of the Legendre
// functions: 1e-5 as a float.
inline constexpr double kSinglePoleLimit = double(1e-5f);

}  // namespace cones
