// Runge-Kutta-Fehlberg integrator: accuracy, the one-step protocol and its statuses.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tracing/integrator.hpp"

namespace cones {
namespace {

// Harmonic oscillator y0' = y1, y1' = -omega^2 y0, counting evaluations.
struct Oscillator {
    int calls = 0;
    double omega = 1.0;
    void operator()(double, const double* y, double* yp) {
        ++calls;
        yp[0] = y[1];
        yp[1] = -omega * omega * y[0];
    }
};

// One integration: the state, the tolerances, the flag and the work storage,
// with the tracer's defaults (one-step mode, 1e-8 and 1e-6).
template <std::size_t N>
struct Integration {
    std::array<double, N> y{};
    double t = 0.0;
    double rel = 1e-8;
    double abs = 1e-6;
    int flag = -1;
    IntegratorWork<N> work;

    template <class Derivative>
    int call(Derivative& f, double t_out = 100.0) {
        rkf_integrate<N>(f, y.data(), t, t_out, rel, abs, flag, work);
        return flag;
    }
};

TEST(Integrator, OneStepModeFollowsTheExactSolution) {
    Oscillator f;
    Integration<2> run;
    run.y = {1.0, 0.0};
    int steps = 0;
    while (run.t < 5.0) {
        ASSERT_EQ(run.call(f), rkf_status::kOneStep);
        run.flag = -2;
        ++steps;
        // Local error control at abs_tol 1e-6 per step: a few 1e-6 globally.
        EXPECT_NEAR(run.y[0], std::cos(run.t), 1e-5);
        EXPECT_NEAR(run.y[1], -std::sin(run.t), 1e-5);
    }
    EXPECT_GT(steps, 5);
    // Six evaluations per accepted step, five more per rejected trial.
    EXPECT_EQ((f.calls - 1 - 6 * steps) % 5, 0);
}

TEST(Integrator, FirstCallTakesExactlyOneStepAndLeavesTheDerivativeThere) {
    Oscillator f;
    Integration<2> run;
    run.y = {1.0, 0.0};
    EXPECT_EQ(run.call(f), rkf_status::kOneStep);
    EXPECT_GT(run.t, 0.0);
    EXPECT_LT(run.t, 100.0);
    double expected[2];
    f(run.t, run.y.data(), expected);
    EXPECT_EQ(run.work.yp[0], expected[0]);
    EXPECT_EQ(run.work.yp[1], expected[1]);
}

TEST(Integrator, IntervalModeReachesTheEnd) {
    Oscillator f;
    Integration<2> run;
    run.y = {1.0, 0.0};
    run.abs = 1e-8;
    run.flag = 1;
    EXPECT_EQ(run.call(f, 3.0), rkf_status::kReachedEnd);
    EXPECT_EQ(run.t, 3.0);
    EXPECT_NEAR(run.y[0], std::cos(3.0), 1e-7);
}

TEST(Integrator, ZeroDerivativeStepsStraightToTheEnd) {
    auto still = [](double, const double*, double* yp) { yp[0] = 0.0; yp[1] = 0.0; };
    Integration<2> run;
    run.y = {1.0, 2.0};
    EXPECT_EQ(run.call(still), rkf_status::kReachedEnd);
    EXPECT_EQ(run.t, 100.0);
    EXPECT_EQ(run.y[0], 1.0);
    EXPECT_EQ(run.y[1], 2.0);
}

TEST(Integrator, ComponentStayingZeroIsNoErrorTestFailure) {
    // y1 stays exactly 0; with abs_tol > 0 its error weight is still positive.
    auto decay = [](double, const double* y, double* yp) { yp[0] = -y[0]; yp[1] = 0.0; };
    Integration<2> run;
    run.y = {1.0, 0.0};
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(run.call(decay), rkf_status::kOneStep);
        run.flag = -2;
    }
    EXPECT_EQ(run.y[1], 0.0);
    EXPECT_NEAR(run.y[0], std::exp(-run.t), 1e-6);
}

TEST(Integrator, NoGrowthInTheCallAfterARejectedStep) {
    // y' switches from 0 to 1 at t = 1: trial steps that reach past the switch
    // fail the error test and are shrunk. The step accepted in a call with a
    // rejection bounds the step of the next call, although the solution on
    // either side is a straight line the integrator could cross in one step.
    int calls = 0;
    auto switched_on = [&calls](double t, const double*, double* yp) {
        ++calls;
        yp[0] = t > 1.0 ? 1.0 : 0.0;
    };
    Integration<1> run;
    int rejecting_calls = 0;
    bool after_rejection = false;
    double previous_step = 0.0;
    for (int i = 0; i < 100 && run.t < 2.0; ++i) {
        const int calls_before = calls;
        const double t_before = run.t;
        ASSERT_EQ(run.call(switched_on), rkf_status::kOneStep);
        run.flag = -2;
        const double step = run.t - t_before;
        if (after_rejection) {
            EXPECT_LE(step, previous_step * (1 + 1e-12)) << "from t = " << t_before;
        }
        // Five evaluations per trial step, one at the accepted point, and on
        // the first call one at the start.
        const int trials = (calls - calls_before - (i == 0 ? 2 : 1)) / 5;
        after_rejection = trials > 1;
        if (after_rejection) ++rejecting_calls;
        previous_step = step;
    }
    EXPECT_GE(run.t, 2.0);
    EXPECT_GE(rejecting_calls, 3);
}

TEST(Integrator, TooSmallRelativeToleranceIsRaisedWithoutAStep) {
    Oscillator f;
    Integration<2> run;
    run.y = {1.0, 0.0};
    run.rel = 1e-13;
    EXPECT_EQ(run.call(f), rkf_status::kToleranceRaised);
    EXPECT_EQ(run.rel, 2.0 * std::ldexp(1.0, -53) + 1e-12);
    EXPECT_EQ(run.t, 0.0);
    EXPECT_EQ(f.calls, 0);
}

TEST(Integrator, InvalidInputIsRefused) {
    Oscillator f;
    for (const int bad_flag : {0, 3, -8, 9}) {
        Integration<2> run;
        run.flag = bad_flag;
        EXPECT_EQ(run.call(f), rkf_status::kInvalidInput) << bad_flag;
    }
    Integration<2> negative;
    negative.rel = -1.0;
    EXPECT_EQ(negative.call(f), rkf_status::kInvalidInput);
    EXPECT_EQ(f.calls, 0);
}

TEST(Integrator, StepTooSmallCannotBeContinuedWithTheSameTolerances) {
    // The derivative is not a number beyond t = 0.5: no step across it meets
    // the tolerance, and the step size falls to its minimum just before it.
    int calls = 0;
    auto singular = [&calls](double t, const double* y, double* yp) {
        ++calls;
        yp[0] = t > 0.5 ? std::numeric_limits<double>::quiet_NaN() : -y[0];
    };
    Integration<1> run;
    run.y = {1.0};
    int status = 0;
    for (int i = 0; i < 10000 && status != rkf_status::kStepTooSmall; ++i) {
        status = run.call(singular);
        run.flag = -2;
    }
    ASSERT_EQ(status, rkf_status::kStepTooSmall);
    EXPECT_LE(run.t, 0.5);
    EXPECT_GT(run.t, 0.49);
    EXPECT_TRUE(std::isfinite(run.y[0]));
    const double t_before = run.t, y_before = run.y[0];
    const int calls_before = calls;
    EXPECT_EQ(run.call(singular), rkf_status::kStepTooSmall);
    EXPECT_EQ(run.t, t_before);
    EXPECT_EQ(run.y[0], y_before);
    EXPECT_EQ(calls, calls_before);
}

TEST(Integrator, EvaluationBudgetIsReportedAndThenRenewed) {
    Oscillator f;
    f.omega = 1000.0;  // thousands of steps to t_out
    Integration<2> run;
    run.y = {1.0, 0.0};
    run.flag = 1;
    ASSERT_EQ(run.call(f), rkf_status::kTooManyEvaluations);
    EXPECT_GT(f.calls, 6000);
    const double t_stalled = run.t;
    run.flag = 2;
    EXPECT_EQ(run.call(f), rkf_status::kTooManyEvaluations);
    EXPECT_GT(run.t, t_stalled);  // the counter restarted and the integration went on
}

}  // namespace
}  // namespace cones
