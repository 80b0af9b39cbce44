#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "expected_frame.h"
#include "operator/operator_actions.h"
#include "protocol/frame_codec.h"
#include "state_change_printer.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"
#include "support/scripted_answers.h"

namespace kestra::testing {

// A control surface on a default state, connected unless a test says otherwise.
class SurfaceTest : public ::testing::Test {
protected:
    SurfaceTest() { state.system.connected = 1; }

    DeviceState state;
    RecordingFrames sink;
    RecordingNotices notices;
    ScriptedAnswers answers;
    ManualClock clock;
    Publisher<StateChange> stream;
    OperatorActions surface{state, stream, sink, notices, answers, clock};
    std::vector<StateChange> changes;
    Publisher<StateChange>::Subscription watching = surface.context().changes().subscribe(
        [this](const StateChange& c) { changes.push_back(c); });
};

}  // namespace kestra::testing
