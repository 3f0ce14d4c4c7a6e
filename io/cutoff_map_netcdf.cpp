#include "io/cutoff_map_netcdf.hpp"

#include <netcdf.h>
#include <netcdf_mem.h>

#include <cstdlib>

#include <vector>

#include "io/output_file.hpp"

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
    int variable(const char* name, nc_type type, const std::vector<int>& dims) {
        int var = 0;
        check(nc_def_var(id_, name, type, static_cast<int>(dims.size()), dims.data(), &var));
        return var;
    }
    void text(int var, const char* name, const std::string& value) {
        check(nc_put_att_text(id_, var, name, value.size(), value.c_str()));
    }
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

nc_type stored_type(MapType type) {
    switch (type) {
        case MapType::kText: return NC_CHAR;
        case MapType::kDouble: return NC_DOUBLE;
        case MapType::kInt: return NC_INT;
        case MapType::kByte: break;
    }
    return NC_BYTE;
}

void write_attribute(NetcdfFile& file, int var, const MapAttribute& attribute) {
    const char* name = attribute.name.c_str();
    const std::vector<double>& numbers = attribute.numbers;
    switch (attribute.type) {
        case MapType::kText: file.text(var, name, attribute.text); return;
        case MapType::kDouble:
            file.check(nc_put_att_double(file.id(), var, name, NC_DOUBLE, numbers.size(), numbers.data()));
            return;
        case MapType::kInt: {
            const std::vector<int> values(numbers.begin(), numbers.end());
            file.check(nc_put_att_int(file.id(), var, name, NC_INT, values.size(), values.data()));
            return;
        }
        case MapType::kByte: {
            const std::vector<signed char> values(numbers.begin(), numbers.end());
            file.check(nc_put_att_schar(file.id(), var, name, NC_BYTE, values.size(), values.data()));
            return;
        }
    }
}

void write_values(NetcdfFile& file, int var, const MapVariable& variable) {
    const std::vector<double>& values = variable.values;
    switch (variable.type) {
        case MapType::kText:
        case MapType::kDouble: file.check(nc_put_var_double(file.id(), var, values.data())); return;
        case MapType::kInt: {
            const std::vector<int> stored(values.begin(), values.end());
            file.check(nc_put_var_int(file.id(), var, stored.data()));
            return;
        }
        case MapType::kByte: {
            const std::vector<signed char> stored(values.begin(), values.end());
            file.check(nc_put_var_schar(file.id(), var, stored.data()));
            return;
        }
    }
}

}  // namespace

std::string cutoff_map_netcdf(const RunConfiguration& config, const MapGrid& map, const ScanGrid& grid,
                              const std::string& title, const std::string& source,
                              std::span<const EntryCutoffs> points) {
    const CutoffMapContents contents = cutoff_map_contents(config, map, grid, title, source, points);
    NetcdfFile file;
    const int lat_dim = file.dimension("lat", contents.latitudes);
    const int lon_dim = file.dimension("lon", contents.longitudes);
    std::vector<int> vars;
    for (const MapVariable& variable : contents.variables) {
        std::vector<int> dims;
        for (const std::string& dimension : variable.dimensions) dims.push_back(dimension == "lat" ? lat_dim : lon_dim);
        const int var = file.variable(variable.name.c_str(), stored_type(variable.type), dims);
        for (const MapAttribute& attribute : variable.attributes) write_attribute(file, var, attribute);
        vars.push_back(var);
    }
    for (const MapAttribute& attribute : contents.attributes) write_attribute(file, NC_GLOBAL, attribute);
    file.check(nc_enddef(file.id()));
    for (std::size_t v = 0; v < vars.size(); ++v) write_values(file, vars[v], contents.variables[v]);
    return file.close();
}

}  // namespace cones
