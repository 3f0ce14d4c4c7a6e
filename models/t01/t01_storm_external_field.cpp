// Storm-time T01 driver (field model code 3): amplitudes that saturate in the
// history indices G2 and G3, Birkeland sizes that grow with the storm
// strength |D*|, and a fixed partial-ring-current rotation.
#include <cmath>

#include "models/t01/t01_driver_common.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

constexpr double kBlendHalfWidth = 0.005;
constexpr double kTailShiftSaturation = 40.0;    // entering as 40 and 40^2
constexpr double kTailShiftSaturation2 = 1600.0;
constexpr double kStormDstFloor = 20.0;

// coefficient * sat(g, c), evaluated as (coefficient g c) / sqrt(c c + g g):
// tends to coefficient * c for large |g| and to coefficient * g for small.
double saturating(double coefficient, double g, double c) {
    return coefficient * g * c / std::sqrt(c * c + g * g);
}

}  // namespace

T01Prepared t01_storm_prepare(const ModelParameters& parameters, const EpochState& epoch) {
    const auto A = [](int k) { return double(kT01StormAmplitudes[k - 1]); };
    const double g2 = parameters[5];
    const double g3 = parameters[6];
    T01Prepared model;
    const T01DrivingTerms terms =
        t01_prepare_shared(kT01StormAmplitudes, kBlendHalfWidth, parameters, epoch.tilt, model);
    const double dst_star = terms.dst_star;

    T01ComponentParameters& p = model.parameters;
    p.tail_shift1 = A(26) + A(27) * g2 * kTailShiftSaturation / std::sqrt(g2 * g2 + kTailShiftSaturation2);
    double dq = std::fabs(dst_star);
    if (dq < kStormDstFloor) dq = kStormDstFloor;
    dq = dq / kStormDstFloor;
    p.kappa1 = A(35) * math::pow(dq, A(36));
    p.kappa2 = A(37) * math::pow(dq, A(38));
    p.prc_rotation = A(34);

    model.tail1 = A(2) + A(3) * terms.tail1_pressure + saturating(A(4), g2, A(44)) + A(5) * dst_star;
    model.tail2 = A(6) + A(7) * terms.tail2_pressure + saturating(A(8), g2, A(45)) + A(9) * dst_star;
    model.partial_ring = A(13) + saturating(A(14), g3, A(46)) + A(15) * terms.sqrt_pressure;
    model.birkeland11 = A(16) + saturating(A(17), g2, A(47));
    model.birkeland12 = A(18) + saturating(A(19), g2, A(48));
    model.birkeland21 = A(20) + saturating(A(21), g2, A(49));
    model.birkeland22 = A(22) + saturating(A(23), g2, A(50));

    t01_prepare_components(epoch.tilt, model);
    return model;
}

}  // namespace cones
