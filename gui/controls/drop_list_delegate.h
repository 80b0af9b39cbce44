#pragma once

#include <QStyledItemDelegate>

namespace kestra {

// Paints a selector's list rows: 40 pixels high, each a filled box one pixel larger than the
// row, the current row in teal, the text centred on one line and elided.
class DropListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kItemHeight = 40;
    static constexpr int kTextColourRole = Qt::UserRole + 1;
    static constexpr int kHighlightColourRole = Qt::UserRole + 2;

    static QColor fill_colour() { return {27, 34, 50}; }
    static QColor selected_colour() { return {13, 133, 138}; }

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kestra
