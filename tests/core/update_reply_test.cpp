#include <gtest/gtest.h>

#include <string>

#include "model/device_state.h"
#include "protocol/reply_encoder.h"
#include "protocol/update_reply.h"

namespace kestra {
namespace {

TEST(UpdateCompletion, ResultFieldDecidesAndTheReportIsCutAtItsEnd) {
    const auto ok = find_update_completion("%Y,01,B1C0#%U,01,00,1234#garbage");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->ok);
    EXPECT_EQ(ok->text, "%U,01,00,1234#");

    const auto failed = find_update_completion("%U,01,05,ABCD#");
    ASSERT_TRUE(failed);
    EXPECT_FALSE(failed->ok);
    EXPECT_EQ(failed->text, "%U,01,05,ABCD#");
}

TEST(UpdateCompletion, OnlyADecimalZeroIsSuccess) {
    for (const char* bad :
         {"%U,01,0A,1234#", "%U,01,,1234#", "%U,01#", "%U", "%U,01,-0,1#", "%U,01,12,0000#"}) {
        const auto r = find_update_completion(bad);
        ASSERT_TRUE(r) << bad;
        EXPECT_FALSE(r->ok) << bad;
    }
    // A one-digit zero is still a zero; a report cut short keeps what came.
    EXPECT_TRUE(find_update_completion("%U,01,0,1234#")->ok);
    EXPECT_EQ(find_update_completion("xx%U,01,00")->text, "%U,01,00");
    EXPECT_TRUE(find_update_completion("xx%U,01,00")->ok);
    EXPECT_FALSE(find_update_completion("%Y,01,00,1234#"));
    EXPECT_FALSE(find_update_completion(""));
}

TEST(UpdateReplyText, KeepsTextUpToEachNulAndAtMost256Characters) {
    UpdateReplyText t;
    t.append(std::string("%Y,01,\0\0junk", 12));
    EXPECT_EQ(t.str(), "%Y,01,");
    t.append(std::string(300, 'a'));
    EXPECT_EQ(t.str().size(), 256u);
    t.append("%S");  // beyond the capacity: read and dropped
    EXPECT_FALSE(t.contains("%S"));
    EXPECT_TRUE(t.contains("%Y"));
}

TEST(UpdateVersion, ComesFromTheDeviceTextOfAValidFullState) {
    DeviceState s;
    s.reset_defaults();
    s.system.device_text.assign("23");
    const std::string frame = encode_full_state(s);
    EXPECT_EQ(version_from_full_state(frame), "23");

    std::string broken = frame;
    broken[3] = broken[3] == '0' ? '1' : '0';
    EXPECT_FALSE(version_from_full_state(broken));
    EXPECT_FALSE(version_from_full_state("%Y,01,F143#"));
}

TEST(UpdateVersion, ShownAsTenthsOfItsNumber) {
    EXPECT_EQ(format_version("23"), "2.3");
    EXPECT_EQ(format_version("00"), "0.0");
    EXPECT_EQ(format_version("105"), "10.5");
    EXPECT_EQ(format_version(""), "0.0");
    EXPECT_EQ(format_version("V1"), "0.0");
    EXPECT_EQ(format_version("nan"), "0.0");
}

}  // namespace
}  // namespace kestra
