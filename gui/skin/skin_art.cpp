#include "skin/skin_art.h"

#include <QHash>
#include <QPainter>

#include "skin/background_art.h"
#include "skin/button_art.h"
#include "skin/fader_art.h"
#include "skin/selector_art.h"

namespace kestra::skin {

namespace {

using PaintFn = void (*)(int, QPainter&, QSizeF);

PaintFn painter_for(int id) {
    if (ButtonArt::draws(id))
        return &ButtonArt::paint;
    if (SelectorArt::draws(id))
        return &SelectorArt::paint;
    if (FaderArt::draws(id))
        return &FaderArt::paint;
    if (BackgroundArt::draws(id))
        return &BackgroundArt::paint;
    return nullptr;
}

struct CacheKey {
    int id;
    QSize size;
    int dpr_percent;
    bool operator==(const CacheKey&) const = default;
};

size_t qHash(const CacheKey& key, size_t seed = 0) {
    return ::qHash(key.id, seed) ^ ::qHash(key.size.width() * 4096 + key.size.height()) ^
           ::qHash(key.dpr_percent);
}

}  // namespace

bool SkinArt::has(int id) {
    return painter_for(id) != nullptr;
}

QSize SkinArt::natural_size(int id) {
    if (ButtonArt::draws(id))
        return ButtonArt::natural_size(id);
    if (SelectorArt::draws(id))
        return SelectorArt::natural_size(id);
    if (FaderArt::draws(id))
        return FaderArt::natural_size(id);
    return BackgroundArt::natural_size(id);
}

QImage SkinArt::image(int id, qreal dpr) {
    return image(id, natural_size(id), dpr);
}

QImage SkinArt::image(int id, QSize logical_size, qreal dpr) {
    PaintFn paint = painter_for(id);
    if (paint == nullptr || logical_size.isEmpty())
        return {};
    QImage out(logical_size * dpr, QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    paint(id, painter, QSizeF(logical_size));
    return out;
}

QPixmap SkinArt::pixmap(int id, QSize logical_size, qreal dpr) {
    static QHash<CacheKey, QPixmap> cache;
    CacheKey key{id, logical_size, qRound(dpr * 100)};
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    QPixmap made = QPixmap::fromImage(image(id, logical_size, dpr));
    cache.insert(key, made);
    return made;
}

}  // namespace kestra::skin
