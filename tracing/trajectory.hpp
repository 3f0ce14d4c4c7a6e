// Tracing one cosmic-ray trajectory backwards from a station and classifying it.
#pragma once

#include <array>

#include "tracing/field_selector.hpp"
#include "tracing/inputs.hpp"

namespace cones {

// Physical constants of the tracing, each with where it comes from.
// The reference radius of the geomagnetic field's spherical harmonic
// expansion, 6371.2 km: the unit of length of the tracing.
inline constexpr double kEarthRadius = 6371200.0;  // m
// The speed of light, exact in SI units.
inline constexpr double kSpeedOfLight = 299792458.0;  // m/s
// The proton rest energy of the results' tables, 0.938256 GeV (an older
// evaluation of the proton mass), as a float widened to double.
inline constexpr double kProtonRestEnergy = double(0.938256f);  // GeV
// The proton's charge-to-mass ratio of the results' tables, within 1e-5 of
// today's e / m_p.
inline constexpr double kProtonChargeToMass = 95787474.96487609;  // C/kg
// Every angle conversion of the tracing multiplies by this decimal (not pi/180
// to full precision) into radians and divides by it back into degrees, as
// the results' tables were computed.
inline constexpr double kDegreesToRadians = 0.01745329252;

// Stop rules of a trajectory, the bounds of the tracing's time and space
// that the results' tables were computed with.
// A trajectory still in the field after 10 s of trajectory time is forbidden.
// The time limit is that of the proton of the trajectory's rigidity: every
// particle is traced as the proton of its charge sign, so the limit is a path
// length, the path such a proton covers in 10 s, whatever the particle.
inline constexpr double kTimeLimit = 10.0;  // s of proton trajectory time
// A trajectory that reaches GSM x = -70 Earth radii, far down the tail, has
// escaped.
inline constexpr double kTailLimit = -70.0;  // GSM x, Earth radii
// The field model's magnetopause test is made only beyond this radius.
inline constexpr double kMagnetopauseRadius = 7.0;  // Earth radii

// The motion of a proton of one rigidity (traced_motion: of the proton of a
// particle's charge sign).
struct ProtonMotion {
    double speed = 0.0;           // Earth radii per second
    double charge_to_mass = 0.0;  // relativistic q / (gamma m), C/kg; below 0 for a negative charge
};

// Given: the rigidity R, GV (> 0).
// Returned: the proton's speed and relativistic charge-to-mass ratio.
ProtonMotion proton_motion(double rigidity);

// Given: the altitude above the reference sphere, km.
// Returned: the start radius of the trajectories, Earth radii.
double start_radius(double altitude_km);

// Run-wide settings of the tracing, prepared once.
struct TraceSettings {
    FieldContext field;
    double start_radius = 1.0;     // Earth radii
    // Station latitudes geodetic (WGS-84), the start point at
    // start_altitude_km above the ellipsoid along its normal and the arrival
    // direction in the ellipsoid's local frame; otherwise geocentric on the
    // sphere, at start_radius.
    bool geodetic = false;
    double start_altitude_km = 0.0;
    int charge_sign = 1;           // of the traced particle: +1 or -1
    OutputFrame output_frame = OutputFrame::kGeo;
    double longitude_min = -180.0;  // degrees
    double longitude_max = 180.0;
};

// State (x, y, z, vx, vy, vz) in GSM, Earth radii and Earth radii per second.
using TraceState = std::array<double, 6>;

// Start state of a station entry.
// Given: the epoch; the station entry (geographic latitude and longitude,
// zenith and azimuth of the arrival direction, degrees, azimuth from north
// through east); the start radius, Earth radii; the speed, Earth radii per s.
// Returned: the position above the station at the start radius and the
// reversed arrival velocity, both in GSM.
// Notes: zenith 0 starts radially outward, whatever the azimuth.
TraceState start_state(const EpochState& epoch, const StationEntry& station,
                       double start_radius, double speed);

// Start state of a station entry whose latitude is geodetic.
// Given: the epoch; the station entry (geodetic latitude and longitude on the
// WGS-84 ellipsoid, zenith from the ellipsoid's outward normal and azimuth
// from geodetic north through east, degrees); the height of the start point
// above the ellipsoid along its normal, km; the speed, Earth radii per s.
// Returned: the start point and the reversed arrival velocity, both in GSM.
// Notes: zenith 0 starts along the normal, which misses the radial direction
// by the difference of the geodetic and geocentric latitudes.
TraceState geodetic_start_state(const EpochState& epoch, const StationEntry& station, double altitude_km,
                                double speed);

// The start state of a station entry in a run: geodetic_start_state when the
// settings say geodetic, start_state otherwise.
TraceState trace_start_state(const TraceSettings& settings, const StationEntry& station, double speed);

// The motion the tracing gives a particle of the run's charge sign.
// Given: the settings (their charge sign); the rigidity R, GV (> 0).
// Returned: proton_motion(R), with the charge-to-mass ratio negated for a
// negative charge, which reverses the Lorentz force.
ProtonMotion traced_motion(const TraceSettings& settings, double rigidity);

enum class TraceOutcome {
    kAllowed,            // left the magnetosphere within the time limit
    kForbidden,          // returned to the Earth or stayed trapped
    kIntegrationFailed,  // the integrator could not meet its tolerances
};

struct TraceResult {
    TraceOutcome outcome = TraceOutcome::kForbidden;
    double latitude = 0.0;   // asymptotic latitude, degrees (allowed only)
    double longitude = 0.0;  // asymptotic longitude in the window, degrees
    double time = 0.0;       // trajectory time at the last step, s
    TraceState state{};      // state after the last completed step
    long steps = 0;          // integrator calls
};

// Traces one trajectory backwards from a station entry and classifies it.
// Given: the run's settings (field, start radius, output frame, longitude
// window); the station entry; the proton motion of the rigidity.
// Returned: the outcome; for an allowed trajectory the asymptotic direction
// (the final velocity direction) in the output frame, degrees, the longitude
// moved into the window; the time, state and number of integrator calls.
// Notes: stops on return below r = 1, beyond x = -70 Re, outside the model
// boundary (beyond r = 7) or after 10 s of trajectory time.
TraceResult trace_trajectory(const TraceSettings& settings, const StationEntry& station,
                             const ProtonMotion& motion);

// trace_trajectory compiled for one field model: the function to call for
// every trajectory of a run, chosen once when the run is prepared.
using Tracer = TraceResult (*)(const TraceSettings& settings, const StationEntry& station,
                               const ProtonMotion& motion);
Tracer trajectory_tracer(FieldModel model);

// Asymptotic latitude and longitude (degrees) of a final GSM velocity, in the
// output frame, the longitude moved at most once by +360 and once by -360 into
// [longitude_min, longitude_max].
void asymptotic_direction(const TraceSettings& settings, double vx, double vy, double vz,
                          double& latitude, double& longitude);

}  // namespace cones
