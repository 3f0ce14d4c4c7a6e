// The epoch every benchmark evaluates its fields in: 15 June 2025, 12:00 UT.
#pragma once

#include <sstream>

#include "geomag/geomag.hpp"

namespace cones {

inline const EpochState& bench_epoch() {
    static const EpochState state = [] {
        std::ostringstream notice;
        return set_epoch(2025, 166, 12, 0, 0, notice);
    }();
    return state;
}

}  // namespace cones
