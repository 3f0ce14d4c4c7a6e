// Runs driven by OMNI files, end to end: the vertical cutoff of a
// middle-latitude station through the storm of 10-11 May 2024 against a quiet
// day before it, the cutoffs along a flight path against single runs at its
// points, the inputs recorded in the outputs and reaching the tracing, and
// the command lines, path files and OMNI files that cannot be used.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using namespace testing_support;

const std::string kHourly = CONES_SOURCE_DIR "/tests/data/omni/omni2_hourly_2024-04-26_to_05-28.dat";
const std::string kFiveMinute = CONES_SOURCE_DIR "/tests/data/omni/omni_5min_2003-10-28_to_30.asc";

// A Cones.ini of field model `model` with the driving parameters `parameters`
// (lines 4-11) and the station lines.
std::string configuration(const std::string& date, const std::string& time, int model,
                          const std::vector<std::string>& stations, const std::string& altitude = "20.0",
                          const std::string& parameters = "1.0\n0\n0\n0\n0\n0\n0\n0") {
    std::string text = "omni test\n" + date + "\n" + time + "\n" + parameters + "\n" + std::to_string(model) + "\n" +
                       altitude + "\n0\n-180. 180.\nlat lon zen azi name\n";
    for (const std::string& station : stations) text += station + "\n";
    return text + "#\n";
}

// The CSV rows of a text as maps from the header's names to the fields (no
// quoted fields with commas in these runs).
std::vector<std::map<std::string, std::string>> csv_records(const std::string& text) {
    std::vector<std::map<std::string, std::string>> records;
    std::vector<std::string> header;
    for (const std::string& line : split(text, '\n')) {
        if (line.empty()) continue;
        const std::vector<std::string> fields = split(line, ',');
        if (header.empty()) {
            header = fields;
            continue;
        }
        EXPECT_EQ(fields.size(), header.size()) << line;
        std::map<std::string, std::string> record;
        for (std::size_t k = 0; k < fields.size() && k < header.size(); ++k) record[header[k]] = fields[k];
        records.push_back(record);
    }
    return records;
}

double number(const std::string& text) {
    EXPECT_FALSE(text.empty());
    return std::strtod(text.c_str(), nullptr);
}

// Jungfraujoch (46.55 N, 7.98 E, vertical cutoff some 4.5 GV) in storm-time
// T01 (code 3) with IGRF-14, scanned from 2 to 8 GV in 0.1 GV steps.
TEST(StormRuns, MiddleLatitudeCutoffFallsAsDstFallsThroughTheStormOfMay2024) {
    ScratchDirectory dir("storm_may_2024");
    write_file(dir.path() / "Cones.ini", configuration("08 05 2024", "12 00 00", 3, {"46.55 7.98 0 0 Jungfraujoch"}));
    const std::string scan = "--igrf 14 --from 2 --to 8 --step 0.1 --csv --omni '" + kHourly + "'";

    const ProgramRun quiet = run_in(dir.path(), CUTOFFS_EXECUTABLE, scan);
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    // The inputs of 8 May 12:00 (Dst 6 nT, a quiet magnetosphere) are said once.
    EXPECT_NE(quiet.err.find("cutoffs: model inputs at 2024-05-08 12:00:00 UT from OMNI " + kHourly +
                             ": P 1.17 nPa, Dst 6 nT, By 1.1 nT, Bz 0.4 nT, G2 0, G3 0\n"),
              std::string::npos)
        << quiet.err;
    const std::vector<std::map<std::string, std::string>> quiet_rows = csv_records(quiet.out);
    ASSERT_EQ(quiet_rows.size(), 1u);
    const double quiet_rc = number(quiet_rows[0].at("Rc"));

    const ProgramRun storm =
        run_in(dir.path(), CUTOFFS_EXECUTABLE, scan + " --times 2024-05-10T12:00 2024-05-11T00:00 6h");
    ASSERT_EQ(storm.status, 0) << storm.err;
    const std::vector<std::map<std::string, std::string>> rows = csv_records(storm.out);
    ASSERT_EQ(rows.size(), 3u) << storm.out;
    const char* times[] = {"2024-05-10T12:00:00Z", "2024-05-10T18:00:00Z", "2024-05-11T00:00:00Z"};
    const char* dst[] = {"-1", "-33", "-313"};  // the hourly Dst of the hour holding each moment
    std::vector<double> rc;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(rows[k].at("time"), times[k]);
        EXPECT_EQ(rows[k].at("dst_nt"), dst[k]);
        EXPECT_EQ(rows[k].at("inputs_from"), "OMNI " + kHourly);
        rc.push_back(number(rows[k].at("Rc")));
    }
    // Before the storm the cutoff is the quiet day's; in the main phase
    // (Dst -313 nT) the weakened field lets in particles of lower rigidity:
    // a fall of some tenths of a GV to a GV or two at this latitude, not a
    // rise and not a collapse.
    EXPECT_NEAR(rc[0], quiet_rc, 0.3);
    EXPECT_LT(rc[2], rc[0]);
    EXPECT_LT(rc[2], rc[1]);
    EXPECT_LT(rc[2], quiet_rc - 0.3) << "quiet " << quiet_rc << ", storm " << rc[2];
    EXPECT_GT(rc[2], quiet_rc - 2.0) << "quiet " << quiet_rc << ", storm " << rc[2];
}

// A flight from Shannon towards Gander through the night of 10-11 May 2024
// in T89 (Kp from the hourly file) with IGRF-14, at cruising altitudes.
TEST(StormRuns, CutoffsAlongAFlightPathEqualSingleRunsAtItsPoints) {
    ScratchDirectory dir("flight_path");
    write_file(dir.path() / "Cones.ini", configuration("01 01 2024", "00 00 00", 89, {}));
    struct Point {
        const char* time;  // ISO, as in the path file
        const char* date;  // as in Cones.ini
        const char* clock;
        const char* latitude;
        const char* longitude;
        const char* altitude;
    };
    const Point points[] = {
        {"2024-05-10T22:00:00", "10 05 2024", "22 00 00", "52.7", "-8.9", "10.5"},
        {"2024-05-11T01:10:00", "11 05 2024", "01 10 00", "53.8", "-40.2", "11.9"},
        {"2024-05-11T02:40", "11 05 2024", "02 40 00", "49.5", "-54.6", "0"},
    };
    std::string path = "time,latitude,longitude,altitude_km\n";
    for (const Point& p : points) {
        path += std::string(p.time) + "," + p.latitude + "," + p.longitude + "," + p.altitude + "\r\n";
    }
    write_file(dir.path() / "flight.csv", path);
    const std::string scan = "--igrf 14 --from 0.5 --to 6 --step 0.1 --csv";

    const ProgramRun along =
        run_in(dir.path(), CUTOFFS_EXECUTABLE, scan + " --omni '" + kHourly + "' --path flight.csv --svg path.svg");
    ASSERT_EQ(along.status, 0) << along.err;
    const std::vector<std::map<std::string, std::string>> rows = csv_records(along.out);
    ASSERT_EQ(rows.size(), std::size(points));
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const Point& p = points[k];
        SCOPED_TRACE(p.time);
        EXPECT_EQ(rows[k].at("station"), "point " + std::to_string(k + 1));
        EXPECT_EQ(rows[k].at("latitude"), p.latitude);
        EXPECT_EQ(rows[k].at("altitude_km"), p.altitude);
        // The single run at the point: its own Cones.ini, the same OMNI file;
        // the last one with the Kp the path's row records typed into line 11,
        // so that the recorded input is the one traced.
        std::string single_ini;
        std::string options = scan;
        if (k + 1 < rows.size()) {
            single_ini = configuration(p.date, p.clock, 89, {std::string(p.latitude) + " " + p.longitude + " 0 0 P"},
                                       p.altitude);
            options += " --omni '" + kHourly + "'";
        } else {
            single_ini = configuration(p.date, p.clock, 89, {std::string(p.latitude) + " " + p.longitude + " 0 0 P"},
                                       p.altitude, "1.0\n0\n0\n0\n0\n0\n0\n" + rows[k].at("kp"));
        }
        write_file(dir.path() / "single.ini", single_ini);
        const ProgramRun single = run_in(dir.path(), CUTOFFS_EXECUTABLE, options + " single.ini");
        ASSERT_EQ(single.status, 0) << single.err;
        const std::vector<std::map<std::string, std::string>> one = csv_records(single.out);
        ASSERT_EQ(one.size(), 1u);
        for (const char* column : {"RL", "RU", "Rc", "bands", "note"}) {
            EXPECT_EQ(rows[k].at(column), one[0].at(column)) << column;
        }
        EXPECT_FALSE(rows[k].at("Rc").empty()) << "the scan resolves Rc over the path";
    }
    // The Kp of the storm's main phase (8+ and 9-) drives the model there.
    EXPECT_EQ(rows[1].at("kp"), "9");
    // The chart against time: one panel for the path, Dst beneath.
    const std::string svg = read_file(dir.path() / "path.svg");
    EXPECT_NE(svg.find(">along flight.csv</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Dst (nT)</text>"), std::string::npos);
}

// cones with --omni traces the inputs it prints: its Cones.dat equals that of
// the same run with those values typed into lines 4 to 11.
TEST(StormRuns, ConesTracesTheOmniInputsItPrints) {
    ScratchDirectory dir("cones_omni");
    const std::vector<std::string> stations = {"46.55 7.98 0 0 Jungfraujoch", "60.0 -30.0 0 0 North"};
    std::string ini = configuration("11 05 2024", "00 00 00", 96, stations);
    for (const char* rigidity : {"2.00", "3.00", "4.00", "5.00", "6.00"}) ini += std::string(rigidity) + "\n";
    write_file(dir.path() / "Cones.ini", ini);
    const ProgramRun driven = run_in(dir.path(), CONES_EXECUTABLE, "--igrf 14 --omni '" + kHourly + "'");
    ASSERT_EQ(driven.status, 0) << driven.err;
    // T96 at the storm's Dst of -313 nT: the inputs line, then the warnings of
    // the values outside the ranges T96 was fitted to, naming the file and time.
    EXPECT_NE(driven.err.find("cones: model inputs at 2024-05-11 00:00:00 UT from OMNI " + kHourly +
                              ": P 27.78 nPa, Dst -313 nT, By 67.6 nT, Bz 4.8 nT\n"),
              std::string::npos)
        << driven.err;
    EXPECT_NE(driven.err.find("OMNI " + kHourly + " at 2024-05-11 00:00:00 UT: warning: the Dst index (parameter 2) of -313 nT lies outside"),
              std::string::npos)
        << driven.err;
    const std::string dat = read_file(dir.path() / "Cones.dat");

    std::string typed = configuration("11 05 2024", "00 00 00", 96, stations, "20.0",
                                      "27.78\n-313\n67.6\n4.8\n0\n0\n0\n0");
    for (const char* rigidity : {"2.00", "3.00", "4.00", "5.00", "6.00"}) typed += std::string(rigidity) + "\n";
    write_file(dir.path() / "Cones.ini", typed);
    ASSERT_EQ(run_in(dir.path(), CONES_EXECUTABLE, "--igrf 14").status, 0);
    EXPECT_EQ(read_file(dir.path() / "Cones.dat"), dat);
    EXPECT_NE(dat.find("  ,    ,     ,"), std::string::npos) << "some trajectories are forbidden";
}

// An hourly record whose Dst (word 41, I6) is replaced: a magnetosphere
// beyond the range in which the models are used.
std::string hourly_lines_with_dst(const std::string& dst, int first_line, int count) {
    const std::vector<std::string> lines = split(read_file(kHourly), '\n');
    std::string text;
    for (int k = first_line; k < first_line + count; ++k) {
        std::string line = lines[static_cast<std::size_t>(k)];
        // Find where word 41 ends.
        std::size_t at = 0;
        for (int word = 0; word < 41; ++word) {
            at = line.find_first_not_of(' ', at);
            at = line.find(' ', at);
        }
        line.replace(at - 6, 6, std::string(6 - dst.size(), ' ') + dst);
        text += line + "\n";
    }
    return text;
}

TEST(StormRuns, UnusableOmniFilesTimesAndPathsAreErrorsAndNothingIsTraced) {
    ScratchDirectory dir("omni_errors");
    write_file(dir.path() / "Cones.ini", configuration("29 10 2003", "12 00 00", 96, {"46.55 7.98 0 0 J"}));
    write_file(dir.path() / "t89.ini", configuration("11 05 2024", "00 00 00", 89, {"46.55 7.98 0 0 J"}));
    write_file(dir.path() / "t96.ini", configuration("08 05 2024", "12 00 00", 96, {"46.55 7.98 0 0 J"}));
    // 8 May 2024 10:00 to 12:00, with a Dst of -2500 nT in the hour of 12:00.
    write_file(dir.path() / "deep.dat", hourly_lines_with_dst("-2500", 12 * 24 + 10, 3));
    write_file(dir.path() / "far.csv", "2024-05-10T12:00,46.5,8.0,10\n2024-05-10T13:00,95,8.0,10\n");
    write_file(dir.path() / "backwards.csv", "2024-05-10T12:00,46.5,8.0,10\n2024-05-10T11:00,46.5,8.0,10\n");
    write_file(dir.path() / "short.csv", "time,lat,lon,alt\n2024-05-10T12:00,46.5,8.0\n");
    write_file(dir.path() / "low.csv", "2024-05-10T12:00,46.5,8.0,-1\n");
    write_file(dir.path() / "empty.csv", "time,lat,lon,alt\n");
    struct Case {
        std::string arguments;
        std::string message;  // expected fragment of standard error
    };
    const Case cases[] = {
        // 29 October 2003 12:00: the 5-minute plasma and field data are fill
        // values from 05:50 to 18:35, so the hour before holds no valid pressure.
        {"--omni '" + kFiveMinute + "'",
         kFiveMinute + ": pressure at 2003 day 302 12:00:00 UT: only 0 of the 12 5-minute records of the hour before "
                       "are valid, fewer than half"},
        {"--omni '" + kFiveMinute + "' --times 2003-10-29T04:00 2003-10-29T08:00 1h",
         kFiveMinute + ": pressure at 2003 day 302 07:00:00 UT: only 0 of the 12"},
        // Kp is only in hourly data.
        {"--omni '" + kFiveMinute + "' t89.ini", "Kp at 2024 day 132 00:00:00 UT: no hourly record holds this time"},
        {"--omni deep.dat t96.ini",
         "deep.dat: Dst at 2024 day 129 12:00:00 UT: expected the Dst index (parameter 2) from -2000 nT to 200 nT for "
         "field model 96 (T96), found -2500 nT"},
        {"--omni missing.dat", "missing.dat"},
        {"--omni '" + kHourly + "," + kHourly + "' t96.ini", "holds the record of"},
        {"--omni a.dat,,b.dat", "option --omni expects OMNI file names separated by commas, found 'a.dat,,b.dat'"},
        {"--omni", "option --omni needs a value"},
        {"--times 2024-05-10T12:00 2024-05-11T00:00", "option --times needs three values"},
        {"--times 2024-05-10T12:00 2024-05-11 1q", "option --times: expected a time step"},
        {"--times 2024-05-10T12:00 2024-05-11 1.5s", "a whole number of seconds, at least 1 s, found '1.5s'"},
        {"--times 2024-05-10T12:00 2024-05-11 0", "at least 1 s, found '0'"},
        {"--times 2024-05-10 2024-05-09 1h", "the end of the times lies before their start"},
        {"--times 2024-02-30T00:00 2024-03-01 1h", "found '2024-02-30T00:00', which does not exist"},
        {"--times 2024-05-10T25:00 2024-05-11 1h", "which does not exist"},
        {"--times 10.05.2024 2024-05-11 1h", "expected a date and time in UT as YYYY-MM-DDTHH:MM[:SS], found '10.05.2024'"},
        {"--times 2024-01-01 2030-01-01 1m", "more than 100000"},
        {"--times 2024-05-10 2024-05-11 1h --path far.csv", "options --times and --path exclude each other"},
        {"--path missing.csv", "Can not open file missing.csv: No such file or directory"},
        {"--path far.csv", "far.csv, line 2: expected a latitude from -90 to 90 degrees, found 95"},
        {"--path backwards.csv", "backwards.csv, line 2: expected a time not before that of line 1"},
        {"--path short.csv", "short.csv, line 2: expected four fields"},
        {"--path low.csv", "low.csv, line 1: expected an altitude of 0 km or more, found -1"},
        {"--path empty.csv", "empty.csv: expected points"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--step 0.5 " + c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.arguments << ": nothing is scanned";
    }
    // cones and cutoff-map refuse the same inputs, and trace nothing.
    write_file(dir.path() / "Cones.ini",
               configuration("29 10 2003", "12 00 00", 96, {"46.55 7.98 0 0 J"}) + "5.00\n");
    const ProgramRun cones = run_in(dir.path(), CONES_EXECUTABLE, "--omni '" + kFiveMinute + "'");
    EXPECT_EQ(cones.status, 1);
    EXPECT_NE(cones.err.find("pressure at 2003 day 302 12:00:00 UT: only 0 of the 12"), std::string::npos) << cones.err;
    EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat"));
    const ProgramRun map = run_in(dir.path(), CUTOFF_MAP_EXECUTABLE, "--lat-step 90 --lon-step 180 --omni '" + kFiveMinute + "'");
    EXPECT_EQ(map.status, 1);
    EXPECT_NE(map.err.find("pressure at 2003 day 302 12:00:00 UT: only 0 of the 12"), std::string::npos) << map.err;
    EXPECT_FALSE(fs::exists(dir.path() / "cutoff-map.nc"));
}

}  // namespace
}  // namespace cones
