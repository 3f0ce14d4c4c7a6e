#include "io/cutoff_map_contents.hpp"

#include <array>

#include "io/run_description.hpp"

namespace cones {
namespace {

MapAttribute text(const char* name, std::string value) {
    return MapAttribute{name, MapType::kText, std::move(value), {}};
}

MapAttribute numbers(const char* name, MapType type, std::vector<double> values) {
    return MapAttribute{name, type, {}, std::move(values)};
}

}  // namespace

signed char map_place_of(const Cutoff& cutoff, bool failed) {
    if (failed) return map_place::kFailed;
    switch (cutoff.place) {
        case CutoffPlace::kAt: return map_place::kAt;
        case CutoffPlace::kBelow: return map_place::kBelow;
        case CutoffPlace::kAbove: return map_place::kAbove;
        case CutoffPlace::kUnresolved: break;
    }
    return map_place::kUnresolved;
}

double map_value_of(const Cutoff& cutoff, bool failed) {
    return failed || cutoff.place == CutoffPlace::kUnresolved ? kMapMissingRigidity : cutoff.rigidity;
}

int map_bands_of(const EntryCutoffs& cutoffs) { return cutoffs.failed ? kMapMissingBands : cutoffs.bands; }

std::string cutoff_map_title(const RunConfiguration& config) {
    return "Vertical cutoff rigidity, " + run_time_text(config) + ", " + field_model_text(config) + ", " +
           shortest_number(config.altitude_km) + " km" + tracing_choices_text(config);
}

CutoffMapContents cutoff_map_contents(const RunConfiguration& config, const MapGrid& map, const ScanGrid& grid,
                                      const std::string& title, const std::string& source,
                                      std::span<const EntryCutoffs> points) {
    CutoffMapContents contents;
    contents.latitudes = map.latitude_count();
    contents.longitudes = map.longitude_count();

    MapVariable lat{"lat", MapType::kDouble, {"lat"}, {}, {}};
    lat.attributes = {text("standard_name", "latitude"), text("long_name", "latitude"),
                      text("units", "degrees_north")};
    for (std::size_t j = 0; j < map.latitude_count(); ++j) lat.values.push_back(map.latitude(j));
    contents.variables.push_back(std::move(lat));
    MapVariable lon{"lon", MapType::kDouble, {"lon"}, {}, {}};
    lon.attributes = {text("standard_name", "longitude"), text("long_name", "longitude"),
                      text("units", "degrees_east")};
    for (std::size_t i = 0; i < map.longitude_count(); ++i) lon.values.push_back(map.longitude(i));
    contents.variables.push_back(std::move(lon));

    const std::string flag_meanings =
        "within_scan at_or_below_scan_start above_scan_end unresolved integration_failed";
    const std::vector<double> flag_values = {map_place::kAt, map_place::kBelow, map_place::kAbove,
                                             map_place::kUnresolved, map_place::kFailed};
    struct Quantity {
        const char* name;
        const char* place_name;
        const char* long_name;
        const Cutoff EntryCutoffs::*member;
    };
    const Quantity quantities[] = {
        {"Rc", "Rc_place", "effective vertical cutoff rigidity", &EntryCutoffs::effective},
        {"RL", "RL_place", "lower vertical cutoff rigidity", &EntryCutoffs::lower},
        {"RU", "RU_place", "upper vertical cutoff rigidity", &EntryCutoffs::upper},
    };
    for (const Quantity& q : quantities) {
        MapVariable value{q.name, MapType::kDouble, {"lat", "lon"}, {}, {}};
        value.attributes = {text("long_name", q.long_name), text("units", "GV"),
                            numbers("_FillValue", MapType::kDouble, {kMapMissingRigidity}),
                            text("ancillary_variables", q.place_name)};
        MapVariable place{q.place_name, MapType::kByte, {"lat", "lon"}, {}, {}};
        place.attributes = {text("long_name", std::string("place of ") + q.name + " relative to the rigidity scan"),
                            numbers("flag_values", MapType::kByte, flag_values),
                            text("flag_meanings", flag_meanings)};
        value.values.reserve(points.size());
        place.values.reserve(points.size());
        for (const EntryCutoffs& point : points) {
            value.values.push_back(map_value_of(point.*q.member, point.failed));
            place.values.push_back(map_place_of(point.*q.member, point.failed));
        }
        contents.variables.push_back(std::move(value));
        contents.variables.push_back(std::move(place));
    }
    MapVariable bands{"bands", MapType::kInt, {"lat", "lon"}, {}, {}};
    bands.attributes = {text("long_name", "number of allowed bands in the penumbra below RU"), text("units", "1"),
                        numbers("_FillValue", MapType::kInt, {kMapMissingBands})};
    bands.values.reserve(points.size());
    for (const EntryCutoffs& point : points) bands.values.push_back(map_bands_of(point));
    contents.variables.push_back(std::move(bands));

    const std::string when = run_time_text(config);
    std::vector<double> parameters(config.parameters.begin(), config.parameters.begin() + 8);
    contents.attributes = {
        text("Conventions", "CF-1.8"),
        text("title", title),
        text("source", source),
        text("comment",
             "Vertical cutoff rigidities of cosmic-ray protons from scans over the rigidity grid "
             "scan_from_GV + i * scan_step_GV. RL is the lowest allowed rigidity, RU the lowest above which "
             "every scanned rigidity is allowed, Rc = RU minus one step per allowed rigidity below RU. "
             "Where *_place is at_or_below_scan_start the value is the scan's first rigidity, where it is "
             "above_scan_end the cutoff lies above the value."),
        text("date", when.substr(0, 10)),
        text("time", when.substr(11)),
        numbers("field_model_code", MapType::kInt, {static_cast<double>(config.field_model_code)}),
        text("field_model", field_model_text(config)),
        text("internal_field", config.internal_field->name),
        numbers("model_parameters", MapType::kDouble, parameters),
        text("model_parameter_names", "pressure_nPa Dst_nT IMF_By_nT IMF_Bz_nT G1 G2 G3 Kp"),
        text("model_parameters_source",
             config.parameters_source.empty() ? std::string("configuration file") : config.parameters_source),
        numbers("altitude_km", MapType::kDouble, {config.altitude_km}),
        numbers("scan_from_GV", MapType::kDouble, {grid.from()}),
        numbers("scan_to_GV", MapType::kDouble, {grid.rigidity(grid.count() - 1)}),
        numbers("scan_step_GV", MapType::kDouble, {grid.step()}),
        numbers("scan_rigidities", MapType::kInt, {static_cast<double>(grid.count())}),
        numbers("latitude_step_degrees", MapType::kDouble, {map.latitude_step()}),
        numbers("longitude_step_degrees", MapType::kDouble, {map.longitude_step()}),
    };
    // Only a run that chose them says so, so that a map of protons on the
    // sphere keeps its attributes.
    if (config.choices.geodetic) {
        contents.attributes.push_back(
            text("latitudes", "geodetic (WGS-84); altitude_km above the ellipsoid along its normal"));
    }
    if (config.choices.particle != kProton) {
        contents.attributes.push_back(text("particle", particle_name(config.choices.particle)));
        contents.attributes.push_back(numbers("particle_charge_number", MapType::kInt,
                                              {static_cast<double>(config.choices.particle.charge)}));
        contents.attributes.push_back(numbers("particle_mass_number", MapType::kInt,
                                              {static_cast<double>(config.choices.particle.mass_number)}));
    }
    return contents;
}

}  // namespace cones
