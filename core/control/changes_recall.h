#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "control/action_context.h"
#include "control/scene_diff.h"
#include "control/write_steps.h"

namespace kestra {

// How a recall of only the changes ended.
struct ChangesRecallResult {
    int sent = 0;            // commands sent for the changes
    int total = 0;           // commands of the whole-state write
    bool read_back = false;  // the processor's state came back in time
    // Fields the processor held otherwise than the scene after the changes; they were
    // written again with their commands.
    std::vector<SceneDiffEntry> differed;

    bool verified() const { return read_back && differed.empty(); }
};

// A scene recall that sends only the commands whose fields differ between the state and the
// scene, in the whole-state write's order and with its pauses. It relies on a state read
// from the processor in this connection (ActionContext::fresh_read). Afterwards it reads the
// processor back with the connect's request, compares it with the scene, writes what
// differs with its commands and reports it.
class ChangesRecall {
public:
    static constexpr std::chrono::seconds kReadBackLimit{5};
    // After the read, the processor's connect reply follows; its names and units are the
    // processor's from before the corrections, so the scene's are stored again.
    static constexpr std::chrono::milliseconds kReplyWait{1000};
    static constexpr const char* kNoReadBack =
        "The processor's settings did not come back to be compared with the scene; recall "
        "everything to be sure.";
    static constexpr const char* kDiffered =
        " values read back from the processor differed from the scene and were written again:";
    static constexpr std::size_t kListed = 20;

    explicit ChangesRecall(ActionContext& context);
    ChangesRecall(const ChangesRecall&) = delete;
    ChangesRecall& operator=(const ChangesRecall&) = delete;

    // The commands a recall of `scene` over the current state would send.
    std::vector<WriteStep> steps_for(const DeviceState& scene) const;
    // About how long they take, with the read-back.
    std::chrono::milliseconds estimate(const std::vector<WriteStep>& steps) const;

    // Stores `scene` as the state and sends its changes then the read request; false, with
    // nothing changed, unless connected with a fresh read and no other recall running.
    bool start(const DeviceState& scene);
    bool running() const { return scene_ != nullptr; }

    // The owner's tick: ends a read-back that did not come in time.
    void tick();

    Publisher<ChangesRecallResult>& finished() { return finished_; }

private:
    void observe(const StateChange& change);
    void verify();
    void store_scene();
    void end(bool read_back);

    ActionContext& ctx_;
    std::unique_ptr<DeviceState> scene_;
    ChangesRecallResult result_;
    Clock::TimePoint deadline_{};
    bool read_arrived_ = false;
    Publisher<ChangesRecallResult> finished_;
    Publisher<StateChange>::Subscription subscription_;
};

}  // namespace kestra
