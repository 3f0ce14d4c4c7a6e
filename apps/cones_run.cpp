#include "apps/cones_run.hpp"

#include <ostream>
#include <sstream>
#include <string>

#include "tracing/field_selector.hpp"
#include "io/output_file.hpp"
#include "tracing/trajectory.hpp"
#include "geomag/geomag.hpp"

namespace cones {

int run_configuration(const RunConfiguration& config, const char* output_path,
                      std::ostream& progress, std::ostream& errors) {
    // A year outside the field table's range is clamped with a notice; it goes
    // among the progress lines and to the error output, where it is seen.
    std::ostringstream notice;
    const EpochState epoch =
        set_epoch(config.year, day_of_year(config.day, config.month, config.year), config.hour,
                  config.minute, config.second, notice);
    progress << notice.str();
    errors << notice.str();
    return trace_and_write(config, epoch, output_path, progress, errors);
}

int trace_and_write(const RunConfiguration& config, const EpochState& epoch,
                    const char* output_path, std::ostream& progress, std::ostream& errors) {
    TraceSettings settings;
    settings.field = make_field_context(epoch, field_model_of_code(config.field_model_code), config.parameters);
    settings.start_radius = start_radius(config.altitude_km);
    settings.output_frame = output_frame_of_code(config.output_frame_code);
    settings.longitude_min = config.longitude_min;
    settings.longitude_max = config.longitude_max;

    try {
        OutputFile output(output_path);
        output.write_line(cones_header(config.stations));
        for (const double rigidity : config.rigidities) {
            std::string line = rigidity_field(rigidity);
            progress << " Rigidity" << fixed_field(rigidity, 7, 2) << " GV ======\n";
            const ProtonMotion motion = proton_motion(rigidity);
            for (const StationRecord& station : config.stations) {
                progress << "   " << station.name << '\n';
                const TraceResult result = trace_trajectory(settings, station_entry(station), motion);
                if (result.outcome == TraceOutcome::kIntegrationFailed) {
                    progress.flush();
                    const std::string name = station.name.substr(0, station.name.find_last_not_of(' ') + 1);
                    errors << "Cones: the trajectory of station " << name << " at rigidity " << rigidity
                           << " GV cannot be integrated: the step size fell to its minimum "
                              "without meeting the tolerances (trajectory time "
                           << result.time << " s). " << output_path
                           << " holds the rigidities completed before this one.\n";
                    return kExitIntegrationFailed;
                }
                line += result.outcome == TraceOutcome::kAllowed
                            ? direction_fields(result.latitude, result.longitude)
                            : std::string(kForbiddenMarker);
            }
            line += kLineEnd;
            output.write_line(line);
        }
        output.close();
    } catch (const OutputError& error) {
        progress.flush();
        errors << error.what() << '\n';
        return kExitOutputFailed;
    }
    progress.flush();
    return kExitSuccess;
}

int run_program(std::ostream& progress, std::ostream& errors) {
    RunConfiguration config;
    try {
        config = read_configuration("Cones.ini");
    } catch (const ConfigError& error) {
        errors << error.what() << '\n';
        return kExitBadConfiguration;
    }
    return run_configuration(config, "Cones.dat", progress, errors);
}

}  // namespace cones
