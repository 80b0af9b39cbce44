#include <gtest/gtest.h>

#include "actions/active_groups.h"
#include "params/field_path.h"
#include "text/channel_name_rule.h"

namespace kestra {
namespace {

TEST(FieldPath, ParsesPlainIndexedAndMemberNames) {
    EXPECT_EQ(FieldPath::parse("volume"), (FieldPath{"volume", -1, ""}));
    EXPECT_EQ(FieldPath::parse("matrix_row[3]"), (FieldPath{"matrix_row", 3, ""}));
    EXPECT_EQ(FieldPath::parse("peq_band[1].gain"), (FieldPath{"peq_band", 1, "gain"}));
    EXPECT_EQ(FieldPath::parse("geq_band[30].gain")->str(), "geq_band[30].gain");
    for (const char* bad : {"", "1abc", "a[]", "a[x]", "a[1", "a[1]b", "a[1].", "a[12345]", "a b",
                            "[1].gain", "a[-1]"}) {
        EXPECT_FALSE(FieldPath::parse(bad)) << bad;
    }
}

TEST(ActiveGroups, ActivationGivesMembersTheirPeersAndColour) {
    ControlGroup g;
    g.input_member[2] = g.input_member[0] = g.input_member[7] = 1;
    g.member_count = 3;
    g.link[kLinkVol] = 1;
    ActiveGroups groups;
    groups.activate(1, g);
    EXPECT_EQ(groups.input_peers(2, kLinkVol), (std::vector<int>{0, 7}));
    EXPECT_TRUE(groups.input_peers(2, kLinkPriority).empty());
    EXPECT_TRUE(groups.input_peers(3, kLinkVol).empty());
    EXPECT_EQ(groups.input_frame(7), (Rgb{40, 210, 112}));
    EXPECT_EQ(groups.input_frame(3), ActiveGroups::kInputFrame);

    // Links changed after activation do not reach the strips' copies.
    g.link[kLinkPriority] = 1;
    EXPECT_TRUE(groups.input_peers(0, kLinkPriority).empty());

    groups.deactivate(1, g);
    EXPECT_TRUE(groups.input_peers(2, kLinkVol).empty());
    EXPECT_EQ(groups.input_frame(7), ActiveGroups::kInputFrame);
    EXPECT_FALSE(groups.input(0).enabled);
}

TEST(ChannelNameRule, CountsCharactersNotBytes) {
    EXPECT_TRUE(channel_name_fits(""));
    EXPECT_TRUE(channel_name_fits("ABCDEFGH"));
    EXPECT_FALSE(channel_name_fits("ABCDEFGHI"));
    EXPECT_TRUE(channel_name_fits("主席台麦克风一二"));  // 8 characters, 24 bytes
    EXPECT_FALSE(channel_name_fits("主席台麦克风一二三"));
}

}  // namespace
}  // namespace kestra
