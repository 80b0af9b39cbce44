#include "protocol/frame_batch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/device_state.h"
#include "protocol/frame_builder.h"
#include "protocol/reply_decoder.h"
#include "protocol/reply_encoder.h"

namespace kestra {
namespace {

DeviceState with_volumes(int volume) {
    DeviceState s;
    for (InputChannel& in : s.inputs) {
        in.volume = volume;
    }
    for (OutputChannel& out : s.outputs) {
        out.volume = volume;
    }
    return s;
}

std::string faders(int volume) {
    return encode_faders(with_volumes(volume));
}

std::string levels(int level) {
    DeviceState s;
    for (InputChannel& in : s.inputs) {
        in.level = level;
    }
    return encode_levels(s, 0);
}

// What the owner does with a batch: every frame in order.
DeviceState applied(const std::vector<std::string>& frames) {
    DeviceState s;
    for (const std::string& f : frames) {
        // An echo carries nothing; each report is taken by its own decoder.
        static_cast<void>(decode_full_state(f, s) || decode_levels(f, s) || decode_faders(f, s));
    }
    return s;
}

TEST(FrameBatchTest, OnlyTheLatestLevelAndFaderReportStayAndTheOthersKeepTheirOrder) {
    const std::string echo = encode_frame('G', {"01"});
    const std::string full = encode_full_state(with_volumes(30));
    const std::vector<std::string> arrived = {faders(10), levels(5), full,      echo,
                                              faders(20), levels(9), faders(40)};
    FrameBatch batch;
    for (const std::string& f : arrived) {
        EXPECT_TRUE(batch.push(f));
    }
    EXPECT_EQ(batch.frames(), (std::vector<std::string>{full, echo, levels(9), faders(40)}));
    EXPECT_EQ(batch.counts().replaced, 3u);
    EXPECT_EQ(batch.counts().taken, arrived.size());
    // The newer report goes where it arrived, so a whole-state read before it cannot undo it.
    const DeviceState in_order = applied(arrived);
    const DeviceState from_batch = applied(batch.frames());
    EXPECT_EQ(from_batch.inputs[0].volume, 40);
    EXPECT_EQ(from_batch.inputs[7].level, in_order.inputs[7].level);
    for (std::size_t k = 0; k < kOutputCount; ++k) {
        EXPECT_EQ(from_batch.outputs[k].volume, in_order.outputs[k].volume) << k;
    }
}

TEST(FrameBatchTest, AFloodOfReportsHoldsOneOfEachKind) {
    FrameBatch batch;
    const std::string p = faders(12);
    const std::string q = levels(3);
    for (int i = 0; i < 100000; ++i) {
        batch.push(i % 2 == 0 ? p : q);
    }
    EXPECT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch.bytes(), p.size() + q.size());
    EXPECT_EQ(batch.counts().replaced, 100000u - 2u);
    EXPECT_EQ(batch.counts().refused, 0u);
}

TEST(FrameBatchTest, OtherFramesAreBoundedInCountAndBytes) {
    FrameBatch batch;
    const std::string echo = encode_frame('G', {"01"});
    for (std::size_t i = 0; i < FrameBatch::kMaxFrames + 10; ++i) {
        batch.push(echo);
    }
    EXPECT_EQ(batch.size(), FrameBatch::kMaxFrames);
    EXPECT_EQ(batch.counts().refused, 10u);
    // A report with no older one to replace is refused like any other frame...
    EXPECT_FALSE(batch.push(faders(1)));
    EXPECT_EQ(batch.size(), FrameBatch::kMaxFrames);

    FrameBatch big;
    const std::string full = encode_full_state(DeviceState{});
    std::size_t kept = 0;
    for (std::size_t i = 0; i < 2 * FrameBatch::kMaxBytes / full.size(); ++i) {
        kept += big.push(full) ? 1 : 0;
    }
    EXPECT_EQ(kept, FrameBatch::kMaxBytes / full.size());
    EXPECT_LE(big.bytes(), FrameBatch::kMaxBytes);
    EXPECT_GT(big.counts().refused, 0u);
}

TEST(FrameBatchTest, AFullBatchStillTakesANewerReportInPlaceOfTheOlder) {
    FrameBatch batch;
    EXPECT_TRUE(batch.push(faders(1)));
    const std::string echo = encode_frame('G', {"01"});
    while (batch.push(echo)) {
    }
    ASSERT_EQ(batch.size(), FrameBatch::kMaxFrames);
    EXPECT_TRUE(batch.push(faders(2)));
    EXPECT_EQ(batch.size(), FrameBatch::kMaxFrames);
    EXPECT_EQ(batch.frames().back(), faders(2));
    EXPECT_EQ(batch.frames().front(), echo);
}

TEST(FrameBatchTest, TakingPartLeavesTheRestInOrderAndCounted) {
    FrameBatch batch;
    std::vector<std::string> sent;
    for (int i = 0; i < 5; ++i) {
        sent.push_back(encode_frame('G', {"0" + std::to_string(i)}));
        batch.push(sent.back());
    }
    EXPECT_EQ(batch.take(2), (std::vector<std::string>{sent[0], sent[1]}));
    EXPECT_EQ(batch.frames(), (std::vector<std::string>{sent[2], sent[3], sent[4]}));
    EXPECT_EQ(batch.bytes(), sent[2].size() + sent[3].size() + sent[4].size());
    EXPECT_EQ(batch.take().size(), 3u);
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(batch.bytes(), 0u);
    EXPECT_EQ(batch.counts().taken, 5u);
}

}  // namespace
}  // namespace kestra
