// The processes of a cutoff map: one process, or the ranks of an MPI job that
// share the grid points. Rank 0 hands out chunks of points as ranks ask for
// them (polar points are cheap, equatorial ones dear), traces chunks itself
// in between, and gathers every point's cutoffs; each rank traces its chunks
// on all its threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "tracing/cutoff_scan.hpp"

namespace cones {

// Traces the map points [first, first + count) and appends their cutoffs to
// `out` in point order, calling `traced(n)` on the calling thread with the
// number of grid rigidities settled so far in this call (traced, or left out
// by an adaptive scan: trajectories_per_point for each point once done).
using ChunkScan = std::function<void(std::size_t first, std::size_t count, std::vector<EntryCutoffs>& out,
                                     const std::function<void(std::size_t traced)>& traced)>;

// Says which map points a range of point numbers holds, for messages.
using PointsText = std::function<std::string(std::size_t first, std::size_t count)>;

// The work one rank did.
struct RankShare {
    std::size_t points = 0;
    double seconds = 0.0;  // wall time spent tracing its chunks
};

struct MapScan {
    std::vector<EntryCutoffs> points;  // rank 0: every point's cutoffs, in point order
    std::vector<RankShare> ranks;      // rank 0: each rank's share
};

class MapRanks {
public:
    // A lone process that takes no part in MPI.
    MapRanks() = default;
    // Joins the MPI job the program was started in (a job of one process
    // when started without a launcher) when the program is built with MPI;
    // otherwise a lone process.
    MapRanks(int& argc, char**& argv);
    ~MapRanks();
    MapRanks(const MapRanks&) = delete;
    MapRanks& operator=(const MapRanks&) = delete;

    int rank() const { return rank_; }
    int size() const { return size_; }
    bool is_root() const { return rank_ == 0; }

    // The largest of the statuses of all ranks, on every rank (every rank
    // must call it).
    int agree(int status) const;

    // The lowest rank whose `digest` differs from rank 0's, or -1 when every
    // rank has the same, on every rank (every rank must call it).
    int first_differing(std::uint64_t digest) const;

    // Traces `point_count` points with `scan` over the ranks (every rank
    // must call it), `trajectories_per_point` each.
    // Returned: on rank 0 every point's cutoffs and each rank's share;
    //   nothing on the other ranks.
    // Notes: `progress(done)` is called on rank 0 with the trajectories done
    //   by all ranks. A rank whose chunk fails (an exception) writes which
    //   points it held (`describe`) and the reason to `errors`, and ends the
    //   whole job with exit status 4 before any file is written.
    MapScan scan(std::size_t point_count, std::size_t trajectories_per_point, const ChunkScan& scan,
                 const std::function<void(std::size_t done)>& progress, const PointsText& describe,
                 std::ostream& errors) const;

    // Ends the whole job at once with exit status `status` (MPI_Abort) when
    // this process is one of several ranks; otherwise does nothing.
    void abort_job(int status) const;

private:
    [[noreturn]] void fail(std::size_t first, std::size_t count, const PointsText& describe, const char* reason,
                           std::ostream& errors) const;
    bool joined_ = false;  // part of an MPI job
    int rank_ = 0;
    int size_ = 1;
};

// The points traced in one process as one chunk (all threads busy to the end).
MapScan scan_in_one_process(std::size_t point_count, const ChunkScan& scan,
                            const std::function<void(std::size_t done)>& progress);

}  // namespace cones
