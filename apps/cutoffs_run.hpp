// The run of cutoffs: read the configuration, scan every station entry over
// the rigidity grid, and report each entry's cutoff rigidities as a table or
// CSV, optionally with the penumbra chart.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "io/config.hpp"
#include "models/solar_wind.hpp"
#include "tracing/cutoff_scan.hpp"

namespace cones {

// Largest number of trajectories (station entries times grid rigidities) in
// one run of cutoffs.
inline constexpr std::size_t kMaxCutoffTrajectories = 10'000'000;

struct CutoffsRequest {
    std::string configuration_path;  // the Cones.ini to read
    ScanGrid grid;
    ScanMode mode = ScanMode::kAdaptive;
    unsigned threads = 0;   // 0: all hardware threads
    unsigned lanes = 0;     // 0: the field model's best
    bool csv = false;       // CSV instead of the table
    std::string svg_path;   // the penumbra chart's file; empty for none
    // The generation of the reference field; nullptr: IGRF-12, not chosen.
    const InternalFieldCoefficients* internal_field = nullptr;
    // The OMNI files of "--omni" the driving parameters come from; nothing:
    // the configuration's own.
    std::optional<std::vector<std::string>> omni_files{};
    // "--times START END STEP": the moments of a series; empty for one run
    // at the configured date and time.
    std::vector<UtSeconds> times{};
    // "--path FILE": the path file of a series along a path; empty for none.
    std::string path_file{};
    TracingChoices choices{};  // --geodetic, --particle
};

// Runs cutoffs: with `times` or `path_file`, report_cutoff_series; otherwise
// the table or CSV goes to `out` entry by entry as each scan
// completes; messages (configuration errors, the year notice, trajectories
// that cannot be integrated) go to `errors`, and the progress bar to standard
// error when it is a terminal.
// Returned: the exit status: 0 done; 1 the configuration cannot be used;
//   2 `out` cannot be written (checked after every row; the run ends there
//   and no chart is written) or the chart cannot be written (found before
//   the scan when its file cannot be created; no partial chart is left);
//   3 a trajectory cannot be integrated (its entry's row says so, every
//   other row is complete).
// Notes: throws UsageError for a scan of more than kMaxCutoffTrajectories.
int run_cutoffs(const CutoffsRequest& request, std::ostream& out, std::ostream& errors);

// The part of run_cutoffs after the configuration is read: the same outputs
// and exit statuses for a configuration at hand (its path in `request` is
// not read again; a chart file that is that file is refused).
int report_cutoffs(const RunConfiguration& config, const CutoffsRequest& request, std::ostream& out,
                   std::ostream& errors);

// The part of run_cutoffs for a series: every station entry at each of
// `request.times`, or the one vertical entry of each point of the path file,
// each moment with its own epoch and (with OMNI files) its own driving
// parameters, scanned by scan_cutoffs on all threads, moment after moment.
// Returned: the exit statuses of report_cutoffs; 1 also for a path file or
//   OMNI files that cannot be used, or a moment whose inputs the records
//   cannot give (nothing is traced then). The table (cutoff_series_heading,
//   cutoff_series_row) or CSV goes to `out` row by row; with svg_path the
//   chart of cutoff_series_chart_svg (one panel per station entry, or one
//   for the path) is written at the end.
int report_cutoff_series(const RunConfiguration& config, const CutoffsRequest& request, std::ostream& out,
                         std::ostream& errors);

}  // namespace cones
