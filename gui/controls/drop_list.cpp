#include "controls/drop_list.h"

#include <QKeyEvent>
#include <algorithm>

#include "controls/drop_list_delegate.h"

namespace kestra {

DropList::DropList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("drop_list_%1").arg(kChildId));
    setItemDelegate(new DropListDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setUniformItemSizes(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, DropListDelegate::fill_colour());
    setPalette(colours);
    connect(this, &QListWidget::entered, this,
            [this](const QModelIndex& index) { setCurrentRow(index.row()); });
    connect(this, &QListWidget::clicked, this,
            [this](const QModelIndex& index) { emit chosen(index.row()); });
}

int DropList::add_item(const QString& text, QColor text_colour, QColor highlight_colour) {
    auto* item = new QListWidgetItem(text, this);
    item->setData(DropListDelegate::kTextColourRole, text_colour);
    item->setData(DropListDelegate::kHighlightColourRole, highlight_colour);
    return count() - 1;
}

void DropList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (currentRow() >= 0)
                emit chosen(currentRow());
            event->accept();
            return;
        case Qt::Key_Escape:
            emit dismissed();
            event->accept();
            return;
        default:
            break;
    }
    int row = row_for_key(event->key());
    if (row < 0 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QListWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    setCurrentRow(row);
    scrollToItem(item(row));
}

int DropList::rows_in_view() const {
    return std::max(1, viewport()->height() / DropListDelegate::kItemHeight);
}

int DropList::row_for_key(int key) const {
    int last = count() - 1;
    if (last < 0)
        return -1;
    int now = currentRow();
    int target = now;
    switch (key) {
        case Qt::Key_Up:
            target = now < 0 ? last : now - 1;
            break;
        case Qt::Key_Down:
            target = now + 1;
            break;
        case Qt::Key_PageUp:
            target = now < 0 ? last : now - rows_in_view();
            break;
        case Qt::Key_PageDown:
            target = now + rows_in_view();
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = last;
            break;
        default:
            return -1;
    }
    return std::clamp(target, 0, last);
}

}  // namespace kestra
