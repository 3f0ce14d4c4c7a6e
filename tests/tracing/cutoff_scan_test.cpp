// Cutoff scans: the scan grid, the reduction of a sequence of allowed and
// forbidden trajectories to RL, RU, Rc and the bands of the penumbra, and the
// scan of station entries on the engine (order, thread counts, a trajectory
// that cannot be integrated).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tracing/cutoff_scan.hpp"
#include "tracing/lane_kernels.hpp"

namespace cones {
namespace {

TEST(ScanGrid, RigiditiesAreStartPlusIndexTimesStepWithTheEndIncluded) {
    struct Case {
        double from, to, step;
        std::size_t count;
    };
    const Case cases[] = {
        {0.10, 20.00, 0.01, 1991},  // (20 - 0.1) / 0.01 is 1989.9999999999998 in doubles
        {1.0, 2.0, 0.25, 5},
        {1.0, 2.1, 0.25, 5},        // the end off the grid: the last rigidity below it
        {0.5, 0.6, 0.3, 1},         // a step beyond the end: the start alone
        {13.5, 15.0, 0.01, 151},
    };
    for (const Case& c : cases) {
        const ScanGrid grid = make_scan_grid(c.from, c.to, c.step);
        EXPECT_EQ(grid.count(), c.count) << c.from << " " << c.to << " " << c.step;
        for (std::size_t i = 0; i < grid.count(); ++i) {
            ASSERT_EQ(grid.rigidity(i), c.from + static_cast<double>(i) * c.step);
        }
    }
    // Repeated addition of 0.01 drifts from the grid: the last rigidity of the
    // default scan is 0.1 + 1990 * 0.01, not the 1990-fold sum.
    const ScanGrid grid = make_scan_grid(0.10, 20.00, 0.01);
    double sum = 0.10;
    for (int i = 0; i < 1990; ++i) sum += 0.01;
    EXPECT_NE(sum, grid.rigidity(1990));
    EXPECT_NEAR(grid.rigidity(1990), 20.0, 1e-12);
}

TEST(ScanGrid, ImpossibleGridsAreRejected) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][3] = {
        {0.0, 20.0, 0.01},  {-1.0, 20.0, 0.01}, {1.0, 20.0, 0.0}, {1.0, 20.0, -0.01},
        {5.0, 5.0, 0.01},   {6.0, 5.0, 0.01},   {nan, 20.0, 0.01}, {1.0, INFINITY, 0.01},
        {0.1, 20.0, 1e-9},  // twenty thousand million rigidities
    };
    for (const auto& c : cases) {
        EXPECT_THROW(make_scan_grid(c[0], c[1], c[2]), std::invalid_argument) << c[0] << " " << c[1] << " " << c[2];
    }
}

// Outcomes written as text: A allowed, F forbidden, X not integrable.
std::vector<TraceOutcome> outcomes(const std::string& text) {
    std::vector<TraceOutcome> list;
    for (const char c : text) {
        list.push_back(c == 'A' ? TraceOutcome::kAllowed
                       : c == 'F' ? TraceOutcome::kForbidden
                                  : TraceOutcome::kIntegrationFailed);
    }
    return list;
}

struct ReductionCase {
    const char* what;
    const char* scan;  // grid rigidities 1, 2, 3, ... GV
    Cutoff lower, upper, effective;
    int bands;
};

constexpr CutoffPlace kAt = CutoffPlace::kAt;
constexpr CutoffPlace kBelow = CutoffPlace::kBelow;
constexpr CutoffPlace kAbove = CutoffPlace::kAbove;
constexpr CutoffPlace kUnresolved = CutoffPlace::kUnresolved;

TEST(CutoffReduction, LowerUpperEffectiveCutoffsAndBands) {
    // Grid 1, 2, 3, ... GV in steps of 1 GV. The expected values follow from
    // the definitions: RL the first allowed, RU one past the last forbidden,
    // Rc = RU - (allowed below RU) x 1 GV, bands the allowed runs below RU.
    const ReductionCase cases[] = {
        {"sharp cutoff", "FFFAAA", {kAt, 4}, {kAt, 4}, {kAt, 4}, 0},
        {"one band", "FFAFFAA", {kAt, 3}, {kAt, 6}, {kAt, 5}, 1},
        {"several bands", "FFAFAAFFAAA", {kAt, 3}, {kAt, 9}, {kAt, 6}, 2},
        {"three single-step bands", "FAFAFAFAA", {kAt, 2}, {kAt, 8}, {kAt, 5}, 3},
        {"all allowed", "AAAA", {kBelow, 1}, {kBelow, 1}, {kBelow, 1}, 0},
        {"none allowed", "FFFF", {kAbove, 4}, {kAbove, 4}, {kAbove, 4}, 0},
        {"allowed from the first", "AFFAA", {kBelow, 1}, {kAt, 4}, {kBelow, 3}, 1},
        {"forbidden at the last", "FFAAF", {kAt, 3}, {kAbove, 5}, {kAbove, 3}, 1},
        {"both ends open", "AFAF", {kBelow, 1}, {kAbove, 4}, {kUnresolved, 0}, 2},
        {"one rigidity, allowed", "A", {kBelow, 1}, {kBelow, 1}, {kBelow, 1}, 0},
    };
    for (const ReductionCase& c : cases) {
        const std::vector<TraceOutcome> scan = outcomes(c.scan);
        const ScanGrid grid = make_scan_grid(1.0, static_cast<double>(scan.size()) + 0.5, 1.0);
        ASSERT_EQ(grid.count(), scan.size()) << c.what;
        const EntryCutoffs result = reduce_cutoffs(scan, grid);
        EXPECT_FALSE(result.failed) << c.what;
        EXPECT_EQ(result.lower.place, c.lower.place) << c.what;
        EXPECT_EQ(result.lower.rigidity, c.lower.rigidity) << c.what;
        EXPECT_EQ(result.upper.place, c.upper.place) << c.what;
        EXPECT_EQ(result.upper.rigidity, c.upper.rigidity) << c.what;
        EXPECT_EQ(result.effective.place, c.effective.place) << c.what;
        EXPECT_EQ(result.effective.rigidity, c.effective.rigidity) << c.what;
        EXPECT_EQ(result.bands, c.bands) << c.what;
    }
}

TEST(CutoffReduction, CutoffsAreGridRigiditiesOfAFineScan) {
    // 0.10 to 20.00 GV in 0.01 GV steps: forbidden below index 1000 (10.10 GV)
    // except the band 1000..1004, allowed 1005..1009, forbidden 1010..1019,
    // allowed from 1020 on. RL index 1005, RU 1020, Rc = 1020 - 5 = 1015.
    const ScanGrid grid = make_scan_grid(0.10, 20.00, 0.01);
    std::string scan(grid.count(), 'F');
    for (std::size_t i = 1005; i < 1010; ++i) scan[i] = 'A';
    for (std::size_t i = 1020; i < grid.count(); ++i) scan[i] = 'A';
    const EntryCutoffs result = reduce_cutoffs(outcomes(scan), grid);
    EXPECT_EQ(result.lower.rigidity, 0.10 + 1005 * 0.01);
    EXPECT_EQ(result.upper.rigidity, 0.10 + 1020 * 0.01);
    EXPECT_EQ(result.effective.rigidity, 0.10 + 1015 * 0.01);
    EXPECT_EQ(result.bands, 1);
}

TEST(CutoffReduction, AllowedRunsAreKeptWhenAskedFor) {
    const ScanGrid grid = make_scan_grid(1.0, 11.0, 1.0);
    const EntryCutoffs kept = reduce_cutoffs(outcomes("FFAFAAFFAAA"), grid, true);
    ASSERT_EQ(kept.allowed_runs.size(), 3u);
    const std::size_t expected[3][2] = {{2, 2}, {4, 5}, {8, 10}};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(kept.allowed_runs[k].first, expected[k][0]);
        EXPECT_EQ(kept.allowed_runs[k].last, expected[k][1]);
    }
    EXPECT_TRUE(reduce_cutoffs(outcomes("FFAFAAFFAAA"), grid).allowed_runs.empty());
}

TEST(CutoffReduction, ATrajectoryThatCannotBeIntegratedFailsTheEntryAtItsRigidity) {
    const ScanGrid grid = make_scan_grid(2.0, 4.5, 0.5);  // 2.0, 2.5, ..., 4.5
    for (const char* scan : {"FFAXAA", "FFAXAX", "XFFFAA", "FFAAAX"}) {
        const EntryCutoffs result = reduce_cutoffs(outcomes(scan), grid);
        EXPECT_TRUE(result.failed) << scan;
        EXPECT_EQ(result.failed_rigidity, 2.0 + 0.5 * static_cast<double>(std::string(scan).find('X'))) << scan;
        EXPECT_EQ(result.effective.place, CutoffPlace::kUnresolved) << scan;
    }
}

bool same_cutoffs(const EntryCutoffs& a, const EntryCutoffs& b) {
    const auto same = [](const Cutoff& x, const Cutoff& y) { return x.place == y.place && x.rigidity == y.rigidity; };
    if (a.allowed_runs.size() != b.allowed_runs.size()) return false;
    for (std::size_t k = 0; k < a.allowed_runs.size(); ++k) {
        if (a.allowed_runs[k].first != b.allowed_runs[k].first || a.allowed_runs[k].last != b.allowed_runs[k].last)
            return false;
    }
    return a.failed == b.failed && a.failed_rigidity == b.failed_rigidity && same(a.lower, b.lower) &&
           same(a.upper, b.upper) && same(a.effective, b.effective) && a.bands == b.bands;
}

// The adaptive scan over outcome patterns instead of the engine: entry k (its
// latitude is k) has the outcome patterns[k][i] ('A', 'F' or 'X') at grid
// rigidity i. Counts the trajectories it is asked for, and checks that none
// is asked for twice.
struct PatternScan {
    const ScanGrid& grid;
    std::vector<std::string> patterns;
    std::size_t traced = 0;
    std::vector<std::vector<int>> asked{};  // per entry and grid index

    std::vector<EntryCutoffs> run(CutoffScanOptions options = {}) {
        std::vector<StationEntry> entries;
        for (std::size_t k = 0; k < patterns.size(); ++k) {
            entries.push_back({static_cast<double>(k), 0.0, 0.0, 0.0});
            asked.emplace_back(grid.count(), 0);
        }
        const RoundTracer tracer = [this](std::span<const TraceJob> jobs, const OutcomeRecord& record) {
            for (std::size_t j = 0; j < jobs.size(); ++j) {
                const auto entry = static_cast<std::size_t>(jobs[j].station.latitude);
                const auto i = static_cast<std::size_t>(std::llround((jobs[j].rigidity - grid.from()) / grid.step()));
                EXPECT_EQ(jobs[j].rigidity, grid.rigidity(i)) << "a grid rigidity";
                EXPECT_EQ(++asked[entry][i], 1) << "entry " << entry << " traced twice at " << i;
                ++traced;
                record(j, outcomes(std::string(1, patterns[entry][i])).front());
            }
        };
        options.keep_runs = true;
        std::vector<EntryCutoffs> results;
        const std::size_t returned = scan_cutoffs_adaptively(
            entries, grid, options, tracer, [&](std::size_t entry, const EntryCutoffs& cutoffs) {
                EXPECT_EQ(entry, results.size()) << "entries in order";
                results.push_back(cutoffs);
            });
        EXPECT_EQ(returned, traced);
        return results;
    }
};

// A pattern of the default grid (0.10 to 20.00 GV in 0.01 GV steps) with
// the given runs set to `c` over a background of `fill`.
struct Run {
    std::size_t first, last;  // grid indices, both included
    char c;
};
std::string pattern(std::size_t count, char fill, std::initializer_list<Run> runs) {
    std::string text(count, fill);
    for (const Run& run : runs) {
        for (std::size_t i = run.first; i <= run.last; ++i) text[i] = run.c;
    }
    return text;
}

// Grid indices traced for entry k of a pattern scan.
std::size_t traced_of(const PatternScan& scan, std::size_t k) {
    std::size_t sum = 0;
    for (const int asked : scan.asked[k]) sum += static_cast<std::size_t>(asked);
    return sum;
}

TEST(AdaptiveScan, FindsWhatTheFullScanFindsWithinItsMargins) {
    // The default grid, 0.10 to 20.00 GV in 0.01 GV steps (indices 0 to
    // 1990). The coarse samples are 1990, 1940, ..., 1040, 990, ...
    const ScanGrid grid = make_scan_grid(0.10, 20.00, 0.01);
    const std::size_t n = grid.count();
    ASSERT_EQ(adaptive_coarse_stride(grid), 50u);
    const std::size_t above = adaptive_margin_above(grid, 999);  // 2.0 GV above 10.09 GV
    const std::size_t below = adaptive_margin_below(grid, 1000);  // 3.2 GV below 10.10 GV
    ASSERT_EQ(above, 200u);
    ASSERT_EQ(below, 320u);
    ASSERT_EQ(adaptive_margin_above(grid, 90), 80u);  // 0.8 GV above 1.00 GV
    ASSERT_EQ(adaptive_margin_below(grid, 81), 45u);  // 0.1 GV + 0.38 x 0.91 GV
    PatternScan scan{grid, {
        // 0: a sharp cutoff at 10.10 GV.
        pattern(n, 'A', {{0, 999, 'F'}}),
        // 1: a penumbra up to 11.10 GV, and a band below a gap one step
        //    narrower than the margin below.
        pattern(n, 'A', {{0, 1110, 'F'}, {1000, 1005, 'A'}, {1020, 1040, 'A'}, {1060, 1109, 'A'},
                         {1000 - below, 1000 - below, 'A'}}),
        // 2: a forbidden rigidity (not a coarse sample) above an allowed band
        //    one step narrower than the margin above.
        pattern(n, 'A', {{0, 999, 'F'}, {1000 + above - 1, 1000 + above - 1, 'F'}}),
        // 3: everything allowed.
        pattern(n, 'A', {}),
        // 4: nothing allowed.
        pattern(n, 'F', {}),
        // 5: allowed from the start, with forbidden gaps (the lower one
        //    narrower than the margin below 0.91 GV).
        pattern(n, 'A', {{50, 80, 'F'}, {200, 260, 'F'}}),
        // 6: allowed at the top only.
        pattern(n, 'F', {{1990, 1990, 'A'}}),
    }};
    CutoffScanOptions options;
    options.round_jobs = 1;  // no block longer than the rules need
    const std::vector<EntryCutoffs> results = scan.run(options);
    ASSERT_EQ(results.size(), scan.patterns.size());
    for (std::size_t k = 0; k < results.size(); ++k) {
        const EntryCutoffs full = reduce_cutoffs(outcomes(scan.patterns[k]), grid, true);
        EXPECT_TRUE(same_cutoffs(results[k], full)) << "pattern " << k;
    }
    EXPECT_EQ(results[1].bands, 4);
    EXPECT_EQ(results[1].lower.rigidity, grid.rigidity(1000 - below));
    EXPECT_EQ(results[2].upper.rigidity, grid.rigidity(1000 + above));
    EXPECT_EQ(results[3].lower.place, CutoffPlace::kBelow);
    EXPECT_EQ(results[4].lower.place, CutoffPlace::kAbove);
    EXPECT_EQ(results[5].lower.place, CutoffPlace::kBelow);
    EXPECT_EQ(results[6].lower.place, CutoffPlace::kAt);
    // A sharp cutoff and nothing allowed need a fraction of the grid (where
    // exactly the fine scan ends: FailuresProgressAndOrderOverManyEntries).
    EXPECT_LT(traced_of(scan, 0), n / 3);
    EXPECT_LT(traced_of(scan, 4), n / 4);
}

TEST(AdaptiveScan, MissesWhatLiesBeyondItsMargins) {
    // The rules' limits: an allowed band below a forbidden gap as wide as the
    // margin below, and a forbidden rigidity above an allowed band as wide as
    // the margin above, are not seen, and the cutoffs then differ from the
    // full scan's.
    const ScanGrid grid = make_scan_grid(0.10, 20.00, 0.01);
    const std::size_t n = grid.count();
    const std::size_t below = adaptive_margin_below(grid, 1000);
    const std::size_t above = adaptive_margin_above(grid, 1009);
    PatternScan scan{grid, {
        pattern(n, 'A', {{0, 999, 'F'}, {1000 - below - 5, 1000 - below - 1, 'A'}}),
        pattern(n, 'A', {{0, 1009, 'F'}, {1010 + above, 1010 + above, 'F'}}),  // 1210: not a coarse sample
    }};
    const std::vector<EntryCutoffs> results = scan.run();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].lower.rigidity, grid.rigidity(1000));
    EXPECT_EQ(reduce_cutoffs(outcomes(scan.patterns[0]), grid).lower.rigidity, grid.rigidity(1000 - below - 5));
    EXPECT_EQ(results[1].upper.rigidity, grid.rigidity(1010));
    EXPECT_EQ(reduce_cutoffs(outcomes(scan.patterns[1]), grid).upper.rigidity, grid.rigidity(1011 + above));
}

TEST(AdaptiveScan, FailuresProgressAndOrderOverManyEntries) {
    // 700 entries with sharp cutoffs at various
    // rigidities; every fifth also fails at two rigidities of its fine scan
    // and at the start of the grid, below where its scan stops.
    const ScanGrid grid = make_scan_grid(1.0, 15.0, 0.05);
    const std::size_t n = grid.count();
    const auto cutoff_of = [](std::size_t k) { return 40 + (k * 37) % 200; };
    PatternScan scan{grid, {}};
    for (std::size_t k = 0; k < 700; ++k) {
        const std::size_t cutoff = cutoff_of(k);
        scan.patterns.push_back(k % 5 == 0 ? pattern(n, 'A', {{0, cutoff - 1, 'F'}, {cutoff - 3, cutoff - 3, 'X'},
                                                              {cutoff + 2, cutoff + 2, 'X'}, {0, 0, 'X'}})
                                           : pattern(n, 'A', {{0, cutoff - 1, 'F'}}));
    }
    std::vector<std::pair<std::size_t, double>> failures;
    std::vector<std::size_t> progress;
    CutoffScanOptions options;
    options.round_jobs = 1;  // no block longer than the rules need
    options.on_failure = [&](std::size_t entry, double rigidity) { failures.emplace_back(entry, rigidity); };
    options.on_progress = [&](std::size_t settled) { progress.push_back(settled); };
    const std::vector<EntryCutoffs> results = scan.run(options);
    ASSERT_EQ(results.size(), 700u);
    std::vector<std::pair<std::size_t, double>> expected_failures;
    for (std::size_t k = 0; k < 700; ++k) {
        const std::size_t cutoff = cutoff_of(k);
        if (k % 5 != 0) {
            EXPECT_TRUE(same_cutoffs(results[k], reduce_cutoffs(outcomes(scan.patterns[k]), grid, true))) << k;
            continue;
        }
        EXPECT_TRUE(results[k].failed) << k;
        EXPECT_EQ(results[k].failed_rigidity, grid.rigidity(cutoff - 3)) << k;
        expected_failures.emplace_back(k, grid.rigidity(cutoff - 3));
        expected_failures.emplace_back(k, grid.rigidity(cutoff + 2));
    }
    EXPECT_EQ(failures, expected_failures);
    // With blocks no longer than the rules need, a sharp cutoff at index c is
    // scanned finely from one margin below c to one margin above c - 1 and
    // nowhere else; elsewhere only coarse samples are traced.
    const std::size_t top = n - 1;
    const std::size_t stride = adaptive_coarse_stride(grid);
    ASSERT_EQ(stride, 10u);
    for (std::size_t k = 1; k < 700; k += 5) {
        const std::size_t cutoff = cutoff_of(k);
        const std::size_t stop = cutoff - adaptive_margin_below(grid, cutoff);
        const std::size_t fine_top = std::min(top, cutoff - 1 + adaptive_margin_above(grid, cutoff - 1));
        for (std::size_t i = 0; i < n; ++i) {
            const bool fine = i >= stop && i <= fine_top;
            if (fine) {
                ASSERT_EQ(scan.asked[k][i], 1) << "entry " << k << ", index " << i;
            } else if ((top - i) % stride != 0) {
                ASSERT_EQ(scan.asked[k][i], 0) << "entry " << k << ", index " << i;
            }
        }
    }
    ASSERT_FALSE(progress.empty());
    for (std::size_t k = 1; k < progress.size(); ++k) EXPECT_LE(progress[k - 1], progress[k]);
    EXPECT_EQ(progress.back(), 700 * n);
    EXPECT_LT(scan.traced, 700 * n / 2);
}

// The scan on the engine, in the dipole field of 15 March 2015.
class CutoffScanOnEngine : public ::testing::Test {
protected:
    void SetUp() override {
        std::ostringstream notice;
        epoch_ = set_epoch(2015, 74, 12, 0, 0, notice);
        settings_.field = make_field_context(epoch_, field_model<DipoleModel>, ModelParameters{});
        settings_.start_radius = start_radius(20.0);
    }
    // Each entry traced and reduced one trajectory after the other, without the scan.
    EntryCutoffs direct(const StationEntry& entry, const ScanGrid& grid) const {
        std::vector<TraceOutcome> scan;
        for (std::size_t i = 0; i < grid.count(); ++i) {
            scan.push_back(trace_trajectory(settings_, entry, proton_motion(grid.rigidity(i))).outcome);
        }
        return reduce_cutoffs(scan, grid, true);
    }
    EpochState epoch_;
    TraceSettings settings_;
};

TEST_F(CutoffScanOnEngine, EntriesInOrderAndIdenticalForEveryThreadCount) {
    // Stations with penumbrae in the scanned range, an inclined entry among them.
    const std::vector<StationEntry> entries = {
        {-35.0, 140.0, 0, 0}, {30.0, -60.0, 45, 180}, {-40.0, 20.0, 0, 0}, {20.0, 30.0, 0, 0}};
    const ScanGrid grid = make_scan_grid(3.0, 16.0, 0.25);
    std::vector<EntryCutoffs> expected;
    int penumbra_bands = 0;
    for (const StationEntry& entry : entries) {
        expected.push_back(direct(entry, grid));
        penumbra_bands += expected.back().bands;
        ASSERT_EQ(expected.back().lower.place, CutoffPlace::kAt);
        ASSERT_EQ(expected.back().upper.place, CutoffPlace::kAt);
    }
    ASSERT_GT(penumbra_bands, 0);  // the scan crosses real penumbrae

    for (const unsigned threads : {1u, 2u, 3u}) {
        std::vector<std::size_t> order;
        std::vector<EntryCutoffs> results;
        std::size_t last_traced = 0;
        bool traced_in_order = true;
        CutoffScanOptions options;
        options.threads = threads;
        options.keep_runs = true;
        options.on_progress = [&](std::size_t traced) {
            traced_in_order = traced_in_order && traced == last_traced + 1;
            last_traced = traced;
        };
        scan_cutoffs(settings_, entries, grid, options, [&](std::size_t entry, const EntryCutoffs& cutoffs) {
            order.push_back(entry);
            results.push_back(cutoffs);
            EXPECT_EQ(last_traced, (entry + 1) * grid.count()) << "an entry is handed over when its scan completes";
        });
        EXPECT_TRUE(traced_in_order) << threads;
        EXPECT_EQ(last_traced, entries.size() * grid.count()) << threads;
        ASSERT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3})) << threads;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            EXPECT_TRUE(same_cutoffs(results[k], expected[k])) << "threads " << threads << ", entry " << k;
        }
    }
}

TEST_F(CutoffScanOnEngine, AdaptiveScanGivesTheFullScansCutoffsOnEveryThreadCountAndLaneWidth) {
    const std::vector<StationEntry> entries = {
        {-35.0, 140.0, 0, 0}, {30.0, -60.0, 45, 180}, {-40.0, 20.0, 0, 0}, {20.0, 30.0, 0, 0}, {75.0, 0.0, 0, 0}};
    const ScanGrid grid = make_scan_grid(3.0, 16.0, 0.05);
    std::vector<EntryCutoffs> expected;
    for (const StationEntry& entry : entries) expected.push_back(direct(entry, grid));
    ASSERT_EQ(expected.back().lower.place, CutoffPlace::kBelow);  // all allowed at 75 degrees

    std::vector<std::size_t> traced;
    const std::vector<unsigned> widths = lane_widths();
    for (const auto& [threads, lanes] : {std::pair{1u, 1u}, {2u, 0u}, {3u, widths.back()}}) {
        CutoffScanOptions options;
        options.mode = ScanMode::kAdaptive;
        options.threads = threads;
        options.lanes = lanes;
        options.keep_runs = true;
        std::vector<EntryCutoffs> results;
        traced.push_back(scan_cutoffs(settings_, entries, grid, options,
                                      [&](std::size_t, const EntryCutoffs& cutoffs) { results.push_back(cutoffs); }));
        ASSERT_EQ(results.size(), entries.size());
        for (std::size_t k = 0; k < entries.size(); ++k) {
            EXPECT_TRUE(same_cutoffs(results[k], expected[k])) << "threads " << threads << ", lanes " << lanes
                                                               << ", entry " << k;
        }
    }
    EXPECT_EQ(traced[1], traced[0]);
    EXPECT_EQ(traced[2], traced[0]);
    EXPECT_LT(traced[0], entries.size() * grid.count());
}

TEST(CutoffScanInIgrf, TsumebsPenumbraIsTheSameFullAndAdaptive) {
    // Tsumeb, vertical, on 1 January 2010 in IGRF at 20 km: a penumbra of
    // many bands over some 2 GV, scanned over the default grid.
    std::ostringstream notice;
    const EpochState epoch = set_epoch(2010, 1, 0, 0, 0, notice);
    TraceSettings settings;
    settings.field = make_field_context(epoch, field_model<ReferenceFieldModel>, ModelParameters{});
    settings.start_radius = start_radius(20.0);
    const std::vector<StationEntry> tsumeb = {{-19.20, 17.58, 0, 0}};
    const ScanGrid grid = make_scan_grid(0.10, 20.00, 0.01);
    EntryCutoffs full, adaptive;
    CutoffScanOptions options;
    options.keep_runs = true;
    options.mode = ScanMode::kFull;
    EXPECT_EQ(scan_cutoffs(settings, tsumeb, grid, options, [&](std::size_t, const EntryCutoffs& c) { full = c; }),
              grid.count());
    options.mode = ScanMode::kAdaptive;
    const std::size_t traced =
        scan_cutoffs(settings, tsumeb, grid, options, [&](std::size_t, const EntryCutoffs& c) { adaptive = c; });
    ASSERT_GE(full.bands, 5);
    EXPECT_TRUE(same_cutoffs(adaptive, full));
    // One entry alone traces blocks of a round's 512 rigidities, some beyond
    // where it stops.
    EXPECT_LT(traced, grid.count() * 3 / 4);
}

TEST_F(CutoffScanOnEngine, AnEntryThatCannotBeIntegratedFailsAndTheOthersComplete) {
    // The middle entry's start is not a number: its trajectories cannot be integrated.
    const std::vector<StationEntry> entries = {
        {20.0, 30.0, 0, 0}, {std::numeric_limits<double>::quiet_NaN(), 30.0, 0, 0}, {-35.0, 140.0, 0, 0}};
    const ScanGrid grid = make_scan_grid(8.0, 14.0, 0.5);
    std::vector<std::pair<std::size_t, double>> failures;
    std::vector<EntryCutoffs> results;
    CutoffScanOptions options;
    options.threads = 2;
    options.keep_runs = true;
    options.on_failure = [&](std::size_t entry, double rigidity) { failures.emplace_back(entry, rigidity); };
    scan_cutoffs(settings_, entries, grid, options,
                 [&](std::size_t, const EntryCutoffs& cutoffs) { results.push_back(cutoffs); });
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[1].failed);
    EXPECT_EQ(results[1].failed_rigidity, 8.0);
    ASSERT_EQ(failures.size(), grid.count());
    for (std::size_t i = 0; i < failures.size(); ++i) {
        EXPECT_EQ(failures[i].first, 1u);
        EXPECT_EQ(failures[i].second, grid.rigidity(i));
    }
    EXPECT_TRUE(same_cutoffs(results[0], direct(entries[0], grid)));
    EXPECT_TRUE(same_cutoffs(results[2], direct(entries[2], grid)));
    EXPECT_FALSE(results[0].failed);
    EXPECT_FALSE(results[2].failed);
}

}  // namespace
}  // namespace cones
