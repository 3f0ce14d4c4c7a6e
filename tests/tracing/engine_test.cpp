// The engine's entry point: job lists, results in job order for every thread
// count and lane width, ending a run early, failures in the workers, and the
// lane occupancy.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "tracing/engine.hpp"
#include "tracing/lane_kernels.hpp"

namespace cones {
namespace {

EpochState epoch_2015() {
    std::ostringstream notice;
    return set_epoch(2015, 74, 12, 0, 0, notice);
}

TraceSettings model_settings(const EpochState& epoch, FieldModel model) {
    ModelParameters parameters{};
    parameters[7] = 3.0;  // Kp, for T89
    TraceSettings settings;
    settings.field = make_field_context(epoch, model, parameters);
    settings.start_radius = start_radius(20.0);
    return settings;
}

TraceSettings dipole_settings(const EpochState& epoch) { return model_settings(epoch, field_model<DipoleModel>); }

std::vector<StationEntry> stations() {
    return {{46.55, 7.98, 0, 0}, {65.05, 25.47, 0, 0}, {0.0, -75.0, 30, 90}, {-30.0, 150.0, 45, 270}};
}

// Rigidities across the cutoffs of these stations, so that the results mix
// allowed and forbidden trajectories of very different lengths.
std::vector<double> rigidities() {
    std::vector<double> list;
    for (int k = 0; k < 40; ++k) list.push_back(1.0 + 0.45 * k);
    return list;
}

bool same_result(const TraceResult& a, const TraceResult& b) {
    return a.outcome == b.outcome && a.latitude == b.latitude && a.longitude == b.longitude && a.time == b.time &&
           a.steps == b.steps && std::memcmp(a.state.data(), b.state.data(), sizeof a.state) == 0;
}

TEST(JobLists, RigidityMajorOrder) {
    const std::vector<StationEntry> s = stations();
    const std::vector<double> r = {1.0, 2.0, 3.0};
    const JobList by_rigidity = rigidity_major_jobs(s, r);
    ASSERT_EQ(by_rigidity.count, 12u);
    // Job 5: the second rigidity at the second station (four stations).
    EXPECT_EQ(by_rigidity.at(5).rigidity, 2.0);
    EXPECT_EQ(by_rigidity.at(5).station.latitude, s[1].latitude);
    EXPECT_EQ(by_rigidity.at(11).rigidity, 3.0);
    EXPECT_EQ(by_rigidity.at(11).station.latitude, s[3].latitude);
}

TEST(Engine, ResultsInJobOrderAndIdenticalForEveryThreadCountAndLaneWidth) {
    const EpochState epoch = epoch_2015();
    const std::vector<StationEntry> s = stations();
    const std::vector<double> r = rigidities();
    const JobList jobs = rigidity_major_jobs(s, r);

    // The dipole and T89 for protons on the sphere, and T89 for a negative
    // particle at geodetic stations.
    struct Case {
        FieldModel model;
        int charge_sign;
        bool geodetic;
    };
    for (const Case c : {Case{field_model<DipoleModel>, 1, false}, Case{field_model<T89Model>, 1, false},
                         Case{field_model<T89Model>, -1, true}}) {
        const FieldModel model = c.model;
        TraceSettings settings = model_settings(epoch, model);
        settings.charge_sign = c.charge_sign;
        settings.geodetic = c.geodetic;
        settings.start_altitude_km = 20.0;
        // The reference: each job traced directly, one after the other.
        std::vector<TraceResult> expected;
        for (std::size_t i = 0; i < jobs.count; ++i) {
            const TraceJob job = jobs.at(i);
            expected.push_back(trace_trajectory(settings, job.station, traced_motion(settings, job.rigidity)));
        }
        int allowed = 0;
        for (const TraceResult& result : expected) allowed += result.outcome == TraceOutcome::kAllowed;
        ASSERT_GT(allowed, 10);
        ASSERT_LT(allowed, static_cast<int>(expected.size()) - 10);

        for (const unsigned lanes : lane_widths()) {
            for (const unsigned threads : {1u, 2u, 3u, 7u}) {
                SCOPED_TRACE(testing::Message() << "model " << static_cast<int>(model) << ", charge sign "
                                                << c.charge_sign << (c.geodetic ? ", geodetic" : "") << ", " << threads
                                                << " threads, " << lanes << " lanes");
                std::vector<std::size_t> order;
                std::vector<TraceResult> results;
                EngineOptions options;
                options.threads = threads;
                options.lanes = lanes;
                const std::size_t handed =
                    trace_jobs(settings, jobs, options, [&](std::size_t index, const TraceResult& result) {
                        order.push_back(index);
                        results.push_back(result);
                        return true;
                    });
                EXPECT_EQ(handed, jobs.count);
                ASSERT_EQ(results.size(), expected.size());
                for (std::size_t i = 0; i < results.size(); ++i) {
                    EXPECT_EQ(order[i], i);
                    EXPECT_TRUE(same_result(results[i], expected[i])) << "job " << i;
                }
            }
        }
    }
}

TEST(Engine, LaneOccupancyIsCountedWhenAsked) {
    const EpochState epoch = epoch_2015();
    const TraceSettings settings = dipole_settings(epoch);
    const std::vector<StationEntry> s = stations();
    const std::vector<double> r = rigidities();
    const JobList jobs = rigidity_major_jobs(s, r);
    const auto ignore = [](std::size_t, const TraceResult&) { return true; };
    std::uint64_t evaluations = 0;  // every trajectory's derivative evaluations, whatever the lanes
    for (const unsigned lanes : lane_widths()) {
        for (const unsigned threads : {1u, 2u}) {
            LaneStatistics statistics;
            EngineOptions options;
            options.threads = threads;
            options.lanes = lanes;
            options.statistics = &statistics;
            trace_jobs(settings, jobs, options, ignore);
            EXPECT_EQ(statistics.width, lanes);
            if (lanes == 1) {
                EXPECT_EQ(statistics.batches, 0u);  // the scalar path has no batches
                continue;
            }
            // A busy lane is one derivative evaluation of one trajectory: their
            // number is the same for every width and thread count, at least
            // seven per trajectory (its start point and one step).
            if (evaluations == 0) evaluations = statistics.busy_lanes;
            EXPECT_EQ(statistics.busy_lanes, evaluations) << lanes << " lanes, " << threads << " threads";
            EXPECT_GE(statistics.busy_lanes, 7u * jobs.count);
            EXPECT_GT(statistics.occupancy(), 0.0);
            EXPECT_LE(statistics.occupancy(), 1.0);
        }
    }
    // A single job keeps one lane busy.
    LaneStatistics single;
    EngineOptions options;
    options.threads = 1;
    options.lanes = 2;
    options.statistics = &single;
    JobList one = jobs;
    one.count = 1;
    trace_jobs(settings, one, options, ignore);
    EXPECT_EQ(single.busy_lanes, single.batches);
    EXPECT_GE(single.batches, 7u);
    EXPECT_EQ(single.occupancy(), 0.5);
}

TEST(Engine, AWidthThisProcessorLacksIsRefused) {
    for (const unsigned width : lane_widths()) EXPECT_EQ(engine_lanes(width, field_model<T96Model>), width);
    for (const FieldModel model : {field_model<DipoleModel>, field_model<ReferenceFieldModel>, field_model<T89Model>,
                                   field_model<T96Model>, field_model<T01Model>, field_model<T01StormModel>,
                                   field_model<UnboundedReferenceFieldModel>}) {
        EXPECT_EQ(engine_lanes(0, model), widest_lane_width());
    }
    for (const unsigned width : {3u, 16u}) EXPECT_THROW(engine_lanes(width, field_model<ReferenceFieldModel>), std::invalid_argument) << width;
    if (!lane_width_available(8)) {
        EXPECT_THROW(engine_lanes(8, field_model<ReferenceFieldModel>), std::invalid_argument);
    }
}

TEST(Engine, TheSinkEndsTheRun) {
    const EpochState epoch = epoch_2015();
    const TraceSettings settings = dipole_settings(epoch);
    const std::vector<StationEntry> s = stations();
    const std::vector<double> r = rigidities();
    for (const unsigned lanes : lane_widths()) {
        for (const unsigned threads : {1u, 2u, 5u}) {
            std::size_t last = 0, calls = 0;
            EngineOptions options;
            options.threads = threads;
            options.lanes = lanes;
            const std::size_t handed = trace_jobs(settings, rigidity_major_jobs(s, r), options,
                                                  [&](std::size_t index, const TraceResult&) {
                                                      last = index;
                                                      ++calls;
                                                      return index < 17;
                                                  });
            EXPECT_EQ(handed, 18u) << threads << " threads, " << lanes << " lanes";
            EXPECT_EQ(calls, 18u) << threads << " threads, " << lanes << " lanes";
            EXPECT_EQ(last, 17u) << threads << " threads, " << lanes << " lanes";
        }
    }
}

TEST(Engine, AFailureInAWorkerReachesTheCaller) {
    const EpochState epoch = epoch_2015();
    const TraceSettings settings = dipole_settings(epoch);
    const std::vector<StationEntry> s = stations();
    JobList jobs;
    jobs.count = 1000;
    jobs.at = [&s](std::size_t index) {
        if (index == 300) throw std::runtime_error("job 300 cannot be built");
        return TraceJob{s[index % s.size()], 0.5};
    };
    for (const unsigned lanes : lane_widths()) {
        for (const unsigned threads : {1u, 3u}) {
            std::size_t handed = 0;
            EngineOptions options;
            options.threads = threads;
            options.lanes = lanes;
            EXPECT_THROW(trace_jobs(settings, jobs, options,
                                    [&](std::size_t, const TraceResult&) {
                                        ++handed;
                                        return true;
                                    }),
                         std::runtime_error)
                << threads << " threads, " << lanes << " lanes";
            EXPECT_LE(handed, 300u) << threads << " threads, " << lanes << " lanes";
        }
    }
}

TEST(Engine, EmptyJobListAndThreadCount) {
    const EpochState epoch = epoch_2015();
    const TraceSettings settings = dipole_settings(epoch);
    JobList none;
    none.at = [](std::size_t) { return TraceJob{}; };
    EXPECT_EQ(trace_jobs(settings, none, 4, [](std::size_t, const TraceResult&) { return true; }), 0u);
    EXPECT_EQ(engine_threads(3), 3u);
    EXPECT_GE(engine_threads(0), 1u);
}

}  // namespace
}  // namespace cones
