// The program end to end: the real executable in a temporary directory, and
// the run driver's failure paths.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "apps/cones_run.hpp"
#include "tests/support/program_run.hpp"
#include "io/config_parsing.hpp"

namespace cones {
namespace {

using namespace testing_support;

// Runs the cones executable in `directory`, with no arguments.
ProgramRun run_program_in(const fs::path& directory) { return run_in(directory, CONES_EXECUTABLE); }

// A valid configuration, line by line (line k of the file at index k - 1).
std::vector<std::string> valid_lines() {
    return {"Test run", "15 03 2005", "12 00 00", "2.0", "-10", "0", "-2", "3", "5", "10", "2",
            "10", "20.0", "0", "-180. 180.", "lat lon zen azi name", "c a comment",
            "46.55 7.98 0 0 Jungfraujoch", "#", "5.0", "15.0"};
}

std::string join(const std::vector<std::string>& lines, const char* end = "\n") {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

// Checks the fixed layout of "Cones.dat" for n stations and returns its lines
// without their line ends.
std::vector<std::string> checked_lines(const std::string& content, std::size_t stations) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "line without CR LF";
        if (end == std::string::npos) break;
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    for (const std::string& line : lines) {
        EXPECT_EQ(line.size(), 6 + 14 * stations + 1) << line;
        EXPECT_EQ(line.back(), ' ');
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('\r'), std::string::npos);
    }
    return lines;
}

struct MalformedCase {
    const char* what;
    int line;             // line to replace (1-based), 0 to use `text` whole
    const char* replacement;
    const char* message;  // expected fragment of the error message
    int line2 = 0;        // a second line to replace, if any
    const char* replacement2 = "";
};

// Every malformed or misread input ends the run with exit status 1 and a
// message that names "Cones.ini" and the line, before "Cones.dat" is created.
TEST(ConesProgram, MalformedConfigurationsAreRejectedBeforeAnyOutput) {
    const MalformedCase cases[] = {
        {"letter in the date", 2, "1a 03 2005", "Cones.ini, line 2:"},
        {"month 13", 2, "01 13 2005", "month"},
        {"30 February", 2, "30 02 2005", "day"},
        {"29 February 1900", 2, "29 02 1900", "day"},
        {"hour 24", 3, "24 00 00", "hour"},
        {"minute 60", 3, "12 60 00", "minute"},
        {"text for a parameter", 4, "abc", "Cones.ini, line 4:"},
        {"parameter that is not finite", 5, "1e999", "Cones.ini"},
        {"real for the field model code", 12, "10.5", "Cones.ini, line 12:"},
        {"T96 with zero pressure", 4, "0", "Cones.ini, line 4: expected the solar-wind dynamic pressure (parameter 1) from 0.01 nPa to 100 nPa for field model 96 (T96), found 0 nPa", 12, "96"},
        {"T96 with negative pressure", 4, "-3.5", "for field model 96 (T96), found -3.5 nPa", 12, "96"},
        {"T01 with zero pressure", 4, "0.0", "Cones.ini, line 4: expected the solar-wind dynamic pressure (parameter 1) from 0.01 nPa to 100 nPa for field model 1 (T01), found 0 nPa", 12, "1"},
        {"storm-time T01 with negative pressure", 4, "-1.5", "from 0.01 nPa to 100 nPa for field model 3 (storm-time T01), found -1.5 nPa", 12, "3"},
        {"one value for the longitude window", 15, "-180.", "Cones.ini"},
        {"upper-case C is not a comment", 17, "C a comment", "Cones.ini, line 17:"},
        {"station without a name", 18, "46.55 7.98 0 0", "Cones.ini, line 18:"},
        {"zenith that is not an integer", 18, "46.55 7.98 0.5 0 Jungfraujoch", "Cones.ini, line 18:"},
        {"zenith beyond 16 bits", 18, "46.55 7.98 40000 0 Jungfraujoch", "Cones.ini, line 18:"},
        {"rigidity from column 7", 20, "      10.0", "Cones.ini, line 20:"},
        {"rigidity zero", 20, "0.0", "rigidity"},
        {"rigidity shown as 0.00", 20, "0.004", "Cones.ini, line 20: expected rigidity 1 from 0.01 to 999.99 GV (the rigidities Cones.dat shows), found 0.004"},
        {"rigidity below the lowest traced", 20, "0.0099", "found 0.0099"},
        {"rigidity shown as ******", 21, "1000", "Cones.ini, line 21: expected rigidity 2 from 0.01 to 999.99 GV (the rigidities Cones.dat shows), found 1000"},
        {"rigidity of 1e3", 21, "1e3", "found 1000"},
        {"negative rigidity", 21, "-5", "rigidity"},
        {"empty line between the rigidities", 20, "5.0\n", "Cones.ini, line 21: expected a rigidity"},
        {"start below the Earth's centre", 13, "-7000", "Cones.ini, line 13: expected a start altitude of 0 km or more"},
        {"T89 with Kp -1.5 selects no coefficient set", 11, "-1.5", "Cones.ini, line 11: expected the Kp index (parameter 8) from 0 to 9 for field model 89 (T89), found -1.5", 12, "89"},
        {"T89 with Kp -3", 11, "-3", "Kp", 12, "89"},
        // Slips made when a positional file is edited by hand, which used to
        // run with values other than those written.
        {"number running past column 6", 20, "1.2345e1", "Cones.ini, line 20: expected a rigidity (a number in GV "
         "within columns 1 to 6), found \"1.2345e1\", which runs past column 6"},
        {"small number running past column 6", 21, "0.00015", "Cones.ini, line 21: expected a rigidity"},
        {"decimal comma in a rigidity", 20, "10,5", "Cones.ini, line 20: expected a rigidity (one number in GV "
         "within columns 1 to 6), found \"10,5\" in columns 1 to 6, which holds more than one value"},
        {"one-digit month", 2, "15 6 2025", "Cones.ini, line 2: expected the date as \"DD MM YYYY\""},
        {"one-digit day and month", 2, "1 6 2025", "Cones.ini, line 2: expected the date as \"DD MM YYYY\""},
        {"text after the year", 2, "15 03 20251", "Cones.ini, line 2: expected the date"},
        {"colons in the time", 3, "12:00:00", "Cones.ini, line 3: expected the time as \"hh mm ss\""},
        {"empty longitude window", 15, "0 0", "Cones.ini, line 15: expected a longitude window that holds every longitude"},
        {"longitude window above 360", 15, "500 900", "Cones.ini, line 15: expected a longitude window"},
        {"longitude window upside down", 15, "100 -100", "Cones.ini, line 15: expected a longitude window"},
        {"longitude window on the next line", 15, "\n-180 0", "Cones.ini, line 16: expected a longitude window"},
        {"latitude beyond the pole", 18, "100 7.98 0 0 Jfj", "Cones.ini, line 18: expected the latitude of station 1 "
         "(\"Jfj\") from -90 to 90 degrees, found 100"},
        {"start 10 km below the surface", 13, "-10", "Cones.ini, line 13: expected a start altitude of 0 km or more"},
        {"start 100 km below the surface", 13, "-100", "Cones.ini, line 13:"},
        {"tab in a station name", 18, "46.55 7.98 0 0 'Jungfrau\tjoch'", "Cones.ini, line 18: expected the station name"},
        // Checks of values that used to name no line.
        {"rigidity zero names its line", 21, "0", "Cones.ini, line 21: expected rigidity 2 from 0.01 to 999.99 GV"},
        {"station latitude not finite", 18, "1e999 7.98 0 0 J", "Cones.ini, line 18:"},
    };
    for (const MalformedCase& c : cases) {
        ScratchDirectory dir("malformed");
        std::vector<std::string> lines = valid_lines();
        lines[static_cast<std::size_t>(c.line - 1)] = c.replacement;
        if (c.line2 > 0) lines[static_cast<std::size_t>(c.line2 - 1)] = c.replacement2;
        write_file(dir.path() / "Cones.ini", join(lines));
        const ProgramRun run = run_program_in(dir.path());
        EXPECT_EQ(run.status, kExitBadConfiguration) << c.what;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(run.err.rfind("Cones.ini, line ", 0), 0u) << c.what << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.what << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat")) << c.what;
    }
}

// The variations a hand-edited file may hold and that are read as intended
// give the same "Cones.dat" as the clean file.
TEST(ConesProgram, ToleratedVariationsGiveTheSameTable) {
    ScratchDirectory dir("tolerated");
    write_file(dir.path() / "Cones.ini", join(valid_lines()));
    const ProgramRun clean = run_program_in(dir.path());
    ASSERT_EQ(clean.status, 0) << clean.err;
    const std::string expected = read_file(dir.path() / "Cones.dat");
    ASSERT_FALSE(expected.empty());

    std::vector<std::string> varied = valid_lines();
    varied[1] = "15 03 2005   ";      // blanks after the year
    varied[3] = "2.0, -10";           // a comma between values; the rest of the line is discarded
    varied[14] = "-180.,180.";        // the window with a comma between its ends
    varied[17] = "46.55,7.98,0,0,Jungfraujoch";
    varied[19] = "5.0    GV";         // text behind a blank after column 6
    varied[20] = "15.0  15";
    const std::string variations[] = {
        join(varied, "\r\n"),
        join(varied, "\r\n") + "\r\n",           // a blank last line
        join(varied) + "  \n\n",                   // blank lines at the end
        join(varied, "\r\n") + "\x1a",             // DOS end-of-file mark
        join(varied, "\r\n") + "\r\n\x1a\r\n",  // a blank line, the mark and a line end
        join(varied).substr(0, join(varied).size() - 1) + "\x1a",  // the mark right after the last rigidity
    };
    for (const std::string& text : variations) {
        SCOPED_TRACE(quoted_text(text.substr(text.size() - 12)));
        fs::remove(dir.path() / "Cones.dat");
        write_file(dir.path() / "Cones.ini", text);
        const ProgramRun run = run_program_in(dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, clean.out);
        EXPECT_EQ(read_file(dir.path() / "Cones.dat"), expected);
    }
}

// Station names in UTF-8 keep every field of the table and of the progress
// lines at its width in bytes, with whole characters only.
TEST(ConesProgram, UnicodeStationNames) {
    std::vector<std::string> lines = valid_lines();
    lines[17] = "47.38 8.54 0 0 Z\xc3\xbcrich";
    lines.insert(lines.begin() + 18, "-33.46 -70.60 0 0 '\xc3\x91u\xc3\xb1oa'");
    lines.insert(lines.begin() + 19, "10 10 0 0 " + std::string(19, 'x') + "\xc3\xbc");
    ScratchDirectory dir("unicode");
    write_file(dir.path() / "Cones.ini", join(lines));
    const ProgramRun run = run_program_in(dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> table = checked_lines(read_file(dir.path() / "Cones.dat"), 3);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0], "Rig_GV  Z\xc3\xbcLa  Z\xc3\xbcLo  \xc3\x91uLa  \xc3\x91uLo  xxxLa  xxxLo ");
    std::istringstream progress(run.out);
    std::string line;
    std::getline(progress, line);
    EXPECT_EQ(line, " Rigidity   5.00 GV ======");
    std::getline(progress, line);
    EXPECT_EQ(line, "   Z\xc3\xbcrich" + std::string(13, ' '));
    std::getline(progress, line);
    EXPECT_EQ(line, "   \xc3\x91u\xc3\xb1oa" + std::string(13, ' '));
    std::getline(progress, line);
    EXPECT_EQ(line, "   " + std::string(19, 'x') + " ");  // the "ü" would cross byte 20
}

TEST(ConesProgram, WholeFileProblems) {
    struct Case {
        const char* what;
        std::string text;
        const char* message;
    };
    std::vector<std::string> no_terminator = valid_lines();
    no_terminator.resize(18);
    std::vector<std::string> no_stations = valid_lines();
    no_stations.erase(no_stations.begin() + 17);
    std::vector<std::string> no_rigidities = valid_lines();
    no_rigidities.resize(19);
    const Case cases[] = {
        {"empty file", "", "Cones.ini, line 1: expected the title line"},
        {"no \"#\" line", join(no_terminator), "Cones.ini, line 19: expected a station line or the \"#\" line"},
        {"empty station list", join(no_stations), "Cones.ini, line 18: expected at least one station line"},
        {"empty rigidity list", join(no_rigidities), "Cones.ini, line 20: expected at least one rigidity line"},
        {"only blank lines after the \"#\" line", join(no_rigidities) + "\n  \n\x1a", "rigidity list is empty"},
    };
    for (const Case& c : cases) {
        ScratchDirectory dir("whole");
        write_file(dir.path() / "Cones.ini", c.text);
        const ProgramRun run = run_program_in(dir.path());
        EXPECT_EQ(run.status, kExitBadConfiguration) << c.what;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat")) << c.what;
    }
}

// An endless input (a link to /dev/zero) is refused at once instead of being
// read until the memory runs out; so is a file with an absurdly long line.
TEST(ConesProgram, EndlessOrHugeInputIsRefused) {
    ScratchDirectory dir("endless");
    fs::create_symlink("/dev/zero", dir.path() / "Cones.ini");
    ProgramRun run = run_program_in(dir.path());
    EXPECT_EQ(run.status, kExitBadConfiguration);
    EXPECT_EQ(run.err, "Cones.ini, line 1: expected lines of at most 1048576 bytes, found a longer line "
                       "(is Cones.ini a text file?)\n");
    EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat"));

    fs::remove(dir.path() / "Cones.ini");
    std::vector<std::string> lines = valid_lines();
    lines[15] = std::string(std::size_t{1} << 20, '-') + "-";  // the heading of the station list
    write_file(dir.path() / "Cones.ini", join(lines));
    run = run_program_in(dir.path());
    EXPECT_EQ(run.status, kExitBadConfiguration);
    EXPECT_EQ(run.err.rfind("Cones.ini, line 16: expected lines of at most 1048576 bytes", 0), 0u) << run.err;
    EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat"));
}

TEST(ConesProgram, MissingConfigurationAndExistingOutputUntouched) {
    ScratchDirectory dir("missing");
    write_file(dir.path() / "Cones.dat", "earlier results\n");
    ProgramRun run = run_program_in(dir.path());
    EXPECT_NE(run.status, 0);
    // The message of old, and the file tried with the system's reason.
    EXPECT_EQ(run.err, "Can not open file CONES.INI (" + (dir.path() / "Cones.ini").string() +
                           ": No such file or directory)\n");
    EXPECT_EQ(read_file(dir.path() / "Cones.dat"), "earlier results\n");

    std::vector<std::string> lines = valid_lines();
    lines[1] = "31 04 2005";
    write_file(dir.path() / "Cones.ini", join(lines));
    run = run_program_in(dir.path());
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(read_file(dir.path() / "Cones.dat"), "earlier results\n");
}

TEST(ConesProgram, ExampleRunHasTheFixedLayoutAndSensibleCones) {
    ScratchDirectory dir("example");
    fs::copy_file(fs::path(CONES_SOURCE_DIR) / "examples" / "Cones.ini", dir.path() / "Cones.ini");
    const ProgramRun run = run_program_in(dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    // 15 June 2025 lies after IGRF-12's span: noted on standard error only.
    EXPECT_EQ(run.err, " *** The date lies 5.45 years after the end of IGRF-12 (2020), whose secular variation is "
                       "extrapolated; IGRF-14 (--igrf 14) runs to 2030 ***\n");
    EXPECT_EQ(run.out.find("***"), std::string::npos);
    const std::vector<std::string> lines = checked_lines(read_file(dir.path() / "Cones.dat"), 12);
    ASSERT_EQ(lines.size(), 21u);  // header and 20 rigidities
    EXPECT_EQ(lines[0].substr(0, 20), "Rig_GV  ThuLa  ThuLo");
    EXPECT_EQ(lines[1].substr(0, 6), "  1.00");
    EXPECT_EQ(lines[20].substr(0, 6), " 20.00");

    // Column k (from 0) of station entries: 14 characters from 6 + 14 k.
    auto field = [&](std::size_t line, std::size_t k) { return lines[line].substr(6 + 14 * k, 14); };
    const std::string forbidden = "  ,    ,     ,";
    // Doi Inthanon (k = 11, vertical cutoff near 17 GV): forbidden at low
    // rigidity, allowed at 20 GV. Jungfraujoch vertical (k = 3, about 4.5 GV):
    // forbidden at 1 GV, allowed from 8 GV on. Oulu (k = 1): allowed throughout.
    for (std::size_t line = 1; line <= 16; ++line) EXPECT_EQ(field(line, 11), forbidden) << line;
    EXPECT_NE(field(20, 11), forbidden);
    EXPECT_EQ(field(1, 3), forbidden);
    for (std::size_t line = 10; line <= 20; ++line) EXPECT_NE(field(line, 3), forbidden) << line;
    for (std::size_t line = 1; line <= 20; ++line) {
        const std::string pair = field(line, 1);
        ASSERT_NE(pair, forbidden) << line;
        const double latitude = std::stod(pair.substr(0, 7));
        const double longitude = std::stod(pair.substr(7, 7));
        EXPECT_GE(latitude, -90.0);
        EXPECT_LE(latitude, 90.0);
        EXPECT_GE(longitude, -180.0);
        EXPECT_LE(longitude, 180.0);
    }

    // Progress: one rigidity line and one line per station entry.
    std::istringstream progress(run.out);
    std::string first, second;
    std::getline(progress, first);
    std::getline(progress, second);
    EXPECT_EQ(first, " Rigidity   1.00 GV ======");
    EXPECT_EQ(second, "   Thule               ");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 20 * (1 + 12));
}

TEST(ConesProgram, ExampleStationsInT89) {
    ScratchDirectory dir("t89");
    std::string text = read_file(fs::path(CONES_SOURCE_DIR) / "examples" / "Cones.ini");
    // Line 12 holds the field model code.
    std::size_t start = 0;
    for (int line = 1; line < 12; ++line) start = text.find('\n', start) + 1;
    text.replace(start, text.find('\n', start) - start, "89");
    write_file(dir.path() / "Cones.ini", text);
    const ProgramRun run = run_program_in(dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = checked_lines(read_file(dir.path() / "Cones.dat"), 12);
    EXPECT_EQ(lines.size(), 21u);
}

TEST(ConesProgram, YearNoticeAndLongLists) {
    // No limit of 100 entries; the year notice goes to standard output and to
    // the error output.
    std::vector<std::string> lines = valid_lines();
    lines[1] = "01 07 2077";
    lines.resize(17);
    for (int i = 0; i < 120; ++i) lines.push_back("c comment " + std::to_string(i));
    for (int i = 0; i < 105; ++i) lines.push_back("-60.0 " + std::to_string(i) + " 0 0 S" + std::to_string(i));
    lines.push_back("#");
    for (int i = 0; i < 101; ++i) lines.push_back("500");
    ScratchDirectory dir("long");
    write_file(dir.path() / "Cones.ini", join(lines, "\r\n"));
    const ProgramRun run = run_program_in(dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(" *** Year 2077 is out of interval 1900-2050 ***\n"
                            " *** Calculation will be done for year 2050 ***\n"
                            " Rigidity 500.00 GV ======\n",
                            0),
              0u);
    EXPECT_EQ(run.err, " *** Year 2077 is out of interval 1900-2050 ***\n"
                       " *** Calculation will be done for year 2050 ***\n"
                       " *** The date lies 30.50 years after the end of IGRF-12 (2020), whose secular variation is "
                       "extrapolated; IGRF-14 (--igrf 14) runs to 2030 ***\n");
    const std::vector<std::string> result = checked_lines(read_file(dir.path() / "Cones.dat"), 105);
    EXPECT_EQ(result.size(), 102u);
}

// A run whose disk fills up while it writes "Cones.dat".
struct FullDiskCase {
    const char* what;
    bool tmpfs;              // true: a small tmpfs; false: a file-size limit
    int stations;            // each line holds 6 + 14 n + 3 bytes
    std::size_t data_lines;  // complete rigidity lines left; 0: no file left
};

// Runs cones in `run_directory` (a subdirectory of the scratch directory) with
// room for 4096 bytes of output, and copies what it left in "Cones.dat" to
// result.dat beside the run directory. The tmpfs is mounted in a private mount
// namespace of the shell that runs cones, so it vanishes with it; status 125
// means the mount could not be made. Under the file-size limit, cones itself
// ignores the signal the limit raises (SIGXFSZ), so that the write beyond it
// fails with an error instead of killing the process mid-line.
ProgramRun run_with_full_disk(const fs::path& scratch, bool tmpfs) {
    const std::string quoted = "'" + (scratch / "run").string() + "'";
    std::string script;
    if (tmpfs) {
        script = "unshare --mount sh -c \"mount -t tmpfs -o size=8k tmpfs " + quoted +
                 " 2>/dev/null || exit 125; cp Cones.ini " + quoted + "/ && cd " + quoted + " && '" CONES_EXECUTABLE
                 "'; status=\\$?; if [ -f Cones.dat ]; then cp Cones.dat ../result.dat; fi; exit \\$status\"";
    } else {
        script = "cd " + quoted + " && cp ../Cones.ini . && prlimit --fsize=4096 '" CONES_EXECUTABLE
                 "'; status=$?; if [ -f Cones.dat ]; then cp Cones.dat ../result.dat; fi; exit $status";
    }
    const std::string command = "cd '" + scratch.string() + "' && (" + script + ") > stdout.txt 2> stderr.txt";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(scratch / "stdout.txt"),
            read_file(scratch / "stderr.txt")};
}

// When the disk fills, "Cones.dat" is cut back to its last complete line, or
// removed when no rigidity line was complete: what is left is a valid table.
TEST(ConesProgram, FullDiskLeavesOnlyCompleteLines) {
    const FullDiskCase cases[] = {
        // 1409-byte lines: the header and one data line fit in 4096 bytes, the
        // second data line is cut in the middle.
        {"tmpfs, two lines fit", true, 100, 1},
        {"file-size limit, two lines fit", false, 100, 1},
        // 2109-byte lines: the first data line is cut in the middle.
        {"tmpfs, only the header fits", true, 150, 0},
        {"file-size limit, only the header fits", false, 150, 0},
    };
    for (const FullDiskCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = valid_lines();
        lines[11] = "0";  // dipole field: fast trajectories
        lines.resize(17);
        for (int i = 0; i < c.stations; ++i) lines.push_back("-60 " + std::to_string(i) + " 0 0 S" + std::to_string(i));
        lines.push_back("#");
        for (int i = 0; i < 4; ++i) lines.push_back("500");
        ScratchDirectory dir("full");
        fs::create_directories(dir.path() / "run");
        write_file(dir.path() / "Cones.ini", join(lines));
        ASSERT_LT(fs::file_size(dir.path() / "Cones.ini"), 4096u);  // one page of the tmpfs
        const ProgramRun run = run_with_full_disk(dir.path(), c.tmpfs);
        if (c.tmpfs && run.status == 125) {
            std::cout << "[  SKIPPED ] " << c.what << ": no tmpfs can be mounted here\n";
            continue;
        }
        EXPECT_EQ(run.status, kExitOutputFailed) << run.err;
        EXPECT_EQ(run.err.rfind("Can not write file Cones.dat: " +
                                    std::string(c.tmpfs ? "No space left on device" : "File too large"),
                                0),
                  0u)
            << run.err;
        const fs::path result = dir.path() / "result.dat";
        if (c.data_lines == 0) {
            EXPECT_FALSE(fs::exists(result));
            EXPECT_NE(run.err.find("the file is removed"), std::string::npos) << run.err;
            continue;
        }
        ASSERT_TRUE(fs::exists(result));
        const std::string content = read_file(result);
        ASSERT_GE(content.size(), 2u);
        EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
        const std::vector<std::string> table = checked_lines(content, static_cast<std::size_t>(c.stations));
        EXPECT_EQ(table.size(), 1 + c.data_lines);
        EXPECT_EQ(table[0].substr(0, 13), "Rig_GV  S0 La");
        EXPECT_EQ(table[1].substr(0, 6), "500.00");
        EXPECT_NE(run.err.find("the file keeps its 1 complete rigidity lines"), std::string::npos) << run.err;
    }
}

TEST(ConesProgram, TheRunIsTracedOnTheDayOfYearOfTheConfiguredDate) {
    // 15 March 2005 is day 31 + 28 + 15 = 74. In IGRF plus T89 with the
    // directions written in GSM, every allowed cell depends on the date.
    std::vector<std::string> lines = valid_lines();
    lines[11] = "89";  // field model code
    lines[13] = "2";   // output frame: GSM
    lines.push_back("30.0");
    ScratchDirectory dir("date");
    write_file(dir.path() / "Cones.ini", join(lines));
    const ProgramRun run = run_program_in(dir.path());
    ASSERT_EQ(run.status, 0) << run.err;

    const RunConfiguration config = read_configuration((dir.path() / "Cones.ini").string());
    std::ostringstream notice, progress, errors;
    const EpochState epoch = set_epoch(2005, 74, 12, 0, 0, notice);
    const std::string expected = (dir.path() / "expected.dat").string();
    ASSERT_EQ(trace_and_write(config, epoch, expected.c_str(), progress, errors), kExitSuccess);
    EXPECT_EQ(read_file(dir.path() / "Cones.dat"), read_file(expected));
}

TEST(RunDriver, DayOfYearUsesTheGregorianLeapYears) {
    struct Case {
        int day, month, year, expected;
    };
    const Case cases[] = {{1, 3, 1900, 60},  {1, 3, 2000, 61},  {1, 3, 2001, 60}, {1, 3, 2004, 61},
                          {31, 12, 2004, 366}, {31, 12, 2100, 365}, {1, 1, 2015, 1},  {15, 6, 2025, 166}};
    for (const Case& c : cases) {
        EXPECT_EQ(day_of_year(c.day, c.month, c.year), c.expected) << c.day << "." << c.month << "." << c.year;
    }
}

RunConfiguration small_configuration() {
    RunConfiguration config;
    config.day = 15, config.month = 3, config.year = 2005, config.hour = 12;
    config.field_model_code = 0;
    config.altitude_km = 20.0;
    config.longitude_min = -180.0, config.longitude_max = 180.0;
    StationRecord station;
    station.name = "Jungfraujoch        ";
    station.latitude = 46.55, station.longitude = 7.98;
    config.stations = {station};
    config.rigidities = {5.0, 15.0};
    return config;
}

TEST(RunDriver, IntegrationFailureIsReportedAndCompletedLinesStay) {
    ScratchDirectory dir("failure");
    const std::string output = (dir.path() / "Cones.dat").string();
    std::ostringstream notice;
    const RunConfiguration config = small_configuration();
    EpochState epoch = set_epoch(2005, 74, 12, 0, 0, notice);
    epoch.dipole_strength = std::numeric_limits<double>::quiet_NaN();
    std::ostringstream progress, errors;
    EXPECT_EQ(trace_and_write(config, epoch, output.c_str(), progress, errors), kExitIntegrationFailed);
    EXPECT_NE(errors.str().find("station Jungfraujoch at rigidity 5 GV"), std::string::npos) << errors.str();
    EXPECT_EQ(read_file(output), "Rig_GV  JunLa  JunLo \r\n");
}

TEST(RunDriver, OutputThatCannotBeWrittenIsReported) {
    std::ostringstream progress, errors;
    EXPECT_EQ(run_configuration(small_configuration(), "/dev/full", progress, errors), kExitOutputFailed);
    EXPECT_NE(errors.str().find("Can not write file /dev/full: No space left on device"), std::string::npos)
        << errors.str();
    ScratchDirectory dir("unwritable");
    const std::string missing = (dir.path() / "missing" / "Cones.dat").string();
    std::ostringstream errors2;
    EXPECT_EQ(run_configuration(small_configuration(), missing.c_str(), progress, errors2), kExitOutputFailed);
    EXPECT_NE(errors2.str().find("No such file or directory"), std::string::npos) << errors2.str();
}

}  // namespace
}  // namespace cones
