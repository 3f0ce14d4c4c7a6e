// Tests of the configuration checks: calendar date and time, list contents,
// finite values, the start altitude and the field model codes.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "io/config.hpp"

namespace cones {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A configuration every check accepts.
RunConfiguration valid_configuration() {
    RunConfiguration c;
    c.day = 15;
    c.month = 3;
    c.year = 2005;
    c.hour = 12;
    c.minute = 30;
    c.second = 45;
    c.parameters = {2.0, -20.0, 1.5, -3.0, 0.5, 1.0, 2.0, 3.0, 0.0, 0.0};
    c.field_model_code = field_model::kT89;
    c.altitude_km = 20.0;
    c.output_frame_code = output_frame::kGeo;
    c.longitude_min = -180.0;
    c.longitude_max = 180.0;
    StationRecord station;
    station.name = "LONDON              ";
    station.latitude = 51.5;
    station.longitude = -0.1;
    c.stations = {station, station};
    c.rigidities = {1.0, 10.0};
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
        {"T89 with Kp just above -1.5", [](RunConfiguration& c) { c.parameters[7] = -1.4999999; }},
        {"T89 with Kp 9", [](RunConfiguration& c) { c.parameters[7] = 9.0; }},
        {"T96", [](RunConfiguration& c) { c.field_model_code = field_model::kT96; }},
        {"T96 with a tiny pressure", [](RunConfiguration& c) { c.field_model_code = field_model::kT96; c.parameters[0] = 1e-3; }},
        {"T89 ignores the pressure", [](RunConfiguration& c) { c.parameters[0] = -1.0; }},
        {"internal field ignores the pressure", [](RunConfiguration& c) { c.field_model_code = field_model::kInternal; c.parameters[0] = 0.0; }},
        {"dipole ignores Kp", [](RunConfiguration& c) { c.field_model_code = field_model::kDipole; c.parameters[7] = -5.0; }},
        {"internal field", [](RunConfiguration& c) { c.field_model_code = field_model::kInternal; c.parameters[7] = -5.0; }},
        {"other code is internal field only", [](RunConfiguration& c) { c.field_model_code = 7; c.parameters[7] = -5.0; }},
        {"negative code", [](RunConfiguration& c) { c.field_model_code = -89; }},
        {"altitude just above the centre", [](RunConfiguration& c) { c.altitude_km = -6371.1; }},
        {"negative altitude", [](RunConfiguration& c) { c.altitude_km = -100.0; }},
        {"large altitude", [](RunConfiguration& c) { c.altitude_km = 1e300; }},
        {"any output frame code", [](RunConfiguration& c) { c.output_frame_code = -12345; }},
        {"tiny rigidity", [](RunConfiguration& c) { c.rigidities = {5e-324}; }},
        {"huge rigidity", [](RunConfiguration& c) { c.rigidities = {1e300}; }},
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
        {"infinite parameter", [](RunConfiguration& c) { c.parameters[1] = -kInf; }, 0,
         "expected a finite number for the Dst index (parameter 2), found -inf"},
        {"NaN in parameter 10", [](RunConfiguration& c) { c.parameters[9] = kNaN; }, 0, "expected a finite number for parameter 10, found nan"},
        {"T96 with pressure 0", [](RunConfiguration& c) { c.field_model_code = field_model::kT96; c.parameters[0] = 0.0; },
         4, "expected a solar-wind dynamic pressure (parameter 1) greater than 0 nPa for field model 96 (T96), found 0"},
        {"T96 with pressure -0", [](RunConfiguration& c) { c.field_model_code = field_model::kT96; c.parameters[0] = -0.0; },
         4, "for field model 96 (T96), found -0"},
        {"T96 with negative pressure", [](RunConfiguration& c) { c.field_model_code = field_model::kT96; c.parameters[0] = -2.5; },
         4, "for field model 96 (T96), found -2.5"},
        {"T01 with negative pressure", [](RunConfiguration& c) { c.field_model_code = field_model::kT01; c.parameters[0] = -1.0; },
         4, "greater than 0 nPa for field model 1 (T01), found -1"},
        {"storm-time T01 with pressure 0", [](RunConfiguration& c) { c.field_model_code = field_model::kT01Storm; c.parameters[0] = 0.0; },
         4, "greater than 0 nPa for field model 3 (storm-time T01), found 0"},
        {"T01", [](RunConfiguration& c) { c.field_model_code = field_model::kT01; }, 0,
         "field model 1 (T01) is not available in this version"},
        {"storm-time T01", [](RunConfiguration& c) { c.field_model_code = field_model::kT01Storm; }, 0,
         "field model 3 (storm-time T01) is not available in this version"},
        {"T89 with Kp -1.5", [](RunConfiguration& c) { c.parameters[7] = -1.5; }, 0,
         "the T89 model (field model 89) needs the Kp index (parameter 8) greater than -1.5, found -1.5"},
        {"T89 with Kp -3", [](RunConfiguration& c) { c.parameters[7] = -3.0; }, 0, "greater than -1.5, found -3"},
        {"altitude at the centre", [](RunConfiguration& c) { c.altitude_km = -6371.2; }, 0,
         "expected a start altitude above -6371.2 km (the Earth's centre), found -6371.2 km"},
        {"altitude below the centre", [](RunConfiguration& c) { c.altitude_km = -1e6; }, 0, "found -1e+06 km"},
        {"infinite altitude", [](RunConfiguration& c) { c.altitude_km = kInf; }, 0,
         "expected a finite number for the start altitude, found inf"},
        {"altitude whose start radius overflows", [](RunConfiguration& c) { c.altitude_km = 1e306; }, 0,
         "start radius is a finite number, found 1e+306 km"},
        {"NaN window", [](RunConfiguration& c) { c.longitude_min = kNaN; }, 0,
         "expected a finite number for the lower end of the longitude window, found nan"},
        {"no stations", [](RunConfiguration& c) { c.stations.clear(); }, 0, "the station list is empty"},
        {"station latitude not finite", [](RunConfiguration& c) { c.stations[1].latitude = kNaN; }, 0,
         "expected a finite number for the latitude of station 2 (\"LONDON\"), found nan"},
        {"station longitude not finite", [](RunConfiguration& c) { c.stations[0].longitude = kInf; }, 0,
         "the longitude of station 1 (\"LONDON\"), found inf"},
        {"station name with control bytes", [](RunConfiguration& c) { c.stations[0].name = "A\x1b[2J"; c.stations[0].latitude = kInf; },
         0, "station 1 (\"A\\x1b[2J\")"},
        {"no rigidities", [](RunConfiguration& c) { c.rigidities.clear(); }, 0, "the rigidity list is empty"},
        {"zero rigidity", [](RunConfiguration& c) { c.rigidities[1] = 0.0; }, 0, "expected rigidity 2 greater than 0 GV, found 0"},
        {"negative zero rigidity", [](RunConfiguration& c) { c.rigidities[0] = -0.0; }, 0, "rigidity 1 greater than 0 GV, found -0"},
        {"negative rigidity", [](RunConfiguration& c) { c.rigidities[0] = -2.5; }, 0, "found -2.5"},
        {"NaN rigidity", [](RunConfiguration& c) { c.rigidities[0] = kNaN; }, 0, "expected a finite number for rigidity 1, found nan"},
        {"infinite rigidity", [](RunConfiguration& c) { c.rigidities[1] = kInf; }, 0, "for rigidity 2, found inf"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        RunConfiguration c = valid_configuration();
        k.change(c);
        try {
            validate_configuration(c);
            ADD_FAILURE() << "no error";
        } catch (const ConfigError& e) {
            EXPECT_EQ(e.line(), k.line);
            const std::string what = e.what();
            EXPECT_NE(what.find(k.fragment), std::string::npos) << what;
            const std::string prefix = k.line > 0 ? "Cones.ini, line " + std::to_string(k.line) + ": " : "Cones.ini: ";
            EXPECT_EQ(what.rfind(prefix, 0), 0u) << what;
        }
    }
}

}  // namespace
}  // namespace cones
