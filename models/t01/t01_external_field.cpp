// T01 driver (field model code 1): amplitudes and component parameters from
// the solar-wind pressure, D*, the IMF and the history indices G1 and G2.
#include <cmath>

#include "models/t01/t01_driver_common.hpp"

namespace cones {
namespace {

constexpr double kBlendHalfWidth = 0.003;
constexpr double kRotationFactor = 1.5707963;  // partial-ring-current rotation at saturation

}  // namespace

T01Prepared t01_prepare(const ModelParameters& parameters, const EpochState& epoch) {
    const auto A = [](int k) { return double(kT01Amplitudes[k - 1]); };
    const double pressure = parameters[0];
    const double by = parameters[2];
    const double bz = parameters[3];
    const double g1 = parameters[4];
    const double g2 = parameters[5];
    const double dst_star = t01_corrected_dst(parameters[1], pressure);

    T01Prepared model;
    t01_prepare_shared(kT01Amplitudes, kBlendHalfWidth, pressure, dst_star, by, bz, epoch.tilt, model);

    T01ComponentParameters& p = model.parameters;
    p.tail_shift1 = A(26) + A(27) * g2;
    p.kappa1 = A(35) + A(36) * g2;
    p.kappa2 = A(37) + A(38) * g2;
    p.prc_rotation = kRotationFactor * std::tanh(std::fabs(dst_star) / A(34));

    const double d1 = std::pow(0.5 * pressure, A(42));
    const double d2 = std::pow(0.5 * pressure, A(43));
    const double sqrt_p = std::sqrt(pressure);
    model.tail1 = A(2) + A(3) * d1 + A(4) * g1 + A(5) * dst_star;
    model.tail2 = A(6) + A(7) * d2 + A(8) * g1 + A(9) * dst_star;
    model.symmetric_ring = A(10) + A(11) * dst_star + A(12) * sqrt_p;
    model.partial_ring = A(13) + A(14) * dst_star + A(15) * sqrt_p;
    model.birkeland11 = A(16) + A(17) * g2;
    model.birkeland12 = A(18) + A(19) * g2;
    model.birkeland21 = A(20) + A(21) * g2;
    model.birkeland22 = A(22) + A(23) * g2;

    t01_prepare_components(epoch.tilt, model);
    return model;
}

}  // namespace cones
