#include "support/blank_glyphs.h"

namespace kestra::testing {

GlyphCell BlankGlyphs::render(char32_t, bool wide) const {
    return GlyphCell::blank(wide);
}

}  // namespace kestra::testing
