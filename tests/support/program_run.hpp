// Running the project's programs end to end in the tests: scratch directories,
// whole-file reads and writes, and a program run with its exit status and
// output streams.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace cones::testing_support {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void write_file(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// The names in a folder, sorted.
inline std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The parts of `text` between separators (an empty part where two meet).
inline std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
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
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

struct ProgramRun {
    int status;       // exit status, or -1 when the program did not exit normally
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs `executable` with `arguments` (already quoted for the shell) in
// `directory`, capturing both output streams.
inline ProgramRun run_in(const fs::path& directory, const std::string& executable,
                         const std::string& arguments = "") {
    const std::string command = "cd '" + directory.string() + "' && '" + executable + "' " + arguments +
                                " > .stdout.txt 2> .stderr.txt";
    const int raw = std::system(command.c_str());
    ProgramRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(directory / ".stdout.txt"),
                   read_file(directory / ".stderr.txt")};
    fs::remove(directory / ".stdout.txt");
    fs::remove(directory / ".stderr.txt");
    return run;
}

// cutoff-map runs initialise MPI (a job of one process without a launcher),
// whose own allocations live to the end of the process: leak checking is off
// for them. Open MPI may run as root only when asked to; the shared-memory
// transport without its single-copy mechanism works in containers.
inline const std::string kMapEnvironment =
    "ASAN_OPTIONS=detect_leaks=0 OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 "
    "OMPI_MCA_btl=self,vader OMPI_MCA_btl_vader_single_copy_mechanism=none OMPI_MCA_rmaps_base_oversubscribe=1 ";

// Runs cutoff-map with `arguments` in `directory`, in the environment above.
inline ProgramRun run_map(const fs::path& directory, const std::string& arguments) {
    return run_in(directory, "/usr/bin/env", kMapEnvironment + "'" CUTOFF_MAP_EXECUTABLE "' " + arguments);
}

}  // namespace cones::testing_support
