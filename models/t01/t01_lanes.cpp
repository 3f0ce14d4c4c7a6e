// The T01 and storm-time T01 external field for a pack of points: one lane
// after the other, each by the routine for one point. Compiled once per
// instruction set (see numerics/lane_variant.hpp).

#include "models/t01/t01.hpp"
#include "numerics/lane_variant.hpp"

namespace cones {

template <class Real>
void t01_external_field(const T01Prepared& model, const EpochState& epoch, Given<Real> x, Given<Real> y,
                        Given<Real> z, Real& bx, Real& by, Real& bz) {
    lanewise_field([&](double px, double py, double pz, double& fx, double& fy,
                       double& fz) { t01_external_field<double>(model, epoch, px, py, pz, fx, fy, fz); },
                   kLanesOf<Real>, x, y, z, bx, by, bz);
}

#define CONES_T01_LANES(Real)                                                                                 \
    template void t01_external_field<Real>(const T01Prepared&, const EpochState&, Real, Real, Real, Real&, Real&, \
                                           Real&);
CONES_FOR_EACH_PACK_TYPE(CONES_T01_LANES)

}  // namespace cones
