// The program end to end: the real executable in a temporary directory, and
// the run driver's failure paths.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "apps/cones_run.hpp"

namespace cones {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A fresh directory under the test temporary directory, removed afterwards.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name)
        : path_(fs::path(::testing::TempDir()) / ("cones_" + name + "_" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDirectory() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

struct ProgramRun {
    int status;
    std::string out, err;
};

// Runs the cones executable in `directory`.
ProgramRun run_program_in(const fs::path& directory) {
    const std::string command = "cd '" + directory.string() + "' && '" CONES_EXECUTABLE "' > stdout.txt 2> stderr.txt";
    const int raw = std::system(command.c_str());
    ProgramRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(directory / "stdout.txt"),
                   read_file(directory / "stderr.txt")};
    fs::remove(directory / "stdout.txt");
    fs::remove(directory / "stderr.txt");
    return run;
}

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

struct MalformedCase {
    const char* what;
    int line;             // line to replace (1-based), 0 to use `text` whole
    const char* replacement;
    const char* message;  // expected fragment of the error message
    int line2 = 0;        // a second line to replace, if any
    const char* replacement2 = "";
};

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
        {"T96 with pressure 0", 4, "0", "Cones.ini, line 4: expected a solar-wind dynamic pressure (parameter 1) "
         "greater than 0 nPa for field model 96 (T96), found 0", 12, "96"},
        {"T96 with a negative pressure", 4, "-3.5", "Cones.ini, line 4:", 12, "96"},
        {"T01 with a negative pressure", 4, "-1", "for field model 1 (T01), found -1", 12, "1"},
        {"T01 is not available", 12, "1", "not available"},
        {"storm-time T01 is not available", 12, "3", "not available"},
        {"one value for the longitude window", 15, "-180.", "Cones.ini"},
        {"upper-case C is not a comment", 17, "C a comment", "Cones.ini, line 17:"},
        {"station without a name", 18, "46.55 7.98 0 0", "Cones.ini, line 18:"},
        {"zenith that is not an integer", 18, "46.55 7.98 0.5 0 Jungfraujoch", "Cones.ini, line 18:"},
        {"zenith beyond 16 bits", 18, "46.55 7.98 40000 0 Jungfraujoch", "Cones.ini, line 18:"},
        {"rigidity from column 7", 20, "      10.0", "Cones.ini, line 20:"},
        {"rigidity zero", 20, "0.0", "rigidity"},
        {"negative rigidity", 21, "-5", "rigidity"},
        {"empty line after the rigidities", 21, "15.0\n", "Cones.ini, line 22:"},
        {"start below the Earth's centre", 13, "-7000", "altitude"},
        {"T89 with Kp -1.5 selects no coefficient set", 11, "-1.5", "Kp", 12, "89"},
        {"T89 with Kp -3", 11, "-3", "Kp", 12, "89"},
    };
    for (const MalformedCase& c : cases) {
        ScratchDirectory dir("malformed");
        std::vector<std::string> lines = valid_lines();
        lines[static_cast<std::size_t>(c.line - 1)] = c.replacement;
        if (c.line2 > 0) lines[static_cast<std::size_t>(c.line2 - 1)] = c.replacement2;
        write_file(dir.path() / "Cones.ini", join(lines));
        const ProgramRun run = run_program_in(dir.path());
        EXPECT_NE(run.status, 0) << c.what;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(run.err.find("Cones.ini"), 0u) << c.what << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat")) << c.what;
    }
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
        {"empty file", "", "Cones.ini"},
        {"no \"#\" line", join(no_terminator), "Cones.ini"},
        {"empty station list", join(no_stations), "station list is empty"},
        {"empty rigidity list", join(no_rigidities), "rigidity list is empty"},
    };
    for (const Case& c : cases) {
        ScratchDirectory dir("whole");
        write_file(dir.path() / "Cones.ini", c.text);
        const ProgramRun run = run_program_in(dir.path());
        EXPECT_NE(run.status, 0) << c.what;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat")) << c.what;
    }
}

TEST(ConesProgram, MissingConfigurationAndExistingOutputUntouched) {
    ScratchDirectory dir("missing");
    write_file(dir.path() / "Cones.dat", "earlier results\n");
    ProgramRun run = run_program_in(dir.path());
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.err, "Can not open file CONES.INI\n");
    EXPECT_EQ(read_file(dir.path() / "Cones.dat"), "earlier results\n");

    std::vector<std::string> lines = valid_lines();
    lines[1] = "31 04 2005";
    write_file(dir.path() / "Cones.ini", join(lines));
    run = run_program_in(dir.path());
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(read_file(dir.path() / "Cones.dat"), "earlier results\n");
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

TEST(ConesProgram, ExampleRunHasTheFixedLayoutAndSensibleCones) {
    ScratchDirectory dir("example");
    fs::copy_file(fs::path(CONES_SOURCE_DIR) / "examples" / "Cones.ini", dir.path() / "Cones.ini");
    const ProgramRun run = run_program_in(dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
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
    // No limit of 100 entries; the year notice goes to standard output.
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
    const std::vector<std::string> result = checked_lines(read_file(dir.path() / "Cones.dat"), 105);
    EXPECT_EQ(result.size(), 102u);
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
