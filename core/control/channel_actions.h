#pragma once

#include "model/device_state.h"
#include "protocol/frame_sink.h"

namespace kestra {

// Fader and mute of a channel as its strip commits them: store in the state, then send "A"
// while connected. Indices are zero-based; a value outside its range throws
// std::invalid_argument and changes nothing.
class ChannelActions {
public:
    static constexpr int kMaxVolume = 70;

    ChannelActions(DeviceState& state, FrameSink& sink) : state_(state), sink_(sink) {}

    void set_input_volume(int index, int volume);
    void set_input_mute(int index, int mute);
    void set_output_volume(int index, int volume);
    void set_output_mute(int index, int mute);

private:
    void send_fader(int wire_channel);

    DeviceState& state_;
    FrameSink& sink_;
};

}  // namespace kestra
