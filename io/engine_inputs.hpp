// The items of "Cones.ini" turned into the engine's physical inputs: the
// output frame, the station entries, the epoch of the date in the chosen
// generation of the reference field, and the tracing settings of a run.
#pragma once

#include <iosfwd>
#include <vector>

#include "geomag/geomag.hpp"
#include "io/config.hpp"
#include "tracing/inputs.hpp"
#include "tracing/trajectory.hpp"

namespace cones {

// The file's output frame code as the engine's frame: 0 GEO, 1 GSE, any other
// code GSM.
OutputFrame output_frame_of_code(int code);

// The place and arrival direction of a station line (the name stays with the
// file's record).
StationEntry station_entry(const StationRecord& station);

// The place and arrival direction of every station line, in file order.
std::vector<StationEntry> station_entries(const RunConfiguration& config);

// Sets the generation of the reference field chosen on the command line
// (nullptr: none chosen, IGRF-12 stays).
void choose_internal_field(RunConfiguration& config, const InternalFieldCoefficients* internal_field);

// Sets the choices of the command line: geodetic latitudes and the particle.
void choose_tracing(RunConfiguration& config, const TracingChoices& choices);

// The epoch of the configured date and time (day and month turned into the
// day of the year) in the configured generation of the reference field. The
// notice of a year outside the model's range goes to `notice`.
EpochState epoch_of(const RunConfiguration& config, std::ostream& notice);

// The run-wide tracing settings of a configuration: the field model with its
// parameters prepared for `epoch` (which must outlive the settings), the start
// radius and altitude, the output frame, the longitude window, and from the
// command line's choices whether latitudes are geodetic and the charge sign.
TraceSettings trace_settings_of(const RunConfiguration& config, const EpochState& epoch);

}  // namespace cones
