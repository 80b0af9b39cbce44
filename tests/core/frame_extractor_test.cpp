#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/frame_builder.h"
#include "protocol/frame_extractor.h"

namespace kestra {
namespace {

constexpr const char* kProbe = "%R,01,04,F0A2#";

class FrameExtractorTest : public ::testing::Test {
protected:
    int feed(std::string_view datagram) {
        return extractor.feed(datagram, [this](std::string_view f) { frames.emplace_back(f); });
    }
    FrameExtractor extractor;
    std::vector<std::string> frames;
};

TEST_F(FrameExtractorTest, AcceptsValidFramesAndDropsBadOnes) {
    EXPECT_EQ(feed(kProbe), 1);
    EXPECT_EQ(feed("%R,01,04,f0a2#"), 0);  // lower-case checksum
    EXPECT_EQ(feed("%A,1234#"), 0);        // 8 characters: no checksum test
    EXPECT_EQ(feed("%R,01,04,F0A3#"), 0);
    EXPECT_EQ(frames, std::vector<std::string>{kProbe});
}

TEST_F(FrameExtractorTest, SplitsSeveralFramesAndJoinsSplitOnes) {
    EXPECT_EQ(feed("%R,01,04,F0A2#%R,01,04,F0A2#"), 2);
    EXPECT_EQ(feed("%R,01,0"), 0);
    EXPECT_EQ(extractor.pending(), "%R,01,0");
    EXPECT_EQ(feed("4,F0A2#"), 1);
    EXPECT_EQ(frames.size(), 3u);
    EXPECT_TRUE(extractor.pending().empty());
}

TEST_F(FrameExtractorTest, DiscardsStrayTextAndFramesThatLostTheirTail) {
    EXPECT_EQ(feed("xyz#%R,01,04,F0A2#"), 1);
    EXPECT_EQ(feed("%R,0%R,01,04,F0A2#"), 1);
    // Repeated lost tails still find the frame that follows them.
    EXPECT_EQ(feed("%Q,0%Z,01%R,01,04,F0A2#"), 1);
    EXPECT_EQ(frames, (std::vector<std::string>{kProbe, kProbe, kProbe}));
    EXPECT_EQ(feed("garbage#"), 0);
    EXPECT_EQ(feed(kProbe), 1);
}

TEST_F(FrameExtractorTest, KeepsTinyDatagramsInsteadOfLosingThem) {
    EXPECT_EQ(feed("%R"), 0);
    EXPECT_EQ(feed(",01,04,F0A2#"), 1);
}

TEST_F(FrameExtractorTest, TextStopsAtTheFirstNul) {
    std::string datagram = std::string(kProbe) + '\0' + kProbe;
    EXPECT_EQ(feed(datagram), 1);
}

TEST_F(FrameExtractorTest, RoutesMoreThan128FramesInOneDatagram) {
    std::string datagram;
    for (int i = 0; i < 150; ++i) {
        datagram += kProbe;
    }
    EXPECT_EQ(feed(datagram), 150);
    EXPECT_EQ(frames.size(), 150u);
}

TEST_F(FrameExtractorTest, AcceptsAFrameLongerThanTheOldWorkArea) {
    FrameBuilder b('Z');
    b.hex2(1);
    b.field(std::string(7000, '4'));
    const std::string frame = b.finish();
    ASSERT_GT(frame.size(), 5120u);
    for (std::size_t off = 0; off < frame.size(); off += 2048) {
        feed(std::string_view(frame).substr(off, 2048));
    }
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], frame);
}

TEST_F(FrameExtractorTest, PendingTextIsCappedAgainstAPeerThatNeverEnds) {
    const std::string chunk(2000, 'A');
    feed("%");
    for (int i = 0; i < 100; ++i) {
        feed(chunk);
        ASSERT_LE(extractor.pending().size(), FrameExtractor::kPendingCap);
    }
    // After the runaway text a good frame still gets through.
    EXPECT_EQ(feed(std::string("#") + kProbe), 1);
    EXPECT_EQ(frames.back(), kProbe);
}

TEST_F(FrameExtractorTest, CapKeepsTheTextFromTheLastStart) {
    feed(std::string(FrameExtractor::kPendingCap, 'x'));
    feed("%R,01,0");
    EXPECT_EQ(extractor.pending(), "%R,01,0");
    EXPECT_EQ(feed("4,F0A2#"), 1);
}

}  // namespace
}  // namespace kestra
