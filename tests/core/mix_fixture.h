#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "expected_frame.h"
#include "operator/operator_actions.h"
#include "protocol/frame_codec.h"
#include "state_change_printer.h"
#include "support/blank_glyphs.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"
#include "text/name_codec.h"

namespace kestra::testing {

// A control surface on a default state, recording what it sends, says and publishes.
class MixFixture : public ::testing::Test {
protected:
    MixFixture() {
        state.reset_defaults();
        change_sub = surface.context().changes().subscribe(
            [this](const StateChange& c) { changes.push_back(c); });
        readout_sub = surface.context().readout_requests().subscribe(
            [this](const ReadoutRequest& r) { reports.push_back(r); });
    }

    void go_online() { state.system.connected = 1; }

    CommandContext names() {
        CommandContext names;
        names.codec = &codec;
        names.glyphs = &glyphs;
        return names;
    }

    std::vector<std::string> payloads() const { return sink.frames; }

    void forget() {
        sink.clear();
        changes.clear();
        reports.clear();
        notices.clear();
    }

    // Puts the inputs (or outputs) into control group `group` on the page and activates it
    // with the given links.
    void make_active_group(int group, const std::vector<int>& members, bool outputs,
                           const std::vector<GroupLink>& links) {
        GroupActions& page = surface.groups;
        page.set_mode(GroupActions::Mode::Control);
        page.select_control_group(group);
        for (int m : members) {
            ASSERT_EQ(outputs ? page.toggle_control_output(m) : page.toggle_control_input(m),
                      GroupActions::Membership::Changed);
        }
        for (GroupLink l : links) {
            ASSERT_TRUE(page.toggle_link(l));
        }
        page.set_control_active(group, true);
    }

    using Scope = StateChange::Scope;
    using Block = StateChange::Block;

    DeviceState state;
    RecordingFrames sink;
    RecordingNotices notices;
    AlwaysOk ok;
    ManualClock clock;
    NameCodec codec;
    BlankGlyphs glyphs;
    Publisher<StateChange> stream;
    OperatorActions surface{state, stream, sink, notices, ok, clock, names()};
    std::vector<StateChange> changes;
    std::vector<ReadoutRequest> reports;
    Publisher<StateChange>::Subscription change_sub;
    Publisher<ReadoutRequest>::Subscription readout_sub;
};

}  // namespace kestra::testing
