#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "expected_frame.h"
#include "operator/operator_actions.h"
#include "protocol/frame_codec.h"
#include "state_change_printer.h"

namespace kestra::testing {

struct SentDatagrams : FrameSink {
    bool send(const DatagramList& d) override {
        sent.insert(sent.end(), d.begin(), d.end());
        return true;
    }
    std::vector<std::string> payloads() const {
        std::vector<std::string> out;
        for (const auto& d : sent) {
            out.push_back(d.payload);
        }
        return out;
    }
    std::vector<Datagram> sent;
};

struct Notice {
    std::string text;
    std::string caption;
    bool operator==(const Notice&) const = default;
};

struct SeenNotices : NoticeSink {
    void notice(const std::string& text, const std::string& caption) override {
        seen.push_back({text, caption});
    }
    std::vector<Notice> seen;
};

struct ScriptedAnswers : QuestionSink {
    bool ask(const std::string& text, const std::string&) override {
        asked.push_back(text);
        return answer;
    }
    bool answer = true;
    std::vector<std::string> asked;
};

// A control surface on a default state, connected unless a test says otherwise.
class SurfaceTest : public ::testing::Test {
protected:
    SurfaceTest() { state.system.connected = 1; }

    DeviceState state;
    SentDatagrams sink;
    SeenNotices notices;
    ScriptedAnswers answers;
    ManualClock clock;
    Publisher<StateChange> stream;
    OperatorActions surface{state, stream, sink, notices, answers, clock};
    std::vector<StateChange> changes;
    Publisher<StateChange>::Subscription watching = surface.context().changes().subscribe(
        [this](const StateChange& c) { changes.push_back(c); });
};

}  // namespace kestra::testing
