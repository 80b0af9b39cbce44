#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/device_state.h"
#include "protocol/command_encoder.h"
#include "protocol/frame_codec.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;

// An expected frame: the literal body with its checksum and end mark.
std::string framed(const std::string& body) {
    char crc[8];
    std::snprintf(crc, sizeof crc, "%04X", frame_crc16(body));
    return body + crc + "#";
}

std::string only_frame(const DatagramList& list) {
    EXPECT_EQ(list.size(), 1u);
    return list.empty() ? std::string() : list.front().payload;
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}

// Narrow cells carry one dark pixel in the top-left corner, wide cells are fully dark.
class MarkRasterizer : public GlyphRasterizer {
public:
    GlyphCell render(char32_t code_point, bool wide) const override {
        calls.emplace_back(code_point, wide);
        GlyphCell cell = GlyphCell::blank(wide);
        if (wide) {
            std::fill(cell.dark.begin(), cell.dark.end(), uint8_t{1});
        } else {
            cell.set_dark(0, 0);
        }
        return cell;
    }
    mutable std::vector<std::pair<char32_t, bool>> calls;
};

class CommandEncoder : public ::testing::Test {
protected:
    CommandEncoder() { state.reset_defaults(); }
    DeviceState state;
};

TEST_F(CommandEncoder, FaderOfAnInputMatchesTheWorkedExample) {
    state.inputs[2].volume = 70;
    state.inputs[2].mute = 0;
    const DatagramList list = encode_fader(state, 3);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].payload, "%A,01,03,00,46,B510#");
    EXPECT_EQ(list[0].gap, 10ms);
    EXPECT_EQ(list[0].coalesce_key, "A,01,03,");
}

TEST_F(CommandEncoder, FaderOfAnOutputUsesWireChannelAndOutputRecord) {
    state.inputs[0].mute = 0;
    state.inputs[0].volume = 5;
    state.outputs[0].mute = 1;
    state.outputs[0].volume = 30;
    EXPECT_EQ(only_frame(encode_fader(state, 65)), framed("%A,01,41,01,1E,"));
    state.outputs[15].volume = 70;
    EXPECT_EQ(only_frame(encode_fader(state, 80)), framed("%A,01,50,00,46,"));
    EXPECT_EQ(encode_fader(state, 80)[0].coalesce_key, "A,01,50,");
}

TEST_F(CommandEncoder, FaderRefusesChannelsOutsideTheWireRange) {
    EXPECT_THROW(encode_fader(state, 0), std::invalid_argument);
    EXPECT_THROW(encode_fader(state, 81), std::invalid_argument);
    EXPECT_THROW(encode_fader(state, -1), std::invalid_argument);
}

TEST_F(CommandEncoder, MatrixRowIsOneDigitPerOutput) {
    state.inputs[4].matrix_row.fill(1);
    EXPECT_EQ(only_frame(encode_matrix_row(state, 5)), framed("%B,01,05,1111111111111111,"));
    for (int i = 0; i < 16; ++i) {
        state.inputs[63].matrix_row[static_cast<std::size_t>(i)] = i;
    }
    EXPECT_EQ(only_frame(encode_matrix_row(state, 64)), framed("%B,01,40,0123456789ABCDEF,"));
    EXPECT_THROW(encode_matrix_row(state, 65), std::invalid_argument);
}

TEST_F(CommandEncoder, CompressorFieldsInWireOrder) {
    InputChannel& in = state.inputs[6];
    in.comp_on = 1;
    in.comp_ratio = 30;
    in.comp_threshold = 40;
    in.comp_attack = 5;
    in.comp_release = 100;
    in.comp_gain = 12;
    EXPECT_EQ(only_frame(encode_compressor(state, 7)), framed("%C,01,07,01,1E,28,05,64,0C,"));
}

// A value wider than its two digits would shift every later field of the frame; it is
// refused, never truncated and never written longer.
TEST_F(CommandEncoder, LimiterRefusesAValueWiderThanItsField) {
    OutputChannel& out = state.outputs[15];
    out.lim_on = 1;
    out.lim_ratio = 20;
    out.lim_threshold = 45;
    out.lim_attack = 3;
    out.lim_release = 200;
    out.lim_gain = 300;
    EXPECT_THROW(encode_limiter(state, 16), std::invalid_argument);
    out.lim_gain = 200;
    EXPECT_EQ(only_frame(encode_limiter(state, 16)), framed("%D,01,10,01,14,2D,03,C8,C8,"));
    EXPECT_THROW(encode_limiter(state, 17), std::invalid_argument);
}

TEST_F(CommandEncoder, FiltersCarryFourDigitFrequencyAndTrailingOne) {
    InputChannel& a = state.inputs[1];
    a.lpf_on = 1;
    a.lpf_mode = 2;
    a.lpf_freq = 20000;
    a.lpf_slope = 4;
    EXPECT_EQ(only_frame(encode_low_pass(state, 2)), framed("%E,01,02,01,02,4E20,04,01,"));
    InputChannel& b = state.inputs[31];
    b.hpf_on = 0;
    b.hpf_mode = 3;
    b.hpf_freq = 20;
    b.hpf_slope = 8;
    EXPECT_EQ(only_frame(encode_high_pass(state, 32)), framed("%F,01,20,00,03,0014,08,01,"));
}

TEST_F(CommandEncoder, PeqBandHalvesGainAndRaisesType) {
    InputChannel& in = state.inputs[0];
    in.peq_on = 1;
    in.peq_band[1] = PeqBand{1000, 150, 100, {}, 0};
    const DatagramList list = encode_peq_band(state, 1, 2);
    EXPECT_EQ(only_frame(list), framed("%G,01,01,01,02,01,03E8,4B,64,"));
    EXPECT_EQ(list[0].coalesce_key, "G,01,01,02,");

    in.peq_band[1].gain = 151;  // halving rounds toward zero
    EXPECT_EQ(only_frame(encode_peq_band(state, 1, 2)), framed("%G,01,01,01,02,01,03E8,4B,64,"));

    state.inputs[63].peq_on = 0;
    state.inputs[63].peq_band[4] = PeqBand{20000, 300, 200, {}, 2};
    EXPECT_EQ(only_frame(encode_peq_band(state, 64, 5)), framed("%G,01,40,00,05,03,4E20,96,C8,"));

    EXPECT_THROW(encode_peq_band(state, 1, 0), std::invalid_argument);
    EXPECT_THROW(encode_peq_band(state, 1, 6), std::invalid_argument);
    EXPECT_THROW(encode_peq_band(state, 0, 1), std::invalid_argument);
}

TEST_F(CommandEncoder, GraphicEqCarriesFifteenHalvedGainsBackToBack) {
    OutputChannel& out = state.outputs[0];
    out.geq_on = 1;
    for (int i = 0; i < kGeqBands; ++i) {
        out.geq_band[static_cast<std::size_t>(i)].gain = 2 * i + 1;
    }
    out.geq_band[15].gain = 300;  // band 16 has no place on the wire
    const std::string frame = only_frame(encode_graphic_eq(state, 1));
    EXPECT_EQ(frame, framed("%H,01,01,01,000102030405060708090A0B0C0D0E,"));

    const std::string prefix = "%H,01,01,01,";
    ASSERT_EQ(frame.rfind(prefix, 0), 0u);
    const std::size_t end = frame.find(',', prefix.size());
    EXPECT_EQ(end - prefix.size(), 30u);
}

TEST_F(CommandEncoder, OutputCommands) {
    state.outputs[8].line_mode = 1;
    EXPECT_EQ(only_frame(encode_output_mode(state, 9)), framed("%I,01,09,01,"));
    state.outputs[2].delay_step = 40;
    EXPECT_EQ(only_frame(encode_output_delay(state, 3)), framed("%J,01,03,01,28,"));
    EXPECT_EQ(encode_output_delay(state, 3)[0].coalesce_key, "J,01,03,");
    state.outputs[7].fbk = 1;
    EXPECT_EQ(only_frame(encode_output_fbk(state, 8)), framed("%K,01,08,01,"));
    EXPECT_THROW(encode_output_mode(state, 0), std::invalid_argument);
    EXPECT_THROW(encode_output_fbk(state, 17), std::invalid_argument);
}

TEST_F(CommandEncoder, AutomixCommands) {
    state.inputs[11].automix_threshold = 35;
    state.inputs[11].priority = 1;
    EXPECT_EQ(only_frame(encode_automix_channel(state, 12)), framed("%L,01,0C,23,01,"));

    state.system.automix_cfg = {9, 16, 20, 60, 27, 1};
    const DatagramList m = encode_automix_settings(state);
    EXPECT_EQ(only_frame(m), framed("%M,01,09,10,01,14,3C,1B,"));
    EXPECT_EQ(m[0].coalesce_key, "M");

    state.system.automix_hidden = {1, 2, 255, 40};
    EXPECT_EQ(only_frame(encode_automix_hidden(state)), framed("%N,01,01,02,FF,28,"));
    state.system.automix_hidden[3] = 256;  // wider than its field: refused, not written
    EXPECT_THROW(encode_automix_hidden(state), std::invalid_argument);
}

TEST_F(CommandEncoder, InputSourceSendsInputMinus32) {
    state.inputs[32].source = 3;
    const DatagramList list = encode_input_source(state, 33);
    EXPECT_EQ(only_frame(list), framed("%O,01,01,03,"));
    EXPECT_EQ(list[0].coalesce_key, "O,01,01,");
    state.inputs[63].source = 4;
    EXPECT_EQ(only_frame(encode_input_source(state, 64)), framed("%O,01,20,04,"));
    EXPECT_THROW(encode_input_source(state, 32), std::invalid_argument);
    EXPECT_THROW(encode_input_source(state, 65), std::invalid_argument);
}

TEST_F(CommandEncoder, SwitchesAndRequestsWithoutChannel) {
    EXPECT_EQ(only_frame(encode_level_reports(true)), "%Q,01,01,B5E1#");
    EXPECT_EQ(only_frame(encode_level_reports(false)), framed("%Q,01,00,"));
    EXPECT_TRUE(encode_level_reports(false)[0].coalesce_key.empty());  // on and off never merge
    EXPECT_EQ(only_frame(encode_read_all()), "%Z,01,F143#");
    EXPECT_EQ(only_frame(encode_announce()), "%R,01,04,F0A2#");
}

TEST_F(CommandEncoder, InputGainAndUnitCall) {
    state.inputs[63].gain_step = 5;
    EXPECT_EQ(only_frame(encode_input_gain(state, 64)), framed("%U,01,40,05,"));
    EXPECT_EQ(only_frame(encode_unit_call(3)), framed("%W,01,03,"));
    EXPECT_THROW(encode_unit_call(11), std::invalid_argument);
    EXPECT_THROW(encode_unit_call(-1), std::invalid_argument);
}

TEST_F(CommandEncoder, UnitSettingsSendZeroAsFF) {
    auto& t = state.system.unit_table;
    t[0] = 0;
    t[1] = 5;
    t[2] = 0;
    t[3] = 0;
    t[4] = 7;
    t[5] = 9;  // first byte of the next group
    EXPECT_EQ(only_frame(encode_unit_settings(state, 0)), framed("%X,01,00,FF05FFFF07,"));
    t[50] = 80;
    t[51] = 0;
    t[52] = 1;
    t[53] = 2;
    t[54] = 3;
    const DatagramList last = encode_unit_settings(state, 10);
    EXPECT_EQ(only_frame(last), framed("%X,01,0A,50FF010203,"));
    EXPECT_EQ(last[0].coalesce_key, "X,01,0A,");
    EXPECT_THROW(encode_unit_settings(state, 11), std::invalid_argument);
}

TEST_F(CommandEncoder, UpdateStartAnnouncesBlocksAndLength) {
    EXPECT_EQ(only_frame(encode_update_start(1, 2047)), framed("%S,01,1,02,007FF,"));
    EXPECT_EQ(only_frame(encode_update_start(0, 2048)), framed("%S,01,0,02,00800,"));
    EXPECT_EQ(only_frame(encode_update_start(1, 2049)), framed("%S,01,1,03,00801,"));
    EXPECT_EQ(only_frame(encode_update_start(1, 0x100000)), framed("%S,01,1,400,100000,"));
    EXPECT_THROW(encode_update_start(2, 10), std::invalid_argument);
}

TEST_F(CommandEncoder, UpdateBlockGoesOutInFull256BytePieces) {
    std::vector<uint8_t> data(1000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    const DatagramList list = encode_update_block(0, 3, data);

    std::string hex;
    for (std::size_t i = 0; i < 1024; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X", i < data.size() ? data[i] : 0);
        hex += b;
    }
    const std::string expected = framed("%T,01,0,03," + hex + ",");
    ASSERT_EQ(expected.size(), 2065u);

    ASSERT_EQ(list.size(), (expected.size() + 255) / 256);
    std::string joined;
    for (const Datagram& d : list) {
        EXPECT_EQ(d.payload.size(), 256u);
        EXPECT_EQ(d.gap, 20ms);
        EXPECT_TRUE(d.coalesce_key.empty());
        joined += d.payload;
    }
    const std::string text = joined.substr(0, joined.find('\0'));
    EXPECT_EQ(text, expected);
    EXPECT_TRUE(frame_is_valid(text));
    EXPECT_EQ(joined.find_first_not_of('\0', text.size()), std::string::npos);

    EXPECT_THROW(encode_update_block(0, 0, std::vector<uint8_t>(1025)), std::invalid_argument);
    EXPECT_THROW(encode_update_block(0, -1, data), std::invalid_argument);
}

TEST(UpdateBlocks, ImageIsFollowedByItsChecksumHighByteFirst) {
    std::vector<uint8_t> image(2047);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i + 1);
    }
    const uint16_t crc =
        frame_crc16_bytewise(reinterpret_cast<const char*>(image.data()), image.size());
    EXPECT_EQ(update_block_count(image.size()), 3u);
    const auto b1 = update_block_data(image, 1);
    ASSERT_EQ(b1.size(), 1024u);
    EXPECT_EQ(b1[0], image[1024]);
    EXPECT_EQ(b1[1022], image[2046]);
    EXPECT_EQ(b1[1023], crc >> 8);
    const auto b2 = update_block_data(image, 2);
    EXPECT_EQ(b2[0], crc & 0xFF);
    EXPECT_EQ(std::count(b2.begin() + 1, b2.end(), 0), 1023);
    EXPECT_THROW(update_block_data(image, 3), std::invalid_argument);

    image.push_back(9);  // 2048 bytes: the checksum forms a block of its own
    const uint16_t crc2 =
        frame_crc16_bytewise(reinterpret_cast<const char*>(image.data()), image.size());
    EXPECT_EQ(update_block_count(image.size()), 3u);
    const auto last = update_block_data(image, 2);
    EXPECT_EQ(last[0], crc2 >> 8);
    EXPECT_EQ(last[1], crc2 & 0xFF);
    EXPECT_EQ(update_block_count(10), 1u);
}

TEST_F(CommandEncoder, ChannelNameCarriesUnitsAndGlyphsInPieces) {
    state.inputs[0].short_name.assign("CH 1");
    const NameCodec codec;
    const MarkRasterizer glyphs;
    const DatagramList list = encode_channel_name(state, 1, codec, glyphs);

    // Four narrow cells, each 36 bytes whose first byte 0x80 reverses to 0x01.
    const std::string glyph_hex = repeat("01" + repeat("00", 35), 4) + repeat("00", 288 - 144);
    const std::string expected =
        framed("%V,01,01,0043004800200031" + repeat("0000", 4) + "," + glyph_hex + ",");
    ASSERT_EQ(expected.size(), 624u);

    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].payload.size(), 256u);
    EXPECT_EQ(list[1].payload.size(), 256u);
    EXPECT_EQ(list[2].payload.size(), 624u - 512u);
    std::string joined;
    for (const Datagram& d : list) {
        EXPECT_EQ(d.gap, 10ms);
        EXPECT_TRUE(d.coalesce_key.empty());
        joined += d.payload;
    }
    EXPECT_EQ(joined, expected);
    EXPECT_TRUE(frame_is_valid(joined));
    ASSERT_EQ(glyphs.calls.size(), 4u);
    EXPECT_EQ(glyphs.calls[0], std::make_pair(U'C', false));
    EXPECT_EQ(glyphs.calls[2], std::make_pair(U' ', false));
}

TEST_F(CommandEncoder, ChannelNameOfAnOutputWithWideCharacters) {
    const NameCodec codec;
    state.outputs[2].short_name.assign(codec.from_utf8("中A"));
    const MarkRasterizer glyphs;
    std::string joined;
    for (const Datagram& d : encode_channel_name(state, 67, codec, glyphs)) {
        joined += d.payload;
    }
    const std::string glyph_hex =
        repeat("FF", 72) + "01" + repeat("00", 35) + repeat("00", 288 - 108);
    EXPECT_EQ(joined, framed("%V,01,43,4E2D0041" + repeat("0000", 6) + "," + glyph_hex + ","));
    ASSERT_EQ(glyphs.calls.size(), 2u);
    EXPECT_EQ(glyphs.calls[0], std::make_pair(U'\u4E2D', true));
    EXPECT_EQ(glyphs.calls[1], std::make_pair(U'A', false));
    EXPECT_THROW(encode_channel_name(state, 81, codec, glyphs), std::invalid_argument);
}

TEST_F(CommandEncoder, DispatcherMatchesTheSingleEncoders) {
    state.inputs[2].volume = 11;
    state.outputs[4].lim_gain = 7;
    state.system.unit_table[7] = 3;
    const CommandContext ctx;
    auto cmd = [&](char letter, std::vector<int> args) {
        return encode_command(state, letter, args, ctx);
    };
    EXPECT_EQ(cmd('A', {3}), encode_fader(state, 3));
    EXPECT_EQ(cmd('A', {70}), encode_fader(state, 70));
    EXPECT_EQ(cmd('B', {4}), encode_matrix_row(state, 4));
    EXPECT_EQ(cmd('C', {5}), encode_compressor(state, 5));
    EXPECT_EQ(cmd('D', {5}), encode_limiter(state, 5));
    EXPECT_EQ(cmd('E', {6}), encode_low_pass(state, 6));
    EXPECT_EQ(cmd('F', {6}), encode_high_pass(state, 6));
    EXPECT_EQ(cmd('G', {7, 3}), encode_peq_band(state, 7, 3));
    EXPECT_EQ(cmd('H', {2}), encode_graphic_eq(state, 2));
    EXPECT_EQ(cmd('I', {2}), encode_output_mode(state, 2));
    EXPECT_EQ(cmd('J', {2}), encode_output_delay(state, 2));
    EXPECT_EQ(cmd('K', {2}), encode_output_fbk(state, 2));
    EXPECT_EQ(cmd('L', {9}), encode_automix_channel(state, 9));
    EXPECT_EQ(cmd('M', {}), encode_automix_settings(state));
    EXPECT_EQ(cmd('N', {}), encode_automix_hidden(state));
    EXPECT_EQ(cmd('O', {40}), encode_input_source(state, 40));
    EXPECT_EQ(cmd('Q', {1}), encode_level_reports(true));
    EXPECT_EQ(cmd('Q', {0}), encode_level_reports(false));
    EXPECT_EQ(cmd('U', {9}), encode_input_gain(state, 9));
    EXPECT_EQ(cmd('W', {2}), encode_unit_call(2));
    EXPECT_EQ(cmd('X', {1}), encode_unit_settings(state, 1));
    EXPECT_EQ(cmd('Z', {}), encode_read_all());
    EXPECT_EQ(cmd('R', {}), encode_announce());
}

TEST_F(CommandEncoder, DispatcherBuildsNameAndFirmwareFramesFromTheContext) {
    const NameCodec codec;
    const MarkRasterizer glyphs;
    CommandContext ctx;
    const std::vector<int> one{1};
    EXPECT_THROW(encode_command(state, 'V', one, ctx), std::invalid_argument);
    ctx.glyphs = &glyphs;
    EXPECT_EQ(encode_command(state, 'V', one, ctx), encode_channel_name(state, 1, codec, glyphs));

    const std::vector<uint8_t> image(3000, 0x5A);
    ctx.image = image;
    ctx.target = 0;
    EXPECT_EQ(encode_command(state, 'S', {}, ctx), encode_update_start(0, 3000));
    const std::vector<int> block{2};
    EXPECT_EQ(encode_command(state, 'T', block, ctx),
              encode_update_block(0, 2, update_block_data(image, 2)));
    const std::vector<int> past{3};
    EXPECT_THROW(encode_command(state, 'T', past, ctx), std::invalid_argument);
}

TEST_F(CommandEncoder, DispatcherNamesWhatIsWrong) {
    auto message = [&](char letter, std::vector<int> args) -> std::string {
        try {
            encode_command(state, letter, args);
        } catch (const std::invalid_argument& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_NE(message('A', {}).find("takes 1 argument"), std::string::npos);
    EXPECT_NE(message('G', {1}).find("in band"), std::string::npos);
    EXPECT_NE(message('Z', {1}).find("takes 0 arguments"), std::string::npos);
    EXPECT_NE(message('A', {81}).find("channel 81"), std::string::npos);
    EXPECT_NE(message('O', {1}).find("33-64"), std::string::npos);
    EXPECT_NE(message('Q', {2}).find("switch 2"), std::string::npos);
    EXPECT_NE(message('P', {}).find("unknown command letter 'P'"), std::string::npos);
    EXPECT_NE(message('a', {3}).find("unknown command letter 'a'"), std::string::npos);
    EXPECT_EQ(command_usage('G'), "G in band");
    EXPECT_EQ(command_usage('Z'), "Z");
    EXPECT_EQ(command_usage('Y'), "");
}

}  // namespace
}  // namespace kestra
