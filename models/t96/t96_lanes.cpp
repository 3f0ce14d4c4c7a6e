// The T96 external field for a pack of points: one lane after the other, each
// by the routine for one point. Compiled once per instruction set (see
// numerics/lane_variant.hpp).

#include "models/t96/t96.hpp"
#include "numerics/lane_variant.hpp"

namespace cones {

template <class Real>
void t96_external_field(const T96Prepared& model, const EpochState& epoch, Given<Real> x, Given<Real> y,
                        Given<Real> z, Real& bx, Real& by, Real& bz) {
    lanewise_field([&](double px, double py, double pz, double& fx, double& fy,
                       double& fz) { t96_external_field<double>(model, epoch, px, py, pz, fx, fy, fz); },
                   kLanesOf<Real>, x, y, z, bx, by, bz);
}

#define CONES_T96_LANES(Real)                                                                                 \
    template void t96_external_field<Real>(const T96Prepared&, const EpochState&, Real, Real, Real, Real&, Real&, \
                                           Real&);
CONES_FOR_EACH_PACK_TYPE(CONES_T96_LANES)

}  // namespace cones
