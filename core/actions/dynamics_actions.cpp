#include "actions/dynamics_actions.h"

#include <stdexcept>
#include <string>

#include "actions/commit_row.h"
#include "actions/member_copy.h"
#include "model/state_fields.h"
#include "params/parameter_catalogue.h"
#include "params/value_range.h"

namespace kestra {

namespace {

constexpr std::array<std::string_view, DynamicsBlock::kFields> kFieldNames{
    "on", "threshold", "ratio", "attack", "release", "gain"};

std::size_t slot(DynamicsField field) {
    return static_cast<std::size_t>(field);
}

}  // namespace

const Parameter& DynamicsBlock::row(DynamicsField field) const {
    const int unit =
        target == FieldTarget::Input ? StateFields::input_unit(0) : StateFields::output_unit(0);
    const Parameter* p = ParameterCatalogue::of_field(
        unit, std::string(field_prefix) + std::string(kFieldNames[slot(field)]));
    if (p == nullptr) {
        throw std::logic_error("no catalogue row for " + std::string(field_prefix) +
                               std::string(kFieldNames[slot(field)]));
    }
    return *p;
}

void DynamicsActions::check_channel(int channel) const {
    require_range(channel, 0, block_.channel_count - 1, "channel index");
}

int32_t& DynamicsActions::field_ref(int channel, DynamicsField field) {
    check_channel(channel);
    return *block_.fields(ctx_.state(), channel)[slot(field)];
}

int DynamicsActions::value(int channel, DynamicsField field) const {
    check_channel(channel);
    return *block_.fields(ctx_.state(), channel)[slot(field)];
}

void DynamicsActions::send(int channel) {
    if (channel < block_.send_limit) {
        ctx_.send(block_.encode(ctx_.state(), channel));
    }
}

void DynamicsActions::copy_to_group(int channel, int field_or_whole) {
    MemberCopy how;
    how.copy = [&](int m) {
        const auto src = block_.fields(ctx_.state(), channel);
        const auto dst = block_.fields(ctx_.state(), m);
        bool wrote = false;
        for (std::size_t f = 0; f < DynamicsBlock::kFields; ++f) {
            if (field_or_whole == kWholeBlock || static_cast<int>(f) == field_or_whole) {
                wrote = ActionContext::store(*dst[f], *src[f]) || wrote;
            }
        }
        return MemberCopy::changed(block_.block, wrote);
    };
    how.encode = [&](int m) { return block_.encode(ctx_.state(), m); };
    how.send_limit = block_.send_limit;
    how.scope = block_.scope;
    how.blocks = {block_.block};
    const ActiveGroups& groups = ctx_.active_groups();
    copy_to_members(ctx_,
                    block_.target == FieldTarget::Input ? groups.input_peers(channel, block_.link)
                                                        : groups.output_peers(channel, block_.link),
                    how);
}

void DynamicsActions::publish(int channel, DynamicsField field, bool wrote) {
    ctx_.changed_if(wrote, StateChange{block_.scope, channel, block_.block});
    if (const std::optional<ReadoutKind> kind = block_.kind(field)) {
        ctx_.report(block_.readout(channel), *kind);
    }
}

void DynamicsActions::commit(int channel, DynamicsField field, bool wrote) {
    send(channel);
    copy_to_group(channel, static_cast<int>(field));
    publish(channel, field, wrote);
}

void DynamicsActions::commit_whole(int channel, bool wrote) {
    send(channel);
    copy_to_group(channel, kWholeBlock);
    publish(channel, DynamicsField::On, wrote);
}

void DynamicsActions::set(int channel, DynamicsField field, int value, SliderCommit commit_kind) {
    check_channel(channel);
    if (field == DynamicsField::On) {
        throw std::invalid_argument("the on/off switch is not a slider");
    }
    require_range(value, block_.min(field), block_.max(field),
                  std::string(block_.field_prefix) + std::string(kFieldNames[slot(field)]));
    const bool wrote = ActionContext::store(field_ref(channel, field), value);
    if (commit_kind == SliderCommit::Released) {
        commit(channel, field, wrote);
        return;
    }
    if (block_.sends_while_moving) {
        send(channel);
    }
    publish(channel, field, wrote);
}

void DynamicsActions::set_on(int channel, bool on) {
    const bool wrote = ActionContext::store(field_ref(channel, DynamicsField::On), on ? 1 : 0);
    commit(channel, DynamicsField::On, wrote);
}

void DynamicsActions::toggle_on(int channel) {
    set_on(channel, field_ref(channel, DynamicsField::On) == 0);
}

void DynamicsActions::marker_moved(int channel, int marker, double x_db, double y_db) {
    const int threshold = field_ref(channel, DynamicsField::Threshold);
    const DynamicsMarkerValue v = dynamics_marker_value(marker, x_db, y_db, threshold);
    const bool wrote = ActionContext::store(field_ref(channel, v.field), v.value);
    commit(channel, v.field, wrote);
}

void DynamicsActions::reset(int channel) {
    check_channel(channel);
    const bool output = block_.target == FieldTarget::Output;
    ctx_.label(ctx_.channel_label(output, channel) + (output ? " LIMIT reset" : " COMP reset"));
    const auto fields = block_.fields(ctx_.state(), channel);
    bool wrote = false;
    for (std::size_t f = 0; f < DynamicsBlock::kFields; ++f) {
        wrote = ActionContext::store(*fields[f], kResetValues[f]) || wrote;
    }
    commit_whole(channel, wrote);
}

void DynamicsActions::block_recalled(int channel) {
    check_channel(channel);
    commit_whole(channel, false);  // the recall published what it wrote
}

bool DynamicsActions::commit_field(FieldTarget target, int index, const FieldPath& field,
                                   int value) {
    const CommitRow found = CommitRow::find(target, index, field);
    if (!found.in({block_.block}) || found.row().target != block_.target) {
        return false;
    }
    const std::string_view rest = std::string_view(field.name).substr(block_.field_prefix.size());
    for (std::size_t f = 0; f < DynamicsBlock::kFields; ++f) {
        if (rest != kFieldNames[f]) {
            continue;
        }
        const auto which = static_cast<DynamicsField>(f);
        if (which == DynamicsField::On) {
            check_channel(index);
            found.check(value, field.name);
            set_on(index, value == 1);
        } else {
            set(index, which, value, SliderCommit::Released);  // the range is the row's
        }
        return true;
    }
    return false;
}

}  // namespace kestra
