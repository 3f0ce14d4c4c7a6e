// The elements the project's SVG charts are drawn with: text, rectangles,
// lines and polylines with coordinates in two decimals, and the spacing of
// labelled axis ticks.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace cones::svg {

// The colours of the cutoffs in every chart.
inline constexpr const char* kLowerColour = "#1b9e77";      // RL
inline constexpr const char* kEffectiveColour = "#d62728";  // Rc
inline constexpr const char* kUpperColour = "#9b59b6";      // RU

// A coordinate in user units, two decimals.
std::string at(double value);

// Text with &, <, > and " escaped for XML.
std::string escaped(const std::string& text);

// A <text> element at (x, y) anchored "start", "middle" or "end"; `extra`
// adds attributes (" fill=\"#555555\"").
std::string text_element(double x, double y, const char* anchor, const std::string& text, const char* extra = "");

// A filled <rect>.
std::string rect(double x, double y, double width, double height, const char* fill, const char* extra = "");

// A <line> of `width` in `colour`.
std::string line(double x1, double y1, double x2, double y2, const char* colour, double width);

// An open <polyline> through `points` of `width` in `colour`; "" for no points.
std::string polyline(const std::vector<std::pair<double, double>>& points, const char* colour, double width);

// Tick spacing of 1, 2 or 5 times a power of ten giving about eight ticks
// over `span` (> 0).
double tick_spacing(double span);

}  // namespace cones::svg
