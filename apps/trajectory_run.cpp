#include "apps/trajectory_run.hpp"

#include <memory>
#include <ostream>

#include "apps/command_line.hpp"
#include "apps/cones_run.hpp"
#include "apps/scan_program.hpp"
#include "io/engine_inputs.hpp"
#include "io/output_file.hpp"
#include "io/replaced_file.hpp"
#include "io/run_description.hpp"

namespace cones {
namespace {

constexpr CommandOption kStationOption{"station", true};
constexpr CommandOption kRigidityOption{"rigidity", true};

const char* frame_name(OutputFrame frame) {
    switch (frame) {
        case OutputFrame::kGeo: return "GEO";
        case OutputFrame::kGse: return "GSE";
        case OutputFrame::kGsm: break;
    }
    return "GSM";
}

}  // namespace

TrajectoryRequest trajectory_request(int argc, const char* const* argv) {
    const CommandLine line(argc, argv, {kStationOption, kRigidityOption, kIgrfOption, kGeodeticOption, kParticleOption,
                                                 {"output", true, 'o'}});
    TrajectoryRequest request;
    request.configuration_path = configuration_path(line);
    if (const std::optional<std::string> text = line.value(kStationOption.name)) {
        const double station = number_option(kStationOption.name, *text);
        if (!(station >= 1.0 && station <= 1e9 && station == static_cast<double>(static_cast<std::size_t>(station)))) {
            throw UsageError("option --station expects a station entry number from 1, found '" + *text + "'");
        }
        request.station = static_cast<std::size_t>(station);
    }
    if (const std::optional<std::string> text = line.value(kRigidityOption.name)) {
        const double rigidity = number_option(kRigidityOption.name, *text);
        if (!(rigidity > 0.0)) throw UsageError("option --rigidity expects a rigidity above 0 GV, found '" + *text + "'");
        request.rigidity = rigidity;
    }
    if (line.has("output") && line.value("output")->empty()) throw UsageError("option -o needs a file name");
    request.output_path = line.value("output").value_or("");
    request.internal_field = internal_field_of(line);
    request.choices = tracing_choices_of(line);
    return request;
}

std::string trajectory_csv(const TrajectoryPath& path, const std::string& frame) {
    const TraceResult& result = path.result;
    const char* outcome = result.outcome == TraceOutcome::kAllowed     ? "allowed"
                          : result.outcome == TraceOutcome::kForbidden ? "forbidden"
                                                                       : "integration failed";
    std::string text = "# outcome: " + std::string(outcome) + " (" + std::string(trajectory_end_text(path.end)) +
                       ") at t = " + shortest_number(result.time) + " s after " + std::to_string(result.steps) +
                       " integrator calls\n";
    if (result.outcome == TraceOutcome::kAllowed) {
        text += "# asymptotic direction (" + frame + "): latitude " + shortest_number(result.latitude) +
                " degrees, longitude " + shortest_number(result.longitude) + " degrees\n";
    } else {
        text += "# no asymptotic direction: the trajectory did not escape\n";
    }
    text += "t_s,x_geo,y_geo,z_geo,x_gsm,y_gsm,z_gsm,b_nT\n";
    for (const PathPoint& point : path.points) {
        text += shortest_number(point.time);
        for (const double value : {point.geo[0], point.geo[1], point.geo[2], point.gsm[0], point.gsm[1], point.gsm[2],
                                   point.field}) {
            text += ',';
            text += shortest_number(value);
        }
        text += '\n';
    }
    return text;
}

int run_trajectory(const TrajectoryRequest& request, std::ostream& out, std::ostream& errors) {
    const std::optional<RunConfiguration> config = read_scan_configuration(
        request.configuration_path, NeededLists{true, !request.rigidity}, errors, request.internal_field,
        request.choices);
    if (!config) return kExitBadConfiguration;
    if (request.station > config->stations.size()) {
        errors << "trajectory: option --station " << request.station << ": " << request.configuration_path
               << " lists " << config->stations.size() << " station entries\n";
        return kExitBadConfiguration;
    }
    std::unique_ptr<ReplacedFile> file;
    try {
        if (!request.output_path.empty()) file = std::make_unique<ReplacedFile>(request.output_path);
    } catch (const OutputError& error) {
        errors << error.what() << '\n';
        return kExitOutputFailed;
    }

    const EpochState epoch = epoch_of(*config, errors);
    errors << internal_field_span_notice(*config);
    const TraceSettings settings = trace_settings_of(*config, epoch);
    const StationRecord& station = config->stations[request.station - 1];
    const double rigidity = request.rigidity ? *request.rigidity : config->rigidities.front();
    const TrajectoryPath path = trace_path(settings, station_entry(station), traced_motion(settings, rigidity));

    const std::string heading = "# trajectory of station " + std::to_string(request.station) + " (" +
                                trimmed_name(station) + ") at " + shortest_number(rigidity) + " GV, " +
                                run_time_text(*config) + ", " + field_model_text(*config) + ", start altitude " +
                                shortest_number(config->altitude_km) + " km" +
                                tracing_choices_text(*config) + "\n";
    const std::string text = heading + trajectory_csv(path, frame_name(settings.output_frame));
    try {
        if (file) {
            file->commit(text);
        } else {
            out << text << std::flush;
        }
    } catch (const OutputError& error) {
        errors << error.what() << '\n';
        return kExitOutputFailed;
    }
    if (path.result.outcome == TraceOutcome::kIntegrationFailed) {
        errors << "trajectory: the trajectory of station " << trimmed_name(station) << " at rigidity "
               << shortest_number(rigidity)
               << " GV cannot be integrated: the step size fell to its minimum without meeting the tolerances "
                  "(trajectory time "
               << shortest_number(path.result.time) << " s); its path up to there is written.\n";
        return kExitIntegrationFailed;
    }
    return kExitSuccess;
}

}  // namespace cones
