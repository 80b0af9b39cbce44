#pragma once

#include "actions/compressor_actions.h"
#include "actions/geq_actions.h"
#include "actions/limiter_actions.h"
#include "actions/peq_actions.h"
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

// Hands a recalled block to its editor's actions, which send it while connected and copy it to
// the channel's link group as after RESET. Blocks without an editor (NOISE, DELAY, REV) only
// change the state: no command carries them.
class EditorRecallTarget final : public PresetRecallTarget {
public:
    EditorRecallTarget(PeqActions& peq, GeqActions& geq, CompressorActions& compressor,
                       LimiterActions& limiter)
        : peq_(peq), geq_(geq), compressor_(compressor), limiter_(limiter) {}
    void block_recalled(PresetTable table, int channel) override;

private:
    PeqActions& peq_;
    GeqActions& geq_;
    CompressorActions& compressor_;
    LimiterActions& limiter_;
};

}  // namespace kestra
