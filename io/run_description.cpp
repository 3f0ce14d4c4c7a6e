#include "io/run_description.hpp"

#include <charconv>
#include <cstdio>

#include "io/calendar.hpp"

namespace cones {

std::string run_time_text(const RunConfiguration& config) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d UT", config.year, config.month, config.day,
                  config.hour, config.minute, config.second);
    return text;
}

std::string shortest_number(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string fixed_number(double value, int decimals) {
    char buffer[400];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return length < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(length));
}

std::string field_model_text(const RunConfiguration& config) {
    const ModelParameters& p = config.parameters;
    const auto solar_wind = [&] {
        return ", P " + shortest_number(p[0]) + " nPa, Dst " + shortest_number(p[1]) + " nT, By " +
               shortest_number(p[2]) + " nT, Bz " + shortest_number(p[3]) + " nT";
    };
    const std::string igrf = config.internal_field->name;
    std::string model;
    switch (config.field_model_code) {
        case field_model::kDipole: model = "dipole of " + igrf; break;
        case field_model::kInternal: model = igrf; break;
        case field_model::kT89: model = igrf + " + T89, Kp " + shortest_number(p[7]); break;
        case field_model::kT96: model = igrf + " + T96" + solar_wind(); break;
        case field_model::kT01:
            model = igrf + " + T01" + solar_wind() + ", G1 " + shortest_number(p[4]) + ", G2 " + shortest_number(p[5]);
            break;
        case field_model::kT01Storm:
            model = igrf + " + storm-time T01" + solar_wind() + ", G2 " + shortest_number(p[5]) + ", G3 " +
                    shortest_number(p[6]);
            break;
        default: model = igrf + ", no magnetopause"; break;
    }
    return "field model " + std::to_string(config.field_model_code) + " (" + model + ")";
}

std::string internal_field_span_notice(const RunConfiguration& config) {
    const InternalFieldCoefficients& field = *config.internal_field;
    const double beyond =
        years_beyond_span(field, config.year, day_of_year(config.day, config.month, config.year));
    if (beyond == 0.0) return {};
    const InternalFieldCoefficients& newest = newest_internal_field();
    std::string advice;
    if (newest.valid_until > field.valid_until) {
        advice = newest.name + std::string(" (--igrf ") + std::to_string(newest.generation) +
                 ") runs to " + std::to_string(newest.valid_until);
    } else {
        advice = "no newer generation is built in";
    }
    return " *** The date lies " + fixed_number(beyond, 2) + " years after the end of " + field.name +
           " (" + std::to_string(field.valid_until) + "), whose secular variation is extrapolated; " + advice +
           " ***\n";
}

}  // namespace cones
