// The programs' --geodetic and --particle: what they refuse, that an alpha
// particle gives the proton's results and an electron the antiproton's, that
// the geodetic stations start elsewhere, and where the outputs say so.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/trajectory_run.hpp"
#include "io/cutoff_map_contents.hpp"
#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using namespace testing_support;

// Three vertical stations and one inclined, in IGRF on 1 January 2010, at
// rigidities across their cutoffs (so that the sign of the charge matters).
constexpr const char* kConfiguration =
    "Stations\n01 01 2010\n00 00 00\n2.0\n0\n0\n0\n0\n0\n0\n1\n10\n20.0\n0\n-180. 180.\n"
    "lat lon zen azi name\nc\n46.55 7.98 0 0 Jungfraujoch\n-19.20 17.58 0 0 Tsumeb\n"
    "65.05 25.47 0 0 Oulu\n37.97 23.78 40 90 AthensEast\n#\n1.0\n4.0\n5.5\n8.5\n9.0\n";

class TracingOptions : public ::testing::Test {
protected:
    TracingOptions() : dir_("tracing_options") { write_file(dir_.path() / "Cones.ini", kConfiguration); }
    // Cones.dat of a run of cones with `arguments`.
    std::string cones_dat(const std::string& arguments) {
        const ProgramRun run = run_in(dir_.path(), CONES_EXECUTABLE, "--threads 2 " + arguments);
        EXPECT_EQ(run.status, 0) << arguments << ": " << run.err;
        return read_file(dir_.path() / "Cones.dat");
    }
    ScratchDirectory dir_;
};

TEST_F(TracingOptions, EveryProgramRefusesWhatIsNoParticle) {
    for (const std::string& program : {std::string(CONES_EXECUTABLE), std::string(CUTOFFS_EXECUTABLE)}) {
        for (const char* value : {"neutron", "Proton", "0,1", "2,0", "2,", ",4", "2,4,", "2, 4", "119,300", ""}) {
            const ProgramRun run = run_in(dir_.path(), program, std::string("--particle '") + value + "'");
            EXPECT_EQ(run.status, 1) << program << " --particle " << value;
            EXPECT_NE(run.err.find("option --particle expects proton, antiproton, electron, positron, alpha, "
                                   "helium-3, or a charge number and mass number Z,A (2,4), found '" +
                                   std::string(value) + "'"),
                      std::string::npos)
                << program << ": " << run.err;
            EXPECT_FALSE(fs::exists(dir_.path() / "Cones.dat")) << program;
        }
        const ProgramRun run = run_in(dir_.path(), program, "--geodetic=yes");
        EXPECT_EQ(run.status, 1) << program;
        EXPECT_NE(run.err.find("option --geodetic takes no value"), std::string::npos) << run.err;
    }
    const char* trajectory[] = {"trajectory", "--particle", "muon"};
    EXPECT_THROW(trajectory_request(3, trajectory), UsageError);
    const char* accepted[] = {"trajectory", "--particle=-2,3", "--geodetic"};
    const TrajectoryRequest request = trajectory_request(3, accepted);
    EXPECT_EQ(request.choices.particle, (Particle{-2, 3}));
    EXPECT_TRUE(request.choices.geodetic);
}

// Every particle is traced as the proton of its charge sign at the same
// rigidity: an alpha and any positive nucleus give the proton's cones byte
// for byte, an electron the antiproton's, which differ from the proton's.
TEST_F(TracingOptions, CarriersOfOneChargeSignShareTheirCones) {
    const std::string proton = cones_dat("");
    EXPECT_EQ(cones_dat("--particle proton"), proton);
    EXPECT_EQ(cones_dat("--particle alpha"), proton);
    EXPECT_EQ(cones_dat("--particle 2,4"), proton);
    EXPECT_EQ(cones_dat("--particle 26,56"), proton);
    const std::string antiproton = cones_dat("--particle antiproton");
    EXPECT_NE(antiproton, proton);
    EXPECT_EQ(cones_dat("--particle electron"), antiproton);
    EXPECT_EQ(cones_dat("--particle=-1,1"), antiproton);
    EXPECT_EQ(cones_dat("--particle positron"), proton);
    // Geodetic stations start elsewhere, for either sign; with --lanes 1 the
    // same as on the widest lanes.
    const std::string geodetic = cones_dat("--geodetic");
    EXPECT_NE(geodetic, proton);
    EXPECT_EQ(cones_dat("--geodetic --lanes 1"), geodetic);
    EXPECT_EQ(cones_dat("--geodetic --particle electron --lanes 1"), cones_dat("--geodetic --particle antiproton"));
}

// The cutoff table's title names the choices, and an alpha's rows are the
// proton's.
TEST_F(TracingOptions, TheCutoffTableSaysWhatWasChosen) {
    const std::string scan = "--from 3 --to 12 --step 0.05 ";
    const ProgramRun proton = run_in(dir_.path(), CUTOFFS_EXECUTABLE, scan);
    const ProgramRun alpha = run_in(dir_.path(), CUTOFFS_EXECUTABLE, scan + "--particle alpha");
    const ProgramRun geodetic = run_in(dir_.path(), CUTOFFS_EXECUTABLE, scan + "--geodetic --particle helium-3");
    for (const ProgramRun* run : {&proton, &alpha, &geodetic}) ASSERT_EQ(run->status, 0) << run->err;
    const auto title = [](const std::string& text) { return text.substr(0, text.find('\n')); };
    const auto rows = [](const std::string& text) { return text.substr(text.find('\n')); };
    EXPECT_EQ(title(proton.out).find("particle"), std::string::npos) << proton.out;
    EXPECT_EQ(title(proton.out).find("geodetic"), std::string::npos) << proton.out;
    EXPECT_NE(title(alpha.out).find("start altitude 20 km; particle alpha; scan"), std::string::npos) << alpha.out;
    EXPECT_NE(title(geodetic.out).find("start altitude 20 km; geodetic latitudes and altitude (WGS-84); particle "
                                       "helium-3; scan"),
              std::string::npos)
        << geodetic.out;
    EXPECT_EQ(rows(alpha.out), rows(proton.out));
    EXPECT_NE(rows(geodetic.out), rows(proton.out));
}

// The trajectory's header names the choices; an electron's path is the
// antiproton's, row for row.
TEST_F(TracingOptions, TheTrajectoryHeaderSaysWhatWasChosen) {
    const auto path = [&](const std::vector<const char*>& options) {
        std::vector<const char*> argv = {"trajectory", "--station", "4", "--rigidity", "8.5"};
        argv.insert(argv.end(), options.begin(), options.end());
        const std::string config = (dir_.path() / "Cones.ini").string();
        argv.push_back(config.c_str());
        std::ostringstream out, errors;
        EXPECT_EQ(run_trajectory(trajectory_request(static_cast<int>(argv.size()), argv.data()), out, errors), 0)
            << errors.str();
        return out.str();
    };
    const std::string electron = path({"--particle", "electron", "--geodetic"});
    const std::string antiproton = path({"--geodetic", "--particle", "antiproton"});
    const std::string proton = path({});
    const auto first_line = [](const std::string& text) { return text.substr(0, text.find('\n')); };
    const auto after_first_line = [](const std::string& text) { return text.substr(text.find('\n')); };
    EXPECT_NE(first_line(electron).find("start altitude 20 km; geodetic latitudes and altitude (WGS-84); particle "
                                        "electron"),
              std::string::npos)
        << electron;
    EXPECT_EQ(first_line(proton).find("particle"), std::string::npos) << proton;
    EXPECT_EQ(after_first_line(electron), after_first_line(antiproton));
    EXPECT_NE(after_first_line(electron), after_first_line(proton));
}

// The map's title and attributes name the choices, and only when chosen.
TEST(TracingOptionsOfTheMap, TitleAndAttributes) {
    RunConfiguration config = parse_configuration(kConfiguration);
    const MapGrid map = make_map_grid(90.0, 180.0);
    const ScanGrid grid = make_scan_grid(1.0, 2.0, 0.5);
    const std::vector<EntryCutoffs> points(map.point_count());
    const auto attributes = [&](const RunConfiguration& c) {
        std::vector<std::string> names;
        for (const MapAttribute& a : cutoff_map_contents(c, map, grid, cutoff_map_title(c), "test", points).attributes)
            names.push_back(a.name + "=" + a.text);
        return names;
    };
    const std::vector<std::string> plain = attributes(config);
    for (const std::string& a : plain) {
        EXPECT_EQ(a.find("particle"), std::string::npos) << a;
        EXPECT_EQ(a.find("geodetic"), std::string::npos) << a;
    }
    config.choices.geodetic = true;
    config.choices.particle = Particle{-1, 0};
    const std::vector<std::string> chosen = attributes(config);
    const auto has = [&](const std::string& attribute) {
        for (const std::string& a : chosen)
            if (a == attribute) return true;
        return false;
    };
    EXPECT_TRUE(has("latitudes=geodetic (WGS-84); altitude_km above the ellipsoid along its normal"));
    EXPECT_TRUE(has("particle=electron"));
    EXPECT_TRUE(has("particle_charge_number="));
    EXPECT_NE(cutoff_map_title(config).find("20 km; geodetic latitudes and altitude (WGS-84); particle electron"),
              std::string::npos)
        << cutoff_map_title(config);
}

}  // namespace
}  // namespace cones
