// The reference corpus: every folder of tests/corpus holds a Cones.ini and the
// Cones.dat and standard output that the program gave for it before any
// optimisation (with the options in its file "arguments", where there is
// one). Every build must reproduce them byte for byte, at every lane width and
// thread count.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/program_run.hpp"
#include "tracing/lane_kernels.hpp"

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

// One way of running the program: a lane width (0: no --lanes, the widest)
// and the thread arguments.
struct Setting {
    unsigned lanes;
    const char* threads;
};

std::string arguments(const Setting& setting) {
    std::string text;
    if (setting.lanes != 0) text = "--lanes " + std::to_string(setting.lanes);
    if (*setting.threads != '\0') {
        if (!text.empty()) text += ' ';
        text += setting.threads;
    }
    return text;
}

void PrintTo(const Setting& setting, std::ostream* out) { *out << "'" << arguments(setting) << "'"; }

class Corpus : public ::testing::TestWithParam<Setting> {};

TEST_P(Corpus, EveryReferenceRunIsReproducedByteForByte) {
    const Setting setting = GetParam();
    if (setting.lanes != 0 && !lane_width_available(setting.lanes)) {
        GTEST_SKIP() << "this processor has no " << setting.lanes << "-lane instruction set ("
                     << lane_instruction_set(setting.lanes) << ")";
    }
    const std::vector<fs::path> cases = corpus_cases();
    ASSERT_FALSE(cases.empty());
    for (const fs::path& reference : cases) {
        const std::string name = reference.filename().string();
        ScratchDirectory dir("corpus_" + name);
        fs::copy_file(reference / "Cones.ini", dir.path() / "Cones.ini");
        std::string options = fs::exists(reference / "arguments") ? read_file(reference / "arguments") : "";
        while (!options.empty() && (options.back() == '\n' || options.back() == ' ')) options.pop_back();
        const std::string setting_arguments = arguments(setting);
        if (!options.empty() && !setting_arguments.empty()) options += ' ';
        const ProgramRun run = run_in(dir.path(), CONES_EXECUTABLE, options + setting_arguments);
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_TRUE(run.out == read_file(reference / "stdout.txt")) << name << ": standard output differs";
        EXPECT_TRUE(read_file(dir.path() / "Cones.dat") == read_file(reference / "Cones.dat"))
            << name << ": Cones.dat differs";
    }
}

// Every lane width (the scalar path, SSE2, AVX2, AVX-512 and the default, the
// widest) with no thread argument (all hardware threads), one thread, and
// more threads than the machine has cores: the output must depend on
// neither. Under the sanitizers, where the corpus runs many times slower,
// each width and each thread argument runs at least once.
constexpr const char* kThreadArguments[] = {"", "--threads 1", "--threads 3", "--threads=8"};
constexpr unsigned kLaneWidths[] = {0, 1, 2, 4, 8};

std::vector<Setting> settings() {
    std::vector<Setting> list;
#ifdef CONES_SANITIZED_BUILD
    for (std::size_t i = 0; i < std::size(kLaneWidths); ++i) {
        list.push_back({kLaneWidths[i], kThreadArguments[i % std::size(kThreadArguments)]});
    }
#else
    for (const unsigned lanes : kLaneWidths)
        for (const char* threads : kThreadArguments) list.push_back({lanes, threads});
#endif
    return list;
}

std::string setting_name(const ::testing::TestParamInfo<Setting>& info) {
    std::string threads;
    for (const char* c = info.param.threads; *c != '\0'; ++c)
        if (*c >= '0' && *c <= '9') threads += *c;
    return (info.param.lanes == 0 ? std::string("WidestLanes") : "Lanes" + std::to_string(info.param.lanes)) +
           (threads.empty() ? "_AllThreads" : "_Threads" + threads);
}

INSTANTIATE_TEST_SUITE_P(LanesAndThreads, Corpus, ::testing::ValuesIn(settings()), setting_name);

}  // namespace
}  // namespace cones
