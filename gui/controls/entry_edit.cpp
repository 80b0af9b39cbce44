#include "controls/entry_edit.h"

#include <QKeyEvent>
#include <QPainter>

#include "controls/focus_ring.h"

#include "skin/skin_palette.h"

namespace kestra {

EntryEdit::EntryEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    apply_background();
}

void EntryEdit::set_background_colour(QColor colour) {
    background_ = colour;
    apply_background();
}

void EntryEdit::set_text_colour(QColor colour) {
    text_ = colour;
    apply_background();
}

int EntryEdit::character_count() const {
    return static_cast<int>(text().toUcs4().size());
}

bool EntryEdit::is_enter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Enter is claimed at the shortcut stage too, so no dialog shortcut or default button gets it.
bool EntryEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && is_enter(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void EntryEdit::keyPressEvent(QKeyEvent* event) {
    if (is_enter(event)) {
        event->accept();
        emit enter_pressed(tag_);
        return;
    }
    bool typed = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                 !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (character_count() >= length_limit_) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
    emit character_accepted(tag_);
}

void EntryEdit::focusInEvent(QFocusEvent* event) {
    apply_background();
    QLineEdit::focusInEvent(event);
    emit focus_gained(tag_);
}

void EntryEdit::focusOutEvent(QFocusEvent* event) {
    apply_background();
    QLineEdit::focusOutEvent(event);
}

void EntryEdit::apply_background() {
    QPalette colours = palette();
    const bool dark = background_.lightness() < 128;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, background_);
        colours.setColor(group, QPalette::Text, text_);
    }
    colours.setColor(QPalette::Disabled, QPalette::Base, skin::SkinPalette::disabled_face(dark));
    colours.setColor(QPalette::Disabled, QPalette::Text, skin::SkinPalette::disabled_text(dark));
    setPalette(colours);
}

void EntryEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    FocusRing::paint(painter, *this);
}

}  // namespace kestra
