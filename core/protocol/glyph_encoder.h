#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "protocol/glyph_rasterizer.h"
#include "text/name_codec.h"

namespace kestra {

// Bitmap bytes carried by one channel-name frame: 8 narrow or 4 wide characters.
inline constexpr std::size_t kNameGlyphBytes = 288;

using NameGlyphs = std::array<uint8_t, kNameGlyphBytes>;

uint8_t reverse_bits(uint8_t byte);

// Column by column from the left, each column top-down, most significant bit first; bits run
// on across columns, so a 24-row column is 3 bytes. Not yet bit-reversed.
std::vector<uint8_t> pack_glyph_cell(const GlyphCell& cell);

// The cells packed back to back, zero-padded or cut to 288 bytes, every byte bit-reversed.
NameGlyphs pack_name_glyphs(std::span<const GlyphCell> cells);

// Renders each legacy character of `legacy_name` (a lead byte above 127 makes it wide) and
// packs the cells.
NameGlyphs encode_name_glyphs(std::string_view legacy_name, const NameCodec& codec,
                              const GlyphRasterizer& rasterizer);

}  // namespace kestra
