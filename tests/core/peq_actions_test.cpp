#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "action_fixture.h"
#include "actions/drag_send_policy.h"

namespace kestra {
namespace {

using namespace kestra::testing;
using Strings = std::vector<std::string>;

TEST(DragSendPolicy, SendsOncePerSpanAndOnceMoreAfterTheMarkerRests) {
    ManualClock clock;
    DragSendPolicy policy(clock);
    EXPECT_TRUE(policy.moved(2));  // the first move of a session goes out at once
    clock.advance(100ms);
    EXPECT_FALSE(policy.moved(2));  // exactly one span is not more than it
    clock.advance(1ms);
    EXPECT_TRUE(policy.moved(2));
    clock.advance(50ms);
    EXPECT_FALSE(policy.moved(3));
    EXPECT_EQ(policy.move_count(), 4);

    clock.advance(200ms);
    EXPECT_EQ(policy.take_trailing(), std::nullopt);  // rested exactly 200 ms
    clock.advance(1ms);
    EXPECT_EQ(policy.take_trailing(), 3);
    EXPECT_EQ(policy.take_trailing(), std::nullopt);  // one trailing send per rest
}

TEST(DragSendPolicy, ReleaseDropsThePendingMoveAndRestartsTheSpan) {
    ManualClock clock;
    DragSendPolicy policy(clock, 40ms);
    EXPECT_TRUE(policy.moved(0));
    clock.advance(10ms);
    EXPECT_FALSE(policy.moved(1));
    policy.released();
    EXPECT_FALSE(policy.move_pending());
    EXPECT_EQ(policy.move_count(), 0);
    clock.advance(1s);
    EXPECT_EQ(policy.take_trailing(), std::nullopt);

    clock.advance(30ms);  // 1030 ms after the release: a new drag sends its first move
    EXPECT_TRUE(policy.moved(1));
    policy.released();
    clock.advance(40ms);
    EXPECT_FALSE(policy.moved(1));  // the span runs from the release
    clock.advance(1ms);
    policy.moved_without_send(4);
    clock.advance(201ms);
    EXPECT_EQ(policy.take_trailing(), 4);
}

class PeqActionsTest : public ActionFixture {
protected:
    PeqActions& peq = surface.peq;
};

TEST_F(PeqActionsTest, SliderMovesUpdateAndReportOnlyReleaseSendsTheBand) {
    peq.set_band_gain(2, 1, 160, SliderCommit::Moved);
    peq.set_band_freq(2, 1, 630, SliderCommit::Moved);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(state.input(2).peq_band[1].gain, 160);
    EXPECT_EQ(reports, (std::vector<ReadoutRequest>{{2, ReadoutKind{8}}, {2, ReadoutKind{9}}}));

    peq.set_band_q(2, 1, 45, SliderCommit::Released);
    EXPECT_EQ(sink.frames, framed_all({"%G,01,03,00,02,01,0276,50,2D,"}));
    EXPECT_EQ(sink.gaps, gaps_of({10}));
    EXPECT_EQ(reports.back(), (ReadoutRequest{2, ReadoutKind{10}}));
    EXPECT_EQ(changes.back(), (StateChange{StateChange::Scope::Input, 2, StateChange::Block::Peq}));

    // The filters' sliders report 20 and 21 and send "F" / "E".
    peq.set_hpf_freq(2, 80, SliderCommit::Released);
    peq.set_lpf_freq(2, 12000, SliderCommit::Released);
    EXPECT_EQ(Strings(sink.frames.begin() + 1, sink.frames.end()),
              framed_all({"%F,01,03,00,02,0050,02,01,", "%E,01,03,00,02,2EE0,02,01,"}));
    EXPECT_EQ(reports.back(), (ReadoutRequest{2, ReadoutKind{21}}));
}

TEST_F(PeqActionsTest, NothingIsSentOfflineOrForInputsAbove32) {
    state.system.connected = 0;
    peq.set_band_gain(0, 0, 200, SliderCommit::Released);
    peq.reset(1);
    peq.toggle_bypass(2);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(state.input(0).peq_band[0].gain, 200);

    state.system.connected = 1;
    peq.set_band_gain(32, 0, 200, SliderCommit::Released);
    peq.toggle_hpf(40);
    peq.marker_double_clicked(33, 1);
    peq.reset(63);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(state.input(32).peq_band[0].gain, 200);
    EXPECT_EQ(state.input(40).hpf_on, 1);
    EXPECT_EQ(state.input(33).peq_band[1].gain, 150);

    peq.set_band_gain(31, 0, 0, SliderCommit::Released);  // input 32 is the last one sent
    EXPECT_EQ(sink.frames, framed_all({"%G,01,20,00,01,01,00C8,00,64,"}));
}

TEST_F(PeqActionsTest, OutOfRangeValuesAreRefusedWithNothingChanged) {
    const DeviceState before = state;
    EXPECT_THROW(peq.set_band_gain(0, 0, 301, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(peq.set_band_freq(0, 0, 19, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(peq.set_band_q(0, 0, 0, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(peq.set_band_q(0, 5, 10, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(peq.set_lpf_freq(64, 100, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(peq.select_lpf_slope(0, 3), std::invalid_argument);
    EXPECT_THROW(peq.marker_moved(0, 6, 100, 0, false), std::invalid_argument);
    EXPECT_THROW(peq.marker_moved(0, 1, std::nan(""), 0, false), std::invalid_argument);
    EXPECT_EQ(state, before);
    EXPECT_TRUE(sink.frames.empty());
}

TEST_F(PeqActionsTest, ShelfButtonsToggleTheirBandsType) {
    peq.toggle_low_shelf(0);
    peq.toggle_high_shelf(0);
    EXPECT_EQ(state.input(0).peq_band[0].type, 1);
    EXPECT_EQ(state.input(0).peq_band[3].type, 2);
    peq.toggle_low_shelf(0);
    peq.toggle_high_shelf(0);
    EXPECT_EQ(state.input(0).peq_band[0].type, 0);
    EXPECT_EQ(state.input(0).peq_band[3].type, 0);
    EXPECT_EQ(sink.frames,
              framed_all({"%G,01,01,00,01,02,00C8,4B,64,", "%G,01,01,00,04,03,07D0,4B,64,",
                          "%G,01,01,00,01,01,00C8,4B,64,", "%G,01,01,00,04,01,07D0,4B,64,"}));
}

TEST_F(PeqActionsTest, SlopeItemsStoreTwoToFourAndAreSentForEveryFilteredInput) {
    EXPECT_EQ(PeqActions::kSlopeItems[2], "-24dB/Oct");
    EXPECT_EQ(PeqActions::slope_item(3), 1);
    EXPECT_EQ(PeqActions::slope_item(5), std::nullopt);  // steeper slopes select no item
    peq.select_hpf_slope(20, 2);
    peq.select_lpf_slope(20, 1);
    EXPECT_EQ(state.input(20).hpf_slope, 4);
    EXPECT_EQ(state.input(20).lpf_slope, 3);
    EXPECT_EQ(sink.frames,
              framed_all({"%F,01,15,00,02,0014,04,01,", "%E,01,15,00,02,4E20,03,01,"}));
}

TEST_F(PeqActionsTest, ResetWritesFactoryBandsAndFiltersAndSendsTheBlock20msApart) {
    InputChannel& in = state.input(0);
    in.peq_band[2] = PeqBand{7000, 10, 3, {}, 2};
    in.peq_band[4].gain = 77;
    in.hpf_on = in.lpf_on = 1;
    in.hpf_slope = in.lpf_slope = 4;
    in.hpf_freq = in.lpf_freq = 900;
    peq.reset(0);
    const std::array<int, 4> freqs{200, 500, 1000, 5000};
    for (std::size_t b = 0; b < 4; ++b) {
        EXPECT_EQ(in.peq_band[b], (PeqBand{freqs[b], 150, 20, {}, 0})) << b;
    }
    EXPECT_EQ(in.peq_band[4].gain, 77);  // the fifth band is not the editor's
    EXPECT_EQ(in.hpf_on + in.lpf_on, 0);
    EXPECT_EQ(in.hpf_freq, 20);
    EXPECT_EQ(in.lpf_freq, 20000);
    EXPECT_EQ(in.hpf_slope + in.lpf_slope, 4);
    EXPECT_EQ(sink.frames,
              framed_all({"%G,01,01,00,01,01,00C8,4B,14,", "%G,01,01,00,02,01,01F4,4B,14,",
                          "%G,01,01,00,03,01,03E8,4B,14,", "%G,01,01,00,04,01,1388,4B,14,",
                          "%E,01,01,00,02,4E20,02,01,", "%F,01,01,00,02,0014,02,01,"}));
    EXPECT_EQ(sink.gaps, gaps_of({30, 30, 30, 30, 30, 30}));
}

TEST_F(PeqActionsTest, BypassFlattensThenRestoresExactlyAndSendsFiltersFirst) {
    InputChannel& in = state.input(1);
    for (std::size_t b = 0; b < 4; ++b) {
        in.peq_band[b] = PeqBand{300 + 100 * int(b), 100 + int(b), 30 + int(b), {}, 0};
    }
    in.peq_band[0].type = 1;
    in.hpf_on = 1, in.hpf_freq = 120, in.hpf_slope = 3;
    in.lpf_on = 1, in.lpf_freq = 9000, in.lpf_slope = 4;
    const InputChannel original = in;

    peq.toggle_bypass(1);
    EXPECT_TRUE(peq.bypassed(1));
    EXPECT_EQ(in.hpf_on + in.lpf_on, 0);
    EXPECT_EQ(in.hpf_freq, 20);
    EXPECT_EQ(in.lpf_freq, 20000);
    EXPECT_EQ(in.hpf_slope, 3);  // slopes, types, frequencies and Q stay
    EXPECT_EQ(in.peq_band[0], (PeqBand{300, 150, 30, {}, 1}));
    EXPECT_EQ(in.peq_band[3].gain, 150);
    EXPECT_EQ(Strings(sink.frames.begin(), sink.frames.begin() + 3),
              framed_all({"%E,01,02,00,02,4E20,04,01,", "%F,01,02,00,02,0014,03,01,",
                          "%G,01,02,00,01,02,012C,4B,1E,"}));
    EXPECT_EQ(sink.frames.size(), 6u);
    EXPECT_EQ(sink.gaps, gaps_of({30, 30, 30, 30, 30, 30}));

    peq.toggle_bypass(1);
    EXPECT_FALSE(peq.bypassed(1));
    EXPECT_EQ(in, original);
}

// Whether a reset, a switch or a marker is news depends on what it wrote, block by block,
// not on whether the block was published since the processor's whole state came.
TEST_F(PeqActionsTest, OnlyTheBlocksAWriteChangedArePublished) {
    peq.reset(5);
    stream.publish({StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All,
                    ChangeOrigin::FullStateRead});
    changes.clear();
    peq.reset(5);
    peq.set_hpf_on(5, false);  // off already
    EXPECT_TRUE(changes.empty());
    peq.set_lpf_on(5, true);
    peq.marker_moved(5, 1, 1000.0, 0.0, false);
    const StateChange bands{StateChange::Scope::Input, 5, StateChange::Block::Peq};
    const StateChange filters{StateChange::Scope::Input, 5, StateChange::Block::Filters};
    EXPECT_EQ(changes, (std::vector<StateChange>{filters, bands}));
    changes.clear();
    peq.reset(5);  // only the filters moved away from the factory values
    EXPECT_EQ(changes, (std::vector<StateChange>{bands, filters}));
}

TEST_F(PeqActionsTest, BypassOfAFlatBlockStillPublishesItsToggle) {
    peq.toggle_bypass(5);
    peq.toggle_bypass(5);
    const StateChange bands{StateChange::Scope::Input, 5, StateChange::Block::Peq};
    const StateChange filters{StateChange::Scope::Input, 5, StateChange::Block::Filters};
    EXPECT_EQ(changes, (std::vector<StateChange>{bands, filters, bands, filters}));
}

TEST_F(PeqActionsTest, EveryInputKeepsItsOwnBypassedValues) {
    state.input(0).peq_band[1].gain = 210;
    state.input(5).peq_band[1].gain = 40;
    peq.toggle_bypass(0);
    peq.toggle_bypass(5);  // the editor moved on to another input and bypassed it too
    EXPECT_TRUE(peq.bypassed(0));
    peq.toggle_bypass(0);
    peq.toggle_bypass(5);
    EXPECT_EQ(state.input(0).peq_band[1].gain, 210);
    EXPECT_EQ(state.input(5).peq_band[1].gain, 40);
}

TEST_F(PeqActionsTest, CommittedBandIsCopiedToLinkedInputsWithTheirOwnCommands) {
    group_inputs({4, 0, 2}, kLinkEq);
    peq.set_band_gain(2, 3, 180, SliderCommit::Released);
    EXPECT_EQ(state.input(0).peq_band[3], state.input(2).peq_band[3]);
    EXPECT_EQ(state.input(4).peq_band[3].gain, 180);
    EXPECT_EQ(state.input(4).peq_band[2].gain, 150);  // only the changed band travels
    EXPECT_EQ(sink.frames,
              framed_all({"%G,01,03,00,04,01,07D0,5A,64,", "%G,01,01,00,04,01,07D0,5A,64,",
                          "%G,01,05,00,04,01,07D0,5A,64,"}));
    EXPECT_EQ(sink.gaps, gaps_of({10, 20, 20}));
    EXPECT_TRUE(std::count(changes.begin(), changes.end(),
                           StateChange{StateChange::Scope::Input, 4, StateChange::Block::Peq}) ==
                1);

    // The fifth band and a moving slider are not copied.
    sink.clear();
    peq.set_band_gain(2, 4, 10, SliderCommit::Released);
    peq.set_band_gain(2, 0, 10, SliderCommit::Moved);
    EXPECT_EQ(sink.frames, framed_all({"%G,01,03,00,05,01,1388,05,64,"}));
    EXPECT_EQ(state.input(0).peq_band[4].gain, 150);
    EXPECT_EQ(state.input(0).peq_band[0].gain, 150);
}

TEST_F(PeqActionsTest, MembersAbove32GetTheStateButNoCommand) {
    group_inputs({30, 31, 32}, kLinkEq);  // a scene may carry a group the page would refuse
    peq.set_band_q(31, 0, 12, SliderCommit::Released);
    EXPECT_EQ(state.input(32).peq_band[0].q, 12);
    EXPECT_EQ(state.input(30).peq_band[0].q, 12);
    EXPECT_EQ(sink.frames,
              framed_all({"%G,01,20,00,01,01,00C8,4B,0C,", "%G,01,1F,00,01,01,00C8,4B,0C,"}));
}

TEST_F(PeqActionsTest, FilterToggleCopiesTheFilterWordsOnly) {
    group_inputs({1, 3}, kLinkEq);
    state.input(1).hpf_freq = 150;
    state.input(1).hpf_slope = 4;
    state.input(1).lpf_freq = 3000;
    peq.toggle_hpf(1);
    EXPECT_EQ(state.input(3).hpf_on, 1);
    EXPECT_EQ(state.input(3).hpf_freq, 150);
    EXPECT_EQ(state.input(3).hpf_slope, 4);
    EXPECT_EQ(state.input(3).lpf_freq, 20000);
    EXPECT_EQ(sink.frames,
              framed_all({"%F,01,02,01,02,0096,04,01,", "%F,01,04,01,02,0096,04,01,"}));
}

TEST_F(PeqActionsTest, GroupsWithoutTheEqLinkOrOffTheGroupAreLeftAlone) {
    group_inputs({0, 1}, kLinkComp);
    peq.set_band_gain(0, 0, 99, SliderCommit::Released);
    EXPECT_EQ(state.input(1).peq_band[0].gain, 150);
    EXPECT_EQ(sink.frames.size(), 1u);
}

TEST_F(PeqActionsTest, WholeBlockCopyAfterResetSendsEachMember50msApart) {
    group_inputs({0, 6}, kLinkEq);
    state.input(6).peq_band[4].freq = 321;
    state.input(0).hpf_mode = 1;
    peq.reset(0);
    EXPECT_EQ(state.input(6).peq_band, state.input(0).peq_band);  // all five records
    EXPECT_EQ(state.input(6).hpf_mode, 1);
    ASSERT_EQ(sink.frames.size(), 12u);
    EXPECT_EQ(Strings(sink.frames.begin() + 6, sink.frames.end()),
              framed_all({"%G,01,07,00,01,01,00C8,4B,14,", "%G,01,07,00,02,01,01F4,4B,14,",
                          "%G,01,07,00,03,01,03E8,4B,14,", "%G,01,07,00,04,01,1388,4B,14,",
                          "%E,01,07,00,02,4E20,02,01,", "%F,01,07,00,01,0014,02,01,"}));
    for (std::size_t i = 6; i < 12; ++i) {
        EXPECT_EQ(sink.gaps[i], 60ms) << i;
    }
}

TEST_F(PeqActionsTest, RecallSendsTheBlockAndCopiesIt) {
    group_inputs({8, 9}, kLinkEq);
    state.input(8).peq_band[1].gain = 20;
    state.input(8).lpf_on = 1;
    peq.block_recalled(8);
    EXPECT_EQ(state.input(9).peq_band[1].gain, 20);
    EXPECT_EQ(state.input(9).lpf_on, 1);
    ASSERT_EQ(sink.frames.size(), 12u);
    EXPECT_EQ(sink.frames[1], framed("%G,01,09,00,02,01,01F4,0A,64,"));
    EXPECT_EQ(sink.frames[4], framed("%E,01,09,01,02,4E20,02,01,"));
    EXPECT_EQ(sink.frames[10], framed("%E,01,0A,01,02,4E20,02,01,"));
}

TEST_F(PeqActionsTest, MarkerDragSendsPerSpanCopiesStateOnlyAndReleaseSendsTheGroup) {
    group_inputs({0, 1}, kLinkEq);
    clock.advance(1s);
    peq.marker_moved(0, 0, 1000.7, 3.05, true);
    EXPECT_EQ(state.input(0).peq_band[0].freq, 1000);
    EXPECT_EQ(state.input(0).peq_band[0].gain, 180);
    EXPECT_EQ(state.input(1).peq_band[0].gain, 180);  // members follow in the state
    EXPECT_EQ(sink.frames, framed_all({"%G,01,01,00,01,01,03E8,5A,64,"}));
    EXPECT_EQ(reports.back(), (ReadoutRequest{0, ReadoutKind{22}}));

    clock.advance(60ms);
    peq.marker_moved(0, 0, 1100, 3.0, true);
    EXPECT_EQ(sink.frames.size(), 1u);
    clock.advance(50ms);  // 110 ms since the last send
    peq.marker_moved(0, 0, 1200, -15.0, true);
    EXPECT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(sink.frames[1], framed("%G,01,01,00,01,01,04B0,00,64,"));

    // Resting: the 50 ms tick sends once after more than 200 ms, with the group.
    for (int i = 0; i < 4; ++i) {
        clock.advance(50ms);
        peq.tick();
    }
    EXPECT_EQ(sink.frames.size(), 2u);
    clock.advance(50ms);
    peq.tick();
    EXPECT_EQ(Strings(sink.frames.begin() + 2, sink.frames.end()),
              framed_all({"%G,01,01,00,01,01,04B0,00,64,", "%G,01,02,00,01,01,04B0,00,64,"}));
    peq.tick();
    EXPECT_EQ(sink.frames.size(), 4u);

    // The release commits with the group's sends and leaves nothing for the tick.
    sink.clear();
    peq.marker_moved(0, 5, 8000.9, 7.0, true);
    peq.marker_moved(0, 5, 8000.9, 7.0, false);
    EXPECT_EQ(state.input(0).lpf_freq, 8000);
    EXPECT_EQ(reports.back(), (ReadoutRequest{0, ReadoutKind{28}}));
    EXPECT_EQ(sink.frames, framed_all({"%E,01,01,00,02,1F40,02,01,", "%E,01,01,00,02,1F40,02,01,",
                                       "%E,01,02,00,02,1F40,02,01,"}));
    clock.advance(1s);
    peq.tick();
    EXPECT_EQ(sink.frames.size(), 3u);
}

TEST_F(PeqActionsTest, RestingDragOfflineKeepsItsTrailingSendForTheRelease) {
    peq.marker_moved(0, 4, 300, 0, true);
    state.system.connected = 0;
    clock.advance(500ms);
    peq.tick();
    state.system.connected = 1;
    peq.marker_moved(0, 4, 300, 0, false);
    EXPECT_EQ(state.input(0).hpf_freq, 300);
    EXPECT_EQ(sink.frames.size(), 2u);  // first move and release; nothing from the tick
    clock.advance(1s);
    peq.tick();
    EXPECT_EQ(sink.frames.size(), 2u);
}

TEST_F(PeqActionsTest, MarkersAreLimitedToTheAxes) {
    peq.marker_moved(3, 1, 30000, 20, false);
    EXPECT_EQ(state.input(3).peq_band[1].freq, 20000);
    EXPECT_EQ(state.input(3).peq_band[1].gain, 300);
    peq.marker_moved(3, 1, 5, -40, false);
    EXPECT_EQ(state.input(3).peq_band[1].freq, 20);
    EXPECT_EQ(state.input(3).peq_band[1].gain, 0);
}

TEST_F(PeqActionsTest, DoubleClickReturnsABandToZeroDbAndKeepsItsFrequency) {
    group_inputs({10, 11}, kLinkEq);
    state.input(10).peq_band[2] = PeqBand{777, 260, 50, {}, 0};
    peq.marker_double_clicked(10, 2);
    EXPECT_EQ(state.input(10).peq_band[2], (PeqBand{777, 150, 50, {}, 0}));
    EXPECT_EQ(state.input(11).peq_band[2].gain, 150);
    EXPECT_EQ(reports.back(), (ReadoutRequest{10, ReadoutKind{24}}));
    EXPECT_EQ(sink.frames,
              framed_all({"%G,01,0B,00,03,01,0309,4B,32,", "%G,01,0C,00,03,01,0309,4B,32,"}));
}

TEST_F(PeqActionsTest, ScriptedFieldsCommitAsTheEditorDoes) {
    surface.commit_field(FieldTarget::Input, 4, *FieldPath::parse("peq_band[0].type"), 1);
    surface.commit_field(FieldTarget::Input, 4, *FieldPath::parse("hpf_slope"), 3);
    surface.commit_field(FieldTarget::Input, 4, *FieldPath::parse("peq_on"), 1);
    EXPECT_EQ(state.input(4).peq_band[0].type, 1);
    EXPECT_EQ(state.input(4).hpf_slope, 3);
    ASSERT_EQ(sink.frames.size(), 6u);
    EXPECT_EQ(sink.frames[0], framed("%G,01,05,00,01,02,00C8,4B,64,"));
    EXPECT_EQ(sink.frames[1], framed("%F,01,05,00,02,0014,03,01,"));
    EXPECT_EQ(sink.frames[5], framed("%G,01,05,01,04,01,07D0,4B,64,"));

    const DeviceState before = state;
    for (const auto& [name, value] :
         std::vector<std::pair<const char*, int>>{{"peq_band[1].type", 1},
                                                  {"peq_band[3].type", 1},
                                                  {"peq_band[0].gain", -1},
                                                  {"peq_band[5].gain", 10},
                                                  {"hpf_slope", 5},
                                                  {"lpf_on", 2},
                                                  {"lpf_freq", 20001},
                                                  {"peq_band[0].nothing", 1}}) {
        EXPECT_THROW(surface.commit_field(FieldTarget::Input, 4, *FieldPath::parse(name), value),
                     std::invalid_argument)
            << name;
    }
    EXPECT_EQ(state, before);
}

TEST_F(PeqActionsTest, ScriptedFieldsAreRefusedByIndexAndChannelBeforeTheirValue) {
    const auto refusal = [&](FieldTarget target, int index, const char* field, int value) {
        try {
            surface.commit_field(target, index, *FieldPath::parse(field), value);
        } catch (const std::invalid_argument& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    const DeviceState before = state;
    EXPECT_EQ(refusal(FieldTarget::Input, 4, "peq_band[5].gain", 10),
              "band index 5 is outside 0..4");
    EXPECT_EQ(refusal(FieldTarget::Input, 4, "peq_band[2].q", 201), "q 201 is outside 1..200");
    EXPECT_EQ(refusal(FieldTarget::Input, 64, "hpf_freq", 1), "input index 64 is outside 0..63");
    EXPECT_EQ(refusal(FieldTarget::Input, 4, "lpf_freq", 19), "frequency 19 is outside 20..20000");
    EXPECT_EQ(refusal(FieldTarget::Input, 4, "lpf_slope", 1), "lpf_slope 1 is outside 2..4");
    EXPECT_EQ(refusal(FieldTarget::Output, 4, "geq_band[15].gain", 1),
              "band index 15 is outside 0..14");
    EXPECT_EQ(refusal(FieldTarget::Input, 4, "matrix_row[16]", 1), "route 16 is outside 0..15");
    EXPECT_EQ(refusal(FieldTarget::Input, 4, "matrix_row", 1),
              "matrix_row needs a route index 0..15");
    EXPECT_EQ(refusal(FieldTarget::Output, 40, "lim_on", 1), "channel index 40 is outside 0..15");
    EXPECT_EQ(refusal(FieldTarget::Input, 4, "hpf_mode", 1), "unknown field 'hpf_mode'");
    EXPECT_EQ(state, before);
}

}  // namespace
}  // namespace kestra
