#include <gtest/gtest.h>

#include "protocol/command_encoder.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "protocol/frame_extractor.h"
#include "simulated_processor.h"

namespace kestra {
namespace {

using sim::SimulatedProcessor;

std::vector<std::string> deliver(SimulatedProcessor& sim, const DatagramList& datagrams) {
    FrameExtractor ex;
    std::vector<std::string> replies;
    for (const Datagram& d : datagrams) {
        ex.feed(d.payload, [&](std::string_view f) {
            for (auto& r : sim.on_frame(f)) {
                replies.push_back(r);
            }
        });
    }
    return replies;
}

std::vector<uint8_t> image_of(std::size_t n) {
    std::vector<uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        v[i] = static_cast<uint8_t>(i * 13 + 1);
    }
    return v;
}

// Sends the whole image the way the controller does; the answers, in order.
std::vector<std::string> transfer(SimulatedProcessor& sim, const std::vector<uint8_t>& image,
                                  int target) {
    std::vector<std::string> answers = deliver(sim, encode_update_start(target, image.size()));
    for (std::size_t k = 0; k < update_block_count(image.size()); ++k) {
        const int b = static_cast<int>(k);
        for (auto& a : deliver(sim, encode_update_block(target, b, update_block_data(image, b)))) {
            answers.push_back(a);
        }
    }
    return answers;
}

TEST(SimulatedFirmware, TakesTheImageWithItsChecksumAndOwesAZeroResult) {
    SimulatedProcessor sim;
    const auto image = image_of(2047);
    const auto answers = transfer(sim, image, 0);
    ASSERT_EQ(answers.size(), 4u);  // "%S" and one "%Y" per block
    EXPECT_EQ(answers[0].rfind("%S,01,", 0), 0u);
    EXPECT_EQ(answers[3].rfind("%Y,01,02,", 0), 0u);
    for (const auto& a : answers) {
        EXPECT_TRUE(frame_is_valid(a)) << a;
    }
    const auto received = sim.firmware().take_image();
    ASSERT_TRUE(received);
    EXPECT_EQ(received->target, 0);
    ASSERT_EQ(received->stream.size(), 2049u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), received->stream.begin()));
    EXPECT_TRUE(received->checksum_ok);
    EXPECT_TRUE(received->padding_ok);
    const auto report = sim.firmware().take_report();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->substr(0, 9), "%U,01,00,");
    EXPECT_FALSE(sim.firmware().take_report());
}

TEST(SimulatedFirmware, ABlockOutOfOrderOrForAnotherTargetGetsNoAnswer) {
    SimulatedProcessor sim;
    const auto image = image_of(3000);
    ASSERT_EQ(deliver(sim, encode_update_start(1, image.size())).size(), 1u);
    EXPECT_TRUE(deliver(sim, encode_update_block(1, 1, update_block_data(image, 1))).empty());
    EXPECT_TRUE(deliver(sim, encode_update_block(0, 0, update_block_data(image, 0))).empty());
    EXPECT_EQ(deliver(sim, encode_update_block(1, 0, update_block_data(image, 0))).size(), 1u);
}

TEST(SimulatedFirmware, WrongChecksumIsReportedAsAFailedResult) {
    SimulatedProcessor sim;
    auto image = image_of(1000);
    deliver(sim, encode_update_start(1, image.size()));
    std::vector<uint8_t> block = update_block_data(image, 0);
    block[1000] ^= 0xFF;
    ASSERT_EQ(deliver(sim, encode_update_block(1, 0, block)).size(), 1u);
    EXPECT_FALSE(sim.firmware().take_image()->checksum_ok);
    EXPECT_EQ(sim.firmware().take_report()->substr(0, 9), "%U,01,01,");
}

TEST(SimulatedFirmware, AStartWhoseBlockCountDisagreesWithItsLengthIsIgnored) {
    SimulatedProcessor sim;
    // Announcing ceil(length / 1024) is the rule; 2048 bytes are two blocks, not three.
    const std::string three = FrameBuilder('S').hex2(1).dec(1).hex2(3).hex5(2048).finish();
    ASSERT_TRUE(frame_is_valid(three));
    EXPECT_TRUE(sim.on_frame(three).empty());
    const std::string frame = encode_update_start(1, 2048).front().payload;
    EXPECT_EQ(sim.on_frame(frame).size(), 1u);
}

}  // namespace
}  // namespace kestra
