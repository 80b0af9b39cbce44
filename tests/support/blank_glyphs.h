#pragma once

#include "protocol/glyph_rasterizer.h"

namespace kestra::testing {

// Every cell blank, for tests that do not look at the frames' glyph bytes.
class BlankGlyphs : public GlyphRasterizer {
public:
    GlyphCell render(char32_t code, bool wide) const override;
};

}  // namespace kestra::testing
