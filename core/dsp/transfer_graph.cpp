#include "dsp/transfer_graph.h"

#include <algorithm>
#include <cmath>

#include "dsp/dynamics_transfer.h"
#include "params/level_law.h"
#include "params/tenths_law.h"

namespace kestra {

TransferParams transfer_params(int threshold_code, int ratio_code, int gain_code) {
    return TransferParams{LevelLaw::db(static_cast<double>(threshold_code)),
                          TenthsLaw::value(ratio_code), TenthsLaw::value(gain_code)};
}

TransferMarkers transfer_markers(const TransferParams& p) {
    const double t = p.threshold_db;
    const double r = p.ratio > 0 ? p.ratio : 1;
    return TransferMarkers{
        {t, t}, {0, t * (1 - 1 / r)}, {kTransferAxis.min, kTransferAxis.min + p.gain_db}};
}

int threshold_code_of_marker(double x) {
    return LevelLaw::stored_of_marker(x, LevelLaw::kMaxThreshold);
}

double ratio_of_marker(GraphPoint marker, double threshold_db) {
    const double rise = marker.y - threshold_db;
    if (rise == 0) {
        return 10;
    }
    const double r = (marker.x - threshold_db) / rise;
    if (r < 0 || r > 10 || std::isnan(r)) {
        return 10;
    }
    // A vertical line (R = 0) would expand without bound; the slider's 1:1 is the nearest.
    return std::max(r, 1.0);
}

int ratio_code_of_marker(GraphPoint marker, double threshold_db) {
    return TenthsLaw::kRatio.stored_of_marker(ratio_of_marker(marker, threshold_db));
}

int gain_code_of_marker(double y) {
    // The gain marker sits at the left edge, G above the edge's -60 dB.
    return TenthsLaw::kMakeUpGain.stored_of_marker(y - kTransferAxis.min);
}

namespace {

// Room for "-60" in the axis font, and the gap kept between a text and a marker's circle.
constexpr double kLabelWidth = 22;
constexpr double kLabelHeight = 16;
constexpr double kLabelHalfWidth = 15;
constexpr double kMarkerClearance = GraphGeometry::kMarkerRadius + 2;

}  // namespace

GraphRect transfer_plot_rect(int width, int height) {
    GraphRect plot = GraphGeometry::plot_rect(width, height, true);
    plot.left = std::max(plot.left, kLabelWidth + kMarkerClearance);
    const double below = std::max(height - plot.bottom, kLabelHeight + kMarkerClearance);
    plot.bottom = std::max(plot.top, height - below);
    return plot;
}

std::vector<TransferGridLine> transfer_grid_lines(const GraphGeometry& geometry) {
    const GraphRect& plot = geometry.plot();
    const double label_right = plot.left - kMarkerClearance;
    const double label_top = plot.bottom + kMarkerClearance;
    std::vector<TransferGridLine> lines;
    for (int db = -60; db <= 0; db += 6) {
        const double x = geometry.x_of(db);
        const double y = geometry.y_of(db);
        lines.push_back(TransferGridLine{x, y, std::to_string(db),
                                         GraphRect{x - kLabelHalfWidth, label_top,
                                                   x + kLabelHalfWidth, label_top + kLabelHeight},
                                         GraphRect{label_right - kLabelWidth, y - kLabelHeight / 2,
                                                   label_right, y + kLabelHeight / 2}});
    }
    return lines;
}

std::vector<GraphPoint> transfer_polyline(const TransferParams& p) {
    const double t = std::clamp(p.threshold_db, -60.0, 0.0);
    const double r = p.ratio > 0 ? p.ratio : 1;
    const double g = p.gain_db;
    const auto at = [&](double x) { return GraphPoint{x, dynamics_transfer(x, t, r, g)}; };
    std::vector<GraphPoint> points{at(-60.0), at(t)};
    if (t + g > 0) {
        points.push_back(GraphPoint{t, 0});
    } else {
        // Where the compressed line reaches 0 dB the output stays there.
        const double b = t + g - t / r;
        const double knee = -b * r;
        if (knee > t && knee < 0) {
            points.push_back(at(knee));
        }
    }
    points.push_back(at(0.0));
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

}  // namespace kestra
