// T96 ring current and tail currents: the hinged and warped equatorial current
// sheet, the ring current and tail disk (mode 2) fields from vector potentials
// of sheet currents, the long tail sheet (mode 3) with its two image sheets,
// and the shielding field of each.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Hinging of the sheet: distance 9 Re with spread 4 Re (spread squared 16).
constexpr double kHingeDistance = 9.0;
constexpr double kHingeSpreadSquared = 16.0;
// Half the sum of the hinge roots at r = 1: z shift of the long tail sheet per
// unit sine of the tilt.
constexpr double kHingeShiftFactor = 9.857300762134084;

// Ring current: two sheet-current terms of scale beta and amplitude F.
struct SheetTerm {
    double beta;
    double amplitude;
};
constexpr SheetTerm kRingCurrentTerms[] = {{2.722188, 569.895366}, {3.766875, -1603.386993}};
// Tail disk: four terms; the disk is centred at xs = 4.5 Re in the sheet frame.
constexpr SheetTerm kTailDiskTerms[] = {
    {7.925, -745796.7338}, {8.085, 1176470.141}, {8.47125, -444610.529}, {27.895, -57508.01028}};
constexpr double kTailDiskShift = 4.5;
// Half-thickness of the ring current sheet, squared.
constexpr double kRingHalfThicknessSquared = 4.0;
// Cylindrical radius below which the radial derivative is taken along +-y.
constexpr double kAxisRadius = 1e-5;

// Long tail sheet (single-precision constants).
constexpr double kLongTailThicknessSquared = 9.0;
constexpr double kHalfPi = double(1.5707963f);
constexpr double kImageDistance = 40.0;
constexpr double kSheetEdge = -10.0;
constexpr double kX1 = double(-1.261f);
constexpr double kX2 = double(-0.663f);
constexpr double kB0 = double(0.391734f);
constexpr double kB1 = double(5.89715f);
constexpr double kB2 = double(24.6833f);
constexpr double kXn21 = double(76.37f);
constexpr double kXnr = double(-0.1071f);
constexpr double kAdln = double(0.13238005f);

// A and its gradient for one sheet-current term: the vector potential
// A = f1 / (P Sigma^2) of a sheet of scale beta, with S1, S2 the distances
// sqrt((zeta + beta)^2 + (rho -+ beta)^2).
template <class Real>
struct Potential {
    Real a, da_dx, da_dy, da_dz;
};

template <class Real>
Potential<Real> sheet_potential(Real zeta, const Real (&dzeta)[3], Real rho, const Real (&drho)[3], double beta) {
    using std::sqrt;
    const Real zb = zeta + beta;
    const Real s1 = sqrt(zb * zb + (rho + beta) * (rho + beta));
    const Real s2 = sqrt(zb * zb + (rho - beta) * (rho - beta));
    const Real ds1_dzeta = zb / s1;
    const Real ds2_dzeta = zb / s2;
    const Real ds1_drho = (rho + beta) / s1;
    const Real ds2_drho = (rho - beta) / s2;
    Real ds1[3], ds2[3];
    for (int n = 0; n < 3; ++n) {
        ds1[n] = ds1_dzeta * dzeta[n] + ds1_drho * drho[n];
        ds2[n] = ds2_dzeta * dzeta[n] + ds2_drho * drho[n];
    }
    const Real p = s1 * s2;
    const Real sigma = s1 + s2;
    const Real f1 = sqrt(sigma * sigma - (2.0 * beta) * (2.0 * beta));
    const Real a = f1 / (p * (sigma * sigma));
    const Real t1 = 1.0 / (p * sigma * f1);
    const Real f2 = a / (sigma * sigma);
    const Real da_ds1 = t1 - f2 / s1 * (s2 * s2 + s1 * (3.0 * s1 + 4.0 * s2));
    const Real da_ds2 = t1 - f2 / s2 * (s1 * s1 + s2 * (3.0 * s2 + 4.0 * s1));
    return {a, da_ds1 * ds1[0] + da_ds2 * ds2[0], da_ds1 * ds1[1] + da_ds2 * ds2[1],
            da_ds1 * ds1[2] + da_ds2 * ds2[2]};
}

// Cylindrical radius about the sheet's axis and its gradient, for the sheet
// x coordinate xr (xs, or xs shifted for the tail disk).
template <class Real>
void axis_radius(const T96WarpedSheetGeometryOf<Real>& g, Real xr, Real y, Real& rho, Real (&drho)[3]) {
    using std::sqrt;
    rho = sqrt(xr * xr + y * y);
    const auto on_axis = rho < kAxisRadius;
    drho[0] = select(on_axis, Real(0.0), xr * g.dxs_dx / rho);
    drho[1] = select(on_axis, select(y < 0.0, Real(-1.0), Real(1.0)), (xr * g.dxs_dy + y) / rho);
    drho[2] = select(on_axis, Real(0.0), xr * g.dxs_dz / rho);
}

// Field of the sheet-current terms from the potential's gradient; xr is the
// sheet x coordinate of the bx and bz sums (shifted for the tail disk).
template <std::size_t Count, class Real>
T96VectorOf<Real> sheet_current_field(const T96WarpedSheetGeometryOf<Real>& g, const SheetTerm (&terms)[Count],
                                      Real zeta, const Real (&dzeta)[3], Real xr, Real x, Real y, Real z) {
    Real rho, drho[3];
    axis_radius(g, xr, y, rho, drho);
    const Real c = g.cos_sheet_tilt, s = g.sin_sheet_tilt, dpsi = g.tilt_derivative;
    const Real zsww = g.zs_unwarped;
    const Real xs = g.xs;
    T96VectorOf<Real> b;
    for (const SheetTerm& term : terms) {
        const Potential<Real> a = sheet_potential(zeta, dzeta, rho, drho, term.beta);
        const double f = term.amplitude;
        b.x = b.x + f * ((2.0 * a.a + y * a.da_dy) * s - xr * a.da_dz + a.a * dpsi * (y * y * c + z * zsww));
        b.y = b.y - f * y * (a.a * dpsi * xs + a.da_dz * c + a.da_dx * s);
        b.z = b.z + f * ((2.0 * a.a + y * a.da_dy) * c + xr * a.da_dx - a.a * dpsi * (x * zsww + y * y * s));
    }
    return b;
}

// Sums of one sheet (z offset zk) of the long tail field: s0, s1, s2 weight
// zk in bx, g1, g2 enter bz; ln1 forms the b0 term of bz.
template <class Real>
struct LongTailSheet {
    Real s0, s1, s2, g1, g2, ln1;
};

template <class Real>
LongTailSheet<Real> long_tail_sheet(Real zk, Real xc1, Real xc2, Real xnx, Real xr2) {
    using std::sqrt;
    const Real b2 = zk * zk + kLongTailThicknessSquared;
    const Real b = sqrt(b2);
    const Real xa1 = xc1 * xc1 + b2;
    const Real xa2 = 1.0 / (xc2 * xc2 + b2);
    const Real xna = xnx * xnx + b2;
    const Real f = b2 - xc2 * xc2;
    const Real ln1 = math::log(kXn21 / xna);
    const Real ln2 = ln1 + kAdln;
    const Real s0 = (math::atan(xnx / b) + kHalfPi) / b;
    const Real s1 = (ln1 / 2.0 + xc1 * s0) / xa1;
    const Real s2 = (xc2 * xa2 * ln2 - kXnr - f * xa2 * s0) * xa2;
    const Real g1 = (b2 * s0 - 0.5 * xc1 * ln1) / xa1;
    const Real g2 = ((0.5 * f * ln2 + 2.0 * s0 * b2 * xc2) * xa2 + xr2) * xa2;
    return {s0, s1, s2, g1, g2, ln1};
}

}  // namespace

template <class Real>
T96HingeOf<Real> t96_hinge_at(Real r) {
    using std::sqrt;
    const Real rp = r + kHingeDistance, rm = r - kHingeDistance;
    return {r * r, r, sqrt(rp * rp + kHingeSpreadSquared), sqrt(rm * rm + kHingeSpreadSquared)};
}

template <class Real>
T96HingeOf<Real> t96_hinge(Real x, Real y, Real z) {
    using std::sqrt;
    const Real r2 = x * x + y * y + z * z;
    T96HingeOf<Real> hinge = t96_hinge_at(sqrt(r2));
    hinge.r2 = r2;
    return hinge;
}

#if CONES_ONE_POINT_BUILD
void t96_prepare_sheet(T96Prepared& model, double epoch_sin_tilt) {
    const double s = epoch_sin_tilt;
    model.sheet.sin_tilt = s;
    model.sheet.hinge_shift = kHingeShiftFactor * s;
    model.sheet.tilt_over_hinge = s / kT96HingeNormalisation;
    model.sheet.warp_factor = 10.0 * s;
    const double c = std::sqrt(1.0 - s * s);
    const auto form = T96RateForm::kDividedSquares;
    model.ring_current_shielding = t96_shielding_weights(kT96RingCurrentShielding, s, c, form);
    model.tail_disk_shielding = t96_shielding_weights(kT96TailDiskShielding, s, c, form);
    model.long_tail_shielding = t96_shielding_weights(kT96LongTailShielding, s, c, form);
}
#endif

// Given: model (the epoch's sine s of the tilt and its multiples); x, y, z
//   scaled GSM, Earth radii.
// Returned: the geometry record.
// Notes: y^4 is (y^2)^2. Singular at r = 0.
template <class Real>
T96WarpedSheetGeometryOf<Real> t96_warped_sheet_geometry(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_warped_sheet_geometry(model, t96_hinge(x, y, z), x, y, z);
}

template <class Real>
T96WarpedSheetGeometryOf<Real> t96_warped_sheet_geometry(const T96Prepared& model, const T96HingeOf<Real>& hinge,
                                                         Real x, Real y, Real z) {
    using std::sqrt;
    const T96SheetTilt& tilt = model.sheet;
    const double s = tilt.sin_tilt;
    T96WarpedSheetGeometryOf<Real> g;
    g.hinge_shift = tilt.hinge_shift;

    const Real r = hinge.r;
    const Real rp = r + kHingeDistance, rm = r - kHingeDistance;
    const Real q1 = hinge.root_plus;
    const Real q2 = hinge.root_minus;
    const Real c = q1 - q2;
    const Real cs = rp / q1 - rm / q2;
    g.sin_sheet_tilt = tilt.tilt_over_hinge / r * c;
    g.cos_sheet_tilt = sqrt(1.0 - g.sin_sheet_tilt * g.sin_sheet_tilt);
    const Real rc = r * kT96HingeNormalisation;
    g.tilt_derivative = s / (r * r) * (cs * r - c) / sqrt(rc * rc - (c * s) * (c * s));

    const Real y2 = y * y;
    const Real wf = y / (y2 * y2 + 10000.0);
    const Real w = wf * (y2 * y);
    const Real ws = 40000.0 * y * (wf * wf);
    g.warp = tilt.warp_factor * w;

    const Real cps = g.cos_sheet_tilt, sps = g.sin_sheet_tilt, dpsi = g.tilt_derivative;
    g.xs = x * cps - z * sps;
    g.zs_unwarped = z * cps + x * sps;
    g.zs = g.zs_unwarped + g.warp;
    const Real zsww = g.zs_unwarped;
    g.dxs_dx = cps - x * zsww * dpsi;
    g.dxs_dy = -y * zsww * dpsi;
    g.dxs_dz = -sps - z * zsww * dpsi;
    g.dzs_dx = sps + x * g.xs * dpsi;
    g.dzs_dy = g.xs * y * dpsi + tilt.warp_factor * ws;
    g.dzs_dz = cps + g.xs * z * dpsi;

    g.thickness = 2.0 + 10.0 * ((y / 20.0) * (y / 20.0));
    const Real dd_dy = 10.0 * y * 0.005;
    g.zeta = sqrt(g.zs * g.zs + g.thickness * g.thickness);
    g.dzeta_dx = g.zs * g.dzs_dx / g.zeta;
    g.dzeta_dy = (g.zs * g.dzs_dy + g.thickness * dd_dy) / g.zeta;
    g.dzeta_dz = g.zs * g.dzs_dz / g.zeta;
    return g;
}

// Given: sheet geometry; x, y, z scaled GSM, Earth radii.
// Returned: the ring current's field, nT.
// Notes: the ring current sheet has the constant half-thickness 2 Re and no
//   warp.
template <class Real>
T96VectorOf<Real> t96_ring_current_source(const T96WarpedSheetGeometryOf<Real>& g, Real x, Real y, Real z) {
    using std::sqrt;
    const Real zsww = g.zs_unwarped;
    const Real zeta = sqrt(zsww * zsww + kRingHalfThicknessSquared);
    const Real dzeta[3] = {zsww * g.dzs_dx / zeta, zsww * g.xs * y * g.tilt_derivative / zeta,
                           zsww * g.dzs_dz / zeta};
    return sheet_current_field(g, kRingCurrentTerms, zeta, dzeta, g.xs, x, y, z);
}

// Given: sheet geometry; x, y, z scaled GSM, Earth radii.
// Returned: the tail disk's field, nT.
// Notes: the disk is centred 4.5 Re sunward of the sheet's origin; its sheet
//   is the warped one, thickening toward the flanks.
template <class Real>
T96VectorOf<Real> t96_tail_disk_source(const T96WarpedSheetGeometryOf<Real>& g, Real x, Real y, Real z) {
    const Real dzeta[3] = {g.dzeta_dx, g.dzeta_dy, g.dzeta_dz};
    return sheet_current_field(g, kTailDiskTerms, g.zeta, dzeta, g.xs - kTailDiskShift, x, y, z);
}

// Given: sheet geometry (hinge shift and warp); x, z scaled GSM, Earth radii.
// Returned: the long tail sheet's field (by = 0), nT.
// Notes: the sheet starts at x = -10 Re; its two image sheets at z = +-40 Re
//   close the field.
template <class Real>
T96VectorOf<Real> t96_long_tail_source(const T96WarpedSheetGeometryOf<Real>& g, Real x, Real z) {
    const Real zs3 = z - g.hinge_shift + g.warp;
    const Real zp = z - kImageDistance;
    const Real zm = z + kImageDistance;
    const Real xnx = kSheetEdge - x;
    const Real xc1 = x - kX1;
    const Real xc2 = x - kX2;
    const Real xr2 = xc2 * kXnr;
    const LongTailSheet<Real> c = long_tail_sheet(zs3, xc1, xc2, xnx, xr2);
    const LongTailSheet<Real> p = long_tail_sheet(zp, xc1, xc2, xnx, xr2);
    const LongTailSheet<Real> m = long_tail_sheet(zm, xc1, xc2, xnx, xr2);
    const Real aln = 0.25 * (p.ln1 + m.ln1 - 2.0 * c.ln1);
    T96VectorOf<Real> b;
    b.x = kB0 * (zs3 * c.s0 - 0.5 * (zp * p.s0 + zm * m.s0)) + kB1 * (zs3 * c.s1 - 0.5 * (zp * p.s1 + zm * m.s1)) +
          kB2 * (zs3 * c.s2 - 0.5 * (zp * p.s2 + zm * m.s2));
    b.z = kB0 * aln + kB1 * (c.g1 - 0.5 * (p.g1 + m.g1)) + kB2 * (c.g2 - 0.5 * (p.g2 + m.g2));
    return b;
}

template <class Real>
T96VectorOf<Real> t96_ring_current_shielding(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_cartesian_shielding(kT96RingCurrentShielding, model.ring_current_shielding, x, y, z);
}

template <class Real>
T96VectorOf<Real> t96_tail_disk_shielding(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_cartesian_shielding(kT96TailDiskShielding, model.tail_disk_shielding, x, y, z);
}

template <class Real>
T96VectorOf<Real> t96_long_tail_shielding(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_cartesian_shielding(kT96LongTailShielding, model.long_tail_shielding, x, y, z);
}

// Given: model; x, y, z scaled GSM, Earth radii.
// Returned: the three fields, each its source plus its shielding, nT.
template <class Real>
T96SheetFieldsOf<Real> t96_ring_current_tail_field(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_ring_current_tail_field(model, t96_hinge(x, y, z), x, y, z);
}

template <class Real>
T96SheetFieldsOf<Real> t96_ring_current_tail_field(const T96Prepared& model, const T96HingeOf<Real>& hinge, Real x,
                                                   Real y, Real z) {
    const T96WarpedSheetGeometryOf<Real> g = t96_warped_sheet_geometry(model, hinge, x, y, z);
    T96SheetFieldsOf<Real> f;
    const T96VectorOf<Real> ring_shield = t96_ring_current_shielding(model, x, y, z);
    const T96VectorOf<Real> ring = t96_ring_current_source(g, x, y, z);
    f.ring_current = {ring_shield.x + ring.x, ring_shield.y + ring.y, ring_shield.z + ring.z};
    const T96VectorOf<Real> disk_shield = t96_tail_disk_shielding(model, x, y, z);
    const T96VectorOf<Real> disk = t96_tail_disk_source(g, x, y, z);
    f.tail2 = {disk_shield.x + disk.x, disk_shield.y + disk.y, disk_shield.z + disk.z};
    const T96VectorOf<Real> tail_shield = t96_long_tail_shielding(model, x, y, z);
    const T96VectorOf<Real> tail = t96_long_tail_source(g, x, z);
    f.tail3 = {tail_shield.x + tail.x, tail_shield.y, tail_shield.z + tail.z};
    return f;
}

#define CONES_T96_RING_CURRENT_TAIL(Real)                                                                     \
    template T96HingeOf<Real> t96_hinge_at(Real);                                                            \
    template T96HingeOf<Real> t96_hinge(Real, Real, Real);                                                   \
    template T96WarpedSheetGeometryOf<Real> t96_warped_sheet_geometry(const T96Prepared&, Real, Real, Real);  \
    template T96WarpedSheetGeometryOf<Real> t96_warped_sheet_geometry(const T96Prepared&,                     \
                                                                      const T96HingeOf<Real>&, Real, Real, Real); \
    template T96VectorOf<Real> t96_ring_current_source(const T96WarpedSheetGeometryOf<Real>&, Real, Real, Real); \
    template T96VectorOf<Real> t96_tail_disk_source(const T96WarpedSheetGeometryOf<Real>&, Real, Real, Real);  \
    template T96VectorOf<Real> t96_long_tail_source(const T96WarpedSheetGeometryOf<Real>&, Real, Real);        \
    template T96VectorOf<Real> t96_ring_current_shielding(const T96Prepared&, Real, Real, Real);              \
    template T96VectorOf<Real> t96_tail_disk_shielding(const T96Prepared&, Real, Real, Real);                 \
    template T96VectorOf<Real> t96_long_tail_shielding(const T96Prepared&, Real, Real, Real);                 \
    template T96SheetFieldsOf<Real> t96_ring_current_tail_field(const T96Prepared&, Real, Real, Real);        \
    template T96SheetFieldsOf<Real> t96_ring_current_tail_field(const T96Prepared&, const T96HingeOf<Real>&,  \
                                                                Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T96_RING_CURRENT_TAIL)

}  // namespace cones
