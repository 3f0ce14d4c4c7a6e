// The run of cutoffs: read the configuration, scan every station entry over
// the rigidity grid, and report each entry's cutoff rigidities as a table or
// CSV, optionally with the penumbra chart.
#pragma once

#include <iosfwd>
#include <string>

#include "io/config.hpp"
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
    TracingChoices choices{};  // --geodetic, --particle
};

// Runs cutoffs: the table or CSV goes to `out` entry by entry as each scan
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

}  // namespace cones
