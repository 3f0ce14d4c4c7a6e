// Reader of "Cones.ini": splits the text into lines and converts the positional
// items (column-fixed date and time, free-format values, the station list and
// the rigidity list) into a RunConfiguration.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "io/config.hpp"
#include "io/config_parsing.hpp"

namespace cones {
namespace {

// Only this many characters of a station line, and of a rigidity line, are read.
constexpr std::size_t kStationColumns = 50;
constexpr std::size_t kRigidityColumns = 6;
// Stored length of a station name.
constexpr std::size_t kNameLength = 20;
// Found text longer than this is cut in messages.
constexpr std::size_t kMaxQuotedLength = 40;

// Splits the text at line feeds. Each line loses its terminator and one
// trailing carriage return; a text ending in a line feed has no empty line
// after it.
std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

[[noreturn]] void fail(int line, std::string_view expected, std::string_view found) {
    std::string message = "expected ";
    message += expected;
    message += ", found ";
    message += found;
    throw ConfigError(line, message);
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of decimal digits at `pos`.
std::size_t digit_run(std::string_view s, std::size_t pos) {
    std::size_t n = 0;
    while (pos + n < s.size() && is_digit(s[pos + n])) ++n;
    return n;
}

// Optional sign, then one or more digits, nothing else.
bool is_integer_text(std::string_view s) {
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    const std::size_t digits = digit_run(s, pos);
    return digits > 0 && pos + digits == s.size();
}

// Optional sign; digits with an optional decimal point (at least one digit
// before or after it); an optional exponent of E, e, D or d, an optional sign
// and one or more digits. Nothing else.
bool is_real_text(std::string_view s) {
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    std::size_t mantissa_digits = digit_run(s, pos);
    pos += mantissa_digits;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        const std::size_t fraction = digit_run(s, pos);
        pos += fraction;
        mantissa_digits += fraction;
    }
    if (mantissa_digits == 0) return false;
    if (pos == s.size()) return true;
    if (s[pos] != 'E' && s[pos] != 'e' && s[pos] != 'D' && s[pos] != 'd') return false;
    ++pos;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    const std::size_t exponent_digits = digit_run(s, pos);
    return exponent_digits > 0 && pos + exponent_digits == s.size();
}

// Converts an integer text (already checked) to a value in [low, high];
// false when it lies outside.
bool integer_in_range(std::string_view s, std::int64_t low, std::int64_t high, std::int64_t& value) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec != std::errc{} || result.ptr != s.data() + s.size()) return false;
    return value >= low && value <= high;
}

// Converts a real text (already checked) in the C locale; a D exponent is read
// as E.
double real_value(std::string_view s) {
    std::string text(s);
    for (char& c : text) {
        if (c == 'D' || c == 'd') c = 'e';
    }
    return std::strtod(text.c_str(), nullptr);
}

// A free-format read over consecutive records. Values are separated by blanks
// (tabs count as blanks) or by one comma with optional blanks around it; the
// read goes on to the next record when one runs out. Every malformed or
// missing value throws ConfigError with the line it was found on.
class FreeFormatRead {
public:
    // `records` are the texts the read may consume, the first on line
    // `first_line`. When they run out, the error names `end_expected` (or the
    // value's own description if empty) and says `end_found`, on line
    // `end_line`.
    FreeFormatRead(std::span<const std::string_view> records, int first_line, std::string_view end_expected,
                   std::string end_found, int end_line)
        : records_(records),
          first_line_(first_line),
          end_expected_(end_expected),
          end_found_(std::move(end_found)),
          end_line_(end_line) {}

    double real(std::string_view expected) {
        const std::string_view text = next_token(expected);
        if (!is_real_text(text)) fail(line(), expected, quoted_text(text));
        const double value = real_value(text);
        if (!std::isfinite(value)) fail(line(), expected, quoted_text(text) + ", which is not a finite number");
        return value;
    }

    std::int64_t integer(std::string_view expected, std::int64_t low, std::int64_t high) {
        const std::string_view text = next_token(expected);
        if (!is_integer_text(text)) fail(line(), expected, quoted_text(text));
        std::int64_t value = 0;
        if (!integer_in_range(text, low, high, value)) fail(line(), expected, quoted_text(text) + ", which is out of range");
        return value;
    }

    // A word without blanks, commas or slashes, or a text in apostrophes or
    // quotation marks in which a doubled quote stands for one.
    std::string name(std::string_view expected) {
        start_value(expected);
        const std::string_view record = records_[record_];
        const char quote = record[pos_];
        if (quote == '\'' || quote == '"') return quoted_name(expected, quote);
        const std::string_view word = token_at(record, pos_);
        pos_ += word.size();
        if (word.find('/') != std::string_view::npos)
            fail(line(), expected, quoted_text(word) + ", which holds a slash (write the name in quotes)");
        return std::string(word);
    }

    // Number of records touched so far, counting the one the last value came from.
    std::size_t records_used() const { return record_ + 1; }

private:
    int line() const { return first_line_ + static_cast<int>(record_); }

    // The run of characters from `pos` up to the next blank, comma or the end.
    static std::string_view token_at(std::string_view record, std::size_t pos) {
        std::size_t end = pos;
        while (end < record.size() && !is_blank(record[end]) && record[end] != ',') ++end;
        return record.substr(pos, end - pos);
    }

    // Moves to the first character of the next value, over blanks, at most one
    // comma, and empty or blank records.
    void start_value(std::string_view expected) {
        bool comma_seen = false;
        while (true) {
            if (record_ >= records_.size()) {
                fail(end_line_, end_expected_.empty() ? expected : end_expected_, end_found_);
            }
            const std::string_view record = records_[record_];
            while (pos_ < record.size() && is_blank(record[pos_])) ++pos_;
            if (pos_ == record.size()) {
                ++record_;
                pos_ = 0;
                continue;
            }
            if (record[pos_] != ',') break;
            // After a value the first comma separates it from the next one; any
            // other comma stands for an empty value.
            if (comma_seen || !after_value_) {
                fail(line(), expected, values_read_ == 0 ? "a comma with no value before it" : "two commas in a row");
            }
            comma_seen = true;
            after_value_ = false;
            ++pos_;
        }
        after_value_ = true;
        ++values_read_;
    }

    std::string_view next_token(std::string_view expected) {
        start_value(expected);
        const std::string_view token = token_at(records_[record_], pos_);
        pos_ += token.size();
        return token;
    }

    std::string quoted_name(std::string_view expected, char quote) {
        const std::string_view record = records_[record_];
        const std::size_t open = pos_;
        std::string text;
        std::size_t pos = open + 1;
        while (true) {
            const std::size_t close = record.find(quote, pos);
            if (close == std::string_view::npos)
                fail(line(), expected, quoted_text(record.substr(open)) + " with no closing quote");
            text.append(record.substr(pos, close - pos));
            if (close + 1 < record.size() && record[close + 1] == quote) {
                text += quote;
                pos = close + 2;
                continue;
            }
            pos = close + 1;
            break;
        }
        if (pos < record.size() && !is_blank(record[pos]) && record[pos] != ',')
            fail(line(), expected,
                 quoted_text(record.substr(open, pos + token_at(record, pos).size() - open)) +
                     ", which has text after its closing quote");
        pos_ = pos;
        return text;
    }

    std::span<const std::string_view> records_;
    int first_line_;
    std::string_view end_expected_;
    std::string end_found_;
    int end_line_;
    std::size_t record_ = 0;
    std::size_t pos_ = 0;
    bool after_value_ = false;  // the last thing passed was a value, not a comma
    int values_read_ = 0;
};

// Reads the file's lines in order; `next` is the index of the next unread line.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : lines_(split_lines(text)) {}

    bool at_end() const { return next_ >= lines_.size(); }
    // 1-based number of the next unread line.
    int next_line_number() const { return static_cast<int>(next_) + 1; }

    // The next line, or a ConfigError for the end of the file.
    std::string_view take(std::string_view expected) {
        if (at_end()) fail(next_line_number(), expected, "the end of the file");
        return lines_[next_++];
    }

    // A free-format read starting at the next line; `read` gets the values and
    // the rest of the last line touched is discarded.
    template <typename Read>
    void free_format(std::string_view expected, Read read) {
        const std::span<const std::string_view> rest(lines_.data() + next_, lines_.size() - next_);
        FreeFormatRead values(rest, next_line_number(), expected, "the end of the file",
                              static_cast<int>(lines_.size()) + 1);
        read(values);
        next_ += values.records_used();
    }

private:
    std::vector<std::string_view> lines_;
    std::size_t next_ = 0;
};

// One column-fixed integer field: columns `first` to `last` (1-based) of the
// line, padded with blanks. Blanks are ignored, an all-blank field is 0, and
// otherwise the field holds an optional sign and digits.
int fixed_integer(std::string_view line, int line_number, std::size_t first, std::size_t last,
                  std::string_view expected) {
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
            fail(line_number, expected, quoted_text(field));
        }
    }
    if (!sign_allowed && !digits) fail(line_number, expected, quoted_text(field));
    return negative ? -value : value;
}

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

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr std::int64_t kInt16Max = std::numeric_limits<std::int16_t>::max();

// One station entry from the first 50 characters of its line.
StationRecord parse_station(std::string_view line, int line_number) {
    const std::string_view record = line.substr(0, kStationColumns);
    std::string end_found = "the end of the station line";
    if (line.size() > kStationColumns) end_found += " (only its first 50 characters are read)";
    FreeFormatRead values(std::span<const std::string_view>(&record, 1), line_number, {}, end_found, line_number);
    StationRecord station;
    station.latitude = values.real(kExpectLatitude);
    station.longitude = values.real(kExpectLongitude);
    station.zenith = static_cast<std::int16_t>(values.integer(kExpectZenith, kInt16Min, kInt16Max));
    station.azimuth = static_cast<std::int16_t>(values.integer(kExpectAzimuth, kInt16Min, kInt16Max));
    station.name = values.name(kExpectName);
    station.name.resize(kNameLength, ' ');
    return station;
}

// One rigidity from the first 6 characters of its line.
double parse_rigidity(std::string_view line, int line_number) {
    if (line.empty()) fail(line_number, kExpectRigidity, "an empty line");
    const std::string_view record = line.substr(0, kRigidityColumns);
    FreeFormatRead values(std::span<const std::string_view>(&record, 1), line_number, {},
                          "no number in columns 1 to 6 of " + quoted_text(line), line_number);
    return values.real(kExpectRigidity);
}

}  // namespace

// Quotes found text for a message (see the header).
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
// stations up to the "#" line, then one rigidity per line to the end.
RunConfiguration parse_configuration(std::string_view text) {
    LineCursor lines(text);
    RunConfiguration config;

    lines.take("the title line");

    const int date_line = lines.next_line_number();
    const std::string_view date = lines.take("the date (day, month and year in columns 1-2, 4-5 and 7-10)");
    config.day = fixed_integer(date, date_line, 1, 2, "the day (an integer in columns 1-2)");
    config.month = fixed_integer(date, date_line, 4, 5, "the month (an integer in columns 4-5)");
    config.year = fixed_integer(date, date_line, 7, 10, "the year (an integer in columns 7-10)");

    const int time_line = lines.next_line_number();
    const std::string_view time = lines.take("the time (hour, minute and second in columns 1-2, 4-5 and 7-8)");
    config.hour = fixed_integer(time, time_line, 1, 2, "the hour (an integer in columns 1-2)");
    config.minute = fixed_integer(time, time_line, 4, 5, "the minute (an integer in columns 4-5)");
    config.second = fixed_integer(time, time_line, 7, 8, "the second (an integer in columns 7-8)");

    for (std::size_t k = 0; k < 8; ++k) {
        lines.free_format(kExpectParameter[k],
                          [&](FreeFormatRead& values) { config.parameters[k] = values.real(kExpectParameter[k]); });
    }
    lines.free_format(kExpectFieldModel, [&](FreeFormatRead& values) {
        config.field_model_code = static_cast<int>(values.integer(kExpectFieldModel, kInt32Min, kInt32Max));
    });
    lines.free_format(kExpectAltitude,
                      [&](FreeFormatRead& values) { config.altitude_km = values.real(kExpectAltitude); });
    lines.free_format(kExpectOutputFrame, [&](FreeFormatRead& values) {
        config.output_frame_code = static_cast<int>(values.integer(kExpectOutputFrame, kInt32Min, kInt32Max));
    });
    lines.free_format("the longitude window (two numbers)", [&](FreeFormatRead& values) {
        config.longitude_min = values.real(kExpectLongitudeMin);
        config.longitude_max = values.real(kExpectLongitudeMax);
    });

    lines.take("the heading line of the station list");

    while (true) {
        const int line_number = lines.next_line_number();
        const std::string_view line =
            lines.take("a station line or the \"#\" line that ends the station list");
        if (!line.empty() && line.front() == '#') break;
        if (!line.empty() && line.front() == 'c') continue;
        config.stations.push_back(parse_station(line, line_number));
    }

    while (!lines.at_end()) {
        const int line_number = lines.next_line_number();
        config.rigidities.push_back(parse_rigidity(lines.take(kExpectRigidity), line_number));
    }
    return config;
}

// Reads the whole file at `path` in binary mode, then parses and validates it.
// A path that cannot be opened or read as a file (a directory, say) gets the
// "cannot open" message.
RunConfiguration read_configuration(const std::string& path, NeededLists needed) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) throw ConfigError::cannot_open();
    std::string text;
    // istream::read turns a failed read into badbit instead of letting the
    // stream buffer's exception escape.
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad()) throw ConfigError::cannot_open();
    RunConfiguration config = parse_configuration(text);
    validate_configuration(config, needed);
    return config;
}

}  // namespace cones
