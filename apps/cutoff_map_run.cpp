#include "io/engine_inputs.hpp"
#include "apps/cutoff_map_run.hpp"

#include "apps/omni_option.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/cones_run.hpp"
#include "apps/progress_bar.hpp"
#include "apps/scan_program.hpp"
#include "io/cutoff_map_netcdf.hpp"
#include "io/cutoff_table.hpp"
#include "io/output_file.hpp"
#include "io/replaced_file.hpp"
#include "io/run_description.hpp"

namespace cones {
namespace {

// Failed points named one by one before the rest are counted.
constexpr std::size_t kFailuresNamed = 20;

std::string point_text(const MapGrid& map, std::size_t p) {
    return "latitude " + shortest_number(map.latitude(p / map.longitude_count())) + ", longitude " +
           shortest_number(map.longitude(p % map.longitude_count()));
}

std::string map_csv(const MapGrid& map, const ScanGrid& grid, const std::vector<EntryCutoffs>& points) {
    std::string text = cutoff_map_csv_header();
    for (std::size_t p = 0; p < points.size(); ++p) {
        text += cutoff_map_csv_row(map.latitude(p / map.longitude_count()), map.longitude(p % map.longitude_count()),
                                   points[p], grid);
    }
    return text;
}

// Names the points whose trajectories could not be integrated; true if any.
bool report_failures(const MapGrid& map, const ScanGrid& grid, const std::vector<EntryCutoffs>& points,
                     std::ostream& errors) {
    std::size_t failed = 0;
    for (std::size_t p = 0; p < points.size(); ++p) {
        if (!points[p].failed) continue;
        if (++failed <= kFailuresNamed) {
            errors << "cutoff-map: the trajectory at " << point_text(map, p) << " at rigidity "
                   << fixed_number(points[p].failed_rigidity, rigidity_decimals(grid))
                   << " GV cannot be integrated; the point is marked integration_failed in the map.\n";
        }
    }
    if (failed > kFailuresNamed) {
        errors << "cutoff-map: " << failed - kFailuresNamed << " more points cannot be integrated.\n";
    }
    return failed > 0;
}

// The 64-bit FNV-1a digest of a text.
std::uint64_t digest(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Texts joined by blanks. (Built by appending: the concatenation of
// temporaries draws a false -Wrestrict warning from GCC 12 at -O2.)
std::string joined(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) text += ' ';
        text += part;
    }
    return text;
}

// Every value of a configuration that a map depends on, each written so that
// it reads back to the same double.
std::string configuration_values(const RunConfiguration& config) {
    std::string text = joined({run_time_text(config), std::to_string(config.field_model_code),
                               config.internal_field->name, shortest_number(config.altitude_km)});
    for (const double parameter : config.parameters) text = joined({text, shortest_number(parameter)});
    return text;
}

// The map and scan grids and the program's version.
std::string map_options(const MapGrid& map, const ScanGrid& grid) {
    return joined({shortest_number(map.latitude_step()), shortest_number(map.longitude_step()),
                   shortest_number(grid.from()), shortest_number(grid.to()), shortest_number(grid.step()),
                   std::to_string(grid.count()), program_version()});
}

void report_shares(const std::vector<RankShare>& shares, std::ostream& errors) {
    double slowest = 0.0, total = 0.0;
    for (const RankShare& share : shares) {
        slowest = std::max(slowest, share.seconds);
        total += share.seconds;
    }
    errors << "cutoff-map: " << shares.size() << " ranks; grid points and tracing time per rank:";
    for (std::size_t r = 0; r < shares.size(); ++r) {
        errors << (r == 0 ? " " : ", ") << shares[r].points << " in " << fixed_number(shares[r].seconds, 1) << " s";
    }
    errors << "; slowest " << fixed_number(slowest, 1) << " s, mean "
           << fixed_number(total / static_cast<double>(shares.size()), 1) << " s\n";
}

}  // namespace

CutoffMapRequest cutoff_map_request(int argc, const char* const* argv) {
    const CommandLine line(argc, argv,
                           {kLatitudeStepOption, kLongitudeStepOption, kFromOption, kToOption, kStepOption,
                            kScanOption, kThreadsOption, kLanesOption, kIgrfOption, kOmniOption, kGeodeticOption,
                            kParticleOption, {"csv", false}, {"output", true, 'o'}});
    const bool csv = line.has("csv");
    const std::string output = line.value("output").value_or(csv ? "cutoff-map.csv" : "cutoff-map.nc");
    if (output.empty()) throw UsageError("option -o needs a file name");
    return CutoffMapRequest{configuration_path(line), map_grid_option(line), scan_grid_option(line),
                            scan_mode_option(line), threads_of(line), lanes_of(line), csv, output, internal_field_of(line),
                            omni_files_option(line), tracing_choices_of(line)};
}

int run_cutoff_map(const CutoffMapRequest& request, const MapRanks& ranks, std::ostream& errors,
                   const BeforeChunk& before_chunk) {
    const bool root = ranks.is_root();
    const MapGrid& map = request.map;
    const ScanGrid& grid = request.grid;

    // Every rank reads the configuration; rank 0 reports a problem, another
    // rank only one that rank 0 did not meet (a file missing on its node).
    std::ostringstream configuration_errors;
    const std::optional<RunConfiguration> config =
        read_scan_configuration(request.configuration_path, NeededLists{false, false}, configuration_errors,
                                request.internal_field, request.choices,
                                omni_preparation(request.omni_files, "cutoff-map", configuration_errors));
    if (root) {
        errors << configuration_errors.str();
    }
    const int read_status = config ? kExitSuccess : kExitBadConfiguration;
    if (ranks.agree(read_status) != kExitSuccess) {
        const int root_status = ranks.agree(root ? read_status : kExitSuccess);
        if (!root && read_status != kExitSuccess && root_status == kExitSuccess) {
            errors << "cutoff-map: rank " << ranks.rank() << ": " << configuration_errors.str();
        }
        return kExitBadConfiguration;
    }

    // Every rank must trace the same map; ranks started with another
    // configuration or other grids would give a mixed map.
    const int other_configuration = ranks.first_differing(digest(configuration_values(*config)));
    const int other_grids = ranks.first_differing(digest(map_options(map, grid)));
    if (other_configuration >= 0 || other_grids >= 0) {
        if (root) {
            const bool configuration_differs = other_configuration >= 0;
            errors << "cutoff-map: rank " << (configuration_differs ? other_configuration : other_grids) << " of "
                   << ranks.size() << " was started with "
                   << (configuration_differs
                           ? "another configuration than rank 0 (its date, time, field model, IGRF generation, model "
                             "parameters or start altitude differ)"
                           : "other options than rank 0 (its --lat-step, --lon-step, --from, --to or --step "
                             "differ, or it runs another version of cutoff-map)")
                   << "; every rank must trace the same map. No map is written.\n";
        }
        return kExitBadConfiguration;
    }

    // The file is checked (a temporary file created beside it and removed)
    // before the scan, so that a path that cannot be written is found at once.
    std::unique_ptr<ReplacedFile> output;
    int status = kExitSuccess;
    if (root) {
        try {
            output = std::make_unique<ReplacedFile>(request.output_path, request.configuration_path);
        } catch (const OutputError& error) {
            errors << error.what() << '\n';
            status = kExitOutputFailed;
        }
    }
    if (ranks.agree(status) != kExitSuccess) return kExitOutputFailed;

    std::ostringstream worker_notice;
    const EpochState epoch = epoch_of(*config, root ? errors : worker_notice);
    if (root) errors << internal_field_span_notice(*config);
    const TraceSettings settings = trace_settings_of(*config, epoch);

    const FewerThreadsNotice fewer_threads = fewer_threads_notice(
        ranks.size() > 1 ? "cutoff-map: rank " + std::to_string(ranks.rank()) : std::string("cutoff-map"), errors);
    const ChunkScan scan = [&](std::size_t first, std::size_t count, std::vector<EntryCutoffs>& out,
                               const std::function<void(std::size_t)>& traced) {
        if (before_chunk) before_chunk(first, count);
        std::vector<StationEntry> entries(count);
        for (std::size_t k = 0; k < count; ++k) entries[k] = map.entry(first + k);
        CutoffScanOptions options;
        options.threads = request.threads;
        options.lanes = request.lanes;
        options.mode = request.mode;
        options.on_fewer_threads = fewer_threads;
        options.on_progress = traced;
        scan_cutoffs(settings, entries, grid, options,
                     [&](std::size_t, const EntryCutoffs& cutoffs) { out.push_back(cutoffs); });
    };
    const PointsText describe = [&](std::size_t first, std::size_t count) {
        if (count == 1) return point_text(map, first);
        return "from " + point_text(map, first) + " to " + point_text(map, first + count - 1);
    };
    std::ostringstream no_bar;
    ProgressBar progress = root ? ProgressBar::on_standard_error(map.point_count() * grid.count())
                                : ProgressBar(no_bar, 0, false);
    const MapScan result = ranks.scan(
        map.point_count(), grid.count(), scan, [&](std::size_t done) { progress.update(done); }, describe, errors);
    progress.finish();

    if (root) {
        if (report_failures(map, grid, result.points, errors)) status = kExitIntegrationFailed;
        try {
            if (request.csv) {
                output->commit(map_csv(map, grid, result.points));
            } else {
                output->commit(cutoff_map_netcdf(*config, map, grid, cutoff_map_title(*config),
                                                 std::string("cutoff-map ") + program_version(), result.points));
            }
        } catch (const OutputError& error) {
            errors << error.what() << '\n';
            status = kExitOutputFailed;
        }
        if (ranks.size() > 1) report_shares(result.ranks, errors);
    }
    return ranks.agree(status);
}

}  // namespace cones
