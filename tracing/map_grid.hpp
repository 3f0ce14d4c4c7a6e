// The world grid of a cutoff map: vertical station entries at every latitude
// from -90 to 90 degrees and every longitude from -180 to 180 degrees, both
// ends included, in fixed steps.
#pragma once

#include <cstddef>

#include "tracing/inputs.hpp"

namespace cones {

// Largest number of grid points of a map (a grid of 0.05 degrees).
inline constexpr std::size_t kMaxMapPoints = 3601ull * 7201ull;

// Built only by make_map_grid. Points are numbered latitude by latitude from
// the south pole, longitude by longitude from -180 degrees within each.
class MapGrid {
public:
    std::size_t latitude_count() const { return latitudes_; }
    std::size_t longitude_count() const { return longitudes_; }
    std::size_t point_count() const { return latitudes_ * longitudes_; }
    double latitude_step() const { return latitude_step_; }
    double longitude_step() const { return longitude_step_; }
    // Latitude j, degrees: -90 + j * step, and exactly 90 for the last.
    double latitude(std::size_t j) const;
    // Longitude i, degrees: -180 + i * step, and exactly 180 for the last.
    double longitude(std::size_t i) const;
    // The vertical entry (zenith 0, azimuth 0) at point p, traced as given,
    // the poles at every longitude too.
    StationEntry entry(std::size_t p) const;

private:
    friend MapGrid make_map_grid(double latitude_step, double longitude_step);
    MapGrid(double latitude_step, double longitude_step, std::size_t latitudes, std::size_t longitudes)
        : latitude_step_(latitude_step), longitude_step_(longitude_step), latitudes_(latitudes),
          longitudes_(longitudes) {}
    double latitude_step_, longitude_step_;
    std::size_t latitudes_, longitudes_;
};

// The map grid of the given steps.
// Given:    latitude_step, longitude_step  degrees.
// Returned: the grid of 180 / latitude_step + 1 latitudes and
//           360 / longitude_step + 1 longitudes.
// Notes:    throws std::invalid_argument, with a message in the words of the
//           map, when a step is not finite or not above 0, when it does not
//           divide 180 (latitude) or 360 (longitude) degrees into whole steps
//           (within 1e-9 of a step), or the grid would hold more than
//           kMaxMapPoints points.
MapGrid make_map_grid(double latitude_step, double longitude_step);

}  // namespace cones
