// IGRF-12 coefficient table: Schmidt semi-normalised Gauss coefficients for
// the 24 five-yearly epochs 1900..2015 and the secular variation 2015-2020,
// truncated at degree 10. Each value is the single-precision value nearest to
// the published decimal; readers widen it to double.
#pragma once

#include "geomag/geomag.hpp"

namespace cones {

inline constexpr int kIgrfEpochCount = 24;  // epoch e is the year 1900 + 5e
inline constexpr int kIgrfLastEpoch = 23;   // 2015, base of the extrapolation

// Indexed [epoch][coefficient_index(n, m)], nT.
extern const float igrf12_g[kIgrfEpochCount][kCoefficientCount];
extern const float igrf12_h[kIgrfEpochCount][kCoefficientCount];
// Indexed [coefficient_index(n, m)], nT per year; zero for degrees 9 and 10.
extern const float igrf12_g_secular[kCoefficientCount];
extern const float igrf12_h_secular[kCoefficientCount];

}  // namespace cones
