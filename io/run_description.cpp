#include "io/run_description.hpp"

#include <charconv>
#include <cstdio>

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
    std::string model;
    switch (config.field_model_code) {
        case field_model::kDipole: model = "dipole"; break;
        case field_model::kInternal: model = "IGRF"; break;
        case field_model::kT89: model = "IGRF + T89, Kp " + shortest_number(p[7]); break;
        case field_model::kT96: model = "IGRF + T96" + solar_wind(); break;
        case field_model::kT01:
            model = "IGRF + T01" + solar_wind() + ", G1 " + shortest_number(p[4]) + ", G2 " + shortest_number(p[5]);
            break;
        case field_model::kT01Storm:
            model = "IGRF + storm-time T01" + solar_wind() + ", G2 " + shortest_number(p[5]) + ", G3 " +
                    shortest_number(p[6]);
            break;
        default: model = "IGRF, no magnetopause"; break;
    }
    return "field model " + std::to_string(config.field_model_code) + " (" + model + ")";
}

}  // namespace cones
