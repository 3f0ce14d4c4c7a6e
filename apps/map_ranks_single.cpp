// The map's processes in a build without MPI: always one process.
#include "apps/map_ranks.hpp"

namespace cones {

MapRanks::MapRanks(int&, char**&) {}

MapRanks::~MapRanks() = default;

int MapRanks::agree(int status) const { return status; }

int MapRanks::first_differing(std::uint64_t) const { return -1; }

void MapRanks::abort_job(int) const {}

MapScan MapRanks::scan(std::size_t point_count, std::size_t, const ChunkScan& scan,
                       const std::function<void(std::size_t done)>& progress, const PointsText&,
                       std::ostream&) const {
    return scan_in_one_process(point_count, scan, progress);
}

}  // namespace cones
