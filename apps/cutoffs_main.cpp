// cutoffs: lower, upper and effective cutoff rigidities of cosmic-ray
// stations from fine rigidity scans.
#include <iostream>

#include "apps/command_line.hpp"
#include "apps/cutoffs_run.hpp"
#include "apps/scan_program.hpp"

namespace {

constexpr const char* kUsage =
    "Usage: cutoffs [options] [CONFIG]\n"
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
    "  --csv         write CSV with a header row instead of the table\n"
    "  --svg FILE    also write the penumbra chart (SVG) to FILE\n"
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

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const cones::ProgramInfo info{"cutoffs", kUsage};
    return cones::run_program_main(info, argc, argv, std::cout, std::cerr, [](int count, const char* const* arguments) {
        const cones::CommandLine line(count, arguments,
                                      {cones::kFromOption, cones::kToOption, cones::kStepOption,
                                       cones::kScanOption, cones::kThreadsOption, cones::kLanesOption, cones::kIgrfOption,
                                       cones::kGeodeticOption, cones::kParticleOption, {"csv", false}, {"svg", true}});
        if (line.has("svg") && line.value("svg")->empty()) throw cones::UsageError("option --svg needs a file name");
        const cones::CutoffsRequest request{cones::configuration_path(line), cones::scan_grid_option(line),
                                            cones::scan_mode_option(line), cones::threads_of(line), cones::lanes_of(line), line.has("csv"),
                                            line.value("svg").value_or(""), cones::internal_field_of(line),
                                            cones::tracing_choices_of(line)};
        return cones::run_cutoffs(request, std::cout, std::cerr);
    });
}
