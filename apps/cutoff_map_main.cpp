// cutoff-map: world maps of vertical cutoff rigidity, on one machine or over
// the ranks of an MPI job.
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "apps/command_line.hpp"
#include "apps/cutoff_map_run.hpp"
#include "apps/map_ranks.hpp"

namespace {

constexpr const char* kUsage =
    "Usage: cutoff-map [options] [CONFIG]\n"
    "       mpirun -np N cutoff-map [options] [CONFIG]\n"
    "\n"
    "Scans the vertical cutoff rigidities RL, RU and Rc (as cutoffs does) at every\n"
    "point of a world grid, latitudes -90 to 90 and longitudes -180 to 180 degrees\n"
    "(both ends included), and writes the map as a netCDF file following the CF\n"
    "conventions (or CSV). The date, time, field model and its parameters and the\n"
    "start altitude come from CONFIG (default: Cones.ini in the current\n"
    "directory); station and rigidity lists there are allowed and not used.\n"
    "Started by an MPI launcher, the ranks share the grid points and rank 0\n"
    "writes the file, the same byte for byte as a run in one process.\n"
    "\n"
    "Options:\n"
    "  --lat-step D  latitude step, degrees, dividing 180 (default 5)\n"
    "  --lon-step D  longitude step, degrees, dividing 360 (default 5)\n"
    "  --from R      first rigidity of the scan, GV (default 0.10)\n"
    "  --to R        last rigidity of the scan, GV (default 20.00)\n"
    "  --step S      rigidity step, GV (default 0.01); rigidity i is FROM + i * S\n"
    "  --scan MODE   adaptive (default): a coarse descent from TO to the penumbra,\n"
    "                then every rigidity from a margin above it (at most 2.0 GV)\n"
    "                to a margin below it (at most 3.2 GV), see the README; full:\n"
    "                every rigidity of the grid. Both give the same cutoffs unless\n"
    "                a band or gap of the penumbra is as wide as a margin\n"
    "  --threads N   trace on N threads in each process (default: all hardware\n"
    "                threads); the map is the same for every N\n"
    "  --lanes W     trace W trajectories at once on each thread: 1, 2, 4 or 8, as\n"
    "                far as the processor has them (default as in cones); the\n"
    "                map is the same for every W\n"
    "  -o FILE       the map file (default cutoff-map.nc, or cutoff-map.csv with\n"
    "                --csv); written under FILE.partial and renamed when complete\n"
    "                (a device or pipe, such as /dev/stdout, is written into)\n"
    "  --igrf N      the generation of the reference field: 12 (default; dates to\n"
    "                2020), 13 (to 2025) or 14 (to 2030), degree 13 from 2000\n"
    "  --omni FILES  take the driving parameters the field model reads from OMNI\n"
    "                files (hourly OMNI2, 1- or 5-minute high resolution; names\n"
    "                separated by commas) for the configured date and time; the\n"
    "                values used go to standard error and into the map file\n"
    CONES_TRACING_OPTIONS_USAGE
    "  --csv         write CSV instead of netCDF\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "A progress bar with the time left is shown on standard error when it is a\n"
    "terminal. Map it with tools/plot_cutoff_map FILE.nc OUT.png.\n"
    "\n"
    "Exit status: 0 done; 1 the command line or CONFIG cannot be used; 2 the map\n"
    "cannot be written; 3 a trajectory cannot be integrated (the map is written\n"
    "with the point marked); 4 a process failed (no map is written).\n";

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const cones::MapRanks ranks(argc, argv);
    // Rank 0 speaks for the job about the command line; the other ranks keep
    // their messages for a failure that is theirs alone.
    std::ostringstream silent;
    std::ostringstream rank_messages;
    std::ostream& out = ranks.is_root() ? static_cast<std::ostream&>(std::cout) : silent;
    std::ostream& err = ranks.is_root() ? static_cast<std::ostream&>(std::cerr) : rank_messages;
    const cones::ProgramInfo info{"cutoff-map", kUsage};
    const int status = cones::run_program_main(info, argc, argv, out, err, [&](int count, const char* const* arguments) {
        std::optional<cones::CutoffMapRequest> request;
        std::string problem;
        try {
            request = cones::cutoff_map_request(count, arguments);
        } catch (const cones::UsageError& error) {
            problem = error.what();
        }
        // A rank that cannot use its command line (one started with other
        // options) ends the job on every rank, instead of leaving the others
        // waiting for it. Rank 0 speaks for a command line that it cannot
        // use itself; another rank only for one that rank 0 can.
        if (ranks.agree(request ? 0 : 1) != 0) {
            const bool root_can = ranks.agree(ranks.is_root() && !request ? 1 : 0) == 0;
            if (request) {
                if (ranks.is_root()) {
                    std::cerr << "cutoff-map: another rank cannot use its command line (see its message); every "
                                 "rank must trace the same map. No map is written.\n";
                }
                return 1;
            }
            // One write, so that the messages of the ranks do not interleave.
            if (root_can) std::cerr << "cutoff-map: rank " + std::to_string(ranks.rank()) + ": " + problem + '\n';
            throw cones::UsageError(problem);
        }
        return cones::run_cutoff_map(*request, ranks, std::cerr);
    });
    // A failure outside the collective steps (out of memory) would leave the
    // other ranks waiting: it ends the whole job.
    if (status == 4 && ranks.size() > 1) {
        if (!ranks.is_root()) std::cerr << "rank " << ranks.rank() << ": " << rank_messages.str() << std::flush;
        ranks.abort_job(status);
    }
    return status;
}
