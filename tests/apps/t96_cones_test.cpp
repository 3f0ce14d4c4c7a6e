// Asymptotic cones of the example stations through the program with field
// model 96 (IGRF plus T96), for a quiet and a disturbed magnetosphere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using testing_support::ProgramRun;
using testing_support::ScratchDirectory;
namespace fs = std::filesystem;

constexpr std::size_t kEntries = 12;     // station entries of the example
constexpr std::size_t kRigidities = 20;  // 1 to 20 GV

// "Cones.dat" as read back: per rigidity line, whether each entry is allowed.
struct Cones {
    std::vector<double> rigidity;
    std::vector<std::vector<bool>> allowed;  // [line][entry]
};

// Runs the example stations with field model 96 and the driving parameters
// P (nPa), Dst, By, Bz (nT) on lines 4 to 7, and reads "Cones.dat".
Cones run_example(const std::string& name, const char* pressure, const char* dst, const char* by,
                  const char* bz) {
    ScratchDirectory dir(name);
    std::string text = testing_support::read_file(fs::path(CONES_SOURCE_DIR) / "examples" / "Cones.ini");
    const std::vector<std::pair<int, const char*>> replacements = {
        {4, pressure}, {5, dst}, {6, by}, {7, bz}, {12, "96"}};
    for (const auto& [line, value] : replacements) {
        std::size_t start = 0;
        for (int n = 1; n < line; ++n) start = text.find('\n', start) + 1;
        text.replace(start, text.find('\n', start) - start, value);
    }
    testing_support::write_file(dir.path() / "Cones.ini", text);
    const ProgramRun run = testing_support::run_in(dir.path(), CONES_EXECUTABLE);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    Cones cones;
    const std::string content = testing_support::read_file(dir.path() / "Cones.dat");
    std::size_t start = content.find("\r\n");  // after the header
    EXPECT_NE(start, std::string::npos);
    if (start == std::string::npos) return cones;
    start += 2;
    while (start < content.size()) {
        const std::size_t end = content.find("\r\n", start);
        if (end == std::string::npos) break;
        const std::string line = content.substr(start, end - start);
        EXPECT_EQ(line.size(), 6 + 14 * kEntries + 1) << line;
        cones.rigidity.push_back(std::stod(line.substr(0, 6)));
        std::vector<bool> allowed;
        for (std::size_t k = 0; k < kEntries && 6 + 14 * (k + 1) <= line.size(); ++k) {
            allowed.push_back(line.substr(6 + 14 * k, 14) != "  ,    ,     ,");
        }
        cones.allowed.push_back(allowed);
        start = end + 2;
    }
    EXPECT_EQ(cones.rigidity.size(), kRigidities);
    return cones;
}

// Highest forbidden rigidity of an entry (0 when none is forbidden).
double upper_cutoff(const Cones& cones, std::size_t entry) {
    double cutoff = 0.0;
    for (std::size_t line = 0; line < cones.rigidity.size(); ++line) {
        if (!cones.allowed[line][entry]) cutoff = cones.rigidity[line];
    }
    return cutoff;
}

TEST(T96Cones, DisturbedMagnetosphereLetsLowerRigiditiesInAtMiddleLatitudes) {
    const Cones quiet = run_example("t96_quiet", "2.0", "0.0", "0.0", "0.0");
    const Cones disturbed = run_example("t96_disturbed", "10.0", "-150.0", "0.0", "-10.0");
    ASSERT_EQ(quiet.allowed.size(), kRigidities);
    ASSERT_EQ(disturbed.allowed.size(), kRigidities);

    // Cones exist: every entry is allowed at 20 GV, and Thule and Oulu (entries
    // 0 and 1, cutoffs below 1 GV) at every rigidity.
    for (const Cones* cones : {&quiet, &disturbed}) {
        for (std::size_t k = 0; k < kEntries; ++k) EXPECT_TRUE(cones->allowed.back()[k]) << "entry " << k;
        for (std::size_t line = 0; line < kRigidities; ++line) {
            EXPECT_TRUE(cones->allowed[line][0] && cones->allowed[line][1]) << cones->rigidity[line] << " GV";
        }
    }

    // Middle latitudes: Jungfraujoch in five directions (entries 3 to 7) and
    // Rome (entry 8), cutoffs of 3 to 7 GV. The storm-time ring current and the
    // stronger tail lower them: more pairs are allowed, and the highest
    // forbidden rigidity falls on average (single entries may rise in the
    // penumbra).
    int allowed_quiet = 0, allowed_disturbed = 0;
    double cutoff_quiet = 0.0, cutoff_disturbed = 0.0;
    for (std::size_t k = 3; k <= 8; ++k) {
        for (std::size_t line = 0; line < kRigidities; ++line) {
            allowed_quiet += quiet.allowed[line][k];
            allowed_disturbed += disturbed.allowed[line][k];
        }
        cutoff_quiet += upper_cutoff(quiet, k) / 6.0;
        cutoff_disturbed += upper_cutoff(disturbed, k) / 6.0;
        EXPECT_GT(upper_cutoff(quiet, k), 1.0) << "entry " << k;
    }
    EXPECT_GE(allowed_disturbed, allowed_quiet + 3);
    EXPECT_LT(cutoff_disturbed, cutoff_quiet - 0.4);
    // Low latitudes stay shielded at low rigidity in both.
    EXPECT_FALSE(quiet.allowed[4][11] || disturbed.allowed[4][11]);  // Doi Inthanon at 4 GV
}

}  // namespace
}  // namespace cones
