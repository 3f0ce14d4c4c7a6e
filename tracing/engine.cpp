#include "tracing/engine.hpp"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace cones {

JobList rigidity_major_jobs(std::span<const StationEntry> stations, std::span<const double> rigidities) {
    JobList jobs;
    jobs.count = stations.size() * rigidities.size();
    jobs.at = [stations, rigidities](std::size_t index) {
        return TraceJob{stations[index % stations.size()], rigidities[index / stations.size()]};
    };
    return jobs;
}

JobList station_major_jobs(std::span<const StationEntry> stations, std::span<const double> rigidities) {
    JobList jobs;
    jobs.count = stations.size() * rigidities.size();
    jobs.at = [stations, rigidities](std::size_t index) {
        return TraceJob{stations[index / rigidities.size()], rigidities[index % rigidities.size()]};
    };
    return jobs;
}

unsigned engine_threads(unsigned requested) {
    if (requested > 0) return requested;
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? hardware : 1;
}

namespace {

TraceResult trace_job(Tracer trace, const TraceSettings& settings, const TraceJob& job) {
    return trace(settings, job.station, proton_motion(job.rigidity));
}

// Results completed by the workers and not yet handed to the sink. Workers
// take jobs in index order and may run at most `capacity` jobs ahead of the
// sink, so the memory held stays bounded however long the job list is.
class ResultWindow {
public:
    ResultWindow(std::size_t job_count, std::size_t capacity)
        : job_count_(job_count), slots_(capacity), ready_(capacity, 0) {}

    // The next job for a worker, or false when there is none (all taken, or
    // the run was ended).
    bool take(std::size_t& index) {
        std::unique_lock lock(mutex_);
        space_.wait(lock, [&] { return stopped_ || next_ >= job_count_ || next_ < handed_ + slots_.size(); });
        if (stopped_ || next_ >= job_count_) return false;
        index = next_++;
        return true;
    }

    void put(std::size_t index, const TraceResult& result) {
        std::lock_guard lock(mutex_);
        slots_[index % slots_.size()] = result;
        ready_[index % slots_.size()] = 1;
        if (index == handed_) done_.notify_one();
    }

    void fail(std::exception_ptr error) {
        std::lock_guard lock(mutex_);
        if (!error_) error_ = error;
        stopped_ = true;
        space_.notify_all();
        done_.notify_one();
    }

    // Waits for the result of job `handed_`; false when a worker failed.
    bool next(TraceResult& result) {
        std::unique_lock lock(mutex_);
        const std::size_t slot = handed_ % slots_.size();
        done_.wait(lock, [&] { return ready_[slot] != 0 || error_ != nullptr; });
        if (error_) return false;
        result = slots_[slot];
        ready_[slot] = 0;
        ++handed_;
        space_.notify_all();
        return true;
    }

    void stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        space_.notify_all();
    }

    std::exception_ptr error() const { return error_; }

private:
    std::mutex mutex_;
    std::condition_variable space_;  // a job may be taken
    std::condition_variable done_;   // the next result in order may be ready
    const std::size_t job_count_;
    std::vector<TraceResult> slots_;
    std::vector<char> ready_;
    std::size_t next_ = 0;    // next job to take
    std::size_t handed_ = 0;  // results handed to the sink
    bool stopped_ = false;
    std::exception_ptr error_;
};

}  // namespace

std::size_t trace_jobs(const TraceSettings& settings, const JobList& jobs, unsigned threads,
                       const ResultSink& sink) {
    const unsigned workers = engine_threads(threads);
    const Tracer trace = trajectory_tracer(settings.field.model);
    if (workers == 1 || jobs.count <= 1) {
        for (std::size_t index = 0; index < jobs.count; ++index) {
            if (!sink(index, trace_job(trace, settings, jobs.at(index)))) return index + 1;
        }
        return jobs.count;
    }

    ResultWindow window(jobs.count, 64 * static_cast<std::size_t>(workers));
    std::vector<std::thread> pool;
    pool.reserve(workers);
    for (unsigned w = 0; w < workers; ++w) {
        pool.emplace_back([&] {
            try {
                std::size_t index;
                while (window.take(index)) window.put(index, trace_job(trace, settings, jobs.at(index)));
            } catch (...) {
                window.fail(std::current_exception());
            }
        });
    }

    std::size_t handed = 0;
    TraceResult result;
    try {
        while (handed < jobs.count && window.next(result)) {
            ++handed;
            if (!sink(handed - 1, result)) break;
        }
    } catch (...) {
        window.stop();
        for (std::thread& worker : pool) worker.join();
        throw;
    }
    window.stop();
    for (std::thread& worker : pool) worker.join();
    if (window.error()) std::rethrow_exception(window.error());
    return handed;
}

}  // namespace cones
