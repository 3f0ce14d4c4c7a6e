// Tests of the "Cones.ini" reader: column-fixed date and time, free-format
// values that go on over lines, the station and rigidity lists, line ends, and
// the line number and wording of the errors.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "io/config.hpp"
#include "io/config_parsing.hpp"
#include "tests/support/config_error.hpp"

namespace cones {
namespace {

// Pieces of a valid file; each test replaces the piece it is about.
struct FileParts {
    std::string title = "Test run";
    std::string date = "15 03 2005";
    std::string time = "12 30 45";
    // Lines 4 to 15: eight parameters, field model, altitude, frame, window.
    std::string values = "2.0\n-20\n1.5\n-3.0\n0.5\n1.0\n2.0\n3\n89\n20.0\n0\n-180. 180.";
    std::string heading = "lat lon zen azi name";
    std::string stations = "c a comment line\n51.5 -0.1 0 0 LONDON\n-33.9 18.4 30 90 CAPE";
    std::string end_marker = "# end of the stations";
    std::string rigidities = "1.0\n10.0\n100.25";

    std::string text(const std::string& eol = "\n") const {
        std::string out;
        for (const std::string* part : {&title, &date, &time, &values, &heading, &stations, &end_marker, &rigidities}) {
            if (part == &stations && stations.empty()) continue;
            if (part == &rigidities && rigidities.empty()) continue;
            std::string piece = *part;
            std::string::size_type pos = 0;
            while (eol != "\n" && (pos = piece.find('\n', pos)) != std::string::npos) {
                piece.replace(pos, 1, eol);
                pos += eol.size();
            }
            out += piece + eol;
        }
        return out;
    }
};

std::string padded(const std::string& name) { return name + std::string(20 - name.size(), ' '); }

TEST(ConfigReader, ReadsEveryItemOfAValidFile) {
    const RunConfiguration c = parse_configuration(FileParts{}.text());
    EXPECT_EQ(c.day, 15);
    EXPECT_EQ(c.month, 3);
    EXPECT_EQ(c.year, 2005);
    EXPECT_EQ(c.hour, 12);
    EXPECT_EQ(c.minute, 30);
    EXPECT_EQ(c.second, 45);
    const ModelParameters expected_parameters{2.0, -20.0, 1.5, -3.0, 0.5, 1.0, 2.0, 3.0, 0.0, 0.0};
    EXPECT_EQ(c.parameters, expected_parameters);
    EXPECT_EQ(c.field_model_code, 89);
    EXPECT_EQ(c.altitude_km, 20.0);
    EXPECT_EQ(c.output_frame_code, 0);
    EXPECT_EQ(c.longitude_min, -180.0);
    EXPECT_EQ(c.longitude_max, 180.0);
    ASSERT_EQ(c.stations.size(), 2u);
    EXPECT_EQ(c.stations[0].name, padded("LONDON"));
    EXPECT_EQ(c.stations[0].latitude, 51.5);
    EXPECT_EQ(c.stations[0].longitude, -0.1);  // a negative longitude is kept as written
    EXPECT_EQ(c.stations[0].zenith, 0);
    EXPECT_EQ(c.stations[0].azimuth, 0);
    EXPECT_EQ(c.stations[1].name, padded("CAPE"));
    EXPECT_EQ(c.stations[1].latitude, -33.9);
    EXPECT_EQ(c.stations[1].zenith, 30);
    EXPECT_EQ(c.stations[1].azimuth, 90);
    EXPECT_EQ(c.rigidities, (std::vector<double>{1.0, 10.0, 100.25}));
}

TEST(ConfigReader, CrLfLineEndsReadAsLf) {
    const FileParts parts;
    const RunConfiguration lf = parse_configuration(parts.text("\n"));
    const RunConfiguration crlf = parse_configuration(parts.text("\r\n"));
    EXPECT_EQ(crlf.parameters, lf.parameters);
    EXPECT_EQ(crlf.longitude_max, lf.longitude_max);
    ASSERT_EQ(crlf.stations.size(), lf.stations.size());
    EXPECT_EQ(crlf.stations[1].name, lf.stations[1].name);
    EXPECT_EQ(crlf.rigidities, lf.rigidities);
}

TEST(ConfigReader, LastLineWithoutTerminatorIsRead) {
    std::string text = FileParts{}.text();
    text.pop_back();  // "100.25" now ends the file without a line feed
    EXPECT_EQ(parse_configuration(text).rigidities, (std::vector<double>{1.0, 10.0, 100.25}));
    text.pop_back();  // and the last line is "100.2"
    EXPECT_EQ(parse_configuration(text).rigidities.back(), 100.2);
}

TEST(ConfigReader, DateAndTimeComeFromFixedColumns) {
    struct Case {
        bool time_line;  // false: line 2 (day, month, year); true: line 3 (hour, minute, second)
        const char* line;
        int a, b, c;
    };
    const Case cases[] = {
        {false, "01 03 2005", 1, 3, 2005},
        {false, " 1  3 2005", 1, 3, 2005},    // blanks in place of leading zeros
        {false, "1  3  2005", 1, 3, 2005},    // day "1 ", month "3 ", year "2005"
        {false, "15 03 2005 \t ", 15, 3, 2005},  // blanks after the year
        {false, "-1 +2 - 5", -1, 2, -5},
        {true, " 6  5  4", 6, 5, 4},
        {true, "23 59 59  ", 23, 59, 59},
        {true, "7", 7, 0, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.line);
        FileParts parts;
        (k.time_line ? parts.time : parts.date) = k.line;
        const RunConfiguration c = parse_configuration(parts.text());
        EXPECT_EQ(k.time_line ? c.hour : c.day, k.a);
        EXPECT_EQ(k.time_line ? c.minute : c.month, k.b);
        EXPECT_EQ(k.time_line ? c.second : c.year, k.c);
    }
}

// Free-format reads: each takes the first values it meets, going on over
// following lines when its line holds fewer, and discards the rest of the last
// line it touched.
TEST(ConfigReader, FreeFormatValuesSeparatorsAndContinuation) {
    struct Case {
        const char* name;
        std::string values;  // lines 4 onwards, up to and including the longitude window
        ModelParameters parameters;
        int field_model;
        double altitude;
        int frame;
        double lon_min, lon_max;
    };
    const ModelParameters p{2.0, -20.0, 1.5, -3.0, 0.5, 1.0, 2.0, 3.0, 0.0, 0.0};
    const std::string head = "2.0\n-20\n1.5\n-3.0\n0.5\n1.0\n2.0\n3\n";
    const Case cases[] = {
        {"rest of a line is discarded", "2.0 -20\n-20, 7\n1.5\n-3.0\n0.5\n1.0\n2.0\n3 Kp\n89 T89\n20.0 km\n0 GEO\n-180. 180. window",
         p, 89, 20.0, 0, -180.0, 180.0},
        {"window over two lines", head + "10\n20.0\n1\n-180.\n180.", p, 10, 20.0, 1, -180.0, 180.0},
        {"empty and blank lines contribute nothing", "\n\n2.0\n-20\n  \n1.5\n-3.0\n0.5\n1.0\n2.0\n3\n\n0\n20.0\n2\n\n0 360",
         p, 0, 20.0, 2, 0.0, 360.0},
        {"comma separator", head + "89\n20.0\n0\n-180.,180.", p, 89, 20.0, 0, -180.0, 180.0},
        {"comma with blanks", head + "89\n20.0\n0\n-180. ,  180.", p, 89, 20.0, 0, -180.0, 180.0},
        {"comma at the end of a line", head + "89\n20.0\n0\n-180.,\n180.", p, 89, 20.0, 0, -180.0, 180.0},
        {"tab separator", head + "89\n\t20.0\n0\n-180.\t180.", p, 89, 20.0, 0, -180.0, 180.0},
        {"real forms", "5\n5.\n.5\n1e3\n1D3\n-2.5d-1\n+4E+2\n-0\n+89\n1e-400\n-7\n-1.8E2 1.8e+2",
         ModelParameters{5.0, 5.0, 0.5, 1000.0, 1000.0, -0.25, 400.0, -0.0, 0.0, 0.0}, 89, 0.0, -7, -180.0, 180.0},
        {"integer codes with leading zeros and sign", head + "0089\n20\n-2147483648\n-180 180", p, 89, 20.0,
         -2147483647 - 1, -180.0, 180.0},
        {"largest code", head + "2147483647\n20\n0\n-180 180", p, 2147483647, 20.0, 0, -180.0, 180.0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        FileParts parts;
        parts.values = k.values;
        const RunConfiguration c = parse_configuration(parts.text());
        EXPECT_EQ(c.parameters, k.parameters);
        EXPECT_EQ(c.field_model_code, k.field_model);
        EXPECT_EQ(c.altitude_km, k.altitude);
        EXPECT_EQ(c.output_frame_code, k.frame);
        EXPECT_EQ(c.longitude_min, k.lon_min);
        EXPECT_EQ(c.longitude_max, k.lon_max);
        // the heading line after the window is skipped and the stations follow
        ASSERT_EQ(c.stations.size(), 2u);
        EXPECT_EQ(c.stations[0].name, padded("LONDON"));
    }
}

// The checks report each item on the line it was read from, which moves when a
// read goes on over blank lines or takes a value from the next line.
TEST(ConfigReader, RecordsTheLineOfEachItem) {
    FileParts parts;
    parts.values = "\n2.0\n-20\n  \n1.5\n-3.0\n0.5\n1.0\n2.0\n\n3\n89\n\n20.0\n0\n\n-180.\n180.";
    parts.stations = "c comment\n51.5 -0.1 0 0 LONDON\nc another\nc and another\n-33.9 18.4 30 90 CAPE";
    const RunConfiguration c = parse_configuration(parts.text());
    const std::array<int, 8> parameters{5, 6, 8, 9, 10, 11, 12, 14};
    EXPECT_EQ(c.lines.parameters, parameters);
    EXPECT_EQ(c.lines.field_model, 15);
    EXPECT_EQ(c.lines.altitude, 17);
    EXPECT_EQ(c.lines.output_frame, 18);
    EXPECT_EQ(c.lines.longitude_window, 20);  // the lower end; the upper end is on line 21
    ASSERT_EQ(c.stations.size(), 2u);
    EXPECT_EQ(c.stations[0].line, 24);
    EXPECT_EQ(c.stations[1].line, 27);
    EXPECT_EQ(c.lines.station_list_end, 28);

    const RunConfiguration usual = parse_configuration(FileParts{}.text());
    EXPECT_EQ(usual.lines.parameters, (std::array<int, 8>{4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(usual.lines.field_model, 12);
    EXPECT_EQ(usual.lines.altitude, 13);
    EXPECT_EQ(usual.lines.output_frame, 14);
    EXPECT_EQ(usual.lines.longitude_window, 15);
    EXPECT_EQ(usual.lines.station_list_end, 20);
}

TEST(ConfigReader, StationList) {
    struct Station {
        std::string name;
        double latitude, longitude;
        int zenith, azimuth;
    };
    struct Case {
        const char* name;
        std::string stations;
        std::vector<Station> expected;
    };
    const Case cases[] = {
        {"comments are skipped", "c first\nc\n10 20 30 40 A\nc between\n-10 -20 -30 -40 B",
         {{"A", 10, 20, 30, 40}, {"B", -10, -20, -30, -40}}},
        {"no stations", "", {}},
        {"name in apostrophes with blanks", "1 2 3 4 'Mount Washington'", {{"Mount Washington", 1, 2, 3, 4}}},
        {"name in quotation marks with commas and slashes", "1 2 3 4 \"A, B/C\"", {{"A, B/C", 1, 2, 3, 4}}},
        {"doubled quote stands for one", "1 2 3 4 'O''Hara'", {{"O'Hara", 1, 2, 3, 4}}},
        {"doubled quotation mark", "1 2 3 4 \"say \"\"hi\"\"\"", {{"say \"hi\"", 1, 2, 3, 4}}},
        {"other quote inside quotes", "1 2 3 4 \"it's\"", {{"it's", 1, 2, 3, 4}}},
        {"empty quoted name", "1 2 3 4 ''", {{"", 1, 2, 3, 4}}},
        {"name cut to 20 characters", "1 2 3 4 ABCDEFGHIJKLMNOPQRSTUVWXYZ", {{"ABCDEFGHIJKLMNOPQRST", 1, 2, 3, 4}}},
        {"quoted name cut to 20 characters", "1 2 3 4 'ABCDEFGHIJ KLMNOPQRSTUVWXYZ'", {{"ABCDEFGHIJ KLMNOPQRS", 1, 2, 3, 4}}},
        {"UTF-8 name padded to 20 bytes", "47.38 8.54 0 0 Z\xc3\xbcrich", {{"Z\xc3\xbcrich", 47.38, 8.54, 0, 0}}},
        {"name cut before a character that would cross byte 20", "1 2 3 4 " + std::string(19, 'x') + "\xc3\xbc",
         {{std::string(19, 'x'), 1, 2, 3, 4}}},
        {"rest of the line ignored", "1 2 3 4 NAME 5 6 / anything", {{"NAME", 1, 2, 3, 4}}},
        {"commas and tabs", "1.5,-2.5,3,4,N1\n1.5\t-2.5\t3\t4\tN2\n1.5 , -2.5 ,3, 4 ,N3",
         {{"N1", 1.5, -2.5, 3, 4}, {"N2", 1.5, -2.5, 3, 4}, {"N3", 1.5, -2.5, 3, 4}}},
        {"16-bit extremes", "0 0 -32768 32767 X", {{"X", 0, 0, -32768, 32767}}},
        {"leading blanks", "   51.5 -0.1 0 0 LONDON", {{"LONDON", 51.5, -0.1, 0, 0}}},
        {"an apostrophe inside a word", "1 2 3 4 O'Hara", {{"O'Hara", 1, 2, 3, 4}}},
        // the name is cut at column 50, which falls inside it
        {"line longer than 50 characters", std::string(40, ' ') + "1 2 3 4 ABCDEFGHIJ", {{"AB", 1, 2, 3, 4}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        FileParts parts;
        parts.stations = k.stations;
        const RunConfiguration c = parse_configuration(parts.text());
        ASSERT_EQ(c.stations.size(), k.expected.size());
        for (std::size_t i = 0; i < k.expected.size(); ++i) {
            EXPECT_EQ(c.stations[i].name, padded(k.expected[i].name));
            EXPECT_EQ(c.stations[i].latitude, k.expected[i].latitude);
            EXPECT_EQ(c.stations[i].longitude, k.expected[i].longitude);
            EXPECT_EQ(c.stations[i].zenith, k.expected[i].zenith);
            EXPECT_EQ(c.stations[i].azimuth, k.expected[i].azimuth);
        }
        EXPECT_EQ(c.rigidities.size(), 3u);
    }
}

TEST(ConfigReader, MoreThanOneHundredStationsAndRigidities) {
    FileParts parts;
    parts.stations.clear();
    parts.rigidities.clear();
    for (int i = 1; i <= 150; ++i) {
        if (i > 1) {
            parts.stations += '\n';
            parts.rigidities += '\n';
        }
        parts.stations.append(std::to_string(i % 90)).append(" 0 0 0 S").append(std::to_string(i));
        parts.rigidities.append(std::to_string(i));
    }
    const RunConfiguration c = parse_configuration(parts.text());
    ASSERT_EQ(c.stations.size(), 150u);
    EXPECT_EQ(c.stations[149].name, padded("S150"));
    ASSERT_EQ(c.rigidities.size(), 150u);
    EXPECT_EQ(c.rigidities[149], 150.0);
}

TEST(ConfigReader, RigiditiesComeFromTheFirstSixColumns) {
    struct Case {
        const char* name;
        std::string rigidities;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"rest of the line behind a blank ignored", "10.5  GV\n100.25 x\n1.5\t   ,2\n2.5   7", {10.5, 100.25, 1.5, 2.5}},
        {"number ending in column 6", "123456\n0.1234\n1.25e1", {123456.0, 0.1234, 12.5}},
        {"leading blanks within six columns", "  2.5\n     7", {2.5, 7.0}},
        {"no rigidities", "", {}},
        {"exponent forms", "1e1\n2.5D1", {10.0, 25.0}},
        {"blank lines at the end", "1\n2\n\n   \n\t\n", {1.0, 2.0}},
        {"Ctrl-Z at the end", "1\n2\n\x1a", {1.0, 2.0}},
        {"Ctrl-Z and line ends at the end", "1\n2\n\x1a\r\n\n", {1.0, 2.0}},
        {"Ctrl-Z right after the last number", "1\n2\x1a", {1.0, 2.0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        FileParts parts;
        parts.rigidities = k.rigidities;
        EXPECT_EQ(parse_configuration(parts.text()).rigidities, k.expected);
    }
}

// Every malformed input names the line where the problem was found, what was
// expected there and what was found.
TEST(ConfigReader, MalformedInputIsReportedWithItsLine) {
    struct Case {
        const char* name;
        std::string text;
        int line;
        std::string fragment;
    };
    const auto with = [](auto change) {
        FileParts parts;
        change(parts);
        return parts.text();
    };
    const std::string head = "2.0\n-20\n1.5\n-3.0\n0.5\n1.0\n2.0\n3\n";
    // A valid file whose lines 12 to 15 (field model to window) are `tail`.
    const auto with_tail = [&](const std::string& tail) {
        FileParts parts;
        parts.values = head + tail;
        return parts.text();
    };
    const Case cases[] = {
        {"empty file", "", 1, "expected the title line, found the end of the file"},
        {"title only", "title\n", 2, "expected the date (day, month and year in columns 1-2, 4-5 and 7-10), found the end of the file"},
        {"no time", "title\n15 03 2005", 3, "expected the time"},
        {"letter in the month", with([](FileParts& p) { p.date = "15 O3 2005"; }), 2,
         "expected the month (an integer in columns 4-5), found \"O3\""},
        {"tab in the day", with([](FileParts& p) { p.date = "1\t 03 2005"; }), 2,
         "expected the day (an integer in columns 1-2), found \"1\\t\""},
        // A date or time one column off: a separating column holds a digit, or
        // text follows the last field.
        {"single spaces in the date", with([](FileParts& p) { p.date = "1 3 2005"; }), 2,
         "expected the date as \"DD MM YYYY\": day in columns 1-2, month in 4-5, year in 7-10, blanks in 3 and 6 and "
         "nothing after column 10, found \"1 3 2005\", which has \"3\" in column 3"},
        {"one-digit month", with([](FileParts& p) { p.date = "15 6 2025"; }), 2,
         "found \"15 6 2025\", which has \"2\" in column 6"},
        {"one-digit day and month", with([](FileParts& p) { p.date = "1 6 2025"; }), 2, "which has \"6\" in column 3"},
        {"letters between the fields", with([](FileParts& p) { p.date = "15x03y2005"; }), 2, "which has \"x\" in column 3"},
        {"five-digit year", with([](FileParts& p) { p.date = "01 03 20051"; }), 2, "found \"01 03 20051\", which has text after column 10"},
        {"text after the date", with([](FileParts& p) { p.date = "15 03 2005 trailing"; }), 2, "which has text after column 10"},
        {"colons in the time", with([](FileParts& p) { p.time = "12:30:45"; }), 3,
         "expected the time as \"hh mm ss\": hour in columns 1-2, minute in 4-5, second in 7-8, blanks in 3 and 6 and "
         "nothing after column 8, found \"12:30:45\", which has \":\" in column 3"},
        {"three-digit second", with([](FileParts& p) { p.time = "23 59 599"; }), 3, "which has text after column 8"},
        {"one-digit minute", with([](FileParts& p) { p.time = "12 5 00"; }), 3, "which has \"0\" in column 6"},
        {"date without a year", with([](FileParts& p) { p.date = "15 03"; }), 2,
         "expected the year (an integer in columns 7-10), found nothing"},
        {"blank year", with([](FileParts& p) { p.date = "15 03     "; }), 2,
         "expected the year (an integer in columns 7-10), found \"    \""},
        {"blank day", with([](FileParts& p) { p.date = "   03 2005"; }), 2, "expected the day (an integer in columns 1-2), found \"  \""},
        {"empty date line", with([](FileParts& p) { p.date = ""; }), 2, "expected the day (an integer in columns 1-2), found nothing"},
        {"sign alone", with([](FileParts& p) { p.date = "15 03 +   "; }), 2, "expected the year (an integer in columns 7-10), found \"+   \""},
        {"sign after a digit", with([](FileParts& p) { p.time = "1- 30 45"; }), 3, "expected the hour (an integer in columns 1-2), found \"1-\""},
        {"point in the second", with([](FileParts& p) { p.time = "12 30 4."; }), 3, "expected the second (an integer in columns 7-8), found \"4.\""},
        {"letters for parameter 1", with([](FileParts& p) { p.values = "abc\n" + p.values; }), 4,
         "expected the solar-wind dynamic pressure (parameter 1, a number in nPa), found \"abc\""},
        {"inf", with([](FileParts& p) { p.values = "inf\n" + p.values; }), 4, "found \"inf\""},
        {"nan", with([](FileParts& p) { p.values = "2.0\nnan\n" + p.values; }), 5, "expected the Dst index (parameter 2, a number in nT), found \"nan\""},
        {"repeat count", with([](FileParts& p) { p.values = "3*1.0\n" + p.values; }), 4, "found \"3*1.0\""},
        {"slash", with([](FileParts& p) { p.values = "/\n" + p.values; }), 4, "found \"/\""},
        {"two points", with([](FileParts& p) { p.values = "1.0.0\n" + p.values; }), 4, "found \"1.0.0\""},
        {"exponent without digits", with([](FileParts& p) { p.values = "1e\n" + p.values; }), 4, "found \"1e\""},
        {"point alone", with([](FileParts& p) { p.values = ".\n" + p.values; }), 4, "found \".\""},
        {"hexadecimal", with([](FileParts& p) { p.values = "0x10\n" + p.values; }), 4, "found \"0x10\""},
        {"double sign", with([](FileParts& p) { p.values = "--1\n" + p.values; }), 4, "found \"--1\""},
        {"exponent with Q", with([](FileParts& p) { p.values = "1q3\n" + p.values; }), 4, "found \"1q3\""},
        {"overflow", with([](FileParts& p) { p.values = "1e999\n" + p.values; }), 4, "found \"1e999\", which is not a finite number"},
        {"overflow of a D exponent", with([](FileParts& p) { p.values = "-1D400\n" + p.values; }), 4, "which is not a finite number"},
        {"leading comma", with([](FileParts& p) { p.values = ",5\n" + p.values; }), 4, "found a comma with no value before it"},
        {"fractional field model", with_tail("10.5\n20\n0\n-180 180"), 12, "expected the field model code (an integer), found \"10.5\""},
        {"field model beyond 32 bits", with_tail("2147483648\n20\n0\n-180 180"), 12, "found \"2147483648\", which is out of range"},
        {"very long field model", with_tail(std::string(30, '9') + "\n20\n0\n-180 180"), 12, "which is out of range"},
        {"exponent in the frame code", with_tail("89\n20\n1e0\n-180 180"), 14, "expected the output frame code (an integer), found \"1e0\""},
        {"two commas in the window", with_tail("89\n20\n0\n-180.,,180."), 15,
         "expected the upper end of the longitude window (a number, degrees), found two commas in a row"},
        {"comma on the next line", with_tail("89\n20\n0\n-180.,\n,180."), 16, "found two commas in a row"},
        {"end of file in the window", "t\n15 03 2005\n12 00 00\n" + head + "89\n20\n0\n-180.\n", 16,
         "expected the longitude window (two numbers), found the end of the file"},
        {"end of file after the window", "t\n15 03 2005\n12 00 00\n" + head + "89\n20\n0\n-180. 180.", 16,
         "expected the heading line of the station list, found the end of the file"},
        {"no end marker", "t\n15 03 2005\n12 00 00\n" + head + "89\n20\n0\n-180. 180.\nheading\n1 2 3 4 A\n", 18,
         "expected a station line or the \"#\" line that ends the station list, found the end of the file"},
        {"upper-case C is a station", with([](FileParts& p) { p.stations = "C not a comment"; }), 17,
         "expected the station latitude (a number, degrees), found \"C\""},
        {"blank before the end marker", with([](FileParts& p) { p.stations = " #"; }), 17, "found \"#\""},
        {"empty station line", with([](FileParts& p) { p.stations = "1 2 3 4 A\n"; }), 18,
         "expected the station latitude (a number, degrees), found the end of the station line"},
        {"name beyond column 50", with([](FileParts& p) { p.stations = "1 2 3 4" + std::string(43, ' ') + "NAME"; }), 17,
         "expected the station name (a word, or a text in quotes), found the end of the station line (only its first 50 characters are read)"},
        {"fractional zenith", with([](FileParts& p) { p.stations = "1 2 0.5 4 A"; }), 17,
         "expected the zenith angle (an integer from -32768 to 32767, degrees), found \"0.5\""},
        {"zenith beyond 16 bits", with([](FileParts& p) { p.stations = "1 2 32768 4 A"; }), 17, "found \"32768\", which is out of range"},
        {"azimuth beyond 16 bits", with([](FileParts& p) { p.stations = "1 2 3 -32769 A"; }), 17,
         "expected the azimuth (an integer from -32768 to 32767, degrees), found \"-32769\", which is out of range"},
        {"slash in a name", with([](FileParts& p) { p.stations = "1 2 3 4 AB/CD"; }), 17, "found \"AB/CD\", which holds a slash"},
        {"unterminated quote", with([](FileParts& p) { p.stations = "1 2 3 4 'AB CD"; }), 17, "found \"'AB CD\" with no closing quote"},
        {"quote cut at column 50", with([](FileParts& p) { p.stations = "1 2 3 4 '" + std::string(50, 'x') + "'"; }), 17,
         "with no closing quote"},
        {"text after the closing quote", with([](FileParts& p) { p.stations = "1 2 3 4 'A B'C D"; }), 17,
         "found \"'A B'C\", which has text after its closing quote"},
        {"tab in a quoted name", with([](FileParts& p) { p.stations = "1 2 3 4 'Jungfrau\tjoch'"; }), 17,
         "expected the station name (a word, or a text in quotes), found \"Jungfrau\\tjoch\", which holds a control character"},
        {"escape sequence in a name", with([](FileParts& p) { p.stations = "1 2 3 4 A\x1b[2J"; }), 17,
         "found \"A\\x1b[2J\", which holds a control character"},
        {"second station bad", with([](FileParts& p) { p.stations = "1 2 3 4 A\nc x\n1 x 3 4 B"; }), 19,
         "expected the station longitude (a number, degrees), found \"x\""},
        {"rigidity from column 7", with([](FileParts& p) { p.rigidities = "1.0\n      10.0"; }), 22,
         "expected a rigidity (a number in GV within columns 1 to 6), found no number in columns 1 to 6 of \"      10.0\""},
        {"empty rigidity line", with([](FileParts& p) { p.rigidities = "1.0\n\n10.0"; }), 22, "found an empty line"},
        {"blank line between rigidities", with([](FileParts& p) { p.rigidities = "1.0\n  \n10.0"; }), 22,
         "found no number in columns 1 to 6 of \"  \""},
        {"number running past column 6", with([](FileParts& p) { p.rigidities = "1.0\n1.2345e1"; }), 22,
         "expected a rigidity (a number in GV within columns 1 to 6), found \"1.2345e1\", which runs past column 6"},
        {"small number running past column 6", with([](FileParts& p) { p.rigidities = "0.00015"; }), 21,
         "found \"0.00015\", which runs past column 6"},
        {"number from column 2 running past column 6", with([](FileParts& p) { p.rigidities = " 10.125 GV"; }), 21,
         "found \"10.125\", which runs past column 6"},
        {"text glued to a six-column number", with([](FileParts& p) { p.rigidities = "100.25x"; }), 21,
         "found \"100.25x\", which runs past column 6"},
        {"decimal comma", with([](FileParts& p) { p.rigidities = "10,5"; }), 21,
         "expected a rigidity (one number in GV within columns 1 to 6), found \"10,5\" in columns 1 to 6, which holds more "
         "than one value (write a decimal point, not a comma)"},
        {"two numbers", with([](FileParts& p) { p.rigidities = "1 2 3"; }), 21, "found \"1 2 3\" in columns 1 to 6, which holds more than one value"},
        {"unit inside six columns", with([](FileParts& p) { p.rigidities = "10 GV"; }), 21, "which holds more than one value"},
        {"Ctrl-Z followed by text", with([](FileParts& p) { p.rigidities = "1.0\n\x1a\n2.0"; }), 22, "found \"\\x1a\""},
        {"comment in the rigidity list", with([](FileParts& p) { p.rigidities = "c 1.0"; }), 21, "found \"c\""},
        {"rigidity overflow", with([](FileParts& p) { p.rigidities = "1e999"; }), 21, "which is not a finite number"},
        {"rigidity cut to a bad number", with([](FileParts& p) { p.rigidities = "12345e7"; }), 21, "found \"12345e7\", which runs past column 6"},
        {"bad number within six columns", with([](FileParts& p) { p.rigidities = "12345e 7"; }), 21, "found \"12345e\""},
        {"only one carriage return stripped", with([](FileParts& p) { p.values = "2.0\r\r\n" + p.values; }), 4,
         "found \"2.0\\r\""},
        {"control and non-ASCII bytes escaped", with([](FileParts& p) { p.values = "\x01\x7f\xc3\xa9\"\\\n" + p.values; }), 4,
         "found \"\\x01\\x7f\\xc3\\xa9\\\"\\\\\""},
        {"long text cut", with([](FileParts& p) { p.values = std::string(1000, 'x') + "\n" + p.values; }), 4,
         "found \"" + std::string(40, 'x') + "\"..."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        testing_support::expect_config_error([&k] { parse_configuration(k.text); }, k.line, k.fragment);
    }
}

// The reading stops at the first line, or the first byte, beyond its limit.
TEST(ConfigReader, LimitedTextRefusesLongLinesAndLongFiles) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t max_bytes, max_line_bytes;
        int line;             // 0: the text is read whole
        const char* fragment;
    };
    const Case cases[] = {
        {"within both limits", "abc\ndefgh\n", 10, 5, 0, ""},
        {"line feed not counted in the line", "abcde\nfghij", 11, 5, 0, ""},
        {"long first line", "abcdef\n", 100, 5, 1, "expected lines of at most 5 bytes, found a longer line"},
        {"long third line", "a\nb\ncdefgh", 100, 5, 3, "found a longer line (is Cones.ini a text file?)"},
        {"endless line of NUL bytes", std::string(100000, '\0'), 1000000, 50, 1, "found a longer line"},
        {"long file", "abc\ndefgh\n", 9, 5, 3, "expected a file of at most 9 bytes, found a longer file"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        std::istringstream in(k.text);
        try {
            const std::string text = read_limited_text(in, k.max_bytes, k.max_line_bytes);
            EXPECT_EQ(k.line, 0) << "no error";
            EXPECT_EQ(text, k.text);
        } catch (const ConfigError& e) {
            EXPECT_EQ(e.line(), k.line) << e.what();
            EXPECT_NE(std::string(e.what()).find(k.fragment), std::string::npos) << e.what();
        }
    }
}

// A scratch file in the test's temporary directory, removed afterwards.
class ConfigFile : public ::testing::Test {
protected:
    void write(const std::string& text) {
        std::ofstream out(path_, std::ios::binary);
        out << text;
    }
    void TearDown() override { std::filesystem::remove(path_); }
    std::string path_ = (std::filesystem::path(::testing::TempDir()) /
                         ("Cones_" + std::to_string(::getpid()) + ".ini")).string();
};

TEST_F(ConfigFile, ReadsParsesAndValidates) {
    write(FileParts{}.text("\r\n"));
    const RunConfiguration c = read_configuration(path_);
    EXPECT_EQ(c.stations.size(), 2u);
    EXPECT_EQ(c.rigidities, (std::vector<double>{1.0, 10.0, 100.25}));
}

TEST_F(ConfigFile, ValidationErrorsComeThrough) {
    FileParts parts;
    parts.stations.clear();
    write(parts.text());
    try {
        read_configuration(path_);
        FAIL() << "no error";
    } catch (const ConfigError& e) {
        EXPECT_NE(std::string(e.what()).find("the station list is empty"), std::string::npos) << e.what();
    }
}

// The message of old, followed by the file tried and the system's reason.
TEST_F(ConfigFile, MissingFileOrDirectoryCannotBeOpened) {
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {{path_ + ".missing", "No such file or directory"}, {::testing::TempDir(), "Is a directory"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            read_configuration(c.path);
            ADD_FAILURE() << "no error";
        } catch (const ConfigError& e) {
            EXPECT_EQ(std::string(e.what()), "Can not open file CONES.INI (" + std::filesystem::absolute(c.path).string() +
                                                 ": " + c.reason + ")");
            EXPECT_EQ(e.open_failure(), c.reason);
            EXPECT_EQ(e.line(), 0);
        }
    }
}

}  // namespace
}  // namespace cones
