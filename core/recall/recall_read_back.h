#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "actions/action_context.h"
#include "history/scene_diff.h"
#include "session/write_steps.h"

namespace kestra {

// How the read-back after a write of the state ended.
struct ReadBackResult {
    int sent = 0;            // commands the write sent
    int total = 0;           // commands of the whole-state write
    bool read_back = false;  // every read asked for came back in time
    int rounds = 0;          // reads compared
    // Fields the first read found otherwise than the target; they were written again.
    std::vector<SceneDiffEntry> differed;
    // Fields the last read still found otherwise, after every round of writing them again.
    std::vector<SceneDiffEntry> remaining;
    // Fields the target holds as the read cannot show them (the read forces or limits them):
    // written, but left out of the comparison. `after` is what the read shows.
    std::vector<SceneDiffEntry> unverifiable;

    bool verified() const { return read_back && remaining.empty(); }
};

// Reads the processor back after a write of a target state (a scene, the factory values) with
// the connect's request and compares what the read reports faithfully. What differs is written
// again with its commands and read once more, at most kRounds reads in all; what still differs
// then, or a read that does not come, is told as a notice and in the result. The state holds
// the target again once the processor's connect reply that follows each read has come.
class RecallReadBack {
public:
    static constexpr std::chrono::seconds kReadBackLimit{5};
    // After the read, the processor's connect reply follows; its names and units are the
    // processor's from before the corrections, so the target's are stored again.
    static constexpr std::chrono::milliseconds kReplyWait{1000};
    static constexpr int kRounds = 3;
    static constexpr std::size_t kListed = 20;
    static constexpr const char* kUnverifiable =
        " values were written but cannot be verified: the processor's read reports them "
        "otherwise:";

    explicit RecallReadBack(ActionContext& context);
    RecallReadBack(const RecallReadBack&) = delete;
    RecallReadBack& operator=(const RecallReadBack&) = delete;

    // Sends the read request behind `sent` commands that still need about `sending` to leave,
    // and compares the read with `target`, named `what` in the notices ("the scene"). A
    // read-back that does not verify is a journal line that begins with `title`
    // ("Scene 4:Board recall"), as a cut write's is. False, with nothing sent, while not
    // connected or while a read-back runs.
    bool start(const DeviceState& target, const std::string& what, const std::string& title,
               int sent, std::chrono::milliseconds sending);
    bool running() const { return target_ != nullptr; }

    // The owner's tick: ends a read-back whose read or reply did not come in time.
    void tick();

    // A read-back began: the title of the write it checks ("Scene 4:Board recall").
    Publisher<std::string>& started() { return started_; }
    Publisher<ReadBackResult>& finished() { return finished_; }

    // The notices' texts, for the target named `what`.
    static std::string no_answer_text(const std::string& what);
    static std::string differed_text(const std::string& what);
    static std::string remaining_text(const std::string& what, int rounds);
    // The journal line of a read-back that did not verify the write named `title`.
    static std::string unverified_line(const std::string& title, const ReadBackResult& result);

    // The target as the read would report it: the fields the read forces or limits, as it
    // leaves them.
    static DeviceState as_read(const DeviceState& target);
    // The fields of `target` that the whole-state write sends but the read cannot show.
    static std::vector<SceneDiffEntry> unverifiable(const DeviceState& target,
                                                    const NameCodec& codec);

private:
    enum class Phase { Read, Reply };

    void observe(const StateChange& change);
    void compare();
    void request_read(std::chrono::milliseconds sending);
    void store_target();
    void end(bool read_back);
    const NameCodec& codec() const;

    ActionContext& ctx_;
    std::unique_ptr<DeviceState> target_;
    std::unique_ptr<DeviceState> expected_;  // the target as the read reports it
    std::string what_;
    std::string title_;
    Phase phase_ = Phase::Read;
    bool storing_ = false;
    ReadBackResult result_;
    Clock::TimePoint deadline_{};
    NameCodec fallback_codec_;
    Publisher<std::string> started_;
    Publisher<ReadBackResult> finished_;
    Publisher<StateChange>::Subscription subscription_;
};

}  // namespace kestra
