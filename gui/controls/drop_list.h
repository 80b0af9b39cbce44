#pragma once

#include <QListWidget>

namespace kestra {

// The list inside a selector's popup. The row under the mouse becomes current as the mouse
// moves; Up, Down, PageUp, PageDown, Home and End move the current row (a page is the rows in
// view) and keep it in view; a click or Enter chooses the current row, Escape dismisses the
// list.
class DropList : public QListWidget {
    Q_OBJECT

public:
    static constexpr int kChildId = 1125;

    explicit DropList(QWidget* parent = nullptr);

    int add_item(const QString& text, QColor text_colour = Qt::white,
                 QColor highlight_colour = Qt::white);

signals:
    void chosen(int row);
    void dismissed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The row a browsing key leads to, or -1 for a key that does not browse.
    int row_for_key(int key) const;
    int rows_in_view() const;
};

}  // namespace kestra
