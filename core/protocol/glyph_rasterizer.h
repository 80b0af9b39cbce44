#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kestra {

// One character cell of a channel-name bitmap, already reduced to dark/light.
struct GlyphCell {
    static constexpr int kHeight = 24;
    static constexpr int kNarrowWidth = 12;
    static constexpr int kWideWidth = 24;

    int width = kNarrowWidth;
    int height = kHeight;
    std::vector<uint8_t> dark;  // row-major, width * height entries, 1 = dark

    static GlyphCell blank(bool wide) {
        GlyphCell cell;
        cell.width = wide ? kWideWidth : kNarrowWidth;
        cell.dark.assign(static_cast<std::size_t>(cell.width * cell.height), 0);
        return cell;
    }

    bool is_dark(int x, int y) const { return dark.at(offset(x, y)) != 0; }
    void set_dark(int x, int y, bool on = true) { dark.at(offset(x, y)) = on ? 1 : 0; }

private:
    std::size_t offset(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            throw std::out_of_range("glyph cell pixel outside the cell");
        }
        return static_cast<std::size_t>(y * width + x);
    }
};

// Draws one character the way the processor's display expects it: black on light, centred,
// 24 px high, in a 12 px (narrow) or 24 px (wide) cell. Implementations live outside core
// because they need a font engine.
class GlyphRasterizer {
public:
    virtual ~GlyphRasterizer() = default;
    virtual GlyphCell render(char32_t code_point, bool wide) const = 0;
};

}  // namespace kestra
