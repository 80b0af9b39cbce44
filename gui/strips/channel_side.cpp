#include "strips/channel_side.h"

#include "operator/operator_actions.h"
#include "session/level_feed.h"
#include "skin/skin_ids.h"
#include "skin/skin_palette.h"

namespace kestra {

namespace {

const InputChannel& input_of(const DeviceState& state, int channel) {
    return state.inputs.at(static_cast<std::size_t>(channel));
}

const OutputChannel& output_of(const DeviceState& state, int channel) {
    return state.outputs.at(static_cast<std::size_t>(channel));
}

}  // namespace

int ChannelSide::volume(const DeviceState& state, int channel) const {
    return in() ? input_of(state, channel).volume : output_of(state, channel).volume;
}

bool ChannelSide::muted(const DeviceState& state, int channel) const {
    return (in() ? input_of(state, channel).mute : output_of(state, channel).mute) != 0;
}

std::string ChannelSide::name(const DeviceState& state, int channel) const {
    return in() ? input_of(state, channel).name.str() : output_of(state, channel).name.str();
}

std::string ChannelSide::short_name(const DeviceState& state, int channel) const {
    return in() ? input_of(state, channel).short_name.str()
                : output_of(state, channel).short_name.str();
}

QColor ChannelSide::frame(OperatorActions& surface, int channel) const {
    const ActiveGroups& groups = surface.context().active_groups();
    const Rgb rgb = in() ? groups.input_frame(channel) : groups.output_frame(channel);
    return {rgb.r, rgb.g, rgb.b};
}

int ChannelSide::meter(const LevelView& view, int channel) const {
    const auto i = static_cast<std::size_t>(channel);
    return in() ? view.input_meter.at(i) : view.output_meter.at(i);
}

void ChannelSide::set_volume(OperatorActions& surface, int channel, int volume) const {
    if (in()) {
        surface.strips.set_input_volume(channel, volume);
    } else {
        surface.strips.set_output_volume(channel, volume);
    }
}

void ChannelSide::set_mute(OperatorActions& surface, int channel, bool mute) const {
    if (in()) {
        surface.strips.set_input_mute(channel, mute ? 1 : 0);
    } else {
        surface.strips.set_output_mute(channel, mute ? 1 : 0);
    }
}

bool ChannelSide::rename(OperatorActions& surface, int channel, const std::string& utf8) const {
    return in() ? surface.strips.rename_input(channel, utf8)
                : surface.strips.rename_output(channel, utf8);
}

int ChannelSide::background() const {
    return in() ? skin::kInputStripBackground : skin::kOutputStripBackground;
}

QColor ChannelSide::idle_frame() const {
    return in() ? skin::SkinPalette::input_frame() : skin::SkinPalette::output_accent();
}

int ChannelSide::fader_track() const {
    return in() ? skin::kInputFaderTrack : skin::kOutputFaderTrack;
}

int ChannelSide::fader_thumb() const {
    return in() ? skin::kInputFaderThumb : skin::kOutputFaderThumb;
}

}  // namespace kestra
