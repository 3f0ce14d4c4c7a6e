#include "apps/omni_option.hpp"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "io/calendar.hpp"
#include "io/run_description.hpp"
#include "tracing/field_selector.hpp"

namespace cones {
namespace {

const FieldModelDescription& model_of(const RunConfiguration& config) {
    return field_model_description(field_model_of_code(config.field_model_code));
}

std::string joined_names(const OmniData& data) {
    std::string names;
    for (const std::string& name : data.names) names += (names.empty() ? "" : " and ") + name;
    return names;
}

// A value with its unit: "1.13 nPa", "6.557".
std::string value_text(ModelInput input, double value) {
    const ModelInputName& name = model_input_name(input);
    std::string text = shortest_number(value);
    if (!name.unit.empty()) {
        text += ' ';
        text += name.unit;
    }
    return text;
}

// The resolution of each driving parameter's column in the OMNI files (and
// a thousandth for the G indices, which are computed).
constexpr double kInputDecimals[kModelInputCount] = {2, 1, 2, 2, 3, 3, 3, 1};

double rounded_input(std::size_t k, double value) {
    const double scale = std::pow(10.0, kInputDecimals[k]);
    return std::round(value * scale) / scale;
}

std::string day_time_text(UtSeconds t) {
    const UtDayTime at = ut_day_time(t);
    char text[64];
    std::snprintf(text, sizeof text, "%d day %03d %02d:%02d:%02d UT", at.year, at.day_of_year, at.hour, at.minute,
                  at.second);
    return text;
}

}  // namespace

std::optional<std::vector<std::string>> omni_files_option(const CommandLine& line) {
    const std::optional<std::string> text = line.value(kOmniOption.name);
    if (!text) return std::nullopt;
    std::vector<std::string> files;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text->find(',', start);
        files.push_back(text->substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (files.back().empty()) {
            throw UsageError("option --omni expects OMNI file names separated by commas, found '" + *text + "'");
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return files;
}

OmniData read_omni_files(const std::vector<std::string>& paths) {
    std::vector<OmniFile> files;
    files.reserve(paths.size());
    for (const std::string& path : paths) files.push_back(read_omni_file(path));
    return merge_omni_files(files);
}

UtSeconds configured_moment(const RunConfiguration& config) {
    return ut_seconds(config.year, day_of_year(config.day, config.month, config.year), config.hour, config.minute,
                      config.second);
}

void set_configured_moment(RunConfiguration& config, UtSeconds t) {
    const UtDayTime at = ut_day_time(t);
    int month = 1;
    int day = at.day_of_year;
    while (day > days_in_month(month, at.year)) day -= days_in_month(month++, at.year);
    config.year = at.year;
    config.month = month;
    config.day = day;
    config.hour = at.hour;
    config.minute = at.minute;
    config.second = at.second;
}

SolarWindInputs apply_omni_inputs(RunConfiguration& config, const OmniData& data) {
    const FieldModelDescription& model = model_of(config);
    const UtSeconds t = configured_moment(config);
    SolarWindInputs inputs;
    try {
        inputs = omni_model_inputs(data, t, model.reads);
    } catch (const SolarWindGapError& error) {
        throw ModelInputsError(error.what());
    }
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        const ModelInput input = static_cast<ModelInput>(k);
        if (!model.reads.has(input)) continue;
        const double value = rounded_input(k, inputs.parameters[k]);
        const ModelInputName& name = model_input_name(input);
        if (!(value >= name.low && value <= name.high)) {
            throw ModelInputsError(joined_names(data) + ": " + std::string(name.name) + " at " + day_time_text(t) +
                                   ": expected " + std::string(name.phrase) + " from " + value_text(input, name.low) +
                                   " to " + value_text(input, name.high) + " for field model " +
                                   std::to_string(config.field_model_code) + " (" + std::string(model.name) +
                                   "), found " + value_text(input, value));
        }
        config.parameters[k] = value;
    }
    // A model that reads none of them (IGRF, the dipole) traces as without OMNI files.
    if (model.reads.empty()) return inputs;
    const bool sym_h = inputs.dst_is_sym_h && model.reads.has(ModelInput::kDst);
    config.parameters_source = "OMNI " + joined_names(data) + (sym_h ? ", Dst is SYM-H" : "");
    return inputs;
}

std::string model_inputs_line(const RunConfiguration& config, const SolarWindInputs& inputs) {
    const FieldModelDescription& model = model_of(config);
    std::string values;
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        const ModelInput input = static_cast<ModelInput>(k);
        if (!model.reads.has(input)) continue;
        values += (values.empty() ? "" : ", ") + std::string(model_input_name(input).symbol) + " " +
                  value_text(input, config.parameters[k]);
    }
    if (values.empty()) values = "none read by field model " + std::to_string(config.field_model_code);
    const bool sym_h = inputs.dst_is_sym_h && model.reads.has(ModelInput::kDst);
    if (model.reads.empty()) return "model inputs at " + run_time_text(config) + ": " + values + "\n";
    const std::string source = config.parameters_source.substr(0, config.parameters_source.find(", Dst is SYM-H"));
    return "model inputs at " + run_time_text(config) + " from " + source + ": " + values +
           (sym_h ? " (Dst is SYM-H)" : "") + "\n";
}

std::function<void(RunConfiguration&)> omni_preparation(const std::optional<std::vector<std::string>>& files,
                                                        const std::string& speaker, std::ostream& errors) {
    if (!files) return {};
    return [files = *files, speaker, &errors](RunConfiguration& config) {
        const OmniData data = read_omni_files(files);
        const SolarWindInputs inputs = apply_omni_inputs(config, data);
        errors << speaker + ": " + model_inputs_line(config, inputs) << std::flush;
    };
}

std::vector<std::string> omni_input_warnings(const RunConfiguration& config) {
    std::vector<std::string> warnings;
    const FieldModelDescription& model = model_of(config);
    for (const ModelInputRange& range : model.fitted) {
        const std::size_t k = static_cast<std::size_t>(range.input);
        const double value = config.parameters[k];
        if (value >= range.low && value <= range.high) continue;
        warnings.push_back(config.parameters_source + " at " + run_time_text(config) + ": warning: " +
                           std::string(model_input_name(range.input).phrase) + " of " +
                           value_text(range.input, value) + " lies outside " + value_text(range.input, range.low) +
                           " to " + value_text(range.input, range.high) + ", the range of the data " +
                           std::string(model.name) + " was fitted to; the model is extrapolated there");
    }
    return warnings;
}

std::vector<std::string> parameter_warnings(const RunConfiguration& config, const std::string& file_name) {
    return config.parameters_source.empty() ? configuration_warnings(config, file_name) : omni_input_warnings(config);
}

}  // namespace cones
