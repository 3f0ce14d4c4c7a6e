// Checks of a read configuration for values with which the run has no defined
// or no sound result: an impossible date or time, empty lists, rigidities that
// are not positive, values that are not finite, a start below the Earth's
// surface, a longitude window that cannot hold every longitude, a station
// latitude beyond a pole, and field models given parameters that select no
// model or leave it undefined. Every message names the item's line.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "io/calendar.hpp"
#include "io/config.hpp"
#include "io/config_parsing.hpp"
#include "io/output_file.hpp"
#include "io/run_description.hpp"
#include "tracing/trajectory.hpp"

namespace cones {
namespace {

// Lines of the column-fixed date and time.
constexpr int kDateLine = 2;
constexpr int kTimeLine = 3;

void check_range(int value, int low, int high, int line, const std::string& item, const std::string& context = "") {
    if (value < low || value > high) {
        fail_expected(line, item + " from " + std::to_string(low) + " to " + std::to_string(high) + context,
             std::to_string(value));
    }
}

void check_finite(double value, int line, const std::string& item) {
    if (!std::isfinite(value)) fail_expected(line, "a finite number for " + item, shortest_number(value));
}

// The names of the parameters in messages; 9 and 10 are never read.
std::string parameter_phrase(std::size_t k) {
    if (k < kModelInputCount) return std::string(kModelInputNames[k].phrase);
    return "parameter " + std::to_string(k + 1);
}

// A driving parameter's value with its unit, as messages show it.
std::string parameter_text(double value, ModelInput input) {
    const std::string_view unit = model_input_name(input).unit;
    return shortest_number(value) + (unit.empty() ? std::string() : " " + std::string(unit));
}

// The written longitude L in [0, 360) is moved at most once up and once down
// by 360 degrees; every L ends inside [low, high] only when the window is at
// least a full turn wide and reaches both 0 and 360 with that one move.
void check_longitude_window(double low, double high, int line) {
    check_finite(low, line, "the lower end of the longitude window");
    check_finite(high, line, "the upper end of the longitude window");
    if (!(high >= low + 360.0 && low <= 360.0 && high >= 0.0)) {
        fail_expected(line,
             "a longitude window that holds every longitude: an upper end at least 360 degrees above the lower "
             "end, a lower end of at most 360 and an upper end of at least 0 (as in -180 180 or 0 360)",
             shortest_number(low) + " " + shortest_number(high));
    }
}

}  // namespace

// Throws ConfigError for the first value of `config` that leaves the run
// undefined or unsound (see the header). The date and time are checked with
// the Gregorian calendar and reported on lines 2 and 3; every other item is
// reported on the line it was read from (config.lines, StationRecord::line),
// stations and rigidities also with their position in the list.
void validate_configuration(const RunConfiguration& config, NeededLists needed) {
    const ItemLines& at = config.lines;
    check_range(config.month, 1, 12, kDateLine, "a month");
    check_range(config.day, 1, days_in_month(config.month, config.year), kDateLine, "a day",
                " for month " + std::to_string(config.month) + " of " + std::to_string(config.year));
    check_range(config.hour, 0, 23, kTimeLine, "an hour");
    check_range(config.minute, 0, 59, kTimeLine, "a minute");
    check_range(config.second, 0, 59, kTimeLine, "a second");

    // Parameters 9 and 10 are not in the file; they are told on the line of parameter 8.
    for (std::size_t k = 0; k < config.parameters.size(); ++k) {
        check_finite(config.parameters[k], at.parameters[std::min<std::size_t>(k, at.parameters.size() - 1)],
                     parameter_phrase(k));
    }

    const FieldModelDescription& model = field_model_description(field_model_of_code(config.field_model_code));
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        const ModelInput input = static_cast<ModelInput>(k);
        const ModelInputName& range = model_input_name(input);
        const double value = config.parameters[k];
        if (!model.reads.has(input) || (value >= range.low && value <= range.high)) continue;
        fail_expected(at.parameters[k],
                      parameter_phrase(k) + " from " + parameter_text(range.low, input) + " to " +
                          parameter_text(range.high, input) + " for field model " +
                          std::to_string(config.field_model_code) + " (" + std::string(model.name) + ")",
                      parameter_text(value, input));
    }

    // Below the surface r = 1 the trajectory would start inside the Earth.
    check_finite(config.altitude_km, at.altitude, "the start altitude");
    if (!(config.altitude_km >= 0.0)) {
        fail_expected(at.altitude, "a start altitude of 0 km or more (a start at or above the Earth's surface)",
             shortest_number(config.altitude_km) + " km");
    }
    if (!std::isfinite(start_radius(config.altitude_km))) {
        fail_expected(at.altitude, "a start altitude whose start radius is a finite number",
             shortest_number(config.altitude_km) + " km");
    }

    check_longitude_window(config.longitude_min, config.longitude_max, at.longitude_window);

    if (needed.stations && config.stations.empty()) {
        fail_expected(at.station_list_end, "at least one station line before the \"#\" line that ends the station list",
             "none: the station list is empty");
    }
    for (std::size_t i = 0; i < config.stations.size(); ++i) {
        const StationRecord& station = config.stations[i];
        const std::string item = "station " + std::to_string(i + 1) + " (" + quoted_text(trimmed_name(station)) + ")";
        check_finite(station.latitude, station.line, "the latitude of " + item);
        check_finite(station.longitude, station.line, "the longitude of " + item);
        if (!(station.latitude >= -90.0 && station.latitude <= 90.0)) {
            fail_expected(station.line, "the latitude of " + item + " from -90 to 90 degrees",
                 shortest_number(station.latitude));
        }
    }

    if (needed.rigidities && config.rigidities.empty()) {
        fail_expected(at.station_list_end + 1, "at least one rigidity line after the \"#\" line",
             "the end of the file: the rigidity list is empty");
    }
    for (std::size_t i = 0; i < config.rigidities.size(); ++i) {
        const double rigidity = config.rigidities[i];
        const int line = at.station_list_end + 1 + static_cast<int>(i);
        const std::string item = "rigidity " + std::to_string(i + 1);
        check_finite(rigidity, line, item);
        // Cones.dat shows a rigidity as F6.2: from 0.01 to 999.99 GV.
        if (!(rigidity >= kLowestRigidity) || rigidity_field(rigidity).find('*') != std::string::npos) {
            fail_expected(line, item + " from 0.01 to 999.99 GV (the rigidities Cones.dat shows)",
                          shortest_number(rigidity));
        }
    }
}

std::vector<std::string> configuration_warnings(const RunConfiguration& config, const std::string& file_name) {
    std::vector<std::string> warnings;
    const FieldModelDescription& model = field_model_description(field_model_of_code(config.field_model_code));
    for (const ModelInputRange& range : model.fitted) {
        const std::size_t k = static_cast<std::size_t>(range.input);
        const double value = config.parameters[k];
        if (value >= range.low && value <= range.high) continue;
        warnings.push_back(file_name + ", line " + std::to_string(config.lines.parameters[k]) + ": warning: " +
                           parameter_phrase(k) + " of " + parameter_text(value, range.input) + " lies outside " +
                           parameter_text(range.low, range.input) + " to " +
                           parameter_text(range.high, range.input) + ", the range of the data " +
                           std::string(model.name) + " was fitted to; the model is extrapolated there");
    }
    return warnings;
}

}  // namespace cones
