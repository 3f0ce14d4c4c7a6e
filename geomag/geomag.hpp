// Geomagnetic reference frame: the epoch state of the run date, the frame
// transforms, and the internal (spherical-harmonic) and dipole fields.
//
// Units throughout: lengths in Earth radii (6371.2 km), fields in nT, angles in
// radians. Frames: GEO (Earth-fixed), GSE, GSM (geocentric solar magnetospheric).
#pragma once

#include <array>
#include <iosfwd>
#include <type_traits>

#include "geomag/internal_field_coefficients.hpp"

namespace cones {

// An input of a routine written over its number type Real (double for one
// point, a Pack for one point per lane): it takes no part in deducing Real,
// which the outputs fix, so a call for one point may pass any arithmetic type.
template <class Real>
using Given = std::type_identity_t<Real>;

// The geophysical state of the run date and time. Built once by set_epoch and
// only read afterwards by every field model and frame rotation.
struct EpochState {
    // Gauss coefficients interpolated to the date and multiplied by the
    // Schmidt-to-recursion conversion factors (nT); n = 0 entries and h(n,0) are
    // 0, and so is every entry above `degree`.
    std::array<double, kCoefficientCount> g_coef{};
    std::array<double, kCoefficientCount> h_coef{};
    // Highest degree of the date's coefficients: the larger of the two epochs
    // interpolated between (10, or 13 from 1995 on in IGRF-13 and IGRF-14).
    int degree = 10;
    // (n^2 - m^2) / ((2n - 1)(2n + 1)) for the Legendre recursion; n = 0 entry 0.
    std::array<double, kCoefficientCount> recurrence_coef{};
    // Dipole strength sqrt(g10^2 + g11^2 + h11^2) in nT, derived from the
    // degree-1 coefficients once, for the dipole field.
    double dipole_strength = 0.0;
    // Dipole tilt angle psi: positive when the northern dipole axis leans
    // toward the Sun; its sine and cosine.
    double sin_tilt = 0.0;
    double cos_tilt = 1.0;
    double tilt = 0.0;
    // a(i,j) at geo_gsm_matrix[i][j]: column j holds GSM axis j (X, Y, Z) in
    // GEO components, so GEO = a * GSM and GSM = a^T * GEO.
    std::array<std::array<double, 3>, 3> geo_gsm_matrix{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    // GSM Y axis dotted with the GSE Y axis and with the GSE Z axis.
    double cos_gse_gsm = 1.0;
    double sin_gse_gsm = 0.0;
};

// Sun position for a date and universal time.
// Inputs: year (1900..2099), day_of_year from 1, hour, minute, second (UT).
// Outputs, radians: Greenwich sidereal time, the Sun's ecliptic longitude,
// right ascension and declination (GEI of date).
// Notes: for a year outside 1900..2099 it returns false and leaves the outputs
// unchanged.
bool sun_position(int year, int day_of_year, int hour, int minute, int second,
                  double& gst, double& solar_longitude, double& right_ascension,
                  double& declination);

// Builds the epoch state for a date and universal time: the internal-field
// coefficients of the date, the dipole tilt, the GEO-GSM matrix and the
// GSE-GSM rotation.
// Given:    field  the generation of the reference field;
//           year, day_of_year (from 1), hour, minute, second  the date, UT.
// Returned: the epoch state. The coefficients are linear in time between the
//           generation's five-yearly epochs (a year is 365.25 days; the time of
//           day is not used), and after its last epoch the last epoch's values
//           plus the secular variation times the years since, for as long as
//           the year allows. Between epochs of different degrees the missing
//           coefficients are 0 (the lists hold them so).
// Notes:    a year outside 1900..2050 is clamped to it and the two-line notice
//           is written to `notice` (standard output in the program). The day of
//           the year is not checked.
EpochState set_epoch(const InternalFieldCoefficients& field, int year, int day_of_year, int hour, int minute,
                     int second, std::ostream& notice);

// The same with IGRF-12, the program's reference field when none is chosen.
EpochState set_epoch(int year, int day_of_year, int hour, int minute, int second, std::ostream& notice);

// The year set_epoch uses for a given year: the year clamped to 1900..2050.
int epoch_year(int year);

// How far a date lies beyond the span of a generation.
// Given:    field  a generation; year (as given: it is clamped as set_epoch
//           clamps it) and day_of_year.
// Returned: 0 when the date lies on or before 1 January of the year to which
//           the generation's secular variation runs (2020 for IGRF-12, 2025
//           for IGRF-13, 2030 for IGRF-14); otherwise the years from that day
//           to the date (a year of 365.25 days), above 0.
double years_beyond_span(const InternalFieldCoefficients& field, int year, int day_of_year);

// Spherical (r, theta colatitude, phi azimuth) to Cartesian (x, y, z)
// components in one frame.
// Given: r in any unit; theta from the +Z axis and phi from +X toward +Y,
// radians.
// Returned: x, y, z in the unit of r.
void spherical_to_cartesian(double r, double theta, double phi, double& x, double& y, double& z);

// Cartesian (x, y, z) to spherical (r, theta colatitude, phi azimuth)
// components in one frame.
// Given: x, y, z in any unit.
// Returned: r in that unit; theta in [0, pi] and phi in [0, 2*pi), radians.
// Notes: a negative atan2 azimuth gets kSingleTwoPi (2 pi as a float)
// added. On the Z axis, where atan2 is undefined, phi = 0 and theta = 0
// (z >= 0) or kSinglePi (z < 0, pi as a float); the
// origin gives r = theta = phi = 0.
void cartesian_to_spherical(double x, double y, double z, double& r, double& theta, double& phi);

// Spherical vector components (v_r, v_theta southward, v_phi eastward) at the
// point (theta, phi) to Cartesian components of the same frame.
void spherical_vector_to_cartesian(double theta, double phi, double v_r, double v_theta,
                                   double v_phi, double& v_x, double& v_y, double& v_z);

// The WGS-84 ellipsoid: equatorial radius, km, and flattening.
inline constexpr double kWgs84EquatorialRadiusKm = 6378.137;
inline constexpr double kWgs84Flattening = 1.0 / 298.257223563;

// Geodetic coordinates on the WGS-84 ellipsoid to Earth-fixed (GEO)
// Cartesian coordinates.
// Given: the geodetic latitude (the angle of the ellipsoid's normal with the
// equatorial plane) and the longitude, radians; the height above the
// ellipsoid along its normal, km.
// Returned: x, y, z in GEO, km: with the prime-vertical radius
// N = a / sqrt(1 - e^2 sin^2 lat), x = (N + h) cos lat cos lon,
// y = (N + h) cos lat sin lon, z = (N (1 - e^2) + h) sin lat, e^2 = f (2 - f).
// Notes: closed form, exact for every latitude and height (no iteration).
void geodetic_to_geo(double latitude, double longitude, double height_km, double& x, double& y, double& z);

// The local frame of a geodetic place: the ellipsoid's outward normal (up),
// geodetic north and east, unit vectors in GEO.
// Given: the geodetic latitude and the longitude, radians.
// Returned: up = (cos lat cos lon, cos lat sin lon, sin lat),
// north = (-sin lat cos lon, -sin lat sin lon, cos lat),
// east = (-sin lon, cos lon, 0).
// Notes: at a pole north and east follow the meridian of the given longitude.
void geodetic_local_frame(double latitude, double longitude, double up[3], double north[3], double east[3]);

// GEO to GSM rotation by the epoch's matrix (its transpose: GSM = a^T GEO).
// Given: a position or vector in GEO, in any unit; Real is double (one point)
// or a Pack (one point per lane).
// Returned: the same position or vector in GSM, same unit.
// Notes: reads all inputs before writing, so the same variables may be passed
// as input and output (in place).
template <class Real>
void geo_to_gsm(const EpochState& epoch, const Real& x_geo, const Real& y_geo, const Real& z_geo, Real& x_gsm,
                Real& y_gsm, Real& z_gsm);

// GSM to GEO rotation by the epoch's matrix (GEO = a GSM), the inverse of
// geo_to_gsm.
// Given: a position or vector in GSM, in any unit; Real is double or a Pack.
// Returned: the same position or vector in GEO, same unit.
// Notes: may be called in place.
template <class Real>
void gsm_to_geo(const EpochState& epoch, const Real& x_gsm, const Real& y_gsm, const Real& z_gsm, Real& x_geo,
                Real& y_geo, Real& z_geo);

// GSE to GSM rotation about the common X axis (toward the Sun) by the angle
// whose cosine and sine the epoch holds (cos_gse_gsm, sin_gse_gsm).
// Given: a position or vector in GSE; Real is double or a Pack.
// Returned: the same position or vector in GSM.
// Notes: may be called in place.
template <class Real>
void gse_to_gsm(const EpochState& epoch, const Real& x_gse, const Real& y_gse, const Real& z_gse, Real& x_gsm,
                Real& y_gsm, Real& z_gsm);

// GSM to GSE rotation, the inverse of gse_to_gsm.
// Given: a position or vector in GSM; Real is double or a Pack.
// Returned: the same position or vector in GSE.
// Notes: may be called in place.
template <class Real>
void gsm_to_gse(const EpochState& epoch, const Real& x_gsm, const Real& y_gsm, const Real& z_gsm, Real& x_gse,
                Real& y_gse, Real& z_gse);

// Field of the tilted centred dipole of the epoch.
// Given: a GSM point (Earth radii); Real is double (one point) or a Pack (one
// point per lane).
// Returned: the field's GSM components, nT.
// Notes: the origin is singular; callers never pass it.
template <class Real>
void dipole_field_gsm(const EpochState& epoch, Given<Real> x, Given<Real> y, Given<Real> z, Real& bx, Real& by,
                      Real& bz);

// Spherical-harmonic synthesis of the internal field in spherical GEO
// components.
// Given: r (Earth radii), sine and cosine of the colatitude and of the east
// longitude; Real is double or a Pack.
// Returned: b_r, b_theta (southward), b_phi (eastward), nT.
// Notes: within 2 Earth radii the synthesis runs to the epoch's own degree
// (10, or 13 from 1995 on in IGRF-13 and IGRF-14); beyond, the highest degree
// falls with r (10 below r = 3, 4 from r = 28). In
// a Pack each lane has its own highest degree: the loops run to the largest
// and a lane's sums take only the terms up to its own, in the same order as
// for one point. Near the poles (sin theta < 1e-5, single precision) b_phi
// comes from the theta-derivative.
template <class Real>
void spherical_harmonic_sum(const EpochState& epoch, Given<Real> r, Given<Real> sin_theta,
                            Given<Real> cos_theta, Given<Real> sin_phi, Given<Real> cos_phi, Real& b_r,
                            Real& b_theta, Real& b_phi);

// The internal (IGRF) field of the epoch.
// Given: a GSM point (Earth radii); Real is double or a Pack.
// Returned: the field's GSM components, nT.
// Notes: the origin is singular; callers never pass it. On the geographic
// axis (sin theta < 1e-5, double precision) the longitude is taken as 0.
template <class Real>
void internal_field_gsm(const EpochState& epoch, Given<Real> x, Given<Real> y, Given<Real> z, Real& bx, Real& by,
                        Real& bz);

}  // namespace cones
