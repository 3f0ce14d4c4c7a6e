#include "tracing/magnetopause.hpp"

#include <cmath>

#include "models/t01/t01_tilt_deformation.hpp"
#include "tracing/field_selector.hpp"

namespace cones {
namespace {

int sphere_boundary(double x, double y, double z) {
    const double r = std::sqrt((x * x + y * y) + z * z);
    return r > 30.0 ? kOutsideMagnetosphere : kInsideMagnetosphere;
}

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

int t96_boundary(const Magnetopause& boundary, double x, double rho) {
    const double a = boundary.t96_a;
    const double b = boundary.t96_b;
    const double x0 = boundary.t96_x0;
    if (x >= x0) {
        const double dx = x - x0;
        const double scaled = rho * a / b;
        if (std::sqrt(dx * dx + scaled * scaled) >= a) return kOutsideMagnetosphere;
    }
    if (x < -70.0) return kOutsideMagnetosphere;
    if (x < x0 && rho >= b) return kOutsideMagnetosphere;
    return kInsideMagnetosphere;
}

int t01_boundary(const Magnetopause& boundary, double x, double y, double z) {
    const double r = std::sqrt((x * x + y * y) + z * z);
    const T01TiltDeformation deformed = t01_tilt_deformation(
        x, z, r, boundary.sin_tilt, boundary.t01_hinge_distance, -double(5.2f), double(0.33333334f));
    const double xs = deformed.xs, zs = deformed.zs;

    const double d = (xs - boundary.t01_x_m) > 0.0 ? (xs - boundary.t01_x_m) : 0.0;
    const double a2 = boundary.t01_a0_squared;
    const double t = d * d + zs * zs + y * y + a2;
    const double sigma = std::sqrt((t + std::sqrt(t * t - 4.0 * a2 * (d * d))) / (2.0 * a2));
    if (sigma >= 1.196) return kOutsideMagnetosphere;
    return x < -70.0 ? kOutsideMagnetosphere : kInsideMagnetosphere;
}

void prepare_t01(Magnetopause& boundary, double pressure, double hinge_distance, double pressure_exponent) {
    const double g = std::pow(pressure / 2.0, pressure_exponent);
    const double a0 = 34.586 / g;
    boundary.t01_a0_squared = a0 * a0;
    boundary.t01_x_m = 3.4397 / g - 34.586 / g;
    boundary.t01_hinge_distance = hinge_distance;
}

}  // namespace

Magnetopause prepare_magnetopause(const EpochState& epoch, FieldModel model,
                                  const ModelParameters& parameters) {
    Magnetopause boundary;
    const double pressure = parameters[0];
    switch (model) {
        case FieldModel::kT96: {
            const double f = std::pow(pressure / 2.0, double(0.1376f));
            boundary.t96_a = double(75.6f) / f;
            boundary.t96_b = double(28.55f) / f;
            boundary.t96_x0 = double(-64.51f) / f;
            break;
        }
        case FieldModel::kT01:
            prepare_t01(boundary, pressure, 8.94335, 0.1579);
            boundary.sin_tilt = std::sin(epoch.tilt);
            break;
        case FieldModel::kT01Storm:
            prepare_t01(boundary, pressure, 7.7, 0.15954);
            boundary.sin_tilt = std::sin(epoch.tilt);
            break;
        default:
            break;
    }
    return boundary;
}

template <FieldModel M>
int magnetopause_test(const Magnetopause& boundary, double x, double y, double z) {
    if constexpr (M == FieldModel::kDipole || M == FieldModel::kInternal) {
        return sphere_boundary(x, y, z);
    } else if constexpr (M == FieldModel::kT89) {
        return t89_boundary(x, std::sqrt(y * y + z * z));
    } else if constexpr (M == FieldModel::kT96) {
        return t96_boundary(boundary, x, std::sqrt(y * y + z * z));
    } else if constexpr (M == FieldModel::kT01 || M == FieldModel::kT01Storm) {
        return t01_boundary(boundary, x, y, z);
    } else {
        return kInsideMagnetosphere;
    }
}

template int magnetopause_test<FieldModel::kDipole>(const Magnetopause&, double, double, double);
template int magnetopause_test<FieldModel::kInternal>(const Magnetopause&, double, double, double);
template int magnetopause_test<FieldModel::kT89>(const Magnetopause&, double, double, double);
template int magnetopause_test<FieldModel::kT96>(const Magnetopause&, double, double, double);
template int magnetopause_test<FieldModel::kT01>(const Magnetopause&, double, double, double);
template int magnetopause_test<FieldModel::kT01Storm>(const Magnetopause&, double, double, double);
template int magnetopause_test<FieldModel::kInternalUnbounded>(const Magnetopause&, double, double, double);

int magnetopause_test(const EpochState& epoch, double x, double y, double z, FieldModel model,
                      const ModelParameters& parameters) {
    const Magnetopause boundary = prepare_magnetopause(epoch, model, parameters);
    return with_field_model(model, [&](auto m) { return magnetopause_test<m.value>(boundary, x, y, z); });
}

}  // namespace cones
