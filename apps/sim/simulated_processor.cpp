#include "simulated_processor.h"

#include <algorithm>
#include <cmath>

#include "protocol/command_decoder.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "protocol/reply_encoder.h"

namespace kestra::sim {

SimulatedProcessor::SimulatedProcessor(SimMode mode, int processed_inputs)
    : mode_(mode), processed_inputs_(processed_inputs) {
    for (int i = 0; i < kInputCount; ++i) {
        state_.inputs[static_cast<std::size_t>(i)].gain_step = i % 5;
    }
    state_.system.device_text.assign("23");
    state_.system.automix_cfg = {0, 4, 10, 30, 27, 1};
    // The processor's own unit button and five units are usable.
    state_.system.unit_extra = 6;
}

std::vector<std::string> SimulatedProcessor::on_frame(std::string_view frame) {
    if (mode_ == SimMode::silent || !frame_is_valid(frame)) {
        return {};
    }
    const char letter = frame[1];
    const auto fields = CommandDecoder::fields(frame);
    if (letter == 'Z') {
        std::vector<std::string> replies{encode_full_state(state_, processed_inputs_)};
        if (mode_ == SimMode::normal) {
            replies.push_back(encode_connect_reply(state_, codec_));
        }
        return replies;
    }
    if (mode_ == SimMode::z_only) {
        return {};
    }
    if (letter == 'R') {
        return {FrameBuilder('R').hex2(1).field("0004").finish()};
    }
    if (letter == 'Q') {
        reports_on_ = fields.size() > 2 && hex_group_value(fields[2]) == 1;
        return {};
    }
    if (letter == 'S' || letter == 'T') {
        return firmware_.on_frame(letter, fields);
    }
    if (!drops_next()) {
        CommandDecoder::apply(state_, codec_, letter, fields);
    }
    return {};
}

void SimulatedProcessor::drop_commands(int percent, uint32_t seed) {
    drop_percent_ = percent;
    drop_random_.seed(seed);
}

// One draw per command, taken whether or not it is dropped, so that a seed always drops the
// same commands of the same sequence.
bool SimulatedProcessor::drops_next() {
    ++commands_seen_;
    if (drop_percent_ <= 0) {
        return false;
    }
    const bool drop = static_cast<int>(drop_random_() % 100) < drop_percent_;
    commands_dropped_ += drop ? 1 : 0;
    return drop;
}

// Speech on the first inputs (bursts with pauses, talkers taking turns), music on a few
// others, silence elsewhere; outputs follow the routed mix.
void SimulatedProcessor::move_levels(double t) {
    for (int i = 0; i < kInputCount; ++i) {
        InputChannel& ch = state_.inputs[static_cast<std::size_t>(i)];
        double level = 0;
        if (i < 6) {
            const double turn = std::fmod(t + i * 2.7, 16.0);
            const bool talking = turn < 5.0;
            const double syllables = 0.5 + 0.5 * std::sin(t * 11.0 + i) * std::sin(t * 3.1 + 2 * i);
            level = talking ? 38 + 22 * std::abs(syllables) : 6 + 3 * std::abs(std::sin(t + i));
        } else if (i >= 32 && i < 36) {
            level = 45 + 10 * std::sin(t * 0.9 + i) + 5 * std::sin(t * 7.3 + i * 0.5);
        }
        ch.level = static_cast<int32_t>(std::lround(std::clamp(level, 0.0, 70.0)));
        ch.mix_flag = (i < 32 && ch.level > 30) ? 1 : 0;
    }
    for (int m = 0; m < kOutputCount; ++m) {
        int loudest = 0;
        for (const InputChannel& ch : state_.inputs) {
            if (ch.matrix_row[static_cast<std::size_t>(m)] != 0) {
                loudest = std::max(loudest, static_cast<int>(ch.level));
            }
        }
        state_.outputs[static_cast<std::size_t>(m)].level = m < 2 ? std::max(loudest, 20) : loudest;
    }
}

std::string SimulatedProcessor::level_report(double t) {
    move_levels(t);
    int talker = 0;
    int loudest = 30;
    for (int i = 0; i < kProcessedInputs; ++i) {
        if (state_.inputs[static_cast<std::size_t>(i)].level > loudest) {
            loudest = state_.inputs[static_cast<std::size_t>(i)].level;
            talker = i + 1;
        }
    }
    return encode_levels(state_, talker);
}

std::string SimulatedProcessor::fader_report(int offset) const {
    if (offset == 0) {
        return encode_faders(state_);
    }
    DeviceState moved = state_;
    for (InputChannel& in : moved.inputs) {
        in.volume = std::clamp(in.volume + offset, 0, 70);
    }
    for (OutputChannel& out : moved.outputs) {
        out.volume = std::clamp(out.volume + offset, 0, 70);
    }
    return encode_faders(moved);
}

}  // namespace kestra::sim
