// trajectory: the path of one cosmic-ray trajectory as CSV.
#include <iostream>

#include "apps/command_line.hpp"
#include "apps/trajectory_run.hpp"

namespace {

constexpr const char* kUsage =
    "Usage: trajectory [--station N] [--rigidity R] [--igrf N] [--geodetic]\n"
    "                  [--particle P] [-o FILE] [CONFIG]\n"
    "\n"
    "Traces one cosmic-ray proton trajectory backwards from a station entry of\n"
    "CONFIG (default Cones.ini), in its date, time, field model, start altitude\n"
    "and output frame, exactly as cones traces it, and writes its path as CSV:\n"
    "two comment lines with the outcome (allowed or forbidden, and why it ended)\n"
    "and the asymptotic direction, the header\n"
    "t_s,x_geo,y_geo,z_geo,x_gsm,y_gsm,z_gsm,b_nT, and one row per accepted\n"
    "integration step (time in s, position in Earth radii, |B| in nT), the\n"
    "start first. Numbers are written in their shortest form that reads back\n"
    "exactly.\n"
    "\n"
    "Options:\n"
    "  --station N   the station entry, counted from 1 in file order (default 1)\n"
    "  --rigidity R  the rigidity, GV (default: the first rigidity of CONFIG)\n"
    "  --igrf N      the generation of the reference field: 12 (default), 13, 14\n"
    "  -o FILE       write the CSV to FILE (whole or not at all) instead of\n"
    "                standard output\n"
    CONES_TRACING_OPTIONS_USAGE
    "                The time t_s is that proton's (the path length over its\n"
    "                speed), so the 10 s time limit is one path length for every\n"
    "                particle.\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Exit status: 0 done (whatever the outcome); 1 the command line or CONFIG\n"
    "cannot be used; 2 the output cannot be written; 3 the trajectory cannot be\n"
    "integrated (its path up to there is written); 4 any other failure.\n";

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const cones::ProgramInfo info{"trajectory", kUsage};
    return cones::run_program_main(info, argc, argv, std::cout, std::cerr, [](int count, const char* const* arguments) {
        return cones::run_trajectory(cones::trajectory_request(count, arguments), std::cout, std::cerr);
    });
}
