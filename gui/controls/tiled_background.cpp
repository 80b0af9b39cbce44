#include "controls/tiled_background.h"

#include <QPaintEvent>
#include <QPainter>

#include "skin/skin_art.h"

namespace kestra {

TiledBackground::TiledBackground(QWidget* parent, int image_id)
    : QWidget(parent), image_(image_id) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TiledBackground::set_background_image(int id) {
    image_ = id;
    update();
}

void TiledBackground::paint_tiles(QPainter& painter, const QRect& area, int image_id, qreal dpr) {
    QPixmap tile = skin::SkinArt::pixmap(image_id, skin::SkinArt::natural_size(image_id), dpr);
    if (tile.isNull())
        return;
    // tiles start at the widget's origin whatever part is being repainted
    painter.drawTiledPixmap(area, tile, area.topLeft());
}

void TiledBackground::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!skin::SkinArt::has(image_)) {
        painter.fillRect(event->rect(), palette().window());
        return;
    }
    paint_tiles(painter, event->rect(), image_, devicePixelRatioF());
}

}  // namespace kestra
