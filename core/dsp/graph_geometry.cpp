#include "dsp/graph_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace kestra {

namespace {

constexpr double kMarkerHalfBox = 16;
constexpr double kValueLabelGap = 5;
constexpr double kValueLabelWidth = 60;
constexpr double kValueLabelHeight = 16;
constexpr double kFrequencyLabelWidth = 30;

struct FrequencyLabel {
    double freq;
    const char* text;
};
constexpr std::array<FrequencyLabel, 5> kFrequencyLabels{
    {{20, "20"}, {100, "100"}, {1000, "1K"}, {10000, "10K"}, {20000, "20K"}}};

std::vector<double> grid_line_frequencies() {
    std::vector<double> out;
    for (double decade : {10.0, 100.0, 1000.0}) {
        for (int k = 2; k <= 10; ++k) {
            out.push_back(decade * k);
        }
    }
    out.push_back(20000);
    return out;
}

std::string int_text(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<int>(value));
    return text;
}

void check_axis(const GraphAxis& axis) {
    if (!(axis.max > axis.min) || (axis.logarithmic && !(axis.min > 0))) {
        throw std::invalid_argument("graph axis needs min < max, and min > 0 when logarithmic");
    }
}

}  // namespace

GraphGeometry::GraphGeometry(int width, int height, GraphAxis x_axis, GraphAxis y_axis,
                             bool with_margins)
    : plot_(plot_rect(width, height, with_margins)),
      x_axis_(x_axis),
      y_axis_(y_axis),
      with_margins_(with_margins) {
    check_axis(x_axis_);
    check_axis(y_axis_);
}

GraphGeometry::GraphGeometry(GraphRect plot, GraphAxis x_axis, GraphAxis y_axis)
    : plot_(plot), x_axis_(x_axis), y_axis_(y_axis), with_margins_(true) {
    check_axis(x_axis_);
    check_axis(y_axis_);
}

GraphRect GraphGeometry::plot_rect(int width, int height, bool with_margins) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (!with_margins) {
        return GraphRect{0, 0, double(width), double(height)};
    }
    return GraphRect{double(width / 20), double(height / 20), double(width - width / 20),
                     double(height - height / 10)};
}

double GraphGeometry::fraction_of_x(double value) const {
    double f = 0;
    if (x_axis_.logarithmic) {
        f = value > 0 ? std::log10(value / x_axis_.min) / std::log10(x_axis_.max / x_axis_.min)
                      : 0.0;
    } else {
        f = (value - x_axis_.min) / (x_axis_.max - x_axis_.min);
    }
    return std::clamp(f, 0.0, 1.0);
}

double GraphGeometry::x_of(double value) const {
    return plot_.left + fraction_of_x(value) * (plot_.right - plot_.left);
}

double GraphGeometry::y_of(double value) const {
    return y_unclamped(std::clamp(value, y_axis_.min, y_axis_.max));
}

double GraphGeometry::y_unclamped(double value) const {
    return plot_.bottom -
           (value - y_axis_.min) * (plot_.bottom - plot_.top) / (y_axis_.max - y_axis_.min);
}

double GraphGeometry::value_of_x(double x) const {
    const double span = plot_.right - plot_.left;
    const double f = span > 0 ? std::clamp((x - plot_.left) / span, 0.0, 1.0) : 0.0;
    if (x_axis_.logarithmic) {
        return x_axis_.min * std::pow(10.0, std::log10(x_axis_.max / x_axis_.min) * f);
    }
    return x_axis_.min + f * (x_axis_.max - x_axis_.min);
}

double GraphGeometry::value_of_y(double y) const {
    const double span = plot_.bottom - plot_.top;
    const double f = span > 0 ? std::clamp((plot_.bottom - y) / span, 0.0, 1.0) : 0.0;
    return y_axis_.min + f * (y_axis_.max - y_axis_.min);
}

GraphPoint GraphGeometry::marker_centre(double x_value, double y_value) const {
    return GraphPoint{x_of(x_value), y_of(y_value)};
}

GraphPoint GraphGeometry::marker_value(GraphPoint centre) const {
    return GraphPoint{value_of_x(centre.x), value_of_y(centre.y)};
}

bool GraphGeometry::marker_hit(GraphPoint centre, GraphPoint mouse) {
    return std::abs(mouse.x - centre.x) <= kMarkerHalfBox &&
           std::abs(mouse.y - centre.y) <= kMarkerHalfBox;
}

std::vector<GridLine> GraphGeometry::frequency_grid_lines() const {
    std::vector<GridLine> lines;
    for (double f : grid_line_frequencies()) {
        if (f >= x_axis_.min && f <= x_axis_.max) {
            lines.push_back(GridLine{x_of(f), f == 100 || f == 1000 || f == 10000});
        }
    }
    return lines;
}

std::vector<GridLine> GraphGeometry::value_grid_lines() const {
    std::vector<GridLine> lines;
    for (int k = 1; k <= 9; ++k) {
        lines.push_back(GridLine{plot_.top + (plot_.bottom - plot_.top) * k / 10, false});
    }
    return lines;
}

std::vector<AxisLabel> GraphGeometry::value_labels() const {
    const double right = plot_.left - kValueLabelGap;
    const auto label_at = [&](double y, std::string text) {
        return AxisLabel{std::move(text),
                         GraphRect{right - kValueLabelWidth, y - kValueLabelHeight / 2, right,
                                   y + kValueLabelHeight / 2}};
    };
    std::vector<AxisLabel> labels;
    labels.push_back(label_at(plot_.top, int_text("%ddB", y_axis_.max)));
    for (int k = 0; k <= 9; ++k) {
        const double v = y_axis_.min + (y_axis_.max - y_axis_.min) * k / 10;
        labels.push_back(
            label_at(plot_.bottom - (plot_.bottom - plot_.top) * k / 10, int_text("%d", v)));
    }
    return labels;
}

std::vector<AxisLabel> GraphGeometry::frequency_labels() const {
    std::vector<AxisLabel> labels;
    for (const FrequencyLabel& label : kFrequencyLabels) {
        if (label.freq < x_axis_.min || label.freq > x_axis_.max) {
            continue;
        }
        const double x = x_of(label.freq);
        labels.push_back(
            AxisLabel{label.text, GraphRect{x - kFrequencyLabelWidth / 2, plot_.bottom + 2,
                                            x + kFrequencyLabelWidth / 2, plot_.bottom + 18}});
    }
    return labels;
}

std::vector<GraphPoint> GraphGeometry::curve_polyline(const GridValues& values) const {
    const GridValues& grid = frequency_grid();
    std::vector<GraphPoint> points;
    points.reserve(kGridPoints);
    for (std::size_t i = 0; i < kGridPoints; ++i) {
        if (grid[i] >= x_axis_.min && grid[i] <= x_axis_.max) {
            points.push_back(GraphPoint{x_of(grid[i]), y_of(values[i])});
        }
    }
    return points;
}

}  // namespace kestra
