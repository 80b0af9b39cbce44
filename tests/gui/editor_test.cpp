#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QWidget>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "controls/drop_list_button.h"
#include "controls/level_meter.h"
#include "controls/value_label.h"
#include "editors/dynamics_editor.h"
#include "editors/geq_editor.h"
#include "editors/peq_editor.h"
#include "editors/response_graph.h"
#include "operator/operator_actions.h"
#include "session/level_feed.h"
#include "skin/skin_font.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"
#include "synthetic_input.h"

namespace kestra {
namespace {

using RecordingSink = testing::RecordingFrames;
using Quiet = testing::RecordingNotices;

// The editors over a bare state with a recording sink; no store behind their presets.
class EditorTest : public ::testing::Test {
protected:
    EditorTest()
        : surface(state, changes, sink, notices, answers, clock,
                  CommandContext{&codec, nullptr, {}, 1}) {
        canvas.resize(1600, 1000);
        canvas.show();
        state.system.connected = 1;
    }
    static PresetActions* no_store() { return nullptr; }

    DeviceState state;
    Publisher<StateChange> changes;
    RecordingSink sink;
    Quiet notices;
    AlwaysOk answers;
    ManualClock clock;
    NameCodec codec;
    OperatorActions surface;
    QWidget canvas;
};

TEST_F(EditorTest, AStrokeSetsTheBandsItPassesAndCopiesToTheLinkedOutputAtItsEnd) {
    GroupActions& page = surface.groups;
    page.set_mode(GroupActions::Mode::Control);
    page.select_control_group(0);
    ASSERT_EQ(page.toggle_control_output(0), GroupActions::Membership::Changed);
    ASSERT_EQ(page.toggle_control_output(1), GroupActions::Membership::Changed);
    ASSERT_TRUE(page.toggle_link(kLinkEq));
    page.set_control_active(0, true);

    GeqEditor editor(surface, notices, &no_store, &canvas);
    editor.setGeometry(0, 200, 1216, 700);
    editor.show_channel(0);
    ResponseGraph* graph = editor.graph();
    const auto markers = graph->marker_pixels();
    const double y = graph->geometry_now().y_of(6.0);  // +6 dB
    sink.clear();
    synthetic::press(graph, {static_cast<int>(markers[3].x) - 4, static_cast<int>(y)});
    for (int x = static_cast<int>(markers[3].x); x <= static_cast<int>(markers[9].x) + 4; x += 4) {
        synthetic::move(graph, {x, static_cast<int>(y)});
    }
    EXPECT_EQ(state.outputs[0].geq_band[3].gain, 210);
    EXPECT_EQ(state.outputs[0].geq_band[9].gain, 210);
    EXPECT_EQ(state.outputs[0].geq_band[2].gain, 150);  // not passed
    EXPECT_EQ(state.outputs[0].geq_band[10].gain, 150);
    EXPECT_EQ(state.outputs[1].geq_band[5].gain, 150);  // nothing copied during the stroke
    ASSERT_FALSE(sink.frames.empty());
    EXPECT_EQ(sink.frames.front().substr(0, 9), "%H,01,01,");

    synthetic::release(graph, {static_cast<int>(markers[9].x) + 4, static_cast<int>(y)});
    for (int b = 3; b <= 9; ++b) {
        EXPECT_EQ(state.outputs[1].geq_band[static_cast<size_t>(b)].gain, 210) << "band " << b;
    }
    EXPECT_EQ(state.outputs[1].geq_band[2].gain, 150);
    EXPECT_EQ(sink.frames.back().substr(0, 9), "%H,01,02,");  // the copy's command
}

TEST_F(EditorTest, EveryGraphicEqMarkerCaptionFitsInsideItsCircle) {
    GeqEditor editor(surface, notices, &EditorTest::no_store, &canvas);
    editor.resize(1200, 520);
    editor.show_channel(0);
    ResponseGraph* graph = editor.graph();
    const QFontMetricsF metrics(ResponseGraph::marker_font(graph->font()));
    ASSERT_EQ(graph->marker_pixels().size(), 15u);
    for (int k = 0; k < 15; ++k) {
        const QString caption = graph->marker_caption(k);
        EXPECT_EQ(caption, QString::number(k + 1));
        // The ink of the caption, centred, within the circle's inside edge.
        const QRectF ink = metrics.tightBoundingRect(caption);
        const double inside = graph->marker_radius(k) - 0.75;
        EXPECT_LE(std::hypot(ink.width() / 2, ink.height() / 2), inside) << k + 1;
    }
}

TEST_F(EditorTest, AStrokeInOneFastMotionSetsEveryBandBetweenItsPoints) {
    GeqEditor editor(surface, notices, &no_store, &canvas);
    editor.setGeometry(0, 200, 1216, 700);
    editor.show_channel(0);
    ResponseGraph* graph = editor.graph();
    const auto markers = graph->marker_pixels();
    const int y = static_cast<int>(graph->geometry_now().y_of(6.0));
    synthetic::press(graph, {static_cast<int>(markers[2].x), y});
    synthetic::move(graph, {static_cast<int>(markers[12].x), y});
    synthetic::release(graph, {static_cast<int>(markers[12].x), y});
    for (int b = 2; b <= 12; ++b) {
        EXPECT_EQ(state.outputs[0].geq_band[static_cast<size_t>(b)].gain, 210) << "band " << b;
    }
    EXPECT_EQ(state.outputs[0].geq_band[1].gain, 150);
    EXPECT_EQ(state.outputs[0].geq_band[13].gain, 150);

    // The next stroke starts afresh: its press alone sets nothing between it and the last one.
    synthetic::press(graph, {static_cast<int>(markers[0].x), y});
    synthetic::release(graph, {static_cast<int>(markers[0].x), y});
    EXPECT_EQ(state.outputs[0].geq_band[0].gain, 210);
    EXPECT_EQ(state.outputs[0].geq_band[1].gain, 150);
}

TEST_F(EditorTest, PeqColumnsHaveHeadingsAndEveryValueSitsLevelWithItsSlider) {
    PeqEditor editor(surface, notices, &no_store, &canvas);
    editor.setGeometry(0, 200, 1216, 700);
    editor.show_channel(0);
    const auto find = [&](const QString& name) {
        QWidget* w = editor.findChild<QWidget*>(QStringLiteral("editor.peq.") + name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    };
    for (const QString row : {"band1", "band4", "hpf", "lpf"}) {
        const QString freq = row + QStringLiteral(".freq");
        QWidget* slider = find(freq);
        QWidget* value = find(freq + QStringLiteral(".value"));
        ASSERT_TRUE(slider && value);
        EXPECT_NEAR(value->geometry().center().y(), slider->geometry().center().y(), 1)
            << row.toStdString();
        // The label draws at the top of its box: a taller box lifts the text off the track.
        EXPECT_LE(value->height(), QFontMetrics(skin::SkinFont::points(9)).height())
            << row.toStdString();
    }
    const QRect graph = editor.graph()->geometry();
    for (const QString column : {"gain", "freq", "q"}) {
        auto* heading = qobject_cast<ValueLabel*>(find(QStringLiteral("heading.") + column));
        QWidget* slider = find(QStringLiteral("band1.") + column);
        ASSERT_TRUE(heading && slider);
        EXPECT_EQ(heading->text(), column.toUpper());
        EXPECT_TRUE(heading->isVisible());
        EXPECT_EQ(heading->geometry().left(), slider->geometry().left());
        EXPECT_LE(heading->geometry().bottom(), slider->geometry().top()) << "above its column";
        EXPECT_FALSE(heading->geometry().intersects(graph));
    }
}

TEST_F(EditorTest, AProcessorSlopeTheListLacksSelectsNoItemButIsDrawn) {
    state.inputs[0].hpf_on = 1;
    state.inputs[0].hpf_freq = 200;
    state.inputs[0].hpf_slope = 7;  // -48 dB/oct, only the processor sets it
    PeqEditor editor(surface, notices, &no_store, &canvas);
    editor.setGeometry(0, 200, 1216, 700);
    editor.show_channel(0);
    auto* slope = editor.findChild<DropListButton*>(QStringLiteral("editor.peq.hpf.slope"));
    ASSERT_NE(slope, nullptr);
    EXPECT_EQ(slope->current_index(), -1);
    EXPECT_TRUE(slope->text().isEmpty());
    const std::vector<double> curve = editor.graph()->shown_values();
    ASSERT_EQ(curve.size(), 241u);
    const double steep = curve[50];  // 51.1 Hz, two octaves below the 200 Hz corner
    EXPECT_LT(steep, -40.0);
    EXPECT_GT(curve[200], -0.5);  // 4 kHz, well above the corner

    state.inputs[0].hpf_slope = 3;
    surface.context().changes().publish(
        {StateChange::Scope::Input, 0, StateChange::Block::Filters, ChangeOrigin::ProcessorReport});
    EXPECT_EQ(slope->current_index(), 1);
    EXPECT_EQ(slope->text(), QStringLiteral("-18dB/Oct"));
    // The list's own slope falls less steeply than the processor's seventh.
    EXPECT_LT(steep, editor.graph()->shown_values()[50] - 10.0);
}

TEST_F(EditorTest, APeqMarkerDraggedStraightUpKeepsItsFrequencyExactly) {
    state.inputs[0].peq_band[2].freq = 1250;
    state.inputs[0].peq_band[2].gain = 150;
    PeqEditor editor(surface, notices, &no_store, &canvas);
    editor.setGeometry(0, 200, 1216, 700);
    editor.show_channel(0);
    ResponseGraph* graph = editor.graph();
    const GraphPoint centre = graph->marker_pixels()[2];
    // The mouse lands on a whole pixel beside the marker's centre, as a hand does.
    const QPoint grab(static_cast<int>(std::floor(centre.x)) + 1, static_cast<int>(centre.y));
    synthetic::press(graph, grab);
    for (int dy = 5; dy <= 60; dy += 5) {
        synthetic::move(graph, grab - QPoint(0, dy));
    }
    EXPECT_EQ(state.inputs[0].peq_band[2].freq, 1250);
    synthetic::release(graph, grab - QPoint(0, 60));
    EXPECT_EQ(state.inputs[0].peq_band[2].freq, 1250);
    EXPECT_GT(state.inputs[0].peq_band[2].gain, 160);
}

TEST_F(EditorTest, TheGainReductionBarIsEmptyAtRestAndSilentWhenTheFeedIs) {
    Publisher<LevelView> levels;
    LevelFeed feed;
    DynamicsEditor editor(DynamicsEditor::Kind::Compressor, surface, notices, &no_store, &canvas);
    editor.follow(levels, feed.view());
    editor.setGeometry(0, 200, 1216, 700);
    state.inputs[0].comp_threshold = 40;  // -20 dB
    state.inputs[0].comp_ratio = 40;      // 1:4
    state.inputs[0].comp_gain = 0;
    editor.show_channel(0);
    auto* meter = editor.findChild<LevelMeter*>(QStringLiteral("editor.comp.meter"));
    ASSERT_NE(meter, nullptr);
    state.inputs[0].level = 20;  // well below the threshold: nothing reduced
    levels.publish(feed.on_level_report(state));
    EXPECT_EQ(meter->value(1), 20);
    EXPECT_EQ(meter->value(3), 0);
    state.inputs[0].level = 60;  // 0 dB in: 15 dB off
    levels.publish(feed.on_level_report(state));
    EXPECT_EQ(meter->value(2), 45);
    EXPECT_EQ(meter->value(3), 15);
    levels.publish(feed.silence());  // the reports stopped
    EXPECT_EQ(meter->value(1), 0);
    EXPECT_EQ(meter->value(2), 0);
    EXPECT_EQ(meter->value(3), 0);
}

}  // namespace
}  // namespace kestra
