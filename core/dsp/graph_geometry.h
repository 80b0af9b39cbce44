#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "dsp/frequency_grid.h"

namespace kestra {

struct GraphPoint {
    double x = 0;
    double y = 0;
    bool operator==(const GraphPoint&) const = default;
};

struct GraphRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool operator==(const GraphRect&) const = default;
};

struct GraphAxis {
    double min = 0;
    double max = 1;
    bool logarithmic = false;
};

// The frequency axis of the EQ graphs and the gain axis the editors set.
inline constexpr GraphAxis kFrequencyAxis{20, 20000, true};
inline constexpr GraphAxis kEqGainAxis{-15, 15, false};

struct GridLine {
    double position = 0;  // x for vertical lines, y for horizontal ones
    bool solid = false;   // vertical lines: solid at 100, 1000 and 10000 Hz, dotted otherwise
};

struct AxisLabel {
    std::string text;
    GraphRect box;  // y labels are right-aligned in their box, x labels centred
};

// Where values lie on a response graph of a given client size, in pixels with y downwards.
// The plot rectangle is inset by width/20 left and right, height/20 at the top and
// height/10 at the bottom when the graph has margins; otherwise it is the whole client area.
class GraphGeometry {
public:
    GraphGeometry(int width, int height, GraphAxis x_axis, GraphAxis y_axis,
                  bool with_margins = true);
    // A graph whose plot rectangle its owner chose (the transfer graph's wider margins).
    GraphGeometry(GraphRect plot, GraphAxis x_axis, GraphAxis y_axis);

    // A marker's circle: one character fits the small one, two need the larger.
    static constexpr double kMarkerRadius = 7;
    static constexpr double kWideMarkerRadius = 9;
    static double marker_radius(std::size_t caption_chars) {
        return caption_chars > 1 ? kWideMarkerRadius : kMarkerRadius;
    }

    static GraphRect plot_rect(int width, int height, bool with_margins);
    const GraphRect& plot() const { return plot_; }
    const GraphAxis& x_axis() const { return x_axis_; }
    const GraphAxis& y_axis() const { return y_axis_; }
    bool with_margins() const { return with_margins_; }

    // Value to pixel, limited to the plot's edges (a value past the axis is drawn there).
    double x_of(double value) const;
    double y_of(double value) const;
    // Value to pixel on the axis line extended past the plot, for texts beside it.
    double y_unclamped(double value) const;
    // Pixel to value, limited to the axis range.
    double value_of_x(double x) const;
    double value_of_y(double y) const;

    // A marker's centre for a value pair, and the value pair for a dragged centre. Band
    // markers take (freq, gain); the HPF and LPF markers (freq, 0) and keep only the x of a
    // drag. The inverse is the linear one, which on a symmetric gain axis is the offset from
    // the plot's middle line times max / (half the plot height).
    GraphPoint marker_centre(double x_value, double y_value) const;
    GraphPoint marker_value(GraphPoint centre) const;
    // A marker is grabbed inside the 32 x 32 pixel box centred on it.
    static bool marker_hit(GraphPoint centre, GraphPoint mouse);

    // The 28 grid frequencies (20 ... 100 by 10, ... 10000 by 1000, 20000) within the x range.
    std::vector<GridLine> frequency_grid_lines() const;
    // Nine horizontal lines at tenths of the plot height, top to bottom.
    std::vector<GridLine> value_grid_lines() const;
    // "%ddB" with the maximum beside the top line, "%d" beside the bottom line and the eight
    // lines above it; right-aligned 5 pixels left of the plot, 16 pixels high.
    std::vector<AxisLabel> value_labels() const;
    // "20", "100", "1K", "10K", "20K" centred in 30-pixel boxes 2-18 pixels below the plot.
    std::vector<AxisLabel> frequency_labels() const;

    // The polyline of a curve through every grid point inside the x range.
    std::vector<GraphPoint> curve_polyline(const GridValues& values) const;

private:
    double fraction_of_x(double value) const;

    GraphRect plot_;
    GraphAxis x_axis_;
    GraphAxis y_axis_;
    bool with_margins_;
};

}  // namespace kestra
