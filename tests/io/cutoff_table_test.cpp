// The cutoff table and its CSV form: the decimals a scan grid needs, the
// words for cutoffs beyond the scan, failed entries, and quoted names.

#include <gtest/gtest.h>

#include <string>

#include "io/cutoff_table.hpp"

namespace cones {
namespace {

TEST(CutoffTable, DecimalsShowEveryRigidityOfTheGrid) {
    const struct {
        double from, to, step;
        int decimals;
    } cases[] = {
        {0.10, 20.0, 0.01, 2}, {1.0, 20.0, 0.5, 2},  {3.0, 10.0, 0.125, 3},
        {0.1, 1.0, 0.005, 3},  {0.105, 1.0, 0.01, 3}, {1.0, 1.5, 1e-7, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rigidity_decimals(make_scan_grid(c.from, c.to, c.step)), c.decimals) << c.from << " " << c.step;
    }
}

TEST(CutoffTable, CutoffsBeyondTheScanAreWordsNotNumbers) {
    EXPECT_EQ(cutoff_text({CutoffPlace::kAt, 14.17}, 2), "14.17");
    EXPECT_EQ(cutoff_text({CutoffPlace::kBelow, 0.1}, 2), "below 0.10");
    EXPECT_EQ(cutoff_text({CutoffPlace::kAbove, 20.000000000000004}, 2), "above 20.00");
    EXPECT_EQ(cutoff_text({CutoffPlace::kUnresolved, 0.0}, 2), "unresolved");
}

TEST(CutoffTable, CsvRowsOfResolvedPartlyResolvedAndFailedEntries) {
    const ScanGrid grid = make_scan_grid(1.0, 10.0, 0.25);
    const StationRecord station{"Mount \"A\", north    ", 46.55, -7.5, 30, -90};

    EntryCutoffs resolved;
    resolved.lower = {CutoffPlace::kAt, 4.25};
    resolved.upper = {CutoffPlace::kAt, 5.5};
    resolved.effective = {CutoffPlace::kAt, 5.0};
    resolved.bands = 2;
    EXPECT_EQ(cutoff_csv_row(station, resolved, grid), "\"Mount \"\"A\"\", north\",46.55,-7.5,30,-90,4.25,5.50,5.00,2,\n");

    EntryCutoffs open = resolved;
    open.lower = {CutoffPlace::kBelow, 1.0};
    open.effective = {CutoffPlace::kBelow, 3.0};
    EXPECT_EQ(cutoff_csv_row(station, open, grid),
              "\"Mount \"\"A\"\", north\",46.55,-7.5,30,-90,,5.50,,2,RL below 1.00; Rc below 3.00\n");

    EntryCutoffs failed;
    failed.failed = true;
    failed.failed_rigidity = 6.75;
    EXPECT_EQ(cutoff_csv_row(station, failed, grid),
              "\"Mount \"\"A\"\", north\",46.55,-7.5,30,-90,,,,,integration failed at 6.75 GV\n");
    const std::string row = cutoff_table_row(station, failed, grid);
    EXPECT_EQ(row.rfind(station.name, 0), 0u);
    EXPECT_NE(row.find("integration failed at 6.75 GV"), std::string::npos) << row;
}

}  // namespace
}  // namespace cones
