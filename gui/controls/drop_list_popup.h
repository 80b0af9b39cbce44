#pragma once

#include <QWidget>

namespace kestra {

class DropList;

// Frameless popup holding a selector's list. It hides itself when a row is chosen, when the
// list is dismissed or loses the focus, and when a press lands outside it; any way it hides
// without a choice puts the list back on the remembered row.
class DropListPopup : public QWidget {
    Q_OBJECT

public:
    explicit DropListPopup(QWidget* owner);

    DropList* list() const { return list_; }
    void set_remembered_row(int row) { remembered_ = row; }
    int remembered_row() const { return remembered_; }

signals:
    void chosen(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(int row);

    DropList* list_;
    int remembered_ = -1;
    bool choosing_ = false;
};

}  // namespace kestra
