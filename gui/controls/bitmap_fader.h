#pragma once

#include <QPixmap>
#include <QRgb>
#include <QWidget>

#include "controls/fader_geometry.h"

namespace kestra {

// A slider drawn from channel and thumb images. The parent learns of changes through
// signals carrying the fader's control id and the new position: `moved` during a drag each
// time the position changes, `released` after a drag (always, even without movement) and
// after every keyboard change and every whole wheel notch, `double_clicked` on a double click
// (position unchanged). A vertical fader only accepts a press on its thumb; a horizontal one
// anywhere.
class BitmapFader : public QWidget {
    Q_OBJECT

public:
    // A colour key standing for "the colour of the image at (key x, key y)".
    static constexpr QRgb kKeyFromPixel = 0xFF000000;
    static constexpr int kWheelNotch = 120;

    struct Options {
        int control_id = 0;
        bool vertical = false;
        int label_top_value = 10;
        int label_bottom_value = -50;
        double label_divisor = 1.0;
        int label_mode = 1;  // 1: value from the position; 2: the divisor itself
        int label_height = 18;
        bool show_label = true;
        int thumb_number = 0;
        int thumb_image_mode = 1;  // 1: active thumb while dragging; 2: at the detent
        int detent_position = 0;
        int page_step = 10;
    };
    Options options;

    explicit BitmapFader(QWidget* parent = nullptr);

    // Normal id 0 removes the channel images. The fader takes the normal image's size. If an
    // image cannot be loaded nothing of this call is kept and the result is false.
    bool set_channel_images(int normal_id, int active_id, bool transparent = false,
                            QRgb colour_key = kKeyFromPixel, int key_x = 0, int key_y = 0);
    bool set_thumb_images(int normal_id, int active_id, bool transparent = false,
                          QRgb colour_key = kKeyFromPixel, int key_x = 0, int key_y = 0);
    void set_margins(int left, int top, int right, int bottom);

    void set_range_minimum(int minimum, bool redraw = true);
    void set_range_maximum(int maximum, bool redraw = true);
    void set_range(int minimum, int maximum, bool redraw = true);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    void set_position(int position);  // clamped into [minimum, maximum]
    // The one rule for every view that shows a stored value on a fader: a held thumb is the
    // operator's hand, so no change moves it, whoever made it (a report, a recall, an undo,
    // a remote client, or the echo of the drag itself); the view reloads after the release.
    // Returns whether the position was taken.
    bool follow(int position);
    int position() const { return position_; }

    FaderGeometry geometry_along_track() const;
    int pixel_of(int position) const { return geometry_along_track().pixel_of(position); }
    QRect thumb_rect() const;
    QString label_text() const;
    bool dragging() const { return dragging_; }
    bool thumb_active() const;
    int wheel_accumulator() const { return wheel_; }

    QSize sizeHint() const override;

signals:
    void moved(int control_id, int position);
    void released(int control_id, int position);
    void double_clicked(int control_id, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct Image {
        int id = 0;
        bool transparent = false;
        QRgb key = kKeyFromPixel;
        int key_x = 0;
        int key_y = 0;
        bool loaded() const { return id != 0; }
    };
    struct Pair {
        Image normal;
        Image active;
    };

    static bool load_pair(Pair& pair, int normal_id, int active_id, bool transparent, QRgb key,
                          int key_x, int key_y);
    QPixmap pixmap(const Image& image) const;
    QSize control_size() const;
    int along(const QPoint& point) const { return options.vertical ? point.y() : point.x(); }
    bool press_hits_thumb(const QPoint& point) const;
    void drag_to(int coordinate);
    void step_to(int target);
    void paint_channel(QPainter& painter) const;
    void paint_label(QPainter& painter) const;
    void paint_thumb(QPainter& painter) const;

    Pair channel_;
    Pair thumb_;
    QSize thumb_size_;
    int margin_left_ = 0;
    int margin_top_ = 0;
    int margin_right_ = 0;
    int margin_bottom_ = 0;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    int drag_offset_ = 0;
    bool dragging_ = false;
    int wheel_ = 0;
};

}  // namespace kestra
