#include "io/engine_inputs.hpp"
#include "apps/cutoffs_run.hpp"

#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/cones_run.hpp"
#include "apps/progress_bar.hpp"
#include "apps/scan_program.hpp"
#include "io/cutoff_table.hpp"
#include "io/output_file.hpp"
#include "io/penumbra_chart.hpp"
#include "io/replaced_file.hpp"
#include "io/run_description.hpp"

namespace cones {
namespace {

// The chart's label of an entry: its name, and its direction when it is not vertical.
std::string chart_label(const StationRecord& station) {
    std::string label = trimmed_name(station);
    if (station.zenith != 0) {
        label += " (zenith " + std::to_string(station.zenith) + ", azimuth " + std::to_string(station.azimuth) + ")";
    }
    return label;
}

}  // namespace

int run_cutoffs(const CutoffsRequest& request, std::ostream& out, std::ostream& errors) {
    const std::optional<RunConfiguration> config =
        read_scan_configuration(request.configuration_path, NeededLists{true, false}, errors, request.internal_field,
                                request.choices);
    if (!config) return kExitBadConfiguration;
    return report_cutoffs(*config, request, out, errors);
}

int report_cutoffs(const RunConfiguration& config, const CutoffsRequest& request, std::ostream& out,
                   std::ostream& errors) {
    const ScanGrid& grid = request.grid;
    if (grid.count() > kMaxCutoffTrajectories / config.stations.size()) {
        throw UsageError("the scan would trace " + std::to_string(grid.count()) + " rigidities at each of " +
                         std::to_string(config.stations.size()) + " station entries, more than " +
                         std::to_string(kMaxCutoffTrajectories) + " trajectories in all");
    }

    std::unique_ptr<ReplacedFile> chart;
    try {
        if (!request.svg_path.empty()) {
            chart = std::make_unique<ReplacedFile>(request.svg_path, request.configuration_path);
        }
    } catch (const OutputError& error) {
        errors << error.what() << '\n';
        return kExitOutputFailed;
    }

    const EpochState epoch = epoch_of(config, errors);
    errors << internal_field_span_notice(config);
    const TraceSettings settings = trace_settings_of(config, epoch);
    const std::vector<StationEntry> entries = station_entries(config);

    try {
        out << (request.csv ? cutoff_csv_header() : cutoff_table_heading(config, grid)) << std::flush;
        check_standard_output(out);
    } catch (const OutputError& error) {
        errors << error.what() << '\n';
        return kExitOutputFailed;
    }
    ProgressBar progress = ProgressBar::on_standard_error(entries.size() * grid.count());
    std::vector<PenumbraRow> rows;
    std::vector<bool> reported(entries.size(), false);
    int status = kExitSuccess;

    CutoffScanOptions options;
    options.threads = request.threads;
    options.lanes = request.lanes;
    options.on_fewer_threads = fewer_threads_notice("cutoffs", errors);
    options.keep_runs = chart != nullptr;
    options.mode = request.mode;
    options.on_progress = [&](std::size_t settled) { progress.update(settled); };
    options.on_failure = [&](std::size_t entry, double rigidity) {
        status = kExitIntegrationFailed;
        if (reported[entry]) return;
        reported[entry] = true;
        progress.clear();
        errors << "cutoffs: the trajectory of station " << trimmed_name(config.stations[entry]) << " at rigidity "
               << fixed_number(rigidity, rigidity_decimals(grid))
               << " GV cannot be integrated: the step size fell to its minimum without meeting the tolerances. "
                  "Its row says so; the other stations are scanned in full.\n"
               << std::flush;
    };
    try {
        scan_cutoffs(settings, entries, grid, options, [&](std::size_t entry, const EntryCutoffs& cutoffs) {
            const StationRecord& station = config.stations[entry];
            progress.clear();
            out << (request.csv ? cutoff_csv_row(station, cutoffs, grid) : cutoff_table_row(station, cutoffs, grid))
                << std::flush;
            check_standard_output(out);
            if (chart) rows.push_back({chart_label(station), cutoffs});
        });
    } catch (const OutputError& error) {
        progress.clear();
        errors << error.what() << '\n';
        return kExitOutputFailed;
    }
    progress.finish();

    if (chart) {
        const std::string title = "Penumbra, " + run_time_text(config) + ", " + field_model_text(config) +
                                  ", start altitude " + shortest_number(config.altitude_km) + " km" +
                                  tracing_choices_text(config);
        try {
            chart->commit(penumbra_chart_svg(rows, grid, title));
        } catch (const OutputError& error) {
            errors << error.what() << '\n';
            return kExitOutputFailed;
        }
    }
    return status;
}

}  // namespace cones
