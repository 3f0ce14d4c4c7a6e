// The run of cutoff-map: read the configuration, scan the vertical cutoffs of
// every point of the world grid on one process or over the ranks of an MPI
// job, and write the map as netCDF or CSV.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "apps/map_ranks.hpp"
#include "io/config.hpp"
#include "tracing/cutoff_scan.hpp"
#include "tracing/map_grid.hpp"

namespace cones {

struct CutoffMapRequest {
    std::string configuration_path;  // the Cones.ini to read
    MapGrid map;
    ScanGrid grid;
    ScanMode mode = ScanMode::kAdaptive;
    unsigned threads = 0;     // per rank; 0: all hardware threads
    unsigned lanes = 0;       // per thread; 0: the field model's best
    bool csv = false;         // CSV instead of netCDF
    std::string output_path;  // the map file
    // The generation of the reference field; nullptr: IGRF-12, not chosen.
    const InternalFieldCoefficients* internal_field = nullptr;
    // The OMNI files of "--omni" the driving parameters come from; nothing:
    // the configuration's own.
    std::optional<std::vector<std::string>> omni_files{};
    TracingChoices choices{};  // --geodetic (the grid's latitudes geodetic), --particle
};

// The request of a cutoff-map command line: the options --lat-step,
// --lon-step, --from, --to, --step, --scan, --threads, --lanes, --igrf, --omni, --geodetic, --particle, --csv and -o FILE, and the
// optional path of the configuration. Throws UsageError.
CutoffMapRequest cutoff_map_request(int argc, const char* const* argv);

// Called on a rank before it traces the chunk of points [first, first +
// count); a test makes a rank fail through it. Empty in the program.
using BeforeChunk = std::function<void(std::size_t first, std::size_t count)>;

// Runs cutoff-map on every rank of `ranks` (all ranks call it with the same
// request). Rank 0 reports on `errors`, shows the progress bar on standard
// error when it is a terminal, and writes the map under a temporary name,
// renamed to `output_path` when complete; with more than one rank it also
// reports each rank's points and tracing time.
// Returned: the exit status, the same on every rank: 0 done; 1 the
//   configuration cannot be used, or a rank was started with another
//   configuration or other grids than rank 0 (their digests are compared
//   before the scan; rank 0 names the first such rank); 2 the map cannot be
//   written (found before the scan when the file cannot be created, or is
//   the configuration itself); 3 a trajectory cannot be integrated (the map
//   is written, the point marked integration_failed and named on `errors`).
//   A rank whose chunk fails ends the job (see MapRanks::scan); no map file
//   is left.
int run_cutoff_map(const CutoffMapRequest& request, const MapRanks& ranks, std::ostream& errors,
                   const BeforeChunk& before_chunk = {});

}  // namespace cones
