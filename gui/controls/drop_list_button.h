#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QStringList>

#include "controls/drop_list_delegate.h"

namespace kestra {

class DropListPopup;

// A selector: an image button captioned with the current choice of a short list, opening the
// list in a popup under itself. The parent learns of a choice by the operator (popup or wheel)
// through `selected(list id, index)`; `select` by the owner reports nothing. With the focus,
// Enter, Space or Alt+Down opens the list, whose keys then browse and pick.
class DropListButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kWheelNotch = 120;
    static constexpr int kMaxDropRows = 15;

    explicit DropListButton(QWidget* parent = nullptr);
    ~DropListButton() override;

    // Image ids 0 fill the button with the palette's button colour.
    void set_images(int normal_id, int hover_id);
    bool attach(int list_id);
    int list_id() const { return list_id_; }

    int add_item(const QString& text);
    void clear();
    void select(int index);  // clamped into the list; no signal
    // No item chosen and no caption, for a value the list has no item for; no signal.
    void select_none();
    int current_index() const;
    QString item_text(int index) const;
    int count() const;

    void set_text_colours(QColor normal, QColor hover);
    void set_fonts(const QFont& normal, const QFont& hover);
    void set_multi_line(bool multi_line, Qt::Alignment alignment = Qt::AlignHCenter);
    void set_use_hand_cursor(bool use);
    void set_maximum_drop_height(int pixels) { max_drop_height_ = pixels; }

    bool hover() const { return hover_; }
    int wheel_accumulator() const { return wheel_; }
    // Made on first use (the first open at the latest), so a page of many selectors starts
    // without their lists.
    DropListPopup* popup() const;
    bool popup_visible() const;
    QRect popup_rect() const { return popup_rect_; }
    // The list's height for up to kMaxDropRows whole rows, and within `room` pixels (the
    // screen's space beside the button) as long as one row fits.
    int drop_height() const;
    int drop_height(int room) const;
    QRect caption_rect() const;

    void open_popup();

signals:
    void selected(int list_id, int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void choose_from_popup(int index);
    void step(int index);
    DropListPopup* made_popup() const;

    int normal_image_ = 0;
    int hover_image_ = 0;
    QColor normal_text_{0xff, 0xff, 0xff};
    QColor hover_text_{0xff, 0xff, 0xff};
    QFont normal_font_;
    QFont hover_font_;
    bool multi_line_ = false;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    bool hover_ = false;
    bool use_hand_cursor_ = true;
    int list_id_ = 0;
    int max_drop_height_ = kMaxDropRows * DropListDelegate::kItemHeight;
    QRect popup_rect_;
    int wheel_ = 0;
    bool attached_ = false;
    QStringList items_;
    int current_ = -1;
    mutable DropListPopup* popup_ = nullptr;
};

}  // namespace kestra
