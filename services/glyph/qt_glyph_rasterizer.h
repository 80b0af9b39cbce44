#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include "protocol/glyph_rasterizer.h"

namespace kestra {

// Renders name glyphs with Qt's font engine: 24 px high text, squeezed to the narrow (about
// 6 px) or wide (about 10 px per half-width) character width, black on white, centred,
// without antialiasing. "Arial Unicode MS" when installed, else DejaVu Sans for narrow
// characters and an installed CJK font for wide ones.
//
// Qt's fonts need a QGuiApplication: construct one (QT_QPA_PLATFORM=offscreen will do)
// before this object; the constructor throws std::logic_error otherwise.
class QtGlyphRasterizer final : public GlyphRasterizer {
public:
    QtGlyphRasterizer();

    GlyphCell render(char32_t code_point, bool wide) const override;

    // The cell as drawn, before thresholding.
    QImage render_image(char32_t code_point, bool wide) const;

    QString narrow_family() const { return narrow_.font.family(); }
    QString wide_family() const { return wide_.font.family(); }

    // The dark/light decision of the legacy renderer: anything not brighter than 0xFFF000
    // (compared as a 0x00BBGGRR word) counts as ink.
    static bool is_dark(QRgb pixel);

private:
    struct Face {
        QFont font;
        double x_scale = 1.0;
    };
    static Face make_face(const QString& family, bool wide);

    Face narrow_;
    Face wide_;
};

}  // namespace kestra
