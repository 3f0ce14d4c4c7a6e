// Running the project's programs end to end in the tests: scratch directories,
// whole-file reads and writes, and a program run with its exit status and
// output streams.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace cones::testing_support
