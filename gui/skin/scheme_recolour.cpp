#include "skin/scheme_recolour.h"

namespace kestra::skin {

QImage SchemeRecolour::apply(const QImage& image, char scheme) {
    if (scheme != 'g' && scheme != 'r')
        return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            QRgb px = line[x];
            int a = qAlpha(px), r = qRed(px), g = qGreen(px), b = qBlue(px);
            line[x] = scheme == 'g' ? qRgba(r, b, g, a) : qRgba(b, g, r, a);
        }
    }
    return out;
}

}  // namespace kestra::skin
