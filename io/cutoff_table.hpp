// The table of cutoff rigidities of station entries: a text table for people
// and CSV for programs, one row per entry; and the CSV form of a cutoff map,
// one row per grid point.
#pragma once

#include <string>

#include "io/config.hpp"
#include "tracing/cutoff_scan.hpp"

namespace cones {

// Number of decimals that shows every rigidity of a scan grid.
// Given:    grid  the scan grid (GV).
// Returned: 2, or more (up to 6) when the start or the step needs them
//           (a step of 0.005 GV: 3).
int rigidity_decimals(const ScanGrid& grid);

// One cutoff as the table shows it.
// Given:    cutoff  a cutoff and its place; decimals  decimals of the values.
// Returned: "14.17", "below 0.10" (at or below the start of the scan),
//           "above 20.00" (beyond its end) or "unresolved".
std::string cutoff_text(const Cutoff& cutoff, int decimals);

// The table's heading.
// Given:    config  the run's configuration; grid  the scan grid.
// Returned: a line naming the date and time, the field model, the start
//           altitude and the scan, a blank line, and the column heads:
//           station name, latitude, longitude, zenith, azimuth, RL, RU, Rc
//           (GV) and Bands; every line with its line end.
std::string cutoff_table_heading(const RunConfiguration& config, const ScanGrid& grid);

// The column heads of the table (the last line of its heading).
std::string cutoff_table_columns(const ScanGrid& grid);

// The table of a series (moments along time or the points of a path): each
// row the time, the entry, its cutoffs, the start altitude and the driving
// parameters of the field model at that moment.
// Given:    title  the first line (without line end); config  the run's
//           configuration (its field model); grid  the scan grid.
// Returned: the title, a blank line and the column heads: "Time", the
//           columns of cutoff_table_columns, "Alt" (km) and the symbol of
//           each parameter the field model reads ("P", "Dst", ...).
std::string cutoff_series_heading(const std::string& title, const RunConfiguration& config, const ScanGrid& grid);

// One row of a series table.
// Given:    moment  the configuration of the moment (its time, altitude and
//           parameters); station, cutoffs, grid  as for cutoff_table_row.
// Returned: "2024-05-10 12:00:00", the row of cutoff_table_row, the altitude
//           and the parameters in the heading's columns, with its line end.
std::string cutoff_series_row(const RunConfiguration& moment, const StationRecord& station,
                              const EntryCutoffs& cutoffs, const ScanGrid& grid);

// The CSV header of a series: time,station,latitude,longitude,zenith,
// azimuth,RL,RU,Rc,bands,note,altitude_km, the keyword of each parameter the
// field model reads (pressure_npa, dst_nt, ...) and inputs_from.
std::string cutoff_series_csv_header(const RunConfiguration& config);

// One CSV row of a series: the time as 2024-05-10T12:00:00Z, the fields of
// cutoff_csv_row, the altitude, the parameters (shortest form) and where
// they came from ("configuration", or "OMNI a.dat, Dst is SYM-H").
std::string cutoff_series_csv_row(const RunConfiguration& moment, const StationRecord& station,
                                  const EntryCutoffs& cutoffs, const ScanGrid& grid);

// One row of the table.
// Given:    station  the entry's record; cutoffs  its cutoffs; grid  the scan.
// Returned: the row in the heading's columns, with its line end.
// Notes:    a failed entry's row says at which rigidity its trajectory could
//           not be integrated, in place of the cutoffs.
std::string cutoff_table_row(const StationRecord& station, const EntryCutoffs& cutoffs, const ScanGrid& grid);

// The CSV header row: station,latitude,longitude,zenith,azimuth,RL,RU,Rc,bands,note
std::string cutoff_csv_header();

// One CSV row.
// Given:    station  the entry's record; cutoffs  its cutoffs; grid  the scan.
// Returned: the row with its line end. RL, RU and Rc are numbers in GV when
//           the scan resolves them and empty otherwise; `note` then says
//           where they lie ("RL below 0.10; Rc below 0.77") or that a
//           trajectory could not be integrated ("integration failed at 5.00
//           GV", with bands empty too).
// Notes:    the station name loses its padding and is quoted (RFC 4180) when
//           it holds a comma or a quote.
std::string cutoff_csv_row(const StationRecord& station, const EntryCutoffs& cutoffs, const ScanGrid& grid);

// The CSV header row of a cutoff map: latitude,longitude,RL,RU,Rc,bands,note
std::string cutoff_map_csv_header();

// One CSV row of a cutoff map.
// Given:    latitude, longitude  the grid point, degrees; cutoffs  its
//           cutoffs; grid  the scan.
// Returned: the row with its line end, the cutoff columns as in
//           cutoff_csv_row.
std::string cutoff_map_csv_row(double latitude, double longitude, const EntryCutoffs& cutoffs, const ScanGrid& grid);

}  // namespace cones
