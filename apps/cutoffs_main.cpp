// cutoffs: lower, upper and effective cutoff rigidities of cosmic-ray
// stations from fine rigidity scans.
#include <algorithm>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/cutoff_series.hpp"
#include "apps/omni_option.hpp"
#include "apps/cutoffs_run.hpp"
#include "apps/scan_program.hpp"

namespace {

constexpr const char* kUsage =
    "Usage: cutoffs [options] [CONFIG]\n"
    "       cutoffs --times START END STEP [options] [CONFIG]\n"
    "       cutoffs --path FILE [options] [CONFIG]\n"
    "\n"
    "Traces cosmic-ray proton trajectories backwards from every station entry of\n"
    "CONFIG (default: Cones.ini in the current directory), each with its own\n"
    "zenith and azimuth, at every rigidity of a scan grid, and prints the entry's\n"
    "cutoff rigidities (GV):\n"
    "  RL     lower cutoff: the lowest allowed rigidity of the scan\n"
    "  RU     upper cutoff: the lowest rigidity above which every scanned\n"
    "         rigidity is allowed\n"
    "  Rc     effective cutoff: RU minus the width of the allowed rigidities\n"
    "         below RU (one step for each)\n"
    "  Bands  the number of allowed bands in the penumbra, between RL and RU\n"
    "A cutoff beyond the scanned range is shown as \"below FROM\" or \"above TO\".\n"
    "The date, time, field model and its parameters and the start altitude come\n"
    "from CONFIG; a rigidity list there is allowed and not used.\n"
    "\n"
    "Options:\n"
    "  --from R      first rigidity of the scan, GV (default 0.10)\n"
    "  --to R        last rigidity of the scan, GV (default 20.00)\n"
    "  --step S      rigidity step, GV (default 0.01); rigidity i is FROM + i * S\n"
    "  --scan MODE   adaptive (default): a coarse descent from TO to the penumbra,\n"
    "                then every rigidity from a margin above it (at most 2.0 GV)\n"
    "                to a margin below it (at most 3.2 GV), see the README; full:\n"
    "                every rigidity of the grid. Both give the same cutoffs unless\n"
    "                a band or gap of the penumbra is as wide as a margin\n"
    "  --threads N   trace on N threads (default: all hardware threads); the\n"
    "                results are the same for every N\n"
    "  --lanes W     trace W trajectories at once on each thread: 1, 2, 4 or 8, as\n"
    "                far as the processor has them (default as in cones); the\n"
    "                results are the same for every W\n"
    "  --igrf N      the generation of the reference field: 12 (default; dates to\n"
    "                2020), 13 (to 2025) or 14 (to 2030), degree 13 from 2000\n"
    "  --omni FILES  take the driving parameters the field model reads from OMNI\n"
    "                files (hourly OMNI2, 1- or 5-minute high resolution; names\n"
    "                separated by commas) at the date and time of the run (of\n"
    "                each moment with --times or --path); the values used go to\n"
    "                standard error and into the table's title\n"
    "  --times START END STEP\n"
    "                scan every station entry at START, START + STEP, ... up to\n"
    "                END (UT, YYYY-MM-DDTHH:MM[:SS]; STEP in seconds or with s,\n"
    "                m, h, d: 30m, 1h), each moment with its own epoch and\n"
    "                inputs; one row per moment and entry\n"
    "  --path FILE   vertical cutoffs along a path: FILE is CSV of time,latitude,\n"
    "                longitude,altitude (km) per line (a header line may come\n"
    "                first); each point with its own time, place and start\n"
    "                altitude\n"
    "  --csv         write CSV with a header row instead of the table\n"
    "  --svg FILE    also write the penumbra chart (SVG) to FILE; with --times\n"
    "                or --path the chart of RL, Rc and RU against time with Dst\n"
    "                beneath\n"
    CONES_TRACING_OPTIONS_USAGE
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "A progress bar is shown on standard error when it is a terminal.\n"
    "At most 10000000 trajectories (station entries times rigidities) per run.\n"
    "\n"
    "Exit status: 0 done; 1 the command line or CONFIG cannot be used; 2 the chart\n"
    "cannot be written; 3 a trajectory cannot be integrated (its row says so);\n"
    "4 any other failure (out of memory, say).\n";

}  // namespace

namespace {

// "--times START END STEP" as the one value "--times=START END STEP" that the
// command line parser takes.
std::vector<std::string> joined_times(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--") {
            arguments.insert(arguments.end(), argv + i, argv + argc);
            break;
        }
        if (argument != "--times") {
            arguments.push_back(argument);
            continue;
        }
        if (i + 3 >= argc) throw cones::UsageError("option --times needs three values: START END STEP");
        arguments.push_back("--times=" + std::string(argv[i + 1]) + " " + argv[i + 2] + " " + argv[i + 3]);
        i += 3;
    }
    return arguments;
}

// The moments of "--times=START END STEP".
std::vector<cones::UtSeconds> times_option(const cones::CommandLine& line) {
    const std::optional<std::string> text = line.value("times");
    if (!text) return {};
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text->size()) {
        const std::size_t blank = std::min(text->find(' ', start), text->size());
        parts.push_back(text->substr(start, blank - start));
        start = blank + 1;
    }
    if (parts.size() != 3) throw cones::UsageError("option --times needs three values: START END STEP");
    try {
        return cones::series_moments(cones::parse_ut_time(parts[0]), cones::parse_ut_time(parts[1]),
                                     cones::parse_time_step(parts[2]));
    } catch (const std::invalid_argument& error) {
        throw cones::UsageError(std::string("option --times: ") + error.what());
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const cones::ProgramInfo info{"cutoffs", kUsage};
    return cones::run_program_main(info, argc, argv, std::cout, std::cerr, [argv](int count, const char* const*) {
        const std::vector<std::string> joined = joined_times(count, argv);
        std::vector<const char*> arguments;
        for (const std::string& argument : joined) arguments.push_back(argument.c_str());
        const cones::CommandLine line(static_cast<int>(arguments.size()), arguments.data(),
                                      {cones::kFromOption, cones::kToOption, cones::kStepOption,
                                       cones::kScanOption, cones::kThreadsOption, cones::kLanesOption, cones::kIgrfOption,
                                       cones::kOmniOption, {"times", true}, {"path", true}, cones::kGeodeticOption,
                                       cones::kParticleOption, {"csv", false}, {"svg", true}});
        if (line.has("svg") && line.value("svg")->empty()) throw cones::UsageError("option --svg needs a file name");
        if (line.has("path") && line.value("path")->empty()) throw cones::UsageError("option --path needs a file name");
        if (line.has("times") && line.has("path")) throw cones::UsageError("options --times and --path exclude each other");
        cones::CutoffsRequest request{cones::configuration_path(line), cones::scan_grid_option(line),
                                      cones::scan_mode_option(line), cones::threads_of(line), cones::lanes_of(line), line.has("csv"),
                                      line.value("svg").value_or(""), cones::internal_field_of(line)};
        request.omni_files = cones::omni_files_option(line);
        request.times = times_option(line);
        request.path_file = line.value("path").value_or("");
        request.choices = cones::tracing_choices_of(line);
        return cones::run_cutoffs(request, std::cout, std::cerr);
    });
}
