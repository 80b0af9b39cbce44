#pragma once

#include <chrono>
#include <string>

#include "control/active_groups.h"
#include "model/device_state.h"
#include "protocol/command_encoder.h"
#include "protocol/frame_sink.h"
#include "util/clock.h"
#include "util/publisher.h"

namespace kestra {

// What an operator action or a recall changed, so that the views showing it refresh.
// `index` is the zero-based input or output, or -1 where the scope has no channel.
struct ParameterChange {
    enum class Scope { Input, Output, System, Groups, Units, Everything };
    enum class Block {
        Strip,       // volume, mute, priority, gain step, delay, line, FBK
        Name,        // short_name
        Source,      // input source
        Peq,         // PEQ bands and switch
        Filters,     // HPF, LPF
        Geq,         // graphic EQ bands and switch
        Compressor,  // input dynamics
        Limiter,     // output dynamics
        Matrix,      // matrix_row
        Automix,     // auto-mixer settings and thresholds
        Membership,  // group members
        Links,       // group link flags
        Activation,  // group activation and the strips' copies
        Units,       // microphone unit table and selection
        All,
    };

    Scope scope;
    int index;
    Block block;

    bool operator==(const ParameterChange&) const = default;
};

// The read-out's show_parameter(channel, kind): channel 0-63 inputs, 80-95 outputs.
struct ReadoutRequest {
    int channel;
    int kind;
    bool operator==(const ReadoutRequest&) const = default;
};

// OK/Cancel questions to the operator. The GUI answers with a dialog; scripted use says OK.
class QuestionSink {
public:
    virtual ~QuestionSink() = default;
    virtual bool ask(const std::string& text, const std::string& caption) = 0;
};

class AlwaysOk final : public QuestionSink {
public:
    bool ask(const std::string&, const std::string&) override { return true; }
};

// What every operator action works with: the state, the sender, the operator's message boxes,
// the clock, the name encoders for "V", the strips' copies of active control groups, and the
// two publishers views listen to. Actions follow one order: store in the state, copy to group
// members, send while connected, then publish the change and report the read-out.
class ActionContext {
public:
    static constexpr const char* kCaption = "Warming";

    ActionContext(DeviceState& state, FrameSink& sink, NoticeSink& notices, QuestionSink& questions,
                  const Clock& clock, CommandContext names = {});
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

    void notice(const std::string& text, const std::string& caption = kCaption);
    bool ask(const std::string& text, const std::string& caption = kCaption);

    void changed(ParameterChange change) { changes_.publish(change); }
    void report(int channel, int kind) { readout_.publish(ReadoutRequest{channel, kind}); }

    Publisher<ParameterChange>& changes() { return changes_; }
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
    DeviceState& state_;
    FrameSink& sink_;
    NoticeSink& notices_;
    QuestionSink& questions_;
    const Clock& clock_;
    CommandContext names_;
    ActiveGroups active_groups_;
    Publisher<ParameterChange> changes_;
    Publisher<ReadoutRequest> readout_;
};

}  // namespace kestra
