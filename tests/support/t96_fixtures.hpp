// Shared fixtures of the T96 tests: epochs of a given tilt, prepared models,
// comparison with reference rows, and the divergence of a field.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "models/t96/t96.hpp"
#include "tests/support/field_checks.hpp"
#include "tests/support/tilted_epoch.hpp"

namespace cones::t96_test {

// An epoch whose only content is the dipole tilt and the dipole strength b0 (nT).
inline EpochState tilted(double tilt, double b0 = 30000.0) { return testing_support::tilted_epoch(tilt, b0); }

inline ModelParameters driving(double pressure, double dst, double by, double bz) {
    ModelParameters p{};
    p[0] = pressure;
    p[1] = dst;
    p[2] = by;
    p[3] = bz;
    return p;
}

// The model at the standard pressure 2 nPa (kappa = 1) for a tilt.
inline T96Prepared standard_model(double tilt) {
    return t96_prepare(driving(2.0, 0.0, 0.0, 0.0), tilted(tilt));
}

inline double magnitude(const T96Vector& b) { return std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z); }

// Each component of b against the reference (rx, ry, rz) within `relative`
// times the reference's magnitude (plus `relative` itself, for fields near 0).
inline void expect_field_near(const T96Vector& b, double rx, double ry, double rz, double relative) {
    const double tol = relative * (1.0 + std::sqrt(rx * rx + ry * ry + rz * rz));
    EXPECT_NEAR(b.x, rx, tol);
    EXPECT_NEAR(b.y, ry, tol);
    EXPECT_NEAR(b.z, rz, tol);
}

using FieldAt = std::function<T96Vector(double, double, double)>;

using testing_support::Divergence;
using testing_support::divergence;

}  // namespace cones::t96_test
