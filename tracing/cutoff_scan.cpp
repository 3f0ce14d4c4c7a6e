#include "tracing/cutoff_scan.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <stdexcept>
#include <string>
#include <utility>

#include "tracing/engine.hpp"

namespace cones {

ScanGrid make_scan_grid(double from, double to, double step) {
    if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step)) {
        throw std::invalid_argument("the scan's rigidities must be finite numbers");
    }
    if (!(from > 0.0)) throw std::invalid_argument("the scan must start above 0 GV");
    if (!(step > 0.0)) throw std::invalid_argument("the scan step must be greater than 0 GV");
    if (!(from < to)) throw std::invalid_argument("the scan must start below its end");
    // A millionth of a step absorbs the rounding of (to - from) / step when
    // `to` lies on the grid (0.1 to 20 in steps of 0.01 is 1990 steps).
    const double steps = std::floor((to - from) / step + 1e-6);
    if (!(steps < static_cast<double>(kMaxScanRigidities))) {
        throw std::invalid_argument("the scan would trace more than " + std::to_string(kMaxScanRigidities) +
                                    " rigidities per entry");
    }
    return ScanGrid(from, to, step, static_cast<std::size_t>(steps) + 1);
}

CutoffReduction::CutoffReduction(const ScanGrid& grid, bool keep_runs) : grid_(&grid), keep_runs_(keep_runs) {}

void CutoffReduction::add(TraceOutcome outcome) {
    const std::size_t i = next_++;
    switch (outcome) {
        case TraceOutcome::kAllowed:
            if (!have_allowed_) first_allowed_ = i;
            have_allowed_ = true;
            ++allowed_;
            if (!previous_allowed_) {
                ++runs_;
                if (keep_runs_) runs_kept_.push_back({i, i});
            } else if (keep_runs_) {
                runs_kept_.back().last = i;
            }
            previous_allowed_ = true;
            return;
        case TraceOutcome::kForbidden:
            have_forbidden_ = true;
            last_forbidden_ = i;
            allowed_below_last_forbidden_ = allowed_;
            runs_below_last_forbidden_ = runs_;
            previous_allowed_ = false;
            return;
        case TraceOutcome::kIntegrationFailed:
            if (!failed_) failed_index_ = i;
            failed_ = true;
            previous_allowed_ = false;
            return;
    }
}

EntryCutoffs CutoffReduction::result() const {
    const ScanGrid& grid = *grid_;
    EntryCutoffs cutoffs;
    cutoffs.allowed_runs = runs_kept_;
    if (failed_) {
        cutoffs.failed = true;
        cutoffs.failed_rigidity = grid.rigidity(failed_index_);
        cutoffs.lower = cutoffs.upper = cutoffs.effective = Cutoff{CutoffPlace::kUnresolved, 0.0};
        return cutoffs;
    }
    const std::size_t count = grid.count();
    if (!have_forbidden_) {
        const Cutoff below{CutoffPlace::kBelow, grid.rigidity(0)};
        cutoffs.lower = cutoffs.upper = cutoffs.effective = below;
        return cutoffs;
    }
    if (!have_allowed_) {
        const Cutoff above{CutoffPlace::kAbove, grid.rigidity(count - 1)};
        cutoffs.lower = cutoffs.upper = cutoffs.effective = above;
        return cutoffs;
    }

    const std::size_t upper = last_forbidden_ + 1;  // may be `count`: beyond the scan
    const std::size_t allowed_below = allowed_below_last_forbidden_;
    const bool lower_unresolved = first_allowed_ == 0;
    const bool upper_unresolved = upper == count;
    cutoffs.bands = runs_below_last_forbidden_;
    cutoffs.lower = lower_unresolved ? Cutoff{CutoffPlace::kBelow, grid.rigidity(0)}
                                     : Cutoff{CutoffPlace::kAt, grid.rigidity(first_allowed_)};
    cutoffs.upper = upper_unresolved ? Cutoff{CutoffPlace::kAbove, grid.rigidity(count - 1)}
                                     : Cutoff{CutoffPlace::kAt, grid.rigidity(upper)};
    // RU minus one step per allowed rigidity below it, taken on the grid.
    const std::size_t effective = upper - allowed_below;
    if (lower_unresolved && upper_unresolved) {
        cutoffs.effective = Cutoff{CutoffPlace::kUnresolved, 0.0};
    } else if (upper_unresolved) {
        cutoffs.effective = Cutoff{CutoffPlace::kAbove, grid.rigidity(effective - 1)};
    } else if (lower_unresolved) {
        cutoffs.effective = Cutoff{CutoffPlace::kBelow, grid.rigidity(effective)};
    } else {
        cutoffs.effective = Cutoff{CutoffPlace::kAt, grid.rigidity(effective)};
    }
    return cutoffs;
}

EntryCutoffs reduce_cutoffs(std::span<const TraceOutcome> outcomes, const ScanGrid& grid, bool keep_runs) {
    CutoffReduction reduction(grid, keep_runs);
    for (const TraceOutcome outcome : outcomes) reduction.add(outcome);
    return reduction.result();
}

namespace {

// Whole grid steps in `gv` GV, rounded up (a millionth of a step absorbs the
// rounding of the division), at least one and at most the grid's count.
std::size_t steps_in(double gv, const ScanGrid& grid) {
    const double steps = std::ceil(gv / grid.step() - 1e-6);
    if (!(steps >= 1.0)) return 1;
    if (steps >= static_cast<double>(grid.count())) return grid.count();
    return static_cast<std::size_t>(steps);
}

}  // namespace

std::size_t adaptive_coarse_stride(const ScanGrid& grid) { return steps_in(kAdaptiveCoarseGv, grid); }

std::size_t adaptive_margin_above(const ScanGrid& grid, std::size_t highest_forbidden) {
    const double relative = kAdaptiveAboveGv + kAdaptiveAboveRelative * grid.rigidity(highest_forbidden);
    return steps_in(std::min(std::max(relative, kAdaptiveAboveLeastGv), kAdaptiveAboveLargestGv), grid);
}

std::size_t adaptive_margin_below(const ScanGrid& grid, std::size_t lowest_allowed) {
    return steps_in(std::min(kAdaptiveBelowGv + kAdaptiveBelowRelative * grid.rigidity(lowest_allowed),
                             kAdaptiveBelowLargestGv),
                    grid);
}

namespace {

EngineOptions engine_options(const CutoffScanOptions& options) {
    EngineOptions engine;
    engine.threads = options.threads;
    engine.lanes = options.lanes;
    engine.statistics = options.statistics;
    engine.on_fewer_threads = options.on_fewer_threads;
    return engine;
}

// Largest number of entries an adaptive scan keeps side by side, and the
// memory their outcomes may take (one byte per grid rigidity each).
constexpr std::size_t kAdaptiveWindow = 4096;
constexpr std::size_t kAdaptiveWindowBytes = std::size_t{256} << 20;
// Coarse samples of one entry per round, at least.
constexpr std::size_t kCoarseBlock = 4;

// What is known of a grid rigidity of an entry.
enum class Known : std::uint8_t { kNotTraced, kAllowed, kForbidden, kFailed };

// One entry's adaptive scan (see scan_cutoffs): the outcomes traced so far
// and the stage it is in. Each round plans a block (the grid indices to
// trace), records the block's outcomes and applies the rules to them one
// rigidity after the other.
class AdaptiveEntry {
public:
    AdaptiveEntry(std::size_t entry, const ScanGrid& grid)
        : grid_(&grid), entry_(entry), known_(grid.count(), Known::kNotTraced),
          stride_(adaptive_coarse_stride(grid)), top_(grid.count() - 1), position_(grid.count() - 1) {}

    std::size_t entry() const { return entry_; }
    std::size_t traced() const { return traced_; }

    // Appends to `indices` the grid indices of the next block that are not
    // yet traced: at least `minimum` coarse samples or fine rigidities, and
    // in the fine stages as many as the rule may still need before it ends.
    void plan(std::size_t minimum, std::vector<std::size_t>& indices) {
        const std::size_t last = grid_->count() - 1;
        switch (stage_) {
            case Stage::kCoarse:
                planned_ = std::min(std::max(minimum, kCoarseBlock), position_ / stride_ + 1);
                for (std::size_t k = 0; k < planned_; ++k) add(position_ - k * stride_, indices);
                return;
            case Stage::kUpward:
                planned_ = std::min(std::max(minimum, still_needed(margin_above())), last - position_);
                for (std::size_t k = 1; k <= planned_; ++k) add(position_ + k, indices);
                return;
            case Stage::kDownward:
                planned_ = std::min(std::max(minimum, still_needed(margin_below())), position_);
                for (std::size_t k = 1; k <= planned_; ++k) add(position_ - k, indices);
                return;
            case Stage::kDone:
                planned_ = 0;
                return;
        }
    }

    void record(std::size_t index, TraceOutcome outcome) {
        known_[index] = outcome == TraceOutcome::kAllowed     ? Known::kAllowed
                        : outcome == TraceOutcome::kForbidden ? Known::kForbidden
                                                              : Known::kFailed;
    }

    // Applies the rules to the planned block; true once the entry is complete.
    bool advance() {
        // A block ends with its stage; the rest of it is not used.
        const Stage stage = stage_;
        for (std::size_t k = 0; k < planned_ && stage_ == stage; ++k) {
            switch (stage_) {
                case Stage::kCoarse:
                    if (!allowed(position_) || position_ < stride_) {
                        start_upward();
                    } else {
                        position_ -= stride_;
                    }
                    break;
                case Stage::kUpward:
                    ++position_;
                    if (allowed(position_)) {
                        ++run_;
                    } else {
                        run_ = 0;
                        reference_ = position_;
                    }
                    if (run_ >= margin_above() || position_ == grid_->count() - 1) start_downward(position_);
                    break;
                case Stage::kDownward:
                    --position_;
                    if (allowed(position_)) {
                        reference_ = position_;
                        run_ = 0;
                    } else {
                        ++run_;
                    }
                    if (run_ >= margin_below() || position_ == 0) stage_ = Stage::kDone;
                    break;
                case Stage::kDone:
                    break;
            }
        }
        return stage_ == Stage::kDone;
    }

    // The cutoffs of the complete scan: above the fine scan allowed, below
    // it forbidden. `failures` receives the rigidities of the fine scan that
    // could not be integrated, in grid order.
    EntryCutoffs result(bool keep_runs, std::vector<double>& failures) const {
        const ScanGrid& grid = *grid_;
        CutoffReduction reduction(grid, keep_runs);
        for (std::size_t i = 0; i < grid.count(); ++i) {
            if (i < position_) {
                reduction.add(TraceOutcome::kForbidden);
            } else if (i > top_) {
                reduction.add(TraceOutcome::kAllowed);
            } else {
                const Known known = known_[i];
                if (known == Known::kFailed) failures.push_back(grid.rigidity(i));
                reduction.add(known == Known::kAllowed     ? TraceOutcome::kAllowed
                              : known == Known::kForbidden ? TraceOutcome::kForbidden
                                                           : TraceOutcome::kIntegrationFailed);
            }
        }
        return reduction.result();
    }

private:
    enum class Stage { kCoarse, kUpward, kDownward, kDone };

    bool allowed(std::size_t i) const { return known_[i] == Known::kAllowed; }

    void add(std::size_t index, std::vector<std::size_t>& indices) {
        if (known_[index] != Known::kNotTraced) return;
        indices.push_back(index);
        ++traced_;
    }

    std::size_t still_needed(std::size_t margin) const { return margin > run_ ? margin - run_ : 1; }
    std::size_t margin_above() const { return adaptive_margin_above(*grid_, reference_); }
    std::size_t margin_below() const { return adaptive_margin_below(*grid_, reference_); }

    // Stage 2 from the coarse sample at `position_`: the allowed run above
    // the highest forbidden rigidity (the sample, unless it is allowed).
    void start_upward() {
        sample_ = position_;
        stage_ = Stage::kUpward;
        reference_ = sample_;
        run_ = allowed(sample_) ? 1 : 0;
        if (run_ >= margin_above() || sample_ == grid_->count() - 1) start_downward(sample_);
    }

    // Stage 3 from the sample down, the fine scan reaching up to `top`: the
    // forbidden run below the lowest allowed rigidity of [sample, top], or
    // below top + 1 when none is.
    void start_downward(std::size_t top) {
        top_ = top;
        stage_ = Stage::kDownward;
        reference_ = top + 1;
        for (std::size_t i = sample_; i <= top; ++i) {
            if (allowed(i)) {
                reference_ = i;
                break;
            }
        }
        run_ = reference_ - sample_;
        position_ = sample_;
        if (run_ >= margin_below() || position_ == 0) stage_ = Stage::kDone;
    }

    const ScanGrid* grid_;
    std::size_t entry_;
    std::vector<Known> known_;
    std::size_t traced_ = 0;
    std::size_t planned_ = 0;   // coarse samples or fine rigidities in the block
    Stage stage_ = Stage::kCoarse;
    std::size_t stride_;        // coarse stride, grid steps
    std::size_t sample_ = 0;    // where the coarse descent ended
    std::size_t top_;           // highest rigidity of the fine scan
    // The coarse sample, the last rigidity of the upward scan, or the lowest
    // of the downward scan (once complete, the lowest of the fine scan).
    std::size_t position_;
    // The highest forbidden rigidity of the upward scan, or the lowest
    // allowed of the downward one (may be one past the grid's last).
    std::size_t reference_ = 0;
    std::size_t run_ = 0;       // allowed (upward) or forbidden (downward) rigidities since it
};

// An entry's cutoffs waiting for the entries before it.
struct FinishedEntry {
    bool complete = false;
    EntryCutoffs cutoffs;
    std::vector<double> failures;
};

std::size_t scan_fully(const TraceSettings& settings, std::span<const StationEntry> entries, const ScanGrid& grid,
                       const CutoffScanOptions& options, const CutoffSink& sink) {
    const std::size_t per_entry = grid.count();
    JobList jobs;
    jobs.count = entries.size() * per_entry;
    jobs.at = [entries, &grid, per_entry](std::size_t index) {
        return TraceJob{entries[index / per_entry], grid.rigidity(index % per_entry)};
    };

    CutoffReduction reduction(grid, options.keep_runs);
    const auto reduce = [&](std::size_t index, const TraceResult& result) {
        const std::size_t entry = index / per_entry;
        const std::size_t k = index % per_entry;
        if (k == 0) reduction = CutoffReduction(grid, options.keep_runs);
        reduction.add(result.outcome);
        if (result.outcome == TraceOutcome::kIntegrationFailed && options.on_failure) {
            options.on_failure(entry, grid.rigidity(k));
        }
        if (options.on_progress) options.on_progress(index + 1);
        if (k + 1 == per_entry) sink(entry, reduction.result());
        return true;
    };
    return trace_jobs(settings, jobs, engine_options(options), reduce);
}

}  // namespace

std::size_t scan_cutoffs_adaptively(std::span<const StationEntry> entries, const ScanGrid& grid,
                                    const CutoffScanOptions& options, const RoundTracer& tracer,
                                    const CutoffSink& sink) {
    const std::size_t window = std::clamp<std::size_t>(kAdaptiveWindowBytes / grid.count(), 1, kAdaptiveWindow);

    std::vector<AdaptiveEntry> active;
    std::deque<FinishedEntry> finished;  // from entry `handed_over` on
    std::size_t admitted = 0, handed_over = 0;
    std::size_t traced = 0, left_out = 0;
    std::vector<TraceJob> jobs;
    std::vector<std::pair<std::size_t, std::size_t>> job_places;  // active slot and grid index of each job
    std::vector<std::size_t> indices;
    const auto progress = [&] {
        if (options.on_progress) options.on_progress(traced + left_out);
    };

    while (true) {
        while (active.size() < window && admitted < entries.size()) active.emplace_back(admitted++, grid);
        if (active.empty()) break;

        const std::size_t minimum = std::max<std::size_t>(1, (options.round_jobs + active.size() - 1) / active.size());
        jobs.clear();
        job_places.clear();
        for (std::size_t slot = 0; slot < active.size(); ++slot) {
            indices.clear();
            active[slot].plan(minimum, indices);
            for (const std::size_t i : indices) {
                jobs.push_back(TraceJob{entries[active[slot].entry()], grid.rigidity(i)});
                job_places.emplace_back(slot, i);
            }
        }
        if (!jobs.empty()) {
            tracer(jobs, [&](std::size_t index, TraceOutcome outcome) {
                active[job_places[index].first].record(job_places[index].second, outcome);
                ++traced;
                progress();
            });
        }

        std::size_t kept = 0;
        for (std::size_t slot = 0; slot < active.size(); ++slot) {
            AdaptiveEntry& scan = active[slot];
            if (!scan.advance()) {
                if (kept != slot) active[kept] = std::move(scan);
                ++kept;
                continue;
            }
            const std::size_t place = scan.entry() - handed_over;
            if (finished.size() <= place) finished.resize(place + 1);
            finished[place].cutoffs = scan.result(options.keep_runs, finished[place].failures);
            finished[place].complete = true;
            left_out += grid.count() - scan.traced();
        }
        active.erase(active.begin() + static_cast<std::ptrdiff_t>(kept), active.end());
        progress();
        while (!finished.empty() && finished.front().complete) {
            if (options.on_failure) {
                for (const double rigidity : finished.front().failures) options.on_failure(handed_over, rigidity);
            }
            sink(handed_over, finished.front().cutoffs);
            finished.pop_front();
            ++handed_over;
        }
    }
    return traced;
}

std::size_t scan_cutoffs(const TraceSettings& settings, std::span<const StationEntry> entries,
                         const ScanGrid& grid, const CutoffScanOptions& options, const CutoffSink& sink) {
    if (options.mode == ScanMode::kFull) return scan_fully(settings, entries, grid, options, sink);
    // The lanes' occupancy summed over the rounds.
    LaneStatistics round;
    EngineOptions engine = engine_options(options);
    if (options.statistics != nullptr) {
        *options.statistics = LaneStatistics{};
        engine.statistics = &round;
    }
    const RoundTracer on_engine = [&](std::span<const TraceJob> jobs, const OutcomeRecord& record) {
        JobList list;
        list.count = jobs.size();
        list.at = [jobs](std::size_t index) { return jobs[index]; };
        trace_jobs(settings, list, engine, [&](std::size_t index, const TraceResult& result) {
            record(index, result.outcome);
            return true;
        });
        if (options.statistics != nullptr) {
            options.statistics->width = round.width;
            options.statistics->batches += round.batches;
            options.statistics->busy_lanes += round.busy_lanes;
        }
    };
    return scan_cutoffs_adaptively(entries, grid, options, on_engine, sink);
}

}  // namespace cones
