// The chart of cutoffs along time: an SVG picture with one panel per station
// entry (or one for the points of a path) showing RL, Rc and RU against
// time, and beneath them a panel of Dst.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "models/solar_wind.hpp"
#include "tracing/cutoff_scan.hpp"

namespace cones {

// One moment of a panel: its time and the cutoffs found then.
struct SeriesChartPoint {
    UtSeconds time = 0;
    EntryCutoffs cutoffs;
};

// One panel: its label and its points in time order.
struct SeriesChartPanel {
    std::string label;
    std::vector<SeriesChartPoint> points;
};

// The Dst of one moment (NaN where not known).
struct DstPoint {
    UtSeconds time = 0;
    double dst = 0.0;  // nT
};

// Geometry of the chart, in SVG user units, for readers that look at the
// picture (the tests sample its pixels).
namespace series_chart {
inline constexpr double kWidth = 960.0;
inline constexpr double kPlotLeft = 90.0;    // the first moment
inline constexpr double kPlotRight = 930.0;  // the last moment
inline constexpr double kFirstPanelTop = 80.0;
inline constexpr double kPanelHeight = 150.0;
inline constexpr double kPanelGap = 36.0;    // between panels, for the next label
inline constexpr double kDstHeight = 110.0;
}  // namespace series_chart

// The chart as a complete SVG document.
// Given:    panels  one per station entry, top to bottom; dst  Dst at the
//           moments (may be empty: the Dst panel then says there is none);
//           dst_label  the name of the index shown ("Dst", "Dst (SYM-H)");
//           title  the text above the chart.
// Returned: the SVG text. Time runs from the earliest to the latest moment
//           of the panels (one hour either side of a single moment), ticks
//           at whole hours or days labelled "MM-DD HH:MM" (UT). Each panel's
//           rigidity axis runs from 0 to above its largest cutoff shown, with
//           RL, Rc and RU as lines with a dot at every moment in the colours
//           of the penumbra chart; a cutoff the scan does not resolve there
//           (below or above the scan, or a failed entry) breaks its line and
//           is counted in a note under the panel. The Dst panel draws Dst
//           with its zero line.
std::string cutoff_series_chart_svg(std::span<const SeriesChartPanel> panels, std::span<const DstPoint> dst,
                                    const std::string& dst_label, const std::string& title);

}  // namespace cones
