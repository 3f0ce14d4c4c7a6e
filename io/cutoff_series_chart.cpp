#include "io/cutoff_series_chart.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "io/calendar.hpp"
#include "io/run_description.hpp"
#include "io/svg_elements.hpp"

namespace cones {
namespace {

using namespace series_chart;
using namespace svg;

constexpr const char* kDstColour = "#1f2f4a";
constexpr const char* kGridColour = "#e4e4e4";

class TimeAxis {
public:
    TimeAxis(UtSeconds first, UtSeconds last)
        : first_(first == last ? first - 3600 : first), last_(first == last ? last + 3600 : last) {}
    double x(UtSeconds t) const {
        return kPlotLeft + static_cast<double>(t - first_) / static_cast<double>(last_ - first_) * (kPlotRight - kPlotLeft);
    }
    UtSeconds first() const { return first_; }
    UtSeconds last() const { return last_; }

private:
    UtSeconds first_, last_;
};

// Whole hours or days between ticks giving at most about ten ticks.
UtSeconds time_tick_spacing(UtSeconds span) {
    const UtSeconds hours[] = {1, 2, 3, 6, 12, 24, 48, 96, 168, 336, 672};
    for (const UtSeconds h : hours) {
        if (span / (h * 3600) <= 10) return h * 3600;
    }
    return span / 10 / 86400 * 86400 + 86400;
}

std::string tick_time_text(UtSeconds t) {
    const UtDayTime at = ut_day_time(t);
    int month = 1, day = at.day_of_year;
    while (day > days_in_month(month, at.year)) day -= days_in_month(month++, at.year);
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d", month, day, at.hour, at.minute);
    return text;
}

// Vertical lines at the time ticks across a panel from `top` to `bottom`,
// with the labels under the bottom one when `labels`.
std::string time_grid(const TimeAxis& axis, double top, double bottom, bool labels) {
    std::string out;
    const UtSeconds spacing = time_tick_spacing(axis.last() - axis.first());
    UtSeconds t = (axis.first() + spacing - 1) / spacing * spacing;
    for (; t <= axis.last(); t += spacing) {
        const double x = axis.x(t);
        out += line(x, top, x, bottom, kGridColour, 1.0);
        if (labels) {
            out += line(x, bottom, x, bottom + 5.0, "#000000", 1.0);
            out += text_element(x, bottom + 18.0, "middle", tick_time_text(t));
        }
    }
    return out;
}

// A vertical value axis from `low` to `high` on [top, top + height]: ticks,
// labels, horizontal grid lines and the axis name.
struct ValueAxis {
    double low, high, top, height;
    double y(double value) const { return top + height - (value - low) / (high - low) * height; }
};

std::string value_axis(const ValueAxis& axis, const std::string& name) {
    std::string out;
    const double spacing = tick_spacing(axis.high - axis.low);
    const int decimals = spacing >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(spacing) - 1e-9));
    for (double k = std::ceil(axis.low / spacing - 1e-9); k * spacing <= axis.high + 1e-9 * spacing; k += 1.0) {
        const double y = axis.y(k * spacing);
        out += line(kPlotLeft, y, kPlotRight, y, kGridColour, 1.0);
        out += line(kPlotLeft - 5.0, y, kPlotLeft, y, "#000000", 1.0);
        out += text_element(kPlotLeft - 8.0, y + 4.0, "end", fixed_number(k * spacing + 0.0, decimals));
    }
    const double middle = axis.top + axis.height / 2.0;
    out += "<text x=\"" + at(24.0) + "\" y=\"" + at(middle) + "\" text-anchor=\"middle\" transform=\"rotate(-90 " +
           at(24.0) + " " + at(middle) + ")\">" + escaped(name) + "</text>\n";
    return out;
}

std::string frame(double top, double height) {
    return rect(kPlotLeft, top, kPlotRight - kPlotLeft, height, "none", " stroke=\"#000000\" stroke-width=\"1\"");
}

// Lines through the resolved values of one cutoff, broken where it is not
// resolved, with a dot at every resolved moment.
std::string cutoff_lines(const SeriesChartPanel& panel, const TimeAxis& time, const ValueAxis& axis,
                         const Cutoff EntryCutoffs::*which, const char* colour) {
    std::string out;
    std::vector<std::pair<double, double>> run;
    for (const SeriesChartPoint& point : panel.points) {
        const Cutoff& cutoff = point.cutoffs.*which;
        if (point.cutoffs.failed || cutoff.place != CutoffPlace::kAt) {
            out += polyline(run, colour, 1.8);
            run.clear();
            continue;
        }
        const double x = time.x(point.time), y = axis.y(cutoff.rigidity);
        run.emplace_back(x, y);
        out += "<circle cx=\"" + at(x) + "\" cy=\"" + at(y) + "\" r=\"2.5\" fill=\"" + colour + "\"/>\n";
    }
    return out + polyline(run, colour, 1.8);
}

std::string legend(double y) {
    std::string out;
    double x = kPlotLeft;
    const std::pair<const char*, const char*> marks[] = {
        {kLowerColour, "RL lower cutoff"}, {kEffectiveColour, "Rc effective cutoff"}, {kUpperColour, "RU upper cutoff"}};
    for (const auto& [colour, name] : marks) {
        out += line(x, y - 4.0, x + 22.0, y - 4.0, colour, 2.5);
        out += text_element(x + 28.0, y, "start", name);
        x += 170.0;
    }
    return out;
}

std::string panel_svg(const SeriesChartPanel& panel, const TimeAxis& time, double top) {
    double highest = 0.0;
    int unresolved = 0, failed = 0;
    for (const SeriesChartPoint& point : panel.points) {
        if (point.cutoffs.failed) {
            ++failed;
            continue;
        }
        for (const Cutoff* c : {&point.cutoffs.lower, &point.cutoffs.effective, &point.cutoffs.upper}) {
            if (c->place == CutoffPlace::kAt) highest = std::max(highest, c->rigidity);
        }
        unresolved += point.cutoffs.lower.place != CutoffPlace::kAt || point.cutoffs.effective.place != CutoffPlace::kAt ||
                      point.cutoffs.upper.place != CutoffPlace::kAt;
    }
    const double spacing = tick_spacing(highest > 0.0 ? highest * 1.1 : 1.0);
    const ValueAxis axis{0.0, std::ceil(std::max(highest, 1e-9) * 1.05 / spacing) * spacing, top, kPanelHeight};
    std::string out = text_element(kPlotLeft, top - 8.0, "start", panel.label, " font-weight=\"bold\"");
    out += value_axis(axis, "Rigidity (GV)");
    out += time_grid(time, top, top + kPanelHeight, false);
    out += cutoff_lines(panel, time, axis, &EntryCutoffs::lower, kLowerColour);
    out += cutoff_lines(panel, time, axis, &EntryCutoffs::upper, kUpperColour);
    out += cutoff_lines(panel, time, axis, &EntryCutoffs::effective, kEffectiveColour);
    out += frame(top, kPanelHeight);
    std::string note;
    if (unresolved > 0) note = std::to_string(unresolved) + " moments with a cutoff beyond the scan (not drawn)";
    if (failed > 0) {
        note += (note.empty() ? "" : "; ") + std::to_string(failed) + " moments where a trajectory could not be integrated";
    }
    if (!note.empty()) out += text_element(kPlotRight, top - 8.0, "end", note, " fill=\"#555555\"");
    return out;
}

std::string dst_panel(std::span<const DstPoint> dst, const std::string& label, const TimeAxis& time, double top) {
    double low = 0.0, high = 0.0;
    bool any = false;
    for (const DstPoint& point : dst) {
        if (std::isnan(point.dst)) continue;
        any = true;
        low = std::min(low, point.dst);
        high = std::max(high, point.dst);
    }
    std::string out = text_element(kPlotLeft, top - 8.0, "start", label + " (nT)", " font-weight=\"bold\"");
    if (!any) {
        out += frame(top, kDstHeight);
        out += time_grid(time, top, top + kDstHeight, true);
        return out + text_element((kPlotLeft + kPlotRight) / 2.0, top + kDstHeight / 2.0, "middle",
                                  "no " + label + " for these moments", " fill=\"#555555\"");
    }
    const double spacing = tick_spacing(std::max(high - low, 1.0) * 1.1);
    const ValueAxis axis{std::floor(low / spacing) * spacing - (low < 0.0 ? 0.0 : spacing),
                         std::ceil(high / spacing) * spacing + (high > 0.0 ? 0.0 : spacing), top, kDstHeight};
    out += value_axis(axis, label + " (nT)");
    out += time_grid(time, top, top + kDstHeight, true);
    out += line(kPlotLeft, axis.y(0.0), kPlotRight, axis.y(0.0), "#808080", 1.0);
    std::vector<std::pair<double, double>> run;
    for (const DstPoint& point : dst) {
        if (std::isnan(point.dst)) {
            out += polyline(run, kDstColour, 1.8);
            run.clear();
            continue;
        }
        run.emplace_back(time.x(point.time), axis.y(point.dst));
    }
    out += polyline(run, kDstColour, 1.8);
    return out + frame(top, kDstHeight);
}

}  // namespace

std::string cutoff_series_chart_svg(std::span<const SeriesChartPanel> panels, std::span<const DstPoint> dst,
                                    const std::string& dst_label, const std::string& title) {
    UtSeconds first = 0, last = 0;
    bool any = false;
    for (const SeriesChartPanel& panel : panels) {
        for (const SeriesChartPoint& point : panel.points) {
            first = any ? std::min(first, point.time) : point.time;
            last = any ? std::max(last, point.time) : point.time;
            any = true;
        }
    }
    const TimeAxis time(first, last);
    const double dst_top = kFirstPanelTop + static_cast<double>(panels.size()) * (kPanelHeight + kPanelGap);
    const double height = dst_top + kDstHeight + 52.0;
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + at(kWidth) + "\" height=\"" +
                      at(height) + "\" viewBox=\"0 0 " + at(kWidth) + " " + at(height) +
                      "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    out += rect(0.0, 0.0, kWidth, height, "#ffffff");
    // A long title goes on two lines, broken after a comma.
    const std::size_t limit = 110;
    const std::size_t cut = title.size() > limit ? title.rfind(", ", limit) : std::string::npos;
    if (cut == std::string::npos) {
        out += text_element(kWidth / 2.0, 24.0, "middle", title, " font-size=\"15\"");
    } else {
        out += text_element(kWidth / 2.0, 18.0, "middle", title.substr(0, cut + 1), " font-size=\"14\"");
        out += text_element(kWidth / 2.0, 36.0, "middle", title.substr(cut + 2), " font-size=\"12\"");
    }
    out += legend(56.0);
    for (std::size_t i = 0; i < panels.size(); ++i) {
        out += panel_svg(panels[i], time, kFirstPanelTop + static_cast<double>(i) * (kPanelHeight + kPanelGap));
    }
    out += dst_panel(dst, dst_label, time, dst_top);
    out += text_element((kPlotLeft + kPlotRight) / 2.0, height - 8.0, "middle", "Time (UT)");
    out += "</svg>\n";
    return out;
}

}  // namespace cones
