// The whole run: read "Cones.ini", set up the epoch, trace every rigidity and
// station entry, write "Cones.dat" and the progress lines.
#pragma once

#include <functional>
#include <iosfwd>

#include "io/calendar.hpp"
#include "io/config.hpp"
#include "geomag/geomag.hpp"
#include "tracing/engine.hpp"

namespace cones {

// Exit statuses of the program.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBadConfiguration = 1;
inline constexpr int kExitOutputFailed = 2;
inline constexpr int kExitIntegrationFailed = 3;

// Traces a validated configuration: sets up the epoch (its year notice goes to
// `progress` and to `errors`; the notice of a date after the span of the
// reference field's generation to `errors`, and to `progress` too when the
// generation was chosen), writes "Cones.dat" at `output_path` and the
// progress lines. Returns the exit status; failures are reported on `errors`.
// `options` give the tracing threads and lanes (by default all hardware
// threads and the widest lanes); the output is the same for every choice.
int run_configuration(const RunConfiguration& config, const char* output_path,
                      std::ostream& progress, std::ostream& errors, const EngineOptions& options = {});

// The tracing part of run_configuration, for an epoch already set up: writes
// "Cones.dat" at `output_path` and the progress lines, and returns the exit
// status. If a trajectory cannot be integrated, the lines of the rigidities
// completed before it stay in the file and the failure is reported on `errors`.
int trace_and_write(const RunConfiguration& config, const EpochState& epoch,
                    const char* output_path, std::ostream& progress, std::ostream& errors,
                    const EngineOptions& options = {});

// The program: reads "Cones.ini" in the current directory and runs it, in
// the generation of the reference field `internal_field` (nullptr: IGRF-12,
// not chosen) with the command line's `choices` (geodetic, particle). Returns the exit status; nothing is written to "Cones.dat"
// unless the configuration is valid and "Cones.dat" is not "Cones.ini" itself
// (a link to it, say). The configuration's warnings go to `errors`.
// `prepare` (may be empty) is called on the valid configuration before it is
// traced (it puts OMNI inputs in, say); a std::runtime_error from it is
// reported as a configuration error (exit status 1, nothing traced).
int run_program(std::ostream& progress, std::ostream& errors, const EngineOptions& options = {},
                const InternalFieldCoefficients* internal_field = nullptr, const TracingChoices& choices = {},
                const std::function<void(RunConfiguration&)>& prepare = {});

}  // namespace cones
