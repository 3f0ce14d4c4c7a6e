// The OMNI files: the format told by the words of a line, fill values turned
// into missing values column by column, the errors that name the file and the
// line; and the model inputs of both sample files at a few moments, against
// values worked out here from records typed in from the files' lines.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "io/omni_file.hpp"
#include "models/t01/t01_model.hpp"
#include "models/t89/t89_model.hpp"
#include "models/t96/t96_model.hpp"
#include "tests/support/solar_wind_checks.hpp"

namespace cones {
namespace {

using namespace testing_support;  // element, source, expect_gap_error

const std::string kDataDir = std::string(CONES_SOURCE_DIR) + "/tests/data/omni/";
const std::string kHourlyFile = kDataDir + "omni2_hourly_2024-04-26_to_05-28.dat";
const std::string kFiveMinuteFile = kDataDir + "omni_5min_2003-10-28_to_30.asc";

using Q = ModelInput;

// The lines of a sample file, without their line ends.
std::vector<std::string> lines_of(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The line with word `word` (from 1) replaced, words joined by one blank.
std::string with_word(const std::string& line, int word, const std::string& text) {
    std::istringstream in(line);
    std::string out, w;
    for (int k = 1; in >> w; ++k) out += (out.empty() ? "" : " ") + (k == word ? text : w);
    return out;
}

OmniFile read_text(const std::string& text, const std::string& name = "test.asc") {
    std::istringstream in(text);
    return read_omni_stream(in, name);
}

TEST(OmniFile, FillValuesAreAllNinesInTheColumnWidth) {
    const struct {
        OmniColumn column;
        double fill;
    } cases[] = {
        {{3, -1}, 99.0},      {{6, -1}, 99999.0},  {{6, 0}, 9999.0},    {{6, 1}, 999.9},
        {{6, 2}, 99.99},      {{7, 2}, 999.99},    {{8, 1}, 99999.9},   {{8, 2}, 9999.99},
        {{9, 0}, 9999999.0},  {{10, 2}, 999999.99},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(omni_fill_value(c.column), c.fill) << c.column.width << "." << c.column.decimals;
    }
}

TEST(OmniFile, TheHourlySampleReadsWithItsFillAndIndexValues) {
    const OmniFile file = read_omni_file(kHourlyFile);
    EXPECT_EQ(file.format, OmniFormat::kHourly);
    ASSERT_EQ(file.records.size(), 792u);  // 2024 day 117 00h to day 149 23h
    EXPECT_EQ(file.records.front().start, ut_seconds(2024, 117, 0, 0, 0));
    EXPECT_EQ(file.records.back().start, ut_seconds(2024, 149, 23, 0, 0));
    EXPECT_EQ(file.records.front().length, 3600);

    // Dst -406 nT at day 132 02h is the file's lowest; Kp*10 90 its highest.
    const auto lowest = std::min_element(file.records.begin(), file.records.end(),
                                         [](const auto& a, const auto& b) { return a.dst < b.dst; });
    EXPECT_EQ(lowest->dst, -406.0);
    EXPECT_EQ(lowest->start, ut_seconds(2024, 132, 2, 0, 0));
    double highest_kp = 0.0;
    for (const SolarWindRecord& r : file.records) highest_kp = std::max(highest_kp, r.kp);
    EXPECT_EQ(highest_kp, 9.0);

    // Plasma and IMF are fill for 19 hours from day 123 22h; the plasma alone
    // also at day 130 18h and day 146 22h. Dst and Kp are never fill.
    int no_field = 0, no_plasma = 0;
    for (const SolarWindRecord& r : file.records) {
        no_field += std::isnan(r.by) && std::isnan(r.bz);
        no_plasma += std::isnan(r.speed) && std::isnan(r.density) && std::isnan(r.pressure);
        EXPECT_FALSE(std::isnan(r.dst) || std::isnan(r.kp) || !std::isnan(r.sym_h));
    }
    EXPECT_EQ(no_field, 19);
    EXPECT_EQ(no_plasma, 21);

    // The words read, typed in from the lines: line 331, day 130 18h, has the
    // IMF without plasma; line 355, day 131 18h, is the hour after the shock.
    const SolarWindRecord& line331 = file.records[330];
    EXPECT_EQ(line331.start, ut_seconds(2024, 130, 18, 0, 0));
    EXPECT_EQ(line331.by, 4.5);
    EXPECT_EQ(line331.bz, 1.9);
    EXPECT_TRUE(std::isnan(line331.speed) && std::isnan(line331.density) && std::isnan(line331.pressure));
    EXPECT_EQ(line331.dst, 22.0);
    EXPECT_EQ(line331.kp, 2.3);  // 23: Kp 2+
    const SolarWindRecord& storm = file.records[(131 - 117) * 24 + 18];  // day 131 18h
    EXPECT_EQ(storm.speed, 697.0);
    EXPECT_EQ(storm.density, 32.9);
    EXPECT_EQ(storm.pressure, 31.18);
    EXPECT_EQ(storm.by, -14.1);
    EXPECT_EQ(storm.bz, -18.0);
    EXPECT_EQ(storm.dst, -33.0);
    EXPECT_EQ(storm.kp, 8.7);
}

TEST(OmniFile, TheFiveMinuteSampleReadsWithItsFillSpans) {
    const OmniFile file = read_omni_file(kFiveMinuteFile);
    EXPECT_EQ(file.format, OmniFormat::kFiveMinute);
    ASSERT_EQ(file.records.size(), 864u);
    EXPECT_EQ(file.records.front().start, ut_seconds(2003, 301, 0, 0, 0));
    EXPECT_EQ(file.records.back().start, ut_seconds(2003, 303, 23, 55, 0));
    EXPECT_EQ(file.records.front().length, 300);

    // Plasma and IMF are fill from 302 05:50 to 18:35 and from 302 23:55 on;
    // SYM-H is there throughout; Dst and Kp are not in the format.
    const UtSeconds gap1 = ut_seconds(2003, 302, 5, 50, 0), end1 = ut_seconds(2003, 302, 18, 35, 0);
    const UtSeconds gap2 = ut_seconds(2003, 302, 23, 55, 0);
    for (const SolarWindRecord& r : file.records) {
        const bool fill = (r.start >= gap1 && r.start <= end1) || r.start >= gap2;
        for (const double v : {r.speed, r.density, r.pressure, r.by, r.bz}) EXPECT_EQ(std::isnan(v), fill) << r.start;
        EXPECT_FALSE(std::isnan(r.sym_h));
        EXPECT_TRUE(std::isnan(r.dst) && std::isnan(r.kp));
    }
    // The sudden commencement: SYM-H -32 at 06:05, +17 at 06:10, +33 at 06:15.
    const std::size_t at0605 = 288 + 6 * 12 + 1;
    EXPECT_EQ(file.records[at0605].sym_h, -32.0);
    EXPECT_EQ(file.records[at0605 + 1].sym_h, 17.0);
    EXPECT_EQ(file.records[at0605 + 2].sym_h, 33.0);
}

TEST(OmniFile, FillIsTheValueOfEachColumnNotAnyRunOfNines) {
    const std::string line = lines_of(kFiveMinuteFile).at(0);
    // By (F8.2, fill 9999.99) of 99.99 nT is a value; the flow pressure's
    // 99.99 (F6.2) and the proton density's 999.99 (F7.2) are fill.
    const std::string text = with_word(with_word(with_word(line, 18, "99.99"), 28, "99.99"), 26, "999.99") + "\n";
    const SolarWindRecord r = read_text(text).records.at(0);
    EXPECT_EQ(r.by, 99.99);
    EXPECT_TRUE(std::isnan(r.pressure));
    EXPECT_TRUE(std::isnan(r.density));
    EXPECT_EQ(r.speed, 473.4);
    EXPECT_EQ(r.bz, 0.08);
}

TEST(OmniFile, OneMinuteRecordsHave46Words) {
    // The 1-minute format is the 5-minute one without its three proton
    // fluxes (3 x F9.2 at the end of the line).
    const std::vector<std::string> lines = lines_of(kFiveMinuteFile);
    std::string text;
    for (int k = 0; k < 3; ++k) text += lines[k].substr(0, lines[k].size() - 27) + "\r\n";
    const OmniFile file = read_text(text + "\r\n\n");  // blank lines at the end are ignored
    EXPECT_EQ(file.format, OmniFormat::kOneMinute);
    ASSERT_EQ(file.records.size(), 3u);
    EXPECT_EQ(file.records[2].length, 60);
    EXPECT_EQ(file.records[2].start, ut_seconds(2003, 301, 0, 10, 0));
    EXPECT_EQ(file.records[2].sym_h, -21.0);
    EXPECT_EQ(file.records[2].pressure, 0.42);
}

TEST(OmniFile, ErrorsNameTheFileAndTheLine) {
    const std::vector<std::string> five = lines_of(kFiveMinuteFile);
    const std::vector<std::string> hourly = lines_of(kHourlyFile);
    std::string long_line(5000, '1');
    const struct {
        std::string text;
        int line;
        std::string fragment;
    } cases[] = {
        {"2003 301 0 0\n", 1,
         "expected an OMNI record of 55 words (an hourly OMNI2 record), 46 words (a high-resolution 1-minute OMNI "
         "record) or 49 words (a high-resolution 5-minute OMNI record), found 4 words"},
        {five[0] + "\n" + five[1] + "\n" + hourly[0] + "\n", 3,
         "expected 49 words as on line 1 (a high-resolution 5-minute OMNI record), found 55 words"},
        {five[0] + "\n" + with_word(five[1], 22, "4a4.4") + "\n", 2,
         "expected a number as word 22 (the flow speed), found \"4a4.4\""},
        {with_word(hourly[0], 30, "nan") + "\n", 1, "expected a number as word 30, found \"nan\""},
        {five[1] + "\n" + five[0] + "\n", 2,
         "expected a record later than that of line 1 (2003 day 301 00:05), found 2003 day 301 00:00"},
        {five[0] + "\n" + five[0] + "\n", 2, "expected a record later than that of line 1"},
        {with_word(five[0], 2, "366") + "\n", 1,
         "expected word 2 (the day of the year) as an integer from 1 to 365, found \"366\""},
        {with_word(hourly[0], 3, "1.0") + "\n", 1, "expected word 3 (the hour) as an integer from 0 to 23"},
        {five[0] + "\n\n" + five[1] + "\n", 2, "expected 49 words as on line 1"},
        {long_line, 1, "found a line of more than 4096 bytes"},
        {"\n\n", 0, "found none"},
    };
    for (const auto& c : cases) {
        try {
            read_text(c.text, "x.asc");
            ADD_FAILURE() << "no error for line " << c.line << ": " << c.fragment;
        } catch (const OmniFileError& e) {
            const std::string what = e.what();
            EXPECT_EQ(e.line(), c.line) << what;
            EXPECT_NE(what.find(c.fragment), std::string::npos) << what;
            const std::string place = c.line > 0 ? "x.asc, line " + std::to_string(c.line) + ": " : "x.asc: ";
            EXPECT_EQ(what.rfind(place, 0), 0u) << what;
        }
    }

    for (const std::string& path : {kDataDir + "no-such-file.asc", kDataDir}) {
        try {
            read_omni_file(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const OmniFileError& e) {
            EXPECT_EQ(e.line(), 0);
            EXPECT_EQ(std::string(e.what()).rfind(path + ": cannot ", 0), 0u) << e.what();
        }
    }
}

TEST(OmniFile, FilesMergeInTimeOrderAndNoRecordTwice) {
    const OmniFile hourly = read_omni_file(kHourlyFile);
    const OmniFile five = read_omni_file(kFiveMinuteFile);
    const OmniData data = merge_omni_files({hourly, five});
    ASSERT_EQ(data.records.size(), 792u + 864u);
    EXPECT_EQ(data.records.front().start, five.records.front().start);  // 2003 before 2024
    EXPECT_EQ(data.records.back().start, hourly.records.back().start);
    EXPECT_TRUE(std::is_sorted(data.records.begin(), data.records.end(),
                               [](const auto& a, const auto& b) { return a.start < b.start; }));
    EXPECT_EQ(data.names, (std::vector<std::string>{kHourlyFile, kFiveMinuteFile}));

    try {
        merge_omni_files({five, five});
        ADD_FAILURE() << "no error";
    } catch (const OmniFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  kFiveMinuteFile + ": holds the record of 2003 day 301 00:00 that " + kFiveMinuteFile + " holds too");
    }
}

// Solar-wind values of one record, typed in from a line of a sample file.
struct Typed {
    double by, bz, speed, density, pressure;
};

// The pressure, By and Bz means and G1, G2, G3 of the records, worked out
// term by term: sin(theta / 2) from the half-angle formula, which needs no
// branch of the clock angle.
std::array<double, 6> by_hand(std::span<const Typed> records) {
    std::array<double, 6> sum{};
    for (const Typed& r : records) {
        const double bt = std::hypot(r.by, r.bz);
        const double half_sine = std::sqrt((1.0 - r.bz / bt) / 2.0);
        const double bs = std::max(-r.bz, 0.0);
        sum[0] += r.pressure;
        sum[1] += r.by;
        sum[2] += r.bz;
        sum[3] += r.speed * std::pow(bt / 40.0, 2) / (1.0 + bt / 40.0) * std::pow(half_sine, 3);
        sum[4] += 0.005 * r.speed * bs;
        sum[5] += r.speed * r.density * bs / 2000.0;
    }
    for (double& s : sum) s /= static_cast<double>(records.size());
    return sum;
}

void expect_window_values(const SolarWindInputs& inputs, std::span<const Typed> records, int valid, int of) {
    const std::array<double, 6> expected = by_hand(records);
    const Q quantities[6] = {Q::kPressure, Q::kBy, Q::kBz, Q::kG1, Q::kG2, Q::kG3};
    for (std::size_t k = 0; k < 6; ++k) {
        const double value = element(inputs, quantities[k]);
        EXPECT_NEAR(value, expected[k], 1e-12 * std::max(1.0, std::abs(expected[k])))
            << model_input_name(quantities[k]).name;
        EXPECT_EQ(source(inputs, quantities[k]).valid, valid) << model_input_name(quantities[k]).name;
        EXPECT_EQ(source(inputs, quantities[k]).records, of) << model_input_name(quantities[k]).name;
    }
}

TEST(OmniInputs, FiveMinuteWindowOfAQuietHour) {
    // 2003 day 301 00:00 to 00:55: By < 0 throughout, Bz mostly > 0 (clock
    // angles just below 2 pi on the 3 pi / 2 side).
    const Typed records[] = {
        {-5.45, 0.08, 473.4, 1.11, 0.50},  {-5.42, 0.04, 464.4, 0.96, 0.41}, {-5.34, -0.15, 463.6, 0.98, 0.42},
        {-5.45, 0.03, 472.1, 1.02, 0.46},  {-5.40, 0.44, 469.8, 1.07, 0.47}, {-5.62, 0.48, 475.1, 1.14, 0.52},
        {-5.45, 0.64, 485.3, 1.30, 0.62},  {-5.42, 0.08, 485.7, 1.33, 0.63}, {-5.29, 0.80, 490.2, 1.49, 0.72},
        {-5.54, 0.28, 486.0, 1.30, 0.62},  {-5.41, -0.63, 484.0, 1.05, 0.49}, {-5.13, 0.44, 484.0, 1.04, 0.49},
    };
    const OmniData data = merge_omni_files({read_omni_file(kFiveMinuteFile)});
    const SolarWindInputs inputs = omni_model_inputs(data, ut_seconds(2003, 301, 1, 0, 0),
                                                     T01StormModel::kDescription.reads);
    expect_window_values(inputs, records, 12, 12);
    EXPECT_GT(element(inputs, Q::kG1), 0.0);
    // Dst: the SYM-H of the record of 01:00 to 01:05.
    EXPECT_TRUE(inputs.dst_is_sym_h);
    EXPECT_EQ(element(inputs, Q::kDst), -22.0);
}

TEST(OmniInputs, WindowsAcrossTheEdgesOfThePlasmaAndFieldGap) {
    // Plasma and IMF are fill from 2003 day 302 05:50 (just before the
    // shock) to 18:35. The windows of 06:20 and 19:10 hold 6 valid records
    // of 12, those of 06:25 and 19:05 only 5.
    const Typed before_gap[] = {
        {-4.74, 0.11, 655.9, 1.84, 1.58}, {-5.28, 1.73, 682.0, 1.99, 1.85}, {-4.32, 0.56, 674.6, 2.09, 1.92},
        {-2.58, -3.20, 674.3, 1.68, 1.53}, {-3.97, -2.28, 663.8, 1.84, 1.62}, {-4.12, -1.25, 682.0, 2.20, 2.04},
    };
    const Typed after_gap[] = {
        {2.54, -23.04, 987.2, 0.91, 1.77}, {6.93, -25.12, 925.2, 0.59, 1.01}, {2.46, -23.88, 960.1, 0.68, 1.26},
        {3.28, -23.34, 931.5, 0.63, 1.09}, {5.31, -23.04, 944.5, 0.75, 1.34}, {8.60, -22.58, 948.2, 0.92, 1.66},
    };
    const OmniData data = merge_omni_files({read_omni_file(kFiveMinuteFile)});
    const ModelInputs t01 = T01Model::kDescription.reads;

    const SolarWindInputs at0620 = omni_model_inputs(data, ut_seconds(2003, 302, 6, 20, 0), t01);
    expect_window_values(at0620, before_gap, 6, 12);
    EXPECT_EQ(element(at0620, Q::kDst), 21.0);  // SYM-H of 06:20, after the sudden commencement
    const SolarWindInputs at1910 = omni_model_inputs(data, ut_seconds(2003, 302, 19, 10, 0), t01);
    expect_window_values(at1910, after_gap, 6, 12);
    EXPECT_EQ(element(at1910, Q::kDst), -246.0);

    const struct {
        UtSeconds t;
        const char* time;
    } short_windows[] = {
        {ut_seconds(2003, 302, 6, 25, 0), "2003 day 302 06:25:00 UT"},
        {ut_seconds(2003, 302, 19, 5, 0), "2003 day 302 19:05:00 UT"},
    };
    for (const auto& w : short_windows) {
        // Without the needs the values are left out and marked.
        const SolarWindInputs inputs = omni_model_inputs(data, w.t, {});
        for (const Q q : {Q::kPressure, Q::kBy, Q::kBz, Q::kG1, Q::kG2, Q::kG3}) {
            EXPECT_EQ(source(inputs, q).valid, 5) << w.time;
            EXPECT_FALSE(source(inputs, q).enough());
            EXPECT_EQ(element(inputs, q), 0.0);
        }
        expect_gap_error([&] { omni_model_inputs(data, w.t, t01); }, Q::kPressure,
                         kFiveMinuteFile + ": pressure at " + w.time +
                             ": only 5 of the 12 5-minute records of the hour before are valid, fewer than half");
        // Only the IMF needed: the same rule for By.
        EXPECT_THROW(omni_model_inputs(data, w.t, ModelInputs({Q::kBy})), SolarWindGapError);
    }
}

TEST(OmniInputs, HourlyRecordsOfTheMay2024Storm) {
    const OmniData data = merge_omni_files({read_omni_file(kHourlyFile)});
    const ModelInputs t01 = T01Model::kDescription.reads;
    // 10 May 2024 (day 131) 18:00 and 18:30: the record of 17:00 (the
    // shock's hour), Dst and Kp of 18:00; 21:00: the record of 20:00.
    const struct {
        int hour, minute;
        Typed record;
        double dst, kp;
    } cases[] = {
        {18, 0, {-1.9, -5.9, 571.0, 29.1, 17.75}, -33.0, 8.7},
        {18, 30, {-1.9, -5.9, 571.0, 29.1, 17.75}, -33.0, 8.7},
        {21, 0, {3.1, -26.9, 702.0, 48.1, 55.89}, -277.0, 8.7},
    };
    for (const auto& c : cases) {
        const SolarWindInputs inputs = omni_model_inputs(data, ut_seconds(2024, 131, c.hour, c.minute, 0), t01);
        expect_window_values(inputs, std::span(&c.record, 1), 1, 1);
        EXPECT_EQ(element(inputs, Q::kDst), c.dst);
        EXPECT_EQ(element(inputs, Q::kKp), c.kp);
        EXPECT_FALSE(inputs.dst_is_sym_h);
    }

    // 9 May (day 130) 19:00: the record of 18:00 has the IMF but no plasma.
    const UtSeconds t = ut_seconds(2024, 130, 19, 0, 0);
    const SolarWindInputs t89 = omni_model_inputs(data, t, T89Model::kDescription.reads);
    EXPECT_EQ(element(t89, Q::kKp), 2.3);
    EXPECT_EQ(element(t89, Q::kBy), 4.5);
    EXPECT_EQ(element(t89, Q::kBz), 1.9);
    EXPECT_EQ(source(t89, Q::kPressure).valid, 0);
    EXPECT_EQ(source(t89, Q::kG3).valid, 0);
    expect_gap_error([&] { omni_model_inputs(data, t, T96Model::kDescription.reads); }, Q::kPressure,
                     kHourlyFile + ": pressure at 2024 day 130 19:00:00 UT: the hourly record of the hour before has "
                                   "no value");
}

TEST(OmniInputs, KpNeedsAnHourlyFileBesideTheHighResolutionOne) {
    const OmniData data = merge_omni_files({read_omni_file(kFiveMinuteFile), read_omni_file(kHourlyFile)});
    expect_gap_error(
        [&] { omni_model_inputs(data, ut_seconds(2003, 301, 12, 0, 0), T89Model::kDescription.reads); },
        Q::kKp,
        kFiveMinuteFile + " and " + kHourlyFile +
            ": Kp at 2003 day 301 12:00:00 UT: no hourly record holds this time (only hourly data carry Kp)");
}

}  // namespace
}  // namespace cones
