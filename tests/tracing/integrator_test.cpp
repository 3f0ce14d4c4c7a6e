// Runge-Kutta-Fehlberg integrator: the tableau, accuracy, the one-step
// protocol and its statuses, and the stepper driven from outside.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "tracing/integrator.hpp"

namespace cones {
namespace {

// The tracer's tolerances.
constexpr RkfTolerances kTracer{1e-8, 1e-6};

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

// A stepper started at t = 0 toward t_out.
template <std::size_t N>
RkfStepper<N> started(const std::array<double, N>& y, RkfMode mode = RkfMode::kOneStep,
                      RkfTolerances tolerances = kTracer, double t_out = 100.0) {
    RkfStepper<N> stepper;
    stepper.start(y, 0.0, t_out, tolerances, mode);
    return stepper;
}

// The conditions of order 1 to 4 on the weights w of a Runge-Kutta method
// with coefficients a and nodes c, the sums that must be 1/q for order q:
// sum w, sum w c, sum w c^2, sum w a c, sum w c^3, sum w c a c, sum w a c^2,
// sum w a a c; and the quadrature conditions sum w c^(q-1) = 1/q for q = 5.
std::vector<std::pair<double, double>> order_conditions(const std::array<double, 6>& w,
                                                        const std::array<std::array<double, 6>, 6>& a,
                                                        const std::array<double, 6>& c) {
    std::array<double, 6> ac{}, ac2{}, aac{};
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) {
            ac[i] += a[i][j] * c[j];
            ac2[i] += a[i][j] * c[j] * c[j];
        }
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) aac[i] += a[i][j] * ac[j];
    std::array<double, 9> sums{};
    for (int i = 0; i < 6; ++i) {
        sums[0] += w[i];
        sums[1] += w[i] * c[i];
        sums[2] += w[i] * c[i] * c[i];
        sums[3] += w[i] * ac[i];
        sums[4] += w[i] * c[i] * c[i] * c[i];
        sums[5] += w[i] * c[i] * ac[i];
        sums[6] += w[i] * ac2[i];
        sums[7] += w[i] * aac[i];
        sums[8] += w[i] * c[i] * c[i] * c[i] * c[i];
    }
    const double expected[9] = {1.0, 1.0 / 2, 1.0 / 3, 1.0 / 6, 1.0 / 4, 1.0 / 8, 1.0 / 12, 1.0 / 24, 1.0 / 5};
    std::vector<std::pair<double, double>> conditions;
    for (int q = 0; q < 9; ++q) conditions.emplace_back(sums[q], expected[q]);
    return conditions;
}

TEST(Integrator, TableauIsFehlbergsFourthAndFifthOrderPair) {
    std::array<double, 6> c{};
    std::array<std::array<double, 6>, 6> a{};
    std::array<double, 6> fifth{}, fourth{};
    for (int i = 0; i < 6; ++i) {
        c[i] = kFehlberg45.nodes[i].numerator / kFehlberg45.nodes[i].denominator;
        const RkfRow& row = kFehlberg45.stages[i];
        const double factor = row.factor.numerator / row.factor.denominator;
        double row_sum = 0.0;
        for (int j = 0; j < 6; ++j) {
            if (j >= i) {
                EXPECT_EQ(row.weights[j], 0.0) << "stage " << i + 1 << " is explicit";
            }
            a[i][j] = factor * row.weights[j];
            row_sum += a[i][j];
        }
        EXPECT_NEAR(row_sum, c[i], 1e-15) << "stage " << i + 1;
        const RkfRow& b = kFehlberg45.fifth_order;
        const RkfRow& e = kFehlberg45.error;
        fifth[i] = b.factor.numerator / b.factor.denominator * b.weights[i];
        fourth[i] = fifth[i] + e.factor.numerator / e.factor.denominator * e.weights[i];
    }
    // The fifth-order weights meet every condition listed, the fourth-order
    // ones those up to order 4 and not the fifth-order quadrature condition.
    const auto fifth_conditions = order_conditions(fifth, a, c);
    const auto fourth_conditions = order_conditions(fourth, a, c);
    for (std::size_t q = 0; q < fifth_conditions.size(); ++q) {
        EXPECT_NEAR(fifth_conditions[q].first, fifth_conditions[q].second, 1e-14) << q;
        if (q < 8) {
            EXPECT_NEAR(fourth_conditions[q].first, fourth_conditions[q].second, 1e-14) << q;
        }
    }
    EXPECT_GT(std::fabs(fourth_conditions[8].first - 0.2), 1e-4);
}

TEST(Integrator, StepSizeRulesAreBoundedAndContinuous) {
    // Growth at most 5, the bound reached where 0.9 / est^0.2 meets it; none
    // after a rejection; shrinking at most tenfold, the bound reached at 9^5.
    EXPECT_EQ(rkf_growth_factor(0.0, false), 5.0);
    EXPECT_EQ(rkf_growth_factor(0.0001, false), 5.0);
    EXPECT_NEAR(rkf_growth_factor(0.0001889568 * (1 + 1e-12), false), 5.0, 1e-6);
    EXPECT_NEAR(rkf_growth_factor(0.001, false), 0.9 / std::pow(0.001, 0.2), 1e-7);
    EXPECT_NEAR(rkf_growth_factor(1.0, false), 0.9, 1e-7);
    EXPECT_EQ(rkf_growth_factor(0.0, true), 1.0);
    EXPECT_EQ(rkf_growth_factor(0.5, true), 1.0);
    EXPECT_NEAR(rkf_growth_factor(1.0, true), 0.9, 1e-7);
    EXPECT_NEAR(rkf_shrink_factor(1.0), 0.9, 1e-7);
    EXPECT_NEAR(rkf_shrink_factor(1e4), 0.9 / std::pow(1e4, 0.2), 1e-7);
    EXPECT_NEAR(rkf_shrink_factor(59049.0 * (1 - 1e-12)), 0.1, 1e-7);
    EXPECT_EQ(rkf_shrink_factor(1e9), 0.1);
}

TEST(Integrator, OneStepModeFollowsTheExactSolution) {
    Oscillator f;
    RkfStepper<2> run = started<2>({1.0, 0.0});
    int steps = 0;
    while (run.t() < 5.0) {
        ASSERT_EQ(rkf_integrate(run, f), RkfStatus::kOneStep);
        ++steps;
        // Local error control at abs_tol 1e-6 per step: a few 1e-6 globally.
        EXPECT_NEAR(run.state()[0], std::cos(run.t()), 1e-5);
        EXPECT_NEAR(run.state()[1], -std::sin(run.t()), 1e-5);
        run.proceed(RkfMode::kOneStep);
    }
    EXPECT_GT(steps, 5);
    // Six evaluations per accepted step, five more per rejected trial.
    EXPECT_EQ((f.calls - 1 - 6 * steps) % 5, 0);
    EXPECT_EQ(run.derivative_evaluations(), f.calls);
}

TEST(Integrator, FirstCallTakesExactlyOneStepAndLeavesTheDerivativeThere) {
    Oscillator f;
    RkfStepper<2> run = started<2>({1.0, 0.0});
    EXPECT_EQ(rkf_integrate(run, f), RkfStatus::kOneStep);
    EXPECT_GT(run.t(), 0.0);
    EXPECT_LT(run.t(), 100.0);
    double expected[2];
    f(run.t(), run.state().data(), expected);
    EXPECT_EQ(run.current_derivative()[0], expected[0]);
    EXPECT_EQ(run.current_derivative()[1], expected[1]);
}

TEST(Integrator, IntervalModeReachesTheEnd) {
    Oscillator f;
    RkfStepper<2> run = started<2>({1.0, 0.0}, RkfMode::kInterval, {1e-8, 1e-8}, 3.0);
    EXPECT_EQ(rkf_integrate(run, f), RkfStatus::kReachedEnd);
    EXPECT_EQ(run.t(), 3.0);
    EXPECT_NEAR(run.state()[0], std::cos(3.0), 1e-7);
}

TEST(Integrator, ZeroDerivativeStepsStraightToTheEnd) {
    auto still = [](double, const double*, double* yp) { yp[0] = 0.0; yp[1] = 0.0; };
    RkfStepper<2> run = started<2>({1.0, 2.0});
    EXPECT_EQ(rkf_integrate(run, still), RkfStatus::kReachedEnd);
    EXPECT_EQ(run.t(), 100.0);
    EXPECT_EQ(run.state()[0], 1.0);
    EXPECT_EQ(run.state()[1], 2.0);
}

TEST(Integrator, ComponentStayingZeroIsNoErrorTestFailure) {
    // y1 stays exactly 0; with abs_tol > 0 its error weight is still positive.
    auto decay = [](double, const double* y, double* yp) { yp[0] = -y[0]; yp[1] = 0.0; };
    RkfStepper<2> run = started<2>({1.0, 0.0});
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(rkf_integrate(run, decay), RkfStatus::kOneStep);
        run.proceed(RkfMode::kOneStep);
    }
    EXPECT_EQ(run.state()[1], 0.0);
    EXPECT_NEAR(run.state()[0], std::exp(-run.t()), 1e-6);
}

TEST(Integrator, ComponentStayingZeroWithoutAbsoluteToleranceMakesTheErrorTestImpossible) {
    auto decay = [](double, const double* y, double* yp) { yp[0] = -y[0]; yp[1] = 0.0; };
    RkfStepper<2> run = started<2>({1.0, 0.0}, RkfMode::kOneStep, {1e-8, 0.0});
    EXPECT_EQ(rkf_integrate(run, decay), RkfStatus::kErrorTestImpossible);
    EXPECT_EQ(run.t(), 0.0);
    EXPECT_EQ(run.state()[0], 1.0);
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
    RkfStepper<1> run = started<1>({0.0});
    int rejecting_calls = 0;
    bool after_rejection = false;
    double previous_step = 0.0;
    for (int i = 0; i < 100 && run.t() < 2.0; ++i) {
        const int calls_before = calls;
        const double t_before = run.t();
        ASSERT_EQ(rkf_integrate(run, switched_on), RkfStatus::kOneStep);
        run.proceed(RkfMode::kOneStep);
        const double step = run.t() - t_before;
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
    EXPECT_GE(run.t(), 2.0);
    EXPECT_GE(rejecting_calls, 3);
}

TEST(Integrator, TooSmallRelativeToleranceIsRaisedWithoutAStep) {
    Oscillator f;
    RkfStepper<2> run = started<2>({1.0, 0.0}, RkfMode::kOneStep, {1e-13, 1e-6});
    EXPECT_EQ(rkf_integrate(run, f), RkfStatus::kToleranceRaised);
    EXPECT_EQ(run.tolerances().relative, 2.0 * std::ldexp(1.0, -53) + 1e-12);
    EXPECT_EQ(run.t(), 0.0);
    EXPECT_EQ(f.calls, 0);
}

TEST(Integrator, InvalidInputIsRefused) {
    // Negative tolerances, and a continuation from t_out itself, unless the
    // call before only raised the tolerance.
    Oscillator f;
    for (const RkfTolerances bad : {RkfTolerances{-1.0, 1e-6}, RkfTolerances{1e-8, -1.0}}) {
        RkfStepper<2> run = started<2>({1.0, 0.0}, RkfMode::kOneStep, bad);
        EXPECT_EQ(rkf_integrate(run, f), RkfStatus::kInvalidInput) << bad.relative << " " << bad.absolute;
    }
    EXPECT_EQ(f.calls, 0);

    RkfStepper<2> ended = started<2>({1.0, 0.0}, RkfMode::kInterval, kTracer, 0.5);
    ASSERT_EQ(rkf_integrate(ended, f), RkfStatus::kReachedEnd);
    const int calls = f.calls;
    ended.proceed(RkfMode::kOneStep);
    EXPECT_EQ(rkf_integrate(ended, f), RkfStatus::kInvalidInput);
    EXPECT_EQ(ended.t(), 0.5);
    EXPECT_EQ(f.calls, calls);

    RkfStepper<2> raised = started<2>({1.0, 0.0}, RkfMode::kOneStep, {1e-13, 1e-6}, 0.0);
    ASSERT_EQ(rkf_integrate(raised, f), RkfStatus::kToleranceRaised);
    raised.proceed(RkfMode::kOneStep);
    EXPECT_EQ(rkf_integrate(raised, f), RkfStatus::kReachedEnd);
}

TEST(Integrator, StepTooSmallCannotBeContinuedWithTheSameTolerances) {
    // The derivative is not a number beyond t = 0.5: no step across it meets
    // the tolerance, and the step size falls to its minimum just before it.
    int calls = 0;
    auto singular = [&calls](double t, const double* y, double* yp) {
        ++calls;
        yp[0] = t > 0.5 ? std::numeric_limits<double>::quiet_NaN() : -y[0];
    };
    RkfStepper<1> run = started<1>({1.0});
    RkfStatus status = rkf_integrate(run, singular);
    for (int i = 0; i < 10000 && status != RkfStatus::kStepTooSmall; ++i) {
        run.proceed(RkfMode::kOneStep);
        status = rkf_integrate(run, singular);
    }
    ASSERT_EQ(status, RkfStatus::kStepTooSmall);
    EXPECT_LE(run.t(), 0.5);
    EXPECT_GT(run.t(), 0.49);
    EXPECT_TRUE(std::isfinite(run.state()[0]));
    const double t_before = run.t(), y_before = run.state()[0];
    int calls_before = calls;
    run.proceed(RkfMode::kOneStep);
    EXPECT_EQ(rkf_integrate(run, singular), RkfStatus::kStepTooSmall);
    EXPECT_EQ(run.t(), t_before);
    EXPECT_EQ(run.state()[0], y_before);
    EXPECT_EQ(calls, calls_before);
    // Relaxed tolerances let it try again.
    run.set_tolerances({1e-6, 1e-4});
    run.proceed(RkfMode::kOneStep);
    rkf_integrate(run, singular);
    EXPECT_GT(calls, calls_before);
}

TEST(Integrator, EvaluationBudgetIsReportedAndThenRenewed) {
    Oscillator f;
    f.omega = 1000.0;  // thousands of steps to t_out
    RkfStepper<2> run = started<2>({1.0, 0.0}, RkfMode::kInterval);
    ASSERT_EQ(rkf_integrate(run, f), RkfStatus::kTooManyEvaluations);
    EXPECT_GT(f.calls, 6000);
    EXPECT_EQ(run.derivative_evaluations(), f.calls);
    const double t_stalled = run.t();
    const int calls_stalled = f.calls;
    run.proceed(RkfMode::kInterval);
    EXPECT_EQ(rkf_integrate(run, f), RkfStatus::kTooManyEvaluations);
    EXPECT_GT(run.t(), t_stalled);  // the counter restarted and the integration went on
    EXPECT_EQ(run.derivative_evaluations(), f.calls - calls_stalled);
}

TEST(Integrator, HundredthCallWithAStepTwiceTheIntervalIsReported) {
    // Outputs every 0.001 of a solution that does not change: after the first
    // interval the step size is many times the remaining interval.
    auto still = [](double, const double*, double* yp) { yp[0] = 0.0; };
    RkfStepper<1> run = started<1>({1.0}, RkfMode::kInterval, kTracer, 0.001);
    ASSERT_EQ(rkf_integrate(run, still), RkfStatus::kReachedEnd);
    for (int call = 1; call < 100; ++call) {
        run.set_end(0.001 * (call + 1));
        run.proceed(RkfMode::kInterval);
        ASSERT_EQ(rkf_integrate(run, still), RkfStatus::kReachedEnd) << call;
        EXPECT_EQ(run.wide_step_calls(), call);
    }
    const double t_before = run.t();
    run.set_end(0.101);
    run.proceed(RkfMode::kInterval);
    EXPECT_EQ(rkf_integrate(run, still), RkfStatus::kTooManyShortIntervals);
    EXPECT_EQ(run.t(), t_before);
    EXPECT_EQ(run.wide_step_calls(), 0);
    run.proceed(RkfMode::kInterval);
    EXPECT_EQ(rkf_integrate(run, still), RkfStatus::kReachedEnd);
    EXPECT_EQ(run.t(), 0.101);
}

// What one integrator call leaves behind, compared bit for bit.
template <std::size_t N>
std::vector<double> call_record(const RkfStepper<N>& run) {
    std::vector<double> record(run.state().begin(), run.state().end());
    record.insert(record.end(), {run.t(), run.tolerances().relative, static_cast<double>(run.status()),
                                 run.step_size(), static_cast<double>(run.derivative_evaluations())});
    record.insert(record.end(), run.current_derivative().begin(), run.current_derivative().end());
    return record;
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// How each call after the first begins: a continuation, or a new integration
// from where the last call ended.
enum class NextCall { kContinue, kRestart };

template <std::size_t N>
void begin_next_call(RkfStepper<N>& run, RkfMode mode, NextCall next) {
    if (next == NextCall::kRestart) {
        run.start(run.state(), run.t(), 100.0, run.tolerances(), mode);
    } else {
        run.proceed(mode);
    }
}

// One integration driven from outside through the stepper: the derivative is
// evaluated by the driver, one point per turn, as the engine's lanes do.
template <std::size_t N, class Derivative>
struct DrivenIntegration {
    DrivenIntegration(Derivative derivative, RkfStepper<N> started, int calls, RkfMode mode, NextCall next)
        : f(derivative), run(started), calls_left(calls), mode(mode), next(next) {}

    Derivative f;
    RkfStepper<N> run;
    int calls_left = 0;
    RkfMode mode;
    NextCall next;
    std::vector<double> points;                // t and y of every derivative asked for
    std::vector<std::vector<double>> records;  // one per completed call

    // One turn: at most one derivative evaluation. False once all calls are done.
    bool turn() {
        if (calls_left == 0) return false;
        if (run.resume()) {
            points.push_back(run.point_t());
            points.insert(points.end(), run.point_y(), run.point_y() + N);
            f(run.point_t(), run.point_y(), run.derivative());
            return true;
        }
        records.push_back(call_record(run));
        begin_next_call(run, mode, next);
        --calls_left;
        return calls_left > 0;
    }
};

// The same calls made by rkf_integrate, with the points it evaluates.
template <std::size_t N, class Derivative>
void reference_calls(Derivative f, RkfStepper<N> run, int calls, RkfMode mode, NextCall next,
                     std::vector<double>& points, std::vector<std::vector<double>>& records) {
    auto recording = [&](double t, const double* y, double* yp) {
        points.push_back(t);
        points.insert(points.end(), y, y + N);
        f(t, y, yp);
    };
    for (int i = 0; i < calls; ++i) {
        rkf_integrate(run, recording);
        records.push_back(call_record(run));
        begin_next_call(run, mode, next);
    }
}

TEST(IntegratorStepper, DrivenFromOutsideItIsRkfIntegrateBitForBit) {
    // Three integrations advanced in turn, one derivative each per round: a
    // smooth one in one-step mode, one whose derivative switches on (rejected
    // trials, shrinking and regrowing steps) and one in interval mode to the
    // end of its interval, started anew there for each call.
    auto oscillator = [](double, const double* y, double* yp) {
        yp[0] = y[1];
        yp[1] = -4.0 * y[0];
    };
    auto switched_on = [](double t, const double* y, double* yp) { yp[0] = t > 1.0 ? 1.0 + y[0] : 0.0; };
    auto decay = [](double, const double* y, double* yp) {
        yp[0] = -y[0];
        yp[1] = -0.5 * y[1];
    };
    const RkfStepper<2> a_start = started<2>({1.0, 0.0});
    const RkfStepper<1> b_start = started<1>({0.0});
    const RkfStepper<2> c_start = started<2>({1.0, 2.0}, RkfMode::kInterval);
    DrivenIntegration<2, decltype(oscillator)> a{oscillator, a_start, 60, RkfMode::kOneStep, NextCall::kContinue};
    DrivenIntegration<1, decltype(switched_on)> b{switched_on, b_start, 40, RkfMode::kOneStep,
                                                  NextCall::kContinue};
    DrivenIntegration<2, decltype(decay)> c{decay, c_start, 3, RkfMode::kInterval, NextCall::kRestart};

    std::vector<double> a_points, b_points, c_points;
    std::vector<std::vector<double>> a_records, b_records, c_records;
    reference_calls(oscillator, a_start, a.calls_left, a.mode, a.next, a_points, a_records);
    reference_calls(switched_on, b_start, b.calls_left, b.mode, b.next, b_points, b_records);
    reference_calls(decay, c_start, c.calls_left, c.mode, c.next, c_points, c_records);

    for (bool going = true; going;) {
        const bool a_on = a.turn(), b_on = b.turn(), c_on = c.turn();
        going = a_on || b_on || c_on;
    }
    EXPECT_TRUE(same_bits(a.points, a_points));
    EXPECT_TRUE(same_bits(b.points, b_points));
    EXPECT_TRUE(same_bits(c.points, c_points));
    ASSERT_EQ(a.records.size(), a_records.size());
    ASSERT_EQ(b.records.size(), b_records.size());
    ASSERT_EQ(c.records.size(), c_records.size());
    for (std::size_t i = 0; i < a_records.size(); ++i) EXPECT_TRUE(same_bits(a.records[i], a_records[i])) << i;
    for (std::size_t i = 0; i < b_records.size(); ++i) EXPECT_TRUE(same_bits(b.records[i], b_records[i])) << i;
    for (std::size_t i = 0; i < c_records.size(); ++i) EXPECT_TRUE(same_bits(c.records[i], c_records[i])) << i;

    // The runs went where they were meant to: b's trials were rejected (more
    // than six evaluations in some call) and c reached its interval's end.
    EXPECT_GT(b_points.size() / 2, 6u * b_records.size() + 1);
    EXPECT_EQ(c_records[0][2], 100.0);
    EXPECT_EQ(c_records[0][4], static_cast<double>(RkfStatus::kReachedEnd));
}

}  // namespace
}  // namespace cones
