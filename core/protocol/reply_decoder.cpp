#include "protocol/reply_decoder.h"

#include <algorithm>
#include <cstdint>

#include "params/band_type_law.h"
#include "params/eq_gain_law.h"
#include "protocol/frame_codec.h"
#include "protocol/hex_run.h"

namespace kestra {

namespace {

// The complete groups of one data field, at most `limit` of them, decoded in one run: a
// one-digit group gives one value, a group of an even number of digits one byte per pair. A
// trailing partial group is not a group.
class Groups {
public:
    Groups(std::string_view field, std::size_t digits, std::size_t limit)
        : count_(std::min(field.size() / digits, limit)), stride_(digits == 1 ? 1 : digits / 2) {
        count_ = std::min(count_, kCapacity / stride_);
        if (digits == 1) {
            hex_nibbles(field.data(), count_, bytes_.data());
        } else {
            hex_pairs(field.data(), count_ * stride_, bytes_.data());
        }
    }

    std::size_t count() const { return count_; }
    const uint8_t* operator[](std::size_t k) const { return bytes_.data() + k * stride_; }

private:
    static constexpr std::size_t kCapacity = kInputCount * 4 * 5;  // the PEQ field
    std::size_t count_;
    std::size_t stride_;
    std::array<uint8_t, kCapacity> bytes_;  // only the first count_ groups are written
};

inline int32_t word(const uint8_t* b) {
    return (b[0] << 8) | b[1];
}

// "All channels": inputs 1-64 then outputs 1-16; one byte or digit per group.
void put_all(DeviceState& s, const Groups& g, int32_t InputChannel::*in,
             int32_t OutputChannel::*out) {
    const std::size_t n = g.count();
    for (std::size_t k = 0; k < n && k < kInputCount; ++k) {
        s.inputs[k].*in = *g[k];
    }
    for (std::size_t k = kInputCount; k < n; ++k) {
        s.outputs[k - kInputCount].*out = *g[k];
    }
}

void put_inputs(DeviceState& s, const Groups& g, int32_t InputChannel::*member,
                std::size_t first = 0) {
    for (std::size_t k = 0; k < g.count(); ++k) {
        s.inputs[first + k].*member = *g[k];
    }
}

void put_outputs(DeviceState& s, const Groups& g, int32_t OutputChannel::*member) {
    for (std::size_t k = 0; k < g.count(); ++k) {
        s.outputs[k].*member = *g[k];
    }
}

// Five bytes per channel: ratio, threshold, attack, release, gain.
template <class Channel>
using DynamicsMembers = std::array<int32_t Channel::*, 5>;
constexpr DynamicsMembers<InputChannel> kCompressor{
    &InputChannel::comp_ratio, &InputChannel::comp_threshold, &InputChannel::comp_attack,
    &InputChannel::comp_release, &InputChannel::comp_gain};
constexpr DynamicsMembers<OutputChannel> kLimiter{
    &OutputChannel::lim_ratio, &OutputChannel::lim_threshold, &OutputChannel::lim_attack,
    &OutputChannel::lim_release, &OutputChannel::lim_gain};

template <class Channel, std::size_t N>
void put_dynamics(std::array<Channel, N>& channels, const Groups& g,
                  const DynamicsMembers<Channel>& members) {
    for (std::size_t k = 0; k < g.count(); ++k) {
        for (std::size_t i = 0; i < members.size(); ++i) {
            channels[k].*members[i] = g[k][i];
        }
    }
}

// Ten digits per input: mode, frequency (2 bytes), slope, one unused byte.
struct FilterMembers {
    int32_t InputChannel::*mode;
    int32_t InputChannel::*freq;
    int32_t InputChannel::*slope;
};
constexpr FilterMembers kLowPass{&InputChannel::lpf_mode, &InputChannel::lpf_freq,
                                 &InputChannel::lpf_slope};
constexpr FilterMembers kHighPass{&InputChannel::hpf_mode, &InputChannel::hpf_freq,
                                  &InputChannel::hpf_slope};

void put_filter(std::array<InputChannel, kInputCount>& in, const Groups& g,
                const FilterMembers& m) {
    for (std::size_t k = 0; k < g.count(); ++k) {
        in[k].*m.mode = g[k][0];
        in[k].*m.freq = word(g[k] + 1);
        in[k].*m.slope = g[k][3];
    }
}

// The decoders below write only after every check has passed, and nothing after that point
// can fail; that is what keeps a rejected frame from leaving half its values behind.

void apply_full_state(const ReplyFields& f, DeviceState& s) noexcept {
    auto& in = s.inputs;
    auto& out = s.outputs;
    constexpr std::size_t kSources = kInputCount - kProcessedInputs;  // inputs 33-64

    put_all(s, Groups(f.data(2), 2, kAllChannels), &InputChannel::volume, &OutputChannel::volume);
    put_all(s, Groups(f.data(3), 1, kAllChannels), &InputChannel::mute, &OutputChannel::mute);
    put_inputs(s, Groups(f.data(4), 1, kProcessedInputs), &InputChannel::comp_on);
    put_dynamics(in, Groups(f.data(5), 10, kInputCount), kCompressor);
    put_outputs(s, Groups(f.data(6), 1, kOutputCount), &OutputChannel::lim_on);
    put_dynamics(out, Groups(f.data(7), 10, kOutputCount), kLimiter);
    put_inputs(s, Groups(f.data(8), 1, kProcessedInputs), &InputChannel::lpf_on);
    put_filter(in, Groups(f.data(9), 10, kInputCount), kLowPass);
    put_inputs(s, Groups(f.data(10), 1, kProcessedInputs), &InputChannel::hpf_on);
    put_filter(in, Groups(f.data(11), 10, kInputCount), kHighPass);
    put_inputs(s, Groups(f.data(12), 1, kProcessedInputs), &InputChannel::peq_on);
    {
        const Groups g(f.data(13), 40, kInputCount);  // bands 1-4: type, freq, gain, q
        for (std::size_t k = 0; k < g.count(); ++k) {
            const uint8_t* b = g[k];
            for (std::size_t band = 0; band < 4; ++band, b += 5) {
                PeqBand& r = in[k].peq_band[band];
                r.type = BandTypeLaw::type_of_wire(b[0]);
                r.freq = word(b + 1);
                r.gain = EqGainLaw::stored_of_wire(b[3]);
                r.q = b[4];
            }
        }
    }
    put_outputs(s, Groups(f.data(14), 1, kOutputCount), &OutputChannel::geq_on);
    {
        const Groups g(f.data(15), 30, kOutputCount);
        for (std::size_t k = 0; k < g.count(); ++k) {
            for (std::size_t band = 0; band < 15; ++band) {
                out[k].geq_band[band].gain = EqGainLaw::stored_of_wire(g[k][band]);
            }
        }
    }
    {
        // One digit per output, whole rows only.
        const std::string_view rows = f.data(16);
        const Groups g(rows.substr(0, rows.size() / kOutputCount * kOutputCount), 1,
                       kInputCount * kOutputCount);
        for (std::size_t k = 0; k < g.count(); ++k) {
            in[k / kOutputCount].matrix_row[k % kOutputCount] = *g[k];
        }
    }
    put_outputs(s, Groups(f.data(17), 1, kOutputCount), &OutputChannel::line_mode);
    put_inputs(s, Groups(f.data(18), 1, kSources), &InputChannel::source, kProcessedInputs);
    // Field 19 carries nothing the state keeps.
    put_outputs(s, Groups(f.data(20), 2, kOutputCount), &OutputChannel::delay_step);
    put_outputs(s, Groups(f.data(21), 1, kOutputCount), &OutputChannel::fbk);
    {
        const Groups g(f.data(22), 4, kInputCount);
        for (std::size_t k = 0; k < g.count(); ++k) {
            in[k].automix_threshold = g[k][0];
            in[k].priority = g[k][1];
        }
    }
    {
        // The order of command "M": last hold travels third.
        static constexpr std::array<std::size_t, 6> kCfgOrder{0, 1, 5, 2, 3, 4};
        const Groups g(f.data(23), 2, kCfgOrder.size());
        for (std::size_t k = 0; k < g.count(); ++k) {
            s.system.automix_cfg[kCfgOrder[k]] = *g[k];
        }
    }
    {
        const Groups g(f.data(24), 2, s.system.automix_hidden.size());
        for (std::size_t k = 0; k < g.count(); ++k) {
            s.system.automix_hidden[k] = *g[k];
        }
    }
    if (f.has(25)) {
        s.system.device_text.assign(f.data(25));
    }
    s.sanitize_after_bulk();
}

// Zero bytes travel as FF in both directions of the unit data.
inline uint8_t unit_byte(uint8_t v) {
    return v == 0xFF ? 0 : v;
}

constexpr std::size_t kUnitRecord = 5;
constexpr std::size_t kNameDigits = 32;  // 8 UTF-16 code units of 4 digits
constexpr std::size_t kNameUnits = 8;

}  // namespace

bool ReplyFields::split(std::string_view frame, char letter, FrameCheck check) {
    count_ = 0;
    data_end_ = 0;
    if (frame.size() < kMinFrameLength || frame.front() != '%' || frame.back() != '#' ||
        frame[1] != letter) {
        return false;
    }
    if (check == FrameCheck::Verify && !frame_is_valid(frame)) {
        return false;
    }
    const std::string_view body = frame.substr(1, frame.size() - 2);
    std::size_t total = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t comma = body.find(',', pos);
        if (total < kMaxFields) {
            fields_[total] =
                body.substr(pos, comma == std::string_view::npos ? comma : comma - pos);
        }
        ++total;
        if (comma == std::string_view::npos) {
            break;
        }
        pos = comma + 1;
    }
    if (total < 3) {
        return false;
    }
    count_ = std::min(total, kMaxFields);
    data_end_ = total <= kMaxFields ? total - 1 : kMaxFields;
    return true;
}

bool decode_full_state(std::string_view frame, DeviceState& state, FrameCheck check) {
    ReplyFields f;
    if (!f.split(frame, 'Z', check)) {
        return false;
    }
    apply_full_state(f, state);
    return true;
}

bool decode_connect_reply(std::string_view frame, DeviceState& state, const NameCodec& codec,
                          FrameCheck check) {
    ReplyFields f;
    if (!f.split(frame, 'Y', check)) {
        return false;
    }
    // The code-page conversion allocates and may throw, so every name is converted before
    // the first write.
    std::array<FixedText, kAllChannels> names;
    const std::string_view name_field = f.data(4);
    const std::size_t name_count = std::min(name_field.size() / kNameDigits, kAllChannels);
    for (std::size_t k = 0; k < name_count; ++k) {
        std::array<uint8_t, 2 * kNameUnits> bytes;
        hex_pairs(name_field.data() + k * kNameDigits, bytes.size(), bytes.data());
        std::array<char16_t, kNameUnits> units{};
        std::size_t length = 0;
        while (length < kNameUnits) {
            const auto unit =
                static_cast<char16_t>((bytes[2 * length] << 8) | bytes[2 * length + 1]);
            if (unit == 0) {
                break;
            }
            units[length++] = unit;
        }
        names[k].assign(codec.from_utf16(std::u16string_view(units.data(), length)));
    }

    auto& table = state.system.unit_table;
    const std::string_view head = f.data(2);
    if (head.size() >= 8) {
        const Groups last(head.substr((head.size() / 8 - 1) * 8), 8, 1);  // the last group wins
        for (std::size_t b = 0; b < 4; ++b) {
            table[b] = unit_byte(last[0][b]);
        }
    }
    {
        // Group g of field 3 fills record g + 1; record 0 is the processor's own.
        const Groups g(f.data(3), 2 * kUnitRecord, kUnitTableSize / kUnitRecord - 1);
        for (std::size_t k = 0; k < g.count(); ++k) {
            for (std::size_t b = 0; b < kUnitRecord; ++b) {
                table[(k + 1) * kUnitRecord + b] = unit_byte(g[k][b]);
            }
        }
    }
    for (std::size_t k = 0; k < name_count; ++k) {
        FixedText& target = k < kInputCount ? state.inputs[k].short_name
                                            : state.outputs[k - kInputCount].short_name;
        target = names[k];
    }
    const Groups extra(f.data(5), 2, 1);
    if (extra.count() == 1) {
        state.system.unit_extra = *extra[0];
    }
    put_inputs(state, Groups(f.data(6), 2, kInputCount), &InputChannel::gain_step);
    return true;
}

bool decode_levels(std::string_view frame, DeviceState& state, FrameCheck check) {
    // Positional: the bytes must lie in front of the checksum tail.
    if (frame.size() < kLevelFirstChar + 2 * kLevelBytes + kChecksumTail || frame.front() != '%' ||
        frame.back() != '#' || frame[1] != 'Q') {
        return false;
    }
    if (check == FrameCheck::Verify && !frame_is_valid(frame)) {
        return false;
    }
    std::array<uint8_t, kLevelBytes> bytes;
    hex_pairs(frame.data() + kLevelFirstChar, kLevelBytes, bytes.data());
    for (std::size_t k = 0; k < kInputCount; ++k) {
        state.inputs[k].level = bytes[k];
    }
    for (std::size_t k = 0; k < kOutputCount; ++k) {
        state.outputs[k].level = bytes[kInputCount + k];
    }
    // Bytes 80-83 carry inputs 25-32, 17-24, 9-16, 1-8; bit 0 is the lowest input.
    for (std::size_t q = 0; q < 4; ++q) {
        const uint8_t bits = bytes[kAllChannels + q];
        const std::size_t first = 24 - 8 * q;
        for (std::size_t bit = 0; bit < 8; ++bit) {
            state.inputs[first + bit].mix_flag = (bits >> bit) & 1;
        }
    }
    // Byte 84, the talker, counts only with last hold on.
    const int32_t talker = bytes[kLevelBytes - 1];
    for (std::size_t k = 0; k < kProcessedInputs; ++k) {
        state.inputs[k].mix_state = 0;
    }
    if (state.system.automix_cfg[5] == 1 && talker >= 1 && talker <= kProcessedInputs) {
        state.inputs[static_cast<std::size_t>(talker - 1)].mix_state = 1;
    }
    return true;
}

bool decode_faders(std::string_view frame, DeviceState& state, FrameCheck check) {
    ReplyFields f;
    if (!f.split(frame, 'P', check)) {
        return false;
    }
    put_all(state, Groups(f.data(2), 2, kAllChannels), &InputChannel::volume,
            &OutputChannel::volume);
    const Groups extra(f.data(3), 2, 1);
    if (extra.count() == 1) {
        state.system.unit_extra = *extra[0];
    }
    return true;
}

}  // namespace kestra
