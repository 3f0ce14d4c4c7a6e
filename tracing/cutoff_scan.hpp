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
#include "tracing/lane_scheduler.hpp"
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

// How a scan runs through each entry's grid. kFull: every grid rigidity.
// kAdaptive: only the rigidities around the penumbra (see scan_cutoffs).
enum class ScanMode { kFull, kAdaptive };

// How a scan runs and what it reports besides the cutoffs.
struct CutoffScanOptions {
    unsigned threads = 0;        // tracing threads; 0: all hardware threads
    unsigned lanes = 0;          // lanes per thread; 0: the field model's best
    bool keep_runs = false;      // record the allowed runs of every entry
    ScanMode mode = ScanMode::kFull;
    // Called on the calling thread as the scan advances, with the number of
    // grid rigidities settled so far in this scan: traced, or left out by an
    // adaptive scan (entries times grid rigidities once all are done); may be
    // empty. In a full scan it is called after each trajectory, counting up
    // by one.
    std::function<void(std::size_t settled)> on_progress;
    // Called on the calling thread for a trajectory that could not be
    // integrated: entry index and rigidity (GV), for each entry in grid
    // order; may be empty.
    std::function<void(std::size_t entry, double rigidity)> on_failure;
    // When set, receives the lane width and occupancy of the whole scan.
    LaneStatistics* statistics = nullptr;
    // The fewest trajectories in one round of an adaptive scan: blocks grow
    // when fewer entries than this are left (1: each block holds only what
    // the rules may still need).
    std::size_t round_jobs = 512;
    // Called when the system refuses a tracing thread; may be empty.
    FewerThreadsNotice on_fewer_threads;
};

// Receives the cutoffs of each entry, in entry order, as soon as its scan is
// complete.
using CutoffSink = std::function<void(std::size_t entry, const EntryCutoffs& cutoffs)>;

// The rules of the adaptive scan (see scan_cutoffs), in GV, chosen from full
// scans (README, section on cutoffs; measured by bench/scan_compare.cpp):
// the widest allowed band below a forbidden rigidity and the widest forbidden
// gap below an allowed band seen there were at most 1/1.5 of these margins.
// The coarse descent samples one grid rigidity in this many GV.
inline constexpr double kAdaptiveCoarseGv = 0.5;
// The allowed rigidities above the highest forbidden one that end the scan
// upward: this much GV plus this fraction of the forbidden rigidity, at
// least the least and at most the largest.
inline constexpr double kAdaptiveAboveGv = 0.1;
inline constexpr double kAdaptiveAboveRelative = 0.24;
inline constexpr double kAdaptiveAboveLeastGv = 0.8;
inline constexpr double kAdaptiveAboveLargestGv = 2.0;
// The forbidden rigidities below the lowest allowed one that end the scan
// downward: this much GV plus this fraction of the allowed rigidity, at most
// the largest.
inline constexpr double kAdaptiveBelowGv = 0.1;
inline constexpr double kAdaptiveBelowRelative = 0.38;
inline constexpr double kAdaptiveBelowLargestGv = 3.2;

// The rules in grid steps: the GV above rounded up to whole steps of `grid`,
// at least one step and at most the grid's count. The coarse stride; the
// allowed run that ends the scan upward above the grid rigidity
// `highest_forbidden`; the forbidden run that ends it downward below the
// grid rigidity `lowest_allowed` (which may be one past the grid's last).
std::size_t adaptive_coarse_stride(const ScanGrid& grid);
std::size_t adaptive_margin_above(const ScanGrid& grid, std::size_t highest_forbidden);
std::size_t adaptive_margin_below(const ScanGrid& grid, std::size_t lowest_allowed);

// Traces station entries over the scan grid on the engine's threads and
// lanes and reduces each entry's scan to its cutoffs.
// Given:    settings  the run's tracing settings; entries  station entries;
//           grid  the scan grid; options  mode, threads, lanes, runs,
//           progress, failures.
// Returned: each entry's cutoffs, through `sink`, in entry order, as soon as
//           it and every entry before it are complete; the number of
//           trajectories traced.
// Notes:    kFull traces every grid rigidity of every entry, entry by entry,
//           each with exactly the tracing of trace_trajectory, holding only
//           the results within the engine's bounded window.
//           kAdaptive traces the entries side by side in rounds, each entry
//           a block of rigidities per round, in three stages:
//           1. a coarse descent from the top of the grid, one grid rigidity
//              every coarse stride, to the first that is not allowed (or the
//              last sample, all allowed): the sample S;
//           2. every grid rigidity upward from S until the allowed ones above
//              the highest forbidden one seen (or S, all allowed) reach the
//              margin above it, or to the top of the grid: the top T of the
//              fine scan;
//           3. every grid rigidity downward from S until the forbidden ones
//              below the lowest allowed one of [S, T] and below reach the
//              margin below it (or the bottom of the grid; while none is
//              allowed, the run counts from T + 1).
//           The rigidities above T count as allowed, those below the fine
//           scan as forbidden, and the entry is reduced as a full scan is.
//           So RL, RU, Rc, the bands and the allowed runs are those of the
//           full scan unless a forbidden rigidity lies above an allowed band
//           at least as wide as the margin above, or an allowed one below a
//           forbidden gap at least as wide as the margin below (the rules'
//           limits). Everything allowed down to the bottom of the grid ends
//           there (RL below it, as a full scan says); nothing allowed ends
//           one margin below the top (RL above it). A trajectory that cannot
//           be integrated counts as not allowed; the entry fails at the
//           lowest such rigidity of its fine scan (one outside it is not
//           seen). Each round holds at least options.round_jobs trajectories
//           (blocks grow when few entries are left), so that the threads and
//           lanes stay busy; what a block traces beyond where its entry stops
//           is not used. Entries are kept side by side as far as one byte
//           per grid rigidity each stays within 256 MiB.
//           Both modes: what is traced and the results are identical for
//           every thread count and lane width. A trajectory that cannot be
//           integrated marks its entry failed; the other entries still
//           complete.
std::size_t scan_cutoffs(const TraceSettings& settings, std::span<const StationEntry> entries,
                         const ScanGrid& grid, const CutoffScanOptions& options, const CutoffSink& sink);

// Receives the outcome of job `job` of a round.
using OutcomeRecord = std::function<void(std::size_t job, TraceOutcome outcome)>;

// Traces the jobs of one round of an adaptive scan, handing each job's
// outcome to `record` on the calling thread.
using RoundTracer = std::function<void(std::span<const TraceJob> jobs, const OutcomeRecord& record)>;

// The adaptive scan of scan_cutoffs (the mode in `options` is not read) with
// the outcomes of `tracer`: scan_cutoffs gives one that traces each round on
// the engine, a test one that answers from a pattern of its own.
// Returned: as scan_cutoffs.
std::size_t scan_cutoffs_adaptively(std::span<const StationEntry> entries, const ScanGrid& grid,
                                    const CutoffScanOptions& options, const RoundTracer& tracer,
                                    const CutoffSink& sink);

}  // namespace cones
