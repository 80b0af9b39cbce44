#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "actions/action_context.h"
#include "history/scene_diff.h"
#include "recall/recall_read_back.h"
#include "session/write_steps.h"

namespace kestra {

// How a recall of only the changes ended: its read-back's result.
using ChangesRecallResult = ReadBackResult;

// A scene recall that sends only the commands whose fields differ between the state and the
// scene, in the whole-state write's order and with its pauses. It relies on a state read
// from the processor in this connection (ActionContext::fresh_read). Afterwards the
// read-back compares the processor with the scene, writes what differs again and reports it;
// the same read-back follows a whole recall.
class ChangesRecall {
public:
    static constexpr std::chrono::seconds kReadBackLimit = RecallReadBack::kReadBackLimit;
    static constexpr const char* kScene = "the scene";

    explicit ChangesRecall(ActionContext& context);
    ChangesRecall(const ChangesRecall&) = delete;
    ChangesRecall& operator=(const ChangesRecall&) = delete;

    // The commands a recall of `scene` over the current state would send.
    std::vector<WriteStep> steps_for(const DeviceState& scene) const;
    // About how long they take, with the read-back.
    std::chrono::milliseconds estimate(const std::vector<WriteStep>& steps) const;

    static constexpr const char* kTitle = "Scene recall";

    // Stores `scene` as the state and sends its changes then the read request; false, with
    // nothing changed, unless connected with a fresh read and no other recall running.
    // `title` begins the journal line of a read-back that does not verify.
    bool start(const DeviceState& scene, const std::string& title = kTitle);
    // The read-back alone, after a whole write of `scene` that sent `sent` commands.
    bool check(const DeviceState& scene, int sent, const std::string& title = kTitle);
    bool running() const { return read_back_.running(); }

    // The owner's tick: ends a read-back that did not come in time.
    void tick() { read_back_.tick(); }

    Publisher<std::string>& started() { return read_back_.started(); }
    Publisher<ChangesRecallResult>& finished() { return read_back_.finished(); }

private:
    ActionContext& ctx_;
    RecallReadBack read_back_;
};

}  // namespace kestra
