#include "io/cutoff_map_netcdf.hpp"

#include <netcdf.h>
#include <netcdf_mem.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "io/output_file.hpp"
#include "io/run_description.hpp"

namespace cones {
namespace {

// Calls of the netCDF library on a file built in memory, each checked: a
// failure becomes an OutputError with the library's message.
class NetcdfFile {
public:
    NetcdfFile() {
        check(nc_create_mem("cutoff-map.nc", NC_64BIT_OFFSET, 0, &id_));
        open_ = true;
    }
    ~NetcdfFile() {
        if (!open_) return;
        NC_memio memory{};
        if (nc_close_memio(id_, &memory) == NC_NOERR) std::free(memory.memory);
    }
    NetcdfFile(const NetcdfFile&) = delete;
    NetcdfFile& operator=(const NetcdfFile&) = delete;

    int id() const { return id_; }
    static void check(int status) {
        if (status != NC_NOERR) throw OutputError(std::string("Can not make the netCDF map: ") + nc_strerror(status));
    }
    int dimension(const char* name, std::size_t length) {
        int dim = 0;
        check(nc_def_dim(id_, name, length, &dim));
        return dim;
    }
    int variable(const char* name, nc_type type, std::initializer_list<int> dimensions) {
        int var = 0;
        const std::vector<int> dims(dimensions);
        check(nc_def_var(id_, name, type, static_cast<int>(dims.size()), dims.data(), &var));
        return var;
    }
    void text(int var, const char* name, const std::string& value) {
        check(nc_put_att_text(id_, var, name, value.size(), value.c_str()));
    }
    void number(int var, const char* name, double value) { check(nc_put_att_double(id_, var, name, NC_DOUBLE, 1, &value)); }
    void integer(int var, const char* name, int value) { check(nc_put_att_int(id_, var, name, NC_INT, 1, &value)); }
    // Closes the file and hands over its bytes.
    std::string close() {
        open_ = false;
        NC_memio memory{};
        check(nc_close_memio(id_, &memory));
        std::string bytes(static_cast<const char*>(memory.memory), memory.size);
        std::free(memory.memory);
        return bytes;
    }

private:
    int id_ = 0;
    bool open_ = false;
};

signed char place_of(const Cutoff& cutoff, bool failed) {
    if (failed) return map_place::kFailed;
    switch (cutoff.place) {
        case CutoffPlace::kAt: return map_place::kAt;
        case CutoffPlace::kBelow: return map_place::kBelow;
        case CutoffPlace::kAbove: return map_place::kAbove;
        case CutoffPlace::kUnresolved: break;
    }
    return map_place::kUnresolved;
}

double value_of(const Cutoff& cutoff, bool failed) {
    return failed || cutoff.place == CutoffPlace::kUnresolved ? kMapMissingRigidity : cutoff.rigidity;
}

}  // namespace

std::string cutoff_map_netcdf(const RunConfiguration& config, const MapGrid& map, const ScanGrid& grid,
                              const std::string& title, const std::string& source,
                              std::span<const EntryCutoffs> points) {
    NetcdfFile file;
    const int lat_dim = file.dimension("lat", map.latitude_count());
    const int lon_dim = file.dimension("lon", map.longitude_count());
    const int lat = file.variable("lat", NC_DOUBLE, {lat_dim});
    file.text(lat, "standard_name", "latitude");
    file.text(lat, "long_name", "latitude");
    file.text(lat, "units", "degrees_north");
    const int lon = file.variable("lon", NC_DOUBLE, {lon_dim});
    file.text(lon, "standard_name", "longitude");
    file.text(lon, "long_name", "longitude");
    file.text(lon, "units", "degrees_east");

    const std::string flag_meanings =
        "within_scan at_or_below_scan_start above_scan_end unresolved integration_failed";
    const std::array<signed char, 5> flag_values = {map_place::kAt, map_place::kBelow, map_place::kAbove,
                                                    map_place::kUnresolved, map_place::kFailed};
    struct Quantity {
        const char* name;
        const char* place_name;
        const char* long_name;
        const Cutoff EntryCutoffs::*member;
        int var = 0, place_var = 0;
    };
    Quantity quantities[] = {
        {"Rc", "Rc_place", "effective vertical cutoff rigidity", &EntryCutoffs::effective},
        {"RL", "RL_place", "lower vertical cutoff rigidity", &EntryCutoffs::lower},
        {"RU", "RU_place", "upper vertical cutoff rigidity", &EntryCutoffs::upper},
    };
    for (Quantity& q : quantities) {
        q.var = file.variable(q.name, NC_DOUBLE, {lat_dim, lon_dim});
        file.text(q.var, "long_name", q.long_name);
        file.text(q.var, "units", "GV");
        file.number(q.var, "_FillValue", kMapMissingRigidity);
        file.text(q.var, "ancillary_variables", q.place_name);
        q.place_var = file.variable(q.place_name, NC_BYTE, {lat_dim, lon_dim});
        file.text(q.place_var, "long_name", std::string("place of ") + q.name + " relative to the rigidity scan");
        file.check(nc_put_att_schar(file.id(), q.place_var, "flag_values", NC_BYTE, flag_values.size(),
                                    flag_values.data()));
        file.text(q.place_var, "flag_meanings", flag_meanings);
    }
    const int bands = file.variable("bands", NC_INT, {lat_dim, lon_dim});
    file.text(bands, "long_name", "number of allowed bands in the penumbra below RU");
    file.text(bands, "units", "1");
    const int no_bands = -1;
    file.check(nc_put_att_int(file.id(), bands, "_FillValue", NC_INT, 1, &no_bands));

    const int global = NC_GLOBAL;
    file.text(global, "Conventions", "CF-1.8");
    file.text(global, "title", title);
    file.text(global, "source", source);
    file.text(global, "comment",
              "Vertical cutoff rigidities of cosmic-ray protons from scans over the rigidity grid "
              "scan_from_GV + i * scan_step_GV. RL is the lowest allowed rigidity, RU the lowest above which "
              "every scanned rigidity is allowed, Rc = RU minus one step per allowed rigidity below RU. "
              "Where *_place is at_or_below_scan_start the value is the scan's first rigidity, where it is "
              "above_scan_end the cutoff lies above the value.");
    file.text(global, "date", run_time_text(config).substr(0, 10));
    file.text(global, "time", run_time_text(config).substr(11));
    file.integer(global, "field_model_code", config.field_model_code);
    file.text(global, "field_model", field_model_text(config));
    file.text(global, "internal_field", config.internal_field->name);
    file.check(nc_put_att_double(file.id(), global, "model_parameters", NC_DOUBLE, 8, config.parameters.data()));
    file.text(global, "model_parameter_names",
              "pressure_nPa Dst_nT IMF_By_nT IMF_Bz_nT G1 G2 G3 Kp");
    file.number(global, "altitude_km", config.altitude_km);
    file.number(global, "scan_from_GV", grid.from());
    file.number(global, "scan_to_GV", grid.rigidity(grid.count() - 1));
    file.number(global, "scan_step_GV", grid.step());
    file.integer(global, "scan_rigidities", static_cast<int>(grid.count()));
    file.number(global, "latitude_step_degrees", map.latitude_step());
    file.number(global, "longitude_step_degrees", map.longitude_step());
    file.check(nc_enddef(file.id()));

    std::vector<double> values(map.latitude_count());
    for (std::size_t j = 0; j < values.size(); ++j) values[j] = map.latitude(j);
    file.check(nc_put_var_double(file.id(), lat, values.data()));
    values.resize(map.longitude_count());
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = map.longitude(i);
    file.check(nc_put_var_double(file.id(), lon, values.data()));

    values.resize(points.size());
    std::vector<signed char> places(points.size());
    for (const Quantity& q : quantities) {
        for (std::size_t p = 0; p < points.size(); ++p) {
            values[p] = value_of(points[p].*q.member, points[p].failed);
            places[p] = place_of(points[p].*q.member, points[p].failed);
        }
        file.check(nc_put_var_double(file.id(), q.var, values.data()));
        file.check(nc_put_var_schar(file.id(), q.place_var, places.data()));
    }
    std::vector<int> counts(points.size());
    for (std::size_t p = 0; p < points.size(); ++p) {
        counts[p] = points[p].failed ? no_bands : points[p].bands;
    }
    file.check(nc_put_var_int(file.id(), bands, counts.data()));
    return file.close();
}

}  // namespace cones
