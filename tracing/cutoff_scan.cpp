#include "tracing/cutoff_scan.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

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

void scan_cutoffs(const TraceSettings& settings, std::span<const StationEntry> entries, const ScanGrid& grid,
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
        if (options.on_trajectory) options.on_trajectory(index + 1);
        if (k + 1 == per_entry) sink(entry, reduction.result());
        return true;
    };
    EngineOptions engine;
    engine.threads = options.threads;
    engine.lanes = options.lanes;
    engine.on_fewer_threads = options.on_fewer_threads;
    trace_jobs(settings, jobs, engine, reduce);
}

}  // namespace cones
