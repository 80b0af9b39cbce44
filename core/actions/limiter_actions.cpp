#include "actions/limiter_actions.h"

namespace kestra {

namespace {

std::array<int32_t*, DynamicsBlock::kFields> limiter_fields(DeviceState& state, int output) {
    OutputChannel& out = state.output(output);
    return {&out.lim_on,     &out.lim_threshold, &out.lim_ratio,
            &out.lim_attack, &out.lim_release,   &out.lim_gain};
}

DatagramList encode_output_limiter(const DeviceState& state, int output) {
    return encode_limiter(state, output + 1);
}

}  // namespace

const DynamicsBlock LimiterActions::kBlock{
    .field_prefix = "lim_",
    .target = FieldTarget::Output,
    .channel_count = kOutputCount,
    .send_limit = kOutputCount,
    .sends_while_moving = true,
    .link = kLinkLimit,
    .scope = StateChange::Scope::Output,
    .block = StateChange::Block::Limiter,
    .readout = &ActionContext::output_readout,
    .fields = &limiter_fields,
    .encode = &encode_output_limiter,
};

LimiterActions::LimiterActions(ActionContext& ctx) : DynamicsActions(ctx, kBlock) {}

}  // namespace kestra
