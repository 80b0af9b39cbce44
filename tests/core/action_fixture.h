#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "expected_frame.h"
#include "operator/operator_actions.h"
#include "protocol/frame_codec.h"
#include "state_change_printer.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"

namespace kestra::testing {

using namespace std::chrono_literals;

inline std::vector<std::string> framed_all(std::initializer_list<std::string> bodies) {
    std::vector<std::string> out;
    for (const std::string& b : bodies) {
        out.push_back(framed(b));
    }
    return out;
}

// A connected processor's surface on a manual clock, with what it sent and published.
class ActionFixture : public ::testing::Test {
protected:
    ActionFixture() {
        state.system.connected = 1;
        changes_sub = surface.context().changes().subscribe(
            [this](const StateChange& c) { changes.push_back(c); });
        readout_sub = surface.context().readout_requests().subscribe(
            [this](const ReadoutRequest& r) { reports.push_back(r); });
    }

    // Activates control group 1 with these inputs (or outputs) and one link flag.
    void group_inputs(std::initializer_list<int> members, GroupLink link) {
        ControlGroup g;
        for (int m : members) {
            g.input_member.at(static_cast<std::size_t>(m)) = 1;
        }
        g.member_count = static_cast<int32_t>(members.size());
        g.link.at(static_cast<std::size_t>(link)) = 1;
        surface.context().active_groups().activate(0, g);
    }
    void group_outputs(std::initializer_list<int> members, GroupLink link) {
        ControlGroup g;
        for (int m : members) {
            g.output_member.at(static_cast<std::size_t>(m)) = 1;
        }
        g.member_count = static_cast<int32_t>(members.size());
        g.link.at(static_cast<std::size_t>(link)) = 1;
        surface.context().active_groups().activate(1, g);
    }

    std::vector<std::chrono::milliseconds> gaps_of(std::initializer_list<int> ms) {
        std::vector<std::chrono::milliseconds> out;
        for (int m : ms) {
            out.emplace_back(m);
        }
        return out;
    }

    DeviceState state;
    ManualClock clock;
    RecordingFrames sink;
    RecordingNotices notices;
    AlwaysOk questions;
    Publisher<StateChange> stream;
    OperatorActions surface{state, stream, sink, notices, questions, clock};
    std::vector<StateChange> changes;
    std::vector<ReadoutRequest> reports;

private:
    Publisher<StateChange>::Subscription changes_sub;
    Publisher<ReadoutRequest>::Subscription readout_sub;
};

}  // namespace kestra::testing
