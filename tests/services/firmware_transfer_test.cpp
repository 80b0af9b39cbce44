#include <gtest/gtest.h>

#include <cstdio>

#include "firmware/firmware_transfer.h"
#include "model/device_state.h"
#include "protocol/reply_encoder.h"
#include "scripted_processor.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;
using testing::framed;
using testing::ScriptedProcessor;
using Reply = ScriptedProcessor::Reply;

std::vector<uint8_t> pattern(std::size_t n, uint8_t seed) {
    std::vector<uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<uint8_t>(i * 31 + seed + (i >> 8));
    }
    return out;
}

// What must travel: the image, its checksum high byte first, zeros up to a full block.
std::vector<uint8_t> stream_of(const std::vector<uint8_t>& image) {
    const uint16_t crc = frame_crc16(reinterpret_cast<const char*>(image.data()), image.size());
    std::vector<uint8_t> s = image;
    s.push_back(static_cast<uint8_t>(crc >> 8));
    s.push_back(static_cast<uint8_t>(crc & 0xFF));
    s.resize((s.size() + 1023) / 1024 * 1024, 0);
    return s;
}

std::string block_frame(int target, int block, const std::vector<uint8_t>& stream) {
    char head[32];
    std::snprintf(head, sizeof head, "%%T,01,%d,%02X,", target, block);
    std::string body = head;
    for (std::size_t i = 0; i < 1024; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X", stream[static_cast<std::size_t>(block) * 1024 + i]);
        body += b;
    }
    return framed(body + ",");
}

std::string version_answer(const char* version) {
    DeviceState s;
    s.reset_defaults();
    s.system.device_text.assign(version);
    return encode_full_state(s);
}

// A processor as the transfer expects it, with switches for each way it can let it down.
struct Peer {
    bool answers_version = true;
    bool answers_start = true;
    int silent_block = -1;  // no "%Y" for this block
    bool reports_end = true;
    bool end_beside_last_answer = false;
    std::string result = "00";
    std::chrono::milliseconds end_delay = 300ms;

    std::size_t expected_bytes = 0;
    std::size_t blocks = 0;

    std::vector<Reply> operator()(const std::string& frame) {
        const char letter = frame[1];
        if (letter == 'Z') {
            if (!answers_version) {
                return {};
            }
            return {{version_answer("23"), 2ms}, {"%Y,01,stale-connection-reply#", 3ms}};
        }
        if (letter == 'S') {
            std::vector<std::string> fields;
            for (std::size_t at = 0, comma; (comma = frame.find(',', at)) != std::string::npos;
                 at = comma + 1) {
                fields.push_back(frame.substr(at, comma - at));
            }
            const std::size_t length = std::stoul(fields.at(4), nullptr, 16);
            expected_bytes = length + 2;
            blocks = 0;
            return answers_start ? std::vector<Reply>{{framed("%S,01,"), 5ms}}
                                 : std::vector<Reply>{};
        }
        if (letter == 'T') {
            const int block = static_cast<int>(blocks++);
            if (block == silent_block) {
                return {};
            }
            std::vector<Reply> out{{framed("%Y,01,"), 5ms}};
            if (blocks * 1024 >= expected_bytes && reports_end) {
                out.push_back(
                    {framed("%U,01," + result + ","), end_beside_last_answer ? 6ms : end_delay});
            }
            return out;
        }
        return {};
    }
};

struct Recorder final : TransferObserver {
    void notice(const std::string& text) override { notices.push_back(text); }
    bool ask(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    void versions(const std::string& current, const std::string& local) override {
        labels = {current, local};
    }
    void progress(const FirmwareImage& image, std::size_t sent, std::size_t total) override {
        steps.push_back({image.target, sent, total});
    }

    struct Step {
        int target;
        std::size_t sent;
        std::size_t total;
        bool operator==(const Step&) const = default;
    };
    std::vector<std::string> notices;
    std::vector<std::string> questions;
    std::vector<std::string> labels;
    std::vector<Step> steps;
    bool answer = true;
};

struct Transfer {
    explicit Transfer(Peer p = {})
        : peer(std::move(p)), link([this](const std::string& f) { return peer(f); }) {}
    TransferResult operator()(const std::vector<FirmwareImage>& images) {
        FirmwareTransfer transfer(link, observer);
        return transfer.run(images);
    }
    // Frames after the version query.
    std::vector<std::string> image_frames() const {
        return {link.frames.begin() + 1, link.frames.end()};
    }
    std::chrono::milliseconds sent_at(const std::string& frame_start) const {
        for (const auto& s : link.sent) {
            if (s.payload.rfind(frame_start, 0) == 0) {
                return s.at;
            }
        }
        return -1ms;
    }
    Peer peer;
    ScriptedProcessor link;
    Recorder observer;
};

FirmwareImage image_of(std::size_t size, int target = 1) {
    return {"image.bin", target, {}, pattern(size, static_cast<uint8_t>(size))};
}

class ImageSizes : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ImageSizes, ArriveAsAnnouncedBlocksWithTheChecksumAfterTheImage) {
    const std::size_t size = GetParam();
    Transfer run;
    const FirmwareImage image = image_of(size);
    ASSERT_EQ(run({image}), TransferResult::Succeeded);

    const std::size_t blocks = (size + 2 + 1023) / 1024;
    const std::vector<uint8_t> stream = stream_of(image.bytes);
    ASSERT_EQ(stream.size(), blocks * 1024);
    const std::vector<std::string> frames = run.image_frames();
    ASSERT_EQ(frames.size(), 1 + blocks);
    char start[48];
    std::snprintf(start, sizeof start, "%%S,01,1,%02zX,%05zX,", (size + 1023) / 1024, size);
    EXPECT_EQ(frames[0], framed(start));
    for (std::size_t k = 0; k < blocks; ++k) {
        EXPECT_EQ(frames[1 + k], block_frame(1, static_cast<int>(k), stream)) << "block " << k;
    }
    EXPECT_EQ(run.observer.steps.front(), (Recorder::Step{1, 0, blocks}));
    EXPECT_EQ(run.observer.steps.back(), (Recorder::Step{1, blocks, blocks}));
    EXPECT_EQ(run.observer.steps.size(), blocks + 1);
    EXPECT_TRUE(run.observer.notices.empty());
}

// 1000: shorter than a block; 1024: the checksum needs a block of its own; 2047: the checksum
// is split over two blocks; 2048: three blocks although "S" announces two.
INSTANTIATE_TEST_SUITE_P(FirmwareTransfer, ImageSizes,
                         ::testing::Values(1000, 1022, 1024, 2047, 2048));

TEST(FirmwareTransfer, PiecesLeave20MsApartAndABlockWaitsForTheAnswerToTheLast) {
    Transfer run;
    ASSERT_EQ(run({image_of(2048)}), TransferResult::Succeeded);
    std::vector<std::chrono::milliseconds> pieces;
    for (const auto& s : run.link.sent) {
        if (s.payload.size() == 256) {
            pieces.push_back(s.at);
        }
    }
    ASSERT_EQ(pieces.size(), 27u);  // 9 pieces of 256 bytes for each of the 3 blocks
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const auto gap = pieces[i] - pieces[i - 1];
        if (i % 9 == 0) {
            // 20 ms after the last piece and the 50 ms pause, by when the answer is there; then
            // 20 ms without another datagram close the answer.
            EXPECT_EQ(gap, 90ms) << "piece " << i;
        } else {
            EXPECT_EQ(gap, 20ms) << "piece " << i;
        }
    }
}

TEST(FirmwareTransfer, ControllerImageFirstThenTheDspImageTwoSecondsAfterItsEnd) {
    Transfer run;
    ASSERT_EQ(run({image_of(1500, 1), image_of(700, 0)}), TransferResult::Succeeded);
    const auto frames = run.image_frames();
    ASSERT_EQ(frames.size(), 3u + 2u);
    EXPECT_EQ(frames[0], framed("%S,01,1,02,005DC,"));
    EXPECT_EQ(frames[3], framed("%S,01,0,01,002BC,"));
    // The end report came 300 ms after the last answer and was read until 2.5 s of quiet.
    const auto first_end = run.sent_at("%T,01,1,01,");
    const auto second_start = run.sent_at("%S,01,0,");
    EXPECT_GE(second_start - first_end, 300ms + 2500ms + 2000ms);
    EXPECT_LT(second_start - first_end, 300ms + 2500ms + 2000ms + 800ms);
}

TEST(FirmwareTransfer, UnreadVersionIsToldAndTheOperatorMayStop) {
    Peer silent;
    silent.answers_version = false;
    Transfer run(silent);
    run.observer.answer = false;
    EXPECT_EQ(run({image_of(10)}), TransferResult::Declined);
    EXPECT_EQ(run.observer.notices, std::vector<std::string>{"Get version error."});
    EXPECT_EQ(run.observer.questions,
              std::vector<std::string>{"If do you continue to update the device\xEF\xBC\x9F"});
    EXPECT_EQ(run.link.frames, std::vector<std::string>{"%Z,01,F143#"});
    EXPECT_GE(run.link.elapsed(), 5200ms);
}

TEST(FirmwareTransfer, UnreadVersionThenContinuingShowsVersionZero) {
    Peer silent;
    silent.answers_version = false;
    Transfer run(silent);
    EXPECT_EQ(run({image_of(10)}), TransferResult::Succeeded);
    ASSERT_EQ(run.observer.labels.size(), 2u);
    EXPECT_EQ(run.observer.labels[0],
              "Current version\xEF\xBC\x9A"
              "0.0");
}

TEST(FirmwareTransfer, EndReportBesideTheLastAnswerIsTakenAtOnce) {
    Peer quick;
    quick.end_beside_last_answer = true;
    Transfer run(quick);
    EXPECT_EQ(run({image_of(100)}), TransferResult::Succeeded);
    EXPECT_LT(run.link.elapsed(), 10s);  // it never waited out the 24 s for the report
}

TEST(FirmwareTransferFailure, NoAnswerToTheStartEndsAfterEightSeconds) {
    Peer p;
    p.answers_start = false;
    Transfer run(p);
    EXPECT_EQ(run({image_of(2048), image_of(10, 0)}), TransferResult::Failed);
    const auto frames = run.image_frames();
    ASSERT_EQ(frames.size(), 1u);  // the start, and no block
    const auto waited = run.link.elapsed() - run.sent_at("%S,");
    EXPECT_GE(waited, 8000ms);
    EXPECT_LT(waited, 8100ms);
}

TEST(FirmwareTransferFailure, StaleAnswersAreDiscardedBeforeTheStart) {
    Peer p;
    p.answers_start = false;
    Transfer run(p);
    // An answer to an earlier start turns up after the version answer; it must not count.
    run.link.arrive(framed("%S,01,"), 150ms);
    EXPECT_EQ(run({image_of(10)}), TransferResult::Failed);
    EXPECT_EQ(run.image_frames().size(), 1u);
}

TEST(FirmwareTransferFailure, BlockWithoutAnswerEndsTheImageWithinTwoSeconds) {
    Peer p;
    p.silent_block = 1;
    Transfer run(p);
    EXPECT_EQ(run({image_of(3000), image_of(10, 0)}), TransferResult::Failed);
    const auto frames = run.image_frames();
    ASSERT_EQ(frames.size(), 3u);  // start, block 0, block 1; never block 2 nor the DSP image
    EXPECT_EQ(run.observer.steps.back(), (Recorder::Step{1, 1, 3}));
    const auto waited = run.link.elapsed() - run.sent_at("%T,01,1,01,");
    EXPECT_GE(waited, 8 * 20ms + 20ms + 50ms + 2000ms);
    EXPECT_LT(waited, 8 * 20ms + 20ms + 50ms + 2100ms);
}

TEST(FirmwareTransferFailure, NonZeroResultIsShownAndFails) {
    Peer p;
    p.result = "05";
    Transfer run(p);
    EXPECT_EQ(run({image_of(100), image_of(10, 0)}), TransferResult::Failed);
    EXPECT_EQ(run.observer.notices, std::vector<std::string>{framed("%U,01,05,")});
    EXPECT_EQ(run.image_frames().size(), 2u);  // the DSP image is not started
}

TEST(FirmwareTransferFailure, NoEndReportFailsAfter24Seconds) {
    Peer p;
    p.reports_end = false;
    Transfer run(p);
    EXPECT_EQ(run({image_of(100)}), TransferResult::Failed);
    EXPECT_TRUE(run.observer.notices.empty());
    EXPECT_GE(run.link.elapsed() - run.sent_at("%T,"), 24000ms);
}

}  // namespace
}  // namespace kestra
