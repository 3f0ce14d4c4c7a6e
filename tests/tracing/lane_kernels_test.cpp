// The batch routines of every lane width this processor has against the
// scalar routines: the total field of every model and the equation of motion,
// bit for bit, at many points with lanes at different degrees of the internal
// field in one batch, near and on the poles, in the tail, and in partly
// filled batches, with coefficients to degree 10 and to degree 13; T96
// along paths that cross each edge of its branches, with both sides of every
// edge in one batch; and T01 and storm-time T01 in batches whose lanes lie on
// both sides of each place where their arithmetic changes form.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "models/t01/t01.hpp"
#include "models/t96/t96.hpp"
#include "models/t96/t96_coefficients.hpp"
#include "tracing/lane_kernels.hpp"
#include "tracing/trajectory.hpp"

namespace cones {
namespace {

struct Point {
    double x, y, z;
};

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

const EpochState& epoch() {
    static const EpochState state = [] {
        std::ostringstream notice;
        return set_epoch(2015, 76, 12, 0, 0, notice);
    }();
    return state;
}

ModelParameters parameters() {
    // Pressure, Dst, By, Bz, G1, G2, G3, Kp of a moderately disturbed day.
    return {3.0, -30.0, 2.0, -3.0, 5.0, 8.0, 15.0, 3.0, 0.0, 0.0};
}

// A GEO point turned into GSM, for points placed relative to the geographic axis.
Point from_geo(double x, double y, double z) {
    geo_to_gsm(epoch(), x, y, z, x, y, z);
    return {x, y, z};
}

// Points where a fault would show: random directions from the surface to 60
// Earth radii (log-uniform, so a batch holds every degree from 10 to 4), the
// distances where the degree changes, both poles and the neighbourhood of the
// two pole thresholds (1e-5 in double and in single precision), and the tail
// beyond x = -70.
std::vector<Point> test_points() {
    std::vector<Point> points;
    for (const double r : {1.0, 2.99, 3.0, 4.5, 7.9, 12.9, 27.9, 28.0, 30.99, 31.0, 200.0}) {
        points.push_back({r * 0.6, -r * 0.48, r * 0.64});
    }
    for (const double r : {1.0, 1.5, 6.6, 40.0}) {
        for (const double sign : {1.0, -1.0}) {
            points.push_back(from_geo(0.0, 0.0, sign * r));  // on the axis, or within rounding of it
            for (const double s : {1e-7, 9.99999e-6, 9.9999999e-6, 1.00001e-5, 3e-5}) {
                points.push_back(from_geo(s * r, 0.3 * s * r, sign * r * std::sqrt(1.0 - 1.09 * s * s)));
            }
        }
    }
    for (const double x : {-69.0, -70.0, -75.0, -120.0}) {
        points.push_back({x, 3.0, -2.0});
        points.push_back({x, -15.0, 8.0});
    }
    std::mt19937_64 random(20150317);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> log_radius(0.0, std::log(60.0));
    while (points.size() < 1500) {
        const double x = unit(random), y = unit(random), z = unit(random);
        const double norm = std::sqrt(x * x + y * y + z * z);
        if (norm < 0.1 || norm > 1.0) continue;
        const double r = std::exp(log_radius(random));
        points.push_back({x / norm * r, y / norm * r, z / norm * r});
    }
    return points;
}

// The epoch with every internal-field coefficient 0: its internal field is 0,
// so the total field of T89 is T89's own, whose last bits would otherwise be
// lost near the Earth in the sum with a field a thousand times stronger.
const EpochState& epoch_without_internal_field() {
    static const EpochState state = [] {
        EpochState bare = epoch();
        bare.g_coef.fill(0.0);
        bare.h_coef.fill(0.0);
        return bare;
    }();
    return state;
}

// An epoch of IGRF-14 whose coefficients go to degree 13, which the synthesis
// takes in full within 2 Earth radii: a batch then holds lanes at degree 13
// beside lanes at the lower degrees of greater distances.
const EpochState& epoch_of_degree_13() {
    static const EpochState state = [] {
        std::ostringstream notice;
        return set_epoch(kIgrf14, 2024, 200, 6, 0, 0, notice);
    }();
    return state;
}

// A batch of the `count` points from points[first] on.
FieldBatch batch_of(const std::vector<Point>& points, std::size_t first, std::size_t count) {
    FieldBatch batch;
    batch.count = static_cast<int>(count);
    for (std::size_t slot = 0; slot < count; ++slot) {
        batch.x[slot] = points[first + slot].x;
        batch.y[slot] = points[first + slot].y;
        batch.z[slot] = points[first + slot].z;
    }
    return batch;
}

const FieldModel kModels[] = {field_model<DipoleModel>, field_model<ReferenceFieldModel>, field_model<T89Model>,
                              field_model<T96Model>,    field_model<T01Model>,      field_model<T01StormModel>,
                              field_model<UnboundedReferenceFieldModel>};

std::vector<unsigned> batch_widths() {
    std::vector<unsigned> widths;
    for (const unsigned width : lane_widths())
        if (width > 1) widths.push_back(width);
    return widths;
}

class LaneKernels : public ::testing::TestWithParam<unsigned> {};

TEST_P(LaneKernels, EveryModelsFieldIsTheScalarFieldBitForBit) {
    const unsigned width = GetParam();
    const std::vector<Point> points = test_points();
    struct Case {
        FieldModel model;
        const EpochState* epoch;
    };
    std::vector<Case> cases;
    for (const FieldModel model : kModels) cases.push_back({model, &epoch()});
    cases.push_back({field_model<T89Model>, &epoch_without_internal_field()});
    cases.push_back({field_model<ReferenceFieldModel>, &epoch_of_degree_13()});
    cases.push_back({field_model<T89Model>, &epoch_of_degree_13()});
    for (const Case& c : cases) {
        const FieldModel model = c.model;
        const FieldContext field = make_field_context(*c.epoch, model, parameters());
        const BatchFields evaluate = lane_fields(width, model);
        // Batches of every fill from 1 to the width, in turn.
        std::size_t next = 0;
        for (int fill = 1; next < points.size(); fill = fill % static_cast<int>(width) + 1) {
            FieldBatch batch = batch_of(points, next, std::min<std::size_t>(fill, points.size() - next));
            evaluate(field, batch);
            for (int slot = 0; slot < batch.count; ++slot) {
                const Point& p = points[next + slot];
                double bx, by, bz;
                total_field_gsm(field, p.x, p.y, p.z, bx, by, bz);
                const bool same = bits(batch.bx[slot]) == bits(bx) && bits(batch.by[slot]) == bits(by) &&
                                  bits(batch.bz[slot]) == bits(bz);
                const char* which = c.epoch == &epoch()                 ? ""
                                    : c.epoch == &epoch_of_degree_13() ? " to degree 13"
                                                                        : " without the internal field";
                ASSERT_TRUE(same) << "model " << static_cast<int>(model) << which << ", " << width
                                  << " lanes, slot "
                                  << slot << " of " << batch.count << ", point (" << p.x << ", " << p.y << ", "
                                  << p.z << "): (" << batch.bx[slot] << ", " << batch.by[slot] << ", "
                                  << batch.bz[slot] << ") against (" << bx << ", " << by << ", " << bz << ")";
            }
            next += static_cast<std::size_t>(batch.count);
        }
    }
}

TEST_P(LaneKernels, EquationOfMotionIsTheScalarOneBitForBit) {
    const unsigned width = GetParam();
    const std::vector<Point> points = test_points();
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> rigidity(0.3, 30.0);
    for (const FieldModel model : kModels) {
        const FieldContext field = make_field_context(epoch(), model, parameters());
        const BatchDerivatives evaluate = lane_derivatives(width, model);
        for (std::size_t next = 0; next + width <= points.size(); next += width) {
            double states[kMaxLanes][6], derivatives[kMaxLanes][6];
            DerivativeBatch batch;
            batch.count = static_cast<int>(width);
            for (unsigned slot = 0; slot < width; ++slot) {
                const ProtonMotion motion = proton_motion(rigidity(random));
                const Point& p = points[next + slot];
                states[slot][0] = p.x, states[slot][1] = p.y, states[slot][2] = p.z;
                for (int k = 3; k < 6; ++k) states[slot][k] = motion.speed * unit(random);
                batch.state[slot] = states[slot];
                batch.derivative[slot] = derivatives[slot];
                batch.charge_to_mass[slot] = motion.charge_to_mass;
            }
            evaluate(field, batch);
            for (unsigned slot = 0; slot < width; ++slot) {
                double expected[6];
                TrajectoryDerivatives{&field, batch.charge_to_mass[slot]}(0.0, states[slot], expected);
                for (int k = 0; k < 6; ++k) {
                    ASSERT_EQ(bits(derivatives[slot][k]), bits(expected[k]))
                        << "model " << static_cast<int>(model) << ", " << width << " lanes, slot " << slot
                        << ", component " << k;
                }
            }
        }
    }
}

// ---------------------------------------------------------------- T96's branch edges

// The side of each branch edge of T96 that a GSM point (Earth radii) lies on,
// one bit per edge, from the model's public routines of one point: the
// magnetopause layer's inner and outer edges, the region-2 representations
// taken, its axis and its stretching radius, the axes of the dipole
// shielding's two sums and of the ring current and the tail disk, and the
// series or asymptotic form of the Bessel functions of each dipole-shielding
// harmonic. (The region-1 oval's layers have no such routine: the paths'
// dense samples cross them.)
std::uint32_t t96_sides(const T96Prepared& model, const Point& p) {
    std::uint32_t sides = 0;
    int bit = 0;
    const auto side = [&](bool holds) { sides |= static_cast<std::uint32_t>(holds) << bit++; };
    const double sigma = t96_magnetopause_coordinate(model, p.x, p.y, p.z);
    side(sigma < double(1.08f) - double(0.005f));
    side(sigma < double(1.08f) + double(0.005f));

    const double k = model.kappa, xk = k * p.x, yk = k * p.y, zk = k * p.z;
    const double c = model.region2.cos_tilt, s = model.region2.sin_tilt;
    const double xs = xk * c - zk * s, zs = zk * c + xk * s;
    const double xi = t96_region2_stretched_coordinate(xs, yk, zs);
    const T96Region2Weights w = t96_region2_weights(xi);
    side(w.takes_outer);
    side(w.takes_sheet);
    side(w.takes_inner);
    side(xi == -1.0);  // on the axis
    side(std::sqrt(xs * xs + yk * yk + zs * zs) < double(1.21563f));

    const double rho = std::sqrt(zk * zk + yk * yk);
    side(rho < 1e-8);
    side(rho < 1e-10);
    const T96WarpedSheetGeometry g = t96_warped_sheet_geometry(model, xk, yk, zk);
    side(std::sqrt(g.xs * g.xs + yk * yk) < 1e-5);
    side(std::sqrt((g.xs - 4.5) * (g.xs - 4.5) + yk * yk) < 1e-5);
    for (const auto* table : {&kT96PerpendicularDipoleShielding, &kT96ParallelDipoleShielding}) {
        for (const T96CylindricalHarmonic& h : *table) side(std::fabs(rho / double(h.scale)) < 3.0);
    }
    return sides;
}
constexpr int kT96Edges = 23;

// Points along a path from `from` to `to`: `samples` evenly spaced, and
// between two neighbours on different sides of an edge the two points of
// adjacent parameters (doubles next to each other) on either side of it.
std::vector<Point> t96_path(const T96Prepared& model, Point from, Point to, int samples) {
    const auto at = [&](double t) {
        return Point{from.x + t * (to.x - from.x), from.y + t * (to.y - from.y), from.z + t * (to.z - from.z)};
    };
    std::vector<Point> points;
    double previous = 0.0;
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / (samples - 1);
        if (i > 0 && t96_sides(model, at(previous)) != t96_sides(model, at(t))) {
            double lo = previous, hi = t;
            const std::uint32_t low_sides = t96_sides(model, at(lo));
            for (double mid = lo + (hi - lo) / 2.0; mid != lo && mid != hi; mid = lo + (hi - lo) / 2.0) {
                (t96_sides(model, at(mid)) == low_sides ? lo : hi) = mid;
            }
            points.push_back(at(lo));
            points.push_back(at(hi));
        }
        points.push_back(at(t));
        previous = t;
    }
    return points;
}

// Where the sheet frame's x coordinate of the scaled point (x, 0, z) is xs0,
// x by bisection (the coordinate grows with x there).
double t96_sheet_x(const T96Prepared& model, double xs0, double z) {
    const double k = model.kappa;
    double lo = -20.0, hi = 20.0;
    for (double mid = lo + (hi - lo) / 2.0; mid != lo && mid != hi; mid = lo + (hi - lo) / 2.0) {
        (t96_warped_sheet_geometry(model, k * mid, 0.0, k * z).xs < xs0 ? lo : hi) = mid;
    }
    return lo;
}

// Paths that cross every edge of t96_sides and the region-1 oval's layers:
// colatitude sweeps at several distances and local times, rays from the
// Earth through the magnetopause, lines across the axes, and a line along z
// across the Bessel functions' change of form.
std::vector<std::vector<Point>> t96_edge_paths(const T96Prepared& model) {
    constexpr double kPi = 3.14159265358979323846;
    std::vector<std::vector<Point>> paths;
    for (const double r : {1.5, 3.0, 6.0, 10.0}) {
        for (const double phi : {0.0, 0.5 * kPi, kPi, 1.5 * kPi}) {
            // A half circle from the north pole to the south pole (as a
            // polygon of short chords).
            std::vector<Point> path;
            constexpr int kChords = 24;
            for (int i = 0; i < kChords; ++i) {
                const auto at = [&](int j) {
                    const double theta = kPi * j / kChords;
                    return Point{r * std::sin(theta) * std::cos(phi), r * std::sin(theta) * std::sin(phi),
                                 r * std::cos(theta)};
                };
                std::vector<Point> chord = t96_path(model, at(i), at(i + 1), 25);
                if (i > 0) chord.erase(chord.begin());
                path.insert(path.end(), chord.begin(), chord.end());
            }
            paths.push_back(std::move(path));
        }
    }
    for (const Point direction : {Point{1.0, 0.0, 0.1}, Point{-1.0, 0.0, 0.05}, Point{0.0, 1.0, 0.0},
                                  Point{-0.3, -1.0, 0.2}, Point{0.4, 0.2, 1.0}, Point{-0.6, 0.1, -1.0}}) {
        const double n = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
        const Point d{direction.x / n, direction.y / n, direction.z / n};
        paths.push_back(t96_path(model, {1.05 * d.x, 1.05 * d.y, 1.05 * d.z}, {60.0 * d.x, 60.0 * d.y, 60.0 * d.z},
                                 400));
    }
    const double k = model.kappa;
    paths.push_back(t96_path(model, {5.0, -2e-8 / k, 1e-11}, {5.0, 2e-8 / k, 1e-11}, 41));  // the x axis
    for (const double xs0 : {0.0, 4.5}) {  // the ring current's and the tail disk's axes
        const double x0 = t96_sheet_x(model, xs0, 3.0);
        paths.push_back(t96_path(model, {x0, -3e-5, 3.0}, {x0, 3e-5, 3.0}, 41));
    }
    const double c = model.region2.cos_tilt, s = model.region2.sin_tilt;
    // Across the region-2 frame's z axis, at 4 Earth radii along it.
    paths.push_back(t96_path(model, {(-1.0 * c + 4.0 * s) / k, 0.0, (4.0 * c + 1.0 * s) / k},
                             {(1.0 * c + 4.0 * s) / k, 0.0, (4.0 * c - 1.0 * s) / k}, 400));
    paths.push_back(t96_path(model, {-10.0, 0.0, 0.0}, {-10.0, 0.0, 170.0}, 500));
    return paths;
}

TEST_P(LaneKernels, T96BranchEdgesInOneBatchGiveTheScalarFieldBitForBit) {
    const unsigned width = GetParam();
    const FieldModel model = field_model<T96Model>;
    const FieldContext field = make_field_context(epoch(), model, parameters());
    const T96Prepared& t96 = field.prepared_for<T96Model>();
    const BatchFields evaluate = lane_fields(width, model);
    std::uint32_t crossed = 0;
    for (const std::vector<Point>& path : t96_edge_paths(t96)) {
        std::vector<std::array<double, 3>> expected(path.size());
        for (std::size_t i = 0; i < path.size(); ++i) {
            total_field_gsm(field, path[i].x, path[i].y, path[i].z, expected[i][0], expected[i][1], expected[i][2]);
            if (i > 0) crossed |= t96_sides(t96, path[i - 1]) ^ t96_sides(t96, path[i]);
        }
        // Batches of consecutive points, their boundaries shifted by one
        // point at a time, so that every two neighbours share a batch.
        for (unsigned shift = 0; shift < width; ++shift) {
            std::size_t next = 0;
            while (next < path.size()) {
                const std::size_t end = next < shift ? shift : std::min(next + width, path.size());
                FieldBatch batch = batch_of(path, next, end - next);
                evaluate(field, batch);
                for (int slot = 0; slot < batch.count; ++slot) {
                    const Point& p = path[next + slot];
                    const std::array<double, 3>& b = expected[next + slot];
                    ASSERT_TRUE(bits(batch.bx[slot]) == bits(b[0]) && bits(batch.by[slot]) == bits(b[1]) &&
                                bits(batch.bz[slot]) == bits(b[2]))
                        << width << " lanes, slot " << slot << " of " << batch.count << ", point (" << p.x << ", "
                        << p.y << ", " << p.z << "), sides " << t96_sides(t96, p) << ": (" << batch.bx[slot] << ", "
                        << batch.by[slot] << ", " << batch.bz[slot] << ") against (" << b[0] << ", " << b[1] << ", "
                        << b[2] << ")";
                }
                next = end;
            }
        }
    }
    // Every edge lies between two neighbours of some path.
    for (int edge = 0; edge < kT96Edges; ++edge) EXPECT_TRUE(crossed >> edge & 1u) << "edge " << edge << " not crossed";
}

// The epochs of the T01 edge test, each without internal field (the external
// field's last bits then show in the total): the day of the other tests, a
// northern summer afternoon with a large tilt, and the first with the tilt
// set to zero, where the deformed tail sheet and the Birkeland cones meet
// their axes exactly.
std::vector<EpochState> t01_edge_epochs() {
    std::ostringstream notice;
    std::vector<EpochState> epochs = {epoch_without_internal_field(), set_epoch(2015, 172, 17, 0, 0, notice)};
    epochs[1].g_coef.fill(0.0);
    epochs[1].h_coef.fill(0.0);
    EpochState untilted = epochs[0];
    untilted.tilt = 0.0;
    untilted.sin_tilt = 0.0;
    untilted.cos_tilt = 1.0;
    epochs.push_back(untilted);
    return epochs;
}

// A point at distance r in the direction of the unit vector u.
Point along(const Point& u, double r) { return {u.x * r, u.y * r, u.z * r}; }

// The distance along the unit vector u, between 1 and 200 Earth radii, where
// the boundary coordinate first reaches `limit`: the last double inside and
// the first at or beyond it.
std::pair<double, double> boundary_crossing(const T01Prepared& model, const Point& u, double limit) {
    const auto sigma = [&](double r) {
        const Point p = along(u, r);
        return t01_boundary_coordinate(model, p.x, p.y, p.z).sigma;
    };
    double inside = 1.0, beyond = 200.0;
    while (std::nextafter(inside, beyond) < beyond) {
        const double middle = 0.5 * (inside + beyond);
        if (middle <= inside || middle >= beyond) break;
        (sigma(middle) < limit ? inside : beyond) = middle;
    }
    return {inside, beyond};
}

// Points in order, where neighbours lie on both sides of a change of form of
// the T01 arithmetic of the prepared model, so that a batch holding both
// shows a lane that takes its neighbour's form:
// - across the magnetopause, along rays: inside, the last double and the
//   first beyond each edge of the blending layer, its middle, and outside
//   (a far point beside a point of the layer);
// - near the axis of the ring currents (sin theta = 0.01 in the tilted frame),
//   north and south, where the near-axis forms start, and near sin theta =
//   0.01 + 1e-6, where one of the neighbours of the central differences
//   crosses it;
// - along the X axis and the Y axis, the axes of the tail sheet's warping and
//   of the Birkeland cones' azimuth;
// - colatitude sweeps across the layers of the Birkeland cones;
// - radial sweeps across the distances where the ring currents' exponentials
//   fall below e^-500 and where the tilt iteration takes more or fewer passes.
std::vector<Point> t01_edge_points(const T01Prepared& model, int& magnetopause_groups) {
    std::vector<Point> points;
    magnetopause_groups = 0;
    for (const Point& d : {Point{1, 0, 0}, Point{0.6, 0.7, 0.3}, Point{0, 1, 0}, Point{-0.3, -0.5, 0.8},
                           Point{-1, 0.1, -0.1}, Point{-0.8, -0.6, 0.05}, Point{0.2, 0, -1}}) {
        const double norm = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        const Point u{d.x / norm, d.y / norm, d.z / norm};
        const auto [in_last, layer_first] = boundary_crossing(model, u, model.inside_limit);
        const auto [layer_last, out_first] = boundary_crossing(model, u, model.outside_limit);
        if (!(in_last < layer_first && layer_first <= layer_last && layer_last < out_first)) continue;
        ++magnetopause_groups;
        // The far point beside the layer: beyond the tail end of the ellipsoid,
        // where the boundary coordinate's distance term is floored at 0.
        for (const double r : {in_last - 0.5, in_last, layer_first, out_first + 40.0,
                               0.5 * (layer_first + layer_last), layer_last, out_first, out_first + 0.5}) {
            points.push_back(along(u, r));
        }
    }
    const double c = model.ring_current.cos_tilt, s = model.ring_current.sin_tilt;
    for (const double r : {1.2, 2.5, 4.0, 7.0}) {
        for (const double north : {1.0, -1.0}) {
            for (const double st : {0.0, 0.004, 0.0099999, 0.0100001, 0.0100009, 0.0100011, 0.03, 0.0099}) {
                // (xt, y, zt) in the frame of the ring currents, turned back into GSM.
                const double ct = north * std::sqrt(1.0 - st * st);
                const double xt = r * st * 0.8, y = r * st * 0.6, zt = r * ct;
                points.push_back({xt * c + zt * s, y, zt * c - xt * s});
            }
        }
    }
    for (const double r : {-15.0, -6.0, -2.0, 0.0, 3.0, 8.0}) {
        points.push_back({r + 0.5, 0.0, 0.0});
        points.push_back({r, 1e-3, 0.0});
        points.push_back({0.0, r + 0.5, 0.0});
        points.push_back({1e-3, r, 1e-3});
    }
    for (const double r : {1.8, 3.5, 6.0}) {
        for (const double phi : {0.0, 1.3, 3.1, 4.5}) {
            for (double theta = 0.02; theta < 3.13; theta += 0.01) {
                points.push_back({r * std::sin(theta) * std::cos(phi), r * std::sin(theta) * std::sin(phi),
                                  r * std::cos(theta)});
            }
        }
    }
    for (const Point& u : {Point{0.05, 0.02, 0.9986}, Point{-0.99, 0.1, 0.1}, Point{0.5, 0.5, 0.7071}}) {
        for (double r = 0.6; r < 60.0; r += 0.07) points.push_back(along(u, r));
    }
    return points;
}

// T01 and storm-time T01 at every width, bit for bit against the scalar
// field, on points whose neighbours straddle the model's changes of form:
// the batches are laid over the points twice, the second time shifted by half
// a width, so that every two neighbours share a batch.
TEST_P(LaneKernels, T01LanesOnBothSidesOfEveryEdgeGetTheScalarField) {
    const unsigned width = GetParam();
    const int lanes = static_cast<int>(width);
    for (const EpochState& e : t01_edge_epochs()) {
        for (const FieldModel model : {field_model<T01Model>, field_model<T01StormModel>}) {
            const FieldContext field = make_field_context(e, model, parameters());
            const T01Prepared prepared = model == field_model<T01Model> ? t01_prepare(parameters(), e)
                                                                         : t01_storm_prepare(parameters(), e);
            int magnetopause_groups = 0;
            const std::vector<Point> points = t01_edge_points(prepared, magnetopause_groups);
            ASSERT_GE(magnetopause_groups, 5);
            std::vector<double> expected(3 * points.size());
            for (std::size_t i = 0; i < points.size(); ++i) {
                total_field_gsm(field, points[i].x, points[i].y, points[i].z, expected[3 * i], expected[3 * i + 1],
                                expected[3 * i + 2]);
            }
            // The tilt iteration ends at different passes in one batch somewhere.
            bool mixed_passes = false;
            for (std::size_t i = 1; i < points.size() && !mixed_passes; ++i) {
                const Point& p = points[i - 1];
                const Point& q = points[i];
                mixed_passes = t01_boundary_coordinate(prepared, p.x, p.y, p.z).passes !=
                               t01_boundary_coordinate(prepared, q.x, q.y, q.z).passes;
            }
            EXPECT_TRUE(mixed_passes || e.tilt == 0.0);

            const BatchFields evaluate = lane_fields(width, model);
            for (const int shift : {0, lanes / 2}) {
                for (std::size_t next = shift; next + width <= points.size(); next += width) {
                    FieldBatch batch;
                    batch.count = lanes;
                    for (int slot = 0; slot < lanes; ++slot) {
                        batch.x[slot] = points[next + slot].x;
                        batch.y[slot] = points[next + slot].y;
                        batch.z[slot] = points[next + slot].z;
                    }
                    evaluate(field, batch);
                    for (int slot = 0; slot < lanes; ++slot) {
                        const std::size_t i = next + slot;
                        const bool same = bits(batch.bx[slot]) == bits(expected[3 * i]) &&
                                          bits(batch.by[slot]) == bits(expected[3 * i + 1]) &&
                                          bits(batch.bz[slot]) == bits(expected[3 * i + 2]);
                        ASSERT_TRUE(same) << "model " << static_cast<int>(model) << ", tilt " << e.tilt << ", "
                                          << width << " lanes, slot " << slot << ", point " << i << " ("
                                          << points[i].x << ", " << points[i].y << ", " << points[i].z << "): ("
                                          << batch.bx[slot] << ", " << batch.by[slot] << ", " << batch.bz[slot]
                                          << ") against (" << expected[3 * i] << ", " << expected[3 * i + 1]
                                          << ", " << expected[3 * i + 2] << ")";
                    }
                }
            }
        }
    }
}

std::string width_name(const ::testing::TestParamInfo<unsigned>& info) {
    return "Lanes" + std::to_string(info.param) + "_" +
           (info.param == 2 ? "SSE2" : info.param == 4 ? "AVX2" : "AVX512");
}

INSTANTIATE_TEST_SUITE_P(Widths, LaneKernels, ::testing::ValuesIn(batch_widths()), width_name);

TEST(LaneWidths, ScalarAndSse2AlwaysWiderOnlyWithTheirInstructionSets) {
    const std::vector<unsigned> widths = lane_widths();
    ASSERT_GE(widths.size(), 2u);
    EXPECT_EQ(widths[0], 1u);
    EXPECT_EQ(widths[1], 2u);
    EXPECT_EQ(lane_width_available(4), static_cast<bool>(__builtin_cpu_supports("avx2")));
    EXPECT_EQ(lane_width_available(8), static_cast<bool>(__builtin_cpu_supports("avx512f")));
    EXPECT_EQ(widest_lane_width(), widths.back());
    for (const unsigned width : {0u, 3u, 16u}) {
        EXPECT_FALSE(lane_width_available(width)) << width;
        EXPECT_THROW(lane_fields(width, field_model<ReferenceFieldModel>), std::invalid_argument) << width;
    }
    EXPECT_THROW(lane_derivatives(1, field_model<ReferenceFieldModel>), std::invalid_argument);
    if (!lane_width_available(8)) {
        std::cout << "[ NOTE     ] this processor has no AVX-512: its 8-lane routines are not checked here\n";
    }
    if (!lane_width_available(4)) {
        std::cout << "[ NOTE     ] this processor has no AVX2: its 4-lane routines are not checked here\n";
    }
}

}  // namespace
}  // namespace cones
