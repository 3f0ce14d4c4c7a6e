// What a cutoff map holds, in the layout of its netCDF file (CF conventions):
// the dimensions lat and lon, the variables lat, lon, Rc, RL, RU, Rc_place,
// RL_place, RU_place and bands with their attributes, and the global
// attributes of the run (date, time, field model and its parameters, start
// altitude, scan grid). The netCDF writer writes these contents and the
// Python module hands them out as arrays, so both say the same.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

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
inline constexpr int kMapMissingBands = -1;

// The place of one cutoff of an entry (map_place), kFailed when the entry
// has a trajectory that could not be integrated.
signed char map_place_of(const Cutoff& cutoff, bool failed);

// The stored value of one cutoff of an entry, GV: the cutoff, or the bound
// of the scan it lies at or beyond; kMapMissingRigidity when it is
// unresolved or the entry failed.
double map_value_of(const Cutoff& cutoff, bool failed);

// The stored number of penumbra bands of an entry: kMapMissingBands when it
// failed.
int map_bands_of(const EntryCutoffs& cutoffs);

// The type of a variable or attribute as stored.
enum class MapType { kText, kDouble, kInt, kByte };

// One attribute: a text, or numbers of its type (whole numbers for kInt and
// kByte, held exactly as doubles).
struct MapAttribute {
    std::string name;
    MapType type = MapType::kText;
    std::string text;
    std::vector<double> numbers;
};

// One variable on the dimensions named (lat, lon, or both, in that order),
// with its values in the order of the points (MapGrid): latitude by latitude
// from the south, longitude by longitude from -180 degrees within each.
struct MapVariable {
    std::string name;
    MapType type = MapType::kDouble;
    std::vector<std::string> dimensions;
    std::vector<MapAttribute> attributes;
    std::vector<double> values;
};

// The whole map: the lengths of the dimensions lat and lon, the variables and
// the global attributes, each in the order the file defines them.
struct CutoffMapContents {
    std::size_t latitudes = 0;
    std::size_t longitudes = 0;
    std::vector<MapVariable> variables;
    std::vector<MapAttribute> attributes;
};

// The title of a map of a configuration: "Vertical cutoff rigidity, <date and
// time>, <field model and parameters>, <start altitude> km".
std::string cutoff_map_title(const RunConfiguration& config);

// The contents of a map.
// Given:    config  the run's configuration (date, time, model, altitude);
//           map, grid  the map grid and the scan grid; title  the title
//           attribute; source  the program (or module) and its version;
//           points  each point's cutoffs, in point order (MapGrid).
// Returned: the variables lat(lat), lon(lon) in degrees_north and
//           degrees_east, Rc, RL, RU (GV, double), Rc_place, RL_place,
//           RU_place (byte) and bands (int) on (lat, lon), and the global
//           attributes. A cutoff below or above the scan holds the bound (see
//           map_place); unresolved or failed ones the fill value.
// Notes:    the contents depend only on these inputs (no time stamp).
CutoffMapContents cutoff_map_contents(const RunConfiguration& config, const MapGrid& map, const ScanGrid& grid,
                                      const std::string& title, const std::string& source,
                                      std::span<const EntryCutoffs> points);

}  // namespace cones
