#include "tracing/trajectory.hpp"

#include <cmath>

#include "numerics/math.hpp"
#include "tracing/trajectory_stepper.hpp"

namespace cones {

ProtonMotion proton_motion(double rigidity) {
    ProtonMotion motion;
    const double ratio = kProtonRestEnergy / rigidity;
    motion.speed = kSpeedOfLight / std::sqrt(1.0 + ratio * ratio) / kEarthRadius;
    const double beta = motion.speed * kEarthRadius / kSpeedOfLight;
    motion.charge_to_mass = kProtonChargeToMass * std::sqrt(1.0 - beta * beta);
    return motion;
}

double start_radius(double altitude_km) {
    return (altitude_km * 1000.0 + kEarthRadius) / kEarthRadius;
}

namespace {

// The reversed arrival velocity of a station entry in its local frame: the
// components along up, north and east (the units of `speed`).
void local_start_velocity(const StationEntry& station, double speed, double& up, double& north, double& east) {
    double azimuth = station.azimuth;
    if (azimuth < 0.0) azimuth = azimuth + 360.0;
    const double zenith_angle = station.zenith * kDegreesToRadians;
    const double azimuth_angle = azimuth * kDegreesToRadians;
    double sin_zenith, cos_zenith, sin_azimuth, cos_azimuth;
    math::sincos(zenith_angle, sin_zenith, cos_zenith);
    math::sincos(azimuth_angle, sin_azimuth, cos_azimuth);
    up = speed * cos_zenith;
    north = speed * sin_zenith * cos_azimuth;
    east = speed * sin_zenith * sin_azimuth;
}

}  // namespace

TraceState start_state(const EpochState& epoch, const StationEntry& station,
                       double start_radius, double speed) {
    double r = start_radius;
    double theta = (90.0 - station.latitude) * kDegreesToRadians;
    double longitude = station.longitude;
    if (longitude < 0.0) longitude = longitude + 360.0;
    double phi = longitude * kDegreesToRadians;
    double x, y, z;
    spherical_to_cartesian(r, theta, phi, x, y, z);
    geo_to_gsm(epoch, x, y, z, x, y, z);

    double v_r, v_north, v_phi;
    local_start_velocity(station, speed, v_r, v_north, v_phi);
    // Southward; negating is exact, so this is -speed sin(zenith) cos(azimuth).
    const double v_theta = -v_north;
    double vx, vy, vz;
    spherical_vector_to_cartesian(theta, phi, v_r, v_theta, v_phi, vx, vy, vz);
    geo_to_gsm(epoch, vx, vy, vz, vx, vy, vz);
    return {x, y, z, vx, vy, vz};
}

TraceState geodetic_start_state(const EpochState& epoch, const StationEntry& station, double altitude_km,
                                double speed) {
    double longitude = station.longitude;
    if (longitude < 0.0) longitude = longitude + 360.0;
    const double latitude_angle = station.latitude * kDegreesToRadians;
    const double longitude_angle = longitude * kDegreesToRadians;
    double x, y, z;
    geodetic_to_geo(latitude_angle, longitude_angle, altitude_km, x, y, z);
    const double km_per_earth_radius = kEarthRadius / 1000.0;
    x = x / km_per_earth_radius;
    y = y / km_per_earth_radius;
    z = z / km_per_earth_radius;
    geo_to_gsm(epoch, x, y, z, x, y, z);

    double v_up, v_north, v_east;
    local_start_velocity(station, speed, v_up, v_north, v_east);
    double up[3], north[3], east[3];
    geodetic_local_frame(latitude_angle, longitude_angle, up, north, east);
    double vx = v_up * up[0] + v_north * north[0] + v_east * east[0];
    double vy = v_up * up[1] + v_north * north[1] + v_east * east[1];
    double vz = v_up * up[2] + v_north * north[2] + v_east * east[2];
    geo_to_gsm(epoch, vx, vy, vz, vx, vy, vz);
    return {x, y, z, vx, vy, vz};
}

TraceState trace_start_state(const TraceSettings& settings, const StationEntry& station, double speed) {
    if (settings.geodetic) {
        return geodetic_start_state(*settings.field.epoch, station, settings.start_altitude_km, speed);
    }
    return start_state(*settings.field.epoch, station, settings.start_radius, speed);
}

ProtonMotion traced_motion(const TraceSettings& settings, double rigidity) {
    ProtonMotion motion = proton_motion(rigidity);
    if (settings.charge_sign < 0) motion.charge_to_mass = -motion.charge_to_mass;
    return motion;
}

void asymptotic_direction(const TraceSettings& settings, double vx, double vy, double vz,
                          double& latitude, double& longitude) {
    const EpochState& epoch = *settings.field.epoch;
    if (settings.output_frame == OutputFrame::kGeo) {
        gsm_to_geo(epoch, vx, vy, vz, vx, vy, vz);
    } else if (settings.output_frame == OutputFrame::kGse) {
        gsm_to_gse(epoch, vx, vy, vz, vx, vy, vz);
    }
    double speed, theta, phi;
    cartesian_to_spherical(vx, vy, vz, speed, theta, phi);
    latitude = 90.0 - theta / kDegreesToRadians;
    longitude = phi / kDegreesToRadians;
    if (longitude < settings.longitude_min) longitude = longitude + 360.0;
    if (longitude > settings.longitude_max) longitude = longitude - 360.0;
}

namespace {

template <class M>
TraceResult trace_in_model(const TraceSettings& settings, const StationEntry& station,
                           const ProtonMotion& motion) {
    TrajectoryStepper<M> trajectory;
    trajectory.start(settings, station, motion);
    const ModelDerivatives<M> derivatives{settings.field.epoch, &settings.field.prepared_for<M>(),
                                          motion.charge_to_mass};
    while (trajectory.advance()) derivatives(trajectory.point_t(), trajectory.point_y(), trajectory.derivative());
    return trajectory.result();
}

}  // namespace

Tracer trajectory_tracer(FieldModel model) {
    return with_field_model(model, [](auto row) -> Tracer { return &trace_in_model<typename decltype(row)::type>; });
}

TraceResult trace_trajectory(const TraceSettings& settings, const StationEntry& station,
                             const ProtonMotion& motion) {
    return trajectory_tracer(settings.field.model)(settings, station, motion);
}

}  // namespace cones
