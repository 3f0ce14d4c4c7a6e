// Checks of a magnetic field given as a function of position: its divergence
// by central differences. Any field type with members x, y, z (nT) serves.
#pragma once

#include <cmath>

namespace cones::testing_support {

// div B by central differences of step h, and the sum of the absolute values
// of the three derivatives that it adds up (its natural scale). A wrong sign
// or coefficient leaves a residue of the order of the scale; the truncation
// error is ~h^2 relative.
struct Divergence {
    double value;
    double scale;
};

template <class Field>
Divergence divergence(const Field& field, double x, double y, double z, double h = 1e-3) {
    const double dbx = field(x + h, y, z).x - field(x - h, y, z).x;
    const double dby = field(x, y + h, z).y - field(x, y - h, z).y;
    const double dbz = field(x, y, z + h).z - field(x, y, z - h).z;
    return {(dbx + dby + dbz) / (2.0 * h), (std::abs(dbx) + std::abs(dby) + std::abs(dbz)) / (2.0 * h)};
}

}  // namespace cones::testing_support
