#include "io/cutoff_table.hpp"

#include <algorithm>
#include <cmath>

#include "io/output_file.hpp"
#include "io/run_description.hpp"

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
    const int width = cutoff_width(grid, decimals);
    std::string text = "Cutoff rigidities (GV), " + run_time_text(config) + ", " + field_model_text(config) +
                       ", start altitude " + shortest_number(config.altitude_km) + " km" +
                       tracing_choices_text(config) + "; scan " +
                       fixed_number(grid.from(), decimals) + " to " +
                       fixed_number(grid.rigidity(grid.count() - 1), decimals) + " GV in steps of " +
                       fixed_number(grid.step(), decimals) + " GV\n\n";
    text += "Station             ";
    text += right("Lat", kCoordinateWidth) + right("Lon", kCoordinateWidth) + right("Zen", kAngleWidth) +
            right("Azi", kAngleWidth) + right("RL", width) + right("RU", width) + right("Rc", width) +
            right("Bands", kBandsWidth) + "\n";
    return text;
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

}  // namespace cones
