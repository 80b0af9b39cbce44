#include <gtest/gtest.h>

#include "model/byte_io.h"
#include "model/state_image.h"

namespace kestra {
namespace {

int32_t word_at(const std::vector<uint8_t>& img, std::size_t off) {
    return byte_io::get_i32(img, off);
}

TEST(StateImage, HasTheExactSizes) {
    DeviceState s;
    EXPECT_EQ(StateImage::encode(s).size(), 68276u);
    EXPECT_EQ(StateImage::encode_scene(s).size(), 71236u);
    EXPECT_EQ(GroupTables::kImageSize, 4u * 344 + 4u * 396);
}

TEST(StateImage, PutsFieldsAtTheirImageOffsets) {
    DeviceState s;
    InputChannel& in3 = s.inputs[2];
    in3.peq_band[1].freq = 1111;
    in3.peq_band[1].type = 2;
    in3.peq_on = 5;
    in3.mute = 1;
    in3.volume = 42;
    in3.matrix_row[15] = 7;
    in3.send_aux[5] = -3;
    in3.reverb_lpf = 99;
    in3.index = 2;
    OutputChannel& out10 = s.outputs[9];
    out10.geq_band[30].gain = 222;
    out10.geq_on = 1;
    out10.mute = 1;
    out10.volume = 17;
    out10.lim_ratio = 33;
    s.system.automix_cfg[5] = 1;
    s.system.automix_cfg[1] = 12;
    s.system.automix_hidden[3] = 4;
    s.system.automix_sync = 1;
    s.system.device_text.assign("V1.2");
    s.system.unit_table[79] = 0xAB;
    s.system.unit_extra = 6;
    s.system.connected = 1;
    s.system.connecting = 1;
    s.system.last_report_at.hour = 13;
    s.system.last_report_at.second = 59;

    const auto img = StateImage::encode(s);
    const std::size_t in = 4 + 2 * 608;
    EXPECT_EQ(word_at(img, in + 24), 1111);  // band 2 freq
    EXPECT_EQ(word_at(img, in + 24 + 20), 2);
    EXPECT_EQ(word_at(img, in + 240), 5);
    EXPECT_EQ(word_at(img, in + 292), 1);
    EXPECT_EQ(word_at(img, in + 304), 42);
    EXPECT_EQ(word_at(img, in + 408 + 60), 7);
    EXPECT_EQ(word_at(img, in + 492 + 20), -3);
    EXPECT_EQ(word_at(img, in + 568), 99);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[in + 572])), "CH 03");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[in + 588])), "CH 3");
    EXPECT_EQ(word_at(img, in + 604), 2);
    const std::size_t out = 48644 + 9 * 856;
    EXPECT_EQ(word_at(img, out + 30 * 24 + 4), 222);
    EXPECT_EQ(word_at(img, out + 744), 1);
    EXPECT_EQ(word_at(img, out + 756), 1);
    EXPECT_EQ(word_at(img, out + 764), 17);
    EXPECT_EQ(word_at(img, out + 816), 33);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[out + 820])), "D 2");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[out + 836])), "DANTE 2");
    EXPECT_EQ(word_at(img, out + 852), 9);
    EXPECT_EQ(word_at(img, 65772), 12);
    EXPECT_EQ(word_at(img, 65804), 1);
    EXPECT_EQ(word_at(img, 65812 + 12), 4);
    EXPECT_EQ(word_at(img, 65828), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[65832])), "V1.2");
    EXPECT_EQ(img[65848 + 79], 0xAB);
    EXPECT_EQ(word_at(img, 65928), 6);
    EXPECT_EQ(img[68232], 1);
    EXPECT_EQ(img[68240], 1);
    EXPECT_EQ(byte_io::get_u16(img, 68258 + 8), 13);
    EXPECT_EQ(byte_io::get_u16(img, 68258 + 12), 59);
    // Slot 65 and the leading word carry nothing by default.
    EXPECT_EQ(word_at(img, 0), 0);
    EXPECT_EQ(word_at(img, 4 + 64 * 608 + 304), 0);
}

TEST(StateImage, RoundTripsEveryByteIncludingUnnamedOnes) {
    std::vector<uint8_t> img(68276);
    for (std::size_t i = 0; i < img.size(); ++i) {
        img[i] = static_cast<uint8_t>(i * 31 + 7);
    }
    DeviceState s;
    ASSERT_TRUE(StateImage::decode(img, s));
    EXPECT_EQ(StateImage::encode(s), img);
    DeviceState t;
    ASSERT_TRUE(StateImage::decode(StateImage::encode(s), t));
    EXPECT_EQ(s, t);
}

TEST(StateImage, RejectsWrongSizesWithoutTouchingTheState) {
    DeviceState s;
    s.inputs[0].volume = 5;
    const DeviceState before = s;
    std::vector<uint8_t> short_image(68275, 0xFF);
    EXPECT_FALSE(StateImage::decode(short_image, s));
    std::vector<uint8_t> short_scene(71235, 0xFF);
    EXPECT_FALSE(StateImage::decode_scene(short_scene, s));
    EXPECT_EQ(s, before);
}

TEST(SceneFile, CarriesTheGroupRecordsAfterTheImage) {
    DeviceState s;
    s.groups.mute[1].input_member[2] = 1;
    s.groups.mute[3].output_member[15] = 1;
    s.groups.mute[0].trailer[23] = 0x5A;
    ControlGroup& c = s.groups.control[2];
    c.input_member[63] = 1;
    c.member_count = 1;
    c.link[kLinkDelay] = 1;
    c.name.assign("Podium");
    const auto scene = StateImage::encode_scene(s);
    EXPECT_EQ(word_at(scene, 68276 + 344 + 8), 1);
    EXPECT_EQ(word_at(scene, 68276 + 3 * 344 + 256 + 60), 1);
    EXPECT_EQ(scene[68276 + 343], 0x5A);
    const std::size_t c3 = 69652 + 2 * 396;
    EXPECT_EQ(word_at(scene, c3 + 63 * 4), 1);
    EXPECT_EQ(word_at(scene, c3 + 320), 1);
    EXPECT_EQ(word_at(scene, c3 + 324 + 13 * 4), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&scene[c3 + 380])), "Podium");

    DeviceState t;
    ASSERT_TRUE(StateImage::decode_scene(scene, t));
    EXPECT_EQ(t.groups, s.groups);
    EXPECT_EQ(StateImage::encode_scene(t), scene);
}

}  // namespace
}  // namespace kestra
