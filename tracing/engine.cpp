#include "tracing/engine.hpp"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "tracing/lane_kernels.hpp"

namespace cones {

JobList rigidity_major_jobs(std::span<const StationEntry> stations, std::span<const double> rigidities) {
    JobList jobs;
    jobs.count = stations.size() * rigidities.size();
    jobs.at = [stations, rigidities](std::size_t index) {
        return TraceJob{stations[index % stations.size()], rigidities[index / stations.size()]};
    };
    return jobs;
}

unsigned engine_threads(unsigned requested) {
    if (requested > 0) return requested;
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? hardware : 1;
}

unsigned engine_lanes(unsigned requested, FieldModel model) {
    if (requested == 0) return field_model_description(model).fills_lanes ? widest_lane_width() : 1;
    if (!lane_width_available(requested)) {
        throw std::invalid_argument("this processor has no lanes of width " + std::to_string(requested));
    }
    return requested;
}

namespace {

TraceResult trace_job(Tracer trace, const TraceSettings& settings, const TraceJob& job) {
    return trace(settings, job.station, traced_motion(settings, job.rigidity));
}

// The ring between the jobs taken and the results handed on in job order:
// jobs are taken in index order, at most `capacity` ahead of the next result
// to hand on, so the memory held stays bounded however long the job list is.
// Not synchronised: its owner guards it.
class ResultRing {
public:
    ResultRing(std::size_t job_count, std::size_t capacity)
        : job_count_(job_count), slots_(capacity), ready_(capacity, 0) {}

    bool all_taken() const { return next_ >= job_count_; }
    bool full() const { return next_ >= handed_ + slots_.size(); }
    std::size_t take() { return next_++; }

    void store(std::size_t index, const TraceResult& result) {
        slots_[index % slots_.size()] = result;
        ready_[index % slots_.size()] = 1;
    }

    // The index of the next result to hand on, and whether it is complete.
    std::size_t front() const { return handed_; }
    bool front_ready() const { return ready_[handed_ % slots_.size()] != 0; }

    // Hands on the next result (which must be complete); its slot stays valid
    // until the next job is stored.
    const TraceResult& pop_front() {
        const std::size_t slot = handed_ % slots_.size();
        ready_[slot] = 0;
        ++handed_;
        return slots_[slot];
    }

private:
    const std::size_t job_count_;
    std::vector<TraceResult> slots_;
    std::vector<char> ready_;
    std::size_t next_ = 0;    // next job to take
    std::size_t handed_ = 0;  // results handed on
};

// Results completed by the workers and not yet handed to the sink, shared by
// the workers under a lock.
class ResultWindow {
public:
    ResultWindow(std::size_t job_count, std::size_t capacity) : ring_(job_count, capacity) {}

    // The next job for a worker: kNone when there is none (all taken, or the
    // run was ended); without `wait`, kNotNow when the window is full.
    LaneQueue::Take take(std::size_t& index, bool wait) {
        std::unique_lock lock(mutex_);
        const auto open = [&] { return stopped_ || ring_.all_taken() || !ring_.full(); };
        if (wait) space_.wait(lock, open);
        if (stopped_ || ring_.all_taken()) return LaneQueue::Take::kNone;
        if (!open()) return LaneQueue::Take::kNotNow;
        index = ring_.take();
        return LaneQueue::Take::kTaken;
    }

    // Leaves a result; false when the run was ended.
    bool put(std::size_t index, const TraceResult& result) {
        std::lock_guard lock(mutex_);
        ring_.store(index, result);
        if (index == ring_.front()) done_.notify_one();
        return !stopped_;
    }

    void fail(std::exception_ptr error) {
        std::lock_guard lock(mutex_);
        if (!error_) error_ = error;
        stopped_ = true;
        space_.notify_all();
        done_.notify_one();
    }

    // Waits for the next result in job order; false when a worker failed.
    bool next(TraceResult& result) {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return ring_.front_ready() || error_ != nullptr; });
        if (error_) return false;
        result = ring_.pop_front();
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
    ResultRing ring_;
    bool stopped_ = false;
    std::exception_ptr error_;
};

// A worker's lanes on the shared window.
class WindowQueue final : public LaneQueue {
public:
    explicit WindowQueue(ResultWindow& window) : window_(window) {}
    Take take(std::size_t& index, bool wait) override { return window_.take(index, wait); }
    bool put(std::size_t index, const TraceResult& result) override { return window_.put(index, result); }

private:
    ResultWindow& window_;
};

// The lanes of the calling thread, the only one: results wait in a ring until
// all before them are complete and go to the sink at once; jobs are taken at
// most `capacity` ahead of the results handed on.
class InOrderQueue final : public LaneQueue {
public:
    InOrderQueue(std::size_t job_count, std::size_t capacity, const ResultSink& sink)
        : ring_(job_count, capacity), sink_(sink) {}

    Take take(std::size_t& index, bool /*wait*/) override {
        if (ended_ || ring_.all_taken()) return Take::kNone;
        if (ring_.full()) return Take::kNotNow;
        index = ring_.take();
        return Take::kTaken;
    }

    bool put(std::size_t index, const TraceResult& result) override {
        ring_.store(index, result);
        while (ring_.front_ready()) {
            const std::size_t front = ring_.front();
            if (!sink_(front, ring_.pop_front())) {
                ended_ = true;
                return false;
            }
        }
        return true;
    }

    std::size_t handed() const { return ring_.front(); }

private:
    ResultRing ring_;
    const ResultSink& sink_;
    bool ended_ = false;
};

// Results a thread's lanes may run ahead of the sink: enough that a long
// trajectory in one lane leaves the others busy.
constexpr std::size_t kWindowPerLane = 64;

// The worker threads of a run on a shared window. However the run ends, the
// destructor stops the window and joins every worker started, so that no
// thread outlives the data it reads.
class WorkerPool {
public:
    explicit WorkerPool(ResultWindow& window) : window_(window) {}
    ~WorkerPool() { join(); }
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Starts up to `count` workers running `work`. Returned: empty when all
    // started, otherwise the system's reason for refusing the next one (a
    // memory or process limit); the workers already started run on.
    std::string start(unsigned count, const std::function<void()>& work) {
        try {
            threads_.reserve(count);
            for (unsigned w = 0; w < count; ++w) threads_.emplace_back(work);
        } catch (const std::system_error& error) {
            return error.code().message();
        } catch (const std::bad_alloc&) {
            return "out of memory";
        }
        return {};
    }

    unsigned size() const { return static_cast<unsigned>(threads_.size()); }

    // Stops the window and waits for every worker.
    void join() {
        window_.stop();
        for (std::thread& worker : threads_) worker.join();
        threads_.clear();
    }

private:
    ResultWindow& window_;
    std::vector<std::thread> threads_;
};

// Traces the jobs on the calling thread alone, handing each result on as
// soon as it and all before it are complete.
std::size_t trace_on_calling_thread(const TraceSettings& settings, const JobList& jobs, unsigned lanes,
                                    LaneStatistics& statistics, const ResultSink& sink) {
    if (lanes > 1) {
        InOrderQueue queue(jobs.count, kWindowPerLane * lanes, sink);
        trace_in_lanes(settings, jobs, lanes, queue, statistics);
        return queue.handed();
    }
    const Tracer trace = trajectory_tracer(settings.field.model);
    for (std::size_t index = 0; index < jobs.count; ++index) {
        if (!sink(index, trace_job(trace, settings, jobs.at(index)))) return index + 1;
    }
    return jobs.count;
}

}  // namespace

std::size_t trace_jobs(const TraceSettings& settings, const JobList& jobs, const EngineOptions& options,
                       const ResultSink& sink) {
    const unsigned workers = engine_threads(options.threads);
    const unsigned lanes = engine_lanes(options.lanes, settings.field.model);
    LaneStatistics statistics;
    statistics.width = lanes;
    std::mutex statistics_mutex;
    const auto report = [&](const LaneStatistics& counted) {
        std::lock_guard lock(statistics_mutex);
        statistics.batches += counted.batches;
        statistics.busy_lanes += counted.busy_lanes;
    };
    const auto publish = [&] {
        if (options.statistics != nullptr) *options.statistics = statistics;
    };
    const Tracer trace = trajectory_tracer(settings.field.model);

    if (workers > 1 && jobs.count > 1) {
        ResultWindow window(jobs.count, kWindowPerLane * static_cast<std::size_t>(workers) * lanes);
        WorkerPool pool(window);
        const std::string refused = pool.start(workers, [&] {
            try {
                if (lanes > 1) {
                    WindowQueue queue(window);
                    LaneStatistics counted;
                    trace_in_lanes(settings, jobs, lanes, queue, counted);
                    report(counted);
                } else {
                    std::size_t index;
                    while (window.take(index, true) == LaneQueue::Take::kTaken) {
                        window.put(index, trace_job(trace, settings, jobs.at(index)));
                    }
                }
            } catch (...) {
                window.fail(std::current_exception());
            }
        });
        if (!refused.empty() && options.on_fewer_threads) {
            options.on_fewer_threads(pool.size(), workers, refused);
        }
        if (pool.size() > 0) {
            std::size_t handed = 0;
            TraceResult result;
            while (handed < jobs.count && window.next(result)) {
                ++handed;
                if (!sink(handed - 1, result)) break;
            }
            pool.join();
            if (window.error()) std::rethrow_exception(window.error());
            publish();
            return handed;
        }
        // No worker could be started: the calling thread traces alone.
    }

    const std::size_t handed = trace_on_calling_thread(settings, jobs, lanes, statistics, sink);
    publish();
    return handed;
}

std::size_t trace_jobs(const TraceSettings& settings, const JobList& jobs, unsigned threads,
                       const ResultSink& sink) {
    EngineOptions options;
    options.threads = threads;
    return trace_jobs(settings, jobs, options, sink);
}

}  // namespace cones
