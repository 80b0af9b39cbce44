#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>

#include "controls/meter_ladder.h"

namespace kestra {

// Bar-graph level display: up to eight ladders or dB scale columns over a dark body. A value
// is drawn as it comes (no ballistics). Setting a value repaints only that bar, and only when
// its stored value changed; the body with its unlit ladders, scales and captions is drawn once
// into a cache (rebuilt after a resize or a change of the bars' set-up).
class LevelMeter : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxBars = 8;
    enum BarKind { kLevelBar = 1, kScaleColumn = 2 };

    explicit LevelMeter(QWidget* parent = nullptr);

    // Stores the value clamped into the bar's range; bars outside [0, kMaxBars) are ignored.
    void set_value(double value, int bar);
    double value(int bar) const;

    void set_bar_count(int count);  // limited to 1..kMaxBars
    int bar_count() const { return bar_count_; }
    void set_bar_range(int bar, double minimum, double maximum);
    void set_bar_kind(int bar, BarKind kind);
    void set_bar_caption(int bar, const QString& caption);
    void set_zone_limits(double low, double top);
    void set_margins(int top, int bottom);
    void set_background_colour(QColor colour);
    MeterZones zones() const { return zones_; }

    // The ladder rectangle of a bar, and the part of it that is lit now.
    QRect bar_rect(int bar) const;
    int lit_height(int bar) const;
    QRect lit_rect(int bar) const;
    static QString scale_label(double minimum, double maximum, int step);

    static QColor body_colour() { return {10, 10, 10}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Bar {
        double value = 0.0;
        double minimum = 0.0;
        double maximum = 50.0;
        BarKind kind = kLevelBar;
        QString caption;
    };

    bool valid_bar(int bar) const { return bar >= 0 && bar < kMaxBars; }
    void drop_cache();
    void build_cache(qreal dpr);
    void paint_scale(QPainter& painter, int bar) const;
    void paint_caption(QPainter& painter, int bar) const;

    std::array<Bar, kMaxBars> bars_{};
    int bar_count_ = 4;
    MeterZones zones_{};
    int top_margin_ = 10;
    int bottom_margin_ = 0;
    QColor background_{192, 192, 192};
    QPixmap body_;
    QPixmap lit_;
    qreal cache_dpr_ = 0.0;
};

}  // namespace kestra
