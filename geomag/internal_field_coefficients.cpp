// The choice of a generation of the reference field by its number.

#include "geomag/internal_field_coefficients.hpp"

#include <stdexcept>
#include <string>

namespace cones {

const InternalFieldCoefficients& internal_field_coefficients(int generation) {
    for (const InternalFieldCoefficients* field : kInternalFieldGenerations) {
        if (field->generation == generation) return *field;
    }
    throw std::invalid_argument("no internal-field generation IGRF-" + std::to_string(generation) +
                                " (12, 13 and 14 are built in)");
}

const InternalFieldCoefficients& newest_internal_field() { return *kInternalFieldGenerations.back(); }

}  // namespace cones
