// The cutoff map as a netCDF file following the CF conventions: coordinate
// variables lat and lon, the cutoffs Rc, RL and RU (GV) on the grid with
// where each lies relative to the scan, the number of penumbra bands, and
// global attributes for the date, time, field model and its parameters, the
// start altitude and the scan grid. GMT, xarray and ncview read it directly.
#pragma once

#include <span>
#include <string>

#include "io/config.hpp"
#include "tracing/cutoff_scan.hpp"
#include "tracing/map_grid.hpp"

namespace cones {

// Values stored for the place of a cutoff (variables RL_place, RU_place,
// Rc_place, with CF flag_values and flag_meanings).
namespace map_place {
inline constexpr signed char kAt = 0;          // within_scan: the value is the cutoff
inline constexpr signed char kBelow = 1;       // at_or_below_scan_start: the value is the scan's start
inline constexpr signed char kAbove = 2;       // above_scan_end: the value is the bound it lies above
inline constexpr signed char kUnresolved = 3;  // unresolved: the value is missing
inline constexpr signed char kFailed = 4;      // integration_failed: the value is missing
}  // namespace map_place

// Missing value of RL, RU and Rc (_FillValue), and of the bands (-1).
inline constexpr double kMapMissingRigidity = -1.0;

// The map as a netCDF file in the classic (64-bit offset) format, built in
// memory (no scratch file), ready to be written where it belongs.
// Given:    config  the run's configuration (date, time, model, altitude);
//           map, grid  the map grid and the scan grid; title  the title
//           attribute; source  the program and its version;
//           points  each point's cutoffs, in point order (MapGrid).
// Returned: the bytes of the file; throws OutputError with the library's
//           message when it cannot be made (out of memory, say).
// Notes:    the file depends only on these inputs (no time stamp), so the
//           same map always gives the same bytes. Variables are
//           lat(lat), lon(lon) in degrees_north and degrees_east, and
//           Rc, RL, RU (GV, double), Rc_place, RL_place, RU_place (byte) and
//           bands (int) on (lat, lon). A cutoff below or above the scan
//           holds the bound (see map_place); unresolved or failed ones the
//           fill value.
std::string cutoff_map_netcdf(const RunConfiguration& config, const MapGrid& map, const ScanGrid& grid,
                              const std::string& title, const std::string& source,
                              std::span<const EntryCutoffs> points);

}  // namespace cones
