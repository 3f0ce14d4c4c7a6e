// The engine's physical inputs: the frame of the asymptotic directions a run
// reports, and one station entry (the field models are the registry's, in
// tracing/field_selector.hpp). The file
// formats turn their text into these; the engine reads nothing else.
#pragma once

#include "models/model_parameters.hpp"

namespace cones {

// Frame of a reported asymptotic direction.
enum class OutputFrame { kGeo, kGse, kGsm };

// One station entry: a place on the Earth and one arrival direction.
struct StationEntry {
    double latitude = 0.0;   // degrees north, -90..90 (geocentric; geodetic when the run says so)
    double longitude = 0.0;  // degrees east
    double zenith = 0.0;     // degrees from the local vertical
    double azimuth = 0.0;    // degrees from geographic north through east
};

}  // namespace cones
