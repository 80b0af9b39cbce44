#include "glyph/qt_glyph_rasterizer.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <stdexcept>

namespace kestra {

namespace {

constexpr int kCellHeight = GlyphCell::kHeight;
// The legacy font widths: average character width 6 for narrow text and 10 for wide text,
// where a full-width ideograph takes two average widths.
constexpr double kNarrowAverageWidth = 6.0;
constexpr double kWideGlyphWidth = 2 * 10.0;
constexpr char32_t kIdeographProbe = U'\u4E2D';

QString first_installed(std::initializer_list<const char*> families, const QString& fallback) {
    const QStringList installed = QFontDatabase::families();
    for (const char* f : families) {
        const QString name = QString::fromLatin1(f);
        if (installed.contains(name, Qt::CaseInsensitive)) {
            return name;
        }
    }
    return fallback;
}

}  // namespace

QtGlyphRasterizer::Face QtGlyphRasterizer::make_face(const QString& family, bool wide) {
    Face face;
    face.font = QFont(family);
    face.font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    face.font.setHintingPreference(QFont::PreferFullHinting);
    face.font.setKerning(false);

    // The legacy height is the cell height (ascent + descent), not the em size.
    face.font.setPixelSize(kCellHeight);
    const double natural = QFontMetricsF(face.font).height();
    if (natural > 0) {
        face.font.setPixelSize(
            std::max(1, static_cast<int>(std::lround(kCellHeight * kCellHeight / natural))));
    }

    const QFontMetricsF fm(face.font);
    double width = 0;
    double target = 0;
    if (wide) {
        width = fm.horizontalAdvance(QString::fromUcs4(&kIdeographProbe, 1));
        target = kWideGlyphWidth;
    } else {
        width = fm.averageCharWidth();
        target = kNarrowAverageWidth;
    }
    face.x_scale = width > 0 ? target / width : 1.0;
    return face;
}

QtGlyphRasterizer::QtGlyphRasterizer() {
    if (QGuiApplication::instance() == nullptr) {
        throw std::logic_error("QtGlyphRasterizer needs a QGuiApplication");
    }
    const QString universal = QStringLiteral("Arial Unicode MS");
    if (QFontDatabase::families().contains(universal, Qt::CaseInsensitive)) {
        narrow_ = make_face(universal, false);
        wide_ = make_face(universal, true);
        return;
    }
    const QString narrow =
        first_installed({"DejaVu Sans", "Liberation Sans", "Nimbus Sans"},
                        QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    const QString cjk = first_installed(
        {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback", "AR PL UMing CN"},
        narrow);
    narrow_ = make_face(narrow, false);
    wide_ = make_face(cjk, true);
}

bool QtGlyphRasterizer::is_dark(QRgb pixel) {
    const auto word = static_cast<uint32_t>(qBlue(pixel)) << 16 |
                      static_cast<uint32_t>(qGreen(pixel)) << 8 |
                      static_cast<uint32_t>(qRed(pixel));
    return word <= 0xFFF000u;
}

QImage QtGlyphRasterizer::render_image(char32_t code_point, bool wide) const {
    const Face& face = wide ? wide_ : narrow_;
    const int width = wide ? GlyphCell::kWideWidth : GlyphCell::kNarrowWidth;
    QImage image(width, kCellHeight, QImage::Format_RGB32);
    image.fill(Qt::white);

    // Drawn as a plain string: "&" is no mnemonic here.
    const QString text = QString::fromUcs4(&code_point, 1);
    const QFontMetricsF fm(face.font);
    const double advance = fm.horizontalAdvance(text) * face.x_scale;
    const double x = (width - advance) / 2.0;
    const double baseline = (kCellHeight - (fm.ascent() + fm.descent())) / 2.0 + fm.ascent();

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(face.font);
    painter.setPen(Qt::black);
    painter.translate(x, std::round(baseline));
    painter.scale(face.x_scale, 1.0);
    painter.drawText(QPointF(0, 0), text);
    painter.end();
    return image;
}

GlyphCell QtGlyphRasterizer::render(char32_t code_point, bool wide) const {
    const QImage image = render_image(code_point, wide);
    GlyphCell cell = GlyphCell::blank(wide);
    for (int y = 0; y < cell.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < cell.width; ++x) {
            cell.set_dark(x, y, is_dark(row[x]));
        }
    }
    return cell;
}

}  // namespace kestra
