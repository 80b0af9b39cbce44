#include <gtest/gtest.h>

#include "action_fixture.h"

namespace kestra {
namespace {

using namespace kestra::testing;
using Update = GeqActions::MarkerUpdate;

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}

class GeqActionsTest : public ActionFixture {
protected:
    GeqActions& geq = surface.geq;
};

TEST_F(GeqActionsTest, DragToTheTopStores300AndSendsOncePerSpanThenOnceAtRest) {
    group_outputs({2, 9}, kLinkEq);
    geq.marker_moved(2, 7, 15.0, Update::Drag);
    EXPECT_EQ(state.output(2).geq_band[7].gain, 300);
    geq.marker_moved(2, 7, 22.0, Update::Drag);  // beyond the top it stays
    EXPECT_EQ(state.output(2).geq_band[7].gain, 300);
    const std::string top = "%H,01,03,00," + repeat("4B", 7) + "96" + repeat("4B", 7) + ",";
    EXPECT_EQ(sink.frames, framed_all({top}));
    EXPECT_EQ(state.output(9).geq_band[7].gain, 150);  // a drag copies nothing yet
    EXPECT_EQ(reports.back(), (ReadoutRequest{82, ReadoutKind{12}}));

    clock.advance(250ms);
    geq.tick();
    EXPECT_EQ(
        sink.frames,
        framed_all({top, top, "%H,01,0A,00," + repeat("4B", 7) + "96" + repeat("4B", 7) + ","}));
    EXPECT_EQ(sink.gaps, gaps_of({10, 10, 20}));
    geq.tick();
    EXPECT_EQ(sink.frames.size(), 3u);
}

TEST_F(GeqActionsTest, ReleaseSendsAndCopiesTheBand) {
    group_outputs({0, 1, 5}, kLinkEq);
    state.output(5).geq_band[0].gain = 44;
    geq.marker_moved(1, 14, -0.55, Update::Release);
    EXPECT_EQ(state.output(1).geq_band[14].gain, 144);
    EXPECT_EQ(state.output(0).geq_band[14].gain, 144);
    EXPECT_EQ(state.output(5).geq_band[0].gain, 44);  // only the released band travels
    EXPECT_EQ(sink.frames, framed_all({"%H,01,02,00," + repeat("4B", 14) + "48,",
                                       "%H,01,01,00," + repeat("4B", 14) + "48,",
                                       "%H,01,06,00,16" + repeat("4B", 13) + "48,"}));
}

TEST_F(GeqActionsTest, DrawStrokeSendsEveryBandAtOnceAndCopiesAllGainsAtItsEnd) {
    group_outputs({3, 4}, kLinkEq);
    geq.marker_moved(3, 0, 1.0, Update::DrawPath);
    geq.marker_moved(3, 1, 2.0, Update::DrawPath);
    geq.marker_moved(3, 2, 3.0, Update::DrawPath);
    EXPECT_EQ(sink.frames.size(), 3u);
    EXPECT_EQ(sink.frames[2], framed("%H,01,04,00,50555A" + repeat("4B", 12) + ","));
    EXPECT_EQ(state.output(4).geq_band[0].gain, 150);
    geq.draw_path_finished(3);
    EXPECT_EQ(state.output(4).geq_band[2].gain, 180);
    EXPECT_EQ(sink.frames.size(), 4u);
    EXPECT_EQ(sink.frames[3], framed("%H,01,05,00,50555A" + repeat("4B", 12) + ","));
    EXPECT_EQ(sink.gaps[3], 20ms);

    clock.advance(1s);  // updates of a stroke leave no trailing send
    geq.tick();
    EXPECT_EQ(sink.frames.size(), 4u);
}

TEST_F(GeqActionsTest, ResetSendsOneFlatBlockAndCopiesIt) {
    group_outputs({6, 7}, kLinkEq);
    state.output(6).geq_band[3].gain = 10;
    state.output(6).geq_band[20].gain = 10;  // beyond the 15 bands of the editor
    geq.reset(6);
    EXPECT_EQ(state.output(6).geq_band[20].gain, 10);
    EXPECT_EQ(state.output(7).geq_band[14].gain, 150);
    EXPECT_EQ(sink.frames, framed_all({"%H,01,07,00," + repeat("4B", 15) + ",",
                                       "%H,01,08,00," + repeat("4B", 15) + ","}));
}

TEST_F(GeqActionsTest, SwitchAndDoubleClickCommitAtOnce) {
    group_outputs({10, 11}, kLinkEq);
    state.output(10).geq_band[4].gain = 280;
    geq.toggle_on(10);
    EXPECT_EQ(state.output(11).geq_on, 1);
    EXPECT_EQ(state.output(11).geq_band[4].gain, 150);
    geq.marker_double_clicked(10, 4);
    EXPECT_EQ(state.output(10).geq_band[4].gain, 150);
    EXPECT_EQ(state.output(11).geq_band[4].gain, 150);
    EXPECT_EQ(reports.back(), (ReadoutRequest{90, ReadoutKind{9}}));
    EXPECT_EQ(sink.frames,
              framed_all({"%H,01,0B,01," + repeat("4B", 4) + "8C" + repeat("4B", 10) + ",",
                          "%H,01,0C,01," + repeat("4B", 15) + ",",
                          "%H,01,0B,01," + repeat("4B", 4) + "4B" + repeat("4B", 10) + ",",
                          "%H,01,0C,01," + repeat("4B", 4) + "4B" + repeat("4B", 10) + ","}));

    state.system.connected = 0;
    sink.clear();
    geq.toggle_on(10);
    EXPECT_EQ(state.output(10).geq_on, 0);
    EXPECT_EQ(state.output(11).geq_on, 0);
    EXPECT_TRUE(sink.frames.empty());
}

// A group copy is news only on the members it changed, also right after the processor's
// whole state, which leaves no block published before.
TEST_F(GeqActionsTest, ACopyPublishesOnlyTheMembersItChanged) {
    group_outputs({2, 9, 11}, kLinkEq);
    state.output(9).geq_band[4].gain = 200;  // as the processor's state has it
    stream.publish({StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All,
                    ChangeOrigin::FullStateRead});
    changes.clear();
    geq.set_band_gain(2, 4, 200);
    EXPECT_EQ(state.output(11).geq_band[4].gain, 200);
    const auto geq_of = [](int output) {
        return StateChange{StateChange::Scope::Output, output, StateChange::Block::Geq};
    };
    EXPECT_EQ(changes, (std::vector<StateChange>{geq_of(11), geq_of(2)}));
}

TEST_F(GeqActionsTest, ScriptedGainsAreLimitedToTheEditorsBands) {
    surface.commit_field(FieldTarget::Output, 15, *FieldPath::parse("geq_band[14].gain"), 300);
    EXPECT_EQ(sink.frames, framed_all({"%H,01,10,00," + repeat("4B", 14) + "96,"}));
    const DeviceState before = state;
    EXPECT_THROW(
        surface.commit_field(FieldTarget::Output, 0, *FieldPath::parse("geq_band[15].gain"), 1),
        std::invalid_argument);
    EXPECT_THROW(
        surface.commit_field(FieldTarget::Output, 0, *FieldPath::parse("geq_band[0].gain"), 301),
        std::invalid_argument);
    EXPECT_THROW(surface.commit_field(FieldTarget::Output, 0, *FieldPath::parse("geq_on"), -1),
                 std::invalid_argument);
    EXPECT_THROW(geq.marker_moved(0, 15, 0, Update::Release), std::invalid_argument);
    EXPECT_EQ(state, before);
}

}  // namespace
}  // namespace kestra
