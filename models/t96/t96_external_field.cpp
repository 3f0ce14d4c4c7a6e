// T96 model driver: the driving quantities from the solar wind, the pressure
// scaling of the magnetosphere, the spheroidal magnetopause, and the sum of the
// scaled components blended into the penetrated interplanetary field.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/lane_variant.hpp"
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

#if CONES_ONE_POINT_BUILD
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
#endif

template <class Real>
T96BoundaryWeightsOf<Real> t96_boundary_weights(Real sigma) {
    const Real t = (sigma - kBoundary) / kLayerHalfWidth;
    return {0.5 * (1.0 - t), 0.5 * (1.0 + t)};
}

// Given: model; x, y, z unscaled GSM, Earth radii.
// Returned: sigma = sqrt((q + m^2 + sqrt((q + m^2)^2 - 4 a^2 m^2)) / (2 a^2)),
//   q = a^2 + y^2 + z^2, m = max(a + x - x0, 0).
template <class Real>
Real t96_magnetopause_coordinate(const T96Prepared& model, Real x, Real y, Real z) {
    using std::sqrt;
    const double a = model.semi_axis;
    const double a2 = model.semi_axis_squared;
    const Real rho2 = y * y + z * z;
    const Real offset = a + x - model.nose_offset;
    const Real m = select(offset < 0.0, Real(0.0), offset);
    const Real m2 = m * m;
    const Real q = a2 + rho2;
    const Real t = q + m2;
    return sqrt((t + sqrt(t * t - 4.0 * a2 * m2)) / (2.0 * a2));
}

// Given: model; epoch (dipole field for the boundary layer and outside);
//   x, y, z unscaled GSM, Earth radii.
// Returned: bx, by, bz, GSM, nT.
// Notes: see the header. The penetrated IMF O = A9 (0, By, Bz) exp(x/20 -
//   (ys/10)^2), ys the y coordinate in the frame rotated by the clock angle,
//   and the dipole field are only evaluated where they are used (when any
//   lane lies in the layer or beyond it), the components when any lane lies
//   inside the layer's outer edge.
template <class Real>
void t96_external_field(const T96Prepared& model, const EpochState& epoch, Given<Real> x, Given<Real> y,
                        Given<Real> z, Real& bx, Real& by, Real& bz) {
    const double c = model.cos_clock, s = model.sin_clock;
    const Real ys = y * c - z * s;
    const Real zs = z * c + y * s;

    const Real sigma = t96_magnetopause_coordinate(model, x, y, z);
    const MaskOf<Real> within = sigma < kBoundary + kLayerHalfWidth;  // inside the layer's outer edge
    const MaskOf<Real> inside = sigma < kBoundary - kLayerHalfWidth;  // inside the layer

    // Beyond the layer: the penetrated IMF minus the dipole; in the layer the
    // same terms enter the blend.
    Real qx = 0.0, qy = 0.0, qz = 0.0, g = 0.0;
    if (any_lane(!inside)) {
        dipole_field_gsm(epoch, x, y, z, qx, qy, qz);
        g = math::exp(x / kPenetrationLengthX - (ys / kPenetrationWidth) * (ys / kPenetrationWidth));
    }

    Real fx = 0.0, fy = 0.0, fz = 0.0;
    if (any_lane(within)) {
        const double k = model.kappa;
        const Real xk = k * x, yk = k * y, zk = k * z;
        const T96VectorOf<Real> shield = t96_dipole_shielding_field(model, xk, yk, zk);
        const T96HingeOf<Real> hinge = t96_hinge(xk, yk, zk);
        const T96SheetFieldsOf<Real> sheet = t96_ring_current_tail_field(model, hinge, xk, yk, zk);
        const T96VectorOf<Real> r1 = t96_region1_field(model, hinge, xk, yk, zk);
        const T96VectorOf<Real> r2 = t96_region2_field(model, xk, yk, zk);
        const T96VectorOf<Real> imf = t96_interconnection_field(model, xk, k * ys, k * zs);
        const Real imf_y = imf.y * c + imf.z * s;
        const Real imf_z = imf.z * c - imf.y * s;

        const auto sum = [&](Real sc, Real rc, Real t2, Real t3, Real b1, Real b2, Real i) {
            return model.kappa_cubed * sc + model.ring_current_amplitude * rc + model.tail2_amplitude * t2 +
                   model.tail3_amplitude * t3 + model.region1_amplitude * b1 + model.region2_amplitude * b2 +
                   model.interconnection_amplitude * i;
        };
        fx = sum(shield.x, sheet.ring_current.x, sheet.tail2.x, sheet.tail3.x, r1.x, r2.x, imf.x);
        fy = sum(shield.y, sheet.ring_current.y, sheet.tail2.y, sheet.tail3.y, r1.y, r2.y, imf_y);
        fz = sum(shield.z, sheet.ring_current.z, sheet.tail2.z, sheet.tail3.z, r1.z, r2.z, imf_z);
    }

    // Outside, in the layer (the interior weight falls linearly from 1 to 0
    // across it) and inside.
    const T96BoundaryWeightsOf<Real> w = t96_boundary_weights(sigma);
    const Real wi = w.interior, we = w.exterior;
    bx = select(inside, fx, select(within, (fx + qx) * wi + 0.0 * we - qx, 0.0 - qx));
    by = select(inside, fy,
                select(within, (fy + qy) * wi + model.penetrated_by * g * we - qy, model.penetrated_by * g - qy));
    bz = select(inside, fz,
                select(within, (fz + qz) * wi + model.penetrated_bz * g * we - qz, model.penetrated_bz * g - qz));
}

#define CONES_T96_EXTERNAL_FIELD(Real)                                                                     \
    template T96BoundaryWeightsOf<Real> t96_boundary_weights(Real);                                      \
    template Real t96_magnetopause_coordinate(const T96Prepared&, Real, Real, Real);                     \
    template void t96_external_field<Real>(const T96Prepared&, const EpochState&, Real, Real, Real, Real&, \
                                           Real&, Real&);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T96_EXTERNAL_FIELD)

}  // namespace cones
