// The command line of the programs: options parsed in one place, the usage
// text and the version printed the same way by every program, and one outer
// handler that turns any failure into a message and an exit status.
#pragma once

#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "geomag/internal_field_coefficients.hpp"
#include "io/config.hpp"
#include "tracing/engine.hpp"

namespace cones {

// A command line that cannot be used: what() says what is wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One option a program accepts: "--name" alone, or "--name VALUE" /
// "--name=VALUE" when it takes a value. `short_name` is an optional one-letter
// alias ('o' for "-o FILE"), 0 for none.
struct CommandOption {
    std::string_view name;
    bool takes_value = false;
    char short_name = 0;
};

// The parsed command line. Unknown options, a missing value, a value given to
// a flag and an option given twice are UsageErrors; "--" ends the options.
class CommandLine {
public:
    CommandLine(int argc, const char* const* argv, std::initializer_list<CommandOption> options);

    bool has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
    // The option's value, or nothing when it was not given.
    std::optional<std::string> value(std::string_view name) const;
    const std::vector<std::string>& positional() const { return positional_; }

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> positional_;
};

// The value of a numeric option: the whole text must be the number.
// `option` names it in the message of a UsageError.
double number_option(std::string_view option, const std::string& text);

// The value of a numeric option of the command line, or `fallback` when the
// option was not given.
double number_option_or(const CommandLine& line, const CommandOption& option, double fallback);

// The options every tracing program takes: "--threads N" and "--lanes W".
inline constexpr CommandOption kThreadsOption{"threads", true};
inline constexpr CommandOption kLanesOption{"lanes", true};

// A thread count from "--threads": a whole number from 1 to 4096.
unsigned threads_option(const std::string& text);

// The thread count of "--threads N", 0 (all hardware threads) when not given.
unsigned threads_of(const CommandLine& line);

// The lane width of "--lanes W", 0 (the field model's best) when not given.
unsigned lanes_of(const CommandLine& line);

// The option that chooses the generation of the reference field.
inline constexpr CommandOption kIgrfOption{"igrf", true};

// The generation of "--igrf N" (12, 13 or 14), or nullptr when not given.
// Throws UsageError for any other value.
const InternalFieldCoefficients* internal_field_of(const CommandLine& line);

// The options that say how stations are read and which particle is traced.
inline constexpr CommandOption kGeodeticOption{"geodetic", false};
inline constexpr CommandOption kParticleOption{"particle", true};

// The help lines of these two options, for each program's usage text.
#define CONES_TRACING_OPTIONS_USAGE                                                 \
    "  --geodetic    station (or map grid) latitudes are geodetic (WGS-84) and the\n" \
    "                start altitude lies above the ellipsoid along its normal;\n"    \
    "                zenith and azimuth are taken from that normal and geodetic\n"   \
    "                north\n"                                                         \
    "  --particle P  the particle: proton (default), antiproton, electron,\n"        \
    "                positron, alpha, helium-3, or Z,A (charge and mass number:\n"  \
    "                2,4); rigidities stay in GV, and every particle is traced as\n" \
    "                the proton of its charge sign at the same rigidity.\n"

// The choices of "--geodetic" and "--particle NAME" (particle_of_name):
// geocentric latitudes and the proton when not given. Throws UsageError for a
// name that is no particle.
TracingChoices tracing_choices_of(const CommandLine& line);

// A lane width from "--lanes": one of the widths this processor runs (1, the
// scalar path; 2; 4 with AVX2; 8 with AVX-512).
unsigned lanes_option(const std::string& text);

// The notice of a run that the system let start fewer tracing threads than
// asked for (a memory or process limit), for EngineOptions::on_fewer_threads:
// "<speaker>: only S of the N tracing threads asked for could be started
// (<reason>); the run goes on with S, with the same results" (with none:
// "... goes on on the program's own thread ..."), written to `errors` once,
// however many runs the engine makes.
FewerThreadsNotice fewer_threads_notice(const std::string& speaker, std::ostream& errors);

// What a program says about itself.
struct ProgramInfo {
    const char* name;   // as typed by the user
    const char* usage;  // the whole --help text
};

// Throws OutputError "Can not write standard output: <reason>" when `out`
// has failed (a full disk, a closed pipe, a file-size limit), with the
// system's reason for the failed write. Every write to standard output is
// checked by it, so that a lost table or progress line is never a success.
void check_standard_output(const std::ostream& out);

// The version of the programs, set by the build.
const char* program_version();

// Runs a program: "--help" prints the usage text and "--version" the version
// (both on `out`, exit status 0); otherwise `body` runs. A UsageError is
// reported as "<name>: <message>" and a hint to --help on `err`, exit status
// 1; an OutputError as its message, exit status 2; any other exception as
// "<name>: <message>", exit status 4. At the end `out` is flushed, and a
// failed write to it turns a success into an OutputError. A file-size limit
// (SIGXFSZ) no longer ends the process: the write beyond it fails with an
// error, reported as a full disk is.
int run_program_main(const ProgramInfo& info, int argc, const char* const* argv, std::ostream& out,
                     std::ostream& err, const std::function<int(int, const char* const*)>& body);

}  // namespace cones
