// The world grid of a cutoff map: both ends of latitude and longitude, point
// numbering, vertical entries, and steps that do not divide the globe.

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "tracing/map_grid.hpp"

namespace cones {
namespace {

TEST(MapGrid, CoversTheGlobeWithBothEndsIncluded) {
    const struct {
        double lat_step, lon_step;
        std::size_t lats, lons;
    } cases[] = {{5, 5, 37, 73},          {1, 1, 181, 361},     {30, 60, 7, 7},
                 {0.1, 0.1, 1801, 3601},  {180, 360, 2, 2},     {0.05, 0.05, 3601, 7201},
                 {0.3, 22.5, 601, 17},    {1.0 / 3, 0.2, 541, 1801}};
    for (const auto& c : cases) {
        const MapGrid map = make_map_grid(c.lat_step, c.lon_step);
        EXPECT_EQ(map.latitude_count(), c.lats) << c.lat_step;
        EXPECT_EQ(map.longitude_count(), c.lons) << c.lon_step;
        EXPECT_EQ(map.latitude(0), -90.0);
        EXPECT_EQ(map.latitude(c.lats - 1), 90.0) << "the north pole exactly, for step " << c.lat_step;
        EXPECT_EQ(map.longitude(0), -180.0);
        EXPECT_EQ(map.longitude(c.lons - 1), 180.0);
        EXPECT_EQ(map.point_count(), c.lats * c.lons);
    }
    // Point p is latitude p / lons, longitude p % lons; each entry is vertical.
    const MapGrid map = make_map_grid(30, 60);
    const StationEntry entry = map.entry(2 * 7 + 3);
    EXPECT_EQ(entry.latitude, -30.0);
    EXPECT_EQ(entry.longitude, 0.0);
    EXPECT_EQ(entry.zenith, 0.0);
    EXPECT_EQ(entry.azimuth, 0.0);
    EXPECT_EQ(map.entry(48).latitude, 90.0);
    EXPECT_EQ(map.entry(48).longitude, 180.0);
}

TEST(MapGrid, StepsThatDoNotDivideTheGlobeAreRejected) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // A step a little off a divisor would make the last step of the grid
    // shorter or longer than the others: 45.00001 divides 180 into 3.9999991
    // steps, 0.3333333 into 540.000054.
    const double cases[][2] = {{7, 5},   {5, 7},     {0, 5},         {5, -5},   {nan, 5},           {181, 5},
                               {5, 361}, {0.01, 0.01}, {45.00001, 5}, {5, 90.00001}, {0.3333333, 5}, {5, 0.1000001}};
    for (const auto& c : cases) {
        EXPECT_THROW(make_map_grid(c[0], c[1]), std::invalid_argument) << c[0] << " " << c[1];
    }
}

}  // namespace
}  // namespace cones
