#include <gtest/gtest.h>

#include "mix_fixture.h"

namespace kestra {
namespace {

using testing::framed_fields;

class RoutingActionsTest : public testing::MixFixture {
protected:
    RoutingActions& routing = surface.routing;
};

TEST_F(RoutingActionsTest, OneRouteChangesOneFlagAndSendsOneRow) {
    go_online();
    routing.show(11);
    routing.toggle_route(2);
    auto expected = std::array<int32_t, 16>{};
    expected[2] = 1;
    EXPECT_EQ(state.input(11).matrix_row, expected);
    EXPECT_EQ(payloads(), (std::vector<std::string>{framed_fields("B,01,0C,0010000000000000")}));
    routing.toggle_route(2);
    EXPECT_EQ(state.input(11).matrix_row, (std::array<int32_t, 16>{}));
    EXPECT_THROW(routing.toggle_route(16), std::invalid_argument);
}

TEST_F(RoutingActionsTest, AllOpenCloseAlternatesWhateverTheRoutes) {
    go_online();
    routing.show(63);
    routing.set_route(63, 15, 1);
    routing.toggle_all();
    EXPECT_TRUE(routing.all_open());
    routing.toggle_all();
    EXPECT_EQ(payloads(), (std::vector<std::string>{framed_fields("B,01,40,0000000000000001"),
                                                    framed_fields("B,01,40,1111111111111111"),
                                                    framed_fields("B,01,40,0000000000000000")}));
    // The toggle stays with the page, not with the channel.
    routing.show(0);
    routing.toggle_all();
    EXPECT_TRUE(routing.all_open());
    EXPECT_EQ(state.input(0).matrix_row[7], 1);
}

TEST_F(RoutingActionsTest, MatrixLinkCopiesTheRouteToOtherMembersOnly) {
    make_active_group(0, {20, 3, 11}, false, {kLinkMatrix});
    state.input(3).matrix_row[0] = 1;
    go_online();
    forget();
    routing.show(11);
    routing.toggle_route(5);
    EXPECT_EQ(payloads(), (std::vector<std::string>{framed_fields("B,01,0C,0000010000000000"),
                                                    framed_fields("B,01,04,1000010000000000"),
                                                    framed_fields("B,01,15,0000010000000000")}));
    routing.toggle_all();
    EXPECT_EQ(state.input(3).matrix_row, state.input(11).matrix_row);
    EXPECT_EQ(changes.back(), (StateChange{Scope::Input, 20, Block::Matrix}));

    forget();
    make_active_group(1, {40, 41}, false, {kLinkVol});
    routing.set_route(40, 0, 1);
    EXPECT_EQ(payloads().size(), 1u);
    EXPECT_EQ(state.input(41).matrix_row[0], 0);
}

// A route copied to members that hold it already is news only where it changed a row.
TEST_F(RoutingActionsTest, ARouteIsPublishedOnlyForTheRowsItChanged) {
    make_active_group(0, {20, 3, 11}, false, {kLinkMatrix});
    state.input(3).matrix_row[5] = 1;  // as the processor's state has it
    stream.publish(
        {Scope::Everything, StateChange::kEvery, Block::All, ChangeOrigin::FullStateRead});
    forget();
    routing.set_route(11, 5, 1);
    EXPECT_EQ(state.input(20).matrix_row[5], 1);
    EXPECT_EQ(changes, (std::vector<StateChange>{{Scope::Input, 11, Block::Matrix},
                                                 {Scope::Input, 20, Block::Matrix}}));
    forget();
    routing.set_route(3, 5, 1);  // every member holds it
    EXPECT_TRUE(changes.empty());
}

TEST_F(RoutingActionsTest, ScriptedMatrixRowIsCheckedBeforeAnythingChanges) {
    surface.commit_field(FieldTarget::Input, 5, *FieldPath::parse("matrix_row[8]"), 1);
    EXPECT_EQ(state.input(5).matrix_row[8], 1);
    EXPECT_TRUE(sink.sent.empty());  // offline
    for (const char* bad : {"matrix_row[16]", "matrix_row"}) {
        EXPECT_THROW(surface.commit_field(FieldTarget::Input, 5, *FieldPath::parse(bad), 1),
                     std::invalid_argument)
            << bad;
    }
    EXPECT_THROW(surface.commit_field(FieldTarget::Input, 5, *FieldPath::parse("matrix_row[1]"), 2),
                 std::invalid_argument);
    EXPECT_THROW(
        surface.commit_field(FieldTarget::Output, 5, *FieldPath::parse("matrix_row[1]"), 1),
        std::invalid_argument);
    auto expected = std::array<int32_t, 16>{};
    expected[8] = 1;
    EXPECT_EQ(state.input(5).matrix_row, expected);
}

}  // namespace
}  // namespace kestra
