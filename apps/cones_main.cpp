// cones: asymptotic cones of acceptance of cosmic-ray stations.
// Reads "Cones.ini" in the current directory and writes "Cones.dat" there.
#include <iostream>

#include "apps/command_line.hpp"
#include "apps/cones_run.hpp"
#include "apps/omni_option.hpp"

namespace {

constexpr const char* kUsage =
    "Usage: cones [--threads N] [--lanes W] [--igrf N] [--omni FILES] [--geodetic] [--particle P]\n"
    "\n"
    "Traces cosmic-ray proton trajectories backwards from every station entry of\n"
    "Cones.ini (in the current directory) at every rigidity listed there, and\n"
    "writes their asymptotic directions to Cones.dat. Progress lines go to\n"
    "standard output.\n"
    "\n"
    "Options:\n"
    "  --threads N   trace on N threads (default: all hardware threads; 1 traces\n"
    "                one trajectory after the other). The output is the same\n"
    "                for every N.\n"
    "  --lanes W     trace W trajectories at once on each thread, one per vector\n"
    "                lane: 1 (one at a time, the scalar path), 2 (SSE2), 4 (AVX2)\n"
    "                or 8 (AVX-512), as far as the processor has them (default:\n"
    "                the widest, for every field model). The output is the same\n"
    "                for every W.\n"
    "  --igrf N      the generation of the reference field: 12 (default; dates to\n"
    "                2020), 13 (to 2025) or 14 (to 2030), to degree 13 from 2000.\n"
    "                A date after the chosen generation's span is noted on\n"
    "                standard error (and among the progress lines with --igrf).\n"
    "  --omni FILES  take the driving parameters the field model reads (lines 4-11\n"
    "                of Cones.ini) from OMNI files (hourly OMNI2, 1- or 5-minute\n"
    "                high resolution; names separated by commas) for the\n"
    "                configured date and time; the values used go to standard\n"
    "                error. Cones.dat keeps its format.\n"
    CONES_TRACING_OPTIONS_USAGE
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Exit status: 0 done; 1 Cones.ini or the command line cannot be used;\n"
    "2 Cones.dat cannot be written; 3 a trajectory cannot be integrated;\n"
    "4 any other failure (out of memory, say).\n";

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const cones::ProgramInfo info{"cones", kUsage};
    return cones::run_program_main(info, argc, argv, std::cout, std::cerr, [](int count, const char* const* arguments) {
        const cones::CommandLine line(count, arguments, {cones::kThreadsOption, cones::kLanesOption, cones::kIgrfOption,
                                                          cones::kOmniOption, cones::kGeodeticOption,
                                                          cones::kParticleOption});
        if (!line.positional().empty()) throw cones::UsageError("unexpected argument '" + line.positional().front() + "'");
        cones::EngineOptions options;
        options.threads = cones::threads_of(line);
        options.lanes = cones::lanes_of(line);
        options.on_fewer_threads = cones::fewer_threads_notice("cones", std::cerr);
        return cones::run_program(std::cout, std::cerr, options, cones::internal_field_of(line),
                                  cones::tracing_choices_of(line),
                                  cones::omni_preparation(cones::omni_files_option(line), "cones", std::cerr));
    });
}
