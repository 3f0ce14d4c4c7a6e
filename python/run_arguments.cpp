#include "python/run_arguments.hpp"

#include <cctype>
#include <cstdint>
#include <cmath>

#include "io/engine_inputs.hpp"
#include "io/run_description.hpp"
#include "io/config_parsing.hpp"
#include "io/text_columns.hpp"

namespace cones::python {
namespace {

// The lines of "Cones.ini" the call's items are given, so that a message of
// the validation, which names the line of the item at fault, names its
// argument. They are the file's usual lines; station i stands on line
// kFirstStationLine + i, the "#" line after the last, the rigidities after it.
constexpr int kDateLine = 2;
constexpr int kTimeLine = 3;
constexpr int kFirstStationLine = 17;

// Bytes of a station name in a configuration, as "Cones.ini" gives them.
constexpr std::size_t kStationNameBytes = 20;

// An angle as a configuration holds it (whole degrees), for the tables only:
// the engine traces the angle as given.
std::int16_t whole_degrees(double angle) {
    const double rounded = std::round(angle);
    return rounded >= -32768.0 && rounded <= 32767.0 ? static_cast<std::int16_t>(rounded) : 0;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The file code that selects `model` (for the row that takes every code no
// other row has, the smallest such code).
int file_code_of(FieldModel model) {
    const FieldModelDescription& description = field_model_description(model);
    if (!description.any_other_code) return description.code;
    int code = 0;
    while (field_model_of_code(code) != model) ++code;
    return code;
}

// The keywords of the parameters a model reads: "pressure_npa, dst_nt, by_nt and bz_nt".
std::string keywords_read(const FieldModelDescription& model) {
    std::vector<std::string> keywords;
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        if (model.reads.has(static_cast<ModelInput>(k))) keywords.emplace_back(kModelInputNames[k].keyword);
    }
    std::string text;
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == keywords.size() ? " and " : ", ") + keywords[i];
    }
    return text;
}

// The argument of the item on `line` of a configuration of `stations` station
// entries and `rigidities` rigidities; `detail` is the validation's message
// (it says whether a station's latitude or longitude is at fault).
std::string argument_of_line(int line, std::size_t stations, std::size_t rigidities, const std::string& detail) {
    if (line == kDateLine || line == kTimeLine) return "datetime";
    const ItemLines usual;
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        if (line == usual.parameters[k]) return std::string(kModelInputNames[k].keyword);
    }
    if (line == usual.field_model) return "model";
    if (line == usual.altitude) return "altitude_km";
    if (line == usual.output_frame) return "frame";
    if (line == usual.longitude_window) return "longitude_window";
    const int end = kFirstStationLine + static_cast<int>(stations);
    if (line >= kFirstStationLine && line < end) {
        const std::size_t latitude = detail.find("latitude"), longitude = detail.find("longitude");
        const char* which = longitude < latitude ? "longitude" : "latitude";
        return std::string(which) + "[" + std::to_string(line - kFirstStationLine) + "]";
    }
    if (line == end) return "latitude";
    if (line > end) return rigidities == 0 ? "rigidity" : "rigidity[" + std::to_string(line - end - 1) + "]";
    return "the arguments";
}

// The message of a ConfigError without the file and line it names.
std::string detail_of(const ConfigError& error) {
    const std::string message = error.what();
    const std::string located = "Cones.ini, line " + std::to_string(error.line()) + ": ";
    return message.compare(0, located.size(), located) == 0 ? message.substr(located.size()) : message;
}

}  // namespace

OutputFrame frame_of_name(const std::string& name, const std::string& argument) {
    const std::string key = lower(name);
    if (key == "geo") return OutputFrame::kGeo;
    if (key == "gse") return OutputFrame::kGse;
    if (key == "gsm") return OutputFrame::kGsm;
    throw ArgumentError(argument, "expected \"geo\", \"gse\" or \"gsm\", found " + quoted_text(name));
}

FieldModel model_of_key(const std::string& key) {
    if (const std::optional<FieldModel> model = field_model_of_key(lower(key))) return *model;
    std::string keys;
    for (const FieldModelDescription& row : field_model_descriptions()) {
        keys += (keys.empty() ? "\"" : ", \"") + std::string(row.key) + "\"";
    }
    throw ArgumentError("model", "expected one of " + keys + ", found " + quoted_text(key));
}

RunConfiguration configuration_of(const RunArguments& run, const StationArguments& stations,
                                  const std::vector<double>& rigidities, NeededLists needed) {
    RunConfiguration config;
    config.year = run.year;
    config.month = run.month;
    config.day = run.day;
    config.hour = run.hour;
    config.minute = run.minute;
    config.second = run.second;

    const FieldModel model = model_of_key(run.model);
    const FieldModelDescription& description = field_model_description(model);
    config.field_model_code = file_code_of(model);
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        const ModelInputName& input = kModelInputNames[k];
        if (run.parameters[k]) {
            config.parameters[k] = *run.parameters[k];
        } else if (description.reads.has(static_cast<ModelInput>(k))) {
            throw ArgumentTypeError("model \"" + std::string(description.key) + "\" (" + std::string(description.name) +
                                    ") needs " + std::string(input.keyword) + " (" + std::string(input.name) +
                                    (input.unit.empty() ? "" : ", " + std::string(input.unit)) +
                                    "), which was not given; it reads " + keywords_read(description));
        }
    }

    try {
        choose_internal_field(config, &internal_field_coefficients(run.igrf));
    } catch (const std::invalid_argument&) {
        throw ArgumentError("igrf", "expected 12, 13 or 14 (the generation of the reference field), found " +
                                        std::to_string(run.igrf));
    }
    const OutputFrame frame = frame_of_name(run.frame, "frame");
    config.output_frame_code = frame == OutputFrame::kGeo   ? output_frame::kGeo
                               : frame == OutputFrame::kGse ? output_frame::kGse
                                                            : 2;  // any other code is GSM
    config.altitude_km = run.altitude_km;
    config.choices.geodetic = run.geodetic;
    const std::optional<Particle> particle = particle_of_name(run.particle);
    if (!particle) {
        throw ArgumentError("particle", "expected " + std::string(kParticleChoices) + ", found " +
                                            quoted_text(run.particle));
    }
    config.choices.particle = *particle;
    config.longitude_min = run.longitude_min;
    config.longitude_max = run.longitude_max;

    const std::size_t count = stations.latitude.size();
    const std::vector<double>* directions[] = {&stations.zenith, &stations.azimuth};
    const char* direction_names[] = {"zenith", "azimuth"};
    for (std::size_t i = 0; i < count; ++i) {
        StationRecord record;
        // The file holds whole degrees here; the call may give any finite angle.
        for (int d = 0; d < 2; ++d) {
            const double angle = (*directions[d])[i];
            if (!std::isfinite(angle)) {
                throw ArgumentError(std::string(direction_names[d]) + "[" + std::to_string(i) + "]",
                                    "expected a finite number of degrees, found " + shortest_number(angle));
            }
        }
        record.name = fit_to_width(i < stations.names.size() ? stations.names[i] : std::string(), kStationNameBytes);
        record.latitude = stations.latitude[i];
        record.longitude = stations.longitude[i];
        record.zenith = whole_degrees(stations.zenith[i]);
        record.azimuth = whole_degrees(stations.azimuth[i]);
        record.line = kFirstStationLine + static_cast<int>(i);
        config.stations.push_back(std::move(record));
    }
    config.lines.station_list_end = kFirstStationLine + static_cast<int>(count);
    config.rigidities = rigidities;

    try {
        validate_configuration(config, needed);
    } catch (const ConfigError& error) {
        const std::string detail = detail_of(error);
        throw ArgumentError(argument_of_line(error.line(), count, rigidities.size(), detail), detail);
    }
    return config;
}

std::vector<StationEntry> station_entries_of(const StationArguments& stations) {
    std::vector<StationEntry> entries(stations.latitude.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i] = StationEntry{stations.latitude[i], stations.longitude[i], stations.zenith[i], stations.azimuth[i]};
    }
    return entries;
}

}  // namespace cones::python
