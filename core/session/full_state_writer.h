#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include "actions/action_context.h"
#include "session/write_steps.h"

namespace kestra {

// Where a running transfer of the whole state stands, in commands of the fixed sequence.
struct FullStateProgress {
    int sent = 0;
    int total = 0;
    bool running = false;
    bool completed = false;  // every command went out; false while running or when cut short

    bool operator==(const FullStateProgress&) const = default;
};

// Writes every parameter to the processor with the fixed command sequence. The sequence is
// queued at once; its pauses travel as the datagrams' gaps, so the owner thread never waits.
// The owner's tick reports how much still waits in the sender; from that the writer tells the
// progress and keeps `last_report_at` fresh, so that silence during the transfer is not taken
// for a lost processor.
class FullStateWriter {
public:
    static constexpr int kCommandCount = 662;
    static constexpr std::chrono::milliseconds kRecallNamePause{150};
    static constexpr std::chrono::milliseconds kRecoveryNamePause{300};
    static constexpr std::chrono::milliseconds kUnitPause = WriteSteps::kUnitPause;
    static constexpr std::chrono::milliseconds kCommandPause = WriteSteps::kCommandPause;

    // `completed` is false when the connection ended before everything went out.
    using Finished = std::function<void(bool completed)>;

    explicit FullStateWriter(ActionContext& context) : context_(context) {}

    // The sequence for `state`, one list per command with its pause after it. "V" needs the
    // context's glyph renderer; without one this throws std::invalid_argument.
    static std::vector<DatagramList> commands(const DeviceState& state, const CommandContext& names,
                                              std::chrono::milliseconds name_pause);

    // Queues the sequence while connected and no transfer runs; false otherwise (and
    // `finished` is not called). `finished` runs from advance() once the sender drained.
    bool start(std::chrono::milliseconds name_pause, Finished finished = {});

    // The owner's tick: `waiting` datagrams are still queued in the sender (this transfer's
    // and any queued behind it).
    void advance(std::size_t waiting);
    // Ends a running transfer whose `waiting` datagrams the sender is about to drop; returns
    // how many commands did not leave whole (0 when none ran).
    int cancel(std::size_t waiting);

    bool running() const { return running_; }
    const FullStateProgress& current() const { return current_; }
    // Sum of the gaps of the running (or last) transfer: its shortest possible duration.
    std::chrono::milliseconds planned_duration() const { return planned_; }

    Publisher<FullStateProgress>& progress() { return progress_; }

private:
    int sent_with(std::size_t waiting) const;
    void publish(FullStateProgress p);
    void finish(bool completed);

    ActionContext& context_;
    bool running_ = false;
    // Datagrams queued up to and including command k, for k = 0 .. kCommandCount - 1.
    std::vector<std::size_t> datagrams_through_;
    std::chrono::milliseconds planned_{0};
    Finished finished_;
    FullStateProgress current_;
    Publisher<FullStateProgress> progress_;
};

}  // namespace kestra
