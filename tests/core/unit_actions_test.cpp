#include <gtest/gtest.h>

#include <stdexcept>

#include "surface_test_support.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;
using testing::framed;

class UnitTest : public testing::SurfaceTest {
protected:
    UnitTest() { state.system.unit_extra = 11; }
    UnitActions& units = surface.units;
    uint8_t slot(int record, int s) const {
        return state.system.unit_table[static_cast<std::size_t>(record * 5 + s)];
    }
};

TEST_F(UnitTest, AChannelStandsInOneSlotOfOneRecordOnly) {
    units.select_unit(2);
    EXPECT_EQ(units.assign_slot(0, 5), UnitActions::Assignment::Stored);
    EXPECT_EQ(sink.frames, std::vector<std::string>{framed("%X,01,02,05FFFFFFFF,")});

    units.select_unit(4);
    EXPECT_EQ(units.assign_slot(2, 5), UnitActions::Assignment::Refused);
    EXPECT_EQ(notices.all(), (std::vector<testing::Notice>{{"Already select.", "Warming"}}));
    EXPECT_EQ(slot(4, 2), 0);
    EXPECT_EQ(units.panel().slot_index[2], 0);
    EXPECT_EQ(sink.sent.size(), 1u);

    // A refused item leaves the earlier assignment of that slot stored, and its list shows it.
    units.assign_slot(2, 73);
    units.assign_slot(2, 5);
    EXPECT_EQ(slot(4, 2), 73);
    EXPECT_EQ(units.panel().slot_index[2], 73);
    EXPECT_EQ(UnitActions::item_text(units.panel().slot_index[2]), "D01");

    units.select_unit(2);
    EXPECT_EQ(units.assign_slot(0, 5), UnitActions::Assignment::Stored);
    EXPECT_EQ(units.assign_slot(1, 0), UnitActions::Assignment::Stored);  // NULL always
    EXPECT_EQ(units.panel().slot_index, (std::array<int, 5>{5, 0, 0, 0, 0}));
    EXPECT_EQ(sink.sent.size(), 4u);
    // Record 2 already held CH05 and NULL in those slots: sent again, nothing new to show.
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(UnitTest, AfterTheResetARecordsEarlierAssignmentIsNewAgain) {
    units.select_unit(2);
    units.assign_slot(0, 5);
    ASSERT_TRUE(units.reset_all_units());
    units.assign_slot(0, 5);
    EXPECT_EQ(changes, (std::vector<StateChange>{
                           {StateChange::Scope::Units, 2, StateChange::Block::Units},
                           {StateChange::Scope::Units, -1, StateChange::Block::Units},
                           {StateChange::Scope::Units, 2, StateChange::Block::Units}}));
}

// Whether a reset is news depends on what it wrote, not on whether the table was published
// since the processor's whole state came.
TEST_F(UnitTest, AResetOfAnEmptyTableAfterTheWholeStateIsNoNews) {
    units.select_unit(2);
    stream.publish({StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All,
                    ChangeOrigin::FullStateRead});
    changes.clear();
    ASSERT_TRUE(units.reset_all_units());
    EXPECT_EQ(units.assign_slot(0, 0), UnitActions::Assignment::Stored);  // NULL held already
    EXPECT_TRUE(changes.empty());
    units.assign_slot(0, 5);
    EXPECT_EQ(
        changes,
        (std::vector<StateChange>{{StateChange::Scope::Units, 2, StateChange::Block::Units}}));
}

TEST_F(UnitTest, ProcessorButtonShowsFourListsAndNoCall) {
    state.system.unit_table[4] = 9;
    units.select_unit(0);
    const UnitPanel& p = units.panel();
    EXPECT_EQ(p.slot_shown, (std::array<bool, 5>{true, true, true, true, false}));
    EXPECT_EQ(p.slot_enabled, p.slot_shown);
    EXPECT_FALSE(p.call_shown);
    EXPECT_EQ(p.slot_index[4], 9);
    EXPECT_THROW(units.assign_slot(4, 3), std::invalid_argument);
    EXPECT_THROW(units.call_unit(), std::invalid_argument);
    EXPECT_TRUE(sink.sent.empty());

    units.select_unit(10);
    EXPECT_EQ(p.slot_shown, (std::array<bool, 5>{true, true, true, true, true}));
    EXPECT_TRUE(p.call_shown && p.call_enabled);
    EXPECT_EQ(p.lit_button, 10);
    units.call_unit();
    EXPECT_EQ(sink.frames, std::vector<std::string>{framed("%W,01,0A,")});
    state.system.connected = 0;
    units.call_unit();
    units.assign_slot(4, 80);
    EXPECT_EQ(slot(10, 4), 80);
    EXPECT_EQ(sink.sent.size(), 1u);
}

TEST_F(UnitTest, OnlyTheButtonsTheProcessorAllowsAreEnabled) {
    state.system.unit_extra = 1;
    units.show_units();
    const UnitPanel& p = units.panel();
    EXPECT_TRUE(p.buttons_shown);
    EXPECT_TRUE(p.button_enabled[0]);
    EXPECT_FALSE(p.button_enabled[1]);
    EXPECT_EQ(units.selected_unit(), 0);  // none was selected: the processor's button
    EXPECT_THROW(units.select_unit(1), std::invalid_argument);

    state.system.unit_extra = 0;
    units.show_units();
    EXPECT_EQ(units.selected_unit(), -1);
    EXPECT_EQ(p.slot_enabled, (std::array<bool, 5>{}));
    EXPECT_FALSE(p.call_enabled);
    EXPECT_THROW(units.assign_slot(0, 1), std::invalid_argument);
    EXPECT_THROW(units.select_unit(0), std::invalid_argument);

    state.system.unit_extra = 11;
    units.select_unit(7);
    state.system.unit_extra = 3;  // a processor allowing fewer buttons
    units.show_units();
    EXPECT_EQ(units.selected_unit(), 0);
}

TEST_F(UnitTest, ResetAsksFirstAndCancelChangesNothing) {
    state.system.unit_table[3] = 7;
    state.system.unit_table[60] = 42;  // beyond the eleven records
    units.select_unit(0);
    answers.answer = false;
    EXPECT_FALSE(units.reset_all_units());
    EXPECT_EQ(answers.asked, std::vector<std::string>{"Do you want to reset all wtu300 setting?"});
    EXPECT_EQ(slot(0, 3), 7);
    EXPECT_TRUE(sink.sent.empty());

    answers.answer = true;
    clock.set_wall(WallTime{2026, 12, 3, 9, 4, 5, 6, 0});
    EXPECT_TRUE(units.reset_all_units());
    EXPECT_EQ(slot(0, 3), 0);
    EXPECT_EQ(state.system.unit_table[60], 42);
    EXPECT_EQ(units.panel().slot_index[3], 0);
    EXPECT_EQ(state.system.last_report_at, clock.wall_now());
    ASSERT_EQ(sink.sent.size(), 11u);
    for (int r = 0; r < 11; ++r) {
        char body[32];
        std::snprintf(body, sizeof body, "%%X,01,%02X,FFFFFFFFFF,", r);
        EXPECT_EQ(sink.sent[static_cast<std::size_t>(r)].payload, framed(body));
        EXPECT_EQ(sink.sent[static_cast<std::size_t>(r)].gap, 110ms);
    }
}

TEST_F(UnitTest, CaptionsAndListItemsReadAsTheTabShowsThem) {
    EXPECT_EQ(UnitActions::button_caption(0), "KESTRA-V ");
    EXPECT_EQ(UnitActions::button_caption(1), "WTU-300-01");
    EXPECT_EQ(UnitActions::button_caption(10), "WTU-300-10");
    const std::pair<int, const char*> items[] = {
        {0, "NULL"}, {1, "CH01"}, {64, "CH64"}, {65, "M01"}, {72, "M08"}, {73, "D01"}, {80, "D08"}};
    for (auto [index, text] : items) {
        EXPECT_EQ(UnitActions::item_text(index), text);
        EXPECT_EQ(UnitActions::item_index(text), index);
    }
    EXPECT_FALSE(UnitActions::item_index("CH65"));
    EXPECT_THROW(units.assign_slot(0, 81), std::invalid_argument);  // nothing selected yet
}

}  // namespace
}  // namespace kestra
