#include "dsp/transfer_graph.h"

#include <algorithm>
#include <cmath>

#include "dsp/dynamics_transfer.h"

namespace kestra {

namespace {

// The ratio marker is a float position; a nudge keeps a ratio such as 4.0 computed as
// 3.9999999 on its own step.
constexpr double kStepNudge = 1e-9;

int truncate_step(double v) {
    return static_cast<int>(std::trunc(v + kStepNudge));
}

}  // namespace

TransferParams transfer_params(int threshold_code, int ratio_code, int gain_code) {
    return TransferParams{threshold_code - 60.0, ratio_code * 0.1, gain_code * 0.1};
}

TransferMarkers transfer_markers(const TransferParams& p) {
    const double t = p.threshold_db;
    const double r = p.ratio > 0 ? p.ratio : 1;
    return TransferMarkers{{t, t}, {0, t * (1 - 1 / r)}, {-60, p.gain_db - 60}};
}

int threshold_code_of_marker(double x) {
    return std::clamp(truncate_step(x + 60), 0, 60);
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
    return std::clamp(truncate_step(ratio_of_marker(marker, threshold_db) * 10), 10, 100);
}

int gain_code_of_marker(double y) {
    return std::clamp(truncate_step((y + 60) * 10), 0, 200);
}

std::vector<TransferGridLine> transfer_grid_lines(const GraphGeometry& geometry) {
    std::vector<TransferGridLine> lines;
    for (int db = -60; db <= 0; db += 6) {
        lines.push_back(TransferGridLine{geometry.x_of(db), geometry.y_of(db), std::to_string(db)});
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
