// The driving parameters of the magnetospheric (external) field models.
#pragma once

#include <array>

namespace cones {

// External-field driving parameters. Element k (counted from 1) is at index k - 1:
//   1 solar-wind dynamic pressure P (nPa), 2 Dst (nT), 3 IMF By and 4 IMF Bz
//   (GSM, nT), 5..7 solar-wind history indices G1, G2, G3, 8 Kp.
// Elements 9 and 10 are always 0. Each model reads only the elements it needs.
using ModelParameters = std::array<double, 10>;

}  // namespace cones
