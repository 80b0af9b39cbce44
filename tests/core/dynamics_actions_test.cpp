#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "action_fixture.h"
#include "params/parameter_catalogue.h"

namespace kestra {
namespace {

using namespace kestra::testing;
using F = DynamicsField;

TEST(DynamicsMarker, ValuesFollowTheMarkersAndStayInTheSlidersRanges) {
    EXPECT_EQ(dynamics_marker_value(0, -20.5, -20.5, 0), (DynamicsMarkerValue{F::Threshold, 39}));
    EXPECT_EQ(dynamics_marker_value(0, 3, 3, 0).value, 60);
    // Threshold -20 dB: the compressed line through (0, -15) is 1:4.
    EXPECT_EQ(dynamics_marker_value(1, 0, -15, 40), (DynamicsMarkerValue{F::Ratio, 40}));
    EXPECT_EQ(dynamics_marker_value(1, 0, -20, 40).value, 100);   // flat line
    EXPECT_EQ(dynamics_marker_value(1, 0, -25, 40).value, 100);   // falling line
    EXPECT_EQ(dynamics_marker_value(1, 0, -19, 40).value, 100);   // beyond 1:10
    EXPECT_EQ(dynamics_marker_value(1, 0, 10, 40).value, 10);     // steeper than 1:1
    EXPECT_EQ(dynamics_marker_value(1, -20, -10, 40).value, 10);  // vertical
    EXPECT_EQ(dynamics_marker_value(2, -60, -50, 40), (DynamicsMarkerValue{F::Gain, 100}));
    EXPECT_EQ(dynamics_marker_value(2, -60, -30, 40).value, 200);
    EXPECT_EQ(dynamics_marker_value(2, -60, -70, 40).value, 0);
    EXPECT_THROW(dynamics_marker_value(3, 0, 0, 0), std::invalid_argument);
    EXPECT_THROW(dynamics_marker_value(1, std::nan(""), 0, 0), std::invalid_argument);
}

class CompressorActionsTest : public ActionFixture {
protected:
    CompressorActions& comp = surface.compressor;
};

TEST_F(CompressorActionsTest, SlidersSendAtReleaseOnlyAndReportTheirKinds) {
    comp.set(4, F::Threshold, 40, SliderCommit::Moved);
    EXPECT_TRUE(sink.frames.empty());
    comp.set(4, F::Threshold, 41, SliderCommit::Released);
    comp.set(4, F::Release, 250, SliderCommit::Released);
    EXPECT_EQ(sink.frames,
              framed_all({"%C,01,05,00,0A,29,01,14,00,", "%C,01,05,00,0A,29,01,FA,00,"}));
    comp.set(4, F::Ratio, 100, SliderCommit::Moved);
    comp.set(4, F::Attack, 2, SliderCommit::Moved);
    comp.set(4, F::Gain, 200, SliderCommit::Moved);
    EXPECT_EQ(reports, (std::vector<ReadoutRequest>{{4, ReadoutKind{54}},
                                                    {4, ReadoutKind{54}},
                                                    {4, ReadoutKind{57}},
                                                    {4, ReadoutKind{55}},
                                                    {4, ReadoutKind{56}},
                                                    {4, ReadoutKind{58}}}));
    EXPECT_EQ(changes.back(),
              (StateChange{StateChange::Scope::Input, 4, StateChange::Block::Compressor}));
}

// A reset is sent whatever the block holds, but it is news only where it changed a value,
// also right after the processor's whole state.
TEST_F(CompressorActionsTest, AResetOfABlockAtItsResetValuesIsSentButNotPublished) {
    comp.reset(3);
    stream.publish({StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All,
                    ChangeOrigin::FullStateRead});
    changes.clear();
    const std::size_t sent = sink.sent.size();
    comp.reset(3);
    comp.set_on(3, true);  // on already
    EXPECT_EQ(sink.sent.size(), sent + 2);
    EXPECT_TRUE(changes.empty());
    comp.set(3, F::Gain, 20, SliderCommit::Released);
    EXPECT_EQ(
        changes,
        (std::vector<StateChange>{{StateChange::Scope::Input, 3, StateChange::Block::Compressor}}));
}

TEST_F(CompressorActionsTest, InputsAbove32AndOfflineStoreWithoutSending) {
    comp.set(32, F::Gain, 50, SliderCommit::Released);
    comp.toggle_on(40);
    state.system.connected = 0;
    comp.reset(0);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(comp.value(32, F::Gain), 50);
    EXPECT_EQ(state.input(40).comp_on, 1);
    EXPECT_EQ(state.input(0).comp_threshold, 30);
}

TEST_F(CompressorActionsTest, ResetSendsOneCommandAndCopiesTheWholeBlock) {
    group_inputs({0, 3}, kLinkComp);
    state.input(3).comp_gain = 90;
    comp.reset(0);
    const InputChannel& m = state.input(3);
    EXPECT_EQ((std::array<int, 6>{m.comp_on, m.comp_threshold, m.comp_ratio, m.comp_attack,
                                  m.comp_release, m.comp_gain}),
              (std::array<int, 6>{1, 30, 10, 100, 100, 0}));
    EXPECT_EQ(sink.frames,
              framed_all({"%C,01,01,01,0A,1E,64,64,00,", "%C,01,04,01,0A,1E,64,64,00,"}));
    EXPECT_EQ(sink.gaps, gaps_of({10, 20}));
}

TEST_F(CompressorActionsTest, ReleasedFieldAloneIsCopiedAndMarkersCommitAtOnce) {
    group_inputs({1, 2}, kLinkComp);
    state.input(2).comp_attack = 77;
    comp.set(1, F::Threshold, 40, SliderCommit::Released);
    EXPECT_EQ(state.input(2).comp_threshold, 40);
    EXPECT_EQ(state.input(2).comp_attack, 77);

    sink.clear();
    comp.marker_moved(1, 1, 0, -15);  // 1:4 against the -20 dB threshold
    EXPECT_EQ(state.input(1).comp_ratio, 40);
    EXPECT_EQ(state.input(2).comp_ratio, 40);
    EXPECT_EQ(reports.back(), (ReadoutRequest{1, ReadoutKind{55}}));
    EXPECT_EQ(sink.frames,
              framed_all({"%C,01,02,00,28,28,01,14,00,", "%C,01,03,00,28,28,4D,14,00,"}));
}

TEST_F(CompressorActionsTest, MembersAbove32GetTheStateButNoCommand) {
    group_inputs({31, 40}, kLinkComp);
    comp.set_on(31, true);
    EXPECT_EQ(state.input(40).comp_on, 1);
    EXPECT_EQ(sink.frames, framed_all({"%C,01,20,01,0A,00,01,14,00,"}));
}

TEST_F(CompressorActionsTest, OutOfRangeValuesChangeNothing) {
    const DeviceState before = state;
    EXPECT_THROW(comp.set(0, F::Release, 19, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(comp.set(0, F::Ratio, 9, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(comp.set(0, F::On, 1, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(comp.set(64, F::Gain, 1, SliderCommit::Released), std::invalid_argument);
    EXPECT_THROW(surface.commit_field(FieldTarget::Input, 0, *FieldPath::parse("comp_gain"), 201),
                 std::invalid_argument);
    EXPECT_THROW(surface.commit_field(FieldTarget::Input, 0, *FieldPath::parse("comp_on"), 2),
                 std::invalid_argument);
    EXPECT_THROW(surface.commit_field(FieldTarget::Output, 0, *FieldPath::parse("comp_on"), 1),
                 std::invalid_argument);  // a limiter field of outputs is lim_on
    EXPECT_EQ(state, before);
    EXPECT_TRUE(sink.frames.empty());

    surface.commit_field(FieldTarget::Input, 0, *FieldPath::parse("comp_attack"), 250);
    EXPECT_EQ(sink.frames, framed_all({"%C,01,01,00,0A,00,FA,14,00,"}));
}

class LimiterActionsTest : public ActionFixture {
protected:
    LimiterActions& lim = surface.limiter;
};

TEST_F(LimiterActionsTest, DraggedSliderSendsEveryPositionThenCopiesAtRelease) {
    group_outputs({15, 14}, kLinkLimit);
    lim.set(15, F::Threshold, 10, SliderCommit::Moved);
    lim.set(15, F::Threshold, 11, SliderCommit::Moved);
    EXPECT_EQ(state.output(14).lim_threshold, 0);  // moves are not copied
    lim.set(15, F::Threshold, 11, SliderCommit::Released);
    EXPECT_EQ(state.output(14).lim_threshold, 11);
    EXPECT_EQ(sink.frames,
              framed_all({"%D,01,10,00,0A,0A,01,14,00,", "%D,01,10,00,0A,0B,01,14,00,",
                          "%D,01,10,00,0A,0B,01,14,00,", "%D,01,0F,00,0A,0B,01,14,00,"}));
    EXPECT_EQ(sink.gaps, gaps_of({10, 10, 10, 20}));
    EXPECT_EQ(reports.back(), (ReadoutRequest{95, ReadoutKind{41}}));
}

TEST_F(LimiterActionsTest, ResetCopiesTheSixValuesToEveryLinkedOutput) {
    group_outputs({2, 0, 8}, kLinkLimit);
    state.output(8).lim_release = 3;
    lim.reset(2);
    for (int m : {0, 8}) {
        const OutputChannel& o = state.output(m);
        EXPECT_EQ((std::array<int, 6>{o.lim_on, o.lim_threshold, o.lim_ratio, o.lim_attack,
                                      o.lim_release, o.lim_gain}),
                  (std::array<int, 6>{1, 30, 10, 100, 100, 0}))
            << m;
    }
    EXPECT_EQ(sink.frames, framed_all({"%D,01,03,01,0A,1E,64,64,00,", "%D,01,01,01,0A,1E,64,64,00,",
                                       "%D,01,09,01,0A,1E,64,64,00,"}));
}

TEST_F(LimiterActionsTest, ReleaseFromOneMsAndTheSwitchFollowTheirOwnRules) {
    surface.commit_field(FieldTarget::Output, 0, *FieldPath::parse("lim_release"), 1);
    EXPECT_EQ(state.output(0).lim_release, 1);
    EXPECT_THROW(lim.set(0, F::Release, 0, SliderCommit::Released), std::invalid_argument);
    lim.toggle_on(0);
    lim.marker_moved(0, 2, -60, -45);
    EXPECT_EQ(state.output(0).lim_gain, 150);
    EXPECT_EQ(sink.frames, framed_all({"%D,01,01,00,0A,00,01,01,00,", "%D,01,01,01,0A,00,01,01,00,",
                                       "%D,01,01,01,0A,00,01,01,96,"}));
    EXPECT_EQ(changes.back(),
              (StateChange{StateChange::Scope::Output, 0, StateChange::Block::Limiter}));
}

// Each slider takes exactly its catalogue row's range on every channel, and reports the row's
// read-out kind: the compressor's release starts at 20 ms, the limiter's at 1 ms.
TEST_F(LimiterActionsTest, EverySliderTakesItsRowsRangeAndReportsItsKind) {
    const std::pair<DynamicsActions*, const char*> blocks[] = {{&surface.compressor, "in.7.comp."},
                                                               {&lim, "out.7.limit."}};
    const std::pair<F, const char*> sliders[] = {{F::Threshold, "threshold"},
                                                 {F::Ratio, "ratio"},
                                                 {F::Attack, "attack"},
                                                 {F::Release, "release"},
                                                 {F::Gain, "gain"}};
    for (const auto& [actions, prefix] : blocks) {
        for (const auto& [field, name] : sliders) {
            const Parameter* row = ParameterCatalogue::find(std::string(prefix) + name);
            ASSERT_NE(row, nullptr);
            SCOPED_TRACE(row->path);
            EXPECT_THROW(actions->set(6, field, row->min - 1, SliderCommit::Released),
                         std::invalid_argument);
            EXPECT_THROW(actions->set(6, field, row->max + 1, SliderCommit::Released),
                         std::invalid_argument);
            actions->set(6, field, row->min, SliderCommit::Released);
            EXPECT_EQ(actions->value(6, field), row->min);
            actions->set(6, field, row->max, SliderCommit::Released);
            EXPECT_EQ(actions->value(6, field), row->max);
            EXPECT_EQ(actions->block().kind(field), row->readout_kind);
        }
    }
    EXPECT_EQ(surface.compressor.block().min(F::Release), 20);
    EXPECT_EQ(lim.block().min(F::Release), 1);
}

}  // namespace
}  // namespace kestra
