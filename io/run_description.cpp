#include "io/run_description.hpp"

#include <charconv>
#include <cstdio>

#include "geomag/geomag.hpp"
#include "io/calendar.hpp"
#include "tracing/field_selector.hpp"

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

std::string field_model_text(const RunConfiguration& config, bool with_values) {
    const FieldModelDescription& model = field_model_description(field_model_of_code(config.field_model_code));
    std::string text(model.title);
    const std::size_t igrf = text.find("{igrf}");
    if (igrf != std::string::npos) text.replace(igrf, 6, config.internal_field->name);
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        const ModelInput input = static_cast<ModelInput>(k);
        if (!with_values || !model.reads.has(input)) continue;
        const ModelInputName& name = model_input_name(input);
        text += ", ";
        text += name.symbol;
        text += ' ';
        text += shortest_number(config.parameters[k]);
        if (!name.unit.empty()) {
            text += ' ';
            text += name.unit;
        }
    }
    if (!config.parameters_source.empty()) text += "; from " + config.parameters_source;
    std::string described = "field model ";
    described += std::to_string(config.field_model_code);
    described += " (";
    described += text;
    described += ")";
    return described;
}

std::string tracing_choices_text(const RunConfiguration& config) {
    std::string text;
    if (config.choices.geodetic) text += "; geodetic latitudes and altitude (WGS-84)";
    if (config.choices.particle != kProton) text += "; particle " + particle_name(config.choices.particle);
    return text;
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
