#include "tracing/magnetopause.hpp"

#include <cmath>

namespace cones {
namespace {

int t89_boundary(double x, double rho) {
    if (x <= -70.0) return kOutsideMagnetosphere;
    if (x < double(-24.87f)) {
        return rho >= double(22.4f) ? kOutsideMagnetosphere : kInsideMagnetosphere;
    }
    if (x < double(-16.51f)) {
        return rho >= double(0.08995136f) * (double(224.15f) - x) ? kOutsideMagnetosphere
                                                                   : kInsideMagnetosphere;
    }
    if (x < 0.0) {
        return rho >= double(0.3400383f) * (double(47.08f) - x) ? kOutsideMagnetosphere
                                                                 : kInsideMagnetosphere;
    }
    if (x >= double(11.07f)) return kOutsideMagnetosphere;
    return rho >= std::sqrt((double(11.07f) - x) / double(0.043188184f)) ? kOutsideMagnetosphere
                                                                         : kInsideMagnetosphere;
}

int t96_boundary(double x, double rho, double pressure) {
    const double f = std::pow(pressure / 2.0, double(0.1376f));
    const double a = double(75.6f) / f;
    const double b = double(28.55f) / f;
    const double x0 = double(-64.51f) / f;
    if (x >= x0) {
        const double dx = x - x0;
        const double scaled = rho * a / b;
        if (std::sqrt(dx * dx + scaled * scaled) >= a) return kOutsideMagnetosphere;
    }
    if (x < -70.0) return kOutsideMagnetosphere;
    if (x < x0 && rho >= b) return kOutsideMagnetosphere;
    return kInsideMagnetosphere;
}

// The tilt deformation converges in a handful of passes; the cap only guards
// against a pathological input (a non-finite coordinate), for which the last
// pass is used.
constexpr int kMaxTiltPasses = 1000;

int t01_boundary(const EpochState& epoch, double x, double y, double z, double pressure,
                 double hinge_distance, double pressure_exponent) {
    const double g = std::pow(pressure / 2.0, pressure_exponent);
    const double a0 = 34.586 / g;
    const double x_m = 3.4397 / g - 34.586 / g;

    const double r = std::sqrt((x * x + y * y) + z * z);
    const double sin_tilt = std::sin(epoch.tilt);
    double xs = x, zs = z;
    for (int pass = 0; pass < kMaxTiltPasses; ++pass) {
        const double xp = xs, zp = zs;
        const double zr = zp / r;
        const double hinge = hinge_distance - double(5.2f) * (zr * zr);
        const double w = r / hinge;
        const double s = sin_tilt / std::pow(1.0 + w * w * w, double(0.33333334f));
        const double c = std::sqrt(1.0 - s * s);
        xs = x * c - z * s;
        zs = z * c + x * s;
        if (std::fabs(xs - xp) + std::fabs(zs - zp) <= 1e-6) break;
    }

    const double d = (xs - x_m) > 0.0 ? (xs - x_m) : 0.0;
    const double a2 = a0 * a0;
    const double t = d * d + zs * zs + y * y + a2;
    const double sigma = std::sqrt((t + std::sqrt(t * t - 4.0 * a2 * (d * d))) / (2.0 * a2));
    if (sigma >= 1.196) return kOutsideMagnetosphere;
    return x < -70.0 ? kOutsideMagnetosphere : kInsideMagnetosphere;
}

}  // namespace

int magnetopause_test(const EpochState& epoch, double x, double y, double z, FieldModel model,
                      const ModelParameters& parameters) {
    switch (model) {
        case FieldModel::kDipole:
        case FieldModel::kInternal: {
            const double r = std::sqrt((x * x + y * y) + z * z);
            return r > 30.0 ? kOutsideMagnetosphere : kInsideMagnetosphere;
        }
        case FieldModel::kT89:
            return t89_boundary(x, std::sqrt(y * y + z * z));
        case FieldModel::kT96:
            return t96_boundary(x, std::sqrt(y * y + z * z), parameters[0]);
        case FieldModel::kT01:
            return t01_boundary(epoch, x, y, z, parameters[0], 8.94335, 0.1579);
        case FieldModel::kT01Storm:
            return t01_boundary(epoch, x, y, z, parameters[0], 7.7, 0.15954);
        case FieldModel::kInternalUnbounded:
            return kInsideMagnetosphere;
    }
    return kInsideMagnetosphere;
}

}  // namespace cones
