#include "io/penumbra_chart.hpp"

#include <cmath>
#include <cstdio>
#include <vector>

#include "io/cutoff_table.hpp"
#include "io/run_description.hpp"
#include "io/svg_elements.hpp"

namespace cones {
namespace {

using namespace penumbra_chart;
using namespace svg;

constexpr const char* kAllowedColour = "#1f2f4a";
constexpr const char* kForbiddenColour = "#e4e4e4";
constexpr const char* kFailureColour = "#c0392b";

// Rigidity to horizontal position: the scan's first rigidity at the left end
// of the axis, its last rigidity plus one step at the right end.
class RigidityAxis {
public:
    explicit RigidityAxis(const ScanGrid& grid)
        : low_(grid.from()), high_(grid.rigidity(grid.count() - 1) + grid.step()) {}
    double x(double rigidity) const { return kPlotLeft + (rigidity - low_) / (high_ - low_) * (kPlotRight - kPlotLeft); }
    double low() const { return low_; }
    double high() const { return high_; }

private:
    double low_, high_;
};

std::string axis(const RigidityAxis& scale, double y) {
    std::string svg = line(kPlotLeft, y, kPlotRight, y, "#000000", 1.0);
    const double spacing = tick_spacing(scale.high() - scale.low());
    const int decimals = spacing >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(spacing) - 1e-9));
    const double first = std::ceil(scale.low() / spacing - 1e-9);
    for (double k = first;; k += 1.0) {
        const double value = k * spacing;
        if (value > scale.high() + 1e-9 * spacing) break;
        const double x = scale.x(value);
        svg += line(x, y, x, y + 6.0, "#000000", 1.0);
        svg += text_element(x, y + 20.0, "middle", fixed_number(value, decimals));
    }
    svg += text_element((kPlotLeft + kPlotRight) / 2.0, y + 40.0, "middle", "Rigidity (GV)");
    return svg;
}

std::string legend(double y) {
    std::string svg;
    double x = kPlotLeft;
    svg += rect(x, y - 10.0, 16.0, 12.0, kAllowedColour);
    svg += text_element(x + 22.0, y, "start", "allowed");
    x += 90.0;
    svg += rect(x, y - 10.0, 16.0, 12.0, kForbiddenColour, " stroke=\"#b0b0b0\" stroke-width=\"0.5\"");
    svg += text_element(x + 22.0, y, "start", "forbidden");
    x += 100.0;
    const std::pair<const char*, const char*> marks[] = {{kLowerColour, "RL lower cutoff"},
                                                         {kEffectiveColour, "Rc effective cutoff"},
                                                         {kUpperColour, "RU upper cutoff"}};
    for (const auto& [colour, name] : marks) {
        svg += line(x + 8.0, y - 12.0, x + 8.0, y + 3.0, colour, 2.5);
        svg += text_element(x + 16.0, y, "start", name);
        x += 140.0;
    }
    return svg;
}

// The bar of one entry, its cutoff marks and their labels.
std::string row_bar(const PenumbraRow& row, const ScanGrid& grid, const RigidityAxis& scale, double top, int decimals) {
    const EntryCutoffs& cutoffs = row.cutoffs;
    const double bar = top + kBarOffset;
    const double below_bar = bar + kBarHeight + 13.0;
    std::string svg = text_element(kPlotLeft - 12.0, bar + 12.0, "end", row.label);
    if (cutoffs.failed) {
        const std::string outline = std::string(" stroke=\"") + kFailureColour + "\" stroke-dasharray=\"4 3\"";
        const std::string fill = std::string(" fill=\"") + kFailureColour + "\"";
        svg += rect(kPlotLeft, bar, kPlotRight - kPlotLeft, kBarHeight, "#ffffff", outline.c_str());
        svg += text_element((kPlotLeft + kPlotRight) / 2.0, bar + 12.0, "middle",
                            "integration failed at " + fixed_number(cutoffs.failed_rigidity, decimals) + " GV",
                            fill.c_str());
        return svg;
    }
    svg += rect(kPlotLeft, bar, kPlotRight - kPlotLeft, kBarHeight, kForbiddenColour);
    for (const AllowedRun& run : cutoffs.allowed_runs) {
        const double x1 = scale.x(grid.rigidity(run.first));
        const double x2 = scale.x(grid.rigidity(run.last) + grid.step());
        svg += rect(x1, bar, x2 - x1, kBarHeight, kAllowedColour);
    }

    // Resolved cutoffs are marked on the bar; the others are named under the label.
    std::vector<std::string> notes;
    const auto mark = [&](const Cutoff& cutoff, const char* name, const char* colour, double label_y,
                          const char* anchor, double shift) {
        if (cutoff.place != CutoffPlace::kAt) {
            notes.push_back(std::string(name) + " " + cutoff_text(cutoff, decimals));
            return;
        }
        const double x = scale.x(cutoff.rigidity);
        svg += line(x, bar - 4.0, x, bar + kBarHeight + 4.0, colour, 2.5);
        svg += text_element(x + shift, label_y, anchor, std::string(name) + " " + cutoff_text(cutoff, decimals),
                            (std::string(" fill=\"") + colour + "\"").c_str());
    };
    // RL's label reaches left from its mark and RU's right, so the two never
    // overlap; Rc's sits above the bar. A sharp cutoff (no penumbra) is one mark.
    const bool sharp = cutoffs.lower.place == CutoffPlace::kAt && cutoffs.upper.place == CutoffPlace::kAt &&
                       cutoffs.lower.rigidity == cutoffs.upper.rigidity;
    if (!sharp) {
        mark(cutoffs.lower, "RL", kLowerColour, below_bar, "end", -3.0);
        mark(cutoffs.upper, "RU", kUpperColour, below_bar, "start", 3.0);
    }
    mark(cutoffs.effective, sharp ? "RL = Rc = RU" : "Rc", kEffectiveColour, bar - 6.0, "middle", 0.0);
    if (notes.size() == 3 && cutoffs.lower.place == cutoffs.upper.place) {
        notes.assign(1, cutoffs.lower.place == CutoffPlace::kBelow ? "all allowed" : "none allowed");
    }
    std::string note;
    for (const std::string& part : notes) note += (note.empty() ? "" : ", ") + part;
    if (!note.empty()) svg += text_element(kPlotLeft - 12.0, below_bar, "end", note, " fill=\"#555555\"");
    return svg;
}

}  // namespace

std::string penumbra_chart_svg(std::span<const PenumbraRow> rows, const ScanGrid& grid, const std::string& title) {
    const RigidityAxis scale(grid);
    const int decimals = rigidity_decimals(grid);
    const double axis_y = kFirstRowTop + static_cast<double>(rows.size()) * kRowHeight + 4.0;
    const double height = axis_y + 56.0;
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + at(kWidth) + "\" height=\"" +
                      at(height) + "\" viewBox=\"0 0 " + at(kWidth) + " " + at(height) +
                      "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    svg += rect(0.0, 0.0, kWidth, height, "#ffffff");
    svg += text_element(kWidth / 2.0, 24.0, "middle", title, " font-size=\"15\"");
    svg += legend(50.0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        svg += row_bar(rows[i], grid, scale, kFirstRowTop + static_cast<double>(i) * kRowHeight, decimals);
    }
    svg += axis(scale, axis_y);
    svg += "</svg>\n";
    return svg;
}

}  // namespace cones
