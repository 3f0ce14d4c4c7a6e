// The reference corpus: every folder of tests/corpus holds a Cones.ini and the
// Cones.dat and standard output that the program gave for it before any
// optimisation. Every build must reproduce them byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using namespace testing_support;

std::vector<fs::path> corpus_cases() {
    std::vector<fs::path> cases;
    for (const auto& entry : fs::directory_iterator(fs::path(CONES_SOURCE_DIR) / "tests" / "corpus")) {
        if (entry.is_directory()) cases.push_back(entry.path());
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, EveryReferenceRunIsReproducedByteForByte) {
    const std::vector<fs::path> cases = corpus_cases();
    ASSERT_FALSE(cases.empty());
    for (const fs::path& reference : cases) {
        const std::string name = reference.filename().string();
        ScratchDirectory dir("corpus_" + name);
        fs::copy_file(reference / "Cones.ini", dir.path() / "Cones.ini");
        const ProgramRun run = run_in(dir.path(), CONES_EXECUTABLE, GetParam());
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_TRUE(run.out == read_file(reference / "stdout.txt")) << name << ": standard output differs";
        EXPECT_TRUE(read_file(dir.path() / "Cones.dat") == read_file(reference / "Cones.dat"))
            << name << ": Cones.dat differs";
    }
}

// No argument (all hardware threads), one thread, and more threads than the
// machine has cores: the output must not depend on the number.
INSTANTIATE_TEST_SUITE_P(Threads, Corpus,
                         ::testing::Values(std::string(), std::string("--threads 1"), std::string("--threads 3"),
                                           std::string("--threads=8")));

}  // namespace
}  // namespace cones
