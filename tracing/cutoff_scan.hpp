// Cutoff rigidities of station entries from fine rigidity scans: the scan
// grid, the reduction of one entry's allowed and forbidden trajectories to
// its lower, upper and effective cutoffs, and the scan of a list of entries
// on the tracing engine.
//
// Over a scan from low to high rigidity, the trajectories of one entry are
// forbidden up to the lower cutoff RL, allowed from the upper cutoff RU on,
// and in between (the penumbra) form allowed bands separated by forbidden
// ones. The effective cutoff Rc = RU minus the width of the allowed part of
// the penumbra is the sharp cutoff that lets in the same flux of a flat
// spectrum.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "tracing/engine.hpp"
#include "tracing/inputs.hpp"
#include "tracing/trajectory.hpp"

namespace cones {

// Largest number of rigidities in one scan grid.
inline constexpr std::size_t kMaxScanRigidities = 10'000'000;

// The rigidities of a scan: from, from + step, from + 2 step, ... up to `to`
// (included when it lies on the grid, within a millionth of a step).
// Built only by make_scan_grid.
class ScanGrid {
public:
    // Rigidity i (GV), computed as from + i * step, never by repeated addition,
    // so that every program and every thread count sees the same values.
    double rigidity(std::size_t i) const { return from_ + static_cast<double>(i) * step_; }
    std::size_t count() const { return count_; }
    double from() const { return from_; }
    double to() const { return to_; }
    double step() const { return step_; }

private:
    friend ScanGrid make_scan_grid(double from, double to, double step);
    ScanGrid(double from, double to, double step, std::size_t count)
        : from_(from), to_(to), step_(step), count_(count) {}
    double from_, to_, step_;
    std::size_t count_;
};

// The scan grid from `from` to `to` in steps of `step`.
// Given:    from, to, step  rigidities in GV.
// Returned: the grid of floor((to - from) / step + 1e-6) + 1 rigidities.
// Notes:    throws std::invalid_argument, with a message in the words of the
//           scan, when a value is not finite, from <= 0, step <= 0,
//           from >= to, or the grid would hold more than kMaxScanRigidities.
ScanGrid make_scan_grid(double from, double to, double step);

// Where a cutoff lies. kAt: at `rigidity`. kBelow: at or below `rigidity`,
// which the scan cannot resolve further down (the allowed rigidities reach
// the start of the scan). kAbove: above `rigidity`, beyond what the scan
// resolves (forbidden rigidities reach its end). kUnresolved: the scan says
// nothing about it (`rigidity` is 0).
enum class CutoffPlace { kAt, kBelow, kAbove, kUnresolved };

struct Cutoff {
    CutoffPlace place = CutoffPlace::kAt;
    double rigidity = 0.0;  // GV
};

// A run of consecutive allowed grid rigidities, by grid index (both included).
struct AllowedRun {
    std::size_t first = 0;
    std::size_t last = 0;
};

// The cutoffs of one station entry.
struct EntryCutoffs {
    bool failed = false;            // a trajectory could not be integrated
    double failed_rigidity = 0.0;   // GV, the first such rigidity
    Cutoff lower;                   // RL, the lowest allowed grid rigidity
    Cutoff upper;                   // RU, lowest grid rigidity above which all are allowed
    Cutoff effective;               // Rc
    int bands = 0;                  // allowed bands below RU (in the penumbra)
    std::vector<AllowedRun> allowed_runs;  // every allowed run, when asked for
};

// Reduces one entry's trajectories, handed over in grid order, to its cutoffs
// without holding them.
class CutoffReduction {
public:
    // `keep_runs`: also record every allowed run (for a penumbra chart).
    explicit CutoffReduction(const ScanGrid& grid, bool keep_runs = false);

    // The outcome of the trajectory at the next grid rigidity.
    void add(TraceOutcome outcome);

    // The cutoffs, once all grid rigidities are added.
    // Returned: for a scan with allowed and forbidden rigidities, grid indices
    //   iL (lowest allowed), iU (one above the highest forbidden) and the count
    //   nA of allowed rigidities below iU give RL = rigidity(iL),
    //   RU = rigidity(iU), Rc = rigidity(iU - nA) (RU minus nA steps), and
    //   bands = number of allowed runs below iU.
    // Notes: every rigidity allowed: RL, RU and Rc lie below the first grid
    //   rigidity, 0 bands. None allowed: all three above the last, 0 bands.
    //   The first rigidity allowed (and a later one forbidden): RL lies at or
    //   below it, and Rc at or below rigidity(iU - nA), since allowed
    //   rigidities below the scan would lower it further. The last rigidity
    //   forbidden (and an earlier one allowed): RU lies above it, and Rc above
    //   rigidity(count - nA - 1), since RU itself lies above the scan. Both:
    //   Rc is unresolved.
    //   A trajectory that could not be integrated makes the entry failed at
    //   its rigidity; its cutoffs are then not defined.
    EntryCutoffs result() const;

private:
    const ScanGrid* grid_;
    bool keep_runs_;
    std::size_t next_ = 0;               // grid index of the next outcome
    bool have_allowed_ = false;
    std::size_t first_allowed_ = 0;
    bool have_forbidden_ = false;
    std::size_t last_forbidden_ = 0;
    std::size_t allowed_ = 0;            // allowed so far
    std::size_t allowed_below_last_forbidden_ = 0;
    int runs_ = 0;                       // allowed runs so far
    int runs_below_last_forbidden_ = 0;
    bool previous_allowed_ = false;
    bool failed_ = false;
    std::size_t failed_index_ = 0;
    std::vector<AllowedRun> runs_kept_;
};

// The cutoffs of a whole sequence of outcomes, one per grid rigidity (see
// CutoffReduction::result).
EntryCutoffs reduce_cutoffs(std::span<const TraceOutcome> outcomes, const ScanGrid& grid,
                            bool keep_runs = false);

// How a scan runs and what it reports besides the cutoffs.
struct CutoffScanOptions {
    unsigned threads = 0;        // tracing threads; 0: all hardware threads
    unsigned lanes = 0;          // lanes per thread; 0: the field model's best
    bool keep_runs = false;      // record the allowed runs of every entry
    // Called on the calling thread after each trajectory with the number
    // traced so far in this scan; may be empty.
    std::function<void(std::size_t traced)> on_trajectory;
    // Called on the calling thread for a trajectory that could not be
    // integrated: entry index and rigidity (GV); may be empty.
    std::function<void(std::size_t entry, double rigidity)> on_failure;
    // Called when the system refuses a tracing thread; may be empty.
    FewerThreadsNotice on_fewer_threads;
};

// Receives the cutoffs of each entry, in entry order, as soon as its scan is
// complete.
using CutoffSink = std::function<void(std::size_t entry, const EntryCutoffs& cutoffs)>;

// Traces every entry at every grid rigidity, entry by entry, with exactly the
// tracing of trace_trajectory on the engine's threads, and reduces each
// entry's scan as it completes.
// Given:    settings  the run's tracing settings; entries  station entries;
//           grid  the scan grid; options  threads, runs, progress, failures.
// Returned: each entry's cutoffs, through `sink`, in entry order.
// Notes:    results are identical for every thread count. Only the results
//           within the engine's bounded window are held, never a whole scan.
//           A trajectory that cannot be integrated marks its entry failed;
//           the other entries still complete.
void scan_cutoffs(const TraceSettings& settings, std::span<const StationEntry> entries, const ScanGrid& grid,
                  const CutoffScanOptions& options, const CutoffSink& sink);

}  // namespace cones
