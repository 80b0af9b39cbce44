#pragma once

#include <QWidget>

namespace kestra {

// A page of the console: its background image tiled from the top-left corner over the whole
// client area; without an image the palette's window colour is used.
class TiledBackground : public QWidget {
    Q_OBJECT

public:
    explicit TiledBackground(QWidget* parent = nullptr, int image_id = 0);

    void set_background_image(int id);
    int background_image() const { return image_; }

    static void paint_tiles(QPainter& painter, const QRect& area, int image_id, qreal dpr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int image_ = 0;
};

}  // namespace kestra
