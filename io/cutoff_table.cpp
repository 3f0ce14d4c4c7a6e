#include "io/cutoff_table.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "io/output_file.hpp"
#include "io/run_description.hpp"
#include "tracing/field_selector.hpp"

namespace cones {
namespace {

// Widths of the table's columns.
constexpr int kCoordinateWidth = 9;  // latitude, longitude: F9.2
constexpr int kAngleWidth = 5;       // zenith, azimuth
constexpr int kBandsWidth = 7;

// Width of a cutoff column: room for "above <last rigidity>" and two blanks.
int cutoff_width(const ScanGrid& grid, int decimals) {
    const Cutoff widest{CutoffPlace::kAbove, grid.rigidity(grid.count() - 1)};
    return static_cast<int>(std::max(cutoff_text(widest, decimals).size(), std::string("unresolved").size())) + 2;
}

std::string right(const std::string& text, int width) {
    const std::size_t w = static_cast<std::size_t>(width);
    return text.size() >= w ? text : std::string(w - text.size(), ' ') + text;
}

std::string failure_text(const EntryCutoffs& cutoffs, int decimals) {
    return "integration failed at " + fixed_number(cutoffs.failed_rigidity, decimals) + " GV";
}

// RFC 4180 field: quoted (with doubled quotes) when it holds a comma, a quote
// or a line end.
std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

int rigidity_decimals(const ScanGrid& grid) {
    int decimals = 2;
    for (const double value : {grid.from(), grid.step()}) {
        while (decimals < 6) {
            const double scaled = value * std::pow(10.0, decimals);
            if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, std::fabs(scaled))) break;
            ++decimals;
        }
    }
    return decimals;
}

std::string cutoff_text(const Cutoff& cutoff, int decimals) {
    const std::string value = fixed_number(cutoff.rigidity, decimals);
    switch (cutoff.place) {
        case CutoffPlace::kAt: return value;
        case CutoffPlace::kBelow: return "below " + value;
        case CutoffPlace::kAbove: return "above " + value;
        case CutoffPlace::kUnresolved: break;
    }
    return "unresolved";
}

std::string cutoff_table_heading(const RunConfiguration& config, const ScanGrid& grid) {
    const int decimals = rigidity_decimals(grid);
    std::string text = "Cutoff rigidities (GV), " + run_time_text(config) + ", " + field_model_text(config) +
                       ", start altitude " + shortest_number(config.altitude_km) + " km" +
                       tracing_choices_text(config) + "; scan " +
                       fixed_number(grid.from(), decimals) + " to " +
                       fixed_number(grid.rigidity(grid.count() - 1), decimals) + " GV in steps of " +
                       fixed_number(grid.step(), decimals) + " GV\n\n";
    return text + cutoff_table_columns(grid);
}

std::string cutoff_table_columns(const ScanGrid& grid) {
    const int width = cutoff_width(grid, rigidity_decimals(grid));
    return "Station             " + right("Lat", kCoordinateWidth) + right("Lon", kCoordinateWidth) +
           right("Zen", kAngleWidth) + right("Azi", kAngleWidth) + right("RL", width) + right("RU", width) +
           right("Rc", width) + right("Bands", kBandsWidth) + "\n";
}

std::string cutoff_table_row(const StationRecord& station, const EntryCutoffs& cutoffs, const ScanGrid& grid) {
    const int decimals = rigidity_decimals(grid);
    const int width = cutoff_width(grid, decimals);
    std::string row = station.name + fixed_field(station.latitude, kCoordinateWidth, 2) +
                      fixed_field(station.longitude, kCoordinateWidth, 2) +
                      right(std::to_string(station.zenith), kAngleWidth) +
                      right(std::to_string(station.azimuth), kAngleWidth);
    if (cutoffs.failed) return row + "  " + failure_text(cutoffs, decimals) + "\n";
    return row + right(cutoff_text(cutoffs.lower, decimals), width) +
           right(cutoff_text(cutoffs.upper, decimals), width) +
           right(cutoff_text(cutoffs.effective, decimals), width) +
           right(std::to_string(cutoffs.bands), kBandsWidth) + "\n";
}

std::string cutoff_csv_header() { return "station,latitude,longitude,zenith,azimuth,RL,RU,Rc,bands,note\n"; }

namespace {

// The cutoff columns of a CSV row: RL,RU,Rc,bands,note and the line end.
std::string cutoff_csv_fields(const EntryCutoffs& cutoffs, const ScanGrid& grid) {
    const int decimals = rigidity_decimals(grid);
    if (cutoffs.failed) return ",,,," + failure_text(cutoffs, decimals) + "\n";
    std::string fields;
    std::string note;
    const std::pair<const char*, const Cutoff*> named[] = {
        {"RL", &cutoffs.lower}, {"RU", &cutoffs.upper}, {"Rc", &cutoffs.effective}};
    for (const auto& [name, cutoff] : named) {
        if (cutoff->place == CutoffPlace::kAt) {
            fields += fixed_number(cutoff->rigidity, decimals);
        } else {
            if (!note.empty()) note += "; ";
            note += std::string(name) + " " + cutoff_text(*cutoff, decimals);
        }
        fields += ",";
    }
    return fields + std::to_string(cutoffs.bands) + "," + note + "\n";
}

}  // namespace

std::string cutoff_csv_row(const StationRecord& station, const EntryCutoffs& cutoffs, const ScanGrid& grid) {
    return csv_field(trimmed_name(station)) + "," + shortest_number(station.latitude) + "," +
           shortest_number(station.longitude) + "," + std::to_string(station.zenith) + "," +
           std::to_string(station.azimuth) + "," + cutoff_csv_fields(cutoffs, grid);
}

std::string cutoff_map_csv_header() { return "latitude,longitude,RL,RU,Rc,bands,note\n"; }

std::string cutoff_map_csv_row(double latitude, double longitude, const EntryCutoffs& cutoffs, const ScanGrid& grid) {
    return shortest_number(latitude) + "," + shortest_number(longitude) + "," + cutoff_csv_fields(cutoffs, grid);
}

namespace {

constexpr int kTimeWidth = 21;       // "2024-05-10 12:00:00" and two blanks
constexpr int kAltitudeWidth = 8;    // F8.1
constexpr int kParameterWidth = 10;  // the shortest form of a parameter, right-aligned

// The parameters the configuration's field model reads, by index.
std::vector<std::size_t> read_parameters(const RunConfiguration& config) {
    const FieldModelDescription& model = field_model_description(field_model_of_code(config.field_model_code));
    std::vector<std::size_t> read;
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        if (model.reads.has(static_cast<ModelInput>(k))) read.push_back(k);
    }
    return read;
}

// "2024-05-10 12:00:00" of a moment's configuration.
std::string moment_text(const RunConfiguration& moment) { return run_time_text(moment).substr(0, 19); }

std::string without_line_end(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace

std::string cutoff_series_heading(const std::string& title, const RunConfiguration& config, const ScanGrid& grid) {
    std::string text = title + "\n\n" + std::string("Time (UT)").append(kTimeWidth - 9, ' ') +
                       without_line_end(cutoff_table_columns(grid)) + right("Alt", kAltitudeWidth);
    for (const std::size_t k : read_parameters(config)) {
        text += right(std::string(kModelInputNames[k].symbol), kParameterWidth);
    }
    return text + "\n";
}

std::string cutoff_series_row(const RunConfiguration& moment, const StationRecord& station,
                              const EntryCutoffs& cutoffs, const ScanGrid& grid) {
    std::string row = moment_text(moment) + "  " + without_line_end(cutoff_table_row(station, cutoffs, grid));
    if (cutoffs.failed) return row + "\n";  // the failure's text takes the cutoff columns
    row += fixed_field(moment.altitude_km, kAltitudeWidth, 1);
    for (const std::size_t k : read_parameters(moment)) {
        row += right(shortest_number(moment.parameters[k]), kParameterWidth);
    }
    return row + "\n";
}

std::string cutoff_series_csv_header(const RunConfiguration& config) {
    std::string header = "time,";
    header += without_line_end(cutoff_csv_header());
    header += ",altitude_km";
    for (const std::size_t k : read_parameters(config)) {
        header += ',';
        header += kModelInputNames[k].keyword;
    }
    return header + ",inputs_from\n";
}

std::string cutoff_series_csv_row(const RunConfiguration& moment, const StationRecord& station,
                                  const EntryCutoffs& cutoffs, const ScanGrid& grid) {
    std::string time = moment_text(moment);
    time[10] = 'T';
    std::string row = time;
    row += "Z,";
    row += without_line_end(cutoff_csv_row(station, cutoffs, grid));
    row += ',';
    row += shortest_number(moment.altitude_km);
    for (const std::size_t k : read_parameters(moment)) {
        row += ',';
        row += shortest_number(moment.parameters[k]);
    }
    return row + "," + csv_field(moment.parameters_source.empty() ? "configuration" : moment.parameters_source) +
           "\n";
}

}  // namespace cones
