#include "controls/drop_list.h"

#include <QKeyEvent>

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
            return;
        case Qt::Key_Escape:
            emit dismissed();
            return;
        default:
            QListWidget::keyPressEvent(event);
    }
}

}  // namespace kestra
