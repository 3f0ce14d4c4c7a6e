// scan_compare: the full and the adaptive cutoff scan of the same points, side
// by side. Prints every point where RL, RU, Rc, the bands or the allowed runs
// differ, the trajectories each scan traced, its wall and CPU time and rate,
// and what the full scans say about the adaptive scan's margins: the widest
// forbidden gap below an allowed band and the widest allowed band below a
// forbidden rigidity, also as fractions of the margins there (each must stay
// below 1; the margins were chosen at 1.5 times these or more). Rerun it
// whenever the field models change.
//
//   scan_compare [--map] [--lat-step D] [--lon-step D]
//                [--random N] [--dates D] [--seed S]
//                [--from R] [--to R] [--step S] [--threads N] [--lanes W]
//                [--runs FILE] [--only-full] [CONFIG]
//
// Points: the station entries of CONFIG (default); with --map the vertical
// entries of the world grid (steps 5 degrees unless given); with --random N
// vertical entries at N random places (uniform over the sphere) on D random
// dates and times from 1965 to 2024 (default 10), N / D per date, from the
// seed S (default 1). The field model, its parameters and the altitude come
// from CONFIG. --runs FILE writes each point's allowed runs of the full scan
// (grid indices) for further study; --only-full runs only the full scans
// (for their statistics).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "io/engine_inputs.hpp"
#include "apps/command_line.hpp"
#include "apps/scan_program.hpp"
#include "io/calendar.hpp"
#include "io/config.hpp"
#include "io/cutoff_table.hpp"
#include "io/run_description.hpp"
#include "tracing/cutoff_scan.hpp"
#include "tracing/map_grid.hpp"

namespace cones {
namespace {

// Points traced with the same date: a configuration and its entries.
struct PointSet {
    RunConfiguration config;
    std::vector<StationEntry> entries;
};

struct ScanRun {
    std::vector<EntryCutoffs> points;
    LaneStatistics lanes;  // summed over the sets of points
    std::size_t traced = 0;
    double wall = 0.0;  // s
    double cpu = 0.0;   // s, all threads of the process
};

ScanRun run_scan(const PointSet& set, const ScanGrid& grid, ScanMode mode, unsigned threads, unsigned lanes) {
    std::ostringstream notice;
    const EpochState epoch = epoch_of(set.config, notice);
    const TraceSettings settings = trace_settings_of(set.config, epoch);
    CutoffScanOptions options;
    options.threads = threads;
    options.lanes = lanes;
    options.keep_runs = true;
    options.mode = mode;
    ScanRun run;
    options.statistics = &run.lanes;
    const auto wall_start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    run.traced = scan_cutoffs(settings, set.entries, grid, options,
                              [&](std::size_t, const EntryCutoffs& cutoffs) { run.points.push_back(cutoffs); });
    run.cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    return run;
}

bool same_cutoff(const Cutoff& a, const Cutoff& b) { return a.place == b.place && a.rigidity == b.rigidity; }

bool same_runs(const EntryCutoffs& a, const EntryCutoffs& b) {
    if (a.allowed_runs.size() != b.allowed_runs.size()) return false;
    for (std::size_t k = 0; k < a.allowed_runs.size(); ++k) {
        if (a.allowed_runs[k].first != b.allowed_runs[k].first || a.allowed_runs[k].last != b.allowed_runs[k].last) {
            return false;
        }
    }
    return true;
}

std::string cutoffs_text(const EntryCutoffs& c, const ScanGrid& grid) {
    if (c.failed) return "integration failed at " + fixed_number(c.failed_rigidity, rigidity_decimals(grid)) + " GV";
    const auto text = [&](const Cutoff& cutoff) {
        switch (cutoff.place) {
            case CutoffPlace::kAt: return fixed_number(cutoff.rigidity, rigidity_decimals(grid));
            case CutoffPlace::kBelow: return "below " + fixed_number(cutoff.rigidity, rigidity_decimals(grid));
            case CutoffPlace::kAbove: return "above " + fixed_number(cutoff.rigidity, rigidity_decimals(grid));
            case CutoffPlace::kUnresolved: break;
        }
        return std::string("unresolved");
    };
    return "RL " + text(c.lower) + ", RU " + text(c.upper) + ", Rc " + text(c.effective) + ", bands " +
           std::to_string(c.bands);
}

std::string point_text(const PointSet& set, const StationEntry& entry) {
    char text[160];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d lat %.4f lon %.4f zen %g azi %g", set.config.year,
                  set.config.month, set.config.day, set.config.hour, set.config.minute, entry.latitude,
                  entry.longitude, entry.zenith, entry.azimuth);
    return text;
}

// The largest of a measure over the points, with the point where it is.
struct Largest {
    double value = 0.0;
    std::string where;
    void offer(double candidate, const std::string& point) {
        if (candidate > value) {
            value = candidate;
            where = point;
        }
    }
};

// What the full scans say about the adaptive scan's margins.
struct MarginStatistics {
    // Forbidden gaps below an allowed band: in steps, GV, as a fraction of
    // the band's lowest rigidity, and as a fraction of the margin below it.
    Largest gap_steps, gap_gv, gap_relative, gap_of_margin;
    // Allowed bands below a forbidden rigidity (not reaching the start of the
    // grid): in steps, GV, and as a fraction of the margin above the
    // forbidden rigidity just below the band.
    Largest band_steps, band_gv, band_of_margin;
};

// Adds one point's full scan to `stats`.
void add_margins(const EntryCutoffs& full, const ScanGrid& grid, const std::string& point, MarginStatistics& stats) {
    if (full.failed) return;
    const auto& runs = full.allowed_runs;
    for (std::size_t k = 1; k < runs.size(); ++k) {
        const std::size_t gap = runs[k].first - runs[k - 1].last - 1;
        const double width = static_cast<double>(gap) * grid.step();
        stats.gap_steps.offer(static_cast<double>(gap), point);
        stats.gap_gv.offer(width, point);
        stats.gap_relative.offer(width / grid.rigidity(runs[k].first), point);
        stats.gap_of_margin.offer(
            static_cast<double>(gap) / static_cast<double>(adaptive_margin_below(grid, runs[k].first)), point);
    }
    for (std::size_t k = 0; k + 1 < runs.size(); ++k) {
        if (runs[k].first == 0) continue;
        const std::size_t band = runs[k].last - runs[k].first + 1;
        stats.band_steps.offer(static_cast<double>(band), point);
        stats.band_gv.offer(static_cast<double>(band) * grid.step(), point);
        stats.band_of_margin.offer(
            static_cast<double>(band) / static_cast<double>(adaptive_margin_above(grid, runs[k].first - 1)), point);
    }
}

void write_runs(std::ostream& out, const PointSet& set, const StationEntry& entry, const EntryCutoffs& full) {
    out << point_text(set, entry) << ':';
    for (const AllowedRun& run : full.allowed_runs) out << ' ' << run.first << '-' << run.last;
    out << '\n';
}

std::vector<PointSet> random_sets(const RunConfiguration& base, std::size_t points, std::size_t dates,
                                  unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<int> year(1965, 2024), month(1, 12), hour(0, 23), minute(0, 59);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<PointSet> sets;
    for (std::size_t d = 0; d < dates; ++d) {
        PointSet set{base, {}};
        set.config.year = year(random);
        set.config.month = month(random);
        set.config.day = std::uniform_int_distribution<int>(1, days_in_month(set.config.month, set.config.year))(random);
        set.config.hour = hour(random);
        set.config.minute = minute(random);
        set.config.second = 0;
        const std::size_t count = points / dates + (d < points % dates ? 1 : 0);
        for (std::size_t k = 0; k < count; ++k) {
            StationEntry entry;
            // Uniform over the sphere: the sine of the latitude is uniform.
            entry.latitude = std::asin(2.0 * unit(random) - 1.0) * 180.0 / 3.14159265358979323846;
            entry.longitude = -180.0 + 360.0 * unit(random);
            set.entries.push_back(entry);
        }
        sets.push_back(set);
    }
    return sets;
}

int run(int argc, char** argv) {
    const CommandLine line(argc, argv,
                           {{"map", false}, kLatitudeStepOption, kLongitudeStepOption, {"random", true},
                            {"dates", true}, {"seed", true}, kFromOption, kToOption, kStepOption, kThreadsOption,
                            kLanesOption, {"runs", true}, {"only-full", false}});
    const ScanGrid grid = scan_grid_option(line);
    const std::string path = configuration_path(line);
    const bool map = line.has("map");
    const bool random = line.has("random");
    const std::optional<RunConfiguration> config =
        read_scan_configuration(path, NeededLists{!map && !random, false}, std::cerr);
    if (!config) return 1;

    std::vector<PointSet> sets;
    if (map) {
        const MapGrid world = map_grid_option(line);
        PointSet set{*config, {}};
        for (std::size_t p = 0; p < world.point_count(); ++p) set.entries.push_back(world.entry(p));
        sets.push_back(set);
    } else if (random) {
        const auto points = static_cast<std::size_t>(number_option_or(line, {"random", true}, 0));
        const auto dates = static_cast<std::size_t>(number_option_or(line, {"dates", true}, 10));
        const auto seed = static_cast<unsigned>(number_option_or(line, {"seed", true}, 1));
        if (points == 0 || dates == 0) throw UsageError("--random and --dates expect whole numbers above 0");
        sets = random_sets(*config, points, std::min(points, dates), seed);
    } else {
        sets.push_back(PointSet{*config, station_entries(*config)});
    }
    const unsigned threads = threads_of(line);
    const unsigned lanes = lanes_of(line);
    std::ofstream runs_file;
    if (line.has("runs")) runs_file.open(*line.value("runs"));

    std::size_t points = 0, mismatches = 0, run_mismatches = 0;
    ScanRun full_total, adaptive_total;
    MarginStatistics margins;
    for (const PointSet& set : sets) {
        const ScanRun full = run_scan(set, grid, ScanMode::kFull, threads, lanes);
        const ScanRun adaptive =
            line.has("only-full") ? full : run_scan(set, grid, ScanMode::kAdaptive, threads, lanes);
        for (std::size_t k = 0; k < set.entries.size(); ++k) {
            const EntryCutoffs& a = full.points[k];
            const EntryCutoffs& b = adaptive.points[k];
            const std::string point = point_text(set, set.entries[k]);
            if (runs_file.is_open()) write_runs(runs_file, set, set.entries[k], a);
            add_margins(a, grid, point, margins);
            const bool same = a.failed == b.failed && a.failed_rigidity == b.failed_rigidity &&
                              same_cutoff(a.lower, b.lower) && same_cutoff(a.upper, b.upper) &&
                              same_cutoff(a.effective, b.effective) && a.bands == b.bands;
            if (!same) {
                ++mismatches;
                std::cout << "MISMATCH " << point << ": full " << cutoffs_text(a, grid) << "; adaptive "
                          << cutoffs_text(b, grid) << '\n';
            } else if (!same_runs(a, b)) {
                ++run_mismatches;
                std::cout << "RUNS DIFFER " << point << '\n';
            }
        }
        points += set.entries.size();
        for (ScanRun* total : {&full_total, &adaptive_total}) {
            const ScanRun& run = total == &full_total ? full : adaptive;
            total->lanes.width = run.lanes.width;
            total->lanes.batches += run.lanes.batches;
            total->lanes.busy_lanes += run.lanes.busy_lanes;
        }
        full_total.traced += full.traced;
        full_total.wall += full.wall;
        full_total.cpu += full.cpu;
        adaptive_total.traced += adaptive.traced;
        adaptive_total.wall += adaptive.wall;
        adaptive_total.cpu += adaptive.cpu;
    }

    const auto report = [&](const char* name, const ScanRun& run) {
        std::printf("%-9s %10zu trajectories %8.1f s wall %8.1f s CPU (%.2f threads busy) %8.0f trajectories/s wall "
                    "%.4f ms CPU each, lanes %u busy %.3f\n",
                    name, run.traced, run.wall, run.cpu, run.cpu / run.wall,
                    static_cast<double>(run.traced) / run.wall, 1e3 * run.cpu / static_cast<double>(run.traced),
                    run.lanes.width, run.lanes.occupancy());
    };
    std::printf("%s: %zu points, scan %s to %s GV in steps of %s GV\n", path.c_str(), points,
                shortest_number(grid.from()).c_str(), shortest_number(grid.to()).c_str(),
                shortest_number(grid.step()).c_str());
    report("full", full_total);
    report("adaptive", adaptive_total);
    std::printf("full / adaptive: %.2f times the trajectories, %.2f times the wall time\n",
                static_cast<double>(full_total.traced) / static_cast<double>(adaptive_total.traced),
                full_total.wall / adaptive_total.wall);
    std::printf("points with different RL, RU, Rc, bands or failure: %zu; with only different allowed runs: %zu\n",
                mismatches, run_mismatches);
    std::printf("widest forbidden gap below an allowed band (full scans):\n");
    std::printf("  %g steps at %s\n", margins.gap_steps.value, margins.gap_steps.where.c_str());
    std::printf("  %g GV at %s\n", margins.gap_gv.value, margins.gap_gv.where.c_str());
    std::printf("  %.4f of the band's rigidity at %s\n", margins.gap_relative.value,
                margins.gap_relative.where.c_str());
    std::printf("  %.3f of the margin below at %s\n", margins.gap_of_margin.value,
                margins.gap_of_margin.where.c_str());
    std::printf("widest allowed band below a forbidden rigidity (full scans):\n");
    std::printf("  %g steps at %s\n", margins.band_steps.value, margins.band_steps.where.c_str());
    std::printf("  %g GV at %s\n", margins.band_gv.value, margins.band_gv.where.c_str());
    std::printf("  %.3f of the margin above at %s\n", margins.band_of_margin.value,
                margins.band_of_margin.where.c_str());
    return mismatches == 0 ? 0 : 3;
}

}  // namespace
}  // namespace cones

int main(int argc, char** argv) {
    try {
        return cones::run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "scan_compare: " << error.what() << '\n';
        return 1;
    }
}
