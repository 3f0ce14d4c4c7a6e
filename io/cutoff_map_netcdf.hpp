// The cutoff map as a netCDF file following the CF conventions: coordinate
// variables lat and lon, the cutoffs Rc, RL and RU (GV) on the grid with
// where each lies relative to the scan, the number of penumbra bands, and
// global attributes for the date, time, field model and its parameters, the
// start altitude and the scan grid. GMT, xarray and ncview read it directly.
#pragma once

#include <span>
#include <string>

#include "io/config.hpp"
#include "io/cutoff_map_contents.hpp"
#include "tracing/cutoff_scan.hpp"
#include "tracing/map_grid.hpp"

namespace cones {

// The map as a netCDF file in the classic (64-bit offset) format, built in
// memory (no scratch file), ready to be written where it belongs.
// Given:    config  the run's configuration (date, time, model, altitude);
//           map, grid  the map grid and the scan grid; title  the title
//           attribute; source  the program and its version;
//           points  each point's cutoffs, in point order (MapGrid).
// Returned: the bytes of the file; throws OutputError with the library's
//           message when it cannot be made (out of memory, say).
// Notes:    the file holds cutoff_map_contents of these inputs, in its
//           order, and depends only on them (no time stamp), so the same map
//           always gives the same bytes.
std::string cutoff_map_netcdf(const RunConfiguration& config, const MapGrid& map, const ScanGrid& grid,
                              const std::string& title, const std::string& source,
                              std::span<const EntryCutoffs> points);

}  // namespace cones
