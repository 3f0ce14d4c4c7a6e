// The cutoffs program end to end: its cutoffs against what cones gives over
// the same grid, the Stormer cutoff of the dipole, scans that are all allowed
// or all forbidden, the penumbra chart as a rendered picture, the command
// line and configuration errors, and a trajectory that cannot be integrated.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/cones_run.hpp"
#include "apps/cutoffs_run.hpp"
#include "io/penumbra_chart.hpp"
#include "io/run_description.hpp"
#include "tests/support/png_image.hpp"
#include "tests/support/program_run.hpp"
#include "tests/support/stormer.hpp"

namespace cones {
namespace {

using namespace testing_support;

struct Station {
    std::string line;  // "latitude longitude zenith azimuth name"
};

// A Cones.ini for `stations` and `rigidities` (rigidity lines as written).
std::string configuration(const std::string& date, const std::string& time, int model,
                          const std::vector<std::string>& stations, const std::vector<std::string>& rigidities = {}) {
    std::string text = "cutoff test\n" + date + "\n" + time + "\n2.0\n0\n0\n0\n0\n0\n0\n1\n" + std::to_string(model) +
                       "\n20.0\n0\n-180. 180.\nlat lon zen azi name\n";
    for (const std::string& station : stations) text += station + "\n";
    text += "#\n";
    for (const std::string& rigidity : rigidities) text += rigidity + "\n";
    return text;
}

// The rows of a CSV text (no quoted fields), each split into its fields; the
// header row first. Every row must have as many fields as the header.
std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : split(text, '\n')) {
        if (line.empty()) continue;
        rows.push_back(split(line, ','));
        EXPECT_EQ(rows.back().size(), rows.front().size()) << line;
    }
    return rows;
}

std::string decimals3(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Allowed (true) or forbidden per rigidity line and station of a Cones.dat.
std::vector<std::vector<bool>> allowed_by_station(const std::string& dat, std::size_t stations) {
    std::vector<std::vector<bool>> allowed(stations);
    const std::vector<std::string> lines = split(dat, '\n');
    for (std::size_t k = 1; k < lines.size(); ++k) {
        if (lines[k].empty()) continue;
        for (std::size_t s = 0; s < stations; ++s) {
            allowed[s].push_back(lines[k].substr(6 + 14 * s, 14) != "  ,    ,     ,");
        }
    }
    return allowed;
}

// The cutoffs of one station from its allowed rigidities, by the definitions
// (written independently of the program): RL the lowest allowed, RU the one
// after the highest forbidden, Rc = RU - (allowed below RU) x step, bands the
// runs of allowed rigidities below RU. The scan must start forbidden and end
// allowed.
struct ReferenceCutoffs {
    std::string lower, upper, effective;
    int bands = 0;
};
ReferenceCutoffs reference_cutoffs(const std::vector<bool>& allowed, double from, double step) {
    EXPECT_FALSE(allowed.front());
    EXPECT_TRUE(allowed.back());
    std::size_t lower = 0;
    while (!allowed[lower]) ++lower;
    std::size_t upper = allowed.size();
    while (allowed[upper - 1]) --upper;
    int allowed_below = 0, bands = 0;
    for (std::size_t i = 0; i < upper; ++i) {
        allowed_below += allowed[i];
        bands += allowed[i] && (i == 0 || !allowed[i - 1]);
    }
    ReferenceCutoffs reference;
    reference.lower = decimals3(from + static_cast<double>(lower) * step);
    reference.upper = decimals3(from + static_cast<double>(upper) * step);
    reference.effective = decimals3(from + static_cast<double>(upper) * step - allowed_below * step);
    reference.bands = bands;
    return reference;
}

// Four stations with penumbrae between 3 and 10 GV in IGRF on 1 January
// 2010: Tsumeb (three bands in 0.125 GV steps), Jungfraujoch looking 30
// degrees east (two), Mexico City and Athens.
const std::vector<std::string> kPenumbraStations = {
    "-19.20 17.58 0 0 Tsumeb", "46.55 7.98 30 90 JungEast", "19.33 -99.18 0 0 MexicoCity",
    "37.97 23.78 0 0 Athens"};
// The scan 3 to 10 GV in steps of 0.125 GV: every rigidity is a multiple of
// 1/8, exact in binary and written exactly within six columns, so cones
// reads the very rigidities that cutoffs computes.
constexpr double kFrom = 3.0, kTo = 10.0, kStep = 0.125;
const std::string kScanOptions = "--from 3 --to 10 --step 0.125";

class PenumbraScan : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::string> rigidities;
        for (int i = 0; kFrom + i * kStep <= kTo; ++i) rigidities.push_back(decimals3(kFrom + i * kStep));
        ASSERT_EQ(rigidities.size(), 57u);
        write_file(dir_.path() / "Cones.ini", configuration("01 01 2010", "00 00 00", 10, kPenumbraStations, rigidities));
        const ProgramRun cones = run_in(dir_.path(), CONES_EXECUTABLE);
        ASSERT_EQ(cones.status, 0) << cones.err;
        allowed_ = allowed_by_station(read_file(dir_.path() / "Cones.dat"), kPenumbraStations.size());
        ASSERT_EQ(allowed_.front().size(), rigidities.size());
    }
    ScratchDirectory dir_{"cutoffs_penumbra"};
    std::vector<std::vector<bool>> allowed_;  // per station, per rigidity, as cones traced them
};

TEST_F(PenumbraScan, CutoffsAgreeWithConesOverTheSameGrid) {
    const ProgramRun run = run_in(dir_.path(), CUTOFFS_EXECUTABLE, kScanOptions + " --csv");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "nothing on standard error when it is not a terminal";
    const std::vector<std::vector<std::string>> rows = csv_rows(run.out);
    ASSERT_EQ(rows.size(), 1 + kPenumbraStations.size());
    EXPECT_EQ(rows[0], split("station,latitude,longitude,zenith,azimuth,RL,RU,Rc,bands,note", ','));
    int most_bands = 0;
    for (std::size_t s = 0; s < kPenumbraStations.size(); ++s) {
        const ReferenceCutoffs expected = reference_cutoffs(allowed_[s], kFrom, kStep);
        const std::vector<std::string>& row = rows[s + 1];
        EXPECT_EQ(row[0], split(kPenumbraStations[s], ' ')[4]);
        EXPECT_EQ(row[5], expected.lower) << row[0];
        EXPECT_EQ(row[6], expected.upper) << row[0];
        EXPECT_EQ(row[7], expected.effective) << row[0];
        EXPECT_EQ(row[8], std::to_string(expected.bands)) << row[0];
        EXPECT_EQ(row[9], "") << row[0];
        most_bands = std::max(most_bands, expected.bands);
    }
    EXPECT_GE(most_bands, 3) << "a station with several penumbra bands";
    // The numbers parse, and the table shows the same values.
    EXPECT_DOUBLE_EQ(std::stod(rows[1][1]), -19.2);
    const ProgramRun table = run_in(dir_.path(), CUTOFFS_EXECUTABLE, kScanOptions);
    ASSERT_EQ(table.status, 0) << table.err;
    const std::vector<std::string> lines = split(table.out, '\n');
    ASSERT_GE(lines.size(), 3 + kPenumbraStations.size());
    EXPECT_NE(lines[0].find("2010-01-01 00:00:00 UT, field model 10 (IGRF-12)"), std::string::npos) << lines[0];
    EXPECT_EQ(split(lines[2], ' ').front(), "Station");
    std::istringstream tsumeb(lines[3]);
    std::string name, lat, lon, zenith, azimuth, lower, upper, effective, bands;
    tsumeb >> name >> lat >> lon >> zenith >> azimuth >> lower >> upper >> effective >> bands;
    EXPECT_EQ(name + lower + upper + effective + bands, "Tsumeb" + rows[1][5] + rows[1][6] + rows[1][7] + rows[1][8]);
}

TEST_F(PenumbraScan, ResultsAreTheSameOnEveryNumberOfThreadsAndLanesAndBothScans) {
    const ProgramRun all = run_in(dir_.path(), CUTOFFS_EXECUTABLE, kScanOptions);
    ASSERT_EQ(all.status, 0) << all.err;
    for (const char* threads :
         {"--threads 1", "--threads 3", "--lanes 1", "--threads 1 --lanes 2", "--scan full", "--scan adaptive"}) {
        const ProgramRun run = run_in(dir_.path(), CUTOFFS_EXECUTABLE, kScanOptions + " " + threads);
        EXPECT_EQ(run.status, 0) << threads;
        EXPECT_EQ(run.out, all.out) << threads;
    }
}

TEST_F(PenumbraScan, ChartShowsAllowedDarkForbiddenLightAndTheCutoffMarks) {
    const ProgramRun run = run_in(dir_.path(), CUTOFFS_EXECUTABLE, kScanOptions + " --csv --svg chart.svg");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(names_in(dir_.path()), (std::vector<std::string>{"Cones.dat", "Cones.ini", "chart.svg"}));
    const std::string svg = read_file(dir_.path() / "chart.svg");
    ASSERT_EQ(svg.rfind("<?xml", 0), 0u);
    const int rendered = std::system(("rsvg-convert -o '" + (dir_.path() / "chart.png").string() + "' '" +
                                      (dir_.path() / "chart.svg").string() + "'")
                                         .c_str());
    ASSERT_EQ(rendered, 0) << "rsvg-convert (Debian librsvg2-bin, installed by tools/install-deps) must render the chart";
    const PngImage image(read_file(dir_.path() / "chart.png"));
    ASSERT_EQ(image.width(), static_cast<int>(penumbra_chart::kWidth));

    // Rigidity R_i is drawn over [R_i, R_i + step); the axis runs from the first
    // rigidity to the last plus one step.
    const double high = kFrom + 56 * kStep + kStep;
    const auto x_of = [&](double rigidity) {
        using namespace penumbra_chart;
        return kPlotLeft + (rigidity - kFrom) / (high - kFrom) * (kPlotRight - kPlotLeft);
    };
    const std::vector<std::vector<std::string>> rows = csv_rows(run.out);
    for (std::size_t s = 0; s < allowed_.size(); ++s) {
        using namespace penumbra_chart;
        const double bar_top = kFirstRowTop + static_cast<double>(s) * kRowHeight + kBarOffset;
        const int y = static_cast<int>(bar_top + kBarHeight / 2.0);
        for (std::size_t i = 0; i < allowed_[s].size(); ++i) {
            const double rigidity = kFrom + static_cast<double>(i) * kStep;
            const Rgb pixel = image.at(static_cast<int>(x_of(rigidity + kStep / 2.0)), y);
            if (allowed_[s][i]) {
                EXPECT_LT(pixel.luminance(), 80) << rows[s + 1][0] << " at " << rigidity << " GV is allowed: dark";
            } else {
                EXPECT_GT(pixel.luminance(), 200) << rows[s + 1][0] << " at " << rigidity << " GV is forbidden: light";
            }
        }
        // The effective cutoff's red mark reaches above the bar.
        const int mark_x = static_cast<int>(std::lround(x_of(std::stod(rows[s + 1][7]))));
        bool red = false;
        for (int dx = -1; dx <= 1; ++dx) {
            const Rgb pixel = image.at(mark_x + dx, static_cast<int>(bar_top) - 2);
            red = red || (pixel.r > 170 && pixel.g < 90 && pixel.b < 90);
        }
        EXPECT_TRUE(red) << rows[s + 1][0] << ": the Rc mark at " << rows[s + 1][7] << " GV";
        EXPECT_NE(svg.find("Rc " + rows[s + 1][7]), std::string::npos) << rows[s + 1][0];
    }
}

// The dipole of 15 March 2015: a station on its equator, and the Stormer
// vertical cutoff there.
class DipoleScan : public ::testing::Test {
protected:
    void SetUp() override {
        std::ostringstream notice;
        epoch_ = set_epoch(2015, 74, 12, 0, 0, notice);
    }
    double dipole_equator_latitude(double longitude) const {
        return testing_support::dipole_equator_latitude(epoch_, longitude);
    }
    double stormer_cutoff(double dipole_latitude) const {
        return stormer_vertical_cutoff(epoch_, 20.0, dipole_latitude);
    }
    EpochState epoch_;
};

TEST_F(DipoleScan, EffectiveCutoffAtTheDipoleEquatorIsStormers) {
    const double stormer = stormer_cutoff(0.0);
    EXPECT_NEAR(stormer, 14.17, 0.01);
    ScratchDirectory dir("cutoffs_stormer");
    char station[96];
    std::snprintf(station, sizeof station, "%.6f 30.0 0 0 DipoleEquator", dipole_equator_latitude(30.0));
    write_file(dir.path() / "Cones.ini", configuration("15 03 2015", "12 00 00", 0, {station}));
    const ProgramRun run = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--from 13.5 --to 15 --step 0.01 --csv");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::vector<std::string>> rows = csv_rows(run.out);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_NE(rows[1][7], "") << run.out;
    const double effective = std::stod(rows[1][7]);
    EXPECT_NEAR(effective, stormer, 0.01 * stormer) << "Stormer " << stormer;
}

TEST_F(DipoleScan, ScansAllAllowedOrAllForbiddenSaySo) {
    ScratchDirectory dir("cutoffs_edges");
    // The dipole equator near 14 GV: nothing up to 5 GV is allowed. Near the
    // dipole's pole everything from 5 GV is.
    char equator[96];
    std::snprintf(equator, sizeof equator, "%.4f 30.0 0 0 Equator", dipole_equator_latitude(30.0));
    write_file(dir.path() / "Cones.ini", configuration("15 03 2015", "12 00 00", 0, {equator, "80.0 -72.0 0 0 Pole"}));
    const ProgramRun table = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--from 1 --to 5 --step 0.5");
    ASSERT_EQ(table.status, 0) << table.err;
    const std::vector<std::string> lines = split(table.out, '\n');
    ASSERT_GE(lines.size(), 5u);
    EXPECT_NE(lines[3].find("above 5.00  above 5.00  above 5.00      0"), std::string::npos) << lines[3];
    EXPECT_NE(lines[4].find("below 1.00  below 1.00  below 1.00      0"), std::string::npos) << lines[4];

    const ProgramRun csv = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--from 1 --to 5 --step 0.5 --csv");
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<std::vector<std::string>> rows = csv_rows(csv.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][5] + rows[1][6] + rows[1][7], "") << "no number that looks like a result";
    EXPECT_EQ(rows[1][9], "RL above 5.00; RU above 5.00; Rc above 5.00");
    EXPECT_EQ(rows[2][9], "RL below 1.00; RU below 1.00; Rc below 1.00");
}

TEST(CutoffsProgram, UnusableCommandLinesAndConfigurations) {
    ScratchDirectory dir("cutoffs_errors");
    write_file(dir.path() / "Cones.ini", configuration("15 03 2015", "12 00 00", 0, {"0 0 0 0 A", "10 10 0 0 B"}));
    write_file(dir.path() / "bad.ini", configuration("31 04 2015", "12 00 00", 0, {"0 0 0 0 A"}));
    write_file(dir.path() / "nostations.ini", configuration("15 03 2015", "12 00 00", 0, {}));
    struct Case {
        const char* arguments;
        const char* message;  // expected fragment of standard error
        int status;
    };
    const Case cases[] = {
        {"--step 0", "option --step expects a step of at least 0.001 GV, found 0", 1},
        {"--step -0.01", "option --step expects a step of at least 0.001 GV", 1},
        // Steps and starts that would print as 0.00 (or trace for seconds each).
        {"--step 0.0009", "option --step expects a step of at least 0.001 GV, found 9e-04", 1},
        {"--from 0.005", "option --from expects a rigidity of at least 0.01 GV, found 0.005", 1},
        {"--from 5 --to 3", "--from 5 is not below --to 3", 1},
        {"--from 5 --to 5", "--from 5 is not below --to 5", 1},
        {"--from 0", "option --from expects a rigidity of at least 0.01 GV, found 0", 1},
        {"--to abc", "option --to expects a number, found 'abc'", 1},
        {"--from", "option --from needs a value", 1},
        {"--threads 0", "option --threads expects a whole number", 1},
        {"--lanes 3", "option --lanes expects a lane width of this processor", 1},
        {"--from 1 --to 20000 --step 0.001", "more than 10000000 rigidities per entry", 1},
        // 2 entries x 6 000 001 rigidities
        {"--from 1 --to 6001 --step 0.001", "more than 10000000 trajectories in all", 1},
        {"--scan quick", "option --scan expects full or adaptive, found 'quick'", 1},
        {"--scan Full", "option --scan expects full or adaptive, found 'Full'", 1},
        {"--scan", "option --scan needs a value", 1},
        {"--svg", "option --svg needs a value", 1},
        {"--svg=", "option --svg needs a file name", 1},
        {"--bands", "unknown option '--bands'", 1},
        {"Cones.ini other.ini", "unexpected argument 'other.ini'", 1},
        {"missing.ini", "Can not open file missing.ini: No such file or directory", 1},
        {"bad.ini", "bad.ini, line 2: expected a day from 1 to 30", 1},
        {"nostations.ini", "station list is empty", 1},
        {"--svg nowhere/chart.svg", "Can not write file nowhere/chart.svg: No such file or directory", 2},
    };
    for (const Case& c : cases) {
        const ProgramRun run = run_in(dir.path(), CUTOFFS_EXECUTABLE, c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.arguments << ": nothing is scanned";
    }
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));

    // In the current directory too, the file is named as it was looked for.
    ScratchDirectory empty("cutoffs_no_ini");
    const ProgramRun missing = run_in(empty.path(), CUTOFFS_EXECUTABLE);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Can not open file Cones.ini: No such file or directory\n");
    write_file(empty.path() / "Cones.ini", read_file(dir.path() / "bad.ini"));
    EXPECT_EQ(run_in(empty.path(), CUTOFFS_EXECUTABLE).err.rfind("Cones.ini, line 2:", 0), 0u);
}

TEST(CutoffsProgram, RigidityListIsIgnoredAndHelpAndVersionAreShown) {
    ScratchDirectory dir("cutoffs_ignored");
    const std::vector<std::string> stations = {"65.05 25.47 0 0 Oulu"};
    write_file(dir.path() / "with.ini", configuration("15 03 2015", "12 00 00", 0, stations, {"5.0", "15.0"}));
    write_file(dir.path() / "without.ini", configuration("15 03 2015", "12 00 00", 0, stations));
    const ProgramRun with = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--from 0.5 --to 2 --step 0.05 with.ini");
    const ProgramRun without = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--from 0.5 --to 2 --step 0.05 without.ini");
    EXPECT_EQ(with.status, 0) << with.err;
    EXPECT_EQ(with.out, without.out);

    const ProgramRun help = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: cutoffs [options] [CONFIG]\n", 0), 0u);
    for (const char* option : {"--from", "--to", "--step", "--scan", "--threads", "--lanes", "--csv", "--svg"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const ProgramRun version = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--version");
    EXPECT_EQ(version.out, std::string("cutoffs ") + program_version() + "\n");
}

TEST(CutoffsRun, AStationWhoseTrajectoriesCannotBeIntegratedIsReportedAndTheOthersComplete) {
    // A start that is not a number cannot come from a valid Cones.ini; it is
    // put into the read configuration to make every trajectory of the second
    // station fail.
    const RunConfiguration valid = parse_configuration(configuration(
        "15 03 2015", "12 00 00", 0, {"-35.0 140.0 0 0 First", "0 0 0 0 Broken", "-40.0 20.0 0 0 Third"}));
    RunConfiguration broken = valid;
    broken.stations[1].latitude = std::numeric_limits<double>::quiet_NaN();
    const ScanGrid grid = make_scan_grid(3.0, 7.0, 0.25);
    // The full scan fails the station at the start of the grid; the adaptive
    // one at the lowest rigidity of its fine scan, which (every trajectory
    // failing, none allowed) ends one margin below the top.
    const std::size_t lowest_adaptive = grid.count() - adaptive_margin_below(grid, grid.count());
    struct Case {
        ScanMode mode;
        std::string failed;  // GV
    };
    const Case cases[] = {{ScanMode::kFull, "3.00"},
                          {ScanMode::kAdaptive, fixed_number(grid.rigidity(lowest_adaptive), 2)}};
    for (const Case& c : cases) {
        const CutoffsRequest request{"", grid, c.mode, 2, 0, false, ""};
        std::ostringstream out, errors;
        EXPECT_EQ(report_cutoffs(broken, request, out, errors), kExitIntegrationFailed);
        EXPECT_EQ(errors.str(),
                  "cutoffs: the trajectory of station Broken at rigidity " + c.failed +
                      " GV cannot be integrated: the step size fell to its minimum without meeting the tolerances. "
                      "Its row says so; the other stations are scanned in full.\n");
        std::ostringstream reference_out, reference_errors;
        ASSERT_EQ(report_cutoffs(valid, request, reference_out, reference_errors), kExitSuccess);
        const std::vector<std::string> lines = split(out.str(), '\n');
        const std::vector<std::string> reference = split(reference_out.str(), '\n');
        ASSERT_EQ(lines.size(), reference.size());
        EXPECT_EQ(lines[3], reference[3]);
        EXPECT_EQ(lines[5], reference[5]);
        EXPECT_NE(lines[4].find("Broken"), std::string::npos);
        EXPECT_NE(lines[4].find("integration failed at " + c.failed + " GV"), std::string::npos) << lines[4];
        EXPECT_NE(lines[3].find("4.25"), std::string::npos) << "the first station is complete: " << lines[3];
    }
}

}  // namespace
}  // namespace cones
