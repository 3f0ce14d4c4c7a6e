// Asymptotic cones of the example stations in IGRF plus T89, against IGRF
// alone and across activity levels.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "io/engine_inputs.hpp"
#include "io/config.hpp"
#include "apps/cones_run.hpp"
#include "tracing/trajectory.hpp"

namespace cones {
namespace {

struct Cone {
    std::vector<TraceResult> results;  // station-major, rigidity-minor
};

// The example traced with another field model code and Kp.
Cone trace_example(RunConfiguration config, const EpochState& epoch, int field_model_code, double kp) {
    config.field_model_code = field_model_code;
    config.parameters[7] = kp;
    const TraceSettings settings = trace_settings_of(config, epoch);
    Cone cone;
    for (const StationRecord& station : config.stations) {
        for (const double rigidity : config.rigidities) {
            cone.results.push_back(trace_trajectory(settings, station_entry(station), proton_motion(rigidity)));
        }
    }
    return cone;
}

// Angle in degrees between two asymptotic directions.
double separation(const TraceResult& a, const TraceResult& b) {
    const double d = kDegreesToRadians;
    const double c = std::sin(a.latitude * d) * std::sin(b.latitude * d) +
                     std::cos(a.latitude * d) * std::cos(b.latitude * d) * std::cos((a.longitude - b.longitude) * d);
    return std::acos(std::fmin(1.0, std::fmax(-1.0, c))) / d;
}

class T89Cones : public ::testing::Test {
protected:
    void SetUp() override {
        config_ = read_configuration(std::string(CONES_SOURCE_DIR) + "/examples/Cones.ini");
        std::ostringstream notice;
        epoch_ = epoch_of(config_, notice);
    }
    // Mean separation of the entries allowed in both cones, over rigidities in [low, high].
    double mean_separation(const Cone& a, const Cone& b, double low, double high, int& compared) const {
        double sum = 0.0;
        compared = 0;
        const std::size_t n = config_.rigidities.size();
        for (std::size_t i = 0; i < a.results.size(); ++i) {
            const double rigidity = config_.rigidities[i % n];
            if (rigidity < low || rigidity > high) continue;
            if (a.results[i].outcome != TraceOutcome::kAllowed || b.results[i].outcome != TraceOutcome::kAllowed) continue;
            sum += separation(a.results[i], b.results[i]);
            ++compared;
        }
        return compared > 0 ? sum / compared : 0.0;
    }
    RunConfiguration config_;
    EpochState epoch_;
};

TEST_F(T89Cones, ExternalFieldMattersMoreAtLowRigidity) {
    const Cone internal = trace_example(config_, epoch_, ReferenceFieldModel::kDescription.code, 2.0);
    const Cone t89 = trace_example(config_, epoch_, T89Model::kDescription.code, 2.0);
    for (const TraceResult& r : t89.results) ASSERT_NE(r.outcome, TraceOutcome::kIntegrationFailed);
    int high_count = 0, low_count = 0;
    const double high = mean_separation(internal, t89, 18.0, 20.0, high_count);
    const double low = mean_separation(internal, t89, 1.0, 5.0, low_count);
    ASSERT_GT(high_count, 15);
    ASSERT_GT(low_count, 10);
    EXPECT_GT(high, 0.2);    // the magnetosphere is felt even at 20 GV
    EXPECT_LT(high, 3.0);    // but only slightly (about 1 degree)
    EXPECT_GT(low, 3.0 * high);  // about 9 degrees from 1 to 5 GV
}

TEST_F(T89Cones, QuietAndDisturbedMagnetospheresGiveDifferentCones) {
    const Cone quiet = trace_example(config_, epoch_, T89Model::kDescription.code, 0.0);
    const Cone disturbed = trace_example(config_, epoch_, T89Model::kDescription.code, 6.0);
    int compared = 0, changed_outcome = 0;
    const double mean = mean_separation(quiet, disturbed, 1.0, 20.0, compared);
    for (std::size_t i = 0; i < quiet.results.size(); ++i) {
        changed_outcome += quiet.results[i].outcome != disturbed.results[i].outcome;
    }
    EXPECT_GT(compared, 100);
    EXPECT_GT(mean, 1.0);  // about 5 degrees
    // A disturbed magnetosphere lowers cutoffs: more entries become allowed
    // than forbidden.
    int newly_allowed = 0;
    for (std::size_t i = 0; i < quiet.results.size(); ++i) {
        newly_allowed += quiet.results[i].outcome == TraceOutcome::kForbidden &&
                         disturbed.results[i].outcome == TraceOutcome::kAllowed;
    }
    EXPECT_GE(newly_allowed, changed_outcome - newly_allowed);
}

}  // namespace
}  // namespace cones
