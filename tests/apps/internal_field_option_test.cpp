// The generation of the reference field chosen with --igrf: what each program
// accepts, where the notice of a date after a generation's span goes, and the
// names the outputs give the generation.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using namespace testing_support;

// One vertical station on 1 March 2026, code 10, 20 km, GEO, two rigidities.
constexpr const char* kConfiguration =
    "Recent date\n01 03 2026\n06 00 00\n2.0\n-10\n0\n-2\n3\n5\n10\n2\n10\n20.0\n0\n-180. 180.\n"
    "lat lon zen azi name\nc\n46.55 7.98 0 0 Jungfraujoch\n#\n4.0\n12.0\n";

class InternalFieldOption : public ::testing::Test {
protected:
    InternalFieldOption() : dir_("internal_field_option") { write_file(dir_.path() / "Cones.ini", kConfiguration); }
    ScratchDirectory dir_;
};

TEST_F(InternalFieldOption, EveryProgramRefusesAGenerationItDoesNotHold) {
    // (cutoff-map's command line is checked with the map's other options.)
    const std::string programs[] = {CONES_EXECUTABLE, CUTOFFS_EXECUTABLE};
    for (const std::string& program : programs) {
        for (const char* value : {"11", "15", "14.0", "igrf14", ""}) {
            const ProgramRun run = run_in(dir_.path(), program, std::string("--igrf '") + value + "'");
            EXPECT_EQ(run.status, 1) << program << " --igrf " << value;
            EXPECT_NE(run.err.find("--igrf"), std::string::npos) << program << ": " << run.err;
            EXPECT_FALSE(fs::exists(dir_.path() / "Cones.dat")) << program;
        }
    }
}

// A date after the generation's span is noted on standard error; among the
// progress lines of cones only when the generation was chosen, so that a run
// without options writes exactly the lines it always has.
TEST_F(InternalFieldOption, TheNoticeOfADateAfterTheSpanGoesWhereItIsSeen) {
    struct Case {
        const char* arguments;
        const char* generation;  // named in the notice, or nullptr for no notice
        const char* advice;
        bool in_progress;
    };
    const Case cases[] = {
        {"", "IGRF-12 (2020)", "IGRF-14 (--igrf 14) runs to 2030", false},
        {"--igrf 12", "IGRF-12 (2020)", "IGRF-14 (--igrf 14) runs to 2030", true},
        {"--igrf 13", "IGRF-13 (2025)", "IGRF-14 (--igrf 14) runs to 2030", true},
        {"--igrf 14", nullptr, nullptr, false},
    };
    std::string dat_12, dat_14;
    for (const Case& c : cases) {
        const ProgramRun run = run_in(dir_.path(), CONES_EXECUTABLE, c.arguments);
        ASSERT_EQ(run.status, 0) << c.arguments << ": " << run.err;
        const std::string& dat = read_file(dir_.path() / "Cones.dat");
        if (c.generation == nullptr) {
            EXPECT_EQ(run.err, "") << c.arguments;
            EXPECT_EQ(run.out.find("***"), std::string::npos) << c.arguments;
            dat_14 = dat;
            continue;
        }
        EXPECT_NE(run.err.find(std::string("after the end of ") + c.generation), std::string::npos)
            << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find(c.advice), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_EQ(run.out.find(c.generation) != std::string::npos, c.in_progress) << c.arguments << ": " << run.out;
        if (*c.arguments == '\0') dat_12 = dat;
        if (std::string(c.arguments) == "--igrf 12") {
            EXPECT_EQ(dat, dat_12) << "IGRF-12 is the default";
        }
    }
    EXPECT_NE(dat_12, dat_14) << "the generations give different cones";

    // The cutoff scan notes it on standard error and names the generation
    // in its title.
    for (const char* generation : {"12", "14"}) {
        const ProgramRun run =
            run_in(dir_.path(), CUTOFFS_EXECUTABLE, std::string("--from 4 --to 5 --step 0.5 --igrf ") + generation);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(std::string("field model 10 (IGRF-") + generation + ")"), std::string::npos)
            << run.out;
        EXPECT_EQ(run.err.find("after the end of IGRF-12") != std::string::npos, std::string(generation) == "12")
            << run.err;
    }
}

}  // namespace
}  // namespace cones
