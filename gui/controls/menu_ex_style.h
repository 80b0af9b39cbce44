#pragma once

#include <QColor>
#include <QProxyStyle>

namespace kestra {

// The context menus' own look: a light panel with a grey icon column, embossed check marks,
// etched separators and 16-pixel text. Measuring and drawing one item are public so that the
// look can be checked without opening a menu.
class MenuExStyle : public QProxyStyle {
    Q_OBJECT

public:
    struct Look {
        int icon_width = 16;
        int icon_height = 15;
        int separator_height = 10;
        QColor background{239, 243, 255};
        QColor text{0x10, 0x12, 0x16};
        QColor selected_text{0xff, 0xff, 0xff};
        QColor selection_pen{0x0b, 0x6e, 0x7a};
        QColor selection_brush{0x0d, 0x85, 0x8a};
    };
    struct Item {
        QString text;
        bool separator = false;
        bool checked = false;
        bool enabled = true;
        bool has_icon = false;
        bool popup = false;
    };

    static QColor icon_column_colour() { return {210, 210, 210}; }
    static QColor check_colour() { return {127, 127, 127}; }

    MenuExStyle();
    explicit MenuExStyle(Look look);

    QSize measure_item(const Item& item) const;
    void draw_item(QPainter& painter, const Item& item, const QRect& rect, bool selected) const;
    const Look& look() const { return look_; }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    Look look_;
};

}  // namespace kestra
