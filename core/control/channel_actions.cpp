#include "control/channel_actions.h"

#include <stdexcept>
#include <string>

#include "protocol/command_encoder.h"

namespace kestra {

namespace {

void check(int value, int lo, int hi, const char* what) {
    if (value < lo || value > hi) {
        throw std::invalid_argument(std::string(what) + " " + std::to_string(value) +
                                    " is outside " + std::to_string(lo) + ".." +
                                    std::to_string(hi));
    }
}

}  // namespace

void ChannelActions::send_fader(int wire_channel) {
    if (state_.system.connected) {
        sink_.send(encode_fader(state_, wire_channel));
    }
}

void ChannelActions::set_input_volume(int index, int volume) {
    check(index, 0, kInputCount - 1, "input");
    check(volume, 0, kMaxVolume, "volume");
    state_.input(index).volume = volume;
    send_fader(index + 1);
}

void ChannelActions::set_input_mute(int index, int mute) {
    check(index, 0, kInputCount - 1, "input");
    check(mute, 0, 1, "mute");
    state_.input(index).mute = mute;
    send_fader(index + 1);
}

void ChannelActions::set_output_volume(int index, int volume) {
    check(index, 0, kOutputCount - 1, "output");
    check(volume, 0, kMaxVolume, "volume");
    state_.output(index).volume = volume;
    send_fader(kWireOutputBase + index + 1);
}

void ChannelActions::set_output_mute(int index, int mute) {
    check(index, 0, kOutputCount - 1, "output");
    check(mute, 0, 1, "mute");
    state_.output(index).mute = mute;
    send_fader(kWireOutputBase + index + 1);
}

}  // namespace kestra
