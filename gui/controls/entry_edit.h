#pragma once

#include <QColor>
#include <QLineEdit>

namespace kestra {

// Single-line entry box. A typed character is taken only while the text is shorter than the
// length limit; Enter is taken before anything else sees it (it never presses a dialog's
// default button) and reported instead. Each notification carries the box's tag. The box is
// light text on its dark background unless told otherwise; disabled, both are greyed, so it
// does not pass for a box that takes typing. With the focus it wears the focus ring.
class EntryEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit EntryEdit(QWidget* parent = nullptr);

    void set_owner_tag(int tag) { tag_ = tag; }
    int tag() const { return tag_; }
    void set_length_limit(int characters) { length_limit_ = characters; }
    int length_limit() const { return length_limit_; }
    void set_background_colour(QColor colour);
    QColor background_colour() const { return background_; }
    void set_text_colour(QColor colour);
    QColor text_colour() const { return text_; }

    // Characters as the operator counts them (code points, not UTF-16 units).
    int character_count() const;

signals:
    void character_accepted(int tag);
    void enter_pressed(int tag);
    void focus_gained(int tag);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void apply_background();
    static bool is_enter(const QKeyEvent* event);

    int tag_ = 0;
    int length_limit_ = 8;
    QColor background_{0, 0, 0};
    QColor text_{255, 255, 255};
};

}  // namespace kestra
