#pragma once

#include <QColor>

namespace kestra::skin {

// One console palette: graphite panels, a cool teal for everything lit.
struct SkinPalette {
    static QColor panel() { return {0x17, 0x1a, 0x1f}; }
    static QColor panel_deep() { return {0x0f, 0x11, 0x15}; }
    static QColor outline() { return {0x07, 0x08, 0x0a}; }
    static QColor face_top() { return {0x3b, 0x41, 0x4b}; }
    static QColor face_bottom() { return {0x28, 0x2c, 0x33}; }
    static QColor face_highlight() { return {0x55, 0x5c, 0x68}; }
    static QColor hover_top() { return {0x47, 0x4e, 0x5a}; }
    static QColor hover_bottom() { return {0x31, 0x36, 0x3e}; }
    static QColor lit_top() { return {0x12, 0x5a, 0x66}; }
    static QColor lit_bottom() { return {0x0a, 0x38, 0x40}; }
    static QColor lit_edge() { return {0x00, 0xc8, 0xe0}; }
    static QColor lit_glow() { return {0x00, 0xe6, 0xff}; }
    static QColor engraving() { return {0x9a, 0xa3, 0xb0}; }
    static QColor groove() { return {0x05, 0x06, 0x08}; }
    static QColor output_accent() { return {0x02, 0xa6, 0xe3}; }
    static QColor online() { return {0x3c, 0xe0, 0x6e}; }

    // Progress bars in the console's colours: a groove with the lit teal filling it.
    static const char* progress_style() {
        return "QProgressBar { background: #0f1115; border: 1px solid #3b414b; "
               "border-radius: 3px; } "
               "QProgressBar::chunk { background: #00c8e0; border-radius: 2px; }";
    }

    // Lists of text (the journal) on the console's panels, the header engraved.
    static const char* list_style() {
        return "QTreeView { background: #0f1115; alternate-background-color: #171a1f; "
               "color: #e6e9ee; border: 1px solid #3b414b; selection-background-color: #0a3840; } "
               "QHeaderView::section { background: #282c33; color: #9aa3b0; border: none; "
               "border-right: 1px solid #07080a; padding: 3px 6px; } "
               "QDialog { background: #171a1f; }";
    }
};

}  // namespace kestra::skin
