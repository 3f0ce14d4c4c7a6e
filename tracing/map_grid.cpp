#include "tracing/map_grid.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

namespace cones {
namespace {

// Number of whole steps of `step` in `span` degrees; throws for a step that
// does not divide it.
std::size_t whole_steps(double span, double step, const char* what) {
    if (!std::isfinite(step) || !(step > 0.0)) {
        throw std::invalid_argument(std::string("the ") + what + " step must be a number above 0 degrees");
    }
    if (step > span) {
        throw std::invalid_argument(std::string("the ") + what + " step must be at most " +
                                    std::to_string(static_cast<int>(span)) + " degrees");
    }
    // The division rounds by some 1e-16 of the step count (at most 7200
    // steps here), far below 1e-9; a step that misses the span by more leaves
    // the last step longer or shorter than the others (45.00001 degrees
    // divides 180 into 3.9999991 steps).
    const double steps = span / step;
    const double whole = std::round(steps);
    if (std::fabs(steps - whole) > 1e-9 || whole > 1e7) {
        throw std::invalid_argument(std::string("the ") + what + " step must divide " +
                                    std::to_string(static_cast<int>(span)) + " degrees into whole steps");
    }
    return static_cast<std::size_t>(whole);
}

}  // namespace

double MapGrid::latitude(std::size_t j) const {
    return j + 1 == latitudes_ ? 90.0 : -90.0 + static_cast<double>(j) * latitude_step_;
}

double MapGrid::longitude(std::size_t i) const {
    return i + 1 == longitudes_ ? 180.0 : -180.0 + static_cast<double>(i) * longitude_step_;
}

StationEntry MapGrid::entry(std::size_t p) const {
    StationEntry entry;
    entry.latitude = latitude(p / longitudes_);
    entry.longitude = longitude(p % longitudes_);
    return entry;
}

MapGrid make_map_grid(double latitude_step, double longitude_step) {
    const std::size_t latitudes = whole_steps(180.0, latitude_step, "latitude") + 1;
    const std::size_t longitudes = whole_steps(360.0, longitude_step, "longitude") + 1;
    if (latitudes * longitudes > kMaxMapPoints) {
        throw std::invalid_argument("the map would hold more than " + std::to_string(kMaxMapPoints) + " grid points");
    }
    return MapGrid(latitude_step, longitude_step, latitudes, longitudes);
}

}  // namespace cones
