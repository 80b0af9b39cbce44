#pragma once

#include <string>
#include <string_view>

#include "actions/action_context.h"
#include "text/name_codec.h"

namespace kestra {

// What the read-out shows: the channel's short name (UTF-8), the parameter's name, the value
// box and the frequency box.
struct ReadoutDisplay {
    int channel = 0;
    ReadoutKind kind = ReadoutKind::Selected;
    std::string channel_label;
    std::string parameter_name;
    std::string value_text;
    std::string frequency_text;

    bool operator==(const ReadoutDisplay&) const = default;
};

// The main window's read-out of the parameter touched last, with typed entry into its two
// boxes. It follows every ActionContext::report and publishes each refresh; a change it did
// not ask for (a report, a recall, an undo, a rename) is followed when it touches the shown
// channel, and published only when the display differs.
class Readout {
public:
    enum class Box { Value, Frequency };
    static constexpr int kKindCount = kReadoutKindCount;

    explicit Readout(ActionContext& ctx);
    Readout(const Readout&) = delete;
    Readout& operator=(const Readout&) = delete;

    // True for channels 0-63 (inputs) and 80-95 (outputs) with a kind 0-71.
    static bool valid(int channel, ReadoutKind kind);

    int selected_channel() const { return display_.channel; }
    ReadoutKind selected_parameter() const { return display_.kind; }
    const ReadoutDisplay& display() const { return display_; }

    // Selects and shows a parameter; an invalid pair throws std::invalid_argument. A kind
    // without a read-out keeps the previous name and value text.
    void show_parameter(int channel, ReadoutKind kind);

    // Enter in a box: the text is read as a number in the parameter's unit, limited to its
    // range, stored, sent while connected (never copied to group members), and the read-out is
    // refreshed, also when nothing was stored. A text that is no such number changes nothing
    // and is refused with a notice.
    void apply_typed_value(Box box, std::string_view text);

    // Every refresh, also an unchanged one: a box must drop what the operator typed into it.
    Publisher<ReadoutDisplay>& shown() { return shown_; }

private:
    std::string short_name(int channel) const;
    void on_request(const ReadoutRequest& request);
    void on_change(const StateChange& change);
    bool shows(const StateChange& change) const;
    ReadoutDisplay read(int channel, ReadoutKind kind) const;

    ActionContext& ctx_;
    NameCodec fallback_codec_;
    ReadoutDisplay display_;
    Publisher<ReadoutDisplay> shown_;
    Publisher<ReadoutRequest>::Subscription requests_;
    Publisher<StateChange>::Subscription changes_;
};

}  // namespace kestra
