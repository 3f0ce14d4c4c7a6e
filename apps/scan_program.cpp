#include "io/engine_inputs.hpp"
#include "apps/scan_program.hpp"

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "apps/omni_option.hpp"
#include "io/run_description.hpp"

namespace cones {

ScanGrid scan_grid_option(const CommandLine& line) {
    const double from = number_option_or(line, kFromOption, kDefaultScanFrom);
    const double to = number_option_or(line, kToOption, kDefaultScanTo);
    const double step = number_option_or(line, kStepOption, kDefaultScanStep);
    if (!(from >= kLowestRigidity)) {
        throw UsageError("option --from expects a rigidity of at least 0.01 GV, found " + shortest_number(from));
    }
    if (!(step >= kSmallestScanStep)) {
        throw UsageError("option --step expects a step of at least 0.001 GV, found " + shortest_number(step));
    }
    if (!(from < to)) {
        throw UsageError("the scan must start below its end: --from " + shortest_number(from) + " is not below --to " +
                         shortest_number(to));
    }
    try {
        return make_scan_grid(from, to, step);
    } catch (const std::invalid_argument& error) {
        throw UsageError(error.what());
    }
}

ScanMode scan_mode_option(const CommandLine& line) {
    const std::optional<std::string> value = line.value(kScanOption.name);
    if (!value || *value == "adaptive") return ScanMode::kAdaptive;
    if (*value == "full") return ScanMode::kFull;
    throw UsageError("option --scan expects full or adaptive, found '" + *value + "'");
}

MapGrid map_grid_option(const CommandLine& line) {
    const double latitude_step = number_option_or(line, kLatitudeStepOption, kDefaultMapStep);
    const double longitude_step = number_option_or(line, kLongitudeStepOption, kDefaultMapStep);
    try {
        make_map_grid(latitude_step, kDefaultMapStep);
    } catch (const std::invalid_argument& error) {
        throw UsageError("option --lat-step " + shortest_number(latitude_step) + ": " + error.what());
    }
    try {
        make_map_grid(kDefaultMapStep, longitude_step);
    } catch (const std::invalid_argument& error) {
        throw UsageError("option --lon-step " + shortest_number(longitude_step) + ": " + error.what());
    }
    try {
        return make_map_grid(latitude_step, longitude_step);
    } catch (const std::invalid_argument& error) {
        throw UsageError(error.what());
    }
}

std::string configuration_path(const CommandLine& line) {
    const auto& arguments = line.positional();
    if (arguments.size() > 1) throw UsageError("unexpected argument '" + arguments[1] + "'");
    return arguments.empty() ? std::string("Cones.ini") : arguments.front();
}

std::string configuration_message(const ConfigError& error, const std::string& path) {
    const std::string message = error.what();
    if (!error.open_failure().empty()) return "Can not open file " + path + ": " + error.open_failure();
    if (path == "Cones.ini") return message;
    const std::string file = "Cones.ini";
    return path + message.substr(file.size());  // every other message starts with the file's name
}

std::optional<RunConfiguration> read_scan_configuration(const std::string& path, NeededLists needed,
                                                        std::ostream& errors,
                                                        const InternalFieldCoefficients* internal_field,
                                                        const TracingChoices& choices,
                                                        const std::function<void(RunConfiguration&)>& prepare) {
    RunConfiguration config;
    try {
        config = read_configuration(path, needed);
        choose_internal_field(config, internal_field);
        choose_tracing(config, choices);
    } catch (const ConfigError& error) {
        errors << configuration_message(error, path) << '\n';
        return std::nullopt;
    }
    if (prepare) {
        try {
            prepare(config);
        } catch (const std::runtime_error& error) {
            errors << error.what() << '\n';
            return std::nullopt;
        }
    }
    for (const std::string& warning : parameter_warnings(config, path)) errors << warning << '\n';
    return config;
}

}  // namespace cones
