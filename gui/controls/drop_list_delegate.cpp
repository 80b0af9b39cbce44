#include "controls/drop_list_delegate.h"

#include <QPainter>

#include "skin/skin_palette.h"

namespace kestra {

void DropListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    bool selected = option.state.testFlag(QStyle::State_Selected);
    QRect box = option.rect.adjusted(-1, -1, 1, 1);
    painter->save();
    painter->setPen(fill_colour());
    painter->setBrush(selected ? selected_colour() : fill_colour());
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    // a hairline between rows keeps long lists readable
    painter->setPen(skin::SkinPalette::list_divider());
    painter->drawLine(option.rect.left() + 4, option.rect.bottom(), option.rect.right() - 4,
                      option.rect.bottom());
    QColor text = index.data(selected ? kHighlightColourRole : kTextColourRole).value<QColor>();
    painter->setPen(text.isValid() ? text : QColor(Qt::white));
    painter->setFont(option.font);
    QRect text_area = option.rect.adjusted(4, 0, -5, 0);
    QString shown = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                  Qt::ElideRight, text_area.width());
    painter->drawText(text_area, Qt::AlignCenter | Qt::TextSingleLine, shown);
    painter->restore();
}

QSize DropListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kItemHeight};
}

}  // namespace kestra
