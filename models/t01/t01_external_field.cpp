// T01 driver (field model code 1): amplitudes and component parameters from
// the solar-wind pressure, D*, the IMF and the history indices G1 and G2.
#include <cmath>

#include "models/t01/t01_driver_common.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

constexpr double kBlendHalfWidth = 0.003;
constexpr double kRotationFactor = 1.5707963;  // partial-ring-current rotation at saturation

}  // namespace

T01Prepared t01_prepare(const ModelParameters& parameters, const EpochState& epoch) {
    const auto A = [](int k) { return double(kT01Amplitudes[k - 1]); };
    const double g1 = parameters[4];
    const double g2 = parameters[5];
    T01Prepared model;
    const T01DrivingTerms terms = t01_prepare_shared(kT01Amplitudes, kBlendHalfWidth, parameters, epoch.tilt, model);
    const double dst_star = terms.dst_star;

    T01ComponentParameters& p = model.parameters;
    p.tail_shift1 = A(26) + A(27) * g2;
    p.kappa1 = A(35) + A(36) * g2;
    p.kappa2 = A(37) + A(38) * g2;
    p.prc_rotation = kRotationFactor * math::tanh(std::fabs(dst_star) / A(34));

    model.tail1 = A(2) + A(3) * terms.tail1_pressure + A(4) * g1 + A(5) * dst_star;
    model.tail2 = A(6) + A(7) * terms.tail2_pressure + A(8) * g1 + A(9) * dst_star;
    model.partial_ring = A(13) + A(14) * dst_star + A(15) * terms.sqrt_pressure;
    model.birkeland11 = A(16) + A(17) * g2;
    model.birkeland12 = A(18) + A(19) * g2;
    model.birkeland21 = A(20) + A(21) * g2;
    model.birkeland22 = A(22) + A(23) * g2;

    t01_prepare_components(epoch.tilt, model);
    return model;
}

}  // namespace cones
