#include "tracing/trajectory.hpp"

#include <cmath>

#include "tracing/integrator.hpp"
#include "tracing/magnetopause.hpp"

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

TraceState start_state(const EpochState& epoch, const StationEntry& station,
                       double start_radius, double speed) {
    double r = start_radius;
    double theta = (90.0 - station.latitude) * kDegreesToRadians;
    double longitude = station.longitude;
    if (longitude < 0.0) longitude = longitude + 360.0;
    double phi = longitude * kDegreesToRadians;
    double x, y, z;
    convert_spherical_cartesian(r, theta, phi, x, y, z, +1);
    transform_geo_gsm(epoch, x, y, z, x, y, z, +1);

    double azimuth = station.azimuth;
    if (azimuth < 0.0) azimuth = azimuth + 360.0;
    const double zenith_angle = station.zenith * kDegreesToRadians;
    const double azimuth_angle = azimuth * kDegreesToRadians;
    const double v_r = speed * std::cos(zenith_angle);
    const double v_theta = -speed * std::sin(zenith_angle) * std::cos(azimuth_angle);
    const double v_phi = speed * std::sin(zenith_angle) * std::sin(azimuth_angle);
    double vx, vy, vz;
    spherical_vector_to_cartesian(theta, phi, v_r, v_theta, v_phi, vx, vy, vz);
    transform_geo_gsm(epoch, vx, vy, vz, vx, vy, vz, +1);
    return {x, y, z, vx, vy, vz};
}

void asymptotic_direction(const TraceSettings& settings, double vx, double vy, double vz,
                          double& latitude, double& longitude) {
    const EpochState& epoch = *settings.field.epoch;
    if (settings.output_frame == OutputFrame::kGeo) {
        transform_geo_gsm(epoch, vx, vy, vz, vx, vy, vz, -1);
    } else if (settings.output_frame == OutputFrame::kGse) {
        transform_gse_gsm(epoch, vx, vy, vz, vx, vy, vz, -1);
    }
    double speed, theta, phi;
    convert_spherical_cartesian(speed, theta, phi, vx, vy, vz, -1);
    latitude = 90.0 - theta / kDegreesToRadians;
    longitude = phi / kDegreesToRadians;
    if (longitude < settings.longitude_min) longitude = longitude + 360.0;
    if (longitude > settings.longitude_max) longitude = longitude - 360.0;
}

namespace {

template <FieldModel M>
TraceResult trace_in_model(const TraceSettings& settings, const StationEntry& station,
                           const ProtonMotion& motion) {
    const FieldContext& field = settings.field;
    TraceResult result;
    TraceState& y = result.state;
    y = start_state(*field.epoch, station, settings.start_radius, motion.speed);

    ModelDerivatives<M> derivatives{&field, motion.charge_to_mass};
    IntegratorWork<6> work;
    double t = 0.0;
    double rel_tol = 1e-8;
    double abs_tol = 1e-6;
    int flag = -1;
    double r = 0.0;
    for (;;) {
        rkf_integrate<6>(derivatives, y.data(), t, 100.0, rel_tol, abs_tol, flag, work);
        ++result.steps;
        // Any other status leaves t and y as they were and the tracing goes on
        // with a continuation call.
        const bool cannot_continue = (flag == rkf_status::kStepTooSmall);
        flag = -2;
        r = std::sqrt(y[1] * y[1] + y[0] * y[0] + y[2] * y[2]);
        if (t > kTimeLimit || y[0] <= kTailLimit || r < 1.0) break;
        if (r > kMagnetopauseRadius && magnetopause_test<M>(field.boundary, y[0], y[1], y[2]) < 0) break;
        if (cannot_continue) {
            // The step size fell to its minimum without meeting the tolerances
            // and the trajectory has not stopped: it can be neither continued
            // nor classified.
            result.outcome = TraceOutcome::kIntegrationFailed;
            result.time = t;
            return result;
        }
    }
    result.time = t;
    if (!(r > 1.0 && t <= kTimeLimit)) {
        result.outcome = TraceOutcome::kForbidden;
        return result;
    }
    result.outcome = TraceOutcome::kAllowed;
    asymptotic_direction(settings, y[3], y[4], y[5], result.latitude, result.longitude);
    return result;
}

}  // namespace

Tracer trajectory_tracer(FieldModel model) {
    return with_field_model(model, [](auto m) -> Tracer { return &trace_in_model<m.value>; });
}

TraceResult trace_trajectory(const TraceSettings& settings, const StationEntry& station,
                             const ProtonMotion& motion) {
    return trajectory_tracer(settings.field.model)(settings, station, motion);
}

}  // namespace cones
