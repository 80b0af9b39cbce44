#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace kestra {

// How a label shows a number: value / divisor − offset with prefix and suffix, one decimal
// when the quotient has a fractional part, or "OFF" after the prefix at the OFF value.
struct ValueFormat {
    enum OffRule { kNoOff = 0, kOffAtLow = 1, kOffAtHigh = 2 };

    double value = 0.0;
    double divisor = 1.0;
    double offset = 0.0;
    int off_rule = kNoOff;
    double off_low = 1.0;
    double off_high = 10.0;
    QString prefix;
    QString suffix;

    QString text() const;
};

// Text label of the skinned pages: transparent over its parent's background (or filled with
// its background colour), aligned the same way on both axes, optionally in value mode or
// showing an image. Clicks become signals for the owner.
class ValueLabel : public QWidget {
    Q_OBJECT

public:
    enum Alignment { kNear = 0, kCentre = 1, kFar = 2 };

    explicit ValueLabel(QWidget* parent = nullptr);

    void set_text(const QString& text);
    QString text() const { return text_; }
    void set_font_name(const QString& family);
    void set_font_size(double points);
    void set_text_colour(QColor colour, bool redraw = true);
    QColor text_colour() const { return text_colour_; }
    void set_background_colour(QColor colour, bool redraw = true);
    void set_alignment(int alignment);
    void set_transparent(bool transparent);
    void set_frame(bool frame);
    void set_image(int id);  // resizes the label to the image

    // Value mode: the label shows `format` instead of its text.
    void set_text_mode(bool text_mode);
    ValueFormat format;
    void set_value(double value);

    QString display_text() const { return text_mode_ ? text_ : format.text(); }
    Qt::Alignment qt_alignment() const;

signals:
    void clicked();
    void double_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString text_;
    QString font_name_;
    double font_size_ = 8.0;
    QColor text_colour_{0xff, 0xff, 0xff};
    QColor background_{128, 128, 128};
    int alignment_ = kCentre;
    bool transparent_ = true;
    bool frame_ = false;
    bool text_mode_ = true;
    int image_ = 0;
};

}  // namespace kestra
