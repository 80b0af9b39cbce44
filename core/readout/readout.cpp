#include "readout/readout.h"

#include <stdexcept>

#include "readout/channel_parameter.h"

namespace kestra {

namespace {

constexpr int kOutputBase = ActionContext::kReadoutOutputBase;

bool is_input(int channel) {
    return channel >= 0 && channel < kInputCount;
}

bool is_output(int channel) {
    return channel >= kOutputBase && channel < kOutputBase + kOutputCount;
}

}  // namespace

Readout::Readout(ActionContext& ctx)
    : ctx_(ctx),
      requests_(
          ctx.readout_requests().subscribe([this](const ReadoutRequest& r) { on_request(r); })),
      changes_(ctx.changes().subscribe([this](const StateChange& c) { on_change(c); })) {}

bool Readout::valid(int channel, ReadoutKind kind) {
    return (is_input(channel) || is_output(channel)) && readout_kind_of(number_of(kind));
}

// Reports come from the product's own views, so an invalid one is a slip there; the read-out
// keeps what it shows rather than fail the change that reported it.
void Readout::on_request(const ReadoutRequest& request) {
    if (valid(request.channel, request.kind)) {
        show_parameter(request.channel, request.kind);
    }
}

void Readout::show_parameter(int channel, ReadoutKind kind) {
    if (!valid(channel, kind)) {
        throw std::invalid_argument("read-out channel " + std::to_string(channel) + " kind " +
                                    std::to_string(number_of(kind)) +
                                    ": channels are 0-63 and 80-95, kinds 0-71");
    }
    display_ = read(channel, kind);
    shown_.publish(display_);
}

ReadoutDisplay Readout::read(int channel, ReadoutKind kind) const {
    ReadoutDisplay shown = display_;
    shown.channel = channel;
    shown.kind = kind;
    shown.channel_label = short_name(channel);
    const auto parameter = readout_parameter(ctx_.state(), channel, kind);
    if (parameter) {
        shown.parameter_name = parameter->name;
        shown.value_text = parameter->value_text();
    }
    shown.frequency_text =
        parameter && parameter->frequency_text ? parameter->frequency_text() : std::string();
    return shown;
}

bool Readout::shows(const StateChange& change) const {
    using Scope = StateChange::Scope;
    if (change.scope == Scope::Everything || change.index == StateChange::kEvery) {
        return true;
    }
    const int channel = display_.channel;
    return (change.scope == Scope::Input && is_input(channel) && change.index == channel) ||
           (change.scope == Scope::Output && is_output(channel) &&
            change.index == channel - kOutputBase);
}

// Unasked refreshes leave a box alone unless what it shows changed, so the operator's typing
// is not wiped by every unrelated change.
void Readout::on_change(const StateChange& change) {
    if (!shows(change) || !valid(display_.channel, display_.kind)) {
        return;
    }
    ReadoutDisplay now = read(display_.channel, display_.kind);
    if (now == display_) {
        return;
    }
    display_ = std::move(now);
    shown_.publish(display_);
}

std::string Readout::short_name(int channel) const {
    const NameCodec& codec = ctx_.names().codec ? *ctx_.names().codec : fallback_codec_;
    const DeviceState& state = ctx_.state();
    const FixedText& name =
        is_input(channel)
            ? state.inputs[static_cast<std::size_t>(channel)].short_name
            : state.outputs[static_cast<std::size_t>(channel - kOutputBase)].short_name;
    return codec.to_utf8(name.str());
}

void Readout::apply_typed_value(Box box, std::string_view text) {
    const int channel = display_.channel;
    const ReadoutKind kind = display_.kind;
    auto parameter = readout_parameter(ctx_.state(), channel, kind);
    TypedEntry entry;
    if (parameter && box == Box::Value) {
        entry = parameter->store_value(std::string(text));
    } else if (parameter && box == Box::Frequency && parameter->store_frequency) {
        entry = parameter->store_frequency(std::string(text));
    }
    if (entry.stored) {
        const ActionContext::OriginScope typed(ctx_, ChangeOrigin::TypedEntry);
        ctx_.changed_if(entry.changed, parameter->change);
        ctx_.send(parameter->command());
    } else if (!entry.refusal.empty()) {
        ctx_.notice(entry.refusal);
    }
    show_parameter(channel, kind);
}

}  // namespace kestra
