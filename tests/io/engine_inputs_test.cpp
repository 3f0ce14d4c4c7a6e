// The file's codes and station records as the engine's inputs.

#include <gtest/gtest.h>

#include "io/engine_inputs.hpp"

namespace cones {
namespace {

TEST(EngineInputs, OutputFrameCodes) {
    const struct {
        int code;
        OutputFrame expected;
    } cases[] = {{0, OutputFrame::kGeo}, {1, OutputFrame::kGse}, {2, OutputFrame::kGsm},
                 {-1, OutputFrame::kGsm}, {100, OutputFrame::kGsm}};
    for (const auto& c : cases) EXPECT_EQ(output_frame_of_code(c.code), c.expected) << c.code;
}

TEST(EngineInputs, StationEntryKeepsPlaceAndDirection) {
    StationRecord record;
    record.name = "Oulu                ";
    record.latitude = 65.05;
    record.longitude = -25.47;
    record.zenith = 30;
    record.azimuth = -90;
    const StationEntry entry = station_entry(record);
    EXPECT_EQ(entry.latitude, 65.05);
    EXPECT_EQ(entry.longitude, -25.47);
    EXPECT_EQ(entry.zenith, 30.0);
    EXPECT_EQ(entry.azimuth, -90.0);
}

}  // namespace
}  // namespace cones
