// The procedure shared by the T01 and storm-time T01 drivers: scaling by the
// solar-wind pressure, the IMF clock angle and penetrated field, the position
// relative to the tilt-deformed magnetopause, and the blended sum of the
// sources.
#include <cmath>

#include "models/t01/t01_driver_common.hpp"
#include "models/t01/t01_tilt_deformation.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

constexpr double kDstFactor = double(0.8f);      // 0.800000011920929
constexpr double kPressureDst = 13.0;
constexpr double kSemiAxis = 34.586;             // a0: a = a0 / kappa
constexpr double kNoseOffset = 3.4397;           // x0 / kappa
constexpr double kBoundary = 1.196;              // s0: sigma on the magnetopause
constexpr double kHingeLatitudeTerm = -5.2;
constexpr double kCubeRoot = 0.33333333;         // not exactly a third
constexpr double kFullTurn = 6.283185307;
constexpr double kRingDstFloor = 20.0;

}  // namespace

#if CONES_ONE_POINT_BUILD
T01DrivingTerms t01_prepare_shared(const float* a, double blend_half_width,
                                   const ModelParameters& parameters, double tilt, T01Prepared& model) {
    const auto A = [a](int k) { return double(a[k - 1]); };
    const double pressure = parameters[0];
    const double by = parameters[2];
    const double bz = parameters[3];
    const double sqrt_pressure = std::sqrt(pressure);
    const double dst_star = kDstFactor * parameters[1] - kPressureDst * sqrt_pressure;

    const double kappa = math::pow(0.5 * pressure, A(39));
    model.kappa = kappa;
    model.kappa3 = kappa * kappa * kappa;
    model.sin_tilt = math::sin(tilt);
    model.x0 = kNoseOffset / kappa;
    model.semi_axis = kSemiAxis / kappa;
    model.inside_limit = kBoundary - blend_half_width;
    model.outside_limit = kBoundary + blend_half_width;
    model.blend_half_width = blend_half_width;

    // IMF clock angle in (0, 2 pi]: a purely northward IMF gives 6.283185307.
    double theta = 0.0;
    if (!(by == 0.0 && bz == 0.0)) {
        theta = math::atan2(by, bz);
        if (theta <= 0.0) theta = theta + kFullTurn;
    }
    const double sin_half = math::sin(theta / 2.0);
    const double h = sin_half * sin_half;
    const double f = A(24) + A(25) * h;
    model.penetrated = {0.0, f * by, f * bz};
    model.shielding_weight = A(1);
    model.interconnection = {A(24) * 0.0, A(24) * by, A(24) * bz};
    const double clock_weight = A(25) * h;
    model.interconnection_clock = {clock_weight * 0.0, clock_weight * by, clock_weight * bz};

    T01ComponentParameters& p = model.parameters;
    p.hinge_distance = A(40);
    p.warp_amplitude = A(41);
    p.tail_shift2 = 0.0;
    p.sheet_half_thickness = A(28);
    p.sheet_flank_thickening = A(29);
    double dm = std::fabs(dst_star);
    if (dm < kRingDstFloor) dm = kRingDstFloor;
    p.src_scale = A(30) * math::pow(kRingDstFloor / dm, A(31)) * kappa;
    p.prc_scale = A(32) * math::pow(kRingDstFloor / dm, A(33)) * kappa;

    model.symmetric_ring = A(10) + A(11) * dst_star + A(12) * sqrt_pressure;
    return {dst_star, sqrt_pressure, math::pow(0.5 * pressure, A(42)), math::pow(0.5 * pressure, A(43))};
}

void t01_prepare_components(double tilt, T01Prepared& model) {
    model.dipole_shielding = t01_dipole_shielding_prepare(tilt);
    model.tail = t01_tail_prepare(tilt, model.parameters);
    model.birkeland = t01_birkeland_prepare(tilt, model.parameters);
    model.ring_current = t01_ring_current_prepare(tilt, model.parameters);
}

bool t01_escaped(const T01Prepared& model, double x, double y, double z) {
    if (t01_boundary_coordinate(model, x, y, z).sigma >= kBoundary) return true;
    return x < -70.0;
}
#endif

// sigma = sqrt((q + m^2 + sqrt((q + m^2)^2 - 4 a^2 m^2)) / (2 a^2)) with
// q = a^2 + y^2 + zs^2 and m = max(a + xs - x0, 0): the ellipsoidal
// coordinate of the deformed point, 1 on the ellipsoid of semi-axis a.
template <class Real>
T01BoundaryCoordinateOf<Real> t01_boundary_coordinate(const T01Prepared& model, Real x, Real y, Real z) {
    using std::sqrt;
    const Real r = sqrt(x * x + y * y + z * z);
    const T01TiltDeformationOf<Real> d = t01_tilt_deformation(x, z, r, model.sin_tilt, model.parameters.hinge_distance,
                                                              kHingeLatitudeTerm, kCubeRoot);
    const Real rho2 = y * y + d.zs * d.zs;
    const double a = model.semi_axis;
    const double a2 = a * a;
    const Real offset = a + d.xs - model.x0;
    const Real m = select(offset < 0.0, Real(0.0), offset);
    const Real q = a2 + rho2;
    const Real qm = q + m * m;
    const Real sigma = sqrt((qm + sqrt(qm * qm - 4.0 * a2 * (m * m))) / (2.0 * a2));
    return {sigma, d.passes};
}

// Given: the prepared model; the epoch; x, y, z unscaled GSM, Earth radii.
// Returned: bx, by, bz, GSM, nT.
// Notes: the dipole field is evaluated when any lane lies in the layer or
//   beyond it, the sources when any lane lies inside the layer's outer edge.
template <class Real>
void t01_external_field(const T01Prepared& model, const EpochState& epoch, Given<Real> x, Given<Real> y,
                        Given<Real> z, Real& bx, Real& by, Real& bz) {
    const Real sigma = t01_boundary_coordinate(model, x, y, z).sigma;
    const T01Field& o = model.penetrated;
    const MaskOf<Real> within = sigma < model.outside_limit;  // inside the layer's outer edge
    const MaskOf<Real> inside = sigma < model.inside_limit;   // inside the layer

    Real qx = 0.0, qy = 0.0, qz = 0.0;
    if (any_lane(!inside)) dipole_field_gsm(epoch, x, y, z, qx, qy, qz);

    Real fx = 0.0, fy = 0.0, fz = 0.0;
    if (any_lane(within)) {
        const double k = model.kappa;
        const Real xs = k * x, ys = k * y, zs = k * z;
        const T01FieldOf<Real> shield = t01_dipole_shielding_field(model.dipole_shielding, xs, ys, zs);
        const T01TailModesOf<Real> tail = t01_tail_field(model.tail, xs, ys, zs);
        const T01BirkelandModesOf<Real> birkeland = t01_birkeland_field(model.birkeland, xs, ys, zs);
        const T01RingCurrentsOf<Real> ring = t01_ring_current_field(model.ring_current, xs, ys, zs);

        const auto sum = [&model](Real s, Real t1, Real t2, Real src, Real prc, Real r11, Real r12, Real r21, Real r22,
                                  double h24, double h25) {
            return model.shielding_weight * s + model.tail1 * t1 + model.tail2 * t2 + model.symmetric_ring * src +
                   model.partial_ring * prc + model.birkeland11 * r11 + model.birkeland12 * r12 +
                   model.birkeland21 * r21 + model.birkeland22 * r22 + h24 + h25;
        };
        const double k3 = model.kappa3;
        fx = sum(k3 * shield.x, tail.mode1.x, tail.mode2.x, ring.symmetric.x, ring.partial.x, birkeland.r11.x,
                 birkeland.r12.x, birkeland.r21.x, birkeland.r22.x, model.interconnection.x,
                 model.interconnection_clock.x);
        fy = sum(k3 * shield.y, tail.mode1.y, tail.mode2.y, ring.symmetric.y, ring.partial.y, birkeland.r11.y,
                 birkeland.r12.y, birkeland.r21.y, birkeland.r22.y, model.interconnection.y,
                 model.interconnection_clock.y);
        fz = sum(k3 * shield.z, tail.mode1.z, tail.mode2.z, ring.symmetric.z, ring.partial.z, birkeland.r11.z,
                 birkeland.r12.z, birkeland.r21.z, birkeland.r22.z, model.interconnection.z,
                 model.interconnection_clock.z);
    }

    // Inside, in the blending layer (linear in sigma from the model field
    // inside to the penetrated interplanetary field outside) and outside.
    const Real u = (sigma - kBoundary) / model.blend_half_width;
    const Real wi = 0.5 * (1.0 - u);
    const Real we = 0.5 * (1.0 + u);
    bx = select(inside, fx, select(within, (fx + qx) * wi + o.x * we - qx, o.x - qx));
    by = select(inside, fy, select(within, (fy + qy) * wi + o.y * we - qy, o.y - qy));
    bz = select(inside, fz, select(within, (fz + qz) * wi + o.z * we - qz, o.z - qz));
}

#define CONES_T01_DRIVER(Real)                                                                                \
    template T01BoundaryCoordinateOf<Real> t01_boundary_coordinate(const T01Prepared&, Real, Real, Real);    \
    template void t01_external_field<Real>(const T01Prepared&, const EpochState&, Real, Real, Real, Real&, \
                                           Real&, Real&);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T01_DRIVER)

}  // namespace cones
