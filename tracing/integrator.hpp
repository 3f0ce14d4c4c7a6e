// Runge-Kutta-Fehlberg 4(5) integrator with automatic step-size control, for a
// system of N first-order equations dy/dt = f(t, y): a resumable stepper that
// hands out the points where it needs the derivative, and the loop that feeds
// it from a derivative routine f(t, y, yp) with y and yp arrays of N doubles.
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

}  // namespace rkf_detail

// One call of the Runge-Kutta-Fehlberg 4(5) integrator (see rkf_integrate),
// run as a resumable stepper: instead of calling the derivative routine it
// stops each time it needs one derivative f(t, y), and goes on when given the
// result. So a caller may evaluate the derivatives of several integrations
// together; the arithmetic and the control flow are those of one call.
//
// Given: on construction, the arguments of rkf_integrate (the state y of N
// doubles, t, t_out, the tolerances, the flag and the work storage), which
// must stay in place until the call is complete.
// Returned: resume() runs the call until it needs a derivative and returns
// true: the caller evaluates f(point_t(), point_y()) into derivative() and
// calls resume() again. It returns false when the call is complete: the flag,
// t, y and the tolerances then hold what rkf_integrate gives.
// Notes: the stepper waits at one of these points: the derivative at the
// start (flag +-1), at t_out after the extrapolation of a step very close to
// it, at each of the five trial stages, and at the accepted point. No
// allocation: all storage is the caller's.
template <std::size_t N>
class RkfStepper {
public:
    RkfStepper() = default;
    RkfStepper(double* y, double& t, double t_out, double& rel_tol, double& abs_tol, int& flag,
               IntegratorWork<N>& work)
        : y_(y), t_(&t), rel_tol_(&rel_tol), abs_tol_(&abs_tol), flag_(&flag), work_(&work), t_out_(t_out) {}

    bool resume() {
        IntegratorWork<N>& work = *work_;
        switch (next_) {
            case Wait::kEntry: return enter();
            case Wait::kStart:
                work.nfe = 1;
                if (*t_ == t_out_) return finish(rkf_status::kReachedEnd);
                return choose_step();
            case Wait::kEnd:
                work.nfe = work.nfe + 1;
                *t_ = t_out_;
                return finish(rkf_status::kReachedEnd);
            case Wait::kStage1: return stage2();
            case Wait::kStage2: return stage3();
            case Wait::kStage3: return stage4();
            case Wait::kStage4: return stage5();
            case Wait::kStage5: return judge_trial();
            case Wait::kAccepted: return after_accepted();
            case Wait::kComplete: break;
        }
        return false;
    }

    double point_t() const { return point_t_; }
    const double* point_y() const { return point_y_; }
    double* derivative() const { return derivative_; }

private:
    enum class Wait : unsigned char {
        kEntry,     // not started
        kStart,     // derivative at the initial point
        kEnd,       // derivative at t_out after the extrapolation
        kStage1,    // the five derivatives of a trial step
        kStage2,
        kStage3,
        kStage4,
        kStage5,
        kAccepted,  // derivative at the accepted point
        kComplete,
    };

    bool request(double t, const double* y, double* derivative, Wait next) {
        point_t_ = t;
        point_y_ = y;
        derivative_ = derivative;
        next_ = next;
        return true;
    }

    bool finish(int status) {
        *flag_ = status;
        next_ = Wait::kComplete;
        return false;
    }

    bool enter() {
        using namespace rkf_detail;
        IntegratorWork<N>& work = *work_;
        double& t = *t_;
        double& rel_tol = *rel_tol_;
        double& abs_tol = *abs_tol_;
        mode_ = *flag_;
        const int m = mode_ < 0 ? -mode_ : mode_;

        // 1. Input check.
        if (N < 1 || rel_tol < 0.0 || abs_tol < 0.0 || m == 0 || m > 2) {
            return finish(rkf_status::kInvalidInput);
        }

        // 3. Continuation.
        if (m == 2) {
            if (t == t_out_ && work.kflag != 3) return finish(rkf_status::kInvalidInput);
            if (work.kflag == 4) work.nfe = 0;
            if (work.kflag == 6 && rel_tol <= work.saved_rel_tol && abs_tol <= work.saved_abs_tol) {
                return finish(rkf_status::kStepTooSmall);
            }
        }

        // 4. Save the call, raise a relative tolerance below the attainable accuracy.
        work.kflag = 0;
        work.saved_rel_tol = rel_tol;
        work.saved_abs_tol = abs_tol;
        const double rel_min = 2.0 * kU + 1e-12;
        if (rel_tol < rel_min) {
            rel_tol = rel_min;
            work.kflag = 3;
            return finish(rkf_status::kToleranceRaised);
        }

        // 5. Start: derivative at the initial point, then the initial step size.
        dt_ = t_out_ - t;
        if (m == 1) {
            work.init = 0;
            work.kop = 0;
            return request(t, y_, work.yp.data(), Wait::kStart);
        }
        return choose_step();
    }

    bool choose_step() {
        using namespace rkf_detail;
        IntegratorWork<N>& work = *work_;
        const double t = *t_;
        const double dt = dt_;
        if (work.init == 0) {
            double h = std::fabs(dt);
            bool any_tolerance = false;
            for (std::size_t k = 0; k < N; ++k) {
                const double tol = *rel_tol_ * std::fabs(y_[k]) + *abs_tol_;
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
                return finish(rkf_status::kTooManyShortIntervals);
            }
        }

        // 7. Very close to t_out: extrapolate and stop.
        if (std::fabs(dt) <= kU26 * std::fabs(t)) {
            for (std::size_t k = 0; k < N; ++k) y_[k] = y_[k] + dt * work.yp[k];
            return request(t_out_, y_, work.yp.data(), Wait::kEnd);
        }

        // 8. Error scaling.
        scale_ = 2.0 / *rel_tol_;
        ae_ = scale_ * *abs_tol_;
        output_ = false;
        return begin_step();
    }

    // 9. Step loop: one accepted step per pass.
    bool begin_step() {
        using namespace rkf_detail;
        IntegratorWork<N>& work = *work_;
        failed_ = false;
        h_min_ = kU26 * std::fabs(*t_);
        const double dt = t_out_ - *t_;
        if (std::fabs(dt) < 2.0 * std::fabs(work.h)) {
            if (std::fabs(dt) <= std::fabs(work.h)) {
                work.h = dt;
                output_ = true;
            } else {
                work.h = dt / 2.0;
            }
        }
        return trial();
    }

    // 9.2 Trial step: the Fehlberg stages from (t, y) with yp = f(t, y) and
    // step h. The stage derivatives go to k1..k5, with k5 serving as the
    // temporary w before the fifth stage; the fifth-order solution goes to k1.
    bool trial() {
        IntegratorWork<N>& work = *work_;
        if (work.nfe > 6000) {
            work.kflag = 4;
            return finish(rkf_status::kTooManyEvaluations);
        }
        const double ch = work.h / 4.0;
        for (std::size_t k = 0; k < N; ++k) work.k5[k] = y_[k] + ch * work.yp[k];
        return request(*t_ + ch, work.k5.data(), work.k1.data(), Wait::kStage1);
    }

    bool stage2() {
        IntegratorWork<N>& work = *work_;
        const double ch = 3.0 * work.h / 32.0;
        for (std::size_t k = 0; k < N; ++k) work.k5[k] = y_[k] + ch * (work.yp[k] + 3.0 * work.k1[k]);
        return request(*t_ + 3.0 * work.h / 8.0, work.k5.data(), work.k2.data(), Wait::kStage2);
    }

    bool stage3() {
        IntegratorWork<N>& work = *work_;
        const double ch = work.h / 2197.0;
        for (std::size_t k = 0; k < N; ++k)
            work.k5[k] = y_[k] + ch * (1932.0 * work.yp[k] + (7296.0 * work.k2[k] - 7200.0 * work.k1[k]));
        return request(*t_ + 12.0 * work.h / 13.0, work.k5.data(), work.k3.data(), Wait::kStage3);
    }

    bool stage4() {
        IntegratorWork<N>& work = *work_;
        const double ch = work.h / 4104.0;
        for (std::size_t k = 0; k < N; ++k)
            work.k5[k] = y_[k] + ch * ((8341.0 * work.yp[k] - 845.0 * work.k3[k]) +
                                       (29440.0 * work.k2[k] - 32832.0 * work.k1[k]));
        return request(*t_ + work.h, work.k5.data(), work.k4.data(), Wait::kStage4);
    }

    bool stage5() {
        IntegratorWork<N>& work = *work_;
        const double ch = work.h / 20520.0;
        for (std::size_t k = 0; k < N; ++k)
            work.k1[k] = y_[k] + ch * ((-6080.0 * work.yp[k] + (9295.0 * work.k3[k] - 5643.0 * work.k4[k])) +
                                       (41040.0 * work.k1[k] - 28352.0 * work.k2[k]));
        return request(*t_ + work.h / 2.0, work.k1.data(), work.k5.data(), Wait::kStage5);
    }

    // The fifth-order solution of the trial step, its error test, and the
    // accepted point or a shorter trial.
    bool judge_trial() {
        using namespace rkf_detail;
        IntegratorWork<N>& work = *work_;
        const double* y = y_;
        const double* yp = work.yp.data();
        double* k1 = work.k1.data();
        const double ch = work.h / 7618050.0;
        for (std::size_t k = 0; k < N; ++k)
            k1[k] = y[k] + ch * ((902880.0 * yp[k] + (3855735.0 * work.k3[k] - 1371249.0 * work.k4[k])) +
                                 (3953664.0 * work.k2[k] + 277020.0 * work.k5[k]));
        work.nfe = work.nfe + 5;

        // 9.3 Error estimate of the embedded fourth-order solution.
        double largest = 0.0;
        for (std::size_t k = 0; k < N; ++k) {
            const double et = std::fabs(y[k]) + std::fabs(k1[k]) + ae_;
            if (et <= 0.0) return finish(rkf_status::kErrorTestImpossible);
            const double ee = std::fabs((-2090.0 * yp[k] + (21970.0 * work.k3[k] - 15048.0 * work.k4[k])) +
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
        est_ = std::fabs(work.h) * largest * scale_ / 752400.0;
        if (est_ <= 1.0) {
            // 9.5 Accepted: take the fifth-order solution.
            *t_ = *t_ + work.h;
            for (std::size_t k = 0; k < N; ++k) y_[k] = k1[k];
            return request(*t_, y_, work.yp.data(), Wait::kAccepted);
        }

        // 9.4 Rejected: shrink the step, at most by a factor 10.
        failed_ = true;
        output_ = false;
        const double s = est_ < 59049.0 ? 0.9 / std::pow(est_, kFifth) : 0.1;
        work.h = s * work.h;
        if (!(std::fabs(work.h) > h_min_)) {
            work.kflag = 6;
            return finish(rkf_status::kStepTooSmall);
        }
        return trial();
    }

    bool after_accepted() {
        using namespace rkf_detail;
        IntegratorWork<N>& work = *work_;
        work.nfe = work.nfe + 1;

        // 9.6 Next step size: grow by at most 5, not at all after a rejection.
        double s = est_ > 0.0001889568 ? 0.9 / std::pow(est_, kFifth) : 5.0;
        if (failed_ && s > 1.0) s = 1.0;
        const double grown = s * std::fabs(work.h);
        work.h = std::copysign(grown > h_min_ ? grown : h_min_, work.h);

        // 9.7
        if (output_) {
            *t_ = t_out_;
            return finish(rkf_status::kReachedEnd);
        }
        if (mode_ < 0) return finish(rkf_status::kOneStep);
        return begin_step();
    }

    // The caller's arguments.
    double* y_ = nullptr;
    double* t_ = nullptr;
    double* rel_tol_ = nullptr;
    double* abs_tol_ = nullptr;
    int* flag_ = nullptr;
    IntegratorWork<N>* work_ = nullptr;
    double t_out_ = 0.0;
    // The call's own values.
    int mode_ = 0;
    double dt_ = 0.0;
    double scale_ = 0.0, ae_ = 0.0;
    double h_min_ = 0.0;
    double est_ = 0.0;
    bool failed_ = false, output_ = false;
    Wait next_ = Wait::kEntry;
    // The derivative it waits for.
    double point_t_ = 0.0;
    const double* point_y_ = nullptr;
    double* derivative_ = nullptr;
};

// Advances y (N doubles) and t toward t_out by the Runge-Kutta-Fehlberg 4(5)
// pair with local extrapolation and error-per-step control, calling the
// derivative routine f(t, y, yp) each time the stepper needs it.
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
    RkfStepper<N> stepper(y, t, t_out, rel_tol, abs_tol, flag, work);
    while (stepper.resume()) f(stepper.point_t(), stepper.point_y(), stepper.derivative());
}

}  // namespace cones
