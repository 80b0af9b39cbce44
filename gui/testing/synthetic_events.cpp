#include "testing/synthetic_events.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>
#include <map>

#include "controls/bitmap_fader.h"
#include "editors/response_graph.h"

namespace kestra {

namespace {

void post_mouse(const InputPoint& p, QEvent::Type type, Qt::MouseButton button,
                Qt::MouseButtons held) {
    const QPointF local(p.at);
    const QPointF global(p.target->mapToGlobal(p.at));
    QCoreApplication::postEvent(
        p.target, new QMouseEvent(type, local, local, global, button, held, Qt::NoModifier));
}

std::optional<QPoint> item_centre(QWidget* widget, int row, QWidget*& target) {
    auto* view = qobject_cast<QAbstractItemView*>(widget);
    if (view == nullptr || view->model() == nullptr || row < 0 ||
        row >= view->model()->rowCount()) {
        return std::nullopt;
    }
    const QAbstractItemModel* model = view->model();
    const QRect first = view->visualRect(model->index(row, 0));
    const QRect last = view->visualRect(model->index(row, std::max(0, model->columnCount() - 1)));
    target = view->viewport();
    return first.united(last).center();
}

std::optional<QPoint> thumb_centre(QWidget* widget) {
    auto* fader = qobject_cast<BitmapFader*>(widget);
    if (fader == nullptr) {
        return std::nullopt;
    }
    // The thumb sits beside the scale a fader may carry in its margin, not at its middle.
    return fader->thumb_rect().center();
}

}  // namespace

std::optional<InputPoint> SyntheticEvents::locate(QWidget* widget, const QString& anchor,
                                                  QString& error) {
    InputPoint p{widget, widget->rect().center()};
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        p.target = area->viewport();
        p.at = p.target->rect().center();
    }
    if (anchor.isEmpty() || anchor == QLatin1String("centre")) {
        return p;
    }
    if (anchor == QLatin1String("top")) {
        p.at = {p.target->width() / 2, 2};
        return p;
    }
    if (anchor == QLatin1String("bottom")) {
        p.at = {p.target->width() / 2, p.target->height() - 3};
        return p;
    }
    if (anchor == QLatin1String("thumb")) {
        if (const auto at = thumb_centre(widget)) {
            p.at = *at;
            return p;
        }
        error = QStringLiteral("no thumb");
        return std::nullopt;
    }
    if (anchor.startsWith(QLatin1String("item:"))) {
        bool ok = false;
        const int row = anchor.mid(5).toInt(&ok);
        if (const auto at = ok ? item_centre(widget, row, p.target) : std::nullopt) {
            p.at = *at;
            return p;
        }
        error = QStringLiteral("no %1").arg(anchor);
        return std::nullopt;
    }
    if (anchor.startsWith(QLatin1String("marker:"))) {
        bool ok = false;
        const int k = anchor.mid(7).toInt(&ok);
        auto* graph = qobject_cast<ResponseGraph*>(widget);
        if (graph != nullptr && ok && k >= 0 &&
            k < static_cast<int>(graph->marker_pixels().size())) {
            const GraphPoint c = graph->marker_pixels()[static_cast<size_t>(k)];
            p.at = {static_cast<int>(std::lround(c.x)), static_cast<int>(std::lround(c.y))};
            return p;
        }
        error = QStringLiteral("no %1").arg(anchor);
        return std::nullopt;
    }
    const QStringList xy = anchor.split(QLatin1Char(','));
    bool okx = false;
    bool oky = false;
    if (xy.size() == 2) {
        p = {widget, {xy[0].trimmed().toInt(&okx), xy[1].trimmed().toInt(&oky)}};
    }
    if (!okx || !oky) {
        error = QStringLiteral("unknown anchor '%1'").arg(anchor);
        return std::nullopt;
    }
    return p;
}

void SyntheticEvents::press(const InputPoint& p, Qt::MouseButton button) {
    post_mouse(p, QEvent::MouseButtonPress, button, button);
}

void SyntheticEvents::move(const InputPoint& p, Qt::MouseButtons held) {
    post_mouse(p, QEvent::MouseMove, Qt::NoButton, held);
}

void SyntheticEvents::release(const InputPoint& p, Qt::MouseButton button) {
    post_mouse(p, QEvent::MouseButtonRelease, button, Qt::NoButton);
}

void SyntheticEvents::click(const InputPoint& p, Qt::MouseButton button) {
    press(p, button);
    release(p, button);
}

void SyntheticEvents::double_click(const InputPoint& p) {
    click(p);
    post_mouse(p, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton);
    release(p);
}

void SyntheticEvents::context_menu(const InputPoint& p) {
    click(p, Qt::RightButton);
    QCoreApplication::postEvent(p.target, new QContextMenuEvent(QContextMenuEvent::Mouse, p.at,
                                                                p.target->mapToGlobal(p.at)));
}

void SyntheticEvents::wheel(QWidget* widget, int delta) {
    const QPointF at(widget->rect().center());
    QCoreApplication::postEvent(
        widget, new QWheelEvent(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta),
                                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false));
}

void SyntheticEvents::key(QWidget* widget, int key, Qt::KeyboardModifiers modifiers,
                          const QString& text) {
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, modifiers, text));
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, modifiers, text));
}

void SyntheticEvents::type(QWidget* widget, const QString& text) {
    key(widget, Qt::Key_A, Qt::ControlModifier);
    key(widget, Qt::Key_Backspace, Qt::NoModifier);
    for (const QChar c : text) {
        const QChar upper = c.toUpper();
        const int code = upper.isLetterOrNumber() && upper.unicode() < 128
                             ? upper.unicode()
                             : (c == QLatin1Char(' ') ? int(Qt::Key_Space) : int(Qt::Key_unknown));
        key(widget, code, Qt::NoModifier, QString(c));
    }
}

bool SyntheticEvents::parse_key(const QString& chord, int& key, Qt::KeyboardModifiers& modifiers,
                                QString& text) {
    static const std::map<QString, int> named{{QStringLiteral("Return"), Qt::Key_Return},
                                              {QStringLiteral("Home"), Qt::Key_Home},
                                              {QStringLiteral("End"), Qt::Key_End},
                                              {QStringLiteral("PageUp"), Qt::Key_PageUp},
                                              {QStringLiteral("PageDown"), Qt::Key_PageDown},
                                              {QStringLiteral("Up"), Qt::Key_Up},
                                              {QStringLiteral("Down"), Qt::Key_Down},
                                              {QStringLiteral("Left"), Qt::Key_Left},
                                              {QStringLiteral("Right"), Qt::Key_Right},
                                              {QStringLiteral("Escape"), Qt::Key_Escape},
                                              {QStringLiteral("Tab"), Qt::Key_Tab},
                                              {QStringLiteral("F1"), Qt::Key_F1},
                                              {QStringLiteral("Backspace"), Qt::Key_Backspace},
                                              {QStringLiteral("Delete"), Qt::Key_Delete},
                                              {QStringLiteral("Space"), Qt::Key_Space}};
    modifiers = Qt::NoModifier;
    QString rest = chord;
    for (;;) {
        if (rest.startsWith(QLatin1String("Ctrl+"))) {
            modifiers |= Qt::ControlModifier;
            rest = rest.mid(5);
        } else if (rest.startsWith(QLatin1String("Shift+"))) {
            modifiers |= Qt::ShiftModifier;
            rest = rest.mid(6);
        } else {
            break;
        }
    }
    text.clear();
    if (const auto it = named.find(rest); it != named.end()) {
        key = it->second;
        if (key == Qt::Key_Return) {
            text = QStringLiteral("\r");
        } else if (key == Qt::Key_Space) {
            text = QStringLiteral(" ");
        }
        return true;
    }
    if (rest.size() == 1 && rest[0].isLetterOrNumber() && rest[0].unicode() < 128) {
        key = rest[0].toUpper().unicode();
        if (!(modifiers & Qt::ControlModifier)) {
            text = (modifiers & Qt::ShiftModifier) ? rest.toUpper() : rest.toLower();
        }
        return true;
    }
    return false;
}

}  // namespace kestra
