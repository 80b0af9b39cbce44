#include "protocol/glyph_encoder.h"

#include <algorithm>
#include <stdexcept>

namespace kestra {

namespace {

char32_t code_point_of(std::string_view legacy_char, const NameCodec& codec) {
    const auto lead = static_cast<unsigned char>(legacy_char.front());
    if (lead < 0x80) {
        return lead;
    }
    const std::u32string cps = utf8_to_code_points(codec.to_utf8(legacy_char));
    return cps.empty() ? char32_t{0xFFFD} : cps.front();
}

}  // namespace

uint8_t reverse_bits(uint8_t byte) {
    uint8_t out = 0;
    for (int i = 0; i < 8; ++i) {
        out = static_cast<uint8_t>((out << 1) | ((byte >> i) & 1));
    }
    return out;
}

std::vector<uint8_t> pack_glyph_cell(const GlyphCell& cell) {
    if (cell.width <= 0 || cell.height <= 0 ||
        cell.dark.size() != static_cast<std::size_t>(cell.width * cell.height)) {
        throw std::invalid_argument("glyph cell size does not match its pixel data");
    }
    std::vector<uint8_t> out;
    out.reserve(static_cast<std::size_t>((cell.width * cell.height + 7) / 8));
    uint8_t acc = 0;
    int bits = 0;
    for (int x = 0; x < cell.width; ++x) {
        for (int y = 0; y < cell.height; ++y) {
            acc = static_cast<uint8_t>((acc << 1) | (cell.is_dark(x, y) ? 1 : 0));
            if (++bits == 8) {
                out.push_back(acc);
                acc = 0;
                bits = 0;
            }
        }
    }
    if (bits > 0) {
        out.push_back(static_cast<uint8_t>(acc << (8 - bits)));
    }
    return out;
}

NameGlyphs pack_name_glyphs(std::span<const GlyphCell> cells) {
    NameGlyphs out{};
    std::size_t n = 0;
    for (const GlyphCell& cell : cells) {
        if (n == out.size()) {
            break;
        }
        const std::vector<uint8_t> packed = pack_glyph_cell(cell);
        const std::size_t take = std::min(packed.size(), out.size() - n);
        std::copy_n(packed.begin(), take, out.begin() + static_cast<std::ptrdiff_t>(n));
        n += take;
    }
    for (uint8_t& b : out) {
        b = reverse_bits(b);
    }
    return out;
}

NameGlyphs encode_name_glyphs(std::string_view legacy_name, const NameCodec& codec,
                              const GlyphRasterizer& rasterizer) {
    std::vector<GlyphCell> cells;
    std::size_t bytes = 0;
    for (std::string_view ch : NameCodec::split_characters(legacy_name)) {
        if (bytes >= kNameGlyphBytes) {
            break;  // anything further would be cut anyway
        }
        const bool wide = static_cast<unsigned char>(ch.front()) > 127;
        cells.push_back(rasterizer.render(code_point_of(ch, codec), wide));
        const GlyphCell& c = cells.back();
        bytes += static_cast<std::size_t>((c.width * c.height + 7) / 8);
    }
    return pack_name_glyphs(cells);
}

}  // namespace kestra
