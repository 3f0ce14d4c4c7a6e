// Tests of the configuration checks: calendar date and time, list contents,
// finite values, the start altitude, the longitude window, station latitudes
// and the field model codes, each reported on the line of its item.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "io/config.hpp"
#include "tests/support/config_error.hpp"
#include "tracing/field_model_registry.hpp"

namespace cones {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A configuration every check accepts. Its items stand on lines that differ
// from the usual ones (as when a free-format read went on over blank lines),
// so the messages must take each item's own line.
RunConfiguration valid_configuration() {
    RunConfiguration c;
    c.day = 15;
    c.month = 3;
    c.year = 2005;
    c.hour = 12;
    c.minute = 30;
    c.second = 45;
    c.parameters = {2.0, -20.0, 1.5, -3.0, 0.5, 1.0, 2.0, 3.0, 0.0, 0.0};
    c.field_model_code = T89Model::kDescription.code;
    c.altitude_km = 20.0;
    c.output_frame_code = output_frame::kGeo;
    c.longitude_min = -180.0;
    c.longitude_max = 180.0;
    StationRecord station;
    station.name = "LONDON              ";
    station.latitude = 51.5;
    station.longitude = -0.1;
    c.stations = {station, station};
    c.stations[0].line = 19;
    c.stations[1].line = 21;
    c.rigidities = {1.0, 10.0};
    c.lines.parameters = {5, 6, 7, 8, 9, 10, 11, 13};
    c.lines.field_model = 14;
    c.lines.altitude = 15;
    c.lines.output_frame = 16;
    c.lines.longitude_window = 17;
    c.lines.station_list_end = 22;
    return c;
}

using Change = std::function<void(RunConfiguration&)>;

TEST(ConfigValidation, AcceptsValidEdgeValues) {
    struct Case {
        const char* name;
        Change change;
    };
    const Case cases[] = {
        {"unchanged", [](RunConfiguration&) {}},
        {"29 February of a leap year", [](RunConfiguration& c) { c.day = 29; c.month = 2; c.year = 2004; }},
        {"29 February 2000", [](RunConfiguration& c) { c.day = 29; c.month = 2; c.year = 2000; }},
        {"31 December", [](RunConfiguration& c) { c.day = 31; c.month = 12; }},
        {"30 April", [](RunConfiguration& c) { c.day = 30; c.month = 4; }},
        {"1 January", [](RunConfiguration& c) { c.day = 1; c.month = 1; }},
        {"year outside the table range", [](RunConfiguration& c) { c.year = 1850; }},
        {"midnight", [](RunConfiguration& c) { c.hour = 0; c.minute = 0; c.second = 0; }},
        {"last second of the day", [](RunConfiguration& c) { c.hour = 23; c.minute = 59; c.second = 59; }},
        {"T89 with Kp 0", [](RunConfiguration& c) { c.parameters[7] = 0.0; }},
        {"T89 with Kp 9", [](RunConfiguration& c) { c.parameters[7] = 9.0; }},
        {"dipole ignores Kp", [](RunConfiguration& c) { c.field_model_code = DipoleModel::kDescription.code; c.parameters[7] = -5.0; }},
        {"internal field", [](RunConfiguration& c) { c.field_model_code = ReferenceFieldModel::kDescription.code; c.parameters[7] = -5.0; }},
        {"other code is internal field only", [](RunConfiguration& c) { c.field_model_code = 7; c.parameters[7] = -5.0; }},
        {"negative code", [](RunConfiguration& c) { c.field_model_code = -89; }},
        {"T96", [](RunConfiguration& c) { c.field_model_code = T96Model::kDescription.code; c.parameters[0] = 2.0; }},
        {"T96 at the smallest pressure", [](RunConfiguration& c) { c.field_model_code = T96Model::kDescription.code; c.parameters[0] = 0.01; }},
        {"T01", [](RunConfiguration& c) { c.field_model_code = T01Model::kDescription.code; c.parameters[0] = 2.0; }},
        {"storm-time T01 at the smallest pressure", [](RunConfiguration& c) { c.field_model_code = T01StormModel::kDescription.code; c.parameters[0] = 0.01; }},
        // The corners of the ranges, for the models that read each parameter.
        {"T01 at the upper ends", [](RunConfiguration& c) {
             c.field_model_code = T01Model::kDescription.code;
             c.parameters = {100.0, 200.0, 200.0, 200.0, 500.0, 500.0, -1e9, -1e9, 0.0, 0.0};
         }},
        {"T01 at the lower ends", [](RunConfiguration& c) {
             c.field_model_code = T01Model::kDescription.code;
             c.parameters = {0.01, -2000.0, -200.0, -200.0, 0.0, 0.0, 1e9, 1e9, 0.0, 0.0};
         }},
        {"storm-time T01 in a storm of 1859", [](RunConfiguration& c) {
             c.field_model_code = T01StormModel::kDescription.code;
             c.parameters = {60.0, -1760.0, 90.0, -100.0, -1e9, 500.0, 500.0, -1e9, 0.0, 0.0};
         }},
        {"T96 at the ends", [](RunConfiguration& c) {
             c.field_model_code = T96Model::kDescription.code;
             c.parameters = {100.0, -2000.0, -200.0, 200.0, -1e9, -1e9, -1e9, -1e9, 0.0, 0.0};
         }},
        {"the internal field reads no parameter", [](RunConfiguration& c) {
             c.field_model_code = ReferenceFieldModel::kDescription.code;
             c.parameters = {1e6, -1e6, 1e6, -1e6, -1.0, -1.0, -1.0, 100.0, 0.0, 0.0};
         }},
        {"models without pressure ignore it", [](RunConfiguration& c) { c.field_model_code = ReferenceFieldModel::kDescription.code; c.parameters[0] = -1.0; }},
        {"start on the surface", [](RunConfiguration& c) { c.altitude_km = 0.0; }},
        {"large altitude", [](RunConfiguration& c) { c.altitude_km = 1e300; }},
        {"window 0 360", [](RunConfiguration& c) { c.longitude_min = 0.0; c.longitude_max = 360.0; }},
        {"window -360 0", [](RunConfiguration& c) { c.longitude_min = -360.0; c.longitude_max = 0.0; }},
        {"window 360 720", [](RunConfiguration& c) { c.longitude_min = 360.0; c.longitude_max = 720.0; }},
        {"window wider than a turn", [](RunConfiguration& c) { c.longitude_min = -200.0; c.longitude_max = 400.0; }},
        {"latitudes of the poles", [](RunConfiguration& c) { c.stations[0].latitude = 90.0; c.stations[1].latitude = -90.0; }},
        {"any output frame code", [](RunConfiguration& c) { c.output_frame_code = -12345; }},
        {"the lowest rigidity", [](RunConfiguration& c) { c.rigidities = {0.01}; }},
        {"the highest rigidity Cones.dat shows", [](RunConfiguration& c) { c.rigidities = {999.99, 999.994}; }},
        {"zenith above 90", [](RunConfiguration& c) { c.stations[0].zenith = 120; }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        RunConfiguration c = valid_configuration();
        k.change(c);
        EXPECT_NO_THROW(validate_configuration(c));
    }
}

TEST(ConfigValidation, RejectsValuesWithoutADefinedRun) {
    struct Case {
        const char* name;
        Change change;
        int line;
        std::string fragment;
    };
    const Case cases[] = {
        {"month 0", [](RunConfiguration& c) { c.month = 0; }, 2, "expected a month from 1 to 12, found 0"},
        {"month 13", [](RunConfiguration& c) { c.month = 13; }, 2, "expected a month from 1 to 12, found 13"},
        {"day 0", [](RunConfiguration& c) { c.day = 0; }, 2, "expected a day from 1 to 31 for month 3 of 2005, found 0"},
        {"29 February of a common year", [](RunConfiguration& c) { c.day = 29; c.month = 2; },
         2, "expected a day from 1 to 28 for month 2 of 2005, found 29"},
        {"29 February 1900", [](RunConfiguration& c) { c.day = 29; c.month = 2; c.year = 1900; }, 2, "from 1 to 28 for month 2 of 1900, found 29"},
        {"30 February of a leap year", [](RunConfiguration& c) { c.day = 30; c.month = 2; c.year = 2004; }, 2, "from 1 to 29 for month 2 of 2004, found 30"},
        {"31 April", [](RunConfiguration& c) { c.day = 31; c.month = 4; }, 2, "from 1 to 30 for month 4 of 2005, found 31"},
        {"32 January", [](RunConfiguration& c) { c.day = 32; c.month = 1; }, 2, "from 1 to 31 for month 1 of 2005, found 32"},
        {"negative day", [](RunConfiguration& c) { c.day = -1; }, 2, "found -1"},
        {"hour 24", [](RunConfiguration& c) { c.hour = 24; }, 3, "expected an hour from 0 to 23, found 24"},
        {"negative hour", [](RunConfiguration& c) { c.hour = -1; }, 3, "expected an hour from 0 to 23, found -1"},
        {"minute 60", [](RunConfiguration& c) { c.minute = 60; }, 3, "expected a minute from 0 to 59, found 60"},
        {"second 60", [](RunConfiguration& c) { c.second = 60; }, 3, "expected a second from 0 to 59, found 60"},
        {"infinite parameter", [](RunConfiguration& c) { c.parameters[1] = -kInf; }, 6,
         "expected a finite number for the Dst index (parameter 2), found -inf"},
        {"NaN in parameter 10", [](RunConfiguration& c) { c.parameters[9] = kNaN; }, 13, "expected a finite number for parameter 10, found nan"},
        {"T96 with zero pressure", [](RunConfiguration& c) { c.field_model_code = T96Model::kDescription.code; c.parameters[0] = 0.0; }, 5,
         "expected the solar-wind dynamic pressure (parameter 1) from 0.01 nPa to 100 nPa for field model 96 (T96), found 0 nPa"},
        {"T96 with negative pressure", [](RunConfiguration& c) { c.field_model_code = T96Model::kDescription.code; c.parameters[0] = -2.5; }, 5,
         "for field model 96 (T96), found -2.5 nPa"},
        {"T96 with negative zero pressure", [](RunConfiguration& c) { c.field_model_code = T96Model::kDescription.code; c.parameters[0] = -0.0; }, 5,
         "for field model 96 (T96), found -0"},
        {"T01 with zero pressure", [](RunConfiguration& c) { c.field_model_code = T01Model::kDescription.code; c.parameters[0] = 0.0; }, 5,
         "expected the solar-wind dynamic pressure (parameter 1) from 0.01 nPa to 100 nPa for field model 1 (T01), found 0 nPa"},
        {"storm-time T01 with negative pressure",
         [](RunConfiguration& c) { c.field_model_code = T01StormModel::kDescription.code; c.parameters[0] = -2.5; }, 5,
         "for field model 3 (storm-time T01), found -2.5 nPa"},
        // Values beyond any magnetosphere, which made single trajectories run
        // for minutes (T01 at 1e6 nPa: its magnetopause within 1.3 Earth radii).
        {"T01 at a million nPa", [](RunConfiguration& c) { c.field_model_code = T01Model::kDescription.code; c.parameters[0] = 1e6; }, 5,
         "from 0.01 nPa to 100 nPa for field model 1 (T01), found 1e+06 nPa"},
        {"T01 at a millionth of a nPa", [](RunConfiguration& c) { c.field_model_code = T01Model::kDescription.code; c.parameters[0] = 1e-6; }, 5,
         "found 1e-06 nPa"},
        {"T96 with Dst -2001", [](RunConfiguration& c) { c.field_model_code = T96Model::kDescription.code; c.parameters[1] = -2001.0; }, 6,
         "expected the Dst index (parameter 2) from -2000 nT to 200 nT for field model 96 (T96), found -2001 nT"},
        {"storm-time T01 with Dst +201", [](RunConfiguration& c) { c.field_model_code = T01StormModel::kDescription.code; c.parameters[1] = 201.0; }, 6,
         "found 201 nT"},
        {"T01 with By -201", [](RunConfiguration& c) { c.field_model_code = T01Model::kDescription.code; c.parameters[2] = -201.0; }, 7,
         "expected the IMF By (parameter 3) from -200 nT to 200 nT for field model 1 (T01), found -201 nT"},
        {"T96 with Bz 1000", [](RunConfiguration& c) { c.field_model_code = T96Model::kDescription.code; c.parameters[3] = 1000.0; }, 8,
         "expected the IMF Bz (parameter 4) from -200 nT to 200 nT"},
        {"T01 with negative G1", [](RunConfiguration& c) { c.field_model_code = T01Model::kDescription.code; c.parameters[4] = -0.5; }, 9,
         "expected the solar-wind index G1 (parameter 5) from 0 to 500 for field model 1 (T01), found -0.5"},
        {"T01 with G2 501", [](RunConfiguration& c) { c.field_model_code = T01Model::kDescription.code; c.parameters[5] = 501.0; }, 10,
         "the solar-wind index G2 (parameter 6) from 0 to 500"},
        {"storm-time T01 with G2 1e4", [](RunConfiguration& c) { c.field_model_code = T01StormModel::kDescription.code; c.parameters[5] = 1e4; }, 10,
         "for field model 3 (storm-time T01), found 10000"},
        {"storm-time T01 with negative G3", [](RunConfiguration& c) { c.field_model_code = T01StormModel::kDescription.code; c.parameters[6] = -1.0; }, 11,
         "the solar-wind index G3 (parameter 7) from 0 to 500"},
        {"T01 with negative zero pressure", [](RunConfiguration& c) { c.field_model_code = T01Model::kDescription.code; c.parameters[0] = -0.0; }, 5,
         "found -0"},
        {"T89 with Kp -1.5", [](RunConfiguration& c) { c.parameters[7] = -1.5; }, 13,
         "expected the Kp index (parameter 8) from 0 to 9 for field model 89 (T89), found -1.5"},
        {"T89 with Kp -0.1", [](RunConfiguration& c) { c.parameters[7] = -0.1; }, 13, "found -0.1"},
        {"T89 with Kp 9.5", [](RunConfiguration& c) { c.parameters[7] = 9.5; }, 13, "from 0 to 9 for field model 89 (T89), found 9.5"},
        {"altitude just below the surface", [](RunConfiguration& c) { c.altitude_km = -0.001; }, 15,
         "expected a start altitude of 0 km or more (a start at or above the Earth's surface), found -0.001 km"},
        {"altitude -100 km", [](RunConfiguration& c) { c.altitude_km = -100.0; }, 15, "found -100 km"},
        {"altitude below the centre", [](RunConfiguration& c) { c.altitude_km = -1e6; }, 15, "found -1e+06 km"},
        {"infinite altitude", [](RunConfiguration& c) { c.altitude_km = kInf; }, 15,
         "expected a finite number for the start altitude, found inf"},
        {"altitude whose start radius overflows", [](RunConfiguration& c) { c.altitude_km = 1e306; }, 15,
         "start radius is a finite number, found 1e+306 km"},
        {"NaN window", [](RunConfiguration& c) { c.longitude_min = kNaN; }, 17,
         "expected a finite number for the lower end of the longitude window, found nan"},
        {"window 0 0", [](RunConfiguration& c) { c.longitude_min = 0.0; c.longitude_max = 0.0; }, 17,
         "expected a longitude window that holds every longitude: an upper end at least 360 degrees above the lower end, "
         "a lower end of at most 360 and an upper end of at least 0 (as in -180 180 or 0 360), found 0 0"},
        {"window upside down", [](RunConfiguration& c) { c.longitude_min = 100.0; c.longitude_max = -100.0; }, 17, "found 100 -100"},
        {"window a little short of a turn", [](RunConfiguration& c) { c.longitude_min = -180.0; c.longitude_max = 179.9; }, 17,
         "found -180 179.9"},
        // wide enough, but a longitude of 100 moved up once is 460, still below 500
        {"window above 360", [](RunConfiguration& c) { c.longitude_min = 500.0; c.longitude_max = 900.0; }, 17, "found 500 900"},
        // wide enough, but a longitude of 355 moved down once is -5, still above -10
        {"window below 0", [](RunConfiguration& c) { c.longitude_min = -400.0; c.longitude_max = -10.0; }, 17, "found -400 -10"},
        {"no stations", [](RunConfiguration& c) { c.stations.clear(); }, 22,
         "expected at least one station line before the \"#\" line that ends the station list, found none"},
        {"station latitude not finite", [](RunConfiguration& c) { c.stations[1].latitude = kNaN; }, 21,
         "expected a finite number for the latitude of station 2 (\"LONDON\"), found nan"},
        {"station longitude not finite", [](RunConfiguration& c) { c.stations[0].longitude = kInf; }, 19,
         "the longitude of station 1 (\"LONDON\"), found inf"},
        {"station name with control bytes", [](RunConfiguration& c) { c.stations[0].name = "A\x1b[2J"; c.stations[0].latitude = kInf; },
         19, "station 1 (\"A\\x1b[2J\")"},
        {"latitude beyond the north pole", [](RunConfiguration& c) { c.stations[1].latitude = 100.0; }, 21,
         "expected the latitude of station 2 (\"LONDON\") from -90 to 90 degrees, found 100"},
        {"latitude just beyond the south pole", [](RunConfiguration& c) { c.stations[0].latitude = -90.01; }, 19, "found -90.01"},
        {"no rigidities", [](RunConfiguration& c) { c.rigidities.clear(); }, 23,
         "expected at least one rigidity line after the \"#\" line, found the end of the file: the rigidity list is empty"},
        {"zero rigidity", [](RunConfiguration& c) { c.rigidities[1] = 0.0; }, 24,
         "expected rigidity 2 from 0.01 to 999.99 GV (the rigidities Cones.dat shows), found 0"},
        {"negative zero rigidity", [](RunConfiguration& c) { c.rigidities[0] = -0.0; }, 23, "found -0"},
        {"rigidity below the lowest", [](RunConfiguration& c) { c.rigidities[0] = 0.0099; }, 23, "found 0.0099"},
        {"rigidity shown as 1000.00", [](RunConfiguration& c) { c.rigidities[1] = 999.995; }, 24, "found 999.995"},
        {"rigidity of 1000 GV", [](RunConfiguration& c) { c.rigidities[1] = 1000.0; }, 24, "found 1000"},
        {"negative rigidity", [](RunConfiguration& c) { c.rigidities[0] = -2.5; }, 23, "found -2.5"},
        {"NaN rigidity", [](RunConfiguration& c) { c.rigidities[0] = kNaN; }, 23, "expected a finite number for rigidity 1, found nan"},
        {"infinite rigidity", [](RunConfiguration& c) { c.rigidities[1] = kInf; }, 24, "for rigidity 2, found inf"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        RunConfiguration c = valid_configuration();
        k.change(c);
        testing_support::expect_config_error([&c] { validate_configuration(c); }, k.line, k.fragment);
    }
}

// Outside the ranges of the data T96 was fitted to, a T96 run goes on with a
// warning naming the line; other models, and values inside, give none.
TEST(ConfigValidation, WarnsOfT96BeyondItsFitRanges) {
    RunConfiguration c = valid_configuration();
    c.field_model_code = T96Model::kDescription.code;
    c.parameters = {0.5, -100.0, 10.0, -10.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    EXPECT_TRUE(configuration_warnings(c).empty());
    c.parameters = {12.0, -150.0, -10.5, 25.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    const std::vector<std::string> warnings = configuration_warnings(c, "storm.ini");
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_EQ(warnings[0], "storm.ini, line 5: warning: the solar-wind dynamic pressure (parameter 1) of 12 nPa lies "
                           "outside 0.5 nPa to 10 nPa, the range of the data T96 was fitted to; the model is "
                           "extrapolated there");
    EXPECT_EQ(warnings[1].rfind("storm.ini, line 6: warning: the Dst index (parameter 2) of -150 nT lies outside -100 nT "
                                "to 20 nT",
                                0),
              0u)
        << warnings[1];
    EXPECT_EQ(warnings[2].rfind("storm.ini, line 7: warning: the IMF By (parameter 3) of -10.5 nT", 0), 0u) << warnings[2];
    EXPECT_EQ(warnings[3].rfind("storm.ini, line 8: warning: the IMF Bz (parameter 4) of 25 nT", 0), 0u) << warnings[3];
    EXPECT_NO_THROW(validate_configuration(c));
    c.field_model_code = T01StormModel::kDescription.code;
    c.parameters = {12.0, -400.0, -10.5, 25.0, 0.0, 20.0, 40.0, 0.0, 0.0, 0.0};
    EXPECT_TRUE(configuration_warnings(c).empty()) << "a storm is what storm-time T01 is for";
}

}  // namespace
}  // namespace cones
