// The model inputs of a run from OMNI solar-wind files ("--omni FILE,..."):
// the files read and merged once, the driving parameters of the configured
// field model at a moment put into the configuration, and the line that says
// which values were used.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/command_line.hpp"
#include "io/config.hpp"
#include "io/omni_file.hpp"
#include "models/solar_wind.hpp"

namespace cones {

// "--omni FILE[,FILE...]": the OMNI files the driving parameters come from.
inline constexpr CommandOption kOmniOption{"omni", true};

// The files of "--omni", in the order given.
// Returned: nothing when the option is not given.
// Notes:    throws UsageError for an empty list or an empty name in it
//           ("a.dat,,b.dat").
std::optional<std::vector<std::string>> omni_files_option(const CommandLine& line);

// Reads and merges the OMNI files (read_omni_file, merge_omni_files); throws
// OmniFileError naming the file and line at fault.
OmniData read_omni_files(const std::vector<std::string>& paths);

// Driving parameters that cannot be taken from the OMNI records at a moment:
// too few valid records for a quantity the model reads, or a value outside
// the range in which the model is used. what() names the files, the time and
// the quantity.
class ModelInputsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The moment of the configured date and time.
UtSeconds configured_moment(const RunConfiguration& config);

// Sets the configured date and time to a moment.
// Given:    t  seconds since 1900-01-01 00:00:00 UT, years 1900 to 9999.
void set_configured_moment(RunConfiguration& config, UtSeconds t);

// The driving parameters the configured field model reads, from OMNI records
// at the configured date and time (omni_model_inputs), put into
// config.parameters; config.parameters_source names the files (and says
// where Dst is SYM-H).
// Given:    config  a valid configuration; data  the merged records.
// Returned: the inputs as computed (all eight where the records give them).
// Notes:    each value the model reads is rounded to the resolution of its
//           column in the files (pressure, By and Bz 0.01 nPa and nT, Dst
//           0.1 nT, G1 to G3 0.001, Kp 0.1) before use, so that the values
//           printed are the values traced and a Cones.ini holding them gives
//           the same results. Values the model does not read keep the file's.
//           Throws ModelInputsError for a quantity the model reads with too
//           few valid records (the message of SolarWindGapError) or outside
//           its range (kModelInputNames), naming the files and the time.
SolarWindInputs apply_omni_inputs(RunConfiguration& config, const OmniData& data);

// The values a run uses, for standard error: "model inputs at 2024-05-10
// 12:00:00 UT from OMNI omni2.dat: P 1.13 nPa, Dst -1 nT, ..." for the
// parameters the configured model reads (", Dst is SYM-H" where it is), with
// its line end.
std::string model_inputs_line(const RunConfiguration& config, const SolarWindInputs& inputs);

// What a run at its configured moment does with "--omni": reads the files,
// puts the inputs in (apply_omni_inputs) and writes model_inputs_line to
// `errors`, prefixed by "<speaker>: ".
// Returned: an empty function when `files` is nothing; the function throws
//           OmniFileError or ModelInputsError.
std::function<void(RunConfiguration&)> omni_preparation(const std::optional<std::vector<std::string>>& files,
                                                        const std::string& speaker, std::ostream& errors);

// The warnings of OMNI inputs outside the ranges of the data the model was
// fitted to (T96), one line each: "<source> at <time>: warning: ...".
std::vector<std::string> omni_input_warnings(const RunConfiguration& config);

// The warnings of a run's driving parameters: configuration_warnings naming
// `file_name` for the file's own values, omni_input_warnings for values
// taken from OMNI files.
std::vector<std::string> parameter_warnings(const RunConfiguration& config, const std::string& file_name);

}  // namespace cones
