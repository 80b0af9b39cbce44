#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "action_fixture.h"
#include "history/change_journal.h"

namespace kestra {
namespace {

using namespace kestra::testing;

// Who wrote each change, with the client's name copied while it was being published.
class ChangeOriginTest : public ActionFixture {
protected:
    ChangeOriginTest() {
        origins_sub = stream.subscribe([this](const StateChange& c) {
            origins.emplace_back(c.origin, std::string(c.client));
        });
    }

    ActionContext& ctx = surface.context();
    std::vector<std::pair<ChangeOrigin, std::string>> origins;

private:
    Publisher<StateChange>::Subscription origins_sub;
};

TEST_F(ChangeOriginTest, ARemoteChangeNamesItsClientAndNestedScopesRestoreTheOuterOne) {
    {
        const ActionContext::OriginScope remote(ctx, ChangeOrigin::Remote, "desk-2");
        surface.strips.set_input_volume(1, 40);
        {
            const ActionContext::OriginScope typed(ctx, ChangeOrigin::TypedEntry, "ignored");
            surface.strips.set_input_volume(1, 41);
        }
        surface.strips.set_input_volume(1, 42);
    }
    surface.strips.set_input_volume(1, 43);
    using Origin = std::pair<ChangeOrigin, std::string>;
    EXPECT_EQ(origins, (std::vector<Origin>{{ChangeOrigin::Remote, "desk-2"},
                                            {ChangeOrigin::TypedEntry, ""},
                                            {ChangeOrigin::Remote, "desk-2"},
                                            {ChangeOrigin::Operator, ""}}));
}

TEST_F(ChangeOriginTest, UndoAndRedoWriteBackAsUndoNotAsARecall) {
    ChangeJournal journal{ctx};
    surface.strips.set_input_mute(2, 1);
    journal.settle();
    origins.clear();
    ASSERT_TRUE(journal.undo());
    ASSERT_TRUE(journal.redo());
    using Origin = std::pair<ChangeOrigin, std::string>;
    EXPECT_EQ(origins, (std::vector<Origin>{{ChangeOrigin::Undo, ""}, {ChangeOrigin::Undo, ""}}));
}

// The bypass keeps the block it flattened; an undo that brings the block back in another form
// took the bypass away, or the next BYPASS would put the stale block back.
TEST_F(ChangeOriginTest, AnUndoThatTakesTheBypassAwayForgetsTheSavedBlock) {
    ChangeJournal journal{ctx};
    surface.peq.set_band_gain(1, 0, 160, SliderCommit::Released);
    journal.settle();
    surface.peq.toggle_bypass(1);
    journal.settle();
    ASSERT_TRUE(surface.peq.bypassed(1));
    ASSERT_TRUE(journal.undo());
    EXPECT_EQ(state.input(1).peq_band[0].gain, 160);
    EXPECT_FALSE(surface.peq.bypassed(1));
}

}  // namespace
}  // namespace kestra
