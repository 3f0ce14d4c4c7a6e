// The model inputs from solar-wind records: the moments of universal time,
// the IMF clock angle's branch, which records the window of the hour before
// takes, where Dst and Kp come from, the rule of at least half valid records,
// and the quantities each model needs.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "models/solar_wind.hpp"
#include "tests/support/solar_wind_checks.hpp"

namespace cones {
namespace {

using namespace testing_support;  // element, source, expect_gap_error

constexpr double kPi = std::numbers::pi;
constexpr ModelInputs kNothing{};

TEST(SolarWind, MomentsCountSecondsFrom1900WithTheGregorianLeapDays) {
    // The offsets of the 1970 and 2000 epochs from 1 January 1900 are the
    // well-known 2208988800 s and 3155673600 s.
    const struct {
        int year, day, hour, minute, second;
        UtSeconds seconds;
    } cases[] = {
        {1900, 1, 0, 0, 0, 0},
        {1900, 60, 0, 0, 0, 59 * 86400},  // 1900 has no 29 February
        {1970, 1, 0, 0, 0, 2208988800},
        {2000, 1, 0, 0, 0, 3155673600},
        {2000, 366, 23, 59, 59, 3155673600 + 366 * 86400 - 1},  // 2000 is a leap year
        {2024, 132, 2, 0, 0, 3924381600},                        // 11 May 2024 02:00
        {2003, 302, 6, 25, 0, 3276397500},                       // 29 October 2003 06:25
        {1899, 365, 12, 0, 0, -43200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ut_seconds(c.year, c.day, c.hour, c.minute, c.second), c.seconds) << c.year << " " << c.day;
        const UtDayTime back = ut_day_time(c.seconds);
        EXPECT_EQ(back.year, c.year);
        EXPECT_EQ(back.day_of_year, c.day);
        EXPECT_EQ(back.hour, c.hour);
        EXPECT_EQ(back.minute, c.minute);
        EXPECT_EQ(back.second, c.second);
    }
    // 2100 is a common year: its day 365 is followed by 1 January 2101.
    EXPECT_EQ(ut_seconds(2100, 366, 0, 0, 0), ut_seconds(2101, 1, 0, 0, 0));
    EXPECT_EQ(ut_day_time(ut_seconds(2100, 365, 23, 0, 0) + 3600).year, 2101);
}

TEST(SolarWind, ClockAngleLiesIn0To2PiSoThatTheHalfAngleSineIsNotNegative) {
    const struct {
        double by, bz, theta;
    } cases[] = {
        {0.0, 5.0, 0.0},
        {5.0, 0.0, kPi / 2},
        {0.0, -5.0, kPi},
        {-0.0, -5.0, kPi},
        {-5.0, 0.0, 3 * kPi / 2},
        {-1.0, 1.0, 7 * kPi / 4},
        {-1e-300, 1.0, 0.0},  // atan2 + 2 pi rounds to 2 pi: north, 0
    };
    for (const auto& c : cases) EXPECT_NEAR(imf_clock_angle(c.by, c.bz), c.theta, 1e-15) << c.by << " " << c.bz;

    // Slightly westward of north: just below 2 pi, not just below 0.
    const double theta = imf_clock_angle(-0.1, 8.0);
    EXPECT_GT(theta, 2 * kPi - 0.02);
    EXPECT_LT(theta, 2 * kPi);
    EXPECT_GT(std::sin(theta / 2), 0.0);
    // sin(theta / 2) = sqrt((1 - cos theta) / 2) = |By| / sqrt(2 Bt (Bt + Bz)).
    const double bt = std::hypot(0.1, 8.0);
    EXPECT_NEAR(std::sin(theta / 2), 0.1 / std::sqrt(2.0 * bt * (bt + 8.0)), 1e-15);
}

// One hourly record from `hour` of 2024 day 131, every value set.
SolarWindRecord hourly(int hour, double value) {
    SolarWindRecord r;
    r.start = ut_seconds(2024, 131, hour, 0, 0);
    r.length = 3600;
    r.speed = 400.0 + value;
    r.density = 5.0;
    r.pressure = value;
    r.by = 3.0;
    r.bz = -4.0;
    r.dst = -10.0 * value;
    r.kp = value / 10.0;
    return r;
}

// 5-minute records of 2024 day 131 from hour:minute on, one a step of
// `step` records, with pressure k and SYM-H -k for the k-th.
std::vector<SolarWindRecord> five_minute(int hour, int minute, int count, int step = 1) {
    std::vector<SolarWindRecord> records;
    for (int k = 0; k < count; ++k) {
        SolarWindRecord r;
        r.start = ut_seconds(2024, 131, hour, minute, 0) + 300 * step * k;
        r.length = 300;
        r.speed = 500.0;
        r.density = 4.0;
        r.pressure = k;
        r.by = 1.0;
        r.bz = 2.0;
        r.sym_h = -k;
        records.push_back(r);
    }
    return records;
}

TEST(SolarWind, TheWindowHoldsTheRecordsThatEndedWithinTheHourBefore) {
    // Twenty-four 5-minute records from 10:00 (pressure 0) to 11:55 (23).
    const std::vector<SolarWindRecord> fine = five_minute(10, 0, 24);
    const struct {
        int hour, minute, second;
        double mean_pressure;  // of the pressures k of the records used
    } cases[] = {
        {12, 0, 0, (12 + 23) / 2.0},   // 11:00 to 11:55
        {11, 59, 59, (11 + 22) / 2.0},  // 10:55 to 11:50: 11:55 ends after t
        {11, 2, 0, (0 + 11) / 2.0},    // 10:00 to 10:55
        {11, 5, 0, (1 + 12) / 2.0},    // 10:05 to 11:00
    };
    for (const auto& c : cases) {
        const UtSeconds t = ut_seconds(2024, 131, c.hour, c.minute, c.second);
        const SolarWindInputs inputs = solar_wind_inputs(fine, t, kNothing);
        EXPECT_DOUBLE_EQ(element(inputs, ModelInput::kPressure), c.mean_pressure) << c.hour << ":" << c.minute;
        EXPECT_EQ(source(inputs, ModelInput::kPressure).valid, 12);
        EXPECT_EQ(source(inputs, ModelInput::kPressure).records, 12);
        EXPECT_EQ(source(inputs, ModelInput::kPressure).record_length, 300);
    }

    // Hourly records: the whole hour before t, never the hour holding t.
    const std::vector<SolarWindRecord> hours = {hourly(10, 1.0), hourly(11, 2.0), hourly(12, 3.0)};
    for (const int minute : {0, 30, 59}) {
        const UtSeconds t = ut_seconds(2024, 131, 12, minute, 0);
        const SolarWindInputs inputs = solar_wind_inputs(hours, t, kNothing);
        EXPECT_EQ(element(inputs, ModelInput::kPressure), 2.0) << minute;
        EXPECT_EQ(source(inputs, ModelInput::kPressure).records, 1);
        // Dst and Kp of the record holding t.
        EXPECT_EQ(element(inputs, ModelInput::kDst), -30.0);
        EXPECT_EQ(element(inputs, ModelInput::kKp), 0.3);
        EXPECT_FALSE(inputs.dst_is_sym_h);
    }
}

TEST(SolarWind, DstIsTheHourlyIndexWhereThereIsOneAndOtherwiseTheSymHAtT) {
    std::vector<SolarWindRecord> both = five_minute(11, 0, 24);  // 11:00 to 12:55
    both.insert(both.begin() + 12, hourly(12, 2.0));             // start 12:00, before the 5-minute 12:00
    const UtSeconds t = ut_seconds(2024, 131, 12, 7, 0);

    // The window takes the finest records: 5-minute 11:05 to 12:00 (pressure 1 to 12).
    const SolarWindInputs mixed = solar_wind_inputs(both, t, kNothing);
    EXPECT_DOUBLE_EQ(element(mixed, ModelInput::kPressure), 6.5);
    EXPECT_EQ(source(mixed, ModelInput::kPressure).record_length, 300);
    EXPECT_EQ(element(mixed, ModelInput::kDst), -20.0);
    EXPECT_FALSE(mixed.dst_is_sym_h);
    EXPECT_EQ(element(mixed, ModelInput::kKp), 0.2);

    // Without the hourly record Dst is the SYM-H of the record of 12:05 to
    // 12:10 (the 14th, SYM-H -13), and there is no Kp.
    const std::vector<SolarWindRecord> fine = five_minute(11, 0, 24);
    const SolarWindInputs alone = solar_wind_inputs(fine, t, kNothing);
    EXPECT_TRUE(alone.dst_is_sym_h);
    EXPECT_EQ(element(alone, ModelInput::kDst), -13.0);
    EXPECT_EQ(source(alone, ModelInput::kDst).record_length, 300);
    EXPECT_EQ(source(alone, ModelInput::kKp).records, 0);
    expect_gap_error([&] { solar_wind_inputs(fine, t, ModelInputs({ModelInput::kKp})); }, ModelInput::kKp,
                     "Kp at 2024 day 131 12:07:00 UT: no hourly record holds this time (only hourly data carry Kp)");
}

TEST(SolarWind, AQuantityNeedsAtLeastHalfOfItsWindowValid) {
    // 6 of the 12 records of the hour before 12:00 hold By, 5 of 12 Bz; the
    // records of 11:30 and 11:35 are not there at all and count as invalid.
    std::vector<SolarWindRecord> records = five_minute(11, 0, 12);
    records.erase(records.begin() + 6, records.begin() + 8);
    for (std::size_t k = 0; k < records.size(); ++k) {
        if (k >= 6) records[k].by = SolarWindRecord::kMissing;
        if (k >= 5) records[k].bz = SolarWindRecord::kMissing;
    }
    const UtSeconds t = ut_seconds(2024, 131, 12, 0, 0);
    const SolarWindInputs inputs = solar_wind_inputs(records, t, ModelInputs({ModelInput::kBy}));
    EXPECT_EQ(source(inputs, ModelInput::kBy).valid, 6);
    EXPECT_EQ(source(inputs, ModelInput::kBy).records, 12);
    EXPECT_TRUE(source(inputs, ModelInput::kBy).enough());
    EXPECT_EQ(element(inputs, ModelInput::kBy), 1.0);
    // Bz is short, and 0 in the parameters; so are G1 to G3, made with Bz.
    EXPECT_FALSE(source(inputs, ModelInput::kBz).enough());
    EXPECT_EQ(element(inputs, ModelInput::kBz), 0.0);
    EXPECT_EQ(source(inputs, ModelInput::kG2).valid, 5);

    try {
        solar_wind_inputs(records, t, ModelInputs({ModelInput::kBz}));
        ADD_FAILURE() << "no error";
    } catch (SolarWindGapError& e) {
        EXPECT_EQ(e.quantity(), ModelInput::kBz);
        EXPECT_EQ(e.time(), t);
        EXPECT_EQ(e.source().valid, 5);
        e.set_file("a.asc");
        EXPECT_EQ(std::string(e.what()),
                  "a.asc: Bz at 2024 day 131 12:00:00 UT: only 5 of the 12 5-minute records of the hour before "
                  "are valid, fewer than half");
    }

    // No record in the window, and an hourly record without a value.
    std::vector<SolarWindRecord> hours = {hourly(10, 1.0), hourly(11, 2.0)};
    hours[1].pressure = SolarWindRecord::kMissing;
    const struct {
        UtSeconds t;
        const char* message;
    } gaps[] = {
        {ut_seconds(2024, 131, 10, 0, 0), "pressure at 2024 day 131 10:00:00 UT: no records in the hour before"},
        {ut_seconds(2024, 131, 12, 0, 0),
         "pressure at 2024 day 131 12:00:00 UT: the hourly record of the hour before has no value"},
    };
    for (const auto& gap : gaps) {
        expect_gap_error([&] { solar_wind_inputs(hours, gap.t, ModelInputs({ModelInput::kPressure})); },
                         ModelInput::kPressure, gap.message);
    }
}

}  // namespace
}  // namespace cones
