// Reader of "Cones.ini": the layout of the file — which line holds which item,
// the column-fixed date and time, the station list and the rigidity list —
// over the list-directed reading of its free-format values
// (io/list_directed.hpp), into a RunConfiguration.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "io/config.hpp"
#include "io/config_parsing.hpp"
#include "io/list_directed.hpp"
#include "io/text_columns.hpp"

namespace cones {
namespace {

// Only this many characters of a station line, and of a rigidity line, are read.
constexpr std::size_t kStationColumns = 50;
constexpr std::size_t kRigidityColumns = 6;
// Stored length of a station name, in bytes.
constexpr std::size_t kNameLength = 20;
// Found text longer than this is cut in messages.
constexpr std::size_t kMaxQuotedLength = 40;

// The text before a DOS end-of-file character (Ctrl-Z) that only blanks and
// line ends follow; the whole text when there is none.
std::string_view without_end_of_file_mark(std::string_view text) {
    const std::size_t mark = text.rfind('\x1a');
    if (mark == std::string_view::npos) return text;
    const std::string_view after = text.substr(mark + 1);
    const bool only_blanks = std::all_of(after.begin(), after.end(),
                                         [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    return only_blanks ? text.substr(0, mark) : text;
}

// One column-fixed integer field: columns `first` to `last` (1-based) of the
// line, padded with blanks. Blanks are ignored, an all-blank field is 0, and
// otherwise the field holds an optional sign and digits.
int fixed_integer(std::string_view line, int line_number, std::size_t first, std::size_t last,
                  std::string_view expected, bool blank_allowed = true) {
    const std::string_view field = line.size() >= first ? line.substr(first - 1, last - first + 1) : std::string_view{};
    int value = 0;
    bool negative = false;
    bool sign_allowed = true;
    bool digits = false;
    for (const char c : field) {
        if (c == ' ') continue;
        if (sign_allowed && (c == '+' || c == '-')) {
            negative = c == '-';
            sign_allowed = false;
        } else if (is_digit(c)) {
            value = value * 10 + (c - '0');  // at most four digits
            digits = true;
            sign_allowed = false;
        } else {
            fail_expected(line_number, expected, quoted_text(field));
        }
    }
    if ((!sign_allowed || !blank_allowed) && !digits) {
        fail_expected(line_number, expected, field.empty() ? std::string("nothing") : quoted_text(field));
    }
    return negative ? -value : value;
}

// Checks that a line of three column-fixed fields (columns 1-2, 4-5 and 7 to
// `last`) keeps its layout: columns 3 and 6 blank and nothing but blanks after
// column `last`. A value one column off would otherwise be read in part into
// the next field. `expected` shows the columns.
void check_fixed_layout(std::string_view line, int line_number, std::size_t last, std::string_view expected) {
    for (const std::size_t column : {std::size_t{3}, std::size_t{6}}) {
        if (line.size() >= column && !is_blank(line[column - 1])) {
            fail_expected(line_number, expected,
                 quoted_text(line) + ", which has " + quoted_text(line.substr(column - 1, 1)) + " in column " +
                     std::to_string(column));
        }
    }
    if (line.size() > last && !is_blank_text(line.substr(last))) {
        fail_expected(line_number, expected, quoted_text(line) + ", which has text after column " + std::to_string(last));
    }
}

constexpr std::string_view kExpectDate =
    "the date as \"DD MM YYYY\": day in columns 1-2, month in 4-5, year in 7-10, blanks in 3 and 6 "
    "and nothing after column 10";
constexpr std::string_view kExpectTime =
    "the time as \"hh mm ss\": hour in columns 1-2, minute in 4-5, second in 7-8, blanks in 3 and 6 "
    "and nothing after column 8";

constexpr std::string_view kExpectParameter[8] = {
    "the solar-wind dynamic pressure (parameter 1, a number in nPa)",
    "the Dst index (parameter 2, a number in nT)",
    "the IMF By (parameter 3, a number in nT)",
    "the IMF Bz (parameter 4, a number in nT)",
    "the solar-wind index G1 (parameter 5, a number)",
    "the solar-wind index G2 (parameter 6, a number)",
    "the solar-wind index G3 (parameter 7, a number)",
    "the Kp index (parameter 8, a number)",
};
constexpr std::string_view kExpectFieldModel = "the field model code (an integer)";
constexpr std::string_view kExpectAltitude = "the start altitude (a number, km)";
constexpr std::string_view kExpectOutputFrame = "the output frame code (an integer)";
constexpr std::string_view kExpectLongitudeMin = "the lower end of the longitude window (a number, degrees)";
constexpr std::string_view kExpectLongitudeMax = "the upper end of the longitude window (a number, degrees)";
constexpr std::string_view kExpectLatitude = "the station latitude (a number, degrees)";
constexpr std::string_view kExpectLongitude = "the station longitude (a number, degrees)";
constexpr std::string_view kExpectZenith = "the zenith angle (an integer from -32768 to 32767, degrees)";
constexpr std::string_view kExpectAzimuth = "the azimuth (an integer from -32768 to 32767, degrees)";
constexpr std::string_view kExpectName = "the station name (a word, or a text in quotes)";
constexpr std::string_view kExpectRigidity = "a rigidity (a number in GV within columns 1 to 6)";
constexpr std::string_view kExpectOneRigidity = "a rigidity (one number in GV within columns 1 to 6)";

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr std::int64_t kInt16Max = std::numeric_limits<std::int16_t>::max();

// One station entry from the first 50 characters of its line.
StationRecord parse_station(std::string_view line, int line_number) {
    const std::string_view record = line.substr(0, kStationColumns);
    std::string end_found = "the end of the station line";
    if (line.size() > kStationColumns) end_found += " (only its first 50 characters are read)";
    FreeFormatRead values(record, line_number, end_found);
    StationRecord station;
    station.latitude = values.real(kExpectLatitude);
    station.longitude = values.real(kExpectLongitude);
    station.zenith = static_cast<std::int16_t>(values.integer(kExpectZenith, kInt16Min, kInt16Max));
    station.azimuth = static_cast<std::int16_t>(values.integer(kExpectAzimuth, kInt16Min, kInt16Max));
    const std::string name = values.name(kExpectName);
    // A control character would reach the header and the progress lines.
    if (holds_control_character(name)) {
        fail_expected(line_number, kExpectName, quoted_text(name) + ", which holds a control character");
    }
    station.name = fit_to_width(name, kNameLength);
    station.line = line_number;
    return station;
}

// One rigidity from the first 6 characters of its line. The number must end
// within them (a number that goes on in column 7 would be cut) and be the only
// one there (a decimal comma would split it); text from column 7 on behind a
// blank is ignored.
double parse_rigidity(std::string_view line, int line_number) {
    if (line.empty()) fail_expected(line_number, kExpectRigidity, "an empty line");
    const std::string_view record = line.substr(0, kRigidityColumns);
    if (line.size() > kRigidityColumns && !is_blank(line[kRigidityColumns - 1]) && !is_blank(line[kRigidityColumns])) {
        std::size_t start = kRigidityColumns - 1;
        while (start > 0 && !is_blank(line[start - 1])) --start;
        std::size_t end = kRigidityColumns;
        while (end < line.size() && !is_blank(line[end])) ++end;
        fail_expected(line_number, kExpectRigidity,
             quoted_text(line.substr(start, end - start)) + ", which runs past column 6 (write it in fewer characters)");
    }
    FreeFormatRead values(record, line_number, "no number in columns 1 to 6 of " + quoted_text(line));
    const double rigidity = values.real(kExpectRigidity);
    if (!is_blank_text(values.rest())) {
        std::string found = quoted_text(record) + " in columns 1 to 6, which holds more than one value";
        if (record.find(',') != std::string_view::npos) found += " (write a decimal point, not a comma)";
        fail_expected(line_number, kExpectOneRigidity, found);
    }
    return rigidity;
}

}  // namespace

// Quotes found text for a message (see the header).
[[noreturn]] void fail_expected(int line, std::string_view expected, std::string_view found) {
    std::string message = "expected ";
    message += expected;
    message += ", found ";
    message += found;
    throw ConfigError(line, message);
}

std::string trimmed_name(const StationRecord& station) {
    return station.name.substr(0, station.name.find_last_not_of(' ') + 1);
}

std::string quoted_text(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    const std::size_t shown = std::min(text.size(), kMaxQuotedLength);
    for (std::size_t i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c >= 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xf];
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    if (shown < text.size()) out += "...";
    return out;
}

// Converts the text of "Cones.ini" line by line: title, date and time in fixed
// columns, eight parameters, field model, altitude, output frame and longitude
// window as free-format reads (each may go on over following lines), heading,
// stations up to the "#" line, then one rigidity per line to the end. Blank
// lines at the end, and a Ctrl-Z end-of-file mark, are not rigidity lines.
RunConfiguration parse_configuration(std::string_view text) {
    LineCursor lines(without_end_of_file_mark(text));
    RunConfiguration config;

    lines.take("the title line");

    const int date_line = lines.next_line_number();
    const std::string_view date = lines.take("the date (day, month and year in columns 1-2, 4-5 and 7-10)");
    check_fixed_layout(date, date_line, 10, kExpectDate);
    // A blank day, month or year is a date cut short, not a zero.
    config.day = fixed_integer(date, date_line, 1, 2, "the day (an integer in columns 1-2)", false);
    config.month = fixed_integer(date, date_line, 4, 5, "the month (an integer in columns 4-5)", false);
    config.year = fixed_integer(date, date_line, 7, 10, "the year (an integer in columns 7-10)", false);

    const int time_line = lines.next_line_number();
    const std::string_view time = lines.take("the time (hour, minute and second in columns 1-2, 4-5 and 7-8)");
    check_fixed_layout(time, time_line, 8, kExpectTime);
    config.hour = fixed_integer(time, time_line, 1, 2, "the hour (an integer in columns 1-2)");
    config.minute = fixed_integer(time, time_line, 4, 5, "the minute (an integer in columns 4-5)");
    config.second = fixed_integer(time, time_line, 7, 8, "the second (an integer in columns 7-8)");

    ItemLines& at = config.lines;
    for (std::size_t k = 0; k < 8; ++k) {
        free_format(lines, kExpectParameter[k], [&](FreeFormatRead& values) {
            config.parameters[k] = values.real(kExpectParameter[k]);
            at.parameters[k] = values.line();
        });
    }
    free_format(lines, kExpectFieldModel, [&](FreeFormatRead& values) {
        config.field_model_code = static_cast<int>(values.integer(kExpectFieldModel, kInt32Min, kInt32Max));
        at.field_model = values.line();
    });
    free_format(lines, kExpectAltitude, [&](FreeFormatRead& values) {
        config.altitude_km = values.real(kExpectAltitude);
        at.altitude = values.line();
    });
    free_format(lines, kExpectOutputFrame, [&](FreeFormatRead& values) {
        config.output_frame_code = static_cast<int>(values.integer(kExpectOutputFrame, kInt32Min, kInt32Max));
        at.output_frame = values.line();
    });
    free_format(lines, "the longitude window (two numbers)", [&](FreeFormatRead& values) {
        config.longitude_min = values.real(kExpectLongitudeMin);
        at.longitude_window = values.line();
        config.longitude_max = values.real(kExpectLongitudeMax);
    });

    lines.take("the heading line of the station list");

    while (true) {
        const int line_number = lines.next_line_number();
        const std::string_view line =
            lines.take("a station line or the \"#\" line that ends the station list");
        if (!line.empty() && line.front() == '#') {
            at.station_list_end = line_number;
            break;
        }
        if (!line.empty() && line.front() == 'c') continue;
        config.stations.push_back(parse_station(line, line_number));
    }

    while (!lines.at_end()) {
        if (lines.only_blank_lines_left()) break;  // blank lines at the end of the file
        const int line_number = lines.next_line_number();
        config.rigidities.push_back(parse_rigidity(lines.take(kExpectRigidity), line_number));
    }
    return config;
}

// Reads chunk by chunk, counting lines, and stops at the first limit passed.
std::string read_limited_text(std::istream& in, std::size_t max_bytes, std::size_t max_line_bytes) {
    std::string text;
    int line = 1;
    std::size_t line_bytes = 0;  // bytes of the current line so far
    // istream::read turns a failed read into badbit instead of letting the
    // stream buffer's exception escape.
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        const std::string_view chunk(buffer, static_cast<std::size_t>(in.gcount()));
        for (const char c : chunk) {
            if (c == '\n') {
                ++line;
                line_bytes = 0;
            } else if (++line_bytes > max_line_bytes) {
                fail_expected(line, "lines of at most " + std::to_string(max_line_bytes) + " bytes",
                     "a longer line (is Cones.ini a text file?)");
            }
        }
        if (chunk.size() > max_bytes - text.size()) {
            fail_expected(line, "a file of at most " + std::to_string(max_bytes) + " bytes",
                 "a longer file (is Cones.ini a text file?)");
        }
        text.append(chunk);
    }
    return text;
}

// Reads the whole file at `path` in binary mode, then parses and validates it.
// A path that cannot be opened or read as a file (a directory, say) gets the
// "cannot open" message.
RunConfiguration read_configuration(const std::string& path, NeededLists needed) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) throw ConfigError::cannot_open(path, errno != 0 ? errno : ENOENT);
    errno = 0;
    const std::string text = read_limited_text(file, kMaxConfigurationBytes, kMaxLineBytes);
    if (file.bad()) throw ConfigError::cannot_open(path, errno != 0 ? errno : EIO);
    RunConfiguration config = parse_configuration(text);
    validate_configuration(config, needed);
    return config;
}

}  // namespace cones
