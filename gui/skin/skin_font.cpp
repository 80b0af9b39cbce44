#include "skin/skin_font.h"

#include <QStringList>

namespace kestra::skin {

namespace {

QFont base_font(int weight) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial Unicode MS"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

}  // namespace

QFont SkinFont::points(double size, int weight) {
    QFont font = base_font(weight);
    font.setPointSizeF(size);
    return font;
}

QFont SkinFont::pixels(int size, int weight) {
    QFont font = base_font(weight);
    font.setPixelSize(size);
    return font;
}

}  // namespace kestra::skin
