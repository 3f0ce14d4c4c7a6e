// Frame rotations of the epoch: GEO-GSM and GSE-GSM, for one point or a pack.

#include "geomag/geomag.hpp"
#include "numerics/lane_variant.hpp"

namespace cones {

template <class Real>
void transform_geo_gsm(const EpochState& epoch, Real& x_geo, Real& y_geo, Real& z_geo, Real& x_gsm,
                       Real& y_gsm, Real& z_gsm, int direction) {
    const auto& a = epoch.geo_gsm_matrix;
    if (direction >= 0) {
        const Real gx = x_geo, gy = y_geo, gz = z_geo;
        x_gsm = a[0][0] * gx + a[1][0] * gy + a[2][0] * gz;
        y_gsm = a[0][1] * gx + a[1][1] * gy + a[2][1] * gz;
        z_gsm = a[0][2] * gx + a[1][2] * gy + a[2][2] * gz;
    } else {
        const Real mx = x_gsm, my = y_gsm, mz = z_gsm;
        x_geo = a[0][0] * mx + a[0][1] * my + a[0][2] * mz;
        y_geo = a[1][0] * mx + a[1][1] * my + a[1][2] * mz;
        z_geo = a[2][0] * mx + a[2][1] * my + a[2][2] * mz;
    }
}

template <class Real>
void transform_gse_gsm(const EpochState& epoch, Real& x_gse, Real& y_gse, Real& z_gse, Real& x_gsm,
                       Real& y_gsm, Real& z_gsm, int direction) {
    const double c = epoch.cos_gse_gsm;
    const double s = epoch.sin_gse_gsm;
    if (direction >= 0) {
        const Real ex = x_gse, ey = y_gse, ez = z_gse;
        x_gsm = ex;
        y_gsm = ey * c + ez * s;
        z_gsm = ez * c - ey * s;
    } else {
        const Real mx = x_gsm, my = y_gsm, mz = z_gsm;
        x_gse = mx;
        y_gse = my * c - mz * s;
        z_gse = my * s + mz * c;
    }
}

#define CONES_ROTATIONS(Real)                                                                        \
    template void transform_geo_gsm<Real>(const EpochState&, Real&, Real&, Real&, Real&, Real&, Real&, int); \
    template void transform_gse_gsm<Real>(const EpochState&, Real&, Real&, Real&, Real&, Real&, Real&, int);
CONES_FOR_EACH_NUMBER_TYPE(CONES_ROTATIONS)

}  // namespace cones
