#pragma once

#include <QDialog>

#include "history/change_journal.h"

class QKeyEvent;
class QTreeWidget;

namespace kestra {

// The change journal as a list, newest last: time, origin and text of every line, kept
// current while the window is open.
class JournalWindow final : public QDialog {
    Q_OBJECT

public:
    JournalWindow(ChangeJournal& journal, QWidget* parent);

    // Ctrl+Z undoes and Ctrl+Shift+Z redoes, in this window and the main one.
    enum class UndoKey { None, Undo, Redo };
    static UndoKey undo_key(const QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ChangeJournal& journal_;
    void add(const JournalLine& line);

    QTreeWidget* list_;
    Publisher<JournalLine>::Subscription lines_;
};

}  // namespace kestra
