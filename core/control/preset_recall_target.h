#pragma once

#include "control/action_context.h"
#include "model/preset_codec.h"

namespace kestra {

// What happens after a preset was decoded into a channel's block: the block editor sends it
// and copies it to the channel's link group.
class PresetRecallTarget {
public:
    virtual ~PresetRecallTarget() = default;
    // `channel` is the zero-based input or output of the table's kind.
    virtual void block_recalled(PresetTable table, int channel) = 0;
};

// Sends the recalled block of the channel itself while connected, as the editors' RESET does
// (PEQ: "G" bands 1-4, then "E" and "F"; GEQ "H"; compressor "C"; limiter "D"), each with 20 ms
// after it. Blocks no command carries send nothing; nor do inputs from 33 on.
class SendingRecallTarget final : public PresetRecallTarget {
public:
    static constexpr std::chrono::milliseconds kPause{20};

    explicit SendingRecallTarget(ActionContext& context) : context_(context) {}
    void block_recalled(PresetTable table, int channel) override;

private:
    ActionContext& context_;
};

}  // namespace kestra
