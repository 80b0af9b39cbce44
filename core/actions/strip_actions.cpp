#include "actions/strip_actions.h"

#include <array>
#include <optional>
#include <stdexcept>
#include <string>

#include "actions/commit_row.h"
#include "model/state_fields.h"
#include "params/parameter_catalogue.h"
#include "protocol/command_encoder.h"
#include "text/channel_name_rule.h"

namespace kestra {

namespace {

using Scope = StateChange::Scope;
using Block = StateChange::Block;

void check(int value, int lo, int hi, const std::string& what) {
    if (value < lo || value > hi) {
        throw std::invalid_argument(what + " " + std::to_string(value) + " is outside " +
                                    std::to_string(lo) + ".." + std::to_string(hi));
    }
}

void check_input(int input) {
    check(input, 0, kInputCount - 1, "input");
}
void check_output(int output) {
    check(output, 0, kOutputCount - 1, "output");
}

// One strip parameter: where it lives. Its range, the link that copies it to group members,
// its read-out kind and its command are its catalogue row's; a channel without the row (FBK on
// a DANTE output, priority on CH33-CH64) takes a copied value but sends nothing.
struct StripParameter {
    const char* name;  // the field, as the catalogue's rows name it
    bool input;
    int32_t& (*field)(DeviceState&, int);
};

constexpr StripParameter kInputVolume{
    "volume", true, [](DeviceState& s, int i) -> int32_t& { return s.input(i).volume; }};
constexpr StripParameter kInputMute{
    "mute", true, [](DeviceState& s, int i) -> int32_t& { return s.input(i).mute; }};
constexpr StripParameter kInputPriority{
    "priority", true, [](DeviceState& s, int i) -> int32_t& { return s.input(i).priority; }};
constexpr StripParameter kInputGain{
    "gain_step", true, [](DeviceState& s, int i) -> int32_t& { return s.input(i).gain_step; }};
constexpr StripParameter kOutputVolume{
    "volume", false, [](DeviceState& s, int i) -> int32_t& { return s.output(i).volume; }};
constexpr StripParameter kOutputMute{
    "mute", false, [](DeviceState& s, int i) -> int32_t& { return s.output(i).mute; }};
constexpr StripParameter kOutputDelay{
    "delay_step", false, [](DeviceState& s, int i) -> int32_t& { return s.output(i).delay_step; }};
constexpr StripParameter kOutputLine{
    "line_mode", false, [](DeviceState& s, int i) -> int32_t& { return s.output(i).line_mode; }};
constexpr StripParameter kOutputFbk{
    "fbk", false, [](DeviceState& s, int i) -> int32_t& { return s.output(i).fbk; }};
constexpr StripParameter kInputSource{
    "source", true, [](DeviceState& s, int i) -> int32_t& { return s.input(i).source; }};

// What a scripted "set" of a strip row calls: the same entry points as the strip's controls.
struct StripSetter {
    const StripParameter* kind;
    void (StripActions::*set)(int, int);
};

constexpr std::array<StripSetter, 9> kSetters{{
    {&kInputVolume, &StripActions::set_input_volume},
    {&kInputMute, &StripActions::set_input_mute},
    {&kInputPriority, &StripActions::set_input_priority},
    {&kInputGain, &StripActions::set_input_gain_step},
    {&kOutputVolume, &StripActions::set_output_volume},
    {&kOutputMute, &StripActions::set_output_mute},
    {&kOutputDelay, &StripActions::set_output_delay_step},
    {&kOutputLine, &StripActions::set_output_line_mode},
    {&kOutputFbk, &StripActions::set_output_fbk},
}};

// The setter of a catalogue row's field, or null where the strip has none.
const StripSetter* setter_of(const Parameter& row) {
    const bool input = row.target == FieldTarget::Input;
    for (const StripSetter& s : kSetters) {
        if (s.kind->input == input && row.field.path == s.kind->name) {
            return &s;
        }
    }
    return nullptr;
}

// The row of the parameter on channel `index`, or null where the channel has none.
const Parameter* row_of(const StripParameter& kind, int index) {
    const int unit = kind.input ? StateFields::input_unit(index) : StateFields::output_unit(index);
    return ParameterCatalogue::of_field(unit, kind.name);
}

// The first channel's row: the range, link and read-out kind every channel shares.
const Parameter& first_row(const StripParameter& kind) {
    const Parameter* row = row_of(kind, 0);
    if (row == nullptr) {
        throw std::logic_error(std::string("no catalogue row for ") + kind.name);
    }
    return *row;
}

DatagramList encode(const DeviceState& state, const StripParameter& kind, int index) {
    const Parameter* row = row_of(kind, index);
    if (row == nullptr || row->command.letter == 0) {
        return {};
    }
    return encode_command(state, row->command.letter, row->command.selector);
}

std::vector<int> peers(const ActionContext& ctx, const StripParameter& kind, int index) {
    const int linked = first_row(kind).link;
    if (linked < 0) {
        return {};
    }
    const auto link = static_cast<GroupLink>(linked);
    return kind.input ? ctx.active_groups().input_peers(index, link)
                      : ctx.active_groups().output_peers(index, link);
}

void apply(ActionContext& ctx, const StripParameter& kind, int index, int value) {
    kind.input ? check_input(index) : check_output(index);
    const Parameter& row = first_row(kind);
    check(value, row.min, row.max, kind.name);

    DeviceState& state = ctx.state();
    const bool wrote = ActionContext::store(kind.field(state, index), value);
    ctx.send(encode(state, kind, index));
    const std::vector<int> members = peers(ctx, kind, index);
    std::vector<int> moved;  // the members whose value the copy changed
    for (int m : members) {
        if (ActionContext::store(kind.field(state, m), value)) {
            moved.push_back(m);
        }
        ctx.send(encode(state, kind, m));
    }

    const Scope scope = kind.input ? Scope::Input : Scope::Output;
    ctx.changed_if(wrote, {scope, index, Block::Strip});
    for (int m : moved) {
        ctx.changed({scope, m, Block::Strip});
    }
    if (row.readout_kind) {
        ctx.report(
            kind.input ? ActionContext::input_readout(index) : ActionContext::output_readout(index),
            *row.readout_kind);
    }
}

}  // namespace

StripActions::StripActions(ActionContext& context) : ctx_(context) {}

void StripActions::set_input_volume(int input, int volume) {
    apply(ctx_, kInputVolume, input, volume);
}
void StripActions::set_input_mute(int input, int mute) {
    apply(ctx_, kInputMute, input, mute);
}
void StripActions::set_input_gain_step(int input, int step) {
    apply(ctx_, kInputGain, input, step);
}

void StripActions::set_input_priority(int input, int priority) {
    if (input >= kProcessedInputs && input < kInputCount) {
        throw std::invalid_argument("priority exists on CH1-CH32 only");
    }
    apply(ctx_, kInputPriority, input, priority);
}

bool StripActions::set_input_source(int input, int source) {
    check_input(input);
    if (input < kFirstSourceInput) {
        throw std::invalid_argument("source is selectable on CH33-CH64 only");
    }
    const Parameter* row = row_of(kInputSource, input);
    if (row == nullptr) {
        throw std::logic_error("no catalogue row for source");
    }
    check(source, row->min, row->max, kInputSource.name);
    DeviceState& state = ctx_.state();
    if (source > 0) {
        for (int other = kFirstSourceInput; other < kInputCount; ++other) {
            if (other != input && state.input(other).source == source) {
                ctx_.notice(source_taken_text(other));
                return false;
            }
        }
    }
    const bool wrote = ActionContext::store(state.input(input).source, source);
    ctx_.send(encode(state, kInputSource, input));
    ctx_.changed_if(wrote, {Scope::Input, input, Block::Source});
    return true;
}

void StripActions::set_output_volume(int output, int volume) {
    apply(ctx_, kOutputVolume, output, volume);
}
void StripActions::set_output_mute(int output, int mute) {
    apply(ctx_, kOutputMute, output, mute);
}
void StripActions::set_output_delay_step(int output, int step) {
    apply(ctx_, kOutputDelay, output, step);
}
void StripActions::set_output_line_mode(int output, int line) {
    apply(ctx_, kOutputLine, output, line);
}

void StripActions::set_output_fbk(int output, int fbk) {
    if (output >= kMasterOutputs && output < kOutputCount) {
        throw std::invalid_argument("FBK exists on MASTER outputs only");
    }
    apply(ctx_, kOutputFbk, output, fbk);
}

const NameCodec& StripActions::codec() const {
    return ctx_.names().codec != nullptr ? *ctx_.names().codec : fallback_codec_;
}

// The operator looks for the holder among the strips, which show the number's default name
// or the name given to it, so both are told.
std::string StripActions::source_taken_text(int holder) const {
    std::string label = "CH " + std::to_string(holder + 1);  // CH33-CH64: two digits
    const std::string name = codec().to_utf8(ctx_.state().input(holder).short_name.str());
    if (!name.empty() && name != label) {
        label += " " + name;
    }
    return std::string(kSourceTaken) + " (" + label + ")";
}

bool StripActions::rename(bool input, int index, std::string_view utf8) {
    input ? check_input(index) : check_output(index);
    if (!channel_name_fits(utf8)) {
        ctx_.notice(kChannelNameTooLong);
        return false;
    }
    const NameCodec& names = codec();
    if (const auto fit = names.name_fit(utf8); fit != NameCodec::NameFit::Fits) {
        ctx_.notice(fit == NameCodec::NameFit::TooWide ? kNameTooWide : kNameNotEncodable);
        return false;
    }
    const GlyphRasterizer* glyphs = ctx_.names().glyphs;
    if (ctx_.connected() && glyphs == nullptr) {
        ctx_.notice(kNameNotSendable);
        return false;
    }

    DeviceState& state = ctx_.state();
    FixedText& field = input ? state.input(index).short_name : state.output(index).short_name;
    const FixedText named(names.from_utf8(utf8));
    const bool wrote = ActionContext::store(field, named);
    if (glyphs != nullptr) {
        // The wire channel that carries the name is its catalogue row's.
        const int unit = input ? StateFields::input_unit(index) : StateFields::output_unit(index);
        const Parameter* row = ParameterCatalogue::of_field(unit, "short_name");
        if (row == nullptr || row->command.selector.empty()) {
            throw std::logic_error("no catalogue row for short_name");
        }
        ctx_.send(encode_channel_name(state, row->command.selector[0], names, *glyphs));
    }
    ctx_.changed_if(wrote, {input ? Scope::Input : Scope::Output, index, Block::Name});
    return true;
}

bool StripActions::rename_input(int input, std::string_view utf8) {
    return rename(true, input, utf8);
}

bool StripActions::rename_output(int output, std::string_view utf8) {
    return rename(false, output, utf8);
}

void StripActions::select_input(int input) {
    check_input(input);
    ctx_.report(ActionContext::input_readout(input), kReadoutSelected);
}

void StripActions::select_output(int output) {
    check_output(output);
    ctx_.report(ActionContext::output_readout(output), kReadoutSelected);
}

bool StripActions::commit_field(FieldTarget target, int index, const FieldPath& field, int value) {
    const CommitRow found = CommitRow::find(target, index, field);
    if (!found.in({Block::Strip, Block::Source})) {
        return false;
    }
    if (found.row().change.block == Block::Source) {
        set_input_source(index, value);  // a refused AUX source is a notice
        return true;
    }
    const StripSetter* setter = setter_of(found.row());
    if (setter == nullptr) {
        return false;
    }
    (this->*setter->set)(index, value);
    return true;
}

}  // namespace kestra
