// The engine's entry point: job lists, results in job order for every thread
// count, ending a run early, and failures in the workers.

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "tracing/engine.hpp"

namespace cones {
namespace {

EpochState epoch_2015() {
    std::ostringstream notice;
    return set_epoch(2015, 74, 12, 0, 0, notice);
}

TraceSettings dipole_settings(const EpochState& epoch) {
    TraceSettings settings;
    settings.field = make_field_context(epoch, FieldModel::kDipole, ModelParameters{});
    settings.start_radius = start_radius(20.0);
    return settings;
}

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

TEST(JobLists, RigidityMajorAndStationMajorOrder) {
    const std::vector<StationEntry> s = stations();
    const std::vector<double> r = {1.0, 2.0, 3.0};
    const JobList by_rigidity = rigidity_major_jobs(s, r);
    const JobList by_station = station_major_jobs(s, r);
    ASSERT_EQ(by_rigidity.count, 12u);
    ASSERT_EQ(by_station.count, 12u);
    // Job 5: rigidity 1 (the second), station 1 by rigidity; station 1, rigidity 2 by station.
    EXPECT_EQ(by_rigidity.at(5).rigidity, 2.0);
    EXPECT_EQ(by_rigidity.at(5).station.latitude, s[1].latitude);
    EXPECT_EQ(by_station.at(5).rigidity, 3.0);
    EXPECT_EQ(by_station.at(5).station.latitude, s[1].latitude);
    EXPECT_EQ(by_station.at(11).station.zenith, 45.0);
}

TEST(Engine, ResultsInJobOrderAndIdenticalForEveryThreadCount) {
    const EpochState epoch = epoch_2015();
    const TraceSettings settings = dipole_settings(epoch);
    const std::vector<StationEntry> s = stations();
    const std::vector<double> r = rigidities();
    const JobList jobs = rigidity_major_jobs(s, r);

    // The reference: each job traced directly, one after the other.
    std::vector<TraceResult> expected;
    for (std::size_t i = 0; i < jobs.count; ++i) {
        const TraceJob job = jobs.at(i);
        expected.push_back(trace_trajectory(settings, job.station, proton_motion(job.rigidity)));
    }
    int allowed = 0;
    for (const TraceResult& result : expected) allowed += result.outcome == TraceOutcome::kAllowed;
    ASSERT_GT(allowed, 10);
    ASSERT_LT(allowed, static_cast<int>(expected.size()) - 10);

    for (const unsigned threads : {1u, 2u, 3u, 7u}) {
        std::vector<std::size_t> order;
        std::vector<TraceResult> results;
        const std::size_t handed = trace_jobs(settings, jobs, threads, [&](std::size_t index, const TraceResult& result) {
            order.push_back(index);
            results.push_back(result);
            return true;
        });
        EXPECT_EQ(handed, jobs.count) << threads;
        ASSERT_EQ(results.size(), expected.size()) << threads;
        for (std::size_t i = 0; i < results.size(); ++i) {
            EXPECT_EQ(order[i], i) << threads;
            EXPECT_TRUE(same_result(results[i], expected[i])) << "thread count " << threads << ", job " << i;
        }
    }
}

TEST(Engine, TheSinkEndsTheRun) {
    const EpochState epoch = epoch_2015();
    const TraceSettings settings = dipole_settings(epoch);
    const std::vector<StationEntry> s = stations();
    const std::vector<double> r = rigidities();
    for (const unsigned threads : {1u, 2u, 5u}) {
        std::size_t last = 0, calls = 0;
        const std::size_t handed = trace_jobs(settings, rigidity_major_jobs(s, r), threads,
                                              [&](std::size_t index, const TraceResult&) {
                                                  last = index;
                                                  ++calls;
                                                  return index < 17;
                                              });
        EXPECT_EQ(handed, 18u) << threads;
        EXPECT_EQ(calls, 18u) << threads;
        EXPECT_EQ(last, 17u) << threads;
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
    for (const unsigned threads : {1u, 3u}) {
        std::size_t handed = 0;
        EXPECT_THROW(trace_jobs(settings, jobs, threads,
                                [&](std::size_t, const TraceResult&) {
                                    ++handed;
                                    return true;
                                }),
                     std::runtime_error)
            << threads;
        EXPECT_LE(handed, 300u) << threads;
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
