// The run of trajectory: read the configuration, trace the trajectory of one
// station entry at one rigidity, and write its path as CSV: the time, the
// position in GEO and GSM and the field strength at every accepted step, with
// the outcome and the asymptotic direction in comment lines before it.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>

#include "geomag/internal_field_coefficients.hpp"
#include "io/config.hpp"
#include "tracing/trajectory_path.hpp"

namespace cones {

struct TrajectoryRequest {
    std::string configuration_path;  // the Cones.ini to read
    std::size_t station = 1;         // the station entry, counted from 1 in file order
    std::optional<double> rigidity;  // GV; the first rigidity of the file when not given
    std::string output_path;         // the CSV file; empty for standard output
    // The generation of the reference field; nullptr: IGRF-12, not chosen.
    const InternalFieldCoefficients* internal_field = nullptr;
    TracingChoices choices{};  // --geodetic, --particle
};

// The request of a trajectory command line: the options --station N,
// --rigidity R, --igrf N, --geodetic, --particle NAME and -o FILE, and the optional path of the
// configuration. Throws UsageError (a station number that is not a whole
// number from 1, a rigidity that is not a number above 0).
TrajectoryRequest trajectory_request(int argc, const char* const* argv);

// The CSV of a path.
// Given:    path  the traced path; frame  the name of the output frame of the
//           asymptotic direction ("GEO").
// Returned: two comment lines ("# outcome: ...", "# asymptotic direction
//           ..." or "# no asymptotic direction: ..."), the header row
//           t_s,x_geo,y_geo,z_geo,x_gsm,y_gsm,z_gsm,b_nT and one row per
//           point; every number in its shortest form that reads back as the
//           same double.
std::string trajectory_csv(const TrajectoryPath& path, const std::string& frame);

// Runs trajectory: the CSV goes to `out` (or to the file of the request,
// written whole or not at all), the notices and errors to `errors`.
// Returned: the exit status: 0 done (whatever the outcome); 1 the
//   configuration or the station number cannot be used; 2 the file cannot be
//   written; 3 the trajectory cannot be integrated (its path up to there is
//   written, and the outcome says so).
int run_trajectory(const TrajectoryRequest& request, std::ostream& out, std::ostream& errors);

}  // namespace cones
