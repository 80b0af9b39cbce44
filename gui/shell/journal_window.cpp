#include "shell/journal_window.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "skin/skin_palette.h"
#include "skin/skin_sheet.h"

namespace kestra {

JournalWindow::UndoKey JournalWindow::undo_key(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() != Qt::Key_Z) {
        return UndoKey::None;
    }
    if (mods == Qt::ControlModifier) {
        return UndoKey::Undo;
    }
    return mods == (Qt::ControlModifier | Qt::ShiftModifier) ? UndoKey::Redo : UndoKey::None;
}

void JournalWindow::keyPressEvent(QKeyEvent* event) {
    switch (undo_key(event)) {
        case UndoKey::Undo:
            journal_.undo();
            break;
        case UndoKey::Redo:
            journal_.redo();
            break;
        case UndoKey::None:
            QDialog::keyPressEvent(event);
            break;
    }
}

JournalWindow::JournalWindow(ChangeJournal& journal, QWidget* parent)
    : QDialog(parent), journal_(journal) {
    setObjectName(QStringLiteral("journal"));
    setWindowTitle(QStringLiteral("Journal"));
    resize(720, 420);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("journal.list"));
    list_->setColumnCount(3);
    list_->setHeaderLabels(
        {QStringLiteral("TIME"), QStringLiteral("ORIGIN"), QStringLiteral("CHANGE")});
    list_->setRootIsDecorated(false);
    list_->setAlternatingRowColors(true);
    setStyleSheet(QString::fromLatin1(skin::SkinPalette::list_style()) +
                  QString::fromLatin1(skin::SkinSheet::scroll_bars()));
    list_->setUniformRowHeights(true);
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list_);
    for (const JournalLine& line : journal.lines()) {
        add(line);
    }
    list_->scrollToBottom();
    lines_ = journal.appended().subscribe([this](const JournalLine& line) {
        add(line);
        list_->scrollToBottom();
    });
}

void JournalWindow::add(const JournalLine& line) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, QString::fromStdString(line.time));
    item->setText(1, QString::fromStdString(line.origin));
    item->setText(2, QString::fromStdString(line.text));
    if (!line.fields.empty()) {
        QStringList fields;
        for (const SceneDiffEntry& e : line.fields) {
            fields << QString::fromStdString(e.text());
        }
        item->setToolTip(2, fields.join(QLatin1Char('\n')));
    }
    // The journal window keeps the lines the journal keeps in memory.
    while (list_->topLevelItemCount() > static_cast<int>(ChangeJournal::kMaxLines)) {
        delete list_->takeTopLevelItem(0);
    }
}

}  // namespace kestra
