#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "surface_test_support.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;
using testing::framed;

class AutomixTest : public testing::SurfaceTest {
protected:
    AutomixActions& automix = surface.automix;
    void set(const char* field, int value, FieldTarget target = FieldTarget::System,
             int index = -1) {
        surface.commit_field(target, index, *FieldPath::parse(field), value);
    }
};

TEST_F(AutomixTest, SyncedThresholdGoesToAll32ChannelsIn32FramesWith20msPauses) {
    automix.toggle_sync();
    EXPECT_TRUE(sink.sent.empty());  // sync itself is never sent
    state.input(3).priority = 1;
    automix.choose_threshold(6, 35);  // CH7, -45 dB
    ASSERT_EQ(sink.sent.size(), 32u);
    for (int n = 0; n < 32; ++n) {
        EXPECT_EQ(state.input(n).automix_threshold, 35);
        EXPECT_EQ(automix.caption(AutomixList::Threshold, n), "-45 dB");
        char body[32];
        std::snprintf(body, sizeof body, "%%L,01,%02X,23,%s,", n + 1, n == 3 ? "01" : "00");
        EXPECT_EQ(sink.sent[static_cast<std::size_t>(n)].payload, framed(body));
        EXPECT_EQ(sink.sent[static_cast<std::size_t>(n)].gap, 30ms);
    }
    EXPECT_EQ(state.input(32).automix_threshold, 0);
    EXPECT_EQ(changes.size(), 1u + 32u);  // the sync button, then each channel
}

// A synced threshold goes to every channel, but only the channels it changed are news.
TEST_F(AutomixTest, ASyncedThresholdPublishesOnlyTheChannelsItChanged) {
    automix.toggle_sync();
    state.input(3).automix_threshold = 35;  // as the processor's state has it
    stream.publish({StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All,
                    ChangeOrigin::FullStateRead});
    changes.clear();
    automix.choose_threshold(6, 35);
    EXPECT_EQ(sink.sent.size(), 32u);
    ASSERT_EQ(changes.size(), 31u);
    EXPECT_TRUE(std::none_of(changes.begin(), changes.end(),
                             [](const StateChange& c) { return c.index == 3; }));
    automix.choose_setting(AutomixList::Hidden1, 1);
    changes.clear();
    automix.choose_setting(AutomixList::Hidden1, 1);
    EXPECT_TRUE(changes.empty()) << "the item chosen already";
}

TEST_F(AutomixTest, UnsyncedThresholdChangesOneChannelAndOfflineSendsNothing) {
    automix.choose_threshold(6, 35);
    EXPECT_EQ(sink.frames, std::vector<std::string>{framed("%L,01,07,23,00,")});
    EXPECT_EQ(sink.sent[0].gap, 10ms);
    EXPECT_EQ(state.input(5).automix_threshold, 0);
    EXPECT_EQ(automix.caption(AutomixList::Threshold, 5), "");

    state.system.connected = 0;
    automix.choose_threshold(31, 80);
    EXPECT_EQ(state.input(31).automix_threshold, 80);
    EXPECT_EQ(sink.sent.size(), 1u);
    EXPECT_THROW(automix.choose_threshold(32, 1), std::invalid_argument);
    EXPECT_THROW(automix.choose_threshold(0, 81), std::invalid_argument);
}

TEST_F(AutomixTest, GlobalListsStoreTheirEncodingSendMAndConfirm) {
    state.system.automix_cfg[0] = 9;
    automix.choose_setting(AutomixList::HoldTime, 0);
    EXPECT_EQ(state.system.automix_cfg[2], 1);  // 50 ms
    automix.choose_setting(AutomixList::HoldTime, 99);
    EXPECT_EQ(state.system.automix_cfg[2], 100);  // 5000 ms
    automix.choose_setting(AutomixList::Nom, 0);
    EXPECT_EQ(state.system.automix_cfg[4], 20);  // -10 dB
    automix.choose_setting(AutomixList::Nom, 10);
    EXPECT_EQ(state.system.automix_cfg[4], 30);  // 0 dB
    automix.choose_setting(AutomixList::MaxOpen, 15);
    automix.choose_setting(AutomixList::ClosedAttenuation, 27);
    EXPECT_EQ(sink.frames.back(), framed("%M,01,09,10,00,64,1B,1E,"));
    EXPECT_EQ(notices.texts.size(), 6u);
    EXPECT_EQ(notices.last(), (testing::Notice{"Set successfully.", "Warming"}));

    state.system.connected = 0;
    automix.choose_setting(AutomixList::MaxOpen, 0);
    EXPECT_EQ(state.system.automix_cfg[1], 1);
    EXPECT_EQ(sink.sent.size(), 6u);
    EXPECT_EQ(notices.texts.size(), 7u);  // confirmed also while offline
}

TEST_F(AutomixTest, LastHoldAndHiddenSettingsSendWithoutConfirming) {
    automix.toggle_last_hold();
    EXPECT_TRUE(automix.page().last_hold_lit);
    EXPECT_EQ(state.system.automix_cfg[5], 1);
    EXPECT_EQ(sink.frames.back(), framed("%M,01,00,00,01,00,00,00,"));
    automix.toggle_last_hold();
    EXPECT_EQ(state.system.automix_cfg[5], 0);

    automix.choose_setting(AutomixList::Hidden1, 100);
    automix.choose_setting(AutomixList::Hidden2, 199);
    automix.choose_setting(AutomixList::Hidden3, 0);
    automix.choose_setting(AutomixList::Hidden4, 40);
    EXPECT_EQ(state.system.automix_hidden, (std::array<int32_t, 4>{100, 200, 1, 40}));
    EXPECT_EQ(sink.frames.back(), framed("%N,01,64,C8,01,28,"));
    EXPECT_TRUE(notices.texts.empty());
    EXPECT_THROW(automix.choose_setting(AutomixList::Hidden4, 41), std::invalid_argument);
}

TEST_F(AutomixTest, ListItemsReadAsThePageShowsThem) {
    const auto threshold = AutomixActions::encoding(AutomixList::Threshold).items();
    ASSERT_EQ(threshold.size(), 81u);
    EXPECT_EQ(threshold.front(), "-80 dB");
    EXPECT_EQ(threshold.back(), "0 dB");
    const auto hold = AutomixActions::encoding(AutomixList::HoldTime).items();
    EXPECT_EQ(hold.size(), 100u);
    EXPECT_EQ(hold[1], "100 ms");
    EXPECT_EQ(hold.back(), "5000 ms");
    EXPECT_EQ(AutomixActions::encoding(AutomixList::MaxOpen).item(31), "32");
    EXPECT_EQ(AutomixActions::encoding(AutomixList::Nom).item(0), "-10 dB");
    EXPECT_EQ(AutomixActions::encoding(AutomixList::ClosedAttenuation).items().size(), 61u);
}

TEST_F(AutomixTest, ShowLoadsTheStateAndKeepsTheHoldItemForAStoredZero) {
    automix.choose_setting(AutomixList::HoldTime, 9);
    state.system.automix_cfg = {0, 8, 0, 60, 0, 1};  // hold 0; NOM 0 as a bulk read may leave it
    state.system.automix_sync = 1;
    state.input(31).automix_threshold = 80;
    automix.show();
    EXPECT_EQ(automix.caption(AutomixList::HoldTime), "500 ms");
    EXPECT_EQ(automix.caption(AutomixList::Nom), "-10 dB");  // clamped to the first item
    EXPECT_EQ(automix.caption(AutomixList::MaxOpen), "8");
    EXPECT_EQ(automix.caption(AutomixList::ClosedAttenuation), "0 dB");
    EXPECT_EQ(automix.caption(AutomixList::Threshold, 31), "0 dB");
    EXPECT_TRUE(automix.page().sync_lit);
    EXPECT_TRUE(automix.page().last_hold_lit);

    state.system.automix_cfg[2] = 100;
    automix.show();
    EXPECT_EQ(automix.caption(AutomixList::HoldTime), "5000 ms");
}

TEST_F(AutomixTest, StoredValuesBeyondTheirListsShowTheNearestEnd) {
    state.system.automix_cfg = {0, 40, 150, 75, 35, 0};
    automix.show();
    EXPECT_EQ(automix.caption(AutomixList::HoldTime), "5000 ms");
    EXPECT_EQ(automix.caption(AutomixList::MaxOpen), "32");
    EXPECT_EQ(automix.caption(AutomixList::ClosedAttenuation), "0 dB");
    EXPECT_EQ(automix.caption(AutomixList::Nom), "0 dB");

    state.system.automix_cfg = {0, 0, 1, -3, 19, 0};
    automix.show();
    EXPECT_EQ(automix.caption(AutomixList::HoldTime), "50 ms");
    EXPECT_EQ(automix.caption(AutomixList::MaxOpen), "1");
    EXPECT_EQ(automix.caption(AutomixList::ClosedAttenuation), "-60 dB");
    EXPECT_EQ(automix.caption(AutomixList::Nom), "-10 dB");
}

TEST_F(AutomixTest, ScriptedSetCommitsInStateUnitsOrRefusesWithNothingChanged) {
    set("automix_cfg[2]", 100);
    EXPECT_EQ(state.system.automix_cfg[2], 100);
    EXPECT_EQ(automix.caption(AutomixList::HoldTime), "5000 ms");
    set("automix_cfg[4]", 20);
    set("automix_cfg[5]", 1);
    set("automix_hidden[1]", 1);
    set("automix_sync", 1);
    set("automix_threshold", 5, FieldTarget::Input, 2);
    EXPECT_EQ(state.input(31).automix_threshold, 5);  // synced
    EXPECT_EQ(sink.sent.size(), 4u + 32u);
    EXPECT_EQ(notices.texts.size(), 2u);

    const DeviceState before = state;
    for (auto [field, value] : {std::pair{"automix_cfg[4]", 19},
                                {"automix_cfg[4]", 31},
                                {"automix_cfg[2]", 0},
                                {"automix_cfg[1]", 33},
                                {"automix_cfg[3]", 61},
                                {"automix_cfg[5]", 2},
                                {"automix_cfg[0]", 1},
                                {"automix_cfg[6]", 1},
                                {"automix_hidden[0]", 101},
                                {"automix_hidden[4]", 1},
                                {"automix_sync", 2}}) {
        EXPECT_THROW(set(field, value), std::invalid_argument) << field << " " << value;
    }
    EXPECT_THROW(set("automix_threshold", 81, FieldTarget::Input, 0), std::invalid_argument);
    EXPECT_THROW(set("automix_threshold", 1, FieldTarget::Input, 32), std::invalid_argument);
    EXPECT_THROW(set("automix_threshold", 1, FieldTarget::Output, 0), std::invalid_argument);
    EXPECT_EQ(state, before);
    EXPECT_EQ(sink.sent.size(), 36u);
    EXPECT_EQ(notices.texts.size(), 2u);
}

TEST_F(AutomixTest, ScriptedFieldsOutsideTheCatalogueAreRefusedInThePagesWords) {
    const auto refusal = [&](const char* field, int value, FieldTarget target, int index) {
        try {
            set(field, value, target, index);
        } catch (const std::invalid_argument& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    const DeviceState before = state;
    EXPECT_EQ(refusal("automix_threshold", 1, FieldTarget::Input, 40),
              "automix_threshold is set on inputs 1-32 only");
    EXPECT_EQ(refusal("automix_threshold", 81, FieldTarget::Input, 3),
              "automix_threshold 81 is outside 0..80");
    EXPECT_EQ(refusal("automix_cfg[0]", 1, FieldTarget::System, -1),
              "automix_cfg[0] is not set by the MODE page");
    EXPECT_EQ(refusal("automix_cfg[6]", 1, FieldTarget::System, -1),
              "automix_cfg has the entries 0-5");
    EXPECT_EQ(refusal("automix_cfg[4]", 19, FieldTarget::System, -1),
              "automix_cfg[4] 19 is outside 20..30");
    EXPECT_EQ(refusal("automix_hidden[4]", 1, FieldTarget::System, -1),
              "automix_hidden index 4 is outside 0..3");
    EXPECT_EQ(refusal("automix_hidden[1]", 0, FieldTarget::System, -1),
              "automix_hidden 0 is outside 1..200");
    EXPECT_EQ(refusal("automix_sync", 1, FieldTarget::Input, 3), "unknown field 'automix_sync'");
    EXPECT_EQ(state, before);
    EXPECT_TRUE(sink.sent.empty());
}

}  // namespace
}  // namespace kestra
