#include "io/engine_inputs.hpp"
#include "apps/cones_run.hpp"

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "apps/command_line.hpp"
#include "apps/omni_option.hpp"
#include "tracing/field_selector.hpp"
#include "io/output_file.hpp"
#include "io/run_description.hpp"
#include "tracing/engine.hpp"
#include "tracing/trajectory.hpp"
#include "geomag/geomag.hpp"

namespace cones {

int run_configuration(const RunConfiguration& config, const char* output_path,
                      std::ostream& progress, std::ostream& errors, const EngineOptions& options) {
    // A year outside the field table's range is clamped with a notice; it goes
    // among the progress lines and to the error output, where it is seen.
    std::ostringstream notice;
    const EpochState epoch = epoch_of(config, notice);
    // A date after the span of the reference field is noted as well; among
    // the progress lines only when the generation was chosen, so that a run
    // without options writes exactly the lines it always has.
    const std::string span = internal_field_span_notice(config);
    progress << notice.str() << (config.internal_field_chosen ? span : std::string());
    errors << notice.str() << span;
    return trace_and_write(config, epoch, output_path, progress, errors, options);
}

int trace_and_write(const RunConfiguration& config, const EpochState& epoch,
                    const char* output_path, std::ostream& progress, std::ostream& errors,
                    const EngineOptions& options) {
    const TraceSettings settings = trace_settings_of(config, epoch);
    const std::vector<StationEntry> entries = station_entries(config);
    const std::size_t station_count = entries.size();

    int status = kExitSuccess;
    try {
        OutputFile output(output_path);
        output.write_line(cones_header(config.stations));
        std::string line;
        // Results arrive in file order: rigidity by rigidity, station by
        // station. The progress lines and the table are written as they come,
        // exactly as a run that traces one trajectory after the other.
        const auto write_result = [&](std::size_t index, const TraceResult& result) {
            const double rigidity = config.rigidities[index / station_count];
            const StationRecord& station = config.stations[index % station_count];
            if (index % station_count == 0) {
                line = rigidity_field(rigidity);
                progress << " Rigidity" << fixed_field(rigidity, 7, 2) << " GV ======\n";
            }
            progress << "   " << station.name << '\n';
            check_standard_output(progress);
            if (result.outcome == TraceOutcome::kIntegrationFailed) {
                progress.flush();
                errors << "Cones: the trajectory of station " << trimmed_name(station) << " at rigidity " << rigidity
                       << " GV cannot be integrated: the step size fell to its minimum "
                          "without meeting the tolerances (trajectory time "
                       << result.time << " s). " << output_path
                       << " holds the rigidities completed before this one.\n";
                status = kExitIntegrationFailed;
                return false;
            }
            line += result.outcome == TraceOutcome::kAllowed ? direction_fields(result.latitude, result.longitude)
                                                              : std::string(kForbiddenMarker);
            if (index % station_count == station_count - 1) {
                line += kLineEnd;
                output.write_line(line);
            }
            return true;
        };
        trace_jobs(settings, rigidity_major_jobs(entries, config.rigidities), options, write_result);
        if (status != kExitSuccess) return status;
        output.close();
        progress.flush();
        check_standard_output(progress);
    } catch (const OutputError& error) {
        progress.flush();
        errors << error.what() << '\n';
        return kExitOutputFailed;
    }
    return kExitSuccess;
}

int run_program(std::ostream& progress, std::ostream& errors, const EngineOptions& options,
                const InternalFieldCoefficients* internal_field, const TracingChoices& choices,
                const std::function<void(RunConfiguration&)>& prepare) {
    RunConfiguration config;
    try {
        config = read_configuration("Cones.ini");
        choose_internal_field(config, internal_field);
        choose_tracing(config, choices);
    } catch (const ConfigError& error) {
        errors << error.what() << '\n';
        return kExitBadConfiguration;
    }
    if (prepare) {
        try {
            prepare(config);
        } catch (const std::runtime_error& error) {
            errors << error.what() << '\n';
            return kExitBadConfiguration;
        }
    }
    for (const std::string& warning : parameter_warnings(config, "Cones.ini")) errors << warning << '\n';
    // "Cones.dat" linked to "Cones.ini" would destroy the configuration.
    if (same_file("Cones.dat", "Cones.ini")) {
        errors << "Can not create file Cones.dat: it is the configuration file Cones.ini, which the run reads\n";
        return kExitOutputFailed;
    }
    return run_configuration(config, "Cones.dat", progress, errors, options);
}

}  // namespace cones
