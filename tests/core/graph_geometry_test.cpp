#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "dsp/dynamics_transfer.h"
#include "dsp/eq_laws.h"
#include "dsp/geq_bars.h"
#include "dsp/graph_geometry.h"
#include "dsp/transfer_graph.h"

namespace kestra {
namespace {

GraphGeometry editor_graph() {
    return GraphGeometry(500, 300, kFrequencyAxis, kEqGainAxis);
}

TEST(GraphGeometry, PlotRectangleKeepsItsMargins) {
    EXPECT_EQ(GraphGeometry::plot_rect(500, 300, true), (GraphRect{25, 15, 475, 270}));
    EXPECT_EQ(GraphGeometry::plot_rect(92, 60, false), (GraphRect{0, 0, 92, 60}));
    EXPECT_EQ(GraphGeometry::plot_rect(-4, 0, true), (GraphRect{0, 0, 0, 0}));
    EXPECT_THROW(GraphGeometry(10, 10, GraphAxis{0, 100, true}, kEqGainAxis),
                 std::invalid_argument);
    EXPECT_THROW(GraphGeometry(10, 10, kFrequencyAxis, GraphAxis{5, 5, false}),
                 std::invalid_argument);
}

TEST(GraphGeometry, AxesMapLogFrequencyAndLinearGainAndClampToTheEdges) {
    const GraphGeometry g = editor_graph();
    EXPECT_DOUBLE_EQ(g.x_of(20), 25);
    EXPECT_DOUBLE_EQ(g.x_of(20000), 475);
    EXPECT_NEAR(g.x_of(std::sqrt(20.0 * 20000.0)), 250, 1e-9);  // geometric middle
    EXPECT_NEAR(g.x_of(200) - g.x_of(20), g.x_of(2000) - g.x_of(200), 1e-9);
    EXPECT_DOUBLE_EQ(g.x_of(19.71), 25);
    EXPECT_DOUBLE_EQ(g.x_of(-1), 25);
    EXPECT_DOUBLE_EQ(g.x_of(1e6), 475);
    EXPECT_DOUBLE_EQ(g.y_of(15), 15);
    EXPECT_DOUBLE_EQ(g.y_of(-15), 270);
    EXPECT_DOUBLE_EQ(g.y_of(0), 142.5);
    EXPECT_DOUBLE_EQ(g.y_of(40), 15);
    EXPECT_DOUBLE_EQ(g.y_of(-40), 270);
    EXPECT_DOUBLE_EQ(g.y_unclamped(-20), 270 + 255.0 / 6);
}

TEST(GraphGeometry, MarkersRoundTripAndClampToTheAxisRanges) {
    const GraphGeometry g = editor_graph();
    for (double f : {20.0, 63.0, 1000.0, 4321.0, 20000.0}) {
        for (double gain : {-15.0, -2.5, 0.0, 7.3, 15.0}) {
            const GraphPoint v = g.marker_value(g.marker_centre(f, gain));
            EXPECT_NEAR(v.x, f, f * 1e-12);
            EXPECT_NEAR(v.y, gain, 1e-12);
        }
    }
    // On the symmetric gain axis the gain is the offset from the plot's middle line.
    const GraphRect& p = g.plot();
    const double cy = 100;
    EXPECT_NEAR(g.marker_value({300, cy}).y,
                ((p.top + p.bottom) / 2 - cy) * 15 / ((p.bottom - p.top) / 2), 1e-12);
    EXPECT_EQ(g.marker_value({-50, -50}), (GraphPoint{20, 15}));
    EXPECT_EQ(g.marker_value({900, 900}), (GraphPoint{20000, -15}));
    EXPECT_TRUE(GraphGeometry::marker_hit({100, 100}, {116, 84}));
    EXPECT_FALSE(GraphGeometry::marker_hit({100, 100}, {117, 100}));
}

TEST(GraphGeometry, GridLinesLabelsAndCurveStayInsideThePlot) {
    const GraphGeometry g = editor_graph();
    const auto vertical = g.frequency_grid_lines();
    ASSERT_EQ(vertical.size(), 28u);
    EXPECT_DOUBLE_EQ(vertical.front().position, 25);
    EXPECT_DOUBLE_EQ(vertical.back().position, 475);
    EXPECT_EQ(std::count_if(vertical.begin(), vertical.end(), [](auto& l) { return l.solid; }), 3);
    EXPECT_DOUBLE_EQ(vertical[8].position, g.x_of(100));
    EXPECT_TRUE(vertical[8].solid);

    const auto horizontal = g.value_grid_lines();
    ASSERT_EQ(horizontal.size(), 9u);
    EXPECT_DOUBLE_EQ(horizontal[0].position, 15 + 25.5);

    const auto labels = g.value_labels();
    ASSERT_EQ(labels.size(), 11u);
    EXPECT_EQ(labels[0].text, "15dB");
    EXPECT_EQ(labels[1].text, "-15");
    EXPECT_EQ(labels[6].text, "0");
    EXPECT_EQ(labels[10].text, "12");
    EXPECT_DOUBLE_EQ(labels[1].box.right, 20);
    EXPECT_DOUBLE_EQ(labels[1].box.bottom - labels[1].box.top, 16);

    const auto x_labels = g.frequency_labels();
    ASSERT_EQ(x_labels.size(), 5u);
    EXPECT_EQ(x_labels[2].text, "1K");
    EXPECT_EQ(x_labels[2].box, (GraphRect{g.x_of(1000) - 15, 272, g.x_of(1000) + 15, 288}));

    GridValues values{};
    values.fill(40);
    const auto line = g.curve_polyline(values);
    EXPECT_EQ(line.size(), kGridPoints - 1);  // 19.71 Hz lies left of the axis
    EXPECT_DOUBLE_EQ(line.front().x, g.x_of(20.31));
    EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](auto& p) { return p.y == 15; }));
}

TEST(GeqBars, EditorBarsTracksAndLabelsSitOnTheirBands) {
    const GraphGeometry g(800, 300, kGeqBandAxis, kEqGainAxis);  // plot 40 ... 760
    GeqGains gains{};
    gains[0] = 6;
    gains[7] = -9;
    const auto bars = geq_bars(g, gains);
    ASSERT_EQ(bars.size(), 15u);
    EXPECT_DOUBLE_EQ(bars[7].x, 400);  // band 8 of 0-16 is the middle
    EXPECT_EQ(bars[0].track, (GraphRect{81, 15, 89, 270}));
    EXPECT_EQ(bars[0].value, (GraphRect{81, g.y_of(6), 89, g.y_of(0)}));
    EXPECT_EQ(bars[7].value, (GraphRect{396, g.y_of(0), 404, g.y_of(-9)}));
    EXPECT_EQ(bars[3].value.top, bars[3].value.bottom);
    ASSERT_EQ(bars[14].labels.size(), 2u);
    EXPECT_EQ(bars[14].labels[0].text, "16k");
    EXPECT_EQ(bars[14].labels[0].box.top, 270);
    EXPECT_GT(bars[14].labels[0].box.bottom, 270);
    EXPECT_LT(bars[14].labels[1].box.top, 15);
    EXPECT_EQ(bars[14].labels[1].box.bottom, 15);
    EXPECT_DOUBLE_EQ(bars[14].labels[1].box.right - bars[14].labels[1].box.left, 24);
}

TEST(GeqBars, StripGraphHasThinBarsDotsAndNoTexts) {
    const GraphGeometry g(96, 60, kGeqBandAxis, kEqGainAxis, false);
    GeqGains gains{};
    gains[4] = 15;
    const auto bars = geq_bars(g, gains);
    EXPECT_DOUBLE_EQ(bars[4].x, 30);
    EXPECT_EQ(bars[4].track, (GraphRect{29, 0, 31, 60}));
    EXPECT_EQ(bars[4].value_mark, (GraphRect{28, -2, 32, 2}));
    EXPECT_TRUE(bars[4].labels.empty());
}

TEST(GeqBars, DrawingReachesBandsWithinFivePixelsAndClampsTheGain) {
    const GraphGeometry g(800, 300, kGeqBandAxis, kEqGainAxis);
    EXPECT_EQ(geq_draw_bands(g, 405), (std::vector<int>{7}));
    EXPECT_EQ(geq_draw_bands(g, 394.5), (std::vector<int>{}));
    EXPECT_EQ(geq_draw_bands(g, 85), (std::vector<int>{0}));
    EXPECT_DOUBLE_EQ(geq_draw_gain(g, 0), 15);
    EXPECT_DOUBLE_EQ(geq_draw_gain(g, 500), -15);
    EXPECT_DOUBLE_EQ(geq_draw_gain(g, 142.5), 0);
    EXPECT_EQ(geq_marker_centre(g, 7, 0), (GraphPoint{400, 142.5}));
    // A band marker dragged past the top stays at +15 dB, stored as 300.
    EXPECT_EQ(gain_code_of_db(g.marker_value({400, 14}).y), 300);
    EXPECT_EQ(gain_code_of_db(g.marker_value({400, -80}).y), 300);
}

TEST(GeqBars, AFastStrokeSetsEveryBandItJumpsOverOnTheLineBetweenItsPoints) {
    const GraphGeometry g(800, 300, kGeqBandAxis, kEqGainAxis);
    const auto at = [&](int band, double gain) {
        return GraphPoint{std::round(g.x_of(band + 1)), g.y_of(gain)};
    };
    // One motion event from band 2 at 0 dB to band 9 at +14 dB: bands 3 ... 9, each once.
    const auto sets = geq_draw_segment(g, at(2, 0), at(9, 14));
    ASSERT_EQ(sets.size(), 7u);
    for (std::size_t i = 0; i < sets.size(); ++i) {
        EXPECT_EQ(sets[i].band, int(i) + 3);
        EXPECT_NEAR(sets[i].gain_db, 2.0 * double(i + 1), 1e-9) << "band " << sets[i].band;
    }
    // Leftwards, in stroke order, and the end's gain limited like a lone point's.
    const auto back = geq_draw_segment(g, at(6, 0), GraphPoint{at(3, 0).x, 0});
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].band, 5);
    EXPECT_EQ(back[2], (GeqDrawSet{3, 15}));
}

TEST(GeqBars, ASlowStrokeSetsOnlyTheBandsNearItsNewPoint) {
    const GraphGeometry g(800, 300, kGeqBandAxis, kEqGainAxis);
    EXPECT_EQ(geq_draw_segment(g, {403, 0}, {405, 500}), (std::vector<GeqDrawSet>{{7, -15}}));
    // Leaving band 7's reach towards band 8 sends nothing until band 8 is within reach.
    EXPECT_TRUE(geq_draw_segment(g, {405, 0}, {420, 0}).empty());
    // A lone point (the press) is the same as a point within reach.
    EXPECT_EQ(geq_draw_segment(g, {85, 142.5}, {85, 142.5}), (std::vector<GeqDrawSet>{{0, 0}}));
    EXPECT_TRUE(geq_draw_segment(g, {394.5, 0}, {394.5, 0}).empty());
}

TEST(GeqBars, GridCurvePassesThroughEachCentreAndHoldsTheEnds) {
    OutputChannel out;
    for (std::size_t b = 0; b < 15; ++b) {
        out.geq_band[b].gain = static_cast<int32_t>(10 * b);  // -15, -14, ... -1 dB
    }
    out.geq_band[8].gain = 300;  // 1 kHz at +15 dB
    const GeqGains gains = geq_gains_db(out);
    EXPECT_DOUBLE_EQ(gains[8], 15);
    const GridValues curve = geq_grid_curve(gains);
    const GridValues& grid = frequency_grid();
    const auto value_at = [&](double f) {
        return curve[static_cast<std::size_t>(std::find(grid.begin(), grid.end(), f) -
                                              grid.begin())];
    };
    EXPECT_DOUBLE_EQ(value_at(1000), 15);
    EXPECT_DOUBLE_EQ(value_at(4000), gains[11]);
    EXPECT_DOUBLE_EQ(value_at(16000), gains[14]);
    EXPECT_DOUBLE_EQ(value_at(20000), gains[14]);
    EXPECT_DOUBLE_EQ(curve.front(), gains[0]);
    // Half way (in octaves) between 1 kHz and 1.6 kHz lies 1.264 kHz: about half way in gain.
    EXPECT_NEAR(value_at(1260), (gains[8] + gains[9]) / 2, 0.5);
    const auto from = std::find(grid.begin(), grid.end(), 1000.0) - grid.begin();
    const auto to = std::find(grid.begin(), grid.end(), 1587.0) - grid.begin();
    EXPECT_TRUE(std::is_sorted(curve.begin() + from, curve.begin() + to + 1, std::greater<>()));
}

TEST(TransferGraph, MarkersSitOnTheTransferCurve) {
    const TransferParams p = transfer_params(40, 40, 0);  // T -20 dB, 1:4, G 0
    const TransferMarkers m = transfer_markers(p);
    EXPECT_EQ(m.threshold, (GraphPoint{-20, -20}));
    EXPECT_EQ(m.ratio, (GraphPoint{0, -15}));
    EXPECT_EQ(m.gain, (GraphPoint{-60, -60}));
    EXPECT_DOUBLE_EQ(dynamics_transfer(m.ratio.x, -20, 4, 0), m.ratio.y);
    EXPECT_EQ(transfer_markers(transfer_params(30, 10, 55)).gain, (GraphPoint{-60, -54.5}));
}

TEST(TransferGraph, DraggedMarkersGiveStoredValuesWithinTheSliderRanges) {
    EXPECT_EQ(threshold_code_of_marker(-20), 40);
    EXPECT_EQ(threshold_code_of_marker(-20.7), 39);
    EXPECT_EQ(threshold_code_of_marker(5), 60);
    EXPECT_EQ(threshold_code_of_marker(-75), 0);
    EXPECT_EQ(gain_code_of_marker(-54.5), 55);
    EXPECT_EQ(gain_code_of_marker(-70), 0);
    EXPECT_EQ(gain_code_of_marker(0), 200);

    for (int code : {10, 25, 40, 73, 100}) {
        const TransferParams p = transfer_params(30, code, 0);
        EXPECT_EQ(ratio_code_of_marker(transfer_markers(p).ratio, p.threshold_db), code);
    }
    EXPECT_DOUBLE_EQ(ratio_of_marker({0, -20}, -20), 10);  // level with the threshold
    EXPECT_DOUBLE_EQ(ratio_of_marker({-10, 0}, -20), 1);   // steeper than 1:1
    EXPECT_DOUBLE_EQ(ratio_of_marker({-30, 0}, -20), 10);  // left of the threshold
    EXPECT_DOUBLE_EQ(ratio_of_marker({0, -19}, -20), 10);  // flatter than 1:10
    EXPECT_DOUBLE_EQ(ratio_of_marker({-20, -5}, -20), 1);  // vertical
    EXPECT_EQ(ratio_code_of_marker({0, -19}, -20), 100);
}

TEST(TransferGraph, GridHasElevenLabelledLinesOnBothAxes) {
    const GraphGeometry g(400, 400, kTransferAxis, kTransferAxis);  // plot 20 ... 380, 20 ... 360
    const auto lines = transfer_grid_lines(g);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines.front().text, "-60");
    EXPECT_EQ(lines[5].text, "-30");
    EXPECT_EQ(lines.back().text, "0");
    EXPECT_DOUBLE_EQ(lines.front().x, 20);
    EXPECT_DOUBLE_EQ(lines.front().y, 360);
    EXPECT_DOUBLE_EQ(lines.back().x, 380);
    EXPECT_DOUBLE_EQ(lines.back().y, 20);
    EXPECT_DOUBLE_EQ(lines[1].x - lines[0].x, 36);
}

TEST(TransferGraph, AxisTextsLieInsideTheGraphAndClearOfAMarkerAnywhereOnThePlotsEdge) {
    for (const int side : {300, 430, 600}) {
        const GraphGeometry g(transfer_plot_rect(side, side), kTransferAxis, kTransferAxis);
        const GraphRect& plot = g.plot();
        std::vector<GraphPoint> edge;
        for (int k = 0; k <= 60; ++k) {
            const double fx = plot.left + (plot.right - plot.left) * k / 60;
            const double fy = plot.top + (plot.bottom - plot.top) * k / 60;
            edge.insert(edge.end(),
                        {{fx, plot.top}, {fx, plot.bottom}, {plot.left, fy}, {plot.right, fy}});
        }
        // The circle's radius plus half its 1.5-pixel outline.
        const double reach = GraphGeometry::kMarkerRadius + 0.75;
        for (const TransferGridLine& line : transfer_grid_lines(g)) {
            for (const GraphRect& box : {line.x_label, line.y_label}) {
                EXPECT_GE(box.left, 0);
                EXPECT_LE(box.bottom, side);
                EXPECT_GE(box.right - box.left, 22);  // room for "-60"
                for (const GraphPoint& c : edge) {
                    const double dx = std::max({box.left - c.x, 0.0, c.x - box.right});
                    const double dy = std::max({box.top - c.y, 0.0, c.y - box.bottom});
                    ASSERT_GT(std::hypot(dx, dy), reach)
                        << side << " " << line.text << " marker at " << c.x << "," << c.y;
                }
            }
        }
    }
}

TEST(TransferGraph, PolylineFollowsTheStaticCurveAndItsJump) {
    EXPECT_EQ(transfer_polyline(TransferParams{-20, 4, 0}),
              (std::vector<GraphPoint>{{-60, -60}, {-20, -20}, {0, -15}}));
    EXPECT_EQ(transfer_polyline(TransferParams{-10, 2, 15}),
              (std::vector<GraphPoint>{{-60, -45}, {-10, 5}, {-10, 0}, {0, 0}}));
    EXPECT_EQ(transfer_polyline(TransferParams{-30, 2, 20}),
              (std::vector<GraphPoint>{{-60, -40}, {-30, -10}, {-10, 0}, {0, 0}}));
    EXPECT_EQ(transfer_polyline(TransferParams{0, 1, 0}),
              (std::vector<GraphPoint>{{-60, -60}, {0, 0}}));
}

}  // namespace
}  // namespace kestra
