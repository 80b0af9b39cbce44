#include "actions/geq_actions.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "actions/commit_row.h"
#include "actions/member_copy.h"
#include "params/value_range.h"

namespace kestra {

namespace {

constexpr std::optional<ReadoutKind> kNoKind;

ReadoutKind band_kind(int band) {
    return geq_band_kind(band);
}

}  // namespace

GeqActions::GeqActions(ActionContext& ctx) : ctx_(ctx), drag_(ctx.clock()) {}

OutputChannel& GeqActions::record(int output) {
    require_range(output, 0, kOutputCount - 1, "output index");
    return ctx_.state().output(output);
}

void GeqActions::send(int output) {
    ctx_.send(encode_graphic_eq(ctx_.state(), output + 1));
}

void GeqActions::copy_to_group(int output, Part part, int band) {
    const OutputChannel& src = ctx_.state().output(output);
    MemberCopy how;
    how.copy = [&](int m) {
        OutputChannel& dst = ctx_.state().output(m);
        bool wrote = false;
        switch (part) {
            case Part::Band:
                wrote = ActionContext::store(dst.geq_band[static_cast<std::size_t>(band)].gain,
                                             src.geq_band[static_cast<std::size_t>(band)].gain);
                break;
            case Part::Switch:
                wrote = ActionContext::store(dst.geq_on, src.geq_on);
                break;
            case Part::AllBands:
                for (std::size_t b = 0; b < kBands; ++b) {
                    wrote =
                        ActionContext::store(dst.geq_band[b].gain, src.geq_band[b].gain) || wrote;
                }
                break;
        }
        return MemberCopy::changed(StateChange::Block::Geq, wrote);
    };
    how.encode = [&](int m) { return encode_graphic_eq(ctx_.state(), m + 1); };
    how.send_limit = kOutputCount;
    how.scope = StateChange::Scope::Output;
    how.blocks = {StateChange::Block::Geq};
    copy_to_members(ctx_, ctx_.active_groups().output_peers(output, kLinkEq), how);
}

void GeqActions::publish(int output, std::optional<ReadoutKind> kind, bool wrote) {
    ctx_.changed_if(wrote,
                    StateChange{StateChange::Scope::Output, output, StateChange::Block::Geq});
    if (kind) {
        ctx_.report(ActionContext::output_readout(output), *kind);
    }
}

void GeqActions::set_band_gain(int output, int band, int gain) {
    OutputChannel& out = record(output);
    require_range(band, 0, kBands - 1, "band index");
    require_range(gain, 0, kMaxGain, "gain");
    const bool wrote =
        ActionContext::store(out.geq_band[static_cast<std::size_t>(band)].gain, gain);
    send(output);
    copy_to_group(output, Part::Band, band);
    publish(output, band_kind(band), wrote);
}

void GeqActions::marker_moved(int output, int band, double gain_db, MarkerUpdate update) {
    OutputChannel& out = record(output);
    require_range(band, 0, kBands - 1, "band index");
    if (!std::isfinite(gain_db)) {
        throw std::invalid_argument("marker gain is not a number");
    }
    if (update != MarkerUpdate::Drag) {
        drag_.released();
    }
    const int stored = EqGainLaw::stored_of_marker(gain_db);
    int32_t& gain = out.geq_band[static_cast<std::size_t>(band)].gain;
    // A stroke passes a band with many moves; only a new gain goes out.
    const bool wrote = ActionContext::store(gain, stored);
    if (update == MarkerUpdate::DrawPath && !wrote) {
        return;
    }
    if (update == MarkerUpdate::Drag) {
        drag_output_ = output;
        if (drag_.moved(band)) {
            send(output);
        }
    } else {
        send(output);
        if (update == MarkerUpdate::Release) {
            copy_to_group(output, Part::Band, band);
        }
    }
    publish(output, band_kind(band), wrote);
}

void GeqActions::draw_path_finished(int output) {
    record(output);
    copy_to_group(output, Part::AllBands, 0);
}

void GeqActions::marker_double_clicked(int output, int band) {
    set_band_gain(output, band, kFlatGain);
}

void GeqActions::set_on(int output, bool on) {
    const bool wrote = ActionContext::store(record(output).geq_on, on ? 1 : 0);
    send(output);
    copy_to_group(output, Part::Switch, 0);
    publish(output, kNoKind, wrote);
}

void GeqActions::toggle_on(int output) {
    set_on(output, record(output).geq_on == 0);
}

void GeqActions::reset(int output) {
    OutputChannel& out = record(output);
    ctx_.label(ctx_.channel_label(true, output) + " GEQ reset");
    bool wrote = false;
    for (std::size_t b = 0; b < kBands; ++b) {
        wrote = ActionContext::store(out.geq_band[b].gain, int32_t{kFlatGain}) || wrote;
    }
    commit_block(output, wrote);
}

void GeqActions::block_recalled(int output) {
    record(output);
    commit_block(output, false);  // the recall published what it wrote
}

void GeqActions::commit_block(int output, bool wrote) {
    send(output);
    copy_to_group(output, Part::AllBands, 0);
    publish(output, kNoKind, wrote);
}

void GeqActions::tick() {
    if (!ctx_.connected()) {
        return;  // a resting drag stays pending until the release
    }
    if (const std::optional<int> band = drag_.take_trailing()) {
        send(drag_output_);
        copy_to_group(drag_output_, Part::Band, *band);
    }
}

bool GeqActions::commit_field(FieldTarget target, int index, const FieldPath& field, int value) {
    const CommitRow found = CommitRow::find(target, index, field);
    if (!found.in({StateChange::Block::Geq})) {
        return false;
    }
    if (found.row().law.type == ParameterType::Bool) {
        found.check(value, field.str());
        set_on(index, value == 1);
        return true;
    }
    found.check_on_channel(value, "gain");
    set_band_gain(index, field.index, value);
    return true;
}

}  // namespace kestra
