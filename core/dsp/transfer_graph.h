#pragma once

#include <string>
#include <vector>

#include "dsp/graph_geometry.h"

namespace kestra {

// The compressor's and limiter's transfer graph: INPUT (x) and OUTPUT (y), both -60 ... 0 dB,
// with three markers: 0 threshold, 1 ratio, 2 make-up gain. Everything here is in dB; the
// graph's GraphGeometry turns it into pixels.
inline constexpr GraphAxis kTransferAxis{-60, 0, false};

struct TransferParams {
    double threshold_db = -30;  // T = stored threshold - 60
    double ratio = 1;           // R = stored ratio x 0.1 (1:R)
    double gain_db = 0;         // G = stored gain x 0.1
};
TransferParams transfer_params(int threshold_code, int ratio_code, int gain_code);

struct TransferMarkers {
    GraphPoint threshold;  // (T, T), on the diagonal
    GraphPoint ratio;      // (0, T (1 - 1/R)), the end of the compressed line
    GraphPoint gain;       // (-60, G - 60)
};
TransferMarkers transfer_markers(const TransferParams& p);

// Stored values for a dragged marker, limited to the sliders' ranges.
// Threshold: the marker moves along the diagonal; trunc(x + 60), 0-60.
int threshold_code_of_marker(double x);
// Ratio: R = (x - T) / (y - T); 10 when y = T, 1 for R in [0, 1), 10 for R < 0 or R > 10;
// stored as trunc(R x 10), 10-100.
double ratio_of_marker(GraphPoint marker, double threshold_db);
int ratio_code_of_marker(GraphPoint marker, double threshold_db);
// Gain: G = y + 60; trunc(G x 10), 0-200.
int gain_code_of_marker(double y);

// The transfer graph's plot inside a graph of the given size: the usual margins, widened on
// the left and below so the axis texts sit beyond the reach of a marker on the plot's edge.
GraphRect transfer_plot_rect(int width, int height);

// Ten divisions on each axis: the 11 lines from -60 to 0 dB in steps of 6 with their "%d"
// texts, as pixel positions of `geometry` (x for INPUT, y for OUTPUT), and the boxes their
// texts go in: centred below the plot and right-aligned left of it, both clear of any marker
// circle whose centre lies in the plot.
struct TransferGridLine {
    double x = 0;
    double y = 0;
    std::string text;
    GraphRect x_label;
    GraphRect y_label;
};
std::vector<TransferGridLine> transfer_grid_lines(const GraphGeometry& geometry);

// Corner points of the static transfer curve from -60 to 0 dB input, in order; a jump (when
// T + G is above 0 dB) appears as two points at the same input.
std::vector<GraphPoint> transfer_polyline(const TransferParams& p);

}  // namespace kestra
