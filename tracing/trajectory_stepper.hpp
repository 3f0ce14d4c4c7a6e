// One cosmic-ray trajectory traced as a resumable stepper: it stops each time
// its integrator needs a derivative of the equation of motion, so a caller may
// evaluate the field for several trajectories at once.
#pragma once

#include <cmath>

#include "tracing/integrator.hpp"
#include "tracing/trajectory.hpp"

namespace cones {

// The trajectory of a station entry at one rigidity in the field of model M
// (a row of the field model registry):
// integrator calls in one-step mode, after each the stop rules (time limit,
// tail, the Earth, beyond 7 Earth radii the model's magnetopause), then the
// classification.
//
// Given: start() takes the run's settings (which must outlive the
// trajectory), the station entry and the proton motion of the rigidity.
// Returned: advance() runs the trajectory until its integrator needs a
// derivative and returns true: the caller evaluates the equation of motion
// (with charge_to_mass()) at point_y() (GSM state, Earth radii and Earth radii
// per second) into derivative() and calls advance() again. It returns false
// when the trajectory is complete; result() then holds what
// trace_trajectory gives.
// Notes: the stepper holds pointers into itself, so it stays where it was
// built; start() may begin a new trajectory in the same place.
template <class M>
class TrajectoryStepper {
public:
    TrajectoryStepper() = default;
    TrajectoryStepper(const TrajectoryStepper&) = delete;
    TrajectoryStepper& operator=(const TrajectoryStepper&) = delete;

    void start(const TraceSettings& settings, const StationEntry& station, const ProtonMotion& motion) {
        settings_ = &settings;
        prepared_ = &settings.field.prepared_for<M>();
        charge_to_mass_ = motion.charge_to_mass;
        result_ = TraceResult{};
        result_.state = start_state(*settings.field.epoch, station, settings.start_radius, motion.speed);
        work_ = IntegratorWork<6>{};
        t_ = 0.0;
        rel_tol_ = 1e-8;
        abs_tol_ = 1e-6;
        flag_ = -1;
        call_ = RkfStepper<6>(result_.state.data(), t_, kTimeOut, rel_tol_, abs_tol_, flag_, work_);
    }

    bool advance() {
        for (;;) {
            if (call_.resume()) return true;
            ++result_.steps;
            // The call has ended: after one step (status -2), or with status 3,
            // 4 or 6, which leave t and y as they were. The stop rules are
            // checked, and the tracing goes on with a continuation call.
            const bool cannot_continue = (flag_ == rkf_status::kStepTooSmall);
            flag_ = -2;
            const TraceState& y = result_.state;
            const double r = std::sqrt(y[1] * y[1] + y[0] * y[0] + y[2] * y[2]);
            if (t_ > kTimeLimit || y[0] <= kTailLimit || r < 1.0 ||
                (r > kMagnetopauseRadius &&
                 M::escaped(*prepared_, y[0], y[1], y[2]))) {
                classify(r);
                return false;
            }
            if (cannot_continue) {
                // The step size fell to its minimum without meeting the
                // tolerances and the trajectory has not stopped: it can be
                // neither continued nor classified.
                result_.outcome = TraceOutcome::kIntegrationFailed;
                result_.time = t_;
                return false;
            }
            call_ = RkfStepper<6>(result_.state.data(), t_, kTimeOut, rel_tol_, abs_tol_, flag_, work_);
        }
    }

    double point_t() const { return call_.point_t(); }
    const double* point_y() const { return call_.point_y(); }
    double* derivative() const { return call_.derivative(); }
    double charge_to_mass() const { return charge_to_mass_; }
    const TraceResult& result() const { return result_; }

private:
    // End of the integration interval, s: far beyond the time limit.
    static constexpr double kTimeOut = 100.0;

    void classify(double r) {
        result_.time = t_;
        if (!(r > 1.0 && t_ <= kTimeLimit)) {
            result_.outcome = TraceOutcome::kForbidden;
            return;
        }
        result_.outcome = TraceOutcome::kAllowed;
        const TraceState& y = result_.state;
        asymptotic_direction(*settings_, y[3], y[4], y[5], result_.latitude, result_.longitude);
    }

    const TraceSettings* settings_ = nullptr;
    const typename M::Prepared* prepared_ = nullptr;
    double charge_to_mass_ = 0.0;
    TraceResult result_;
    IntegratorWork<6> work_;
    double t_ = 0.0;
    double rel_tol_ = 1e-8;
    double abs_tol_ = 1e-6;
    int flag_ = -1;
    RkfStepper<6> call_;
};

}  // namespace cones
