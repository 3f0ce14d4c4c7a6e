// T96 region-1 Birkeland (field-aligned) currents: a high-latitude
// representation poleward of the region-1 oval (dipoles and current loops), a
// plasma-sheet representation equatorward of it (conical harmonics and
// dipoles), linear blending across the oval, and the magnetopause shielding.
#include <cmath>

#include "models/t96/t96_internal.hpp"
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
T96Angle hinged_tilt(double s, const T96Hinge& hinge) {
    const double c = hinge.root_plus - hinge.root_minus;
    const double sa = s / hinge.r * c / kT96HingeNormalisation;
    return {std::sqrt(1.0 - sa * sa), sa};
}

T96Vector plus(const T96Vector& a, const T96Vector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
T96Vector minus(const T96Vector& a, const T96Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Sum of the 26 high-latitude basis fields at (x, y, z).
T96Vector high_latitude_sum(const T96Region1Terms& terms, double x, double y, double z) {
    const double s = terms.sin_tilt;
    T96Vector z_dipoles[12], x_dipoles[12];
    for (int i = 0; i < 12; ++i) {
        const T96GridDipole& d = terms.dipoles[i];
        const T96DipoleTriplet t1 = t96_dipole_triplet_field(x - d.x, y - d.y, z - d.z);
        T96Vector z_sum = t1.z_dipole, x_sum = t1.x_dipole;
        if (d.mirrored) {
            const T96DipoleTriplet t2 = t96_dipole_triplet_field(x - d.x, y + d.y, z - d.z);
            z_sum = plus(z_sum, t2.z_dipole);
            x_sum = plus(x_sum, t2.x_dipole);
        }
        z_dipoles[i] = z_sum;
        x_dipoles[i] = {x_sum.x * s, x_sum.y * s, x_sum.z * s};
    }

    const T96Angle& h25 = terms.crossed_loops_hinge;
    const T96Vector u = t96_crossed_loops_field(x * h25.cos - z * h25.sin, y, x * h25.sin + z * h25.cos,
                                                kCrossedLoopsCentre, kCrossedLoopsRadius,
                                                terms.crossed_loops_inclination);
    const T96Vector crossed{u.x * h25.cos + u.z * h25.sin, u.y, -u.x * h25.sin + u.z * h25.cos};

    const T96Angle& h26 = terms.loop_hinge;
    const T96Vector v = t96_circular_loop_field(x * h26.cos - z * h26.sin - kSingleLoopCentre, y,
                                                x * h26.sin + z * h26.cos, kSingleLoopRadius);
    const T96Vector loop{v.x * h26.cos + v.z * h26.sin, v.y, -v.x * h26.sin + v.z * h26.cos};

    const T96HighLatitudeCoefficients& c = kT96HighLatitude;
    T96Vector b;
    for (int i = 0; i < 12; ++i) t96_accumulate(b, c.z_dipoles[i], z_dipoles[i]);
    for (int i = 0; i < 12; ++i) t96_accumulate(b, c.x_dipoles[i], x_dipoles[i]);
    t96_accumulate(b, c.crossed_loops, crossed);
    t96_accumulate(b, c.loop, loop);
    return b;
}

// Sum of the 79 plasma-sheet basis fields at (x, y, z), each computed in the
// tilted frame and rotated back.
T96Vector plasma_sheet_sum(const T96Region1Terms& terms, double x, double y, double z) {
    const double s = terms.sin_tilt, c = terms.cos_tilt;
    const auto rot = [c, s](const T96Vector& v) {
        return T96Vector{v.x * c + v.z * s, v.y, v.z * c - v.x * s};
    };
    const auto tilted_rot = [c, s](const T96Vector& v) {
        return T96Vector{s * (v.x * c + v.z * s), s * v.y, s * (v.z * c - v.x * s)};
    };

    const double xm = x * c - z * s;
    const double zm = z * c + x * s;
    T96Vector conical[5];
    t96_conical_harmonics(t96_polar(xm - kConicalOffset, y, zm), 5, conical);

    T96Vector off_axis[9][3], off_axis_tilt[9][3];
    for (int i = 0; i < 9; ++i) {
        const DipoleGroup& g = kOffAxisGroups[i];
        const T96DipoleTriplet q1 = t96_dipole_triplet_field(xm - g.x, y - g.y, zm - g.z);
        const T96DipoleTriplet q2 = t96_dipole_triplet_field(xm - g.x, y + g.y, zm - g.z);
        const T96DipoleTriplet q3 = t96_dipole_triplet_field(xm - g.x, y - g.y, zm + g.z);
        const T96DipoleTriplet q4 = t96_dipole_triplet_field(xm - g.x, y + g.y, zm + g.z);
        off_axis[i][0] = rot(minus(minus(plus(q1.x_dipole, q2.x_dipole), q3.x_dipole), q4.x_dipole));
        off_axis[i][1] = rot(plus(minus(minus(q1.y_dipole, q2.y_dipole), q3.y_dipole), q4.y_dipole));
        off_axis[i][2] = rot(plus(plus(plus(q1.z_dipole, q2.z_dipole), q3.z_dipole), q4.z_dipole));
        off_axis_tilt[i][0] =
            tilted_rot(plus(plus(plus(q1.x_dipole, q2.x_dipole), q3.x_dipole), q4.x_dipole));
        off_axis_tilt[i][1] =
            tilted_rot(minus(plus(minus(q1.y_dipole, q2.y_dipole), q3.y_dipole), q4.y_dipole));
        off_axis_tilt[i][2] =
            tilted_rot(minus(minus(plus(q1.z_dipole, q2.z_dipole), q3.z_dipole), q4.z_dipole));
    }

    T96Vector on_axis[5][2], on_axis_tilt[5][2];
    for (int i = 0; i < 5; ++i) {
        const double zd = kOnAxisPairs[i];
        const T96DipoleTriplet q1 = t96_dipole_triplet_field(xm, y, zm - zd);
        const T96DipoleTriplet q2 = t96_dipole_triplet_field(xm, y, zm + zd);
        on_axis[i][0] = rot(minus(q1.x_dipole, q2.x_dipole));
        on_axis[i][1] = rot(plus(q1.z_dipole, q2.z_dipole));
        on_axis_tilt[i][0] = tilted_rot(plus(q1.x_dipole, q2.x_dipole));
        on_axis_tilt[i][1] = tilted_rot(minus(q1.z_dipole, q2.z_dipole));
    }

    const T96PlasmaSheetCoefficients& w = kT96PlasmaSheet;
    T96Vector b;
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
// distance r and azimuth phi (given as its cosine and sine), back in GSM.
T96Vector boundary_point(double t, double r, double r3, double root_r, double cos_phi,
                         double sin_phi, bool south, const T96Angle& hinge) {
    const double st = root_r / math::pow(r3 + 1.0 / t96_power(math::sin(t), 6) - 1.0, kSixthRootSingle);
    const double ct = south ? -std::sqrt(1.0 - st * st) : std::sqrt(1.0 - st * st);
    const double xa = r * st * cos_phi;
    const double ya = r * st * sin_phi;
    const double za = r * ct;
    return {xa * hinge.cos + za * hinge.sin, ya, -xa * hinge.sin + za * hinge.cos};
}

double distance(double x, double y, double z, const T96Vector& p) {
    const double dx = x - p.x, dy = y - p.y, dz = z - p.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

void t96_prepare_region1(T96Prepared& model) {
    T96Region1Terms& terms = model.region1;
    const double s = model.sin_tilt;
    terms.sin_tilt = s;
    terms.cos_tilt = model.cos_tilt;
    for (int i = 0; i < 12; ++i) {
        const double xi = kHighLatitudeGrid[i].x * kGridScaleX;
        const double yi = kHighLatitudeGrid[i].y * kGridScaleY;
        const T96Angle hinge = hinged_tilt(s, t96_hinge_at(std::sqrt(xi * xi + yi * yi)));
        T96GridDipole& d = terms.dipoles[i];
        d.x = xi * hinge.cos;
        d.y = yi;
        d.z = -xi * hinge.sin;
        d.mirrored = std::fabs(d.y) > kMirrorThreshold;
    }
    terms.crossed_loops_hinge = hinged_tilt(s, t96_hinge_at(std::fabs(kCrossedLoopsCentre + kCrossedLoopsRadius)));
    terms.loop_hinge = hinged_tilt(s, t96_hinge_at(std::fabs(kSingleLoopRadius - kSingleLoopCentre)));
    math::sincos(kLoopInclination, terms.crossed_loops_inclination.sin, terms.crossed_loops_inclination.cos);
    model.region1_shielding = t96_shielding_weights(kT96Region1Shielding, s, model.cos_tilt,
                                                    T96RateForm::kSquaredReciprocals);
}

// Given: model; x, y, z scaled GSM, Earth radii.
// Returned: the region-1 source field, nT for unit amplitude.
// Notes: the point is mapped along a dipole-like field line to its
//   colatitude theta0 at the Earth, in the frame hinged by the tilt; the oval
//   lies at theta0 = 12 degrees at noon rising to 20 at midnight (and its
//   mirror in the south). Where a layer's boundary points coincide the
//   blending weight divides by zero.
T96Vector t96_region1_source(const T96Prepared& model, double x, double y, double z) {
    return t96_region1_source(model, t96_hinge(x, y, z), x, y, z);
}

T96Vector t96_region1_source(const T96Prepared& model, const T96Hinge& distances, double x, double y,
                             double z) {
    const T96Region1Terms& terms = model.region1;
    const double r = distances.r;
    const double r3 = r * distances.r2;
    const T96Angle hinge = hinged_tilt(terms.sin_tilt, distances);
    const double xa = x * hinge.cos - z * hinge.sin;
    const double za = x * hinge.sin + z * hinge.cos;
    const double phi = (xa == 0.0 && y == 0.0) ? 0.0 : math::atan2(y, xa);
    const double theta = math::atan2(std::sqrt(xa * xa + y * y), za);
    const double st = math::sin(theta);
    const double f = st / math::pow(t96_power(st, 6) * (1.0 - r3) + r3, kSixthRoot);
    double theta0 = math::asin(f);
    if (theta > kHalfPi) theta0 = kT96Pi - theta0;
    const double half_phi_sine = math::sin(phi / 2.0);
    const double dtheta = kOvalMidnightIncrease * (half_phi_sine * half_phi_sine);
    const double north = kOvalNoon + dtheta;
    const double south = kOvalNoonSouth - dtheta;
    const double delta = kLayerHalfWidth;

    if (theta0 < north - delta || theta0 > south + delta) return high_latitude_sum(terms, x, y, z);
    if (north + delta < theta0 && theta0 < south - delta) return plasma_sheet_sum(terms, x, y, z);

    const bool in_south = !(north - delta <= theta0 && theta0 <= north + delta);
    const double centre = in_south ? south : north;
    const double root_r = std::sqrt(r);
    double sin_phi, cos_phi;
    math::sincos(phi, sin_phi, cos_phi);
    const T96Vector p1 =
        boundary_point(centre - delta, r, r3, root_r, cos_phi, sin_phi, in_south, hinge);
    const T96Vector p2 =
        boundary_point(centre + delta, r, r3, root_r, cos_phi, sin_phi, in_south, hinge);
    T96Vector b1, b2;
    if (in_south) {
        b1 = plasma_sheet_sum(terms, p1.x, p1.y, p1.z);
        b2 = high_latitude_sum(terms, p2.x, p2.y, p2.z);
    } else {
        b1 = high_latitude_sum(terms, p1.x, p1.y, p1.z);
        b2 = plasma_sheet_sum(terms, p2.x, p2.y, p2.z);
    }
    const double frac = distance(x, y, z, p1) / distance(p2.x, p2.y, p2.z, p1);
    return {b1.x * (1.0 - frac) + b2.x * frac, b1.y * (1.0 - frac) + b2.y * frac,
            b1.z * (1.0 - frac) + b2.z * frac};
}

T96Vector t96_region1_shielding(const T96Prepared& model, double x, double y, double z) {
    return t96_cartesian_shielding(kT96Region1Shielding, model.region1_shielding, x, y, z);
}

// Given: model; x, y, z scaled GSM, Earth radii.
// Returned: source plus shielding, nT for unit amplitude.
T96Vector t96_region1_field(const T96Prepared& model, double x, double y, double z) {
    return t96_region1_field(model, t96_hinge(x, y, z), x, y, z);
}

T96Vector t96_region1_field(const T96Prepared& model, const T96Hinge& hinge, double x, double y,
                            double z) {
    return plus(t96_region1_source(model, hinge, x, y, z), t96_region1_shielding(model, x, y, z));
}

}  // namespace cones
