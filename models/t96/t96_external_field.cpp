// T96 model driver: the driving quantities from the solar wind, the pressure
// scaling of the magnetosphere, the spheroidal magnetopause, and the sum of the
// scaled components blended into the penetrated interplanetary field.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Driver constants (single precision).
constexpr double kDstPressureFactor = double(0.8f);  // D = 0.8 Dst - 13 sqrt(P)
constexpr double kDstPressureTerm = 13.0;
constexpr double kReferenceReconnection = double(3630.7f);
constexpr double kReconnectionFactor = 718.5;
constexpr double kPressureExponent = double(0.14f);
constexpr double kFullTurn = double(6.2831853f);
constexpr double kRegion2Ratio = 20.0;
// Decay of the penetrated IMF along x and across it (Earth radii).
constexpr double kPenetrationLengthX = 20.0;
constexpr double kPenetrationWidth = 10.0;
// Magnetopause: semi-axis a0, nose offset x00, boundary value s0 of the
// spheroidal coordinate, half-width of the blending layer.
constexpr double kSemiAxis = 70.0;
constexpr double kNoseOffset = double(5.48f);
constexpr double kBoundary = double(1.08f);
constexpr double kLayerHalfWidth = double(0.005f);

}  // namespace

T96Prepared t96_prepare(const ModelParameters& parameters, const EpochState& epoch) {
    const T96Amplitudes& a = kT96Amplitudes;
    const double pressure = parameters[0];
    const double dst = parameters[1];
    const double by = parameters[2];
    const double bz = parameters[3];

    T96Prepared model;
    const double root_pressure = std::sqrt(pressure);
    const double corrected_dst = kDstPressureFactor * dst - kDstPressureTerm * root_pressure;
    const double transverse = std::sqrt(by * by + bz * bz);
    double clock = 0.0;
    if (!(by == 0.0 && bz == 0.0)) {
        clock = math::atan2(by, bz);
        if (clock <= 0.0) clock = clock + kFullTurn;
    }
    math::sincos(clock, model.sin_clock, model.cos_clock);
    const double reconnection =
        kReconnectionFactor * root_pressure * transverse * math::sin(clock / 2.0);
    const double reconnection_factor = reconnection / kReferenceReconnection - 1.0;
    const double pressure_factor = std::sqrt(0.5 * pressure) - 1.0;

    model.ring_current_amplitude = -double(a.ring_current) * corrected_dst;
    model.tail2_amplitude = double(a.tail2_base) + double(a.tail2_pressure) * pressure_factor +
                            double(a.tail2_reconnection) * reconnection_factor;
    model.tail3_amplitude = double(a.tail3_base) + double(a.tail3_pressure) * pressure_factor;
    model.region1_amplitude =
        double(a.region1_base) + double(a.region1_reconnection) * reconnection_factor;
    model.region2_amplitude = kRegion2Ratio * model.region1_amplitude;
    model.interconnection_amplitude = double(a.imf_efficiency) * transverse;
    model.penetrated_by = double(a.imf_efficiency) * by;
    model.penetrated_bz = double(a.imf_efficiency) * bz;

    model.kappa = math::pow(0.5 * pressure, kPressureExponent);
    model.kappa_cubed = model.kappa * model.kappa * model.kappa;
    model.nose_offset = kNoseOffset / model.kappa;
    model.semi_axis = kSemiAxis / model.kappa;
    model.semi_axis_squared = model.semi_axis * model.semi_axis;

    math::sincos(epoch.tilt, model.sin_tilt, model.cos_tilt);
    t96_prepare_sheet(model, epoch.sin_tilt);
    t96_prepare_region1(model);
    t96_prepare_region2(model);
    t96_prepare_interconnection(model);

    // The escape test's magnetopause, with its own scaling.
    const double f = math::pow(pressure / 2.0, double(0.1376f));
    model.magnetopause.a = double(75.6f) / f;
    model.magnetopause.b = double(28.55f) / f;
    model.magnetopause.x0 = double(-64.51f) / f;
    return model;
}

T96BoundaryWeights t96_boundary_weights(double sigma) {
    const double t = (sigma - kBoundary) / kLayerHalfWidth;
    return {0.5 * (1.0 - t), 0.5 * (1.0 + t)};
}

// Given: model; x, y, z unscaled GSM, Earth radii.
// Returned: sigma = sqrt((q + m^2 + sqrt((q + m^2)^2 - 4 a^2 m^2)) / (2 a^2)),
//   q = a^2 + y^2 + z^2, m = max(a + x - x0, 0).
double t96_magnetopause_coordinate(const T96Prepared& model, double x, double y, double z) {
    const double a = model.semi_axis;
    const double a2 = model.semi_axis_squared;
    const double rho2 = y * y + z * z;
    double m = a + x - model.nose_offset;
    if (m < 0.0) m = 0.0;
    const double m2 = m * m;
    const double q = a2 + rho2;
    const double t = q + m2;
    return std::sqrt((t + std::sqrt(t * t - 4.0 * a2 * m2)) / (2.0 * a2));
}

// Given: model; epoch (dipole field for the boundary layer and outside);
//   x, y, z unscaled GSM, Earth radii.
// Returned: bx, by, bz, GSM, nT.
// Notes: see the header. The penetrated IMF O = A9 (0, By, Bz) exp(x/20 -
//   (ys/10)^2), ys the y coordinate in the frame rotated by the clock angle,
//   is only evaluated where it is used.
template <>
void t96_external_field<double>(const T96Prepared& model, const EpochState& epoch, double x, double y,
                        double z, double& bx, double& by, double& bz) {
    const double c = model.cos_clock, s = model.sin_clock;
    const double ys = y * c - z * s;
    const double zs = z * c + y * s;

    const double sigma = t96_magnetopause_coordinate(model, x, y, z);
    const auto penetrated_factor = [&] {
        return math::exp(x / kPenetrationLengthX -
                        (ys / kPenetrationWidth) * (ys / kPenetrationWidth));
    };

    if (!(sigma < kBoundary + kLayerHalfWidth)) {
        double qx, qy, qz;
        dipole_field_gsm(epoch, x, y, z, qx, qy, qz);
        const double g = penetrated_factor();
        bx = 0.0 - qx;
        by = model.penetrated_by * g - qy;
        bz = model.penetrated_bz * g - qz;
        return;
    }

    const double k = model.kappa;
    const double xk = k * x, yk = k * y, zk = k * z;
    const T96Vector shield = t96_dipole_shielding_field(model, xk, yk, zk);
    const T96Hinge hinge = t96_hinge(xk, yk, zk);
    const T96SheetFields sheet = t96_ring_current_tail_field(model, hinge, xk, yk, zk);
    const T96Vector r1 = t96_region1_field(model, hinge, xk, yk, zk);
    const T96Vector r2 = t96_region2_field(model, xk, yk, zk);
    const T96Vector imf = t96_interconnection_field(model, xk, k * ys, k * zs);
    const double imf_y = imf.y * c + imf.z * s;
    const double imf_z = imf.z * c - imf.y * s;

    const auto sum = [&](double sc, double rc, double t2, double t3, double b1, double b2,
                         double i) {
        return model.kappa_cubed * sc + model.ring_current_amplitude * rc +
               model.tail2_amplitude * t2 + model.tail3_amplitude * t3 +
               model.region1_amplitude * b1 + model.region2_amplitude * b2 +
               model.interconnection_amplitude * i;
    };
    const double fx = sum(shield.x, sheet.ring_current.x, sheet.tail2.x, sheet.tail3.x, r1.x, r2.x,
                          imf.x);
    const double fy = sum(shield.y, sheet.ring_current.y, sheet.tail2.y, sheet.tail3.y, r1.y, r2.y,
                          imf_y);
    const double fz = sum(shield.z, sheet.ring_current.z, sheet.tail2.z, sheet.tail3.z, r1.z, r2.z,
                          imf_z);

    if (sigma < kBoundary - kLayerHalfWidth) {
        bx = fx;
        by = fy;
        bz = fz;
        return;
    }

    // Boundary layer: the interior weight falls linearly from 1 to 0 across it.
    const T96BoundaryWeights w = t96_boundary_weights(sigma);
    const double wi = w.interior, we = w.exterior;
    double qx, qy, qz;
    dipole_field_gsm(epoch, x, y, z, qx, qy, qz);
    const double g = penetrated_factor();
    bx = (fx + qx) * wi + 0.0 * we - qx;
    by = (fy + qy) * wi + model.penetrated_by * g * we - qy;
    bz = (fz + qz) * wi + model.penetrated_bz * g * we - qz;
}

bool t96_escaped(const T96Prepared& model, double x, double y, double z) {
    const T96Magnetopause& m = model.magnetopause;
    const double rho = std::sqrt(y * y + z * z);
    if (x >= m.x0) {
        const double dx = x - m.x0;
        const double scaled = rho * m.a / m.b;
        if (std::sqrt(dx * dx + scaled * scaled) >= m.a) return true;
    }
    if (x < -70.0) return true;
    return x < m.x0 && rho >= m.b;
}

}  // namespace cones
