// The map's processes in a build with MPI: the ranks of the job share the
// points by dynamic hand-out from rank 0.
//
// Protocol: a worker sends a request (tag kRequest) holding the cutoffs of
// the chunk it has just traced (none at first): the chunk's first point and
// count, its tracing time so far, and kValuesPerPoint doubles per point.
// Rank 0 stores them and answers (tag kWork) with the next chunk, or with a
// count of 0 when there is none left, after which the worker stops. Rank 0
// traces chunks itself and serves requests between its own trajectories.
// Only the calling thread of each rank makes MPI calls.
#include <mpi.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <ostream>

#include "apps/map_ranks.hpp"

namespace cones {
namespace {

constexpr int kRequest = 1;
constexpr int kWork = 2;
constexpr std::size_t kHeader = 3;  // first point, point count, tracing seconds
constexpr std::size_t kValuesPerPoint = 9;

double place_value(CutoffPlace place) { return static_cast<double>(static_cast<int>(place)); }
CutoffPlace place_of(double value) { return static_cast<CutoffPlace>(static_cast<int>(value)); }

// Every double of a point's cutoffs goes across as it is, so that the
// gathered map is the same bit for bit as one traced in one process.
void pack(const EntryCutoffs& cutoffs, std::vector<double>& out) {
    const Cutoff* parts[] = {&cutoffs.lower, &cutoffs.upper, &cutoffs.effective};
    for (const Cutoff* part : parts) {
        out.push_back(place_value(part->place));
        out.push_back(part->rigidity);
    }
    out.push_back(static_cast<double>(cutoffs.bands));
    out.push_back(cutoffs.failed ? 1.0 : 0.0);
    out.push_back(cutoffs.failed_rigidity);
}

EntryCutoffs unpack(const double* values) {
    EntryCutoffs cutoffs;
    Cutoff* parts[] = {&cutoffs.lower, &cutoffs.upper, &cutoffs.effective};
    for (Cutoff* part : parts) {
        part->place = place_of(*values++);
        part->rigidity = *values++;
    }
    cutoffs.bands = static_cast<int>(*values++);
    cutoffs.failed = *values++ != 0.0;
    cutoffs.failed_rigidity = *values;
    return cutoffs;
}

// Points per chunk: about sixteen chunks per rank, at most 32 points, so
// that the ranks finish close together.
std::size_t chunk_points(std::size_t points, int ranks) {
    return std::clamp<std::size_t>(points / (static_cast<std::size_t>(ranks) * 16), 1, 32);
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

MapRanks::MapRanks(int& argc, char**& argv) {
    int provided = 0;
    // The engine's worker threads make no MPI calls: the calling thread alone talks.
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    joined_ = true;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
    MPI_Comm_size(MPI_COMM_WORLD, &size_);
}

MapRanks::~MapRanks() {
    if (joined_) MPI_Finalize();
}

int MapRanks::agree(int status) const {
    if (!joined_ || size_ == 1) return status;
    int agreed = status;
    MPI_Allreduce(&status, &agreed, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
    return agreed;
}

int MapRanks::first_differing(std::uint64_t digest) const {
    if (!joined_ || size_ == 1) return -1;
    std::uint64_t root_digest = digest;
    MPI_Bcast(&root_digest, 1, MPI_UINT64_T, 0, MPI_COMM_WORLD);
    const int mine = digest == root_digest ? size_ : rank_;
    int first = size_;
    MPI_Allreduce(&mine, &first, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
    return first == size_ ? -1 : first;
}

void MapRanks::abort_job(int status) const {
    if (joined_ && size_ > 1) MPI_Abort(MPI_COMM_WORLD, status);
}

void MapRanks::fail(std::size_t first, std::size_t count, const PointsText& describe, const char* reason,
                    std::ostream& errors) const {
    errors << "cutoff-map: rank " << rank_ << " of " << size_ << " failed while it held grid ";
    if (count == 1) {
        errors << "point " << first;
    } else {
        errors << "points " << first << " to " << first + count - 1;
    }
    errors << " (" << describe(first, count) << "): " << reason << "; the map is not written.\n" << std::flush;
    abort_job(4);
    std::terminate();  // MPI_Abort does not return
}

MapScan MapRanks::scan(std::size_t point_count, std::size_t trajectories_per_point, const ChunkScan& scan,
                       const std::function<void(std::size_t done)>& progress, const PointsText& describe,
                       std::ostream& errors) const {
    if (!joined_ || size_ == 1) return scan_in_one_process(point_count, scan, progress);
    const std::size_t chunk = chunk_points(point_count, size_);

    // A chunk traced by this rank, or the reason it failed.
    std::vector<EntryCutoffs> own;
    const auto trace_chunk = [&](std::size_t first, std::size_t count, const std::function<void(std::size_t)>& traced) {
        own.clear();
        try {
            scan(first, count, own, traced);
        } catch (const std::exception& error) {
            fail(first, count, describe, error.what(), errors);
        } catch (...) {
            fail(first, count, describe, "an unknown failure", errors);
        }
    };

    if (rank_ != 0) {
        std::vector<double> message(kHeader, 0.0);
        double seconds = 0.0;
        for (;;) {
            MPI_Send(message.data(), static_cast<int>(message.size()), MPI_DOUBLE, 0, kRequest, MPI_COMM_WORLD);
            unsigned long long work[2] = {0, 0};
            MPI_Recv(work, 2, MPI_UNSIGNED_LONG_LONG, 0, kWork, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
            if (work[1] == 0) return {};
            const auto start = std::chrono::steady_clock::now();
            trace_chunk(work[0], work[1], [](std::size_t) {});
            seconds += seconds_since(start);
            message.assign({static_cast<double>(work[0]), static_cast<double>(work[1]), seconds});
            for (const EntryCutoffs& cutoffs : own) pack(cutoffs, message);
        }
    }

    MapScan result;
    result.points.resize(point_count);
    result.ranks.resize(static_cast<std::size_t>(size_));
    std::size_t next = 0;         // first point not yet handed out
    std::size_t done_points = 0;  // points traced by any rank
    int working = size_ - 1;      // workers not yet told to stop
    const auto take = [&](std::size_t& first, std::size_t& count) {
        if (next >= point_count) return false;
        first = next;
        count = std::min(chunk, point_count - next);
        next += count;
        return true;
    };
    const auto report = [&](std::size_t traced_now) {
        if (progress) progress(done_points * trajectories_per_point + traced_now);
    };

    // Stores a worker's chunk and hands it the next one (or tells it to stop).
    std::vector<double> buffer;
    const auto serve = [&](const MPI_Status& status) {
        int length = 0;
        MPI_Get_count(&status, MPI_DOUBLE, &length);
        buffer.resize(static_cast<std::size_t>(length));
        MPI_Recv(buffer.data(), length, MPI_DOUBLE, status.MPI_SOURCE, kRequest, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
        const auto first = static_cast<std::size_t>(buffer[0]);
        const auto count = static_cast<std::size_t>(buffer[1]);
        RankShare& share = result.ranks[static_cast<std::size_t>(status.MPI_SOURCE)];
        share.points += count;
        share.seconds = buffer[2];
        for (std::size_t k = 0; k < count; ++k) result.points[first + k] = unpack(&buffer[kHeader + k * kValuesPerPoint]);
        done_points += count;
        unsigned long long work[2] = {0, 0};
        std::size_t work_first = 0, work_count = 0;
        if (take(work_first, work_count)) {
            work[0] = work_first;
            work[1] = work_count;
        } else {
            --working;
        }
        MPI_Send(work, 2, MPI_UNSIGNED_LONG_LONG, status.MPI_SOURCE, kWork, MPI_COMM_WORLD);
    };
    const auto serve_waiting = [&] {
        while (working > 0) {
            int waiting = 0;
            MPI_Status status;
            MPI_Iprobe(MPI_ANY_SOURCE, kRequest, MPI_COMM_WORLD, &waiting, &status);
            if (!waiting) return;
            serve(status);
        }
    };

    std::size_t first = 0, count = 0;
    while (take(first, count)) {
        const auto start = std::chrono::steady_clock::now();
        trace_chunk(first, count, [&](std::size_t traced) {
            serve_waiting();
            report(traced);
        });
        result.ranks[0].seconds += seconds_since(start);
        result.ranks[0].points += count;
        std::move(own.begin(), own.end(), result.points.begin() + static_cast<std::ptrdiff_t>(first));
        done_points += count;
        serve_waiting();
        report(0);
    }
    while (working > 0) {
        MPI_Status status;
        MPI_Probe(MPI_ANY_SOURCE, kRequest, MPI_COMM_WORLD, &status);
        serve(status);
        report(0);
    }
    return result;
}

}  // namespace cones
