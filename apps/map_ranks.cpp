// What every build of the map's processes shares: tracing in one process.
#include <chrono>

#include "apps/map_ranks.hpp"

namespace cones {

MapScan scan_in_one_process(std::size_t point_count, const ChunkScan& scan,
                            const std::function<void(std::size_t done)>& progress) {
    MapScan result;
    result.points.reserve(point_count);
    const auto start = std::chrono::steady_clock::now();
    scan(0, point_count, result.points, [&](std::size_t traced) {
        if (progress) progress(traced);
    });
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    result.ranks.push_back({point_count, elapsed.count()});
    return result;
}

}  // namespace cones
