// Frame rotations of the epoch: GEO-GSM and GSE-GSM, for one point or a pack.

#include "geomag/geomag.hpp"
#include "numerics/lane_variant.hpp"

namespace cones {

template <class Real>
void geo_to_gsm(const EpochState& epoch, const Real& x_geo, const Real& y_geo, const Real& z_geo, Real& x_gsm,
                Real& y_gsm, Real& z_gsm) {
    const auto& a = epoch.geo_gsm_matrix;
    const Real gx = x_geo, gy = y_geo, gz = z_geo;
    x_gsm = a[0][0] * gx + a[1][0] * gy + a[2][0] * gz;
    y_gsm = a[0][1] * gx + a[1][1] * gy + a[2][1] * gz;
    z_gsm = a[0][2] * gx + a[1][2] * gy + a[2][2] * gz;
}

template <class Real>
void gsm_to_geo(const EpochState& epoch, const Real& x_gsm, const Real& y_gsm, const Real& z_gsm, Real& x_geo,
                Real& y_geo, Real& z_geo) {
    const auto& a = epoch.geo_gsm_matrix;
    const Real mx = x_gsm, my = y_gsm, mz = z_gsm;
    x_geo = a[0][0] * mx + a[0][1] * my + a[0][2] * mz;
    y_geo = a[1][0] * mx + a[1][1] * my + a[1][2] * mz;
    z_geo = a[2][0] * mx + a[2][1] * my + a[2][2] * mz;
}

template <class Real>
void gse_to_gsm(const EpochState& epoch, const Real& x_gse, const Real& y_gse, const Real& z_gse, Real& x_gsm,
                Real& y_gsm, Real& z_gsm) {
    const double c = epoch.cos_gse_gsm;
    const double s = epoch.sin_gse_gsm;
    const Real ex = x_gse, ey = y_gse, ez = z_gse;
    x_gsm = ex;
    y_gsm = ey * c + ez * s;
    z_gsm = ez * c - ey * s;
}

template <class Real>
void gsm_to_gse(const EpochState& epoch, const Real& x_gsm, const Real& y_gsm, const Real& z_gsm, Real& x_gse,
                Real& y_gse, Real& z_gse) {
    const double c = epoch.cos_gse_gsm;
    const double s = epoch.sin_gse_gsm;
    const Real mx = x_gsm, my = y_gsm, mz = z_gsm;
    x_gse = mx;
    y_gse = my * c - mz * s;
    z_gse = my * s + mz * c;
}

// Each rotation for one number type: input components, then output components.
#define CONES_ROTATION(Real, name) \
    template void name<Real>(const EpochState&, const Real&, const Real&, const Real&, Real&, Real&, Real&);
#define CONES_ROTATIONS(Real)      \
    CONES_ROTATION(Real, geo_to_gsm) \
    CONES_ROTATION(Real, gsm_to_geo) \
    CONES_ROTATION(Real, gse_to_gsm) \
    CONES_ROTATION(Real, gsm_to_gse)
CONES_FOR_EACH_NUMBER_TYPE(CONES_ROTATIONS)

}  // namespace cones
