#include "actions/compressor_actions.h"

namespace kestra {

namespace {

std::array<int32_t*, DynamicsBlock::kFields> compressor_fields(DeviceState& state, int input) {
    InputChannel& in = state.input(input);
    return {&in.comp_on,     &in.comp_threshold, &in.comp_ratio,
            &in.comp_attack, &in.comp_release,   &in.comp_gain};
}

DatagramList encode_input_compressor(const DeviceState& state, int input) {
    return encode_compressor(state, input + 1);
}

}  // namespace

const DynamicsBlock CompressorActions::kBlock{
    .field_prefix = "comp_",
    .target = FieldTarget::Input,
    .channel_count = kInputCount,
    .send_limit = kProcessedInputs,
    .sends_while_moving = false,
    .link = kLinkComp,
    .scope = StateChange::Scope::Input,
    .block = StateChange::Block::Compressor,
    .readout = &ActionContext::input_readout,
    .fields = &compressor_fields,
    .encode = &encode_input_compressor,
};

CompressorActions::CompressorActions(ActionContext& ctx) : DynamicsActions(ctx, kBlock) {}

}  // namespace kestra
