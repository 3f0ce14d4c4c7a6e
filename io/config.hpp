// Run-wide configuration: what "Cones.ini" holds, and the codes that steer the
// field models and the output frame.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "geomag/internal_field_coefficients.hpp"
#include "models/model_parameters.hpp"
#include "tracing/particle.hpp"

namespace cones {

// Frame of the written asymptotic direction.
namespace output_frame {
inline constexpr int kGeo = 0;
inline constexpr int kGse = 1;
// Any other code: GSM.
}  // namespace output_frame

// One station entry: a place and one arrival direction.
struct StationRecord {
    std::string name;        // exactly 20 bytes: whole UTF-8 characters, blank padded
    double latitude = 0.0;   // degrees north
    double longitude = 0.0;  // degrees east
    std::int16_t zenith = 0;   // degrees
    std::int16_t azimuth = 0;  // degrees from north through east
    int line = 0;              // line of "Cones.ini" it was read from
};

// The station's name without the blanks that pad it to its width.
std::string trimmed_name(const StationRecord& station);

// The line of "Cones.ini" (from 1) on which each item was found, for the
// messages of the checks. A free-format read may go on over following lines,
// so the items after it can stand lower than their usual line; the defaults
// are the usual lines. The rigidities stand one per line after the "#" line.
struct ItemLines {
    std::array<int, 8> parameters{4, 5, 6, 7, 8, 9, 10, 11};
    int field_model = 12;
    int altitude = 13;
    int output_frame = 14;
    int longitude_window = 15;  // the line of its lower end
    int station_list_end = 18;  // the "#" line
};

// How the stations are read and which particle is traced: chosen on the
// command line ("--geodetic", "--particle"), not in the file.
struct TracingChoices {
    // Station latitudes geodetic and the start altitude (line 13) above the
    // WGS-84 ellipsoid along its normal, instead of geocentric latitudes and
    // an altitude above the 6371.2 km sphere.
    bool geodetic = false;
    Particle particle = kProton;
};

// Everything "Cones.ini" holds, in the units of the file.
struct RunConfiguration {
    int day = 0, month = 0, year = 0;
    int hour = 0, minute = 0, second = 0;
    ModelParameters parameters{};
    int field_model_code = 0;
    double altitude_km = 0.0;
    int output_frame_code = 0;
    double longitude_min = 0.0, longitude_max = 0.0;
    std::vector<StationRecord> stations;
    std::vector<double> rigidities;  // GV, rigidity k (from 0) on line station_list_end + 1 + k
    ItemLines lines;
    // The generation of the reference field, chosen on the command line
    // ("--igrf"), not in the file: IGRF-12 unless chosen.
    const InternalFieldCoefficients* internal_field = &kIgrf12;
    bool internal_field_chosen = false;
    // Where the driving parameters the field model reads came from when not
    // from lines 4-11 ("OMNI omni2_2024.dat", "OMNI omni_5min.asc, Dst is
    // SYM-H"); empty for the file's own values.
    std::string parameters_source;
    TracingChoices choices{};
};

// A malformed or unusable configuration. what() is the complete message for
// the user: it names "Cones.ini", the line number, what was expected and what
// was found. Only the message for a file that cannot be opened has no line.
class ConfigError : public std::runtime_error {
public:
    // "Cones.ini, line <line>: <message>", or "Cones.ini: <message>" for line 0.
    ConfigError(int line, const std::string& message);
    // The message for a file that cannot be opened or read: "Can not open
    // file CONES.INI (<path>: <reason>)", with the path as the program tried
    // it, made absolute, and the system's reason for `error_number`.
    static ConfigError cannot_open(const std::string& path, int error_number);
    int line() const noexcept { return line_; }  // 0 when no single line is at fault
    // For an error of cannot_open: the system's reason; empty for any other.
    const std::string& open_failure() const noexcept { return open_failure_; }

private:
    struct Verbatim {};
    ConfigError(Verbatim, const std::string& message, std::string open_failure)
        : std::runtime_error(message), line_(0), open_failure_(std::move(open_failure)) {}
    int line_;
    std::string open_failure_;
};

// Parses the text of "Cones.ini" (LF or CR LF line ends) into a configuration.
// Blank lines after the last rigidity and a DOS end-of-file character (Ctrl-Z)
// followed by nothing but blanks and line ends are ignored. Throws ConfigError
// on the first malformed item, naming its line.
RunConfiguration parse_configuration(std::string_view text);

// The lists of "Cones.ini" a program traces, which must not be empty: cones
// needs both; a cutoff scan only the stations (it makes its own rigidities);
// a cutoff map neither. A list that is not needed may be empty; its entries,
// when there are any, are still checked.
struct NeededLists {
    bool stations = true;
    bool rigidities = true;
};

// The lowest rigidity traced, GV. Cones.dat shows a rigidity as F6.2, so a
// lower one would read as 0.00 or be rounded by up to half its value; and
// below it a proton gyrates some ten thousand times near the Earth in its 10
// seconds of trajectory time, each trajectory taking seconds of computing.
inline constexpr double kLowestRigidity = 0.01;

// Rejects configurations whose run would be undefined or unsound: an invalid
// date or time, an empty station or rigidity list that `needed` asks for, a
// rigidity outside kLowestRigidity to 999.99 GV (the rigidities Cones.dat
// shows), a value that is not finite, a start altitude below 0 km (inside
// the Earth), a longitude window that cannot hold every longitude (it must
// reach at least 360 degrees above its lower end, with the lower end at most
// 360 and the upper end at least 0), a station latitude outside [-90, 90],
// and a model parameter outside its range (kModelInputNames) for a field
// model that reads it. Throws ConfigError naming the line of the item
// (config.lines and StationRecord::line).
void validate_configuration(const RunConfiguration& config, NeededLists needed = {});

// The warnings of a valid configuration: each parameter outside the range of
// the data its model was fitted to (the model's `fitted` ranges: T96's), as
// "<file_name>, line N: warning: ...".
std::vector<std::string> configuration_warnings(const RunConfiguration& config,
                                                const std::string& file_name = "Cones.ini");

// Reads and validates "Cones.ini" at `path` for the lists `needed`. Throws
// ConfigError (also when the file cannot be opened or read: "Can not open
// file CONES.INI (<path>: <reason>)", and for a file over 256 MiB or a line
// over 1 MiB, which is not read on).
RunConfiguration read_configuration(const std::string& path, NeededLists needed = {});

}  // namespace cones
