// T96 region-1 Birkeland (field-aligned) currents: a high-latitude
// representation poleward of the region-1 oval (dipoles and current loops), a
// plasma-sheet representation equatorward of it (conical harmonics and
// dipoles), linear blending across the oval, and the magnetopause shielding.
#include <cmath>

#include "models/t96/t96_internal.hpp"
#include "numerics/lane_variant.hpp"
#include "numerics/math.hpp"

namespace cones {
namespace {

// Region-1 oval: colatitude at noon (12 degrees), its southern mirror, the
// increase from noon to midnight (8 degrees), all double, and the half-width
// of the blending layers (single precision).
constexpr double kOvalNoon = 0.20943948;
constexpr double kOvalNoonSouth = 2.932153174;
constexpr double kOvalMidnightIncrease = 0.13962632;
constexpr double kLayerHalfWidth = double(0.034906f);
constexpr double kHalfPi = 1.5707963;
// Exponent 1/6 of the field-line mapping: double for the position, single
// precision for the layer boundary points.
constexpr double kSixthRoot = 0.1666666667;
constexpr double kSixthRootSingle = double(0.1666666667f);

// High-latitude geometry (single precision): loop inclination, centres and
// radii of the crossed loops (1) and of the single loop (2), dipole grid scales.
constexpr double kLoopInclination = double(1.00891f);
constexpr double kCrossedLoopsCentre = double(2.28397f);
constexpr double kSingleLoopCentre = double(-5.60831f);
constexpr double kCrossedLoopsRadius = double(1.86106f);
constexpr double kSingleLoopRadius = double(7.83281f);
constexpr double kGridScaleX = double(1.12541f);
constexpr double kGridScaleY = double(0.945719f);
constexpr double kMirrorThreshold = 1e-10;

// High-latitude dipole grid, before scaling.
struct GridPoint {
    double x, y;
};
constexpr GridPoint kHighLatitudeGrid[12] = {{-11, 2}, {-7, 0}, {-7, 4}, {-3, 2}, {-3, 6}, {1, 0},
                                             {1, 4},   {1, 8},  {5, 2},  {5, 6},  {9, 0},  {9, 4}};

// Plasma-sheet geometry (double precision): x offset of the conical
// harmonics, and the off-axis dipole groups (x, y scaled by 0.08 for the inner
// groups 3, 5, 6, by 0.4 for the others) and on-axis pairs (z only).
constexpr double kConicalOffset = -0.16;
struct DipoleGroup {
    double x, y, z;
};
constexpr DipoleGroup kOffAxisGroups[9] = {
    {-10 * 0.4, 3 * 0.4, 20},  {-7 * 0.4, 6 * 0.4, 20}, {-4 * 0.08, 3 * 0.08, 4},
    {-4 * 0.4, 9 * 0.4, 20},   {0 * 0.08, 6 * 0.08, 4}, {4 * 0.08, 3 * 0.08, 4},
    {4 * 0.4, 9 * 0.4, 20},    {7 * 0.4, 6 * 0.4, 20},  {10 * 0.4, 3 * 0.4, 20}};
constexpr double kOnAxisPairs[5] = {2, 3, 4.5, 7, 10};

// sin and cos of the hinged tilt at the distance of `hinge` for the tilt's sine s.
template <class Real>
struct HingedTilt {
    Real cos, sin;
};

template <class Real>
HingedTilt<Real> hinged_tilt(double s, const T96HingeOf<Real>& hinge) {
    using std::sqrt;
    const Real c = hinge.root_plus - hinge.root_minus;
    const Real sa = s / hinge.r * c / kT96HingeNormalisation;
    return {sqrt(1.0 - sa * sa), sa};
}

template <class Real>
T96VectorOf<Real> plus(const T96VectorOf<Real>& a, const T96VectorOf<Real>& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <class Real>
T96VectorOf<Real> minus(const T96VectorOf<Real>& a, const T96VectorOf<Real>& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// Sum of the 26 high-latitude basis fields at (x, y, z).
template <class Real>
T96VectorOf<Real> high_latitude_sum(const T96Region1Terms& terms, Real x, Real y, Real z) {
    const double s = terms.sin_tilt;
    T96VectorOf<Real> z_dipoles[12], x_dipoles[12];
    for (int i = 0; i < 12; ++i) {
        const T96GridDipole& d = terms.dipoles[i];
        const T96DipoleTripletOf<Real> t1 = t96_dipole_triplet_field(x - d.x, y - d.y, z - d.z);
        T96VectorOf<Real> z_sum = t1.z_dipole, x_sum = t1.x_dipole;
        if (d.mirrored) {
            const T96DipoleTripletOf<Real> t2 = t96_dipole_triplet_field(x - d.x, y + d.y, z - d.z);
            z_sum = plus(z_sum, t2.z_dipole);
            x_sum = plus(x_sum, t2.x_dipole);
        }
        z_dipoles[i] = z_sum;
        x_dipoles[i] = {x_sum.x * s, x_sum.y * s, x_sum.z * s};
    }

    const T96Angle& h25 = terms.crossed_loops_hinge;
    const T96VectorOf<Real> u = t96_crossed_loops_field(x * h25.cos - z * h25.sin, y, x * h25.sin + z * h25.cos,
                                                        kCrossedLoopsCentre, kCrossedLoopsRadius,
                                                        terms.crossed_loops_inclination);
    const T96VectorOf<Real> crossed{u.x * h25.cos + u.z * h25.sin, u.y, -u.x * h25.sin + u.z * h25.cos};

    const T96Angle& h26 = terms.loop_hinge;
    const T96VectorOf<Real> v = t96_circular_loop_field(x * h26.cos - z * h26.sin - kSingleLoopCentre, y,
                                                        x * h26.sin + z * h26.cos, kSingleLoopRadius);
    const T96VectorOf<Real> loop{v.x * h26.cos + v.z * h26.sin, v.y, -v.x * h26.sin + v.z * h26.cos};

    const T96HighLatitudeCoefficients& c = kT96HighLatitude;
    T96VectorOf<Real> b;
    for (int i = 0; i < 12; ++i) t96_accumulate(b, c.z_dipoles[i], z_dipoles[i]);
    for (int i = 0; i < 12; ++i) t96_accumulate(b, c.x_dipoles[i], x_dipoles[i]);
    t96_accumulate(b, c.crossed_loops, crossed);
    t96_accumulate(b, c.loop, loop);
    return b;
}

// Sum of the 79 plasma-sheet basis fields at (x, y, z), each computed in the
// tilted frame and rotated back.
template <class Real>
T96VectorOf<Real> plasma_sheet_sum(const T96Region1Terms& terms, Real x, Real y, Real z) {
    const double s = terms.sin_tilt, c = terms.cos_tilt;
    const auto rot = [c, s](const T96VectorOf<Real>& v) {
        return T96VectorOf<Real>{v.x * c + v.z * s, v.y, v.z * c - v.x * s};
    };
    const auto tilted_rot = [c, s](const T96VectorOf<Real>& v) {
        return T96VectorOf<Real>{s * (v.x * c + v.z * s), s * v.y, s * (v.z * c - v.x * s)};
    };

    const Real xm = x * c - z * s;
    const Real zm = z * c + x * s;
    T96VectorOf<Real> conical[5];
    t96_conical_harmonics(t96_polar(xm - kConicalOffset, y, zm), 5, conical);

    T96VectorOf<Real> off_axis[9][3], off_axis_tilt[9][3];
    for (int i = 0; i < 9; ++i) {
        const DipoleGroup& g = kOffAxisGroups[i];
        const T96DipoleTripletOf<Real> q1 = t96_dipole_triplet_field(xm - g.x, y - g.y, zm - g.z);
        const T96DipoleTripletOf<Real> q2 = t96_dipole_triplet_field(xm - g.x, y + g.y, zm - g.z);
        const T96DipoleTripletOf<Real> q3 = t96_dipole_triplet_field(xm - g.x, y - g.y, zm + g.z);
        const T96DipoleTripletOf<Real> q4 = t96_dipole_triplet_field(xm - g.x, y + g.y, zm + g.z);
        off_axis[i][0] = rot(minus(minus(plus(q1.x_dipole, q2.x_dipole), q3.x_dipole), q4.x_dipole));
        off_axis[i][1] = rot(plus(minus(minus(q1.y_dipole, q2.y_dipole), q3.y_dipole), q4.y_dipole));
        off_axis[i][2] = rot(plus(plus(plus(q1.z_dipole, q2.z_dipole), q3.z_dipole), q4.z_dipole));
        off_axis_tilt[i][0] = tilted_rot(plus(plus(plus(q1.x_dipole, q2.x_dipole), q3.x_dipole), q4.x_dipole));
        off_axis_tilt[i][1] = tilted_rot(minus(plus(minus(q1.y_dipole, q2.y_dipole), q3.y_dipole), q4.y_dipole));
        off_axis_tilt[i][2] = tilted_rot(minus(minus(plus(q1.z_dipole, q2.z_dipole), q3.z_dipole), q4.z_dipole));
    }

    T96VectorOf<Real> on_axis[5][2], on_axis_tilt[5][2];
    for (int i = 0; i < 5; ++i) {
        const double zd = kOnAxisPairs[i];
        const T96DipoleTripletOf<Real> q1 = t96_dipole_triplet_field(xm, y, zm - zd);
        const T96DipoleTripletOf<Real> q2 = t96_dipole_triplet_field(xm, y, zm + zd);
        on_axis[i][0] = rot(minus(q1.x_dipole, q2.x_dipole));
        on_axis[i][1] = rot(plus(q1.z_dipole, q2.z_dipole));
        on_axis_tilt[i][0] = tilted_rot(plus(q1.x_dipole, q2.x_dipole));
        on_axis_tilt[i][1] = tilted_rot(minus(q1.z_dipole, q2.z_dipole));
    }

    const T96PlasmaSheetCoefficients& w = kT96PlasmaSheet;
    T96VectorOf<Real> b;
    for (int m = 0; m < 5; ++m) t96_accumulate(b, w.conical[m], rot(conical[m]));
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 3; ++j) t96_accumulate(b, w.off_axis[i][j], off_axis[i][j]);
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 3; ++j) t96_accumulate(b, w.off_axis_tilt[i][j], off_axis_tilt[i][j]);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 2; ++j) t96_accumulate(b, w.on_axis[i][j], on_axis[i][j]);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 2; ++j) t96_accumulate(b, w.on_axis_tilt[i][j], on_axis_tilt[i][j]);
    return b;
}

// Point of the layer boundary colatitude t on the field line mapping of
// distance r and azimuth phi (given as its cosine and sine), back in GSM; in
// the southern layer where `south` holds.
template <class Real>
T96VectorOf<Real> boundary_point(Real t, Real r, Real r3, Real root_r, Real cos_phi, Real sin_phi,
                                 MaskOf<Real> south, const HingedTilt<Real>& hinge) {
    using std::sqrt;
    const Real st = root_r / math::pow(r3 + 1.0 / t96_power(math::sin(t), 6) - 1.0, kSixthRootSingle);
    const Real root = sqrt(1.0 - st * st);
    const Real ct = select(south, -root, root);
    const Real xa = r * st * cos_phi;
    const Real ya = r * st * sin_phi;
    const Real za = r * ct;
    return {xa * hinge.cos + za * hinge.sin, ya, -xa * hinge.sin + za * hinge.cos};
}

template <class Real>
Real distance(Real x, Real y, Real z, const T96VectorOf<Real>& p) {
    using std::sqrt;
    const Real dx = x - p.x, dy = y - p.y, dz = z - p.z;
    return sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

#if CONES_ONE_POINT_BUILD
void t96_prepare_region1(T96Prepared& model) {
    T96Region1Terms& terms = model.region1;
    const double s = model.sin_tilt;
    terms.sin_tilt = s;
    terms.cos_tilt = model.cos_tilt;
    const auto angle = [](const HingedTilt<double>& tilt) { return T96Angle{tilt.cos, tilt.sin}; };
    for (int i = 0; i < 12; ++i) {
        const double xi = kHighLatitudeGrid[i].x * kGridScaleX;
        const double yi = kHighLatitudeGrid[i].y * kGridScaleY;
        const HingedTilt<double> hinge = hinged_tilt(s, t96_hinge_at(std::sqrt(xi * xi + yi * yi)));
        T96GridDipole& d = terms.dipoles[i];
        d.x = xi * hinge.cos;
        d.y = yi;
        d.z = -xi * hinge.sin;
        d.mirrored = std::fabs(d.y) > kMirrorThreshold;
    }
    terms.crossed_loops_hinge =
        angle(hinged_tilt(s, t96_hinge_at(std::fabs(kCrossedLoopsCentre + kCrossedLoopsRadius))));
    terms.loop_hinge = angle(hinged_tilt(s, t96_hinge_at(std::fabs(kSingleLoopRadius - kSingleLoopCentre))));
    math::sincos(kLoopInclination, terms.crossed_loops_inclination.sin, terms.crossed_loops_inclination.cos);
    model.region1_shielding = t96_shielding_weights(kT96Region1Shielding, s, model.cos_tilt,
                                                    T96RateForm::kSquaredReciprocals);
}
#endif

// Given: model; x, y, z scaled GSM, Earth radii.
// Returned: the region-1 source field, nT for unit amplitude.
// Notes: the point is mapped along a dipole-like field line to its
//   colatitude theta0 at the Earth, in the frame hinged by the tilt; the oval
//   lies at theta0 = 12 degrees at noon rising to 20 at midnight (and its
//   mirror in the south). Poleward of the oval's layers the high-latitude
//   sum, equatorward the plasma-sheet sum; in a layer each sum at a point of
//   the layer's edge on the same field line, blended by the distance. Each
//   sum is evaluated once, at each lane's own point, when any lane needs it.
//   Where a layer's boundary points coincide the blending weight divides by
//   zero.
template <class Real>
T96VectorOf<Real> t96_region1_source(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_region1_source(model, t96_hinge(x, y, z), x, y, z);
}

template <class Real>
T96VectorOf<Real> t96_region1_source(const T96Prepared& model, const T96HingeOf<Real>& distances, Real x, Real y,
                                     Real z) {
    using std::sqrt;
    const T96Region1Terms& terms = model.region1;
    const Real r = distances.r;
    const Real r3 = r * distances.r2;
    const HingedTilt<Real> hinge = hinged_tilt(terms.sin_tilt, distances);
    const Real xa = x * hinge.cos - z * hinge.sin;
    const Real za = x * hinge.sin + z * hinge.cos;
    const Real phi = select((xa == 0.0) & (y == 0.0), Real(0.0), math::atan2(y, xa));
    const Real theta = math::atan2(sqrt(xa * xa + y * y), za);
    const Real st = math::sin(theta);
    const Real f = st / math::pow(t96_power(st, 6) * (1.0 - r3) + r3, kSixthRoot);
    const Real theta0_north = math::asin(f);
    const Real theta0 = select(theta > kHalfPi, kT96Pi - theta0_north, theta0_north);
    const Real half_phi_sine = math::sin(phi / 2.0);
    const Real dtheta = kOvalMidnightIncrease * (half_phi_sine * half_phi_sine);
    const Real north = kOvalNoon + dtheta;
    const Real south = kOvalNoonSouth - dtheta;
    const double delta = kLayerHalfWidth;

    // Each point's part: poleward of the layers, equatorward of them, or in
    // one (a point that is neither, a NaN say, counts as in the southern layer).
    const MaskOf<Real> high_latitude = (theta0 < north - delta) | (theta0 > south + delta);
    const MaskOf<Real> plasma_sheet = (!high_latitude) & (north + delta < theta0) & (theta0 < south - delta);
    const MaskOf<Real> in_layer = (!high_latitude) & (!plasma_sheet);
    const MaskOf<Real> in_south = !((north - delta <= theta0) & (theta0 <= north + delta));

    // In a layer, the points of its edges on the point's field line: p1 at
    // centre - delta, p2 at centre + delta.
    const T96VectorOf<Real> here{x, y, z};
    T96VectorOf<Real> p1 = here, p2 = here;
    if (any_lane(in_layer)) {
        const Real centre = select(in_south, south, north);
        const Real root_r = sqrt(r);
        Real sin_phi, cos_phi;
        math::sincos(phi, sin_phi, cos_phi);
        p1 = boundary_point(centre - delta, r, r3, root_r, cos_phi, sin_phi, in_south, hinge);
        p2 = boundary_point(centre + delta, r, r3, root_r, cos_phi, sin_phi, in_south, hinge);
    }
    // The high-latitude sum at the point or, in a layer, at its poleward
    // edge (p2 in the south, p1 in the north); the plasma-sheet sum at the
    // point or at the equatorward edge.
    T96VectorOf<Real> high, plasma;
    if (any_lane(!plasma_sheet)) {
        const T96VectorOf<Real> at = t96_select(in_layer, t96_select(in_south, p2, p1), here);
        high = high_latitude_sum(terms, at.x, at.y, at.z);
    }
    if (any_lane(!high_latitude)) {
        const T96VectorOf<Real> at = t96_select(in_layer, t96_select(in_south, p1, p2), here);
        plasma = plasma_sheet_sum(terms, at.x, at.y, at.z);
    }
    T96VectorOf<Real> blend;
    if (any_lane(in_layer)) {
        const T96VectorOf<Real> b1 = t96_select(in_south, plasma, high);
        const T96VectorOf<Real> b2 = t96_select(in_south, high, plasma);
        const Real frac = distance(x, y, z, p1) / distance(p2.x, p2.y, p2.z, p1);
        blend = {b1.x * (1.0 - frac) + b2.x * frac, b1.y * (1.0 - frac) + b2.y * frac,
                 b1.z * (1.0 - frac) + b2.z * frac};
    }
    return t96_select(high_latitude, high, t96_select(plasma_sheet, plasma, blend));
}

template <class Real>
T96VectorOf<Real> t96_region1_shielding(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_cartesian_shielding(kT96Region1Shielding, model.region1_shielding, x, y, z);
}

// Given: model; x, y, z scaled GSM, Earth radii.
// Returned: source plus shielding, nT for unit amplitude.
template <class Real>
T96VectorOf<Real> t96_region1_field(const T96Prepared& model, Real x, Real y, Real z) {
    return t96_region1_field(model, t96_hinge(x, y, z), x, y, z);
}

template <class Real>
T96VectorOf<Real> t96_region1_field(const T96Prepared& model, const T96HingeOf<Real>& hinge, Real x, Real y,
                                    Real z) {
    return plus(t96_region1_source(model, hinge, x, y, z), t96_region1_shielding(model, x, y, z));
}

#define CONES_T96_REGION1(Real)                                                                              \
    template T96VectorOf<Real> t96_region1_source(const T96Prepared&, Real, Real, Real);                    \
    template T96VectorOf<Real> t96_region1_source(const T96Prepared&, const T96HingeOf<Real>&, Real, Real,  \
                                                  Real);                                                    \
    template T96VectorOf<Real> t96_region1_shielding(const T96Prepared&, Real, Real, Real);                 \
    template T96VectorOf<Real> t96_region1_field(const T96Prepared&, Real, Real, Real);                     \
    template T96VectorOf<Real> t96_region1_field(const T96Prepared&, const T96HingeOf<Real>&, Real, Real, Real);
CONES_FOR_EACH_NUMBER_TYPE(CONES_T96_REGION1)

}  // namespace cones
