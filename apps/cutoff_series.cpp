#include "apps/cutoff_series.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "apps/omni_option.hpp"
#include "io/calendar.hpp"

namespace cones {
namespace {

// A whole number of exactly `digits` digits at `text[at]`, or -1.
int digits_at(const std::string& text, std::size_t at, std::size_t digits) {
    if (at + digits > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool parse_number(const std::string& text, double& value) {
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) return false;
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') ++begin;
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> split_fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(trimmed(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

// A station name padded with blanks to the 20 bytes of a station record.
std::string padded_name(const std::string& name) { return name + std::string(20 - name.size(), ' '); }

}  // namespace

UtSeconds parse_ut_time(const std::string& text) {
    std::string t = text;
    if (!t.empty() && t.back() == 'Z') t.pop_back();
    const auto fail = [&text]() -> UtSeconds {
        throw std::invalid_argument("expected a date and time in UT as YYYY-MM-DDTHH:MM[:SS], found '" + text + "'");
    };
    if (t.size() != 10 && t.size() != 16 && t.size() != 19) return fail();
    const int year = digits_at(t, 0, 4), month = digits_at(t, 5, 2), day = digits_at(t, 8, 2);
    if (year < 0 || month < 0 || day < 0 || t[4] != '-' || t[7] != '-') return fail();
    int hour = 0, minute = 0, second = 0;
    if (t.size() > 10) {
        hour = digits_at(t, 11, 2);
        minute = digits_at(t, 14, 2);
        if ((t[10] != 'T' && t[10] != ' ') || t[13] != ':' || hour < 0 || minute < 0) return fail();
        if (t.size() == 19) {
            second = digits_at(t, 17, 2);
            if (t[16] != ':' || second < 0) return fail();
        }
    }
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > days_in_month(month, year) || hour > 23 ||
        minute > 59 || second > 59) {
        throw std::invalid_argument("expected a date and time in UT from 1900 to 9999, found '" + text +
                                    "', which does not exist");
    }
    return ut_seconds(year, day_of_year(day, month, year), hour, minute, second);
}

UtSeconds parse_time_step(const std::string& text) {
    double scale = 1.0;
    std::string number = text;
    if (!number.empty()) {
        switch (number.back()) {
            case 's': scale = 1.0; number.pop_back(); break;
            case 'm': scale = 60.0; number.pop_back(); break;
            case 'h': scale = 3600.0; number.pop_back(); break;
            case 'd': scale = 86400.0; number.pop_back(); break;
            default: break;
        }
    }
    double value = 0.0;
    if (!parse_number(number, value) || number != trimmed(number)) {
        throw std::invalid_argument("expected a time step (seconds, or a number with s, m, h or d: 30m), found '" +
                                    text + "'");
    }
    const double seconds = value * scale;
    if (!(seconds >= 1.0) || seconds != std::floor(seconds) || seconds > 1e12) {
        throw std::invalid_argument("expected a time step of a whole number of seconds, at least 1 s, found '" +
                                    text + "'");
    }
    return static_cast<UtSeconds>(seconds);
}

std::vector<UtSeconds> series_moments(UtSeconds start, UtSeconds end, UtSeconds step) {
    if (end < start) throw std::invalid_argument("the end of the times lies before their start");
    const UtSeconds count = (end - start) / step + 1;
    if (count > static_cast<UtSeconds>(kMaxSeriesMoments)) {
        throw std::invalid_argument("the times hold " + std::to_string(count) + " moments, more than " +
                                    std::to_string(kMaxSeriesMoments));
    }
    std::vector<UtSeconds> moments;
    moments.reserve(static_cast<std::size_t>(count));
    for (UtSeconds k = 0; k < count; ++k) moments.push_back(start + k * step);
    return moments;
}

std::vector<PathPoint> parse_path(const std::string& text, const std::string& name) {
    std::vector<PathPoint> points;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool first = true;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (trimmed(line).empty() || trimmed(line)[0] == '#') continue;
        const auto fail = [&](const std::string& message) {
            throw PathFileError(name + ", line " + std::to_string(number) + ": " + message);
        };
        const std::vector<std::string> fields = split_fields(line);
        PathPoint point;
        point.line = number;
        try {
            point.time = parse_ut_time(fields[0]);
        } catch (const std::invalid_argument& error) {
            if (first) {  // a header
                first = false;
                continue;
            }
            fail(error.what());
        }
        first = false;
        if (fields.size() != 4) {
            fail("expected four fields (time,latitude,longitude,altitude in km), found " +
                 std::to_string(fields.size()));
        }
        const char* names[] = {"latitude", "longitude", "altitude"};
        double* values[] = {&point.latitude, &point.longitude, &point.altitude_km};
        for (int k = 0; k < 3; ++k) {
            if (!parse_number(fields[static_cast<std::size_t>(k) + 1], *values[k])) {
                fail(std::string("expected a number for the ") + names[k] + ", found '" +
                     fields[static_cast<std::size_t>(k) + 1] + "'");
            }
        }
        if (point.latitude < -90.0 || point.latitude > 90.0) {
            fail("expected a latitude from -90 to 90 degrees, found " + fields[1]);
        }
        if (point.altitude_km < 0.0) fail("expected an altitude of 0 km or more, found " + fields[3]);
        if (!points.empty() && point.time < points.back().time) {
            fail("expected a time not before that of line " + std::to_string(points.back().line) + ", found " +
                 fields[0]);
        }
        if (points.size() == kMaxSeriesMoments) {
            fail("more than " + std::to_string(kMaxSeriesMoments) + " points");
        }
        points.push_back(point);
    }
    if (points.empty()) throw PathFileError(name + ": expected points (time,latitude,longitude,altitude), found none");
    return points;
}

std::vector<PathPoint> read_path_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PathFileError("Can not open file " + path + ": " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw PathFileError("Can not read file " + path + ": " + std::strerror(errno));
    return parse_path(text.str(), path);
}

namespace {

SeriesMoment moment_at(const RunConfiguration& config, UtSeconds t, const OmniData* omni) {
    SeriesMoment moment{config, std::nullopt};
    set_configured_moment(moment.config, t);
    if (omni != nullptr) moment.inputs = apply_omni_inputs(moment.config, *omni);
    return moment;
}

}  // namespace

std::vector<SeriesMoment> time_series_moments(const RunConfiguration& config, const std::vector<UtSeconds>& times,
                                              const OmniData* omni) {
    std::vector<SeriesMoment> moments;
    moments.reserve(times.size());
    for (const UtSeconds t : times) moments.push_back(moment_at(config, t, omni));
    return moments;
}

std::vector<SeriesMoment> path_moments(const RunConfiguration& config, const std::vector<PathPoint>& points,
                                       const OmniData* omni) {
    RunConfiguration base = config;
    base.stations.clear();
    std::vector<SeriesMoment> moments;
    moments.reserve(points.size());
    for (std::size_t k = 0; k < points.size(); ++k) {
        const PathPoint& point = points[k];
        SeriesMoment moment = moment_at(base, point.time, omni);
        StationRecord station;
        station.name = padded_name("point " + std::to_string(k + 1));
        station.latitude = point.latitude;
        station.longitude = point.longitude;
        station.line = point.line;
        moment.config.stations.push_back(station);
        moment.config.altitude_km = point.altitude_km;
        moments.push_back(std::move(moment));
    }
    return moments;
}

}  // namespace cones
