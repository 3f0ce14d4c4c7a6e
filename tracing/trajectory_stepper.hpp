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
// trajectory), the station entry and the motion of the rigidity
// (traced_motion).
// Returned: advance() runs the trajectory until its integrator needs a
// derivative and returns true: the caller evaluates the equation of motion
// (with charge_to_mass()) at point_y() (GSM state, Earth radii and Earth radii
// per second) into derivative() and calls advance() again. It returns false
// when the trajectory is complete; result() then holds what
// trace_trajectory gives.
// Notes: start() may begin a new trajectory in the same stepper.
template <class M>
class TrajectoryStepper {
public:
    void start(const TraceSettings& settings, const StationEntry& station, const ProtonMotion& motion) {
        settings_ = &settings;
        prepared_ = &settings.field.prepared_for<M>();
        charge_to_mass_ = motion.charge_to_mass;
        result_ = TraceResult{};
        integrator_.start(trace_start_state(settings, station, motion.speed), 0.0,
                          kTimeOut, {1e-8, 1e-6}, RkfMode::kOneStep);
    }

    bool advance() {
        for (;;) {
            if (integrator_.resume()) return true;
            ++result_.steps;
            // The call has ended: after one step, or having raised the
            // tolerance, used up its evaluations or found the step too small,
            // which leave t and y as they were. The stop rules are checked,
            // and the tracing goes on with a continuation call.
            const bool cannot_continue = (integrator_.status() == RkfStatus::kStepTooSmall);
            const TraceState& y = integrator_.state();
            const double t = integrator_.t();
            const double r = std::sqrt(y[1] * y[1] + y[0] * y[0] + y[2] * y[2]);
            if (t > kTimeLimit || y[0] <= kTailLimit || r < 1.0 ||
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
                end_at_last_step();
                return false;
            }
            integrator_.proceed(RkfMode::kOneStep);
        }
    }

    double point_t() const { return integrator_.point_t(); }
    const double* point_y() const { return integrator_.point_y(); }
    // The integrator's accepted state (GSM, Earth radii and Earth radii per
    // second): point_y() is this array when the derivative asked for is the
    // one at the start of a step.
    const TraceState& state() const { return integrator_.state(); }
    double* derivative() { return integrator_.derivative(); }
    double charge_to_mass() const { return charge_to_mass_; }
    const TraceResult& result() const { return result_; }

private:
    // End of the integration interval, s: far beyond the time limit.
    static constexpr double kTimeOut = 100.0;

    // The time and state of the last completed step go into the result.
    void end_at_last_step() {
        result_.time = integrator_.t();
        result_.state = integrator_.state();
    }

    void classify(double r) {
        end_at_last_step();
        if (!(r > 1.0 && result_.time <= kTimeLimit)) {
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
    RkfStepper<6> integrator_;
};

}  // namespace cones
