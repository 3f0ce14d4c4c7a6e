// What the scanning programs (cutoffs and cutoff-map) share on their command
// line and in their set-up: the scan grid and map grid options, the thread
// count, and the configuration file named by its own path in messages.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "apps/command_line.hpp"
#include "io/config.hpp"
#include "tracing/cutoff_scan.hpp"
#include "tracing/map_grid.hpp"

namespace cones {

// Defaults of the scan grid options, GV.
inline constexpr double kDefaultScanFrom = 0.10;
inline constexpr double kDefaultScanTo = 20.00;
inline constexpr double kDefaultScanStep = 0.01;

// The smallest step of a scan, GV: the cutoffs are printed with as many
// decimals as the start and the step need, up to six, so every rigidity of a
// scan shows as a number of its own.
inline constexpr double kSmallestScanStep = 0.001;

// The options of the scan grid, for a CommandLine.
inline constexpr CommandOption kFromOption{"from", true};
inline constexpr CommandOption kToOption{"to", true};
inline constexpr CommandOption kStepOption{"step", true};

// The scan grid of a command line.
// Given:    line  with "--from", "--to" and "--step" in GV, each optional.
// Returned: the grid, with the defaults 0.10, 20.00 and 0.01 GV.
// Notes:    throws UsageError naming the option for a value that is not a
//           number, a start below kLowestRigidity (0.01 GV), a step below
//           kSmallestScanStep (0.001 GV), a start at or above the end, or a
//           grid of more than kMaxScanRigidities rigidities.
ScanGrid scan_grid_option(const CommandLine& line);

// How the scan runs through each entry's grid: "--scan full" traces every
// grid rigidity, "--scan adaptive" (the default) what the adaptive scan needs.
inline constexpr CommandOption kScanOption{"scan", true};

// The scan mode of a command line.
// Given:    line  with "--scan full" or "--scan adaptive", optional.
// Returned: the mode, adaptive when not given.
// Notes:    throws UsageError naming the option for any other value.
ScanMode scan_mode_option(const CommandLine& line);

// Defaults of the map grid options, degrees.
inline constexpr double kDefaultMapStep = 5.0;
inline constexpr CommandOption kLatitudeStepOption{"lat-step", true};
inline constexpr CommandOption kLongitudeStepOption{"lon-step", true};

// The map grid of a command line.
// Given:    line  with "--lat-step" and "--lon-step" in degrees, each optional.
// Returned: the grid, with the default of 5 degrees each.
// Notes:    throws UsageError naming the option for a value that is not a
//           number, not above 0, or does not divide 180 (latitude) or 360
//           (longitude) degrees into whole steps, and for a grid of more than
//           kMaxMapPoints points.
MapGrid map_grid_option(const CommandLine& line);

// The one optional positional argument: the path of the configuration file,
// "Cones.ini" when not given. Throws UsageError for more than one.
std::string configuration_path(const CommandLine& line);

// A configuration error as cones reports it, but naming `path` where it is
// not "Cones.ini" ("site.ini, line 5: ..."), and a file that cannot be opened
// by the path given with the system's reason ("Can not open file site.ini:
// No such file or directory").
std::string configuration_message(const ConfigError& error, const std::string& path);

// Reads and validates a configuration file.
// Given:    path  the file; needed  the lists the program traces;
//           errors  where a configuration error is reported;
//           internal_field  the generation of the reference field chosen on
//           the command line, or nullptr (IGRF-12); choices  those of
//           "--geodetic" and "--particle";
//           prepare  called on the valid configuration before its
//           warnings are made (it puts OMNI inputs in, say); may be empty.
// Returned: the configuration, or nothing after reporting an error (in the
//           words of configuration_message, or the what() of a
//           std::runtime_error from `prepare`). The configuration's warnings
//           (configuration_warnings, naming `path`; omni_input_warnings for
//           parameters that came from OMNI files) go to `errors` too.
std::optional<RunConfiguration> read_scan_configuration(
    const std::string& path, NeededLists needed, std::ostream& errors,
    const InternalFieldCoefficients* internal_field = nullptr, const TracingChoices& choices = {},
    const std::function<void(RunConfiguration&)>& prepare = {});

}  // namespace cones
