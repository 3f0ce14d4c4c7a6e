// Geodetic coordinates on the WGS-84 ellipsoid: the Earth-fixed point of a
// geodetic latitude, longitude and height against closed forms, and the local
// frame against the ellipsoid's normal.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geomag/geomag.hpp"

namespace cones {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kA = 6378.137;                      // km
constexpr double kB = kA * (1.0 - 1.0 / 298.257223563);  // polar radius, km

// The poles, the equator and 45 degrees, each against its closed form: at
// the equator the point lies a + h from the centre in the equatorial plane;
// at a pole b + h along the axis; at 45 degrees on the ellipsoid the
// geocentric latitude psi has tan psi = (b / a)^2 and the radius is
// a b / sqrt(b^2 cos^2 psi + a^2 sin^2 psi).
TEST(GeodeticCoordinates, PolesEquatorAnd45DegreesMatchTheirClosedForms) {
    struct Case {
        double latitude, longitude, height;  // degrees, degrees, km
        double x, y, z;                      // km
    };
    const double psi = std::atan((kB / kA) * (kB / kA));
    const double r45 = kA * kB / std::sqrt(kB * kB * std::cos(psi) * std::cos(psi) +
                                          kA * kA * std::sin(psi) * std::sin(psi));
    const double c30 = std::cos(30.0 * kDegree), s30 = std::sin(30.0 * kDegree);
    const Case cases[] = {
        {0.0, 0.0, 0.0, kA, 0.0, 0.0},
        {0.0, 90.0, 20.0, 0.0, kA + 20.0, 0.0},
        {0.0, -150.0, 3.5, -(kA + 3.5) * c30, -(kA + 3.5) * s30, 0.0},
        {90.0, 0.0, 0.0, 0.0, 0.0, kB},
        {90.0, 40.0, 20.0, 0.0, 0.0, kB + 20.0},
        {-90.0, 0.0, 12.0, 0.0, 0.0, -(kB + 12.0)},
        {45.0, 0.0, 0.0, r45 * std::cos(psi), 0.0, r45 * std::sin(psi)},
        {-45.0, 30.0, 0.0, r45 * std::cos(psi) * c30, r45 * std::cos(psi) * s30, -r45 * std::sin(psi)},
    };
    for (const Case& c : cases) {
        double x, y, z;
        geodetic_to_geo(c.latitude * kDegree, c.longitude * kDegree, c.height, x, y, z);
        // 1e-9 km: a micrometre, far below the 21 km between the radii.
        EXPECT_NEAR(x, c.x, 1e-9) << c.latitude << ", " << c.longitude << ", " << c.height;
        EXPECT_NEAR(y, c.y, 1e-9) << c.latitude << ", " << c.longitude << ", " << c.height;
        EXPECT_NEAR(z, c.z, 1e-9) << c.latitude << ", " << c.longitude << ", " << c.height;
    }
}

// The height is measured along the normal: the point at height h lies h from
// the point at height 0, along the local up, and up is normal to the
// ellipsoid (its gradient (x / a^2, y / a^2, z / b^2) normalised), with
// north and east completing a right-handed orthonormal frame.
TEST(GeodeticCoordinates, HeightAlongTheNormalAndTheLocalFrame) {
    for (const double latitude : {-75.0, -30.0, 0.0, 10.0, 52.5, 89.0}) {
        const double longitude = 137.0;
        double x0, y0, z0, x1, y1, z1;
        geodetic_to_geo(latitude * kDegree, longitude * kDegree, 0.0, x0, y0, z0);
        geodetic_to_geo(latitude * kDegree, longitude * kDegree, 35.0, x1, y1, z1);
        double up[3], north[3], east[3];
        geodetic_local_frame(latitude * kDegree, longitude * kDegree, up, north, east);
        const double gradient[3] = {x0 / (kA * kA), y0 / (kA * kA), z0 / (kB * kB)};
        const double length = std::sqrt(gradient[0] * gradient[0] + gradient[1] * gradient[1] +
                                        gradient[2] * gradient[2]);
        const double moved[3] = {x1 - x0, y1 - y0, z1 - z0};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(up[i], gradient[i] / length, 1e-14) << latitude << ", " << i;
            EXPECT_NEAR(moved[i], 35.0 * up[i], 1e-9) << latitude << ", " << i;
        }
        const auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
        EXPECT_NEAR(dot(north, north), 1.0, 1e-15);
        EXPECT_NEAR(dot(east, east), 1.0, 1e-15);
        EXPECT_NEAR(dot(up, north), 0.0, 1e-15);
        EXPECT_NEAR(dot(up, east), 0.0, 1e-15);
        EXPECT_NEAR(dot(north, east), 0.0, 1e-15);
        // east = north x up, and north points toward the north pole (z grows).
        EXPECT_NEAR(north[1] * up[2] - north[2] * up[1], east[0], 1e-15);
        EXPECT_NEAR(north[2] * up[0] - north[0] * up[2], east[1], 1e-15);
        EXPECT_NEAR(north[0] * up[1] - north[1] * up[0], east[2], 1e-15);
        EXPECT_GT(north[2], 0.0);
    }
}

}  // namespace
}  // namespace cones
