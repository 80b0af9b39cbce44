#pragma once

#include <array>
#include <vector>

#include "dsp/frequency_grid.h"
#include "dsp/graph_geometry.h"
#include "model/device_state.h"

namespace kestra {

// The graphic EQ as the editor and the output strip show it: 15 bands at fixed centres on a
// linear x axis 0-16 (band n at x = n), gains on the -15 ... +15 dB axis.
inline constexpr int kGeqShownBands = 15;
inline constexpr GraphAxis kGeqBandAxis{0, 16, false};
using GeqGains = std::array<double, kGeqShownBands>;

// "25", "40", "63", "100", ... "16k", and the centre frequency each names, in Hz.
const std::array<const char*, kGeqShownBands>& geq_band_labels();
const std::array<double, kGeqShownBands>& geq_band_centres();

// Gains in dB of the first 15 stored bands.
GeqGains geq_gains_db(const OutputChannel& output);

// One band as drawn. With margins: an 8-pixel track over the whole gain range, an 8-pixel
// value bar from 0 dB to the gain and the band's label in a 24-pixel box below the plot
// (-15 ... -20 dB) and above it (+15 ... +16 dB). Without margins (the strip's small graph):
// 2-pixel bars, the value marked by a 4-pixel ellipse, no labels.
struct GeqBar {
    double x = 0;
    GraphRect track;
    GraphRect value;
    GraphRect value_mark;  // the ellipse's box; empty (zero size) with margins
    std::vector<AxisLabel> labels;
};
std::vector<GeqBar> geq_bars(const GraphGeometry& geometry, const GeqGains& gains);

// The draggable marker of band b (0-14).
GraphPoint geq_marker_centre(const GraphGeometry& geometry, int band, double gain_db);

// Free-hand drawing at pixel (x, y): the bands whose marker x, rounded, lies within 5 pixels
// of x, and the gain they take, limited to -15 ... +15 dB.
std::vector<int> geq_draw_bands(const GraphGeometry& geometry, double x);
double geq_draw_gain(const GraphGeometry& geometry, double y);

// One step of a stroke, from the previous pointer position to this one. The bands within reach
// of `to` take its gain, as a lone point would; a band whose marker lies between the two points
// takes the gain on the straight line between them at its x, because a fast pointer jumps over
// bands between two motion events. Bands only within reach of `from` were set by that point
// and are left alone. In stroke order; `from` equal to `to` is a lone point.
struct GeqDrawSet {
    int band = 0;
    double gain_db = 0;
    bool operator==(const GeqDrawSet&) const = default;
};
std::vector<GeqDrawSet> geq_draw_segment(const GraphGeometry& geometry, GraphPoint from,
                                         GraphPoint to);

// The 15 gains over the 241-point grid: each band's gain at its centre, straight lines in
// log frequency between neighbouring centres, the end gains held below 25 Hz and above 16 kHz.
GridValues geq_grid_curve(const GeqGains& gains);

}  // namespace kestra
