#pragma once

namespace kestra::skin {

// Style sheets for the few stock Qt widgets the console keeps (message boxes, tree lists, scroll
// bars), in the colours of SkinPalette and the faces of the button art, so none shows the light
// desktop theme inside the dark console.
struct SkinSheet {
    // Scroll bars: a dark groove, a handle with the button's face, no arrow buttons.
    static const char* scroll_bars() {
        return "QScrollBar:vertical { background: #0f1115; width: 14px; margin: 0; border: none; } "
               "QScrollBar:horizontal { background: #0f1115; height: 14px; margin: 0; "
               "border: none; } "
               "QScrollBar::handle:vertical { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
               "stop:0 #3b414b, stop:1 #282c33); border: 1px solid #07080a; border-radius: 4px; "
               "min-height: 24px; } "
               "QScrollBar::handle:horizontal { background: qlineargradient(x1:0, y1:0, x2:0, "
               "y2:1, stop:0 #3b414b, stop:1 #282c33); border: 1px solid #07080a; "
               "border-radius: 4px; min-width: 24px; } "
               "QScrollBar::handle:hover { background: #474e5a; } "
               "QScrollBar::handle:pressed { background: #125a66; border-color: #00c8e0; } "
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; "
               "background: none; } "
               "QScrollBar::add-page, QScrollBar::sub-page { background: none; } "
               "QAbstractScrollArea::corner { background: #0f1115; } ";
    }

    // A list of rows (the device list): the journal's look without the dialog's panel.
    static const char* tree_list() {
        return "QTreeView { background: #0f1115; alternate-background-color: #171a1f; "
               "color: #e6e9ee; border: 1px solid #3b414b; "
               "selection-background-color: #0a3840; selection-color: #ffffff; } "
               "QHeaderView::section { background: #282c33; color: #9aa3b0; border: none; "
               "border-right: 1px solid #07080a; padding: 3px 6px; } ";
    }

    // A message box or dialog: the panel, light text, push buttons with the button art's faces
    // (the lit teal when pressed, its edge on the default button).
    static const char* dialog() {
        return "QDialog { background: #171a1f; } "
               "QLabel { color: #e6e9ee; background: transparent; } "
               "QPushButton { color: #ffffff; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
               "stop:0 #3b414b, stop:1 #282c33); border: 1px solid #07080a; border-radius: 3px; "
               "padding: 4px 14px; min-width: 64px; min-height: 18px; } "
               "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
               "stop:0 #474e5a, stop:1 #31363e); } "
               "QPushButton:pressed, QPushButton:checked { background: qlineargradient(x1:0, "
               "y1:0, x2:0, y2:1, stop:0 #125a66, stop:1 #0a3840); border-color: #00c8e0; } "
               "QPushButton:default { border-color: #00c8e0; } "
               "QPushButton:focus { border-color: #00e6ff; } "
               "QTextEdit { background: #0f1115; color: #e6e9ee; border: 1px solid #3b414b; } ";
    }
};

}  // namespace kestra::skin
