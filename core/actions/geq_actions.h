#pragma once

#include <optional>

#include "actions/action_context.h"
#include "actions/drag_send_policy.h"
#include "actions/field_committer.h"
#include "params/eq_gain_law.h"

namespace kestra {

// The graphic EQ editor's operator actions on one output at a time: the 15 band gains through
// the bar markers and the free-hand draw path, the on/off switch and RESET. `output` is
// zero-based, `band` 0-14, gains in state units (0-300, 150 = 0 dB) unless given in dB.
//
// Every change sends the whole "H" of the output while connected. Committed changes are
// copied to the other outputs of an active control group that links EQ, each of which gets
// its own "H".
class GeqActions final : public FieldCommitter {
public:
    static constexpr int kBands = 15;
    static constexpr int kFlatGain = EqGainLaw::kFlat;
    static constexpr int kMaxGain = EqGainLaw::kMax;

    // Where a marker update comes from: a marker being dragged, the release that ends the
    // drag, or a stroke of the draw mode (sent at once, copied to the group at its end).
    enum class MarkerUpdate { Drag, Release, DrawPath };

    explicit GeqActions(ActionContext& ctx);

    // A band committed as a marker release commits it.
    void set_band_gain(int output, int band, int gain);
    // A bar marker moved to `gain_db` (limited to -15 ... +15 dB). A stroke point that leaves
    // the band's gain as it is sends nothing.
    void marker_moved(int output, int band, double gain_db, MarkerUpdate update);
    // The end of a draw stroke: all 15 gains go to the linked outputs once.
    void draw_path_finished(int output);
    // The band back to 0 dB at once.
    void marker_double_clicked(int output, int band);

    void set_on(int output, bool on);
    void toggle_on(int output);
    // Every band flat.
    void reset(int output);

    // The editor's 50 ms timer: the trailing send of a drag whose marker has come to rest.
    void tick();

    // After a preset recall wrote the gains: "H" while connected and all 15 gains copied to
    // the linked outputs.
    void block_recalled(int output);

    // geq_band[k].gain (k 0-14) and geq_on of outputs.
    bool commit_field(FieldTarget target, int index, const FieldPath& field, int value) override;

private:
    enum class Part { Band, Switch, AllBands };

    OutputChannel& record(int output);
    void send(int output);
    void copy_to_group(int output, Part part, int band);
    // `wrote`: the output's own block changed where the caller stored it.
    void publish(int output, std::optional<ReadoutKind> kind, bool wrote);
    void commit_block(int output, bool wrote);

    ActionContext& ctx_;
    DragSendPolicy drag_;
    int drag_output_ = 0;
};

}  // namespace kestra
