// Checks of a read configuration for values with which the run has no defined
// result: an impossible date or time, empty lists, rigidities that are not
// positive, values that are not finite, a start below the Earth's centre, and
// field models that are missing or given parameters that select no model.
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "io/calendar.hpp"
#include "io/config.hpp"
#include "io/config_parsing.hpp"
#include "tracing/trajectory.hpp"

namespace cones {
namespace {

// Lines of the column-fixed date and time.
constexpr int kDateLine = 2;
constexpr int kTimeLine = 3;

// Shortest decimal text that reads back as the same double ("inf", "nan" for
// the values that are not finite).
std::string number_text(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

[[noreturn]] void fail(int line, const std::string& expected, const std::string& found) {
    throw ConfigError(line, "expected " + expected + ", found " + found);
}

void check_range(int value, int low, int high, int line, const std::string& item, const std::string& context = "") {
    if (value < low || value > high) {
        fail(line, item + " from " + std::to_string(low) + " to " + std::to_string(high) + context,
             std::to_string(value));
    }
}

void check_finite(double value, const std::string& item) {
    if (!std::isfinite(value)) fail(0, "a finite number for " + item, number_text(value));
}

constexpr const char* kParameterNames[10] = {
    "the solar-wind dynamic pressure (parameter 1)",
    "the Dst index (parameter 2)",
    "the IMF By (parameter 3)",
    "the IMF Bz (parameter 4)",
    "the solar-wind index G1 (parameter 5)",
    "the solar-wind index G2 (parameter 6)",
    "the solar-wind index G3 (parameter 7)",
    "the Kp index (parameter 8)",
    "parameter 9",
    "parameter 10",
};

// The external models of these codes are not part of this program.
void check_model_available(int code) {
    const char* model = nullptr;
    if (code == field_model::kT96) model = "T96";
    if (code == field_model::kT01) model = "T01";
    if (code == field_model::kT01Storm) model = "storm-time T01";
    if (model != nullptr) {
        throw ConfigError(0, "field model " + std::to_string(code) + " (" + model +
                                 ") is not available in this version");
    }
}

}  // namespace

// Throws ConfigError for the first value of `config` that leaves the run
// undefined (see the header). The date and time are checked with the
// Gregorian calendar and reported on lines 2 and 3; other items are named
// with their position in the lists (station 1, rigidity 1, ...).
void validate_configuration(const RunConfiguration& config, NeededLists needed) {
    check_range(config.month, 1, 12, kDateLine, "a month");
    check_range(config.day, 1, days_in_month(config.month, config.year), kDateLine, "a day",
                " for month " + std::to_string(config.month) + " of " + std::to_string(config.year));
    check_range(config.hour, 0, 23, kTimeLine, "an hour");
    check_range(config.minute, 0, 59, kTimeLine, "a minute");
    check_range(config.second, 0, 59, kTimeLine, "a second");

    for (std::size_t k = 0; k < config.parameters.size(); ++k) check_finite(config.parameters[k], kParameterNames[k]);

    check_model_available(config.field_model_code);
    const double kp = config.parameters[7];
    if (config.field_model_code == field_model::kT89 && !(kp > -1.5)) {
        throw ConfigError(0, "the T89 model (field model 89) needs the Kp index (parameter 8) greater than -1.5, found " +
                                 number_text(kp));
    }

    check_finite(config.altitude_km, "the start altitude");
    const double r0 = start_radius(config.altitude_km);
    if (!(r0 > 0.0)) {
        fail(0, "a start altitude above -6371.2 km (the Earth's centre)", number_text(config.altitude_km) + " km");
    }
    if (!std::isfinite(r0)) {
        fail(0, "a start altitude whose start radius is a finite number", number_text(config.altitude_km) + " km");
    }

    check_finite(config.longitude_min, "the lower end of the longitude window");
    check_finite(config.longitude_max, "the upper end of the longitude window");

    if (needed.stations && config.stations.empty()) {
        throw ConfigError(0, "the station list is empty: expected at least one station line before the \"#\" line");
    }
    for (std::size_t i = 0; i < config.stations.size(); ++i) {
        const StationRecord& station = config.stations[i];
        std::string_view name = station.name;
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        const std::string item = "station " + std::to_string(i + 1) + " (" + quoted_text(name) + ")";
        check_finite(station.latitude, "the latitude of " + item);
        check_finite(station.longitude, "the longitude of " + item);
    }

    if (needed.rigidities && config.rigidities.empty()) {
        throw ConfigError(0, "the rigidity list is empty: expected at least one rigidity line after the \"#\" line");
    }
    for (std::size_t i = 0; i < config.rigidities.size(); ++i) {
        const double rigidity = config.rigidities[i];
        const std::string item = "rigidity " + std::to_string(i + 1);
        check_finite(rigidity, item);
        if (!(rigidity > 0.0)) fail(0, item + " greater than 0 GV", number_text(rigidity));
    }
}

}  // namespace cones
