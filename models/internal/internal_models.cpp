// The escape sphere of the internal-field models.

#include "models/internal/internal_models.hpp"

#include <cmath>

namespace cones {

bool beyond_escape_sphere(double x, double y, double z) {
    const double r = std::sqrt((x * x + y * y) + z * z);
    return r > 30.0;
}

}  // namespace cones
