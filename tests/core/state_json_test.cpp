#include <gtest/gtest.h>

#include "model/state_json.h"

namespace kestra {
namespace {

class StateJsonTest : public ::testing::Test {
protected:
    NameCodec codec;
    DeviceState state;
};

TEST_F(StateJsonTest, ShowsEveryRecordAndItsFields) {
    const auto j = StateJson::to_json(state, codec);
    ASSERT_EQ(j["inputs"].size(), 64u);
    ASSERT_EQ(j["outputs"].size(), 16u);
    const auto& in = j["inputs"][0];
    ASSERT_EQ(in["peq_band"].size(), 5u);
    EXPECT_EQ(in["peq_band"][0].size(), 4u);  // freq, gain, q, type; reserved words stay hidden
    EXPECT_EQ(in["peq_band"][2]["freq"], 1250);
    EXPECT_EQ(in["matrix_row"].size(), 16u);
    EXPECT_EQ(in["send_aux"].size(), 6u);
    EXPECT_EQ(in["reverb_delay"].size(), 4u);
    EXPECT_EQ(in["short_name"], "CH 01");
    const auto& out = j["outputs"][8];
    EXPECT_EQ(out["geq_band"].size(), 31u);
    EXPECT_EQ(out["geq_band"][0].size(), 3u);
    EXPECT_EQ(out["name"], "DANTE 1");
    const auto& sys = j["system"];
    EXPECT_EQ(sys["automix_cfg"].size(), 6u);
    EXPECT_EQ(sys["automix_hidden"].size(), 4u);
    EXPECT_EQ(sys["unit_table"].size(), 80u);
    for (const char* key :
         {"automix_sync", "device_text", "unit_extra", "connected", "connecting"}) {
        EXPECT_TRUE(sys.contains(key)) << key;
    }
}

TEST_F(StateJsonTest, RoundTripsAndKeepsMissingFields) {
    state.inputs[4].volume = 12;
    state.outputs[3].geq_band[7].gain = 201;
    state.system.unit_table[5] = 9;
    DeviceState other;
    StateJson::parse(StateJson::dump(state, codec), other, codec);
    EXPECT_EQ(other.inputs[4].volume, 12);
    EXPECT_EQ(other.outputs[3].geq_band[7].gain, 201);
    EXPECT_EQ(other.system.unit_table[5], 9);

    DeviceState partial;
    StateJson::parse(R"({"inputs":[{}, {"mute":1}], "system":{"automix_sync":1}})", partial, codec);
    EXPECT_EQ(partial.inputs[1].mute, 1);
    EXPECT_EQ(partial.inputs[1].volume, 70);
    EXPECT_EQ(partial.system.automix_sync, 1);
}

TEST_F(StateJsonTest, ErrorsNameTheFieldAndChangeNothing) {
    const DeviceState before = state;
    auto error_of = [&](const char* text) {
        try {
            StateJson::parse(text, state, codec);
        } catch (const StateJsonError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(error_of(R"({"inputs":[{"mute":1},{"volum":3}]})").find("inputs[1].volum"),
              std::string::npos);
    EXPECT_NE(error_of(R"({"inputs":[{"volume":"loud"}]})").find("inputs[0].volume"),
              std::string::npos);
    EXPECT_NE(error_of(R"({"inputs":[{"peq_band":[{},{},{"gain":1.5},{},{}]}]})")
                  .find("inputs[0].peq_band[2].gain"),
              std::string::npos);
    EXPECT_NE(error_of(R"({"inputs":[{"matrix_row":[1,2]}]})").find("matrix_row"),
              std::string::npos);
    std::string units = R"({"system":{"unit_table":[256)";
    for (int i = 1; i < 80; ++i) {
        units += ",0";
    }
    units += "]}}";
    EXPECT_NE(error_of(units.c_str()).find("system.unit_table[0]"), std::string::npos);
    EXPECT_NE(error_of(R"({"extra":1})").find("extra"), std::string::npos);
    EXPECT_NE(error_of("{nope").find("JSON"), std::string::npos);
    EXPECT_EQ(state, before);
}

TEST_F(StateJsonTest, NamesTravelAsUtf8AndAreCutAtCharacterBoundaries) {
    StateJson::parse(R"({"inputs":[{"short_name":"主席台"}]})", state, codec);
    EXPECT_EQ(state.inputs[0].short_name.str().size(), 6u);  // three CP936 characters
    EXPECT_EQ(StateJson::to_json(state, codec)["inputs"][0]["short_name"], "主席台");
    // Eight double-byte characters need 16 bytes; only seven fit the 15 available.
    StateJson::parse(R"({"inputs":[{"name":"一二三四五六七八"}]})", state, codec);
    EXPECT_EQ(state.inputs[0].name.str().size(), 14u);
    EXPECT_EQ(StateJson::to_json(state, codec)["inputs"][0]["name"], "一二三四五六七");
}

}  // namespace
}  // namespace kestra
