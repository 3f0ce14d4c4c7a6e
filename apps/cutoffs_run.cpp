#include "io/engine_inputs.hpp"
#include "apps/cutoffs_run.hpp"

#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <optional>
#include <ostream>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/cones_run.hpp"
#include "apps/cutoff_series.hpp"
#include "apps/omni_option.hpp"
#include "apps/progress_bar.hpp"
#include "apps/scan_program.hpp"
#include "io/cutoff_series_chart.hpp"
#include "io/cutoff_table.hpp"
#include "io/output_file.hpp"
#include "io/penumbra_chart.hpp"
#include "io/replaced_file.hpp"
#include "io/run_description.hpp"
#include "tracing/field_selector.hpp"

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

// Creates the chart file of a request before anything is traced (none
// without --svg). Returned: false after reporting a file that cannot be
// created.
bool open_chart(const CutoffsRequest& request, std::unique_ptr<ReplacedFile>& chart, std::ostream& errors) {
    try {
        if (!request.svg_path.empty()) {
            chart = std::make_unique<ReplacedFile>(request.svg_path, request.configuration_path);
        }
    } catch (const OutputError& error) {
        errors << error.what() << '\n';
        return false;
    }
    return true;
}

// The scan options of a request: its threads, lanes and mode, the progress
// bar counting on from `settled_before`, and each entry whose trajectory
// cannot be integrated reported once ("... at rigidity R GV<where> cannot
// be integrated: ... <after>") and the status set.
CutoffScanOptions scan_options(const CutoffsRequest& request, std::ostream& errors, ProgressBar& progress,
                               std::size_t settled_before, int& status, std::vector<bool>& reported,
                               const std::vector<StationRecord>& stations, const std::string& where,
                               const std::string& after) {
    CutoffScanOptions options;
    options.threads = request.threads;
    options.lanes = request.lanes;
    options.on_fewer_threads = fewer_threads_notice("cutoffs", errors);
    options.mode = request.mode;
    options.on_progress = [&progress, settled_before](std::size_t settled) { progress.update(settled_before + settled); };
    options.on_failure = [&, where, after](std::size_t entry, double rigidity) {
        status = kExitIntegrationFailed;
        if (reported[entry]) return;
        reported[entry] = true;
        progress.clear();
        errors << "cutoffs: the trajectory of station " << trimmed_name(stations[entry]) << where << " at rigidity "
               << fixed_number(rigidity, rigidity_decimals(request.grid))
               << " GV cannot be integrated: the step size fell to its minimum without meeting the tolerances. "
               << after << "\n"
               << std::flush;
    };
    return options;
}

}  // namespace

int run_cutoffs(const CutoffsRequest& request, std::ostream& out, std::ostream& errors) {
    const bool series = !request.times.empty() || !request.path_file.empty();
    // A path brings its own places: the configuration's station list may be empty.
    const NeededLists needed{request.path_file.empty(), false};
    const std::optional<RunConfiguration> config = read_scan_configuration(
        request.configuration_path, needed, errors, request.internal_field, request.choices,
        series ? std::function<void(RunConfiguration&)>() : omni_preparation(request.omni_files, "cutoffs", errors));
    if (!config) return kExitBadConfiguration;
    return series ? report_cutoff_series(*config, request, out, errors) : report_cutoffs(*config, request, out, errors);
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
    if (!open_chart(request, chart, errors)) return kExitOutputFailed;

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

    CutoffScanOptions options = scan_options(request, errors, progress, 0, status, reported, config.stations, "",
                                             "Its row says so; the other stations are scanned in full.");
    options.keep_runs = chart != nullptr;
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

namespace {

// The moments of a series request: OMNI files read and each moment's
// configuration made before anything is traced.
std::vector<SeriesMoment> series_of(const RunConfiguration& config, const CutoffsRequest& request) {
    std::optional<OmniData> omni;
    if (request.omni_files) omni = read_omni_files(*request.omni_files);
    const OmniData* data = omni ? &*omni : nullptr;
    if (!request.path_file.empty()) return path_moments(config, read_path_file(request.path_file), data);
    return time_series_moments(config, request.times, data);
}

// The title of a series: what was scanned, over which moments, in which model.
std::string series_title(const std::vector<SeriesMoment>& moments, const CutoffsRequest& request) {
    const RunConfiguration& first = moments.front().config;
    const RunConfiguration& last = moments.back().config;
    std::string what = request.path_file.empty() ? "Cutoff rigidities (GV)" : "Vertical cutoff rigidities (GV) along " + request.path_file;
    std::string text = what + ", " + run_time_text(first) + " to " + run_time_text(last) + ", " +
                       field_model_text(first, false);
    if (request.path_file.empty()) text += ", start altitude " + shortest_number(first.altitude_km) + " km";
    return text;
}

}  // namespace

int report_cutoff_series(const RunConfiguration& config, const CutoffsRequest& request, std::ostream& out,
                         std::ostream& errors) {
    std::vector<SeriesMoment> moments;
    try {
        moments = series_of(config, request);
    } catch (const std::runtime_error& error) {  // a path or OMNI file, or inputs the records cannot give
        errors << error.what() << '\n';
        return kExitBadConfiguration;
    }
    const ScanGrid& grid = request.grid;
    const std::size_t entry_count = moments.front().config.stations.size();
    if (grid.count() > kMaxCutoffTrajectories / (entry_count * moments.size())) {
        throw UsageError("the series would trace " + std::to_string(grid.count()) + " rigidities at each of " +
                         std::to_string(entry_count) + " station entries at " + std::to_string(moments.size()) +
                         " moments, more than " + std::to_string(kMaxCutoffTrajectories) + " trajectories in all");
    }
    std::unique_ptr<ReplacedFile> chart;
    if (!open_chart(request, chart, errors)) return kExitOutputFailed;
    // The notices of the epochs (a year outside the reference field's range,
    // a date beyond its generation's span), each said once.
    std::set<std::string> said;
    const auto notify = [&](const std::string& notice) {
        if (!notice.empty() && said.insert(notice).second) errors << notice;
    };
    for (const SeriesMoment& moment : moments) {
        for (const std::string& warning : omni_input_warnings(moment.config)) notify(warning + "\n");
    }

    try {
        out << (request.csv ? cutoff_series_csv_header(config)
                            : cutoff_series_heading(series_title(moments, request), config, grid))
            << std::flush;
        check_standard_output(out);
    } catch (const OutputError& error) {
        errors << error.what() << '\n';
        return kExitOutputFailed;
    }

    ProgressBar progress = ProgressBar::on_standard_error(moments.size() * entry_count * grid.count());
    std::vector<SeriesChartPanel> panels(request.path_file.empty() ? entry_count : 1);
    for (std::size_t e = 0; e < panels.size(); ++e) {
        panels[e].label = request.path_file.empty() ? chart_label(config.stations[e]) : "along " + request.path_file;
    }
    std::vector<DstPoint> dst;
    bool sym_h = false;
    int status = kExitSuccess;
    std::size_t settled_before = 0;
    for (const SeriesMoment& moment : moments) {
        const RunConfiguration& at = moment.config;
        std::ostringstream notice;
        const EpochState epoch = epoch_of(at, notice);
        notify(notice.str());
        notify(internal_field_span_notice(at));
        const TraceSettings settings = trace_settings_of(at, epoch);
        const std::vector<StationEntry> entries = station_entries(at);
        std::vector<bool> reported(entries.size(), false);

        const CutoffScanOptions options =
            scan_options(request, errors, progress, settled_before, status, reported, at.stations,
                         " at " + run_time_text(at), "Its row says so; the other rows are complete.");
        try {
            scan_cutoffs(settings, entries, grid, options, [&](std::size_t entry, const EntryCutoffs& cutoffs) {
                const StationRecord& station = at.stations[entry];
                progress.clear();
                out << (request.csv ? cutoff_series_csv_row(at, station, cutoffs, grid)
                                    : cutoff_series_row(at, station, cutoffs, grid))
                    << std::flush;
                check_standard_output(out);
                if (chart) panels[request.path_file.empty() ? entry : 0].points.push_back({configured_moment(at), cutoffs});
            });
        } catch (const OutputError& error) {
            progress.clear();
            errors << error.what() << '\n';
            return kExitOutputFailed;
        }
        settled_before += entries.size() * grid.count();
        // Dst beneath the cutoffs: the value the model read, or that of the
        // OMNI records where the model reads none.
        const bool model_reads_dst =
            field_model_description(field_model_of_code(at.field_model_code)).reads.has(ModelInput::kDst);
        double value = SolarWindRecord::kMissing;
        if (model_reads_dst) {
            value = at.parameters[static_cast<std::size_t>(ModelInput::kDst)];
        } else if (moment.inputs && moment.inputs->sources[static_cast<std::size_t>(ModelInput::kDst)].enough()) {
            value = moment.inputs->parameters[static_cast<std::size_t>(ModelInput::kDst)];
        }
        if (moment.inputs && moment.inputs->dst_is_sym_h) sym_h = true;
        dst.push_back({configured_moment(at), value});
    }
    progress.finish();

    if (chart) {
        try {
            chart->commit(cutoff_series_chart_svg(panels, dst, sym_h ? "Dst (SYM-H)" : "Dst",
                                                  series_title(moments, request)));
        } catch (const OutputError& error) {
            errors << error.what() << '\n';
            return kExitOutputFailed;
        }
    }
    return status;
}

}  // namespace cones
