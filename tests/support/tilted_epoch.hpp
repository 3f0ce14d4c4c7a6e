// An epoch for the tests of the magnetospheric models, whose only content is
// what those models read: the dipole tilt (rad) and the dipole strength b0 (nT).
#pragma once

#include <cmath>

#include "geomag/geomag.hpp"

namespace cones::testing_support {

inline EpochState tilted_epoch(double tilt, double dipole_strength = 30000.0) {
    EpochState epoch;
    epoch.tilt = tilt;
    epoch.sin_tilt = std::sin(tilt);
    epoch.cos_tilt = std::cos(tilt);
    epoch.dipole_strength = dipole_strength;
    return epoch;
}

}  // namespace cones::testing_support
