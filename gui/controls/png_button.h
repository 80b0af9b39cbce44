#pragma once

#include <QAbstractButton>
#include <QColor>
#include <array>

#include "controls/meter_ladder.h"

namespace kestra {

// Skinned button painted from an image pair (normal, lit/pressed/hover) plus an optional
// disabled image, with a centred caption and optional mini level bars. In toggle look the
// owner sets `lit` (it toggles it on click); in push look a press or hover selects the
// second image. A double click counts as a second click. With the focus, Space or Enter
// clicks it.
class PngButton : public QAbstractButton {
    Q_OBJECT

public:
    enum Mode { kPushLook = 0, kToggleLook = 1 };
    static constexpr int kMaxMiniMeters = 8;

    explicit PngButton(QWidget* parent = nullptr);

    // With sizing 1 the button takes the first image's size; unknown ids draw nothing.
    void set_images(int first_id, int second_id);
    void set_disabled_image(int id);

    void set_mode(Mode mode);
    void set_lit(bool lit);
    bool lit() const { return lit_; }
    void set_show_caption(bool show);
    void set_sizing(int sizing) { sizing_ = sizing; }
    void set_caption_colour(QColor colour);
    void set_lit_caption_colour(QColor colour);
    void set_caption_size(double points);
    // Whether the caption is drawn whole within the button's width.
    bool caption_fits() const;
    void set_disabled_look(bool disabled);
    bool hover() const { return hover_; }

    void set_mini_meter_count(int count);
    void set_mini_meter_value(int bar, double value);
    double mini_meter_value(int bar) const;
    bool has_mini_meters() const { return vertical_minis_ || horizontal_minis_; }
    void set_mini_meter_range(double minimum, double maximum);
    void set_mini_meter_zones(MeterZones zones);
    void set_vertical_mini_meters(bool on);
    void set_horizontal_mini_meters(bool on);

    // What the next paint shows: the image id chosen by the look rules (0 for none) and the
    // caption colour.
    int current_image() const;
    QColor current_caption_colour() const;
    QRect vertical_mini_meter_rect(int bar) const;
    QRect horizontal_mini_meter_rect(int bar) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void paint_mini_meters(QPainter& painter) const;
    int mini_lit_pixels(int bar, int length) const;

    Mode mode_ = kToggleLook;
    bool lit_ = false;
    bool show_caption_ = true;
    int sizing_ = 0;
    QColor caption_colour_{0xff, 0xff, 0xff};
    QColor lit_caption_colour_{0x00, 0xe6, 0xff};
    double caption_size_ = 8.0;
    bool hover_ = false;
    bool disabled_look_ = false;
    std::array<int, 3> images_{0, 0, 0};
    int mini_count_ = 8;
    std::array<double, kMaxMiniMeters> mini_values_{};
    double mini_minimum_ = 0.0;
    double mini_maximum_ = 60.0;
    MeterZones mini_zones_{0.7, 0.9};
    bool vertical_minis_ = false;
    bool horizontal_minis_ = false;
};

}  // namespace kestra
