#include "protocol/command_encoder.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "params/band_type_law.h"
#include "params/eq_gain_law.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "protocol/glyph_encoder.h"

namespace kestra {

namespace {

constexpr int kDevice = 1;
constexpr int kNameUnits = 8;
constexpr int kSourceInputOffset = 32;

void require(char letter, std::string_view what, int value, int lo, int hi) {
    if (value < lo || value > hi) {
        throw std::invalid_argument("command " + std::string(1, letter) + ": " + std::string(what) +
                                    " " + std::to_string(value) + " is outside " +
                                    std::to_string(lo) + "-" + std::to_string(hi));
    }
}

const InputChannel& input_of(const DeviceState& s, char letter, int input) {
    require(letter, "input", input, 1, kInputCount);
    return s.inputs[static_cast<std::size_t>(input - 1)];
}

const OutputChannel& output_of(const DeviceState& s, char letter, int output) {
    require(letter, "output", output, 1, kOutputCount);
    return s.outputs[static_cast<std::size_t>(output - 1)];
}

// Frame start with the device number, and the replacement key: the letter, the device number
// and the fields that select what is set.
struct Start {
    FrameBuilder frame;
    std::string key;
};

// Settings go out checked: a value wider than its field would shift every field after it.
Start start(char letter, bool checked = true) {
    Start s{checked ? FrameBuilder::checked(letter) : FrameBuilder(letter), std::string(1, letter)};
    s.frame.hex2(kDevice);
    return s;
}

Start start(char letter, std::initializer_list<int> selectors) {
    Start s = start(letter);
    s.key += ",01,";
    for (int v : selectors) {
        FrameBuilder::append_hex(s.key, v, 2);
        s.key += ',';
    }
    return s;
}

DatagramList single(const Start& s) {
    return DatagramList{Datagram{s.frame.finish(), Datagram::kFrameGap, s.key}};
}

std::string hex_run(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        FrameBuilder::append_hex(out, b, 2);
    }
    return out;
}

}  // namespace

DatagramList encode_fader(const DeviceState& state, int channel) {
    require('A', "channel", channel, 1, kWireChannelCount);
    Start s = start('A', {channel});
    s.frame.hex2(channel);
    if (channel <= kInputCount) {
        const InputChannel& in = state.inputs[static_cast<std::size_t>(channel - 1)];
        s.frame.hex2(in.mute).hex2(in.volume);
    } else {
        const OutputChannel& out =
            state.outputs[static_cast<std::size_t>(channel - kWireOutputBase - 1)];
        s.frame.hex2(out.mute).hex2(out.volume);
    }
    return single(s);
}

DatagramList encode_matrix_row(const DeviceState& state, int input) {
    const InputChannel& in = input_of(state, 'B', input);
    Start s = start('B', {input});
    std::string row;
    for (int v : in.matrix_row) {
        FrameBuilder::append_field(row, v, 1);
    }
    s.frame.hex2(input).field(row);
    return single(s);
}

DatagramList encode_compressor(const DeviceState& state, int input) {
    const InputChannel& in = input_of(state, 'C', input);
    Start s = start('C', {input});
    s.frame.hex2(input)
        .hex2(in.comp_on)
        .hex2(in.comp_ratio)
        .hex2(in.comp_threshold)
        .hex2(in.comp_attack)
        .hex2(in.comp_release)
        .hex2(in.comp_gain);
    return single(s);
}

DatagramList encode_limiter(const DeviceState& state, int output) {
    const OutputChannel& out = output_of(state, 'D', output);
    Start s = start('D', {output});
    s.frame.hex2(output)
        .hex2(out.lim_on)
        .hex2(out.lim_ratio)
        .hex2(out.lim_threshold)
        .hex2(out.lim_attack)
        .hex2(out.lim_release)
        .hex2(out.lim_gain);
    return single(s);
}

DatagramList encode_low_pass(const DeviceState& state, int input) {
    const InputChannel& in = input_of(state, 'E', input);
    Start s = start('E', {input});
    s.frame.hex2(input).hex2(in.lpf_on).hex2(in.lpf_mode).hex4(in.lpf_freq).hex2(in.lpf_slope);
    s.frame.hex2(1);
    return single(s);
}

DatagramList encode_high_pass(const DeviceState& state, int input) {
    const InputChannel& in = input_of(state, 'F', input);
    Start s = start('F', {input});
    s.frame.hex2(input).hex2(in.hpf_on).hex2(in.hpf_mode).hex4(in.hpf_freq).hex2(in.hpf_slope);
    s.frame.hex2(1);
    return single(s);
}

DatagramList encode_peq_band(const DeviceState& state, int input, int band) {
    const InputChannel& in = input_of(state, 'G', input);
    require('G', "band", band, 1, kPeqBands);
    const PeqBand& b = in.peq_band[static_cast<std::size_t>(band - 1)];
    // peq_on precedes the band on the wire but does not select anything
    Start s = start('G', {input, band});
    s.frame.hex2(input)
        .hex2(in.peq_on)
        .hex2(band)
        .hex2(BandTypeLaw::wire(b.type))
        .hex4(b.freq)
        .hex2(EqGainLaw::wire(b.gain))
        .hex2(b.q);
    return single(s);
}

DatagramList encode_graphic_eq(const DeviceState& state, int output) {
    const OutputChannel& out = output_of(state, 'H', output);
    Start s = start('H', {output});
    std::string gains;
    for (int i = 0; i < kGeqBandsSent; ++i) {
        FrameBuilder::append_field(
            gains, EqGainLaw::wire(out.geq_band[static_cast<std::size_t>(i)].gain), 2);
    }
    s.frame.hex2(output).hex2(out.geq_on).field(gains);
    return single(s);
}

DatagramList encode_output_mode(const DeviceState& state, int output) {
    const OutputChannel& out = output_of(state, 'I', output);
    Start s = start('I', {output});
    s.frame.hex2(output).hex2(out.line_mode);
    return single(s);
}

DatagramList encode_output_delay(const DeviceState& state, int output) {
    const OutputChannel& out = output_of(state, 'J', output);
    Start s = start('J', {output});
    s.frame.hex2(output).hex2(1).hex2(out.delay_step);
    return single(s);
}

DatagramList encode_output_fbk(const DeviceState& state, int output) {
    const OutputChannel& out = output_of(state, 'K', output);
    Start s = start('K', {output});
    s.frame.hex2(output).hex2(out.fbk);
    return single(s);
}

DatagramList encode_automix_channel(const DeviceState& state, int input) {
    const InputChannel& in = input_of(state, 'L', input);
    Start s = start('L', {input});
    s.frame.hex2(input).hex2(in.automix_threshold).hex2(in.priority);
    return single(s);
}

DatagramList encode_automix_settings(const DeviceState& state) {
    const auto& cfg = state.system.automix_cfg;
    Start s = start('M');
    s.frame.hex2(cfg[0]).hex2(cfg[1]).hex2(cfg[5]).hex2(cfg[2]).hex2(cfg[3]).hex2(cfg[4]);
    return single(s);
}

DatagramList encode_automix_hidden(const DeviceState& state) {
    Start s = start('N');
    for (int v : state.system.automix_hidden) {
        s.frame.hex2(v);
    }
    return single(s);
}

DatagramList encode_input_source(const DeviceState& state, int input) {
    require('O', "input", input, kSourceInputOffset + 1, kInputCount);
    const InputChannel& in = state.inputs[static_cast<std::size_t>(input - 1)];
    Start s = start('O', {input - kSourceInputOffset});
    s.frame.hex2(input - kSourceInputOffset).hex2(in.source);
    return single(s);
}

DatagramList encode_level_reports(bool on) {
    Start s = start('Q');
    s.frame.hex2(on ? 1 : 0);
    DatagramList list = single(s);
    // Switching reports on and off are two commands, not two values of one: a waiting
    // "on" must still go out before the "off" that follows it.
    list.front().coalesce_key.clear();
    return list;
}

DatagramList encode_input_gain(const DeviceState& state, int input) {
    const InputChannel& in = input_of(state, 'U', input);
    Start s = start('U', {input});
    s.frame.hex2(input).hex2(in.gain_step);
    return single(s);
}

DatagramList encode_channel_name(const DeviceState& state, int channel, const NameCodec& codec,
                                 const GlyphRasterizer& rasterizer) {
    require('V', "channel", channel, 1, kWireChannelCount);
    const FixedText& name =
        channel <= kInputCount
            ? state.inputs[static_cast<std::size_t>(channel - 1)].short_name
            : state.outputs[static_cast<std::size_t>(channel - kWireOutputBase - 1)].short_name;
    const std::string legacy = name.str();

    const std::u16string units = codec.to_utf16(legacy);
    std::string unit_field;
    for (int i = 0; i < kNameUnits; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        FrameBuilder::append_hex(unit_field, k < units.size() ? units[k] : 0, 4);
    }
    const NameGlyphs glyphs = encode_name_glyphs(legacy, codec, rasterizer);

    FrameBuilder frame('V');
    frame.hex2(kDevice).hex2(channel).field(unit_field).field(hex_run(glyphs));
    const std::string text = frame.finish();

    // The receiver joins the pieces; only whole frames may be replaced in the queue.
    DatagramList out;
    for (std::size_t pos = 0; pos < text.size(); pos += kPieceSize) {
        out.push_back(Datagram{text.substr(pos, kPieceSize), Datagram::kFrameGap, {}});
    }
    return out;
}

DatagramList encode_unit_call(int unit) {
    require('W', "unit", unit, 0, kUnitGroups - 1);
    Start s = start('W', {unit});
    s.frame.hex2(unit);
    return single(s);
}

DatagramList encode_unit_settings(const DeviceState& state, int group) {
    require('X', "group", group, 0, kUnitGroups - 1);
    Start s = start('X', {group});
    std::string bytes;
    for (int i = 0; i < kUnitGroupBytes; ++i) {
        const uint8_t b =
            state.system.unit_table[static_cast<std::size_t>(group * kUnitGroupBytes + i)];
        FrameBuilder::append_hex(bytes, b == 0 ? 0xFF : b, 2);
    }
    s.frame.hex2(group).field(bytes);
    return single(s);
}

DatagramList encode_read_all() {
    return single(start('Z'));
}

DatagramList encode_announce() {
    Start s = start('R');
    s.frame.hex2(4);
    return single(s);
}

DatagramList encode_update_start(int target, std::size_t image_length) {
    require('S', "target", target, 0, 1);
    if (image_length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::invalid_argument("command S: image of " + std::to_string(image_length) +
                                    " bytes is too long");
    }
    const std::size_t blocks = (image_length + kUpdateBlockSize - 1) / kUpdateBlockSize;
    // The firmware handshake keeps the printf form: its block count may take more digits.
    Start s = start('S', false);
    s.frame.dec(target).hex2(static_cast<int>(blocks)).hex5(static_cast<int>(image_length));
    return single(s);
}

DatagramList encode_update_block(int target, int block, std::span<const uint8_t> data) {
    require('T', "target", target, 0, 1);
    require('T', "block", block, 0, std::numeric_limits<int>::max());
    if (data.size() > kUpdateBlockSize) {
        throw std::invalid_argument("command T: block of " + std::to_string(data.size()) +
                                    " bytes exceeds 1024");
    }
    std::vector<uint8_t> full(kUpdateBlockSize, 0);
    std::copy(data.begin(), data.end(), full.begin());

    FrameBuilder frame('T');
    frame.hex2(kDevice).dec(target).hex2(block).field(hex_run(full));
    const std::string text = frame.finish();
    if (text.size() > kUpdateFrameBuffer) {
        throw std::invalid_argument("command T: frame does not fit its buffer");
    }

    // Every piece goes out full length; the receiver stops at the first NUL.
    std::string buffer(kUpdateFrameBuffer, '\0');
    std::copy(text.begin(), text.end(), buffer.begin());
    const std::size_t pieces = (text.size() + kPieceSize - 1) / kPieceSize;
    DatagramList out;
    for (std::size_t i = 0; i < pieces; ++i) {
        out.push_back(Datagram{buffer.substr(i * kPieceSize, kPieceSize), kUpdatePieceGap, {}});
    }
    return out;
}

std::size_t update_block_count(std::size_t image_length) {
    return (image_length + 2 + kUpdateBlockSize - 1) / kUpdateBlockSize;
}

std::vector<uint8_t> update_block_data(std::span<const uint8_t> image, int block) {
    const std::size_t count = update_block_count(image.size());
    if (block < 0 || static_cast<std::size_t>(block) >= count) {
        throw std::invalid_argument("command T: block " + std::to_string(block) + " is outside 0-" +
                                    std::to_string(count - 1));
    }
    const uint16_t crc = frame_crc16_update(0xFFFF, image.data(), image.size());
    const uint8_t tail[2] = {static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc & 0xFF)};
    std::vector<uint8_t> out(kUpdateBlockSize, 0);
    const std::size_t first = static_cast<std::size_t>(block) * kUpdateBlockSize;
    for (std::size_t i = 0; i < kUpdateBlockSize; ++i) {
        const std::size_t pos = first + i;
        if (pos < image.size()) {
            out[i] = image[pos];
        } else if (pos < image.size() + 2) {
            out[i] = tail[pos - image.size()];
        }
    }
    return out;
}

namespace {

struct Usage {
    char letter;
    int count;
    const char* synopsis;
};

constexpr Usage kUsage[] = {
    {'A', 1, "ch"},  {'B', 1, "in"},  {'C', 1, "in"},         {'D', 1, "out"},
    {'E', 1, "in"},  {'F', 1, "in"},  {'G', 2, "in band"},    {'H', 1, "out"},
    {'I', 1, "out"}, {'J', 1, "out"}, {'K', 1, "out"},        {'L', 1, "in"},
    {'M', 0, ""},    {'N', 0, ""},    {'O', 1, "in (33-64)"}, {'Q', 1, "1|0"},
    {'U', 1, "in"},  {'V', 1, "ch"},  {'W', 1, "unit"},       {'X', 1, "group"},
    {'Z', 0, ""},    {'R', 0, ""},    {'S', 0, ""},           {'T', 1, "block"},
};

const Usage* usage_of(char letter) {
    for (const Usage& u : kUsage) {
        if (u.letter == letter) {
            return &u;
        }
    }
    return nullptr;
}

}  // namespace

std::string command_usage(char letter) {
    const Usage* u = usage_of(letter);
    if (u == nullptr) {
        return {};
    }
    return u->count == 0 ? std::string(1, u->letter)
                         : std::string(1, u->letter) + " " + u->synopsis;
}

DatagramList encode_command(const DeviceState& state, char letter, std::span<const int> args,
                            const CommandContext& ctx) {
    const char l = letter;
    const Usage* u = usage_of(l);
    if (u == nullptr) {
        throw std::invalid_argument("unknown command letter '" + std::string(1, letter) + "'");
    }
    if (args.size() != static_cast<std::size_t>(u->count)) {
        throw std::invalid_argument(
            "command " + std::string(1, l) + " takes " + std::to_string(u->count) + " argument" +
            (u->count == 1 ? "" : "s") + ", got " + std::to_string(args.size()) +
            " (usage: " + command_usage(l) + ")");
    }
    const int a0 = args.empty() ? 0 : args[0];
    switch (l) {
        case 'A':
            return encode_fader(state, a0);
        case 'B':
            return encode_matrix_row(state, a0);
        case 'C':
            return encode_compressor(state, a0);
        case 'D':
            return encode_limiter(state, a0);
        case 'E':
            return encode_low_pass(state, a0);
        case 'F':
            return encode_high_pass(state, a0);
        case 'G':
            return encode_peq_band(state, a0, args[1]);
        case 'H':
            return encode_graphic_eq(state, a0);
        case 'I':
            return encode_output_mode(state, a0);
        case 'J':
            return encode_output_delay(state, a0);
        case 'K':
            return encode_output_fbk(state, a0);
        case 'L':
            return encode_automix_channel(state, a0);
        case 'M':
            return encode_automix_settings(state);
        case 'N':
            return encode_automix_hidden(state);
        case 'O':
            return encode_input_source(state, a0);
        case 'Q':
            require('Q', "switch", a0, 0, 1);
            return encode_level_reports(a0 == 1);
        case 'U':
            return encode_input_gain(state, a0);
        case 'V': {
            if (ctx.glyphs == nullptr) {
                throw std::invalid_argument("command V needs a glyph rasterizer");
            }
            if (ctx.codec != nullptr) {
                return encode_channel_name(state, a0, *ctx.codec, *ctx.glyphs);
            }
            const NameCodec fallback;
            return encode_channel_name(state, a0, fallback, *ctx.glyphs);
        }
        case 'W':
            return encode_unit_call(a0);
        case 'X':
            return encode_unit_settings(state, a0);
        case 'Z':
            return encode_read_all();
        case 'R':
            return encode_announce();
        case 'S':
            return encode_update_start(ctx.target, ctx.image.size());
        case 'T': {
            require('T', "target", ctx.target, 0, 1);
            return encode_update_block(ctx.target, a0, update_block_data(ctx.image, a0));
        }
        default:
            break;
    }
    throw std::invalid_argument("unknown command letter '" + std::string(1, letter) + "'");
}

}  // namespace kestra
