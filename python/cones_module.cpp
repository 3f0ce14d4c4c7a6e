// The compiled part of the Python module "cones": the engine's runs for
// arguments already put in shape by the package's Python layer (numbers,
// flat arrays of float64, a dict of the run-wide arguments), each checked by
// the programs' validation, traced with the GIL released on the engine's
// threads, and handed back as numpy arrays. A pending Python signal (Ctrl-C)
// ends a run within some tens of milliseconds of the next result; nothing is
// handed back then.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/omni_option.hpp"
#include "io/engine_inputs.hpp"
#include "io/cutoff_map_contents.hpp"
#include "io/calendar.hpp"
#include "io/cutoff_table.hpp"
#include "io/omni_file.hpp"
#include "io/run_description.hpp"
#include "models/solar_wind.hpp"
#include "python/run_arguments.hpp"
#include "tracing/cutoff_scan.hpp"
#include "tracing/engine.hpp"
#include "tracing/field_in_frame.hpp"
#include "tracing/lane_kernels.hpp"
#include "tracing/map_grid.hpp"
#include "tracing/trajectory_path.hpp"

namespace py = pybind11;

namespace cones::python {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A trajectory that could not be integrated, where the call cannot go on
// without it (the asymptotic directions of a list).
class IntegrationFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown from a callback of the engine to end a run after a Python signal.
struct Interrupted {};

// Watches for pending Python signals while the engine runs without the GIL:
// at most once per interval it takes the GIL and runs the signal handlers.
// A handler that raises (KeyboardInterrupt) leaves its exception set, to be
// raised once the run has ended.
class SignalWatch {
public:
    // Whether a handler has raised; the caller ends the run.
    bool raised() {
        if (raised_) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now < next_) return false;
        next_ = now + kInterval;
        py::gil_scoped_acquire gil;
        raised_ = PyErr_CheckSignals() != 0;
        return raised_;
    }
    // After the run, with the GIL held: raises the handler's exception.
    void rethrow() const {
        if (raised_) throw py::error_already_set();
    }

private:
    static constexpr std::chrono::milliseconds kInterval{20};
    std::chrono::steady_clock::time_point next_ = std::chrono::steady_clock::now() + kInterval;
    bool raised_ = false;
};

// A configuration with its epoch and tracing settings, set up as the
// programs set them up; it stays where it was made (the settings point to
// the epoch).
struct PreparedRun {
    RunConfiguration config;
    EpochState epoch;
    TraceSettings settings;
    // The notices of the set-up (a year clamped, a date beyond the span of
    // the reference field's generation), one per line.
    std::vector<std::string> notices;
};

std::unique_ptr<PreparedRun> prepare(RunConfiguration config) {
    auto run = std::make_unique<PreparedRun>();
    run->config = std::move(config);
    std::ostringstream notice;
    run->epoch = epoch_of(run->config, notice);
    notice << internal_field_span_notice(run->config);
    std::istringstream lines(notice.str());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) run->notices.push_back(line);
    }
    run->settings = trace_settings_of(run->config, run->epoch);
    return run;
}

RunArguments run_of(const py::dict& given) {
    RunArguments run;
    run.year = given["year"].cast<int>();
    run.month = given["month"].cast<int>();
    run.day = given["day"].cast<int>();
    run.hour = given["hour"].cast<int>();
    run.minute = given["minute"].cast<int>();
    run.second = given["second"].cast<int>();
    run.model = given["model"].cast<std::string>();
    const py::dict parameters = given["parameters"].cast<py::dict>();
    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        const py::str keyword(std::string(kModelInputNames[k].keyword));
        if (parameters.contains(keyword) && !parameters[keyword].is_none()) {
            run.parameters[k] = parameters[keyword].cast<double>();
        }
    }
    run.igrf = given["igrf"].cast<int>();
    run.frame = given["frame"].cast<std::string>();
    run.altitude_km = given["altitude_km"].cast<double>();
    run.longitude_min = given["longitude_min"].cast<double>();
    run.longitude_max = given["longitude_max"].cast<double>();
    run.geodetic = given["geodetic"].cast<bool>();
    run.particle = given["particle"].cast<std::string>();
    return run;
}

// The OMNI files of a call ("omni" in the run's dictionary); empty for none.
std::vector<std::string> omni_files_of(const py::dict& given) {
    if (!given.contains("omni") || given["omni"].is_none()) return {};
    return given["omni"].cast<std::vector<std::string>>();
}

// The configuration of a call (configuration_of), with the driving parameters
// the model reads taken from the call's OMNI files when it has any
// (apply_omni_inputs, as "--omni" does); a problem of the files or of their
// inputs is an ArgumentError naming "omni".
RunConfiguration configured(const py::dict& given, const StationArguments& stations,
                            const std::vector<double>& rigidities, NeededLists needed) {
    RunArguments run = run_of(given);
    const std::vector<std::string> omni = omni_files_of(given);
    // The parameters come from the files: the checks of the call see a value
    // within its range in place of each (the module refuses both at once).
    if (!omni.empty()) {
        for (std::size_t k = 0; k < kModelInputCount; ++k) {
            run.parameters[k] = std::clamp(0.0, kModelInputNames[k].low, kModelInputNames[k].high);
        }
    }
    RunConfiguration config = configuration_of(run, stations, rigidities, needed);
    if (!omni.empty()) {
        try {
            apply_omni_inputs(config, read_omni_files(omni));
        } catch (const std::runtime_error& error) {
            throw ArgumentError("omni", error.what());
        }
    }
    return config;
}

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

std::vector<double> values_of(const Doubles& array) {
    const double* data = array.data();
    return std::vector<double>(data, data + array.size());
}

StationArguments stations_of(const Doubles& latitude, const Doubles& longitude, const Doubles& zenith,
                             const Doubles& azimuth, const std::vector<std::string>& names) {
    return StationArguments{values_of(latitude), values_of(longitude), values_of(zenith), values_of(azimuth), names};
}

EngineOptions engine_options(unsigned threads, unsigned lanes, FieldModel model) {
    try {
        engine_lanes(lanes, model);
    } catch (const std::invalid_argument& error) {
        throw ArgumentError("lanes", error.what());
    }
    EngineOptions options;
    options.threads = threads;
    options.lanes = lanes;
    return options;
}

py::array_t<double> array_of(const std::vector<double>& values, std::vector<py::ssize_t> shape) {
    py::array_t<double> array(shape);
    std::copy(values.begin(), values.end(), array.mutable_data());
    return array;
}

py::list notices_of(const PreparedRun& run) {
    py::list notices;
    for (const std::string& notice : run.notices) notices.append(notice);
    return notices;
}

std::string station_text(const StationArguments& stations, std::size_t i) {
    std::string text = "station " + std::to_string(i);
    if (i < stations.names.size() && !stations.names[i].empty()) text += " (" + stations.names[i] + ")";
    return text;
}

// The merged records of OMNI files as arrays.
py::dict omni_records(const std::vector<std::string>& paths) {
    OmniData data;
    try {
        data = read_omni_files(paths);
    } catch (const std::runtime_error& error) {
        throw ArgumentError("files", error.what());
    }
    const std::size_t count = data.records.size();
    const std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(count)};
    py::array_t<std::int64_t> start(shape);
    py::array_t<std::int32_t> length(shape);
    for (std::size_t i = 0; i < count; ++i) {
        start.mutable_data()[i] = data.records[i].start;
        length.mutable_data()[i] = data.records[i].length;
    }
    py::dict out;
    out["start"] = start;
    out["length"] = length;
    const struct {
        const char* name;
        double SolarWindRecord::*member;
    } columns[] = {{"speed", &SolarWindRecord::speed}, {"density", &SolarWindRecord::density},
                   {"pressure", &SolarWindRecord::pressure}, {"by", &SolarWindRecord::by},
                   {"bz", &SolarWindRecord::bz}, {"dst", &SolarWindRecord::dst},
                   {"sym_h", &SolarWindRecord::sym_h}, {"kp", &SolarWindRecord::kp}};
    for (const auto& column : columns) {
        std::vector<double> values(count);
        for (std::size_t i = 0; i < count; ++i) values[i] = data.records[i].*column.member;
        out[column.name] = array_of(values, shape);
    }
    out["files"] = data.names;
    return out;
}

// The inputs of moments from OMNI files: for each moment (year, month, day,
// hour, minute, second) the eight driving parameters as computed (NaN where
// the records do not give one), the valid records and the records of each,
// and whether Dst is SYM-H. A quantity the model reads that the records
// cannot give is an ArgumentError naming "omni".
py::dict omni_inputs(const std::vector<std::string>& paths, const std::vector<std::vector<int>>& moments,
                     const std::string& model_key) {
    const ModelInputs needed = field_model_description(model_of_key(model_key)).reads;
    OmniData data;
    try {
        data = read_omni_files(paths);
    } catch (const std::runtime_error& error) {
        throw ArgumentError("omni", error.what());
    }
    const std::size_t count = moments.size();
    std::vector<double> values(count * kModelInputCount), valid(values.size()), records(values.size()),
        sym_h(count);
    for (std::size_t m = 0; m < count; ++m) {
        const std::vector<int>& at = moments[m];
        const UtSeconds t = ut_seconds(at[0], day_of_year(at[2], at[1], at[0]), at[3], at[4], at[5]);
        SolarWindInputs inputs;
        try {
            inputs = omni_model_inputs(data, t, needed);
        } catch (const SolarWindGapError& error) {
            throw ArgumentError("omni", error.what());
        }
        for (std::size_t k = 0; k < kModelInputCount; ++k) {
            const SolarWindSource& source = inputs.sources[k];
            values[m * kModelInputCount + k] = source.enough() ? inputs.parameters[k] : kNaN;
            valid[m * kModelInputCount + k] = source.valid;
            records[m * kModelInputCount + k] = source.records;
        }
        sym_h[m] = inputs.dst_is_sym_h ? 1.0 : 0.0;
    }
    const std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(count), static_cast<py::ssize_t>(kModelInputCount)};
    py::dict out;
    out["parameters"] = array_of(values, shape);
    out["valid"] = array_of(valid, shape).attr("astype")("int32");
    out["records"] = array_of(records, shape).attr("astype")("int32");
    out["dst_is_sym_h"] = array_of(sym_h, {static_cast<py::ssize_t>(count)}).attr("astype")("bool");
    return out;
}

// The asymptotic directions of every station entry at every rigidity.
py::dict cone(const py::dict& given, const Doubles& latitude, const Doubles& longitude, const Doubles& zenith,
              const Doubles& azimuth, const std::vector<std::string>& names, const Doubles& rigidity_array,
              unsigned threads, unsigned lanes) {
    const StationArguments stations = stations_of(latitude, longitude, zenith, azimuth, names);
    const std::vector<double> rigidities = values_of(rigidity_array);
    const std::unique_ptr<PreparedRun> run =
        prepare(configured(given, stations, rigidities, NeededLists{true, true}));
    const EngineOptions options = engine_options(threads, lanes, run->settings.field.model);
    const std::vector<StationEntry> entries = station_entries_of(stations);
    const std::size_t count = entries.size() * rigidities.size();
    std::vector<double> allowed(count, 0.0), asymptotic_latitude(count, kNaN), asymptotic_longitude(count, kNaN);
    std::optional<std::size_t> failed;
    SignalWatch signals;
    {
        py::gil_scoped_release released;
        trace_jobs(run->settings, rigidity_major_jobs(entries, rigidities), options,
                   [&](std::size_t index, const TraceResult& result) {
                       if (result.outcome == TraceOutcome::kIntegrationFailed) {
                           failed = index;
                           return false;
                       }
                       if (result.outcome == TraceOutcome::kAllowed) {
                           allowed[index] = 1.0;
                           asymptotic_latitude[index] = result.latitude;
                           asymptotic_longitude[index] = result.longitude;
                       }
                       return !signals.raised();
                   });
    }
    signals.rethrow();
    if (failed) {
        const std::size_t station = *failed % entries.size();
        throw IntegrationFailure("the trajectory of " + station_text(stations, station) + " at rigidity " +
                                 shortest_number(rigidities[*failed / entries.size()]) +
                                 " GV cannot be integrated: the step size fell to its minimum without meeting the "
                                 "tolerances");
    }
    const std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(rigidities.size()),
                                         static_cast<py::ssize_t>(entries.size())};
    py::dict out;
    out["allowed"] = array_of(allowed, shape).attr("astype")("bool");
    out["latitude"] = array_of(asymptotic_latitude, shape);
    out["longitude"] = array_of(asymptotic_longitude, shape);
    out["notices"] = notices_of(*run);
    return out;
}

ScanGrid scan_grid_of(double from, double to, double step) {
    try {
        return make_scan_grid(from, to, step);
    } catch (const std::invalid_argument& error) {
        throw ArgumentError("rigidity_from, rigidity_to, rigidity_step",
                            std::string(error.what()) + ", found " + shortest_number(from) + ", " +
                                shortest_number(to) + ", " + shortest_number(step));
    }
}

// Scans entries over a grid on the engine, ending the scan after a Python
// signal; each entry's cutoffs in entry order.
std::vector<EntryCutoffs> scan(const PreparedRun& run, const std::vector<StationEntry>& entries, const ScanGrid& grid,
                               const EngineOptions& engine, bool adaptive) {
    std::vector<EntryCutoffs> cutoffs;
    cutoffs.reserve(entries.size());
    SignalWatch signals;
    try {
        py::gil_scoped_release released;
        CutoffScanOptions options;
        options.threads = engine.threads;
        options.lanes = engine.lanes;
        options.mode = adaptive ? ScanMode::kAdaptive : ScanMode::kFull;
        options.on_progress = [&](std::size_t) {
            if (signals.raised()) throw Interrupted{};
        };
        scan_cutoffs(run.settings, entries, grid, options,
                     [&](std::size_t, const EntryCutoffs& entry) { cutoffs.push_back(entry); });
    } catch (const Interrupted&) {
    }
    signals.rethrow();
    return cutoffs;
}

// The cutoffs of every station entry over a scan grid.
py::dict cutoff(const py::dict& given, const Doubles& latitude, const Doubles& longitude, const Doubles& zenith,
                const Doubles& azimuth, const std::vector<std::string>& names, double from, double to, double step,
                bool adaptive, unsigned threads, unsigned lanes) {
    const StationArguments stations = stations_of(latitude, longitude, zenith, azimuth, names);
    const std::unique_ptr<PreparedRun> run =
        prepare(configured(given, stations, {}, NeededLists{true, false}));
    const ScanGrid grid = scan_grid_of(from, to, step);
    const EngineOptions options = engine_options(threads, lanes, run->settings.field.model);
    const std::vector<EntryCutoffs> cutoffs = scan(*run, station_entries_of(stations), grid, options, adaptive);

    const std::size_t count = cutoffs.size();
    const std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(count)};
    py::dict out;
    const struct {
        const char* name;
        const Cutoff EntryCutoffs::*member;
    } quantities[] = {{"RL", &EntryCutoffs::lower}, {"RU", &EntryCutoffs::upper}, {"Rc", &EntryCutoffs::effective}};
    for (const auto& q : quantities) {
        std::vector<double> values(count), places(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double value = map_value_of(cutoffs[i].*q.member, cutoffs[i].failed);
            values[i] = value == kMapMissingRigidity ? kNaN : value;
            places[i] = map_place_of(cutoffs[i].*q.member, cutoffs[i].failed);
        }
        out[q.name] = array_of(values, shape);
        out[(std::string(q.name) + "_place").c_str()] = array_of(places, shape).attr("astype")("int8");
    }
    std::vector<double> bands(count), failed_rigidity(count, kNaN);
    py::list failures;
    for (std::size_t i = 0; i < count; ++i) {
        bands[i] = map_bands_of(cutoffs[i]);
        if (cutoffs[i].failed) {
            failed_rigidity[i] = cutoffs[i].failed_rigidity;
            failures.append("the trajectory of " + station_text(stations, i) + " at rigidity " +
                            shortest_number(cutoffs[i].failed_rigidity) +
                            " GV cannot be integrated; its cutoffs are marked integration_failed");
        }
    }
    out["bands"] = array_of(bands, shape).attr("astype")("int32");
    out["failed_rigidity"] = array_of(failed_rigidity, shape);
    std::string table = cutoff_table_heading(run->config, grid);
    for (std::size_t i = 0; i < count; ++i) table += cutoff_table_row(run->config.stations[i], cutoffs[i], grid);
    out["table"] = table;
    out["scan"] = py::make_tuple(grid.from(), grid.rigidity(grid.count() - 1), grid.step(), grid.count());
    out["parameters"] = array_of(std::vector<double>(run->config.parameters.begin(),
                                                     run->config.parameters.begin() + kModelInputCount),
                                 {static_cast<py::ssize_t>(kModelInputCount)});
    out["parameters_source"] = run->config.parameters_source;
    out["notices"] = notices_of(*run);
    out["failures"] = failures;
    return out;
}

const char* numpy_type(MapType type) {
    switch (type) {
        case MapType::kText:
        case MapType::kDouble: return "float64";
        case MapType::kInt: return "int32";
        case MapType::kByte: break;
    }
    return "int8";
}

py::list attributes_of(const std::vector<MapAttribute>& attributes) {
    py::list out;
    for (const MapAttribute& attribute : attributes) {
        py::object value;
        if (attribute.type == MapType::kText) {
            value = py::str(attribute.text);
        } else {
            const py::object numbers =
                array_of(attribute.numbers, {static_cast<py::ssize_t>(attribute.numbers.size())})
                    .attr("astype")(numpy_type(attribute.type));
            value = attribute.numbers.size() == 1 ? numbers.attr("__getitem__")(0) : numbers;
        }
        out.append(py::make_tuple(attribute.name, value));
    }
    return out;
}

// The vertical cutoffs of every point of a world grid, as the map file holds them.
py::dict cutoff_map(const py::dict& given, double latitude_step, double longitude_step, double from, double to,
                    double step, bool adaptive, unsigned threads, unsigned lanes) {
    const std::unique_ptr<PreparedRun> run = prepare(configured(given, {}, {}, NeededLists{false, false}));
    std::optional<MapGrid> map;
    try {
        map = make_map_grid(latitude_step, longitude_step);
    } catch (const std::invalid_argument& error) {
        throw ArgumentError("lat_step, lon_step", std::string(error.what()) + ", found " +
                                                      shortest_number(latitude_step) + ", " +
                                                      shortest_number(longitude_step));
    }
    const ScanGrid grid = scan_grid_of(from, to, step);
    const EngineOptions options = engine_options(threads, lanes, run->settings.field.model);
    std::vector<StationEntry> entries(map->point_count());
    for (std::size_t p = 0; p < entries.size(); ++p) entries[p] = map->entry(p);
    const std::vector<EntryCutoffs> points = scan(*run, entries, grid, options, adaptive);

    const CutoffMapContents contents =
        cutoff_map_contents(run->config, *map, grid, cutoff_map_title(run->config),
                            std::string("cones Python module ") + program_version(), points);
    py::list variables;
    for (const MapVariable& variable : contents.variables) {
        std::vector<py::ssize_t> shape;
        for (const std::string& dimension : variable.dimensions) {
            shape.push_back(static_cast<py::ssize_t>(dimension == "lat" ? contents.latitudes : contents.longitudes));
        }
        variables.append(py::make_tuple(variable.name, py::cast(variable.dimensions),
                                        array_of(variable.values, shape).attr("astype")(numpy_type(variable.type)),
                                        attributes_of(variable.attributes)));
    }
    std::size_t failed = 0;
    for (const EntryCutoffs& point : points) failed += point.failed ? 1 : 0;
    py::dict out;
    out["variables"] = variables;
    out["attributes"] = attributes_of(contents.attributes);
    out["notices"] = notices_of(*run);
    out["failed_points"] = failed;
    return out;
}

// One trajectory's path.
py::dict trajectory(const py::dict& given, double latitude, double longitude, double zenith, double azimuth,
                    double rigidity) {
    const StationArguments stations{{latitude}, {longitude}, {zenith}, {azimuth}, {}};
    const std::unique_ptr<PreparedRun> run =
        prepare(configuration_of(run_of(given), stations, {rigidity}, NeededLists{true, true}));
    TrajectoryPath path;
    {
        py::gil_scoped_release released;
        path = trace_path(run->settings, station_entries_of(stations).front(), traced_motion(run->settings, rigidity));
    }
    const std::size_t count = path.points.size();
    std::vector<double> time(count), gsm(3 * count), geo(3 * count), field(count);
    for (std::size_t i = 0; i < count; ++i) {
        const PathPoint& point = path.points[i];
        time[i] = point.time;
        for (std::size_t k = 0; k < 3; ++k) {
            gsm[3 * i + k] = point.gsm[k];
            geo[3 * i + k] = point.geo[k];
        }
        field[i] = point.field;
    }
    const py::ssize_t n = static_cast<py::ssize_t>(count);
    const bool allowed = path.result.outcome == TraceOutcome::kAllowed;
    py::dict out;
    out["t_s"] = array_of(time, {n});
    out["gsm"] = array_of(gsm, {n, 3});
    out["geo"] = array_of(geo, {n, 3});
    out["b_nt"] = array_of(field, {n});
    out["outcome"] = allowed ? "allowed"
                     : path.result.outcome == TraceOutcome::kForbidden ? "forbidden"
                                                                       : "integration_failed";
    out["end"] = std::string(trajectory_end_key(path.end));
    out["end_text"] = std::string(trajectory_end_text(path.end));
    out["latitude"] = allowed ? path.result.latitude : kNaN;
    out["longitude"] = allowed ? path.result.longitude : kNaN;
    out["steps"] = path.result.steps;
    out["notices"] = notices_of(*run);
    return out;
}

// The total field at points of a frame.
py::dict magfield(const py::dict& given, const Doubles& x_array, const Doubles& y_array, const Doubles& z_array,
                  const std::string& frame_name) {
    const std::unique_ptr<PreparedRun> run = prepare(configuration_of(run_of(given), {}, {}, NeededLists{false, false}));
    const OutputFrame frame = frame_of_name(frame_name, "frame");
    const std::vector<double> x = values_of(x_array), y = values_of(y_array), z = values_of(z_array);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double r = std::sqrt(x[i] * x[i] + y[i] * y[i] + z[i] * z[i]);
        if (!(r >= 1.0) || !std::isfinite(r)) {
            throw ArgumentError("x, y, z", "expected points at or above the Earth's surface (r >= 1 Earth radius, "
                                           "finite), found point " + std::to_string(i) + " at (" +
                                               shortest_number(x[i]) + ", " + shortest_number(y[i]) + ", " +
                                               shortest_number(z[i]) + "), r = " + shortest_number(r));
        }
    }
    std::vector<double> b(3 * x.size());
    SignalWatch signals;
    {
        py::gil_scoped_release released;
        for (std::size_t i = 0; i < x.size(); ++i) {
            field_in_frame(run->settings.field, frame, x[i], y[i], z[i], b[3 * i], b[3 * i + 1], b[3 * i + 2]);
            if (i % 1024 == 1023 && signals.raised()) break;
        }
    }
    signals.rethrow();
    py::dict out;
    out["b"] = array_of(b, {static_cast<py::ssize_t>(x.size()), 3});
    out["notices"] = notices_of(*run);
    return out;
}

py::list field_models() {
    py::list rows;
    for (const FieldModelDescription& row : field_model_descriptions()) {
        py::list reads;
        for (std::size_t k = 0; k < kModelInputCount; ++k) {
            if (row.reads.has(static_cast<ModelInput>(k))) reads.append(std::string(kModelInputNames[k].keyword));
        }
        py::dict description;
        description["key"] = std::string(row.key);
        description["name"] = std::string(row.name);
        description["code"] = row.any_other_code ? py::object(py::none()) : py::object(py::int_(row.code));
        description["reads"] = reads;
        description["fills_lanes"] = row.fills_lanes;
        rows.append(description);
    }
    return rows;
}

py::list model_inputs() {
    py::list inputs;
    for (const ModelInputName& input : kModelInputNames) {
        inputs.append(py::make_tuple(std::string(input.keyword), std::string(input.name), std::string(input.unit)));
    }
    return inputs;
}

}  // namespace
}  // namespace cones::python

PYBIND11_MODULE(_cones, m) {
    using namespace cones::python;
    m.doc() = "The compiled engine of the cones package; call the functions of the package itself.";
    static py::exception<IntegrationFailure> integration_error(m, "IntegrationError", PyExc_RuntimeError);
    py::register_exception_translator([](std::exception_ptr error) {
        try {
            if (error) std::rethrow_exception(error);
        } catch (const ArgumentError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        } catch (const ArgumentTypeError& e) {
            PyErr_SetString(PyExc_TypeError, e.what());
        } catch (const IntegrationFailure& e) {
            integration_error(e.what());
        }
    });
    m.def("cone", &cone);
    m.def("cutoff", &cutoff);
    m.def("cutoff_map", &cutoff_map);
    m.def("trajectory", &trajectory);
    m.def("magfield", &magfield);
    m.def("field_models", &field_models);
    m.def("model_inputs", &model_inputs);
    m.def("omni_records", &omni_records);
    m.def("omni_inputs", &omni_inputs);
    m.def("lane_widths", &cones::lane_widths);
    m.def("hardware_threads", [] { return cones::engine_threads(0); });
    m.attr("__version__") = cones::program_version();
}
