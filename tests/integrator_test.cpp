// Runge-Kutta-Fehlberg integrator: accuracy, the one-step protocol and its statuses.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "driver/integrator.hpp"

namespace cones {
namespace {

// Harmonic oscillator y0' = y1, y1' = -y0, counting evaluations.
struct Oscillator {
    int calls = 0;
    double omega = 1.0;
    void operator()(double, const double* y, double* yp) {
        ++calls;
        yp[0] = y[1];
        yp[1] = -omega * omega * y[0];
    }
};

TEST(Integrator, OneStepModeFollowsTheExactSolution) {
    Oscillator f;
    IntegratorWork<2> work;
    double y[2] = {1.0, 0.0};
    double t = 0.0, rel = 1e-8, abs = 1e-6;
    int flag = -1;
    int steps = 0;
    while (t < 5.0) {
        rkf_integrate<2>(f, y, t, 100.0, rel, abs, flag, work);
        ASSERT_EQ(flag, rkf_status::kOneStep);
        flag = -2;
        ++steps;
        // Local error control at abs_tol 1e-6 per step: a few 1e-6 globally.
        EXPECT_NEAR(y[0], std::cos(t), 1e-5);
        EXPECT_NEAR(y[1], -std::sin(t), 1e-5);
    }
    EXPECT_GT(steps, 5);
    // Six evaluations per accepted step, five more per rejected trial.
    EXPECT_EQ((f.calls - 1 - 6 * steps) % 5, 0);
}

TEST(Integrator, FirstCallTakesExactlyOneStepAndLeavesTheDerivativeThere) {
    Oscillator f;
    IntegratorWork<2> work;
    double y[2] = {1.0, 0.0};
    double t = 0.0, rel = 1e-8, abs = 1e-6;
    int flag = -1;
    rkf_integrate<2>(f, y, t, 100.0, rel, abs, flag, work);
    EXPECT_EQ(flag, rkf_status::kOneStep);
    EXPECT_GT(t, 0.0);
    EXPECT_LT(t, 100.0);
    double expected[2];
    f(t, y, expected);
    EXPECT_EQ(work.yp[0], expected[0]);
    EXPECT_EQ(work.yp[1], expected[1]);
}

TEST(Integrator, IntervalModeReachesTheEnd) {
    Oscillator f;
    IntegratorWork<2> work;
    double y[2] = {1.0, 0.0};
    double t = 0.0, rel = 1e-8, abs = 1e-8;
    int flag = 1;
    rkf_integrate<2>(f, y, t, 3.0, rel, abs, flag, work);
    EXPECT_EQ(flag, rkf_status::kReachedEnd);
    EXPECT_EQ(t, 3.0);
    EXPECT_NEAR(y[0], std::cos(3.0), 1e-7);
}

TEST(Integrator, ZeroDerivativeStepsStraightToTheEnd) {
    auto still = [](double, const double*, double* yp) { yp[0] = 0.0; yp[1] = 0.0; };
    IntegratorWork<2> work;
    double y[2] = {1.0, 2.0};
    double t = 0.0, rel = 1e-8, abs = 1e-6;
    int flag = -1;
    rkf_integrate<2>(still, y, t, 100.0, rel, abs, flag, work);
    EXPECT_EQ(flag, rkf_status::kReachedEnd);
    EXPECT_EQ(t, 100.0);
    EXPECT_EQ(y[0], 1.0);
    EXPECT_EQ(y[1], 2.0);
}

TEST(Integrator, ComponentStayingZeroIsNoErrorTestFailure) {
    // y1 stays exactly 0; with abs_tol > 0 its error weight is still positive.
    auto decay = [](double, const double* y, double* yp) { yp[0] = -y[0]; yp[1] = 0.0; };
    IntegratorWork<2> work;
    double y[2] = {1.0, 0.0};
    double t = 0.0, rel = 1e-8, abs = 1e-6;
    int flag = -1;
    for (int i = 0; i < 20; ++i) {
        rkf_integrate<2>(decay, y, t, 100.0, rel, abs, flag, work);
        ASSERT_EQ(flag, rkf_status::kOneStep);
        flag = -2;
    }
    EXPECT_EQ(y[1], 0.0);
    EXPECT_NEAR(y[0], std::exp(-t), 1e-6);
}

TEST(Integrator, TooSmallRelativeToleranceIsRaisedWithoutAStep) {
    Oscillator f;
    IntegratorWork<2> work;
    double y[2] = {1.0, 0.0};
    double t = 0.0, rel = 1e-13, abs = 1e-6;
    int flag = -1;
    rkf_integrate<2>(f, y, t, 100.0, rel, abs, flag, work);
    EXPECT_EQ(flag, rkf_status::kToleranceRaised);
    EXPECT_EQ(rel, 2.0 * std::ldexp(1.0, -53) + 1e-12);
    EXPECT_EQ(t, 0.0);
    EXPECT_EQ(f.calls, 0);
}

TEST(Integrator, InvalidInputIsRefused) {
    Oscillator f;
    IntegratorWork<2> work;
    double y[2] = {1.0, 0.0};
    double t = 0.0, abs = 1e-6;
    for (const int bad_flag : {0, 3, -8, 9}) {
        double rel = 1e-8;
        int flag = bad_flag;
        rkf_integrate<2>(f, y, t, 100.0, rel, abs, flag, work);
        EXPECT_EQ(flag, rkf_status::kInvalidInput) << bad_flag;
    }
    double rel = -1.0;
    int flag = -1;
    rkf_integrate<2>(f, y, t, 100.0, rel, abs, flag, work);
    EXPECT_EQ(flag, rkf_status::kInvalidInput);
    EXPECT_EQ(f.calls, 0);
}

TEST(Integrator, StepTooSmallCannotBeContinuedWithTheSameTolerances) {
    // The derivative turns non-finite beyond t = 0.5: no step across it meets
    // the tolerance and the step size falls to its minimum.
    int calls = 0;
    auto singular = [&calls](double t, const double* y, double* yp) {
        ++calls;
        yp[0] = t > 0.5 ? std::numeric_limits<double>::quiet_NaN() : -y[0];
    };
    IntegratorWork<1> work;
    double y[1] = {1.0};
    double t = 0.0, rel = 1e-8, abs = 1e-6;
    int flag = -1;
    int status = 0;
    for (int i = 0; i < 10000 && status != rkf_status::kStepTooSmall; ++i) {
        rkf_integrate<1>(singular, y, t, 100.0, rel, abs, flag, work);
        status = flag;
        flag = -2;
    }
    ASSERT_EQ(status, rkf_status::kStepTooSmall);
    EXPECT_LE(t, 0.5);
    const double t_before = t, y_before = y[0];
    const int calls_before = calls;
    rkf_integrate<1>(singular, y, t, 100.0, rel, abs, flag, work);
    EXPECT_EQ(flag, rkf_status::kStepTooSmall);
    EXPECT_EQ(t, t_before);
    EXPECT_EQ(y[0], y_before);
    EXPECT_EQ(calls, calls_before);
}

TEST(Integrator, EvaluationBudgetIsReportedAndThenRenewed) {
    Oscillator f;
    f.omega = 1000.0;  // thousands of steps to t_out
    IntegratorWork<2> work;
    double y[2] = {1.0, 0.0};
    double t = 0.0, rel = 1e-8, abs = 1e-6;
    int flag = 1;
    rkf_integrate<2>(f, y, t, 100.0, rel, abs, flag, work);
    ASSERT_EQ(flag, rkf_status::kTooManyEvaluations);
    EXPECT_GT(f.calls, 6000);
    const double t_stalled = t;
    flag = 2;
    rkf_integrate<2>(f, y, t, 100.0, rel, abs, flag, work);
    EXPECT_EQ(flag, rkf_status::kTooManyEvaluations);
    EXPECT_GT(t, t_stalled);  // the counter restarted and the integration went on
}

}  // namespace
}  // namespace cones
