#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/device_state.h"
#include "protocol/datagram.h"
#include "protocol/glyph_rasterizer.h"
#include "text/name_codec.h"

// Builders of every command the application sends. Each reads its values from the state at
// the moment of the call and returns the datagrams to queue; none of them sends or sleeps.
// Channel numbers are wire numbers: 1-64 inputs and 65-80 outputs where both kinds are
// addressed ("A", "V"), 1-16 for output-only commands, 1-64 for input-only ones. An argument
// outside its range throws std::invalid_argument; state values go out as they stand.
namespace kestra {

inline constexpr int kWireOutputBase = 64;  // wire channel = 64 + output number
inline constexpr int kWireChannelCount = 80;
inline constexpr int kUnitGroups = 11;  // unit table records 0-10
inline constexpr int kUnitGroupBytes = 5;
inline constexpr int kGeqBandsSent = 15;  // "H" carries the gains of the first 15 bands
inline constexpr std::size_t kUpdateBlockSize = 1024;
inline constexpr std::size_t kPieceSize = 256;  // datagram size of long frames
inline constexpr std::size_t kUpdateFrameBuffer = 3120;
inline constexpr std::chrono::milliseconds kUpdatePieceGap{20};

DatagramList encode_fader(const DeviceState& state, int channel);             // A
DatagramList encode_matrix_row(const DeviceState& state, int input);          // B
DatagramList encode_compressor(const DeviceState& state, int input);          // C
DatagramList encode_limiter(const DeviceState& state, int output);            // D
DatagramList encode_low_pass(const DeviceState& state, int input);            // E
DatagramList encode_high_pass(const DeviceState& state, int input);           // F
DatagramList encode_peq_band(const DeviceState& state, int input, int band);  // G, band 1-5
DatagramList encode_graphic_eq(const DeviceState& state, int output);         // H
DatagramList encode_output_mode(const DeviceState& state, int output);        // I
DatagramList encode_output_delay(const DeviceState& state, int output);       // J
DatagramList encode_output_fbk(const DeviceState& state, int output);         // K
DatagramList encode_automix_channel(const DeviceState& state, int input);     // L
DatagramList encode_automix_settings(const DeviceState& state);               // M
DatagramList encode_automix_hidden(const DeviceState& state);                 // N
DatagramList encode_input_source(const DeviceState& state, int input);        // O, input 33-64
DatagramList encode_level_reports(bool on);                                   // Q
DatagramList encode_input_gain(const DeviceState& state, int input);          // U
DatagramList encode_channel_name(const DeviceState& state, int channel, const NameCodec& codec,
                                 const GlyphRasterizer& rasterizer);     // V
DatagramList encode_unit_call(int unit);                                 // W, unit 0-10
DatagramList encode_unit_settings(const DeviceState& state, int group);  // X, group 0-10
DatagramList encode_read_all();                                          // Z
DatagramList encode_announce();                                          // R

// Firmware transfer. `target` is 1 (controller image) or 0 (DSP image).
DatagramList encode_update_start(int target, std::size_t image_length);  // S
// `data` holds at most 1024 bytes; a short block is padded with zeros.
DatagramList encode_update_block(int target, int block,
                                 std::span<const uint8_t> data);  // T

// The byte stream of a firmware transfer is the image followed by its checksum, high byte
// first. Number of 1024-byte blocks of that stream, and block `block` of it (zero-padded).
std::size_t update_block_count(std::size_t image_length);
std::vector<uint8_t> update_block_data(std::span<const uint8_t> image, int block);

struct CommandContext {
    const NameCodec* codec = nullptr;         // "V"; the default code page when null
    const GlyphRasterizer* glyphs = nullptr;  // "V"; required
    std::span<const uint8_t> image;           // "S", "T"
    int target = 1;                           // "S", "T"
};

// One command by letter, for scripted use. Arguments, all wire numbers:
//   A ch | B in | C in | D out | E in | F in | G in band | H out | I out | J out | K out |
//   L in | M | N | O in (33-64) | Q 1|0 | U in | V ch | W unit | X group | Z | R |
//   S (image, target from ctx) | T block (image, target from ctx)
// A wrong letter, argument count or range throws std::invalid_argument naming the problem.
DatagramList encode_command(const DeviceState& state, char letter, std::span<const int> args,
                            const CommandContext& ctx = {});

// The argument synopsis of `letter` as above ("in band" for "G"), or "" for an unknown one.
std::string command_usage(char letter);

}  // namespace kestra
