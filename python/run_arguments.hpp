// The arguments of a call of the Python module turned into the run
// configuration the programs read from "Cones.ini", checked by the same
// validation, with every problem told in the words of the call: the argument
// at fault ("pressure_npa", "latitude[2]") and the value found.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/config.hpp"
#include "io/engine_inputs.hpp"
#include "models/model_parameters.hpp"
#include "tracing/field_selector.hpp"

namespace cones::python {

// An argument that cannot be used: `argument` names it, what() says what was
// expected and what was found.
class ArgumentError : public std::invalid_argument {
public:
    ArgumentError(std::string argument, const std::string& message)
        : std::invalid_argument(argument + ": " + message), argument_(std::move(argument)) {}
    const std::string& argument() const { return argument_; }

private:
    std::string argument_;
};

// A call's argument that is of the wrong kind (a model parameter the model
// needs and was not given, say).
class ArgumentTypeError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The run-wide arguments every function of the module takes.
struct RunArguments {
    int year = 2000, month = 1, day = 1;  // the date (UT)
    int hour = 0, minute = 0, second = 0; // the time (UT)
    std::string model = "igrf";            // a key of the field model registry
    // The driving parameters by their keyword (ModelInputName::keyword), in
    // the order of ModelInput; nothing for one not given.
    std::vector<std::optional<double>> parameters = std::vector<std::optional<double>>(kModelInputCount);
    int igrf = 12;                         // generation of the reference field
    std::string frame = "geo";             // "geo", "gse" or "gsm"
    double altitude_km = 20.0;             // start altitude
    double longitude_min = -180.0;         // window of the asymptotic longitudes, degrees
    double longitude_max = 180.0;
    bool geodetic = false;                 // station latitudes and altitude geodetic (WGS-84)
    std::string particle = "proton";       // a name of particle_of_name
};

// The station entries of a call: equal-length arrays.
struct StationArguments {
    std::vector<double> latitude, longitude, zenith, azimuth;  // degrees
    std::vector<std::string> names;                            // may be empty
};

// The frame of a name: "geo", "gse" or "gsm" (any case).
// Notes: any other name is an ArgumentError naming `argument`.
OutputFrame frame_of_name(const std::string& name, const std::string& argument);

// The field model of a key of the registry ("igrf", "t89", ...).
// Notes: an unknown key is an ArgumentError naming "model" and the keys.
FieldModel model_of_key(const std::string& key);

// The configuration of a call, checked as the programs check "Cones.ini".
// Given:    run  the run-wide arguments; stations  the station entries (may be
//           empty when `needed` does not ask for them); rigidities  GV (may
//           be empty likewise); needed  the lists the function traces.
// Returned: the configuration: date, time, the model's file code and its
//           parameters (those not given 0), the start altitude, the frame
//           code, the longitude window, the stations (with their names, or
//           "station N") and the rigidities, the generation of the
//           reference field, chosen, and whether latitudes are geodetic and
//           the particle.
// Notes:    an unknown model, frame, generation or particle is an ArgumentError; a
//           parameter the model reads and was not given an ArgumentTypeError;
//           every other problem is found by validate_configuration and told
//           as an ArgumentError naming the argument of the item at fault.
RunConfiguration configuration_of(const RunArguments& run, const StationArguments& stations,
                                  const std::vector<double>& rigidities, NeededLists needed);

// The station entries of a call, as the engine traces them (the zenith and
// azimuth as given, not rounded to whole degrees as a file holds them).
std::vector<StationEntry> station_entries_of(const StationArguments& stations);

}  // namespace cones::python
