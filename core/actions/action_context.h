#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "actions/active_groups.h"
#include "model/device_state.h"
#include "model/state_change.h"
#include "params/readout_kind.h"
#include "protocol/command_encoder.h"
#include "protocol/frame_sink.h"
#include "util/clock.h"
#include "util/publisher.h"

namespace kestra {

// The read-out's show_parameter(channel, kind): channel 0-63 inputs, 80-95 outputs.
struct ReadoutRequest {
    int channel;
    ReadoutKind kind;
    bool operator==(const ReadoutRequest&) const = default;
};

// A question with several answers besides Cancel, and a list the operator may open.
struct OperatorChoice {
    std::string text;
    std::string caption;
    std::vector<std::string> options;
    std::string details;
};

// OK/Cancel questions to the operator. The GUI answers with a dialog; scripted use says OK.
class QuestionSink {
public:
    virtual ~QuestionSink() = default;
    virtual bool ask(const std::string& text, const std::string& caption) = 0;
    // The chosen option's index, or -1 for Cancel. Where no choice can be shown, OK takes
    // the first option.
    virtual int choose(const OperatorChoice& choice) {
        return ask(choice.text, choice.caption) ? 0 : -1;
    }
};

class AlwaysOk final : public QuestionSink {
public:
    bool ask(const std::string&, const std::string&) override { return true; }
};

// What every operator action works with: the state and its change stream, the sender, the
// operator's message boxes, the clock, the name encoders for "V", the strips' copies of active
// control groups, and the read-out's requests. Actions follow one order: store in the state,
// copy to group members, send while connected, then publish the change and report the
// read-out. The stream is shared with the processor's frames, so its owner outlives this.
class ActionContext {
public:
    // Marks every change published while it lives with its origin, and a Remote one with the
    // client's name; without one, changes are the operator's. Scopes nest.
    class OriginScope {
    public:
        OriginScope(ActionContext& ctx, ChangeOrigin origin, std::string client = {});
        ~OriginScope();
        OriginScope(const OriginScope&) = delete;
        OriginScope& operator=(const OriginScope&) = delete;

    private:
        ActionContext& ctx_;
        ChangeOrigin previous_;
        std::string previous_client_;
    };

    ActionContext(DeviceState& state, Publisher<StateChange>& changes, FrameSink& sink,
                  NoticeSink& notices, QuestionSink& questions, const Clock& clock,
                  CommandContext names = {});
    ActionContext(const ActionContext&) = delete;
    ActionContext& operator=(const ActionContext&) = delete;

    DeviceState& state() { return state_; }
    const DeviceState& state() const { return state_; }
    const Clock& clock() const { return clock_; }
    bool connected() const { return state_.system.connected != 0; }

    // Queues the datagrams only while connected; nothing is kept for later. Returns whether
    // they were handed to the sender.
    bool send(DatagramList datagrams);
    // As send, with `extra` added to the pause after the last datagram.
    bool send(DatagramList datagrams, std::chrono::milliseconds extra);

    void notice(const std::string& text, const std::string& caption = NoticeSink::kCaption);
    bool ask(const std::string& text, const std::string& caption = NoticeSink::kCaption);
    int choose(const OperatorChoice& choice) { return questions_.choose(choice); }

    // Publishes the change with the current origin. Only the action that wrote the state
    // publishes, and it knows whether it changed anything: see store() and changed_if().
    // Called directly for what is news whatever the fields hold: a whole state, a bypass.
    void changed(StateChange change);
    // Stores `value` in `field` and tells whether the field held something else: an action
    // knows it changed a block where it writes, and says so to changed_if().
    template <class T>
    static bool store(T& field, const T& value) {
        if (field == value) {
            return false;
        }
        field = value;
        return true;
    }
    // Publishes the change with the current origin when `wrote`: a store changed its block.
    void changed_if(bool wrote, StateChange change);
    // Always published: the read-out refreshes also when a value was stored unchanged.
    void report(int channel, ReadoutKind kind) { readout_.publish(ReadoutRequest{channel, kind}); }

    // A name for the operator's step in the journal ("OUT2 LIMIT reset"); the journal takes
    // it when the step settles. Without one the journal names the changed fields.
    void label(std::string text) { label_ = std::move(text); }
    std::string take_label() { return std::exchange(label_, {}); }
    // A line for the journal that no change of the state tells: a transfer cut short, a
    // read-back that failed.
    void journal_note(const std::string& text) { notes_.publish(text); }
    Publisher<std::string>& journal_notes() { return notes_; }
    // A channel as the journal names it: its short name, or "CH3" / "OUT2" without one.
    std::string channel_label(bool output, int index) const;

    // Whether the state holds what the processor holds: read from it in this connection (the
    // connect's read), kept current by its reports and every action since. A lost or closed
    // connection ends it.
    bool fresh_read() const { return fresh_read_ && connected(); }
    // While a recall reads the processor back to compare, the read (and the connect reply
    // that follows it) is the recall's business, not a change of its own for the journal.
    void expect_read_back(bool on) { read_back_ = on; }
    bool read_back_expected() const { return read_back_; }

    Publisher<StateChange>& changes() { return changes_; }
    Publisher<ReadoutRequest>& readout_requests() { return readout_; }

    ActiveGroups& active_groups() { return active_groups_; }
    const ActiveGroups& active_groups() const { return active_groups_; }

    // Codec and glyph renderer for "V"; the rasterizer may be null where no names are sent.
    const CommandContext& names() const { return names_; }

    // Read-out channel numbers.
    static constexpr int kReadoutOutputBase = 80;
    static int input_readout(int input) { return input; }
    static int output_readout(int output) { return kReadoutOutputBase + output; }

private:
    void observe(const StateChange& change);

    DeviceState& state_;
    Publisher<StateChange>& changes_;
    FrameSink& sink_;
    NoticeSink& notices_;
    QuestionSink& questions_;
    const Clock& clock_;
    CommandContext names_;
    ActiveGroups active_groups_;
    ChangeOrigin origin_ = ChangeOrigin::Operator;
    std::string client_;
    std::string label_;
    bool fresh_read_ = false;
    bool read_back_ = false;
    Publisher<StateChange>::Subscription watching_;
    Publisher<ReadoutRequest> readout_;
    Publisher<std::string> notes_;
};

}  // namespace kestra
