// Runge-Kutta-Fehlberg 4(5) integrator with automatic step-size control, for a
// system of N first-order equations dy/dt = f(t, y). The derivative routine is
// any callable f(t, y, yp) with y and yp arrays of N doubles.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace cones {

// Status values of the integrator flag (also the mode values on input).
namespace rkf_status {
inline constexpr int kReachedEnd = 2;         // t has reached t_out
inline constexpr int kOneStep = -2;           // one-step mode: one step completed
inline constexpr int kToleranceRaised = 3;    // rel_tol was too small and was raised
inline constexpr int kTooManyEvaluations = 4; // more than 6000 derivative evaluations
inline constexpr int kErrorTestImpossible = 5;
inline constexpr int kStepTooSmall = 6;       // step fell to its minimum; cannot continue
inline constexpr int kTooManyShortIntervals = 7;
inline constexpr int kInvalidInput = 8;
}  // namespace rkf_status

// Storage kept between the calls of one integration; owned by the caller.
template <std::size_t N>
struct IntegratorWork {
    std::array<double, N> yp{};  // derivative at the current point
    std::array<double, N> k1{}, k2{}, k3{}, k4{}, k5{};  // stage derivatives; k1 gets the trial solution
    double h = 0.0;              // step size
    double saved_rel_tol = 0.0;
    double saved_abs_tol = 0.0;
    int nfe = 0;    // derivative evaluations since the last reset
    int kop = 0;    // calls with a step at least twice the remaining interval
    int init = 0;   // 1 once the initial step size is chosen
    int jflag = 0;  // input flag of the previous call
    int kflag = 0;  // status of the previous call when it was 3, 4 or 6; else 0
};

namespace rkf_detail {

// Unit roundoff: the first power of two u, halving from 1, with 1 + u == 1 in
// double precision (2^-53 in IEEE arithmetic).
constexpr double unit_roundoff() {
    double u = 1.0;
    while (1.0 + u > 1.0) u *= 0.5;
    return u;
}

inline constexpr double kU = unit_roundoff();
inline constexpr double kU26 = 26.0 * kU;
// The step-size exponent is the single-precision value of 0.2.
inline constexpr double kFifth = double(0.2f);

// One Fehlberg trial step of size h from (t, y) with yp = f(t, y): the
// fifth-order solution goes to s (the caller passes k1), the stage derivatives
// to k1..k5 (k5 serves as the temporary w before the fifth stage).
template <std::size_t N, class Derivative>
void rkf_fehlberg_step(Derivative& f, const double* y, double t, double h, const double* yp,
                       double* k1, double* k2, double* k3, double* k4, double* k5, double* s) {
    double* w = k5;
    double ch = h / 4.0;
    for (std::size_t k = 0; k < N; ++k) w[k] = y[k] + ch * yp[k];
    f(t + ch, w, k1);

    ch = 3.0 * h / 32.0;
    for (std::size_t k = 0; k < N; ++k) w[k] = y[k] + ch * (yp[k] + 3.0 * k1[k]);
    f(t + 3.0 * h / 8.0, w, k2);

    ch = h / 2197.0;
    for (std::size_t k = 0; k < N; ++k)
        w[k] = y[k] + ch * (1932.0 * yp[k] + (7296.0 * k2[k] - 7200.0 * k1[k]));
    f(t + 12.0 * h / 13.0, w, k3);

    ch = h / 4104.0;
    for (std::size_t k = 0; k < N; ++k)
        w[k] = y[k] + ch * ((8341.0 * yp[k] - 845.0 * k3[k]) + (29440.0 * k2[k] - 32832.0 * k1[k]));
    f(t + h, w, k4);

    ch = h / 20520.0;
    for (std::size_t k = 0; k < N; ++k)
        k1[k] = y[k] + ch * ((-6080.0 * yp[k] + (9295.0 * k3[k] - 5643.0 * k4[k])) +
                             (41040.0 * k1[k] - 28352.0 * k2[k]));
    f(t + h / 2.0, k1, k5);

    ch = h / 7618050.0;
    for (std::size_t k = 0; k < N; ++k)
        s[k] = y[k] + ch * ((902880.0 * yp[k] + (3855735.0 * k3[k] - 1371249.0 * k4[k])) +
                            (3953664.0 * k2[k] + 277020.0 * k5[k]));
}

}  // namespace rkf_detail

// Advances y (N doubles) and t toward t_out by the Runge-Kutta-Fehlberg 4(5)
// pair with local extrapolation and error-per-step control.
//
// flag on input: 1 / -1 starts a new integration in interval / one-step mode,
// 2 / -2 continues one. On output it holds a status of rkf_status: 2 when t
// reached t_out, -2 after one step in one-step mode, 3..8 for the conditions
// listed there (t and y unchanged). rel_tol may be raised (status 3).
// After status 6, a continuation with unchanged tolerances cannot make
// progress: it returns 6 again without doing anything, and the caller must end
// the integration. Flags 3..8 on input are not supported (status 8).
// Each trial step costs five derivative evaluations, each accepted step one
// more. No allocation: all storage is the caller's.
template <std::size_t N, class Derivative>
void rkf_integrate(Derivative& f, double* y, double& t, double t_out, double& rel_tol,
                   double& abs_tol, int& flag, IntegratorWork<N>& work) {
    using namespace rkf_detail;
    const int mode = flag;
    const int m = mode < 0 ? -mode : mode;

    // 1. Input check.
    if (N < 1 || rel_tol < 0.0 || abs_tol < 0.0 || m == 0 || m > 2) {
        flag = rkf_status::kInvalidInput;
        return;
    }

    // 3. Continuation.
    if (m == 2) {
        if (t == t_out && work.kflag != 3) {
            flag = rkf_status::kInvalidInput;
            return;
        }
        if (work.kflag == 4) work.nfe = 0;
        if (work.kflag == 6 && rel_tol <= work.saved_rel_tol && abs_tol <= work.saved_abs_tol) {
            flag = rkf_status::kStepTooSmall;
            return;
        }
    }

    // 4. Save the call, raise a relative tolerance below the attainable accuracy.
    work.jflag = mode;
    work.kflag = 0;
    work.saved_rel_tol = rel_tol;
    work.saved_abs_tol = abs_tol;
    const double rel_min = 2.0 * kU + 1e-12;
    if (rel_tol < rel_min) {
        rel_tol = rel_min;
        work.kflag = 3;
        flag = rkf_status::kToleranceRaised;
        return;
    }

    // 5. Start: derivative at the initial point and the initial step size.
    double dt = t_out - t;
    if (m == 1) {
        work.init = 0;
        work.kop = 0;
        f(t, y, work.yp.data());
        work.nfe = 1;
        if (t == t_out) {
            flag = rkf_status::kReachedEnd;
            return;
        }
    }
    if (work.init == 0) {
        double h = std::fabs(dt);
        bool any_tolerance = false;
        for (std::size_t k = 0; k < N; ++k) {
            const double tol = rel_tol * std::fabs(y[k]) + abs_tol;
            if (tol > 0.0) {
                any_tolerance = true;
                const double ypk = std::fabs(work.yp[k]);
                const double h2 = h * h;
                const double h5 = h2 * h2 * h;
                if (ypk * h5 > tol) h = std::pow(tol / ypk, kFifth);
            }
        }
        if (!any_tolerance) h = 0.0;
        const double span = std::fabs(t) > std::fabs(dt) ? std::fabs(t) : std::fabs(dt);
        const double h_floor = kU26 * span;
        work.h = h > h_floor ? h : h_floor;
        work.init = 1;
    }

    // 6. Step direction; too many calls with tiny remaining intervals.
    work.h = std::copysign(std::fabs(work.h), dt);
    if (std::fabs(work.h) >= 2.0 * std::fabs(dt)) {
        work.kop = work.kop + 1;
        if (work.kop == 100) {
            work.kop = 0;
            flag = rkf_status::kTooManyShortIntervals;
            return;
        }
    }

    // 7. Very close to t_out: extrapolate and stop.
    if (std::fabs(dt) <= kU26 * std::fabs(t)) {
        for (std::size_t k = 0; k < N; ++k) y[k] = y[k] + dt * work.yp[k];
        f(t_out, y, work.yp.data());
        work.nfe = work.nfe + 1;
        t = t_out;
        flag = rkf_status::kReachedEnd;
        return;
    }

    // 8. Error scaling.
    const double scale = 2.0 / rel_tol;
    const double ae = scale * abs_tol;
    bool output = false;
    double* yp = work.yp.data();
    double* k1 = work.k1.data();

    // 9. Step loop: one accepted step per pass.
    for (;;) {
        bool failed = false;
        const double h_min = kU26 * std::fabs(t);
        dt = t_out - t;
        if (std::fabs(dt) < 2.0 * std::fabs(work.h)) {
            if (std::fabs(dt) <= std::fabs(work.h)) {
                work.h = dt;
                output = true;
            } else {
                work.h = dt / 2.0;
            }
        }

        double est;
        for (;;) {
            // 9.2 Trial step.
            if (work.nfe > 6000) {
                work.kflag = 4;
                flag = rkf_status::kTooManyEvaluations;
                return;
            }
            rkf_fehlberg_step<N>(f, y, t, work.h, yp, k1, work.k2.data(), work.k3.data(),
                                 work.k4.data(), work.k5.data(), k1);
            work.nfe = work.nfe + 5;

            // 9.3 Error estimate of the embedded fourth-order solution.
            double largest = 0.0;
            for (std::size_t k = 0; k < N; ++k) {
                const double et = std::fabs(y[k]) + std::fabs(k1[k]) + ae;
                if (et <= 0.0) {
                    flag = rkf_status::kErrorTestImpossible;
                    return;
                }
                const double ee =
                    std::fabs((-2090.0 * yp[k] + (21970.0 * work.k3[k] - 15048.0 * work.k4[k])) +
                              (22528.0 * work.k2[k] - 27360.0 * work.k5[k]));
                const double ratio = ee / et;
                // A non-finite trial (a field that is not a number) must fail
                // the error test instead of passing it unnoticed.
                if (std::isnan(ratio)) {
                    largest = std::numeric_limits<double>::infinity();
                } else if (ratio > largest) {
                    largest = ratio;
                }
            }
            est = std::fabs(work.h) * largest * scale / 752400.0;
            if (est <= 1.0) break;

            // 9.4 Rejected: shrink the step, at most by a factor 10.
            failed = true;
            output = false;
            const double s = est < 59049.0 ? 0.9 / std::pow(est, kFifth) : 0.1;
            work.h = s * work.h;
            if (!(std::fabs(work.h) > h_min)) {
                work.kflag = 6;
                flag = rkf_status::kStepTooSmall;
                return;
            }
        }

        // 9.5 Accepted: take the fifth-order solution.
        t = t + work.h;
        for (std::size_t k = 0; k < N; ++k) y[k] = k1[k];
        f(t, y, yp);
        work.nfe = work.nfe + 1;

        // 9.6 Next step size: grow by at most 5, not at all after a rejection.
        double s = est > 0.0001889568 ? 0.9 / std::pow(est, kFifth) : 5.0;
        if (failed && s > 1.0) s = 1.0;
        const double grown = s * std::fabs(work.h);
        work.h = std::copysign(grown > h_min ? grown : h_min, work.h);

        // 9.7
        if (output) {
            t = t_out;
            flag = rkf_status::kReachedEnd;
            return;
        }
        if (mode < 0) {
            flag = rkf_status::kOneStep;
            return;
        }
    }
}

}  // namespace cones
