#include "io/svg_elements.hpp"

#include <cmath>

#include "io/run_description.hpp"

namespace cones::svg {

std::string at(double value) { return fixed_number(value, 2); }

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string text_element(double x, double y, const char* anchor, const std::string& text, const char* extra) {
    return "<text x=\"" + at(x) + "\" y=\"" + at(y) + "\" text-anchor=\"" + anchor + "\"" + extra + ">" +
           escaped(text) + "</text>\n";
}

std::string rect(double x, double y, double width, double height, const char* fill, const char* extra) {
    return "<rect x=\"" + at(x) + "\" y=\"" + at(y) + "\" width=\"" + at(width) + "\" height=\"" + at(height) +
           "\" fill=\"" + fill + "\"" + extra + "/>\n";
}

std::string line(double x1, double y1, double x2, double y2, const char* colour, double width) {
    return "<line x1=\"" + at(x1) + "\" y1=\"" + at(y1) + "\" x2=\"" + at(x2) + "\" y2=\"" + at(y2) +
           "\" stroke=\"" + colour + "\" stroke-width=\"" + at(width) + "\"/>\n";
}

std::string polyline(const std::vector<std::pair<double, double>>& points, const char* colour, double width) {
    if (points.empty()) return {};
    std::string list;
    for (const auto& [x, y] : points) list += (list.empty() ? "" : " ") + at(x) + "," + at(y);
    return "<polyline points=\"" + list + "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + at(width) +
           "\" stroke-linejoin=\"round\"/>\n";
}

double tick_spacing(double span) {
    const double raw = span / 8.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalised = raw / magnitude;
    const double factor = normalised < 1.5 ? 1.0 : normalised < 3.5 ? 2.0 : normalised < 7.5 ? 5.0 : 10.0;
    return factor * magnitude;
}

}  // namespace cones::svg
