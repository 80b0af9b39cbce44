#pragma once

#include <QPoint>
#include <QString>
#include <optional>

class QWidget;

namespace kestra {

// A point of a widget named by an anchor, and the widget that takes the mouse there (the
// viewport of a list, not its frame).
struct InputPoint {
    QWidget* target = nullptr;
    QPoint at;
};

// Input as the window system delivers it after hit-testing, posted to the widget's queue, so
// a press that opens a modal dialog or a menu does not hold up the one who pressed.
class SyntheticEvents {
public:
    // centre, thumb, top, bottom, item:K, marker:K or "x,y"; the error names what is wrong.
    static std::optional<InputPoint> locate(QWidget* widget, const QString& anchor, QString& error);

    static void press(const InputPoint& p, Qt::MouseButton button = Qt::LeftButton);
    static void move(const InputPoint& p, Qt::MouseButtons held = Qt::LeftButton);
    static void release(const InputPoint& p, Qt::MouseButton button = Qt::LeftButton);
    static void click(const InputPoint& p, Qt::MouseButton button = Qt::LeftButton);
    static void double_click(const InputPoint& p);
    static void context_menu(const InputPoint& p);
    static void wheel(QWidget* widget, int delta);
    static void key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers,
                    const QString& text = {});
    // Replaces an entry box's text: select all, delete, then one key a character.
    static void type(QWidget* widget, const QString& text);

    // "[Ctrl+][Shift+]KEY" with the key names of the driver; false for an unknown key.
    static bool parse_key(const QString& chord, int& key, Qt::KeyboardModifiers& modifiers,
                          QString& text);
};

}  // namespace kestra
