#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "actions/action_context.h"
#include "actions/dynamics_marker.h"
#include "actions/field_committer.h"
#include "actions/slider_commit.h"
#include "params/parameter.h"

namespace kestra {

// What tells the compressor of the inputs from the limiter of the outputs; both editors
// otherwise share every rule.
struct DynamicsBlock {
    static constexpr std::size_t kFields = 6;  // by DynamicsField

    std::string_view field_prefix;  // "comp_", "lim_": the scripted field names
    FieldTarget target;
    int channel_count;
    int send_limit;           // commands go out for channels below it
    bool sends_while_moving;  // a moving slider sends, not only its release
    GroupLink link;
    StateChange::Scope scope;
    StateChange::Block block;
    int (*readout)(int channel);
    std::array<int32_t*, kFields> (*fields)(DeviceState& state, int channel);
    DatagramList (*encode)(const DeviceState& state, int channel);  // zero-based channel

    // The catalogue row of `field` on the block's first channel: its range and its read-out
    // kind hold on every channel of the block.
    const Parameter& row(DynamicsField field) const;
    int min(DynamicsField field) const { return row(field).min; }
    int max(DynamicsField field) const { return row(field).max; }
    std::optional<ReadoutKind> kind(DynamicsField field) const { return row(field).readout_kind; }
};

// The operator actions of a dynamics editor: five sliders, the on/off button, the transfer
// graph's markers and RESET, on one zero-based channel at a time, values in state units.
// Each committed change is sent while connected and copied, with its command, to the other
// members of an active control group that links the block (10 ms after each member).
class DynamicsActions : public FieldCommitter {
public:
    // Factory values of RESET: on, threshold -30 dB, 1:1.0, 100 ms, 100 ms, 0 dB.
    static constexpr std::array<int, DynamicsBlock::kFields> kResetValues{1, 30, 10, 100, 100, 0};

    // A slider field (not On); a value outside the slider's range throws.
    void set(int channel, DynamicsField field, int value, SliderCommit commit);
    void set_on(int channel, bool on);
    void toggle_on(int channel);
    // A transfer-graph marker moved to (x_db, y_db): the value it stands for is committed.
    void marker_moved(int channel, int marker, double x_db, double y_db);
    void reset(int channel);
    // After a preset recall wrote (and published) the block: its command while connected and
    // the whole block copied to the linked channels.
    void block_recalled(int channel);

    int value(int channel, DynamicsField field) const;
    // The block's description: its fields' ranges, its channels and its send rules.
    const DynamicsBlock& block() const { return block_; }

    bool commit_field(FieldTarget target, int index, const FieldPath& field, int value) override;

protected:
    DynamicsActions(ActionContext& ctx, const DynamicsBlock& block) : ctx_(ctx), block_(block) {}

private:
    static constexpr int kWholeBlock = -1;

    int32_t& field_ref(int channel, DynamicsField field);
    void check_channel(int channel) const;
    void send(int channel);
    void copy_to_group(int channel, int field_or_whole);
    // `wrote`: the channel's own block changed where the caller stored it.
    void publish(int channel, DynamicsField field, bool wrote);
    void commit(int channel, DynamicsField field, bool wrote);
    void commit_whole(int channel, bool wrote);

    ActionContext& ctx_;
    const DynamicsBlock& block_;
};

}  // namespace kestra
