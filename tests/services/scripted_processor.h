#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "firmware/update_link.h"
#include "protocol/frame_codec.h"
#include "protocol/frame_extractor.h"

namespace kestra::testing {

// An update link on virtual time: every datagram sent is recorded with the moment it left,
// whole frames are handed to `answer`, and its replies arrive `latency` later. Waits only move
// the virtual clock, so the time-outs of many seconds cost nothing.
class ScriptedProcessor final : public UpdateLink {
public:
    struct Sent {
        std::string payload;
        std::chrono::milliseconds at;
    };
    struct Reply {
        std::string text;
        std::chrono::milliseconds delay{1};
    };
    using Answer = std::function<std::vector<Reply>(const std::string& frame)>;

    explicit ScriptedProcessor(Answer answer) : answer_(std::move(answer)) {}

    bool send(std::string_view payload) override {
        sent.push_back({std::string(payload), elapsed()});
        extractor_.feed(payload, [&](std::string_view frame) {
            frames.emplace_back(frame);
            for (const Reply& r : answer_(std::string(frame))) {
                arrive(r.text, r.delay);
            }
        });
        return true;
    }

    std::optional<std::string> receive(std::chrono::milliseconds timeout) override {
        if (!inbox_.empty() && inbox_.front().first <= now_ + timeout) {
            now_ = std::max(now_, inbox_.front().first);
            std::string text = inbox_.front().second;
            inbox_.pop_front();
            return text;
        }
        now_ += timeout;
        return std::nullopt;
    }

    void pause(std::chrono::milliseconds d) override { now_ += d; }
    bool cancelled() const override { return false; }
    Clock::time_point now() const override { return now_; }

    // A datagram from the processor `delay` from now, in time order with the others.
    void arrive(const std::string& text, std::chrono::milliseconds delay) {
        const auto at = now_ + delay;
        auto it = inbox_.begin();
        while (it != inbox_.end() && it->first <= at) {
            ++it;
        }
        inbox_.insert(it, {at, text});
    }

    std::chrono::milliseconds elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - Clock::time_point{});
    }

    std::vector<Sent> sent;
    std::vector<std::string> frames;  // as joined from the pieces

private:
    Answer answer_;
    FrameExtractor extractor_;
    Clock::time_point now_{};
    std::deque<std::pair<Clock::time_point, std::string>> inbox_;
};

// A frame's literal body completed with its checksum and end mark.
inline std::string framed(const std::string& body) {
    char crc[8];
    std::snprintf(crc, sizeof crc, "%04X", frame_crc16(body));
    return body + crc + "#";
}

}  // namespace kestra::testing
