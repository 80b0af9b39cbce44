#include <gtest/gtest.h>

#include <algorithm>

#include "action_fixture.h"
#include "recall/preset_recall_target.h"

namespace kestra {
namespace {

class PresetRecallTest : public testing::ActionFixture {
protected:
    EditorRecallTarget target{surface.peq, surface.geq, surface.compressor, surface.limiter};

    int frames_starting(const std::string& head) const {
        return static_cast<int>(
            std::count_if(sink.frames.begin(), sink.frames.end(),
                          [&](const std::string& f) { return f.rfind(head, 0) == 0; }));
    }
};

TEST_F(PresetRecallTest, RecalledPeqReachesTheChannelAndItsEqLinkedMembers) {
    group_inputs({0, 3, 40}, kLinkEq);
    state.input(0).peq_band[1].gain = 222;
    state.input(0).hpf_on = 1;
    target.block_recalled(PresetTable::Peq, 0);

    // The member takes the whole block; the one above 32 in the state only.
    EXPECT_EQ(state.input(3).peq_band[1].gain, 222);
    EXPECT_EQ(state.input(3).hpf_on, 1);
    EXPECT_EQ(state.input(40).peq_band[1].gain, 222);
    EXPECT_EQ(frames_starting("%G,01,01,"), 4);
    EXPECT_EQ(frames_starting("%G,01,04,"), 4);
    EXPECT_EQ(frames_starting("%G,01,29,"), 0);
    EXPECT_EQ(frames_starting("%E,01,04,"), 1);
    EXPECT_EQ(frames_starting("%F,01,04,"), 1);
}

TEST_F(PresetRecallTest, RecalledLimiterFollowsTheLimitLinkAndNoiseSendsNothing) {
    group_outputs({2, 9}, kLinkLimit);
    state.output(2).lim_threshold = 44;
    target.block_recalled(PresetTable::Limit, 2);
    EXPECT_EQ(state.output(9).lim_threshold, 44);
    EXPECT_EQ(frames_starting("%D,01,03,"), 1);
    EXPECT_EQ(frames_starting("%D,01,0A,"), 1);

    sink.clear();
    target.block_recalled(PresetTable::Noise, 0);
    EXPECT_TRUE(sink.frames.empty());
}

}  // namespace
}  // namespace kestra
