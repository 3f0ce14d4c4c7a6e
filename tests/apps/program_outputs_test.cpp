// The outputs of the three programs when the system does not go along:
// tracing threads it refuses to start, standard output that cannot be
// written (a full device, a closed pipe, a file-size limit), files beyond a
// file-size limit, an output that is the configuration itself, runs that
// write the same file at once, and a device written with no temporary
// directory or with the run interrupted.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using namespace testing_support;

// Three stations in the dipole field (fast trajectories) at two rigidities.
const char* const kConfiguration =
    "outputs test\n15 03 2015\n12 00 00\n2.0\n0\n0\n0\n0\n0\n0\n2\n0\n20.0\n0\n-180. 180.\nlat lon zen azi name\n"
    "-60 0 0 0 South\n0 30 0 0 Equator\n47 8 0 0 Alps\n#\n5\n15\n";

// cutoff-map as the shell starts it (its environment set by env, so that a
// command such as prlimit can start it too), to be followed by arguments.
const std::string kMap = "/usr/bin/env " + kMapEnvironment + "'" CUTOFF_MAP_EXECUTABLE "' ";

// Under a file-size limit, MPI keeps the data of its processes in their
// memory instead of in shared files, which the limit would not let it write.
// (MPI itself may then say that it passes the limit's signal on.)
const std::string kLimitedMpi = "PMIX_MCA_gds=hash ";

// A program as the shell starts it, with the file it writes besides its
// standard output.
struct Program {
    const char* name;
    std::string command;  // executable and arguments
    const char* output;
};

const std::vector<Program>& programs() {
    static const std::vector<Program> list = {
        {"cones", "'" CONES_EXECUTABLE "'", "Cones.dat"},
        {"cutoffs", "'" CUTOFFS_EXECUTABLE "' --from 5 --to 15 --step 1 --svg chart.svg", "chart.svg"},
        {"cutoff-map", kMap + "--lat-step 45 --lon-step 90 --from 5 --to 15 --step 1 --csv -o map.csv", "map.csv"},
    };
    return list;
}

// Runs a shell command line in `directory`.
ProgramRun run_command(const fs::path& directory, const std::string& command) {
    return run_in(directory, "/bin/sh", "-c \"" + command + "\"");
}

// Runs a shell command line in `directory` with its standard output a pipe
// whose reading end is already closed, and the signal of a write to it
// (SIGPIPE) ignored, as a pipeline whose reader has gone does to a program
// that does not die of it. Returns the exit status and standard error.
ProgramRun run_into_closed_pipe(const fs::path& directory, const std::string& command) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const std::string errors = (directory / ".stderr.txt").string();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(ends[1], STDOUT_FILENO);
        const int error_file = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(error_file, STDERR_FILENO);
        ::signal(SIGPIPE, SIG_IGN);
        if (::chdir(directory.c_str()) == 0) ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(ends[1]);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    ProgramRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", read_file(errors)};
    fs::remove(errors);
    return run;
}

// Tracing threads the system refuses (here a limit of processes for a user of
// the run's own) leave the run on the threads started, or on the program's
// own thread when none started, with the same results and one notice; they
// used to end every program in std::terminate. Every run traces in IGRF, with
// more work than the threads started first finish while the others are
// started (a thread that is done frees its place under the limit);
// cutoff-map is given room for the threads of MPI itself and asked for more
// tracing threads than fit, and scans every rigidity of its grid in one pass
// (the adaptive scan's short rounds can end before the limit is reached).
TEST(ProgramOutputs, TracingThreadsTheSystemRefusesLeaveTheRunOnFewerThreads) {
    if (::geteuid() != 0) GTEST_SKIP() << "runs the programs as a user of their own, which needs root";
    std::string configuration = kConfiguration;
    configuration.replace(configuration.find("\n2\n0\n20.0"), 9, "\n2\n10\n20.0");
    for (int rigidity = 20; rigidity <= 120; rigidity += 10) configuration += std::to_string(rigidity) + "\n";
    const std::vector<Program> limited = {
        programs()[0], programs()[1],
        {"cutoff-map", kMap + "--lat-step 15 --lon-step 30 --from 5 --to 15 --step 1 --scan full --csv -o map.csv", "map.csv"}};
    for (const Program& program : limited) {
        SCOPED_TRACE(program.name);
        ScratchDirectory dir(std::string("threads_") + program.name);
        fs::permissions(dir.path(), fs::perms::all);
        write_file(dir.path() / "Cones.ini", configuration);
        const ProgramRun reference = run_command(dir.path(), program.command + " --threads 1");
        ASSERT_EQ(reference.status, 0) << reference.err;
        const std::string expected = read_file(dir.path() / program.output);
        fs::remove(dir.path() / program.output);

        const bool map = std::string(program.name) == "cutoff-map";
        const std::string asked = map ? "64" : "8";
        for (const int processes : map ? std::vector<int>{20} : std::vector<int>{1, 3}) {
            // Leak checking at the end needs a process of its own.
            const ProgramRun run = run_command(
                dir.path(), "ASAN_OPTIONS=detect_leaks=0 setpriv --reuid=54321 --regid=54321 --clear-groups prlimit --nproc=" +
                                std::to_string(processes) + " " + program.command + " --threads " + asked);
            EXPECT_EQ(run.status, 0) << processes << ": " << run.err;
            EXPECT_EQ(run.out, reference.out) << processes;
            EXPECT_EQ(read_file(dir.path() / program.output), expected) << processes;
            const std::string notice_start = std::string(program.name) + ": only ";
            EXPECT_EQ(run.err.rfind(notice_start, 0), 0u) << run.err;
            EXPECT_NE(run.err.find(" of the " + asked + " tracing threads asked for could be started ("),
                      std::string::npos)
                << run.err;
            EXPECT_TRUE(run.err.ends_with(", with the same results\n")) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            fs::remove(dir.path() / program.output);
        }
    }
}

// Standard output that cannot be written ends the run with exit status 2 and
// the system's reason; a lost table or progress line used to be a success.
TEST(ProgramOutputs, StandardOutputThatCannotBeWrittenIsAFailure) {
    ScratchDirectory dir("stdout");
    write_file(dir.path() / "Cones.ini", kConfiguration);
    for (const Program& program : programs()) {
        SCOPED_TRACE(program.name);
        const std::string command = std::string(program.name) == "cutoff-map"
                                        ? kMap + "--lat-step 45 --lon-step 90 --from 5 --to 15 --step 1 --csv"
                                        : program.command;
        const struct {
            const char* what;
            std::string command;
            const char* message;
        } cases[] = {
            {"a full device", command + (std::string(program.name) == "cutoff-map" ? " -o /dev/stdout" : "") +
                                  " > /dev/full",
             std::string(program.name) == "cutoff-map" ? "Can not write file /dev/stdout: No space left on device\n"
                                                       : "Can not write standard output: No space left on device\n"},
            {"a full device for --version", command + " --version > /dev/full",
             "Can not write standard output: No space left on device\n"},
            // Room for Cones.dat (153 bytes), not for the progress lines (198).
            {"a file-size limit", kLimitedMpi + "prlimit --fsize=160 " + command + (std::string(program.name) == "cutoff-map" ? " -o /dev/stdout" : "") +
                                      " > out.txt",
             std::string(program.name) == "cutoff-map" ? "Can not write file /dev/stdout: File too large\n"
                                                       : "Can not write standard output: File too large\n"},
        };
        for (const auto& c : cases) {
            const ProgramRun run = run_command(dir.path(), c.command);
            EXPECT_EQ(run.status, 2) << c.what << ": " << run.err;
            EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        }
        const ProgramRun piped = run_into_closed_pipe(
            dir.path(), command + (std::string(program.name) == "cutoff-map" ? " -o /dev/stdout" : ""));
        EXPECT_EQ(piped.status, 2) << piped.err;
        EXPECT_NE(piped.err.find("Broken pipe"), std::string::npos) << piped.err;
    }
    // The chart is written only when the table is: a run that failed leaves none.
    EXPECT_FALSE(fs::exists(dir.path() / "chart.svg"));
}

// Beyond a file-size limit, a write fails (the limit's signal, SIGXFSZ, is
// ignored by the programs) and the run ends with exit status 2 and no
// partial file; the signal used to kill them, leaving a half line in
// Cones.dat and the temporary files of the others.
TEST(ProgramOutputs, AFileSizeLimitIsAFullDisk) {
    const struct {
        const char* what;
        std::string command;
        const char* output;
    } cases[] = {
        {"cutoffs --svg", "'" CUTOFFS_EXECUTABLE "' --from 5 --to 15 --step 1 --svg chart.svg > table.txt", "chart.svg"},
        {"cutoff-map", kMap + "--lat-step 45 --lon-step 90 --from 5 --to 15 --step 1 -o map.nc > table.txt", "map.nc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDirectory dir("file_size");
        write_file(dir.path() / "Cones.ini", kConfiguration);
        const ProgramRun whole = run_command(dir.path(), c.command);
        ASSERT_EQ(whole.status, 0) << whole.err;
        ASSERT_GT(fs::file_size(dir.path() / c.output), 2048u);
        fs::remove(dir.path() / c.output);
        const ProgramRun limited = run_command(dir.path(), kLimitedMpi + "prlimit --fsize=2048 " + c.command);
        EXPECT_EQ(limited.status, 2) << limited.err;
        EXPECT_NE(limited.err.find("Can not write file " + std::string(c.output) + ": File too large\n"),
                  std::string::npos)
            << limited.err;
        EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"Cones.ini", "table.txt"})) << "no partial file left";
    }
}

// An output that is the configuration, by its name or through a link, is
// refused before anything is traced, and the configuration stays whole; it
// used to be overwritten with exit status 0.
TEST(ProgramOutputs, AnOutputThatIsTheConfigurationIsRefused) {
    ScratchDirectory dir("output_is_input");
    write_file(dir.path() / "Cones.ini", kConfiguration);
    fs::create_symlink("Cones.ini", dir.path() / "link.nc");
    const struct {
        std::string command;
        const char* message;
    } cases[] = {
        {"'" CUTOFFS_EXECUTABLE "' --svg Cones.ini Cones.ini",
         "Can not write file Cones.ini: it is the configuration file Cones.ini, which the run reads\n"},
        {kMap + "-o Cones.ini Cones.ini",
         "Can not write file Cones.ini: it is the configuration file Cones.ini, which the run reads\n"},
        {kMap + "--csv -o link.nc",
         "Can not write file link.nc: it is the configuration file Cones.ini, which the run reads\n"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = run_command(dir.path(), c.command);
        EXPECT_EQ(run.status, 2) << c.command << ": " << run.err;
        EXPECT_EQ(run.err, c.message) << c.command;
        EXPECT_EQ(run.out, "") << c.command << ": nothing is traced";
        EXPECT_EQ(read_file(dir.path() / "Cones.ini"), kConfiguration) << c.command;
    }
    // cones reads Cones.ini and writes Cones.dat: a Cones.dat that links to
    // Cones.ini is refused too.
    fs::create_symlink("Cones.ini", dir.path() / "Cones.dat");
    const ProgramRun cones = run_in(dir.path(), CONES_EXECUTABLE);
    EXPECT_EQ(cones.status, 2) << cones.err;
    EXPECT_EQ(cones.err, "Can not create file Cones.dat: it is the configuration file Cones.ini, which the run reads\n");
    EXPECT_EQ(read_file(dir.path() / "Cones.ini"), kConfiguration);
}

// Runs that write the same file at once each write a temporary file of their
// own: both succeed, and the file is the whole map of one of them, never a
// mix. Each pair of runs finishes its scans together, so that they write at
// the same time.
TEST(ProgramOutputs, RunsWritingTheSameFileAtOnceEachLeaveAWholeFile) {
    ScratchDirectory dir("same_output");
    // Two dipole maps, of two dates and so of two tilts.
    write_file(dir.path() / "march.ini", kConfiguration);
    std::string june = kConfiguration;
    june.replace(june.find("15 03 2015"), 10, "21 06 2015");
    write_file(dir.path() / "june.ini", june);
    const std::string map = kMap + "--lat-step 30 --lon-step 60 --from 5 --to 15 --step 0.5 --csv ";
    std::vector<std::string> expected;
    for (const char* input : {"march.ini", "june.ini"}) {
        const ProgramRun run = run_command(dir.path(), map + "-o " + input + ".csv " + input);
        ASSERT_EQ(run.status, 0) << run.err;
        expected.push_back(read_file(dir.path() / (std::string(input) + ".csv")));
    }
    ASSERT_NE(expected[0], expected[1]);
    for (int pair = 0; pair < 2; ++pair) {
        const ProgramRun run = run_command(
            dir.path(), "(" + map + "-o map.csv march.ini > a.txt 2>&1; echo \\$? > a.status) & (" + map +
                            "-o map.csv june.ini > b.txt 2>&1; echo \\$? > b.status) & wait");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read_file(dir.path() / "a.status"), "0\n") << read_file(dir.path() / "a.txt");
        EXPECT_EQ(read_file(dir.path() / "b.status"), "0\n") << read_file(dir.path() / "b.txt");
        const std::string written = read_file(dir.path() / "map.csv");
        EXPECT_TRUE(written == expected[0] || written == expected[1]) << "pair " << pair << ": a mixed map";
        for (const std::string& name : names_in(dir.path())) {
            EXPECT_FALSE(name.ends_with(".partial")) << name;
        }
    }
}

// A map written into a device or pipe needs no scratch file: it is built in
// memory. So the temporary directory need not be writable (it had to be),
// and nothing is left there by a run that is interrupted or whose pipe
// closes (a scratch file was). MPI keeps its own session files in /tmp.
TEST(ProgramOutputs, AMapWrittenIntoADeviceLeavesNoScratchFile) {
    ScratchDirectory dir("map_device");
    write_file(dir.path() / "Cones.ini", kConfiguration);
    const std::string map = kMap + "--lat-step 45 --lon-step 90 --from 5 --to 15 --step 1 ";
    const ProgramRun file = run_command(dir.path(), map + "-o map.nc");
    ASSERT_EQ(file.status, 0) << file.err;
    const fs::path temporary = dir.path() / "temporary";
    fs::create_directories(temporary);
    const std::string in_temporary = "TMPDIR='" + temporary.string() + "' OMPI_MCA_orte_tmpdir_base=/tmp ";
    const ProgramRun piped = run_command(dir.path(), in_temporary + map + "-o /dev/stdout | cat");
    EXPECT_EQ(piped.err, "");
    EXPECT_TRUE(piped.out == read_file(dir.path() / "map.nc")) << "the netCDF file written into the pipe";
    if (::geteuid() == 0) {
        // Run as a user of its own, for whom the temporary directory is closed.
        fs::permissions(temporary, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
        const ProgramRun device = run_command(
            dir.path(), in_temporary + "setpriv --reuid=54321 --regid=54321 --clear-groups " + map + "-o /dev/null");
        EXPECT_EQ(device.status, 0) << device.err;
        EXPECT_EQ(device.err, "");
        fs::permissions(temporary, fs::perms::owner_all);
    } else {
        std::cout << "[  SKIPPED ] a temporary directory closed to the run: that needs root\n";
    }

    // A long map, interrupted after a second.
    const ProgramRun interrupted =
        run_command(dir.path(), in_temporary + "timeout -s INT 1 " + kMap + "--step 0.01 -o /dev/null");
    EXPECT_NE(interrupted.status, 0) << "the map is not done in a second";
    const ProgramRun closed = run_into_closed_pipe(dir.path(), in_temporary + map + "-o /dev/stdout");
    EXPECT_EQ(closed.status, 2) << closed.err;
    EXPECT_EQ(closed.err, "Can not write file /dev/stdout: Broken pipe\n");
    EXPECT_TRUE(names_in(temporary).empty()) << names_in(temporary).front();
}

// A file name as long as the folder allows is written: its temporary name is
// cut short (a 250-character name used to be refused for its ".partial").
TEST(ProgramOutputs, AFileNameAsLongAsTheFolderAllowsIsWritten) {
    ScratchDirectory dir("long_name");
    write_file(dir.path() / "Cones.ini", kConfiguration);
    const std::string name(250, 'c');
    const ProgramRun run = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--from 5 --to 15 --step 1 --svg " + name);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_file(dir.path() / name).rfind("<?xml", 0), 0u);
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"Cones.ini", name}));
}

}  // namespace
}  // namespace cones
