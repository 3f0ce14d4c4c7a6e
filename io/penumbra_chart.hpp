// The penumbra chart: an SVG picture of cutoff scans, one row per station
// entry, rigidity along the horizontal axis, allowed rigidities dark and
// forbidden ones light, with the lower, effective and upper cutoffs marked.
#pragma once

#include <span>
#include <string>

#include "tracing/cutoff_scan.hpp"

namespace cones {

// One row of the chart: the entry's label and its cutoffs with their allowed
// runs (scanned with CutoffScanOptions::keep_runs).
struct PenumbraRow {
    std::string label;
    EntryCutoffs cutoffs;
};

// Geometry of the chart, in SVG user units (pixels at 1:1), for readers that
// look at the picture (the tests sample its pixels).
namespace penumbra_chart {
inline constexpr double kWidth = 960.0;
inline constexpr double kPlotLeft = 190.0;   // left end of the rigidity axis
inline constexpr double kPlotRight = 930.0;  // right end
inline constexpr double kFirstRowTop = 76.0;
inline constexpr double kRowHeight = 48.0;
inline constexpr double kBarOffset = 16.0;  // from a row's top to its bar's top
inline constexpr double kBarHeight = 16.0;
}  // namespace penumbra_chart

// The chart as a complete SVG document.
// Given:    rows  the entries, top to bottom; grid  their scan grid;
//           title  the text above the chart.
// Returned: the SVG text. The axis runs from the scan's first rigidity to its
//           last plus one step; grid rigidity R_i is drawn as the interval
//           [R_i, R_i + step) (so that the Rc mark lies where RU would lie if
//           the allowed part of the penumbra were moved above it), labelled
//           ticks at 1, 2 or 5 times a power of ten. RL, Rc and RU are drawn
//           as coloured marks across the bar with their values; a cutoff the
//           scan does not resolve is named beside the bar instead; a failed
//           entry's bar is left blank and says where its trajectory could not
//           be integrated.
std::string penumbra_chart_svg(std::span<const PenumbraRow> rows, const ScanGrid& grid, const std::string& title);

}  // namespace cones
