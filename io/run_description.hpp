// Short texts that say what a run traced: its date and time and its field
// model with the parameters that model reads, for the headings of tables,
// charts and map files.
#pragma once

#include <string>

#include "io/config.hpp"

namespace cones {

// The date and universal time of the run.
// Given:    config  the run's configuration.
// Returned: "2010-01-01 00:00:00 UT".
std::string run_time_text(const RunConfiguration& config);

// The field model and the driving parameters it reads.
// Given:    config  the run's configuration.
// Returned: the code, the model with its generation of the reference field
//           and its parameters: "field model 10 (IGRF-12)", "field model 0
//           (dipole of IGRF-14)", "field model 89 (IGRF-13 + T89, Kp 2)",
//           "field model 96 (IGRF-12 + T96, P 2 nPa, Dst -10 nT, By 0 nT,
//           Bz -2 nT)"; parameters taken from elsewhere end with their
//           source: "..., Kp 3.7; from OMNI omni2_2024.dat)".
// Notes:    numbers are written in their shortest form that reads back the
//           same.
//           With `with_values` false the parameters are left out
//           ("field model 3 (IGRF-14 + storm-time T01; from OMNI a.dat)"),
//           for runs whose parameters change from moment to moment.
std::string field_model_text(const RunConfiguration& config, bool with_values = true);

// What the command line chose beyond the file, for titles.
// Given:    config  the run's configuration (its choices).
// Returned: "" for geocentric latitudes and protons; otherwise
//           "; geodetic latitudes and altitude (WGS-84)" and/or
//           "; particle alpha" (particle_name).
std::string tracing_choices_text(const RunConfiguration& config);

// The notice of a date after the span of the configured generation of the
// reference field.
// Given:    config  the run's configuration (its date and generation).
// Returned: "" when the date lies within the span (to 1 January 2020 for
//           IGRF-12, 2025 for IGRF-13, 2030 for IGRF-14); otherwise one line
//           (ending in a line feed) that says how many years beyond it lies
//           and names the newer generation to use.
std::string internal_field_span_notice(const RunConfiguration& config);

// A number in its shortest decimal form that reads back as the same double.
std::string shortest_number(double value);

// A number rounded to `decimals` decimals ("%.*f"), with no padding.
std::string fixed_number(double value, int decimals);

}  // namespace cones
