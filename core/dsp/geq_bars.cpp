#include "dsp/geq_bars.h"

#include <algorithm>
#include <cmath>

#include "dsp/eq_laws.h"

namespace kestra {

namespace {

constexpr std::array<const char*, kGeqShownBands> kLabels{"25",  "40",  "63",  "100", "160",
                                                          "250", "400", "630", "1k",  "1k6",
                                                          "2k5", "4k",  "6k3", "10k", "16k"};
constexpr std::array<double, kGeqShownBands> kCentres{
    25, 40, 63, 100, 160, 250, 400, 630, 1000, 1600, 2500, 4000, 6300, 10000, 16000};

constexpr double kDrawReach = 5;
constexpr double kLabelWidth = 24;

GraphRect bar_rect(double x, double half_width, double y1, double y2) {
    return GraphRect{x - half_width, std::min(y1, y2), x + half_width, std::max(y1, y2)};
}

std::vector<AxisLabel> band_labels(const GraphGeometry& g, double x, const char* text) {
    const double left = x - kLabelWidth / 2;
    const double right = x + kLabelWidth / 2;
    return {AxisLabel{text, GraphRect{left, g.y_unclamped(-15), right, g.y_unclamped(-20)}},
            AxisLabel{text, GraphRect{left, g.y_unclamped(16), right, g.y_unclamped(15)}}};
}

}  // namespace

const std::array<const char*, kGeqShownBands>& geq_band_labels() {
    return kLabels;
}
const std::array<double, kGeqShownBands>& geq_band_centres() {
    return kCentres;
}

GeqGains geq_gains_db(const OutputChannel& output) {
    GeqGains gains{};
    for (std::size_t b = 0; b < gains.size(); ++b) {
        gains[b] = gain_db_of_code(output.geq_band[b].gain);
    }
    return gains;
}

std::vector<GeqBar> geq_bars(const GraphGeometry& geometry, const GeqGains& gains) {
    const bool full = geometry.with_margins();
    const double half = full ? 4 : 1;
    std::vector<GeqBar> bars;
    for (std::size_t b = 0; b < gains.size(); ++b) {
        GeqBar bar;
        bar.x = geometry.x_of(double(b + 1));
        const double y_gain = geometry.y_of(gains[b]);
        bar.track = bar_rect(bar.x, half, geometry.y_of(15), geometry.y_of(-15));
        bar.value = bar_rect(bar.x, half, geometry.y_of(0), y_gain);
        if (full) {
            bar.value_mark = GraphRect{bar.x, y_gain, bar.x, y_gain};
            bar.labels = band_labels(geometry, bar.x, kLabels[b]);
        } else {
            bar.value_mark = GraphRect{bar.x - 2, y_gain - 2, bar.x + 2, y_gain + 2};
        }
        bars.push_back(std::move(bar));
    }
    return bars;
}

GraphPoint geq_marker_centre(const GraphGeometry& geometry, int band, double gain_db) {
    return geometry.marker_centre(band + 1, gain_db);
}

std::vector<int> geq_draw_bands(const GraphGeometry& geometry, double x) {
    std::vector<int> bands;
    for (int b = 0; b < kGeqShownBands; ++b) {
        if (std::abs(std::round(geometry.x_of(b + 1)) - x) <= kDrawReach) {
            bands.push_back(b);
        }
    }
    return bands;
}

double geq_draw_gain(const GraphGeometry& geometry, double y) {
    return std::clamp(geometry.value_of_y(y), -15.0, 15.0);
}

std::vector<GeqDrawSet> geq_draw_segment(const GraphGeometry& geometry, GraphPoint from,
                                         GraphPoint to) {
    const double lo = std::min(from.x, to.x);
    const double hi = std::max(from.x, to.x);
    std::vector<GeqDrawSet> sets;
    for (int i = 0; i < kGeqShownBands; ++i) {
        const int b = to.x < from.x ? kGeqShownBands - 1 - i : i;
        const double x = std::round(geometry.x_of(b + 1));
        if (std::abs(x - to.x) <= kDrawReach) {
            sets.push_back({b, geq_draw_gain(geometry, to.y)});
        } else if (x >= lo && x <= hi && std::abs(x - from.x) > kDrawReach) {
            // from.x != to.x here: a marker between equal ends would lie within reach of both
            const double t = (x - from.x) / (to.x - from.x);
            sets.push_back({b, geq_draw_gain(geometry, from.y + t * (to.y - from.y))});
        }
    }
    return sets;
}

GridValues geq_grid_curve(const GeqGains& gains) {
    const GridValues& grid = frequency_grid();
    GridValues out{};
    for (std::size_t i = 0; i < kGridPoints; ++i) {
        const double f = grid[i];
        const auto upper = std::lower_bound(kCentres.begin(), kCentres.end(), f);
        if (upper == kCentres.begin()) {
            out[i] = gains.front();
        } else if (upper == kCentres.end()) {
            out[i] = gains.back();
        } else {
            const auto hi = static_cast<std::size_t>(upper - kCentres.begin());
            const double t =
                std::log(f / kCentres[hi - 1]) / std::log(kCentres[hi] / kCentres[hi - 1]);
            out[i] = gains[hi - 1] + t * (gains[hi] - gains[hi - 1]);
        }
    }
    return out;
}

}  // namespace kestra
