// Runge-Kutta-Fehlberg 4(5) integrator with automatic step-size control, for a
// system of N first-order equations dy/dt = f(t, y): the method's tableau, its
// error norm and step-size rules, a resumable stepper that owns one
// integration and hands out the points where it needs the derivative, and the
// loop that feeds it from a derivative routine f(t, y, yp) with y and yp arrays
// of N doubles.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

#include "numerics/math.hpp"

namespace cones {

// What one call of the integrator does.
enum class RkfMode {
    kInterval,  // steps until t reaches t_out
    kOneStep,   // one accepted step (or less, at t_out), then returns
};

// How one call of the integrator ended. The numbers are the status codes of
// the integrator's former flag interface, which took 1 / -1 to start an
// integration in interval / one-step mode and 2 / -2 to continue one.
enum class RkfStatus {
    kReachedEnd = 2,              // t has reached t_out; y is the solution there
    kOneStep = -2,                // one-step mode: one step done, t and y are the new point
    kToleranceRaised = 3,         // the relative tolerance was below the attainable accuracy and was raised
    kTooManyEvaluations = 4,      // more than 6000 derivative evaluations since the budget was renewed
    kErrorTestImpossible = 5,     // an error weight was 0 (a pure relative test on a zero component)
    kStepTooSmall = 6,            // the step size fell to its minimum without meeting the tolerances
    kTooManyShortIntervals = 7,   // the 100th call with a step at least twice the remaining interval
    kInvalidInput = 8,            // a negative tolerance, or a continuation from t_out itself
};

// Error tolerances of an integration: each component k is held to
// relative * |y_k| + absolute per step.
struct RkfTolerances {
    double relative = 0.0;
    double absolute = 0.0;
};

// A rational coefficient, applied to the step h as numerator * h / denominator.
struct RkfFraction {
    double numerator = 0.0;
    double denominator = 1.0;
    double of(double h) const { return numerator * h / denominator; }
};

// One row of coefficients: factor times the weights of the six stage
// derivatives k1 .. k6 (integers, the row over its common denominator).
struct RkfRow {
    RkfFraction factor;
    std::array<double, 6> weights{};
};

// The Runge-Kutta-Fehlberg 4(5) pair of E. Fehlberg, "Low-order classical
// Runge-Kutta formulas with stepsize control and their application to some
// heat transfer problems", NASA Technical Report R-315 (1969): six stages
//   k1 = f(t, y),  k_i = f(t + c_i h, y + h sum_j a_ij k_j)  (i = 2..6),
// the fifth-order solution y + h sum_j b_j k_j taken as the new point (local
// extrapolation), and the difference of the embedded fourth-order solution
// from it as the error estimate.
struct RkfTableau {
    std::array<RkfFraction, 6> nodes;  // c_1 .. c_6
    std::array<RkfRow, 6> stages;      // stages[i - 1]: a_ij, j < i (row 1 empty)
    RkfRow fifth_order;                // b_j
    RkfRow error;                      // fourth-order minus fifth-order weights
};

inline constexpr RkfTableau kFehlberg45 = {
    .nodes = {{{0, 1}, {1, 4}, {3, 8}, {12, 13}, {1, 1}, {1, 2}}},
    .stages = {{
        {{0, 1}, {}},
        {{1, 4}, {1}},
        {{3, 32}, {1, 3}},
        {{1, 2197}, {1932, -7200, 7296}},
        {{1, 4104}, {8341, -32832, 29440, -845}},
        {{1, 20520}, {-6080, 41040, -28352, 9295, -5643}},
    }},
    .fifth_order = {{1, 7618050}, {902880, 0, 3953664, 3855735, -1371249, 277020}},
    .error = {{1, 752400}, {-2090, 0, 22528, 21970, -15048, -27360}},
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

}  // namespace rkf_detail

// Size of the first step of an integration.
// Given: the state y and its derivative yp at t; dt = t_out - t; the
// tolerances.
// Returned: |dt|, reduced for each component k with tolerance tol_k =
// relative |y_k| + absolute > 0 and |yp_k| |h|^5 > tol_k to (tol_k /
// |yp_k|)^0.2f (math::pow_fifth); 0 when no component has a tolerance; at least 26 u max(|t|,
// |dt|), u the unit roundoff. Its sign is set by the caller.
template <std::size_t N>
double rkf_initial_step(const std::array<double, N>& y, const std::array<double, N>& yp, double t, double dt,
                        RkfTolerances tolerances) {
    using namespace rkf_detail;
    double h = std::fabs(dt);
    bool any_tolerance = false;
    for (std::size_t k = 0; k < N; ++k) {
        const double tol = tolerances.relative * std::fabs(y[k]) + tolerances.absolute;
        if (tol > 0.0) {
            any_tolerance = true;
            const double ypk = std::fabs(yp[k]);
            const double h2 = h * h;
            const double h5 = h2 * h2 * h;
            if (ypk * h5 > tol) h = math::pow_fifth(tol / ypk);
        }
    }
    if (!any_tolerance) h = 0.0;
    const double span = std::fabs(t) > std::fabs(dt) ? std::fabs(t) : std::fabs(dt);
    const double h_floor = kU26 * span;
    return h > h_floor ? h : h_floor;
}

// Factor on the step after a rejected trial with scaled error est > 1:
// 0.9 / est^0.2, at most a tenfold shrink (0.1 from est = 9^5 = 59049 on).
inline double rkf_shrink_factor(double est) {
    return est < 59049.0 ? 0.9 / math::pow_fifth(est) : 0.1;
}

// Factor on the step after an accepted trial with scaled error est <= 1:
// 0.9 / est^0.2, at most a fivefold growth (5 up to est = 0.18^5 =
// 0.0001889568), and no growth at all when a trial of the same step was
// rejected.
inline double rkf_growth_factor(double est, bool after_rejection) {
    double s = est > 0.0001889568 ? 0.9 / math::pow_fifth(est) : 5.0;
    if (after_rejection && s > 1.0) s = 1.0;
    return s;
}

// Error norm of a trial step.
// Given: the state y at the start of the step, the fifth-order trial solution,
// the stage derivatives k1 .. k6 and ae = 2 absolute / relative.
// Returned: the largest ratio over the components of |sum_j e_j k_j| (the
// error row's weights) to the weight |y_k| + |trial_k| + ae; empty when a
// weight is 0 or below (the error test is impossible).
// Notes: a ratio that is not a number (a field that is not a number) counts
// as infinite, so that such a trial fails the test instead of passing it.
template <std::size_t N>
std::optional<double> rkf_error_ratio(const std::array<double, N>& y, const std::array<double, N>& trial,
                                      const std::array<std::array<double, N>, 6>& k, double ae) {
    const auto& e = kFehlberg45.error.weights;
    const auto& [k1, k2, k3, k4, k5, k6] = k;
    double largest = 0.0;
    for (std::size_t i = 0; i < N; ++i) {
        const double weight = std::fabs(y[i]) + std::fabs(trial[i]) + ae;
        if (weight <= 0.0) return std::nullopt;
        const double estimate =
            std::fabs((e[0] * k1[i] + (e[3] * k4[i] + e[4] * k5[i])) + (e[2] * k3[i] + e[5] * k6[i]));
        const double ratio = estimate / weight;
        if (std::isnan(ratio)) {
            largest = std::numeric_limits<double>::infinity();
        } else if (ratio > largest) {
            largest = ratio;
        }
    }
    return largest;
}

// The Runge-Kutta-Fehlberg 4(5) integrator as a resumable stepper: it owns the
// state, the tolerances, the stage storage and the counters of one
// integration, and instead of calling the derivative routine it stops each
// time it needs one derivative f(t, y) and goes on when given the result. So a
// caller may evaluate the derivatives of several integrations together.
//
// Given: start() sets the initial state y at t, the end t_out, the tolerances
// and the mode of the first call; proceed(), once a call is complete,
// prepares the next (continuing the integration); set_tolerances() and
// set_end() may change the tolerances and the end between calls.
// Returned: resume() runs the prepared call until it needs a derivative and
// returns true: the caller evaluates f(point_t(), point_y()) into
// derivative() and calls resume() again. It returns false when the call is
// complete: status() then says how it ended, and state(), t(), tolerances()
// hold the new point (unchanged by every status but kReachedEnd and kOneStep;
// kToleranceRaised has raised the relative tolerance).
// Notes: error-per-step control with local extrapolation (the rules are
// rkf_initial_step, rkf_shrink_factor, rkf_growth_factor, rkf_error_ratio).
// Each trial step costs five derivative evaluations, each accepted step one
// more; the stepper waits at the start, at each of the five trial stages, at
// the accepted point, and at t_out after the extrapolation of a step very
// close to it. After kTooManyEvaluations a continuation renews the budget and
// goes on. After kStepTooSmall a continuation with tolerances no larger
// returns kStepTooSmall again without doing anything: the caller must end the
// integration. No allocation; the stepper may be copied (it holds no pointer).
template <std::size_t N>
class RkfStepper {
    static_assert(N >= 1, "an integration has at least one equation");

public:
    using State = std::array<double, N>;

    // (y is taken by value: the stepper's own state() may be passed to restart from it.)
    void start(State y, double t, double t_out, RkfTolerances tolerances, RkfMode mode) {
        *this = RkfStepper{};
        y_ = y;
        t_ = t;
        t_out_ = t_out;
        tolerances_ = tolerances;
        mode_ = mode;
        starting_ = true;
        next_ = Wait::kEntry;
    }

    void proceed(RkfMode mode) {
        mode_ = mode;
        starting_ = false;
        next_ = Wait::kEntry;
    }

    void set_tolerances(RkfTolerances tolerances) { tolerances_ = tolerances; }
    void set_end(double t_out) { t_out_ = t_out; }

    bool resume() {
        switch (next_) {
            case Wait::kEntry: return enter();
            case Wait::kStart:
                evaluations_ = 1;
                if (t_ == t_out_) return finish(RkfStatus::kReachedEnd);
                return choose_step();
            case Wait::kEnd:
                evaluations_ = evaluations_ + 1;
                t_ = t_out_;
                return finish(RkfStatus::kReachedEnd);
            case Wait::kStage2: return stage3();
            case Wait::kStage3: return stage4();
            case Wait::kStage4: return stage5();
            case Wait::kStage5: return stage6();
            case Wait::kStage6: return judge_trial();
            case Wait::kAccepted: return after_accepted();
            case Wait::kComplete: break;
        }
        return false;
    }

    // The derivative it waits for: the point, and where its value goes.
    double point_t() const { return point_t_; }
    const double* point_y() const { return slot_ == 0 ? y_.data() : w_.data(); }
    double* derivative() { return k_[slot_].data(); }

    RkfStatus status() const { return status_; }
    const State& state() const { return y_; }
    double t() const { return t_; }
    RkfTolerances tolerances() const { return tolerances_; }
    // The derivative at the current point (after a completed step, at the new one).
    const State& current_derivative() const { return k_[0]; }
    // The step size the next trial starts from (signed as t_out - t).
    double step_size() const { return h_; }
    // Derivative evaluations since the start, or since the budget was renewed.
    int derivative_evaluations() const { return evaluations_; }
    // Calls since the start whose step was at least twice the remaining
    // interval (counted to 100, which ends a call with kTooManyShortIntervals).
    int wide_step_calls() const { return wide_step_calls_; }

private:
    enum class Wait : unsigned char {
        kEntry,     // a call prepared, not begun
        kStart,     // derivative at the initial point
        kEnd,       // derivative at t_out after the extrapolation
        kStage2,    // the five derivatives of a trial step
        kStage3,
        kStage4,
        kStage5,
        kStage6,
        kAccepted,  // derivative at the accepted point
        kComplete,
    };

    // Waits for the derivative at (t, point_y()) into k_[slot] (slot 0: the
    // current point y_, into k1; else the stage point w_).
    bool request(double t, int slot, Wait next) {
        point_t_ = t;
        slot_ = slot;
        next_ = next;
        return true;
    }

    bool finish(RkfStatus status) {
        status_ = status;
        next_ = Wait::kComplete;
        return false;
    }

    bool enter() {
        // Input check.
        if (tolerances_.relative < 0.0 || tolerances_.absolute < 0.0) return finish(RkfStatus::kInvalidInput);

        // Continuation after a call that stopped.
        if (!starting_) {
            if (t_ == t_out_ && held_status_ != RkfStatus::kToleranceRaised) {
                return finish(RkfStatus::kInvalidInput);
            }
            if (held_status_ == RkfStatus::kTooManyEvaluations) evaluations_ = 0;
            if (held_status_ == RkfStatus::kStepTooSmall && tolerances_.relative <= saved_tolerances_.relative &&
                tolerances_.absolute <= saved_tolerances_.absolute) {
                return finish(RkfStatus::kStepTooSmall);
            }
        }

        // Save the call's tolerances; raise a relative tolerance below the
        // attainable accuracy.
        held_status_.reset();
        saved_tolerances_ = tolerances_;
        const double relative_min = 2.0 * rkf_detail::kU + 1e-12;
        if (tolerances_.relative < relative_min) {
            tolerances_.relative = relative_min;
            return hold(RkfStatus::kToleranceRaised);
        }

        // Start: derivative at the initial point, then the initial step size.
        dt_ = t_out_ - t_;
        if (starting_) {
            step_chosen_ = false;
            wide_step_calls_ = 0;
            return request(t_, 0, Wait::kStart);
        }
        return choose_step();
    }

    // Ends the call with a status that the next continuation reads.
    bool hold(RkfStatus status) {
        held_status_ = status;
        return finish(status);
    }

    bool choose_step() {
        using namespace rkf_detail;
        const double dt = dt_;
        if (!step_chosen_) {
            h_ = rkf_initial_step(y_, k_[0], t_, dt, tolerances_);
            step_chosen_ = true;
        }

        // Step direction; too many calls with tiny remaining intervals.
        h_ = std::copysign(std::fabs(h_), dt);
        if (std::fabs(h_) >= 2.0 * std::fabs(dt)) {
            wide_step_calls_ = wide_step_calls_ + 1;
            if (wide_step_calls_ == 100) {
                wide_step_calls_ = 0;
                return finish(RkfStatus::kTooManyShortIntervals);
            }
        }

        // Very close to t_out: extrapolate and stop.
        if (std::fabs(dt) <= kU26 * std::fabs(t_)) {
            for (std::size_t i = 0; i < N; ++i) y_[i] = y_[i] + dt * k_[0][i];
            return request(t_out_, 0, Wait::kEnd);
        }

        // Error scaling.
        scale_ = 2.0 / tolerances_.relative;
        ae_ = scale_ * tolerances_.absolute;
        output_ = false;
        return begin_step();
    }

    // Step loop: one accepted step per pass.
    bool begin_step() {
        rejected_ = false;
        h_min_ = rkf_detail::kU26 * std::fabs(t_);
        const double dt = t_out_ - t_;
        if (std::fabs(dt) < 2.0 * std::fabs(h_)) {
            if (std::fabs(dt) <= std::fabs(h_)) {
                h_ = dt;
                output_ = true;
            } else {
                h_ = dt / 2.0;
            }
        }
        return trial();
    }

    // A trial step of Fehlberg's stages from (t, y) with k1 = f(t, y): each
    // stage point goes to w_, its derivative to k_[i - 1].
    bool trial() {
        if (evaluations_ > 6000) return hold(RkfStatus::kTooManyEvaluations);
        return stage<2>([](const auto& a, const auto& k, std::size_t i) { return a[0] * k[0][i]; });
    }

    bool stage3() {
        return stage<3>([](const auto& a, const auto& k, std::size_t i) { return a[0] * k[0][i] + a[1] * k[1][i]; });
    }

    bool stage4() {
        return stage<4>([](const auto& a, const auto& k, std::size_t i) {
            return a[0] * k[0][i] + (a[2] * k[2][i] + a[1] * k[1][i]);
        });
    }

    bool stage5() {
        return stage<5>([](const auto& a, const auto& k, std::size_t i) {
            return (a[0] * k[0][i] + a[3] * k[3][i]) + (a[2] * k[2][i] + a[1] * k[1][i]);
        });
    }

    bool stage6() {
        return stage<6>([](const auto& a, const auto& k, std::size_t i) {
            return (a[0] * k[0][i] + (a[3] * k[3][i] + a[4] * k[4][i])) + (a[1] * k[1][i] + a[2] * k[2][i]);
        });
    }

    // The point of stage S (2..6), w = y + factor h sum_j weights_j k_j with
    // the sum of component i given by `sum(weights, k_, i)` (k_[j - 1] is k_j,
    // grouped as written, which fixes its rounding); waits for its derivative.
    template <int S, class Sum>
    bool stage(Sum sum) {
        const RkfRow& row = kFehlberg45.stages[S - 1];
        const double ch = row.factor.of(h_);
        for (std::size_t i = 0; i < N; ++i) w_[i] = y_[i] + ch * sum(row.weights, k_, i);
        return request(t_ + kFehlberg45.nodes[S - 1].of(h_), S - 1,
                       static_cast<Wait>(static_cast<int>(Wait::kStage2) + (S - 2)));
    }

    // The fifth-order solution of the trial step, its error test, and the
    // accepted point or a shorter trial.
    bool judge_trial() {
        const auto& [k1, k2, k3, k4, k5, k6] = k_;
        const auto& b = kFehlberg45.fifth_order.weights;
        const double ch = kFehlberg45.fifth_order.factor.of(h_);
        for (std::size_t i = 0; i < N; ++i)
            trial_[i] = y_[i] + ch * ((b[0] * k1[i] + (b[3] * k4[i] + b[4] * k5[i])) + (b[2] * k3[i] + b[5] * k6[i]));
        evaluations_ = evaluations_ + 5;

        const std::optional<double> largest = rkf_error_ratio(y_, trial_, k_, ae_);
        if (!largest) return finish(RkfStatus::kErrorTestImpossible);
        est_ = kFehlberg45.error.factor.numerator * std::fabs(h_) * *largest * scale_ /
               kFehlberg45.error.factor.denominator;
        if (est_ <= 1.0) {
            // Accepted: take the fifth-order solution.
            t_ = t_ + h_;
            y_ = trial_;
            return request(t_, 0, Wait::kAccepted);
        }

        // Rejected: a shorter trial, unless the step has reached its minimum.
        rejected_ = true;
        output_ = false;
        h_ = rkf_shrink_factor(est_) * h_;
        if (!(std::fabs(h_) > h_min_)) return hold(RkfStatus::kStepTooSmall);
        return trial();
    }

    bool after_accepted() {
        evaluations_ = evaluations_ + 1;

        // Next step size, at least the minimum step.
        const double grown = rkf_growth_factor(est_, rejected_) * std::fabs(h_);
        h_ = std::copysign(grown > h_min_ ? grown : h_min_, h_);

        if (output_) {
            t_ = t_out_;
            return finish(RkfStatus::kReachedEnd);
        }
        if (mode_ == RkfMode::kOneStep) return finish(RkfStatus::kOneStep);
        return begin_step();
    }

    // The integration.
    State y_{};
    double t_ = 0.0;
    double t_out_ = 0.0;
    RkfTolerances tolerances_;
    std::array<State, 6> k_{};  // stage derivatives k1 .. k6; k1 = f(t, y) at the current point
    State w_{};                 // the point of the stage being evaluated
    State trial_{};             // the fifth-order solution of the trial step
    double h_ = 0.0;            // step size
    bool step_chosen_ = false;  // the initial step size has been chosen
    int evaluations_ = 0;
    int wide_step_calls_ = 0;
    RkfTolerances saved_tolerances_;  // the tolerances of the last call that got past its input checks
    // The status of the last call that stopped at a condition the next
    // continuation reads (kToleranceRaised, kTooManyEvaluations, kStepTooSmall),
    // until a later call gets past the tolerance check; empty otherwise.
    std::optional<RkfStatus> held_status_;
    // The call.
    RkfMode mode_ = RkfMode::kOneStep;
    bool starting_ = false;
    double dt_ = 0.0;
    double scale_ = 0.0, ae_ = 0.0;
    double h_min_ = 0.0;
    double est_ = 0.0;
    bool rejected_ = false, output_ = false;
    RkfStatus status_ = RkfStatus::kInvalidInput;
    Wait next_ = Wait::kComplete;
    // The derivative it waits for.
    double point_t_ = 0.0;
    int slot_ = 0;
};

// Runs the call that `stepper` has prepared (by start() or proceed()) to its
// end, calling the derivative routine f(t, y, yp) each time the stepper needs
// it.
// Returned: the status of the call; the stepper holds the new state.
template <std::size_t N, class Derivative>
RkfStatus rkf_integrate(RkfStepper<N>& stepper, Derivative&& f) {
    while (stepper.resume()) f(stepper.point_t(), stepper.point_y(), stepper.derivative());
    return stepper.status();
}

}  // namespace cones
