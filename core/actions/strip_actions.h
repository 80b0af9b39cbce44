#pragma once

#include <string>
#include <string_view>

#include "actions/action_context.h"
#include "actions/field_committer.h"
#include "params/level_law.h"
#include "text/name_codec.h"

namespace kestra {

// The operator actions of the input and output channel strips. Indices are zero-based; a
// value outside its range throws std::invalid_argument and changes nothing. Each action stores
// the value, sends its command while connected, copies it to the members of the strip's active
// control group (their commands follow in stored member order), publishes a change for every
// channel it touched and reports the parameter to the read-out.
class StripActions final : public FieldCommitter {
public:
    static constexpr int kMaxVolume = LevelLaw::kMaxVolume;
    static constexpr int kMaxGainStep = 40;
    static constexpr int kMaxDelayStep = 200;  // 0.5 ms steps
    static constexpr int kSourceCount = 5;     // DANTE, AUX1-AUX4
    static constexpr int kFirstSourceInput = 32;

    // Read-out kinds the strips report.
    static constexpr ReadoutKind kReadoutSelected = ReadoutKind::Selected;
    static constexpr ReadoutKind kReadoutMute = ReadoutKind::Mute;
    static constexpr ReadoutKind kReadoutVolume = ReadoutKind::Volume;

    // Followed by the channel that holds the source, as in "已经设了输入源 (CH 35)".
    static constexpr const char* kSourceTaken = "已经设了输入源";
    // The eight-character rule comes first, so only a name of eight Chinese characters is
    // refused with this.
    static constexpr const char* kNameTooWide =
        "The name is too long: a channel name holds at most 8 characters, and at most 7 of "
        "them Chinese.";
    static constexpr const char* kNameNotEncodable =
        "The name has characters that the processor's code page cannot hold.";
    static constexpr const char* kNameNotSendable =
        "Channel names cannot be sent: no glyph renderer is available.";

    explicit StripActions(ActionContext& context);

    void set_input_volume(int input, int volume);
    void set_input_mute(int input, int mute);
    void set_input_priority(int input, int priority);  // CH1-CH32
    void set_input_gain_step(int input, int step);
    // CH33-CH64. Returns false, with the notice naming the channel that already takes the AUX
    // source; DANTE (0) may feed any number of channels.
    bool set_input_source(int input, int source);

    void set_output_volume(int output, int volume);
    void set_output_mute(int output, int mute);
    void set_output_delay_step(int output, int step);
    void set_output_line_mode(int output, int line);
    void set_output_fbk(int output, int fbk);  // MASTER outputs only

    // The NAME dialog's OK: the UTF-8 name becomes the channel's short_name in the legacy code
    // page and goes out as "V". A refused name leaves everything as it was, with a notice.
    bool rename_input(int input, std::string_view utf8);
    bool rename_output(int output, std::string_view utf8);

    // An editor was opened for the channel.
    void select_input(int input);
    void select_output(int output);

    // volume, mute, priority, source, gain_step; volume, mute, delay_step, line_mode, fbk.
    bool commit_field(FieldTarget target, int index, const FieldPath& field, int value) override;

private:
    bool rename(bool input, int index, std::string_view utf8);
    std::string source_taken_text(int holder) const;
    const NameCodec& codec() const;

    ActionContext& ctx_;
    NameCodec fallback_codec_;
};

}  // namespace kestra
