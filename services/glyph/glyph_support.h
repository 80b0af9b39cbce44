#pragma once

#include <memory>

#include "protocol/glyph_rasterizer.h"

class QGuiApplication;

namespace kestra {

// Glyph rendering draws with Qt and needs a GUI application object; it is made on the first
// glyph, so commands that send no name never start Qt.
class GlyphSupport final : public GlyphRasterizer {
public:
    GlyphSupport();
    ~GlyphSupport() override;
    GlyphCell render(char32_t code_point, bool wide) const override;

private:
    const GlyphRasterizer& rasterizer() const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kestra
