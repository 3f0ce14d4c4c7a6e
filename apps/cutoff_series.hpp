// Cutoffs along time and along a path: the moments of "--times START END
// STEP", the points of a flight's CSV file ("--path FILE"), and the run that
// scans the station entries at each moment, each with its own epoch and, with
// OMNI files, its own driving parameters.
#pragma once

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/config.hpp"
#include "io/omni_file.hpp"
#include "models/solar_wind.hpp"
#include "tracing/cutoff_scan.hpp"

namespace cones {

// Largest number of moments (or path points) of one run.
inline constexpr std::size_t kMaxSeriesMoments = 100'000;

// A date and time of day in UT.
// Given:    text  "YYYY-MM-DDTHH:MM:SS", "YYYY-MM-DDTHH:MM" or "YYYY-MM-DD"
//           (midnight), optionally ending in "Z"; a blank may stand for "T".
// Returned: seconds since 1900-01-01 00:00:00 UT.
// Notes:    throws std::invalid_argument (the message says what was expected)
//           for any other text, a date that does not exist, a time past
//           23:59:59, or a year outside 1900 to 9999.
UtSeconds parse_ut_time(const std::string& text);

// A time step: a whole number of seconds, or a number with the unit s, m, h
// or d ("90", "30m", "1.5h").
// Returned: seconds, at least 1.
// Notes:    throws std::invalid_argument for any other text, a step that is
//           not a whole number of seconds, or one below 1 s.
UtSeconds parse_time_step(const std::string& text);

// The moments START, START + STEP, ... up to END (included when it lies on
// the steps). Throws std::invalid_argument when END lies before START or
// there would be more than kMaxSeriesMoments.
std::vector<UtSeconds> series_moments(UtSeconds start, UtSeconds end, UtSeconds step);

// One point of a path: a moment and a place.
struct PathPoint {
    UtSeconds time = 0;
    double latitude = 0.0;   // degrees north, -90 to 90
    double longitude = 0.0;  // degrees east
    double altitude_km = 0.0;  // above the surface, 0 or more
    int line = 0;            // of the file
};

// A path file that cannot be used: what() names the file and the line.
class PathFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The points of a path file.
// Given:    CSV text (LF or CR LF line ends): one point a line, four fields
//           time,latitude,longitude,altitude (km), the time as
//           parse_ut_time reads it; a first line whose first field is not a
//           time is a header and skipped; blank lines and lines starting
//           with '#' are skipped. name  the file, for messages.
// Returned: the points in file order; at least one.
// Notes:    throws PathFileError "<name>, line N: expected ..., found ..."
//           for a line without four fields, a field that is not a number, a
//           latitude outside -90 to 90, an altitude below 0 or not finite,
//           a time before the time of the line above, and more than
//           kMaxSeriesMoments points.
std::vector<PathPoint> parse_path(const std::string& text, const std::string& name);

// parse_path of the file at `path`; a file that cannot be read throws
// PathFileError with the system's reason.
std::vector<PathPoint> read_path_file(const std::string& path);

// One moment of a series: the configuration of the moment (its date and
// time, its driving parameters, its station entries and start altitude).
struct SeriesMoment {
    RunConfiguration config;
    // The inputs from OMNI files at the moment; nothing without them.
    std::optional<SolarWindInputs> inputs;
};

// The moments of "--times": the configuration at each moment, with the
// driving parameters from `omni` (apply_omni_inputs) when given. Throws
// ModelInputsError for the first moment the records cannot serve, before
// anything is traced.
std::vector<SeriesMoment> time_series_moments(const RunConfiguration& config, const std::vector<UtSeconds>& times,
                                              const OmniData* omni);

// The moments of a path: at each point the configuration with its time, its
// altitude as the start altitude and one vertical station entry named
// "point N" (N from 1) at its place, with the driving parameters from `omni`
// when given (ModelInputsError as above).
std::vector<SeriesMoment> path_moments(const RunConfiguration& config, const std::vector<PathPoint>& points,
                                       const OmniData* omni);

}  // namespace cones
