#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "controls/bitmap_fader.h"
#include "controls/level_meter.h"
#include "controls/png_button.h"
#include "operator/operator_actions.h"
#include "session/level_feed.h"
#include "strips/channel_side.h"
#include "strips/input_strip.h"
#include "strips/output_strip.h"
#include "strips/strip_bank.h"
#include "support/blank_glyphs.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"
#include "synthetic_input.h"

namespace kestra {
namespace {

using RecordingSink = testing::RecordingFrames;
using QuietNotices = testing::RecordingNotices;
using BlankGlyphs = testing::BlankGlyphs;

// The strips over a bare state with a recording sink, bank 1 on screen.
class StripBankTest : public ::testing::Test {
protected:
    StripBankTest()
        : surface(state, changes, sink, notices, answers, clock,
                  CommandContext{&codec, &glyphs, {}, 1}) {
        canvas.resize(1600, 1000);
        strips = std::make_unique<StripBank>(surface, notices, &canvas);
        canvas.show();
        show_bank(1);
        state.system.connected = 1;
    }
    void show_bank(int bank) {
        strips->hide_all();
        const auto shown = strips->bank(bank);
        for (size_t k = 0; k < shown.size(); ++k) {
            shown[k]->setGeometry(static_cast<int>(k) * 152, 200, 152, 700);
            shown[k]->show_channel(shown[k]->channel());
        }
    }
    // Drags the fader's thumb to the far end of its track, as an operator's mouse would.
    static void drag_to_bottom(BitmapFader* fader) {
        const QPoint thumb = fader->thumb_rect().center();
        synthetic::press(fader, thumb);
        for (int y = thumb.y(); y <= fader->height(); y += 20) {
            synthetic::move(fader, {thumb.x(), y});
        }
        synthetic::release(fader, {thumb.x(), fader->height()});
    }

    DeviceState state;
    Publisher<StateChange> changes;
    RecordingSink sink;
    QuietNotices notices;
    AlwaysOk answers;
    ManualClock clock;
    NameCodec codec;
    BlankGlyphs glyphs;
    OperatorActions surface;
    QWidget canvas;
    std::unique_ptr<StripBank> strips;
};

TEST_F(StripBankTest, AnActiveGroupMovesItsMembersFadersAndTheirFramesFollowInStoredOrder) {
    GroupActions& page = surface.groups;
    page.set_mode(GroupActions::Mode::Control);
    page.select_control_group(0);
    ASSERT_EQ(page.toggle_control_input(6), GroupActions::Membership::Changed);
    ASSERT_EQ(page.toggle_control_input(2), GroupActions::Membership::Changed);
    ASSERT_EQ(page.toggle_control_input(4), GroupActions::Membership::Changed);
    ASSERT_TRUE(page.toggle_link(kLinkVol));
    page.set_control_active(0, true);
    sink.clear();

    // Members wear their group's frame colour while it is active.
    EXPECT_EQ(strips->input(2)->frame_colour(), QColor(173, 67, 67));
    EXPECT_EQ(strips->input(3)->frame_colour(), QColor(128, 128, 128));

    drag_to_bottom(strips->input(2)->fader());
    EXPECT_EQ(strips->input(2)->fader()->position(), 70);
    EXPECT_EQ(strips->input(6)->fader()->position(), 70);  // members follow on screen
    EXPECT_EQ(strips->input(4)->fader()->position(), 70);
    EXPECT_EQ(strips->input(3)->fader()->position(), 0);  // a non-member stays
    EXPECT_EQ(state.inputs[6].volume, 0);
    // Every step goes out for the dragged channel first, then its members in the stored
    // order, which is the channel order whatever order they joined in.
    ASSERT_GE(sink.frames.size(), 3u);
    const std::vector<std::string> last(sink.frames.end() - 3, sink.frames.end());
    EXPECT_EQ(last[0].substr(0, 15), "%A,01,03,00,00,");
    EXPECT_EQ(last[1].substr(0, 15), "%A,01,05,00,00,");
    EXPECT_EQ(last[2].substr(0, 15), "%A,01,07,00,00,");
    page.set_control_active(0, false);
    EXPECT_EQ(strips->input(2)->frame_colour(), QColor(128, 128, 128));
}

// Tab goes strip by strip, and within a strip from its top control to its bottom one, as the
// operator reads the bank; a control out of place sends the focus somewhere the eye is not.
TEST_F(StripBankTest, TabWalksTheShownStripsOneByOneFromTopToBottom) {
    const auto shown = strips->bank(1);
    auto strip_of = [&shown](QWidget* w) -> int {
        for (size_t k = 0; k < shown.size(); ++k) {
            if (shown[k]->isAncestorOf(w)) {
                return static_cast<int>(k);
            }
        }
        return -1;
    };
    std::vector<std::pair<int, QPoint>> walk;  // strip, place in the strip
    QWidget* w = &canvas;
    for (int step = 0; step < 4000; ++step) {
        w = w->nextInFocusChain();
        if (w == &canvas) {
            break;
        }
        const int k = strip_of(w);
        if (k >= 0 && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            walk.emplace_back(k, w->mapTo(shown[static_cast<size_t>(k)], QPoint(0, 0)));
        }
    }
    ASSERT_GT(walk.size(), shown.size());
    for (size_t i = 1; i < walk.size(); ++i) {
        const auto& [k0, at0] = walk[i - 1];
        const auto& [k1, at1] = walk[i];
        EXPECT_TRUE(k1 > k0 ||
                    (k1 == k0 && (at1.y() > at0.y() || (at1.y() == at0.y() && at1.x() > at0.x()))))
            << "strip " << k0 << " (" << at0.x() << "," << at0.y() << ") before strip " << k1
            << " (" << at1.x() << "," << at1.y() << ")";
    }
    EXPECT_EQ(walk.front().first, 0);
    EXPECT_EQ(walk.back().first, static_cast<int>(shown.size()) - 1);
}

TEST_F(StripBankTest, FaderReportsMoveEveryShownFaderButTheHeldOne) {
    BitmapFader* held = strips->input(2)->fader();
    synthetic::press(held, held->thumb_rect().center());
    ASSERT_TRUE(held->dragging());
    for (InputChannel& in : state.inputs) {
        in.volume = 40;
    }
    surface.context().changes().publish({StateChange::Scope::Everything, StateChange::kEvery,
                                         StateChange::Block::Strip, ChangeOrigin::ProcessorReport});
    EXPECT_EQ(held->position(), 0);
    EXPECT_EQ(strips->input(1)->fader()->position(), 30);
    // Never shown yet: it stands at the bottom until its first show loads it.
    EXPECT_EQ(strips->input(12)->fader()->position(), 70);
    synthetic::release(held, held->thumb_rect().center());
    EXPECT_EQ(state.inputs[2].volume, 70);  // the release keeps the operator's value
    show_bank(2);
    EXPECT_EQ(strips->input(12)->fader()->position(), 30);
}

TEST_F(StripBankTest, LevelReportsFeedTheShownMetersAndTheAutoMixerState) {
    LevelView view;
    view.input_meter[0] = 45;
    view.input_meter[9] = 60;
    view.active[0] = 1;
    strips->show_levels(view);
    const auto* meter = strips->input(0)->findChild<LevelMeter*>(QStringLiteral("strip.in1.meter"));
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->value(0), 45);
    const auto* active =
        strips->input(0)->findChild<PngButton*>(QStringLiteral("strip.in1.active"));
    ASSERT_NE(active, nullptr);
    EXPECT_TRUE(active->lit());
    EXPECT_EQ(active->text(), QStringLiteral("ACTIVE"));
    const auto* hidden =
        strips->input(9)->findChild<LevelMeter*>(QStringLiteral("strip.in10.meter"));
    EXPECT_EQ(hidden->value(0), 0);
}

TEST_F(StripBankTest, AnOutputStripShowsFbkOnTheMasterOutputsOnly) {
    show_bank(10);
    EXPECT_FALSE(
        strips->output(8)->findChild<PngButton*>(QStringLiteral("strip.out9.fbk"))->isVisible());
    show_bank(9);
    PngButton* fbk = strips->output(0)->findChild<PngButton*>(QStringLiteral("strip.out1.fbk"));
    EXPECT_TRUE(fbk->isVisible());
    fbk->click();
    EXPECT_TRUE(fbk->lit());
    EXPECT_EQ(sink.frames.back().substr(0, 12), "%K,01,01,01,");
}

TEST_F(StripBankTest, AnOutputStripWorksItsOutputAndNeverTheInputOfTheSameNumber) {
    show_bank(9);
    OutputStrip* out = strips->output(0);
    state.inputs[0].volume = 33;
    out->findChild<PngButton*>(QStringLiteral("strip.out1.mute"))->click();
    EXPECT_EQ(state.outputs[0].mute, 1);
    EXPECT_EQ(state.inputs[0].mute, 0);
    drag_to_bottom(out->fader());
    EXPECT_EQ(state.outputs[0].volume, 0);
    EXPECT_EQ(state.inputs[0].volume, 33);
    // What the strip shows comes from the output too.
    state.outputs[0].volume = 50;
    state.outputs[0].short_name.assign("SPK");
    out->reload();
    EXPECT_EQ(out->fader()->position(), ChannelStrip::kMaxVolume - 50);
    EXPECT_EQ(out->findChild<PngButton*>(QStringLiteral("strip.out1.name"))->text(),
              QStringLiteral("SPK"));
}

// A lit key's face colour just inside its left edge, clear of the caption.
QColor lit_face(PngButton* b) {
    QImage shot(b->size(), QImage::Format_ARGB32);
    shot.fill(Qt::black);
    b->render(&shot);
    return shot.pixelColor(8, b->height() / 2);
}

TEST_F(StripBankTest, ALitMuteGlowsRedWhereALitPriorityStaysTeal) {
    show_bank(1);
    auto* mute = strips->input(0)->findChild<PngButton*>(QStringLiteral("strip.in1.mute"));
    auto* priority = strips->input(0)->findChild<PngButton*>(QStringLiteral("strip.in1.priority"));
    ASSERT_NE(mute, nullptr);
    ASSERT_NE(priority, nullptr);
    mute->click();
    priority->set_lit(true);
    ASSERT_TRUE(mute->lit());
    const QColor red = lit_face(mute);
    EXPECT_GT(red.red(), 2 * red.green());
    EXPECT_GT(red.red(), 2 * red.blue());
    EXPECT_GT(mute->current_caption_colour().red(), mute->current_caption_colour().blue());
    const QColor teal = lit_face(priority);
    EXPECT_GT(teal.blue(), teal.red());
    // Unlit, MUTE is the plain key every other button wears.
    mute->click();
    EXPECT_EQ(
        lit_face(mute),
        lit_face(strips->input(0)->findChild<PngButton*>(QStringLiteral("strip.in1.matrix"))));
}

TEST(ChannelSideTest, EachSideReadsItsOwnHalfOfTheStateAndTheReports) {
    DeviceState state;
    state.inputs[5].volume = 12;
    state.outputs[5].volume = 61;
    state.outputs[5].mute = 1;
    state.inputs[5].short_name.assign("LECTERN");
    LevelView view;
    view.input_meter[5] = 7;
    view.output_meter[5] = 44;
    const ChannelSide in = ChannelSide::input();
    const ChannelSide out = ChannelSide::output();
    EXPECT_EQ(in.volume(state, 5), 12);
    EXPECT_EQ(out.volume(state, 5), 61);
    EXPECT_FALSE(in.muted(state, 5));
    EXPECT_TRUE(out.muted(state, 5));
    EXPECT_EQ(in.short_name(state, 5), "LECTERN");
    EXPECT_NE(out.short_name(state, 5), "LECTERN");
    EXPECT_EQ(in.meter(view, 5), 7);
    EXPECT_EQ(out.meter(view, 5), 44);
    EXPECT_NE(in.background(), out.background());
    EXPECT_NE(in.fader_thumb(), out.fader_thumb());
}

}  // namespace
}  // namespace kestra
