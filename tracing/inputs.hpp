// The engine's physical inputs: the field model a run traces in, the frame of
// the asymptotic directions it reports, and one station entry. The file
// formats turn their text into these; the engine reads nothing else.
#pragma once

#include "models/model_parameters.hpp"

namespace cones {

// The total field of a run and the boundary its trajectories escape through.
enum class FieldModel {
    kDipole,             // tilted centred dipole; escape beyond the sphere r = 30
    kInternal,           // IGRF-12; escape beyond the sphere r = 30
    kT89,                // IGRF-12 + T89; the T89 magnetopause
    kT96,                // IGRF-12 + T96; the T96 magnetopause
    kT01,                // IGRF-12 + T01; the T01 magnetopause
    kT01Storm,           // IGRF-12 + storm-time T01; its magnetopause
    kInternalUnbounded,  // IGRF-12 with no magnetopause: only the tail limit and
                         // the time limit end a trajectory
};

// Frame of a reported asymptotic direction.
enum class OutputFrame { kGeo, kGse, kGsm };

// One station entry: a place on the Earth and one arrival direction.
struct StationEntry {
    double latitude = 0.0;   // degrees north, -90..90
    double longitude = 0.0;  // degrees east
    double zenith = 0.0;     // degrees from the local vertical
    double azimuth = 0.0;    // degrees from geographic north through east
};

}  // namespace cones
