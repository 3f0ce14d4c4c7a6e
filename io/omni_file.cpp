// Reader of the OMNI ASCII files: lines split into words, the format taken
// from the first line's number of words, the words the models need converted
// with their fill values turned into NaN.
#include "io/omni_file.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <istream>
#include <string_view>
#include <system_error>

#include "io/calendar.hpp"
#include "io/config_parsing.hpp"

namespace cones {
namespace {

// An OMNI line is some 330 characters; a far longer one means a file that is
// not OMNI text, which is not read on.
constexpr std::size_t kMaxOmniLineBytes = 4096;

// A word the reader takes: its place on the line (from 1), its column format
// and its name in messages. Word 0 is a word the format does not have.
struct OmniWord {
    int word = 0;
    OmniColumn column;
    const char* name = "";
};

// Where a format keeps what the models need. Column formats as the published
// format descriptions give them; the character widths of the lines of the
// sample files agree with them word for word.
struct OmniLayout {
    OmniFormat format;
    int words;
    int record_seconds;
    const char* description;
    OmniWord year, day, hour, minute;
    OmniWord speed, density, pressure, by, bz, dst, sym_h, kp;
};

constexpr OmniColumn kI3{3, -1}, kI4{4, -1}, kI6{6, -1};

// Hourly OMNI2: year I4, day I4, hour I3, ... By, Bz GSM (words 16, 17)
// F6.1, density (24) F6.1, speed (25) F6.0, flow pressure (29) F6.2, Kp*10
// (39) I3, Dst (41) I6.
constexpr OmniLayout kHourlyLayout{
    OmniFormat::kHourly, 55, 3600, "an hourly OMNI2 record",
    {1, kI4, "the year"}, {2, kI4, "the day of the year"}, {3, kI3, "the hour"}, {},
    {25, {6, 0}, "the flow speed"}, {24, {6, 1}, "the proton density"}, {29, {6, 2}, "the flow pressure"},
    {16, {6, 1}, "By (GSM)"}, {17, {6, 1}, "Bz (GSM)"}, {41, kI6, "Dst"}, {}, {39, kI3, "Kp*10"},
};

// High-resolution 1- and 5-minute records (the 5-minute ones add three
// proton fluxes at the end): year I4, day I4, hour I3, minute I3, ... By, Bz
// GSM (words 18, 19) F8.2, flow speed (22) F8.1, proton density (26) F7.2,
// flow pressure (28) F6.2, SYM-H (42) I6.
constexpr OmniLayout high_resolution_layout(OmniFormat format, int words, int record_seconds,
                                            const char* description) {
    return {format, words, record_seconds, description,
            {1, kI4, "the year"}, {2, kI4, "the day of the year"}, {3, kI3, "the hour"}, {4, kI3, "the minute"},
            {22, {8, 1}, "the flow speed"}, {26, {7, 2}, "the proton density"}, {28, {6, 2}, "the flow pressure"},
            {18, {8, 2}, "By (GSM)"}, {19, {8, 2}, "Bz (GSM)"}, {}, {42, kI6, "SYM-H"}, {}};
}

constexpr OmniLayout kLayouts[] = {
    kHourlyLayout,
    high_resolution_layout(OmniFormat::kOneMinute, 46, 60, "a high-resolution 1-minute OMNI record"),
    high_resolution_layout(OmniFormat::kFiveMinute, 49, 300, "a high-resolution 5-minute OMNI record"),
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The words of a line, split at blanks, tabs and carriage returns.
void split_words(std::string_view line, std::vector<std::string_view>& words) {
    words.clear();
    std::size_t pos = 0;
    while (true) {
        while (pos < line.size() && is_blank(line[pos])) ++pos;
        if (pos == line.size()) return;
        std::size_t end = pos;
        while (end < line.size() && !is_blank(line[end])) ++end;
        words.push_back(line.substr(pos, end - pos));
        pos = end;
    }
}

std::string shape_list() {
    std::string text;
    for (const OmniLayout& layout : kLayouts) {
        if (!text.empty()) text += &layout == std::end(kLayouts) - 1 ? " or " : ", ";
        text += std::to_string(layout.words) + " words (" + layout.description + ")";
    }
    return text;
}

std::string date_text(int year, int day, int hour, int minute) {
    char text[48];
    std::snprintf(text, sizeof text, "%d day %03d %02d:%02d", year, day, hour, minute);
    return text;
}

// The records of one file, line by line.
class OmniParser {
public:
    explicit OmniParser(const std::string& name) { file_.name = name; }

    void line(int number, std::string_view text) {
        split_words(text, words_);
        if (words_.empty()) {
            if (blank_line_ == 0) blank_line_ = number;
            return;
        }
        if (blank_line_ != 0) fail(blank_line_, "expected " + expected_shape() + ", found an empty line");
        if (layout_ == nullptr) choose_layout(number);
        if (static_cast<int>(words_.size()) != layout_->words) {
            fail(number, "expected " + expected_shape() + ", found " + std::to_string(words_.size()) + " words");
        }
        for (std::size_t k = 0; k < words_.size(); ++k) values_[k] = number_at(number, k);
        file_.records.push_back(record(number));
    }

    OmniFile finish() {
        if (file_.records.empty()) fail(0, "expected OMNI records of " + shape_list() + ", found none");
        return std::move(file_);
    }

    [[noreturn]] void fail(int line, const std::string& message) const {
        throw OmniFileError(file_.name, line, message);
    }

private:
    std::string expected_shape() const {
        if (layout_ == nullptr) return "an OMNI record";
        return std::to_string(layout_->words) + " words as on line " + std::to_string(first_line_) + " (" +
               layout_->description + ")";
    }

    void choose_layout(int number) {
        for (const OmniLayout& layout : kLayouts) {
            if (static_cast<int>(words_.size()) == layout.words) layout_ = &layout;
        }
        if (layout_ == nullptr) {
            fail(number, "expected an OMNI record of " + shape_list() + ", found " + std::to_string(words_.size()) +
                             " words");
        }
        file_.format = layout_->format;
        first_line_ = number;
        values_.resize(static_cast<std::size_t>(layout_->words));
    }

    // Word k (from 0) as a finite number.
    double number_at(int number, std::size_t k) const {
        const std::string_view text = words_[k];
        double value = 0.0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        if (result.ec != std::errc{} || result.ptr != text.data() + text.size() || !std::isfinite(value)) {
            fail(number, "expected a number as " + word_name(k) + ", found " + quoted_text(text));
        }
        return value;
    }

    std::string word_name(std::size_t k) const {
        const int word = static_cast<int>(k) + 1;
        std::string name = "word " + std::to_string(word);
        const OmniLayout& l = *layout_;
        for (const OmniWord* w : {&l.year, &l.day, &l.hour, &l.minute, &l.speed, &l.density, &l.pressure, &l.by,
                                  &l.bz, &l.dst, &l.sym_h, &l.kp}) {
            if (w->word == word) name += std::string(" (") + w->name + ")";
        }
        return name;
    }

    // A time word: digits only, of a value in [low, high].
    int time_field(int number, const OmniWord& w, int low, int high) const {
        const auto k = static_cast<std::size_t>(w.word - 1);
        const std::string_view text = words_[k];
        const double value = values_[k];
        const bool digits = std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digits || value < low || value > high) {
            fail(number, "expected " + word_name(k) + " as an integer from " + std::to_string(low) + " to " +
                             std::to_string(high) + ", found " + quoted_text(text));
        }
        return static_cast<int>(value);
    }

    // A data word: its value, or NaN for the column's fill value; absent
    // words are NaN.
    double data_field(const OmniWord& w) const {
        if (w.word == 0) return SolarWindRecord::kMissing;
        const double value = values_[static_cast<std::size_t>(w.word - 1)];
        return value == omni_fill_value(w.column) ? SolarWindRecord::kMissing : value;
    }

    SolarWindRecord record(int number) {
        const OmniLayout& l = *layout_;
        const int year = time_field(number, l.year, 1, 9999);
        const int day = time_field(number, l.day, 1, is_leap_year(year) ? 366 : 365);
        const int hour = time_field(number, l.hour, 0, 23);
        const int minute = l.minute.word == 0 ? 0 : time_field(number, l.minute, 0, 59);
        SolarWindRecord r;
        r.start = ut_seconds(year, day, hour, minute, 0);
        r.length = l.record_seconds;
        if (!file_.records.empty() && r.start <= file_.records.back().start) {
            fail(number, "expected a record later than that of line " + std::to_string(previous_line_) + " (" +
                             previous_time_ + "), found " + date_text(year, day, hour, minute));
        }
        previous_line_ = number;
        previous_time_ = date_text(year, day, hour, minute);
        r.speed = data_field(l.speed);
        r.density = data_field(l.density);
        r.pressure = data_field(l.pressure);
        r.by = data_field(l.by);
        r.bz = data_field(l.bz);
        r.dst = data_field(l.dst);
        r.sym_h = data_field(l.sym_h);
        r.kp = data_field(l.kp) / 10.0;  // the file holds Kp*10
        return r;
    }

    OmniFile file_;
    const OmniLayout* layout_ = nullptr;
    int first_line_ = 0;
    int blank_line_ = 0;  // the first of the blank lines seen since the last record
    int previous_line_ = 0;
    std::string previous_time_;
    std::vector<std::string_view> words_;
    std::vector<double> values_;
};

std::string located(const std::string& file, int line, const std::string& message) {
    std::string text = file;
    if (line > 0) text += ", line " + std::to_string(line);
    return text + ": " + message;
}

}  // namespace

OmniFileError::OmniFileError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(located(file, line, message)), line_(line) {}

double omni_fill_value(OmniColumn column) {
    const int nines = column.width - 1 - (column.decimals >= 0 ? 1 : 0);
    double all_nines = 0.0;
    for (int k = 0; k < nines; ++k) all_nines = all_nines * 10.0 + 9.0;
    double scale = 1.0;
    for (int k = 0; k < column.decimals; ++k) scale *= 10.0;
    return all_nines / scale;
}

// Reads in binary chunks (istream::read turns a failed read, of a directory
// say, into badbit) and hands on each line without its line end.
OmniFile read_omni_stream(std::istream& in, const std::string& name) {
    OmniParser parser(name);
    std::string line;
    int number = 1;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        for (const char c : std::string_view(buffer, static_cast<std::size_t>(in.gcount()))) {
            if (c == '\n') {
                parser.line(number++, line);
                line.clear();
            } else if (line.size() == kMaxOmniLineBytes) {
                parser.fail(number, "expected a line of an OMNI record, found a line of more than " +
                                        std::to_string(kMaxOmniLineBytes) + " bytes (is it a text file?)");
            } else {
                line += c;
            }
        }
    }
    if (in.bad()) parser.fail(0, "cannot read the file");
    if (!line.empty()) parser.line(number, line);
    return parser.finish();
}

OmniFile read_omni_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) throw OmniFileError(path, 0, "cannot open the file");
    return read_omni_stream(file, path);
}

OmniData merge_omni_files(const std::vector<OmniFile>& files) {
    // Where a record is: its file and its place there.
    struct Place {
        std::size_t file, index;
    };
    const auto record = [&files](const Place& p) -> const SolarWindRecord& { return files[p.file].records[p.index]; };
    const auto earlier = [&record](const Place& a, const Place& b) {
        const SolarWindRecord& ra = record(a);
        const SolarWindRecord& rb = record(b);
        return ra.start != rb.start ? ra.start < rb.start : ra.length < rb.length;
    };
    std::size_t total = 0;
    for (const OmniFile& file : files) total += file.records.size();
    std::vector<Place> places;
    places.reserve(total);
    OmniData data;
    // Each file's records are in time order already: merge them in one by one.
    for (std::size_t f = 0; f < files.size(); ++f) {
        data.names.push_back(files[f].name);
        const std::size_t middle = places.size();
        for (std::size_t k = 0; k < files[f].records.size(); ++k) places.push_back({f, k});
        std::inplace_merge(places.begin(), places.begin() + static_cast<std::ptrdiff_t>(middle), places.end(),
                           earlier);
    }
    data.records.reserve(total);
    for (const Place& p : places) {
        const SolarWindRecord& r = record(p);
        if (!data.records.empty() && data.records.back().start == r.start && data.records.back().length == r.length) {
            const UtDayTime at = ut_day_time(r.start);
            const std::size_t before = (&p - 1)->file;
            throw OmniFileError(files[p.file].name, 0,
                                "holds the record of " + date_text(at.year, at.day_of_year, at.hour, at.minute) +
                                    " that " + files[before].name + " holds too");
        }
        data.records.push_back(r);
    }
    return data;
}

SolarWindInputs omni_model_inputs(const OmniData& data, UtSeconds t, const ModelInputs& needed) {
    try {
        return solar_wind_inputs(data.records, t, needed);
    } catch (SolarWindGapError& error) {
        std::string names;
        for (const std::string& name : data.names) names += (names.empty() ? "" : " and ") + name;
        error.set_file(names);
        throw;
    }
}

}  // namespace cones
