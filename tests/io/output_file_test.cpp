// "Cones.dat" fields, header and the output file's failure reports.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "io/output_file.hpp"

namespace cones {
namespace {

TEST(OutputFile, FixedPointFields) {
    struct Case {
        double value;
        int width, decimals;
        const char* text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {1.0, 6, 2, "  1.00"},
        {10.5, 6, 2, " 10.50"},
        {999.994, 6, 2, "999.99"},
        {999.995, 6, 2, "******"},  // rounds to 1000.00
        {1000.0, 6, 2, "******"},
        {-45.26, 7, 1, "  -45.3"},
        {123.44, 7, 1, "  123.4"},
        {0.04, 7, 1, "    0.0"},
        {-0.04, 7, 1, "   -0.0"},
        {-9999.9, 7, 1, "-9999.9"},
        {-10000.0, 7, 1, "*******"},
        {99999.9, 7, 1, "99999.9"},
        {100000.0, 7, 1, "*******"},
        {1e300, 7, 1, "*******"},
        {0.25, 6, 1, "   0.2"},  // round half to even on the exact binary value
        {nan, 7, 1, "    NaN"},
        {-std::numeric_limits<double>::infinity(), 7, 1, "   -Inf"},
        {5.0, 7, 2, "   5.00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fixed_field(c.value, c.width, c.decimals), c.text) << c.value;
    }
}

TEST(OutputFile, HeaderAndDataPieces) {
    std::vector<StationRecord> stations(2);
    stations[0].name = "NORDX               ";
    stations[1].name = "AB                  ";
    EXPECT_EQ(cones_header(stations), "Rig_GV  NORLa  NORLo  AB La  AB Lo \r\n");
    EXPECT_EQ(cones_header({}), "Rig_GV \r\n");
    // Abbreviations of multi-byte names keep whole characters in 3 bytes.
    std::vector<StationRecord> accented(2);
    accented[0].name = "Z\xc3\xbcrich" + std::string(13, ' ');
    accented[1].name = "\xc3\x91u\xc3\xb1oa" + std::string(13, ' ');
    EXPECT_EQ(cones_header(accented), "Rig_GV  Z\xc3\xbcLa  Z\xc3\xbcLo  \xc3\x91uLa  \xc3\x91uLo \r\n");
    EXPECT_EQ(cones_header(accented).size(), cones_header(stations).size());
    EXPECT_EQ(std::string(kForbiddenMarker).size(), 14u);
    EXPECT_EQ(std::string(kForbiddenMarker), "  ,    ,     ,");
    EXPECT_EQ(rigidity_field(1.0), "  1.00");
    EXPECT_EQ(rigidity_field(1000.0), "******");
    EXPECT_EQ(direction_fields(-45.26, 123.44), "  -45.3  123.4");
    // Header and data lines of n stations have the same length, 6 + 14 n + 1.
    const std::string data = rigidity_field(10.5) + direction_fields(1, 2) + kForbiddenMarker + kLineEnd;
    EXPECT_EQ(data.size(), cones_header(stations).size());
    EXPECT_EQ(data.size(), 6u + 14u * 2u + 1u + 2u);
}

TEST(OutputFile, WritesWholeLinesAndReportsFailures) {
    const std::string path = ::testing::TempDir() + "output_file_test.dat";
    {
        OutputFile file(path);
        file.write_line("Rig_GV \r\n");
        file.write_line("  1.00 \r\n");
        file.close();
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "Rig_GV \r\n  1.00 \r\n");
    std::remove(path.c_str());

    try {
        OutputFile file(::testing::TempDir() + "no-such-directory/Cones.dat");
        FAIL() << "created a file in a missing directory";
    } catch (const OutputError& error) {
        EXPECT_NE(std::string(error.what()).find("Can not create file"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("No such file or directory"), std::string::npos);
    }
    // A full disk: each complete line is flushed, so the failure shows at once.
    OutputFile full("/dev/full");
    try {
        full.write_line("Rig_GV \r\n");
        FAIL() << "writing to a full device succeeded";
    } catch (const OutputError& error) {
        EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos);
    }
    // Only a regular file is cut back or removed after a failed write.
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

}  // namespace
}  // namespace cones
