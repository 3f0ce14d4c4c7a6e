// The programs' command line: option parsing, --help and --version, and the
// errors of a command line that cannot be used.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/cones_run.hpp"
#include "tracing/lane_kernels.hpp"
#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using namespace testing_support;

CommandLine parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "program");
    return CommandLine(static_cast<int>(arguments.size()), arguments.data(),
                       {{"threads", true}, {"csv", false}, {"output", true, 'o'}});
}

TEST(CommandLine, OptionsValuesAndPositionalArguments) {
    const CommandLine line = parse({"--threads", "3", "in.ini", "--csv", "-o", "map.nc", "--", "--odd"});
    EXPECT_EQ(line.value("threads"), "3");
    EXPECT_TRUE(line.has("csv"));
    EXPECT_EQ(line.value("csv"), "");
    EXPECT_EQ(line.value("output"), "map.nc");
    EXPECT_EQ(line.positional(), (std::vector<std::string>{"in.ini", "--odd"}));
    EXPECT_FALSE(parse({}).has("threads"));
    EXPECT_EQ(parse({"--threads=12"}).value("threads"), "12");
    EXPECT_EQ(parse({"-"}).positional(), std::vector<std::string>{"-"});
}

TEST(CommandLine, UnusableCommandLines) {
    const struct {
        std::vector<const char*> arguments;
        const char* message;
    } cases[] = {
        {{"--thread", "2"}, "unknown option '--thread'"},
        {{"-x"}, "unknown option '-x'"},
        {{"--threads"}, "option --threads needs a value"},
        {{"--csv=yes"}, "option --csv takes no value"},
        {{"--csv", "--csv"}, "option --csv is given twice"},
        {{"-o", "a", "--output", "b"}, "option --output is given twice"},
    };
    for (const auto& c : cases) {
        try {
            parse(c.arguments);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const UsageError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(CommandLine, NumbersAndThreadCounts) {
    EXPECT_EQ(number_option("step", "0.01"), 0.01);
    EXPECT_EQ(number_option("from", "+2"), 2.0);
    EXPECT_EQ(number_option("from", "-1e1"), -10.0);
    for (const char* bad : {"", "1,5", "2x", "nan", "inf", " 1"}) {
        EXPECT_THROW(number_option("step", bad), UsageError) << bad;
    }
    EXPECT_EQ(threads_option("1"), 1u);
    EXPECT_EQ(threads_option("64"), 64u);
    for (const char* bad : {"0", "-1", "1.5", "", "4097", "two"}) {
        EXPECT_THROW(threads_option(bad), UsageError) << bad;
    }
    // A lane width the processor lacks is as unusable as one that no
    // processor has.
    for (const unsigned width : {1u, 2u, 4u, 8u}) {
        if (lane_width_available(width)) {
            EXPECT_EQ(lanes_option(std::to_string(width)), width);
        } else {
            EXPECT_THROW(lanes_option(std::to_string(width)), UsageError) << width;
        }
    }
    for (const char* bad : {"0", "3", "16", "-2", "", "2.0", "four"}) {
        EXPECT_THROW(lanes_option(bad), UsageError) << bad;
    }
}

TEST(ConesProgram, HelpVersionAndUnusableArguments) {
    ScratchDirectory dir("command_line");
    write_file(dir.path() / "Cones.ini", read_file(fs::path(CONES_SOURCE_DIR) / "examples" / "Cones.ini"));

    ProgramRun run = run_in(dir.path(), CONES_EXECUTABLE, "--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: cones [--threads N]", 0), 0u) << run.out;
    run = run_in(dir.path(), CONES_EXECUTABLE, "--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("cones ") + program_version() + "\n");
    EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat"));

    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--threads 0", "cones: option --threads expects a whole number from 1 to 4096, found '0'"},
        {"--threads", "cones: option --threads needs a value"},
        {"--lanes 3", "cones: option --lanes expects a lane width of this processor (1, 2"},
        {"--lanes=16", "cones: option --lanes expects a lane width of this processor (1, 2"},
        {"--fast", "cones: unknown option '--fast'"},
        {"Cones.ini", "cones: unexpected argument 'Cones.ini'"},
    };
    for (const auto& c : cases) {
        run = run_in(dir.path(), CONES_EXECUTABLE, c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find("Try 'cones --help'"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << c.arguments;
        EXPECT_FALSE(fs::exists(dir.path() / "Cones.dat")) << c.arguments;
    }
}

// A trajectory that cannot be integrated in the middle of the run (here a
// rigidity that is not a number) ends it with exactly the rigidities before it
// in the table and the same progress lines, whatever the number of threads and
// lanes (with lanes, the failing trajectory shares its batches with others).
TEST(ConesProgram, AFailureMidwayKeepsTheCompletedRigiditiesOnEveryThreadCountAndLaneWidth) {
    RunConfiguration config;
    config.day = 15, config.month = 3, config.year = 2005, config.hour = 12;
    config.field_model_code = 10;
    config.altitude_km = 20.0;
    config.longitude_min = -180.0, config.longitude_max = 180.0;
    StationRecord jungfraujoch, oulu;
    jungfraujoch.name = "Jungfraujoch        ";
    jungfraujoch.latitude = 46.55, jungfraujoch.longitude = 7.98;
    oulu.name = "Oulu                ";
    oulu.latitude = 65.05, oulu.longitude = 25.47;
    config.stations = {jungfraujoch, oulu};
    config.rigidities = {5.0, 15.0, std::numeric_limits<double>::quiet_NaN(), 1.5, 20.0};

    ScratchDirectory dir("midway_failure");
    const std::string output = (dir.path() / "Cones.dat").string();
    std::string first_table, first_progress;
    for (const unsigned lanes : lane_widths()) {
    for (const unsigned threads : {1u, 2u, 4u}) {
        SCOPED_TRACE(testing::Message() << threads << " threads, " << lanes << " lanes");
        std::ostringstream progress, errors;
        EngineOptions options;
        options.threads = threads;
        options.lanes = lanes;
        EXPECT_EQ(run_configuration(config, output.c_str(), progress, errors, options), kExitIntegrationFailed);
        EXPECT_NE(errors.str().find("station Jungfraujoch at rigidity nan GV"), std::string::npos) << errors.str();
        const std::string table = read_file(output);
        // The header and the lines of 5 and 15 GV, each ending in CR LF.
        EXPECT_EQ(table.rfind("Rig_GV  JunLa  JunLo  OulLa  OulLo \r\n  5.00", 0), 0u) << table;
        EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 3) << table;
        EXPECT_EQ(table.substr(table.size() - 2), "\r\n");
        EXPECT_TRUE(progress.str().ends_with(" Rigidity    NaN GV ======\n   Jungfraujoch        \n")) << progress.str();
        if (first_table.empty()) {
            first_table = table;
            first_progress = progress.str();
        } else {
            EXPECT_EQ(table, first_table);
            EXPECT_EQ(progress.str(), first_progress);
        }
    }
    }
}

}  // namespace
}  // namespace cones
