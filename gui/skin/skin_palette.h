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
    // The keyboard focus wears the accent, so it reads as "this one" on any face.
    static QColor focus_ring() { return lit_glow(); }
    // A lit MUTE glows red, as on every desk, so it never reads as ACTIVE or a selection.
    static QColor mute_top() { return {0x7a, 0x16, 0x16}; }
    static QColor mute_bottom() { return {0x4c, 0x0c, 0x0c}; }
    static QColor mute_edge() { return {0xff, 0x3b, 0x30}; }
    static QColor mute_glow() { return {0xff, 0x5a, 0x4a}; }
    static QColor mute_caption() { return {0xff, 0xd2, 0xcc}; }
    static QColor engraving() { return {0x9a, 0xa3, 0xb0}; }
    static QColor groove() { return {0x05, 0x06, 0x08}; }
    static QColor output_accent() { return {0x02, 0xa6, 0xe3}; }
    static QColor online() { return {0x3c, 0xe0, 0x6e}; }

    // The header: engraved captions, the LINK lamp's words and the connection status.
    static QColor caption() { return {0x8b, 0x95, 0xa3}; }
    static QColor online_caption() { return {0xb8, 0xff, 0xcc}; }
    // The status words sit on the dark panel, so they take the lamp's green and red lightened.
    static QColor online_text() { return {0x7c, 0xff, 0x9a}; }
    static QColor offline_text() { return {0xff, 0x8a, 0x7a}; }

    // The read-out boxes and every other dark display window, and the ink on light ones.
    static QColor display() { return {0x10, 0x12, 0x16}; }
    static QColor display_veil() { return {0x10, 0x12, 0x16, 200}; }
    static QColor disabled_face(bool dark) {
        return dark ? QColor(0x3a, 0x3d, 0x42) : QColor(0xd4, 0xd4, 0xd4);
    }
    static QColor disabled_text(bool dark) {
        return dark ? QColor(0x8a, 0x8d, 0x92) : QColor(0x80, 0x80, 0x80);
    }

    // Strips: the frame an input strip's name takes when none is chosen, and the meter scale.
    static QColor input_frame() { return {0x80, 0x80, 0x80}; }
    static QColor scale_text() { return {200, 200, 200}; }

    // Graphs: the response curves of the strips and the editors.
    static QColor graph_face() { return {0x0b, 0x0e, 0x12}; }
    static QColor strip_graph_face() { return {0x0c, 0x0f, 0x13}; }
    static QColor graph_frame() { return {0x5a, 0x64, 0x70}; }
    static QColor graph_grid() { return {0x2c, 0x33, 0x3c}; }
    static QColor strip_graph_grid() { return {0x2a, 0x31, 0x3a}; }
    static QColor graph_grid_strong() { return {0x46, 0x50, 0x5c}; }
    static QColor graph_curve() { return {0x3c, 0xd2, 0xf0}; }
    static QColor graph_track() { return {0x1c, 0x22, 0x29}; }
    static QColor graph_bar() { return {0x7c, 0xc8, 0x5a}; }
    static QColor graph_marker() { return {0xff, 0xb0, 0x23}; }

    // Menus and lists.
    static QColor menu_mark() { return {64, 0, 128}; }
    static QColor menu_disabled_text() { return {0x90, 0x94, 0x9c}; }
    static QColor menu_separator() { return {0x8a, 0x90, 0x9a}; }
    static QColor list_divider() { return {255, 255, 255, 18}; }

    // Artwork: lamp, key, plate and tab faces that sit beside the palette above.
    static QColor lamp_lit_centre() { return {0xc8, 0xff, 0xd8}; }
    static QColor lamp_dark_centre() { return {0x4a, 0x50, 0x58}; }
    static QColor lamp_dark_rim() { return {0x1c, 0x1f, 0x24}; }
    static QColor overview_window() { return {8, 9, 11, 220}; }
    static QColor plate_top(bool lit) {
        return lit ? QColor(0x0d, 0x3c, 0x44) : QColor(0x10, 0x13, 0x17);
    }
    static QColor plate_bottom(bool lit) {
        return lit ? QColor(0x07, 0x26, 0x2c) : QColor(0x0a, 0x0c, 0x0f);
    }
    static QColor tab_top(bool lit) {
        return lit ? QColor(0x2c, 0x33, 0x3d) : QColor(0x22, 0x26, 0x2d);
    }
    static QColor tab_bottom(bool lit) {
        return lit ? QColor(0x1d, 0x23, 0x2b) : QColor(0x18, 0x1b, 0x20);
    }
    static QColor tab_underline() { return {0x34, 0x3a, 0x43}; }
    static QColor disabled_key() { return {0x1e, 0x21, 0x26}; }
    static QColor dark_led() { return {0x2e, 0x33, 0x3b}; }
    static QColor strip_selector_top(bool hover) {
        return hover ? QColor(0x1d, 0x22, 0x29) : QColor(0x12, 0x15, 0x19);
    }
    static QColor strip_selector_bottom(bool hover) {
        return hover ? QColor(0x25, 0x2b, 0x33) : QColor(0x1a, 0x1e, 0x23);
    }
    // A fader cap's metal, top to bottom, and the line across a plain cap.
    static QColor cap_shine() { return {0x6a, 0x72, 0x7e}; }
    static QColor cap_upper() { return {0x3a, 0x40, 0x49}; }
    static QColor cap_lower() { return {0x30, 0x35, 0x3d}; }
    static QColor cap_foot() { return {0x22, 0x26, 0x2c}; }
    static QColor cap_line() { return {0xf2, 0xf4, 0xf7}; }
    static QColor cap_gloss() { return {255, 255, 255, 40}; }
    // Brushed metal: the page and the two strip backgrounds, and the grain drawn on them.
    static QColor page_metal() { return {0x14, 0x17, 0x1b}; }
    static QColor input_metal() { return {0x1c, 0x1f, 0x25}; }
    static QColor output_metal() { return {0x19, 0x1e, 0x26}; }
    static QColor grain(int shade) {
        return shade > 0 ? QColor(255, 255, 255, shade * 2) : QColor(0, 0, 0, -shade * 4);
    }
    // The selected strip's blue frame.
    static QColor frame_edge() { return {0x10, 0x28, 0xd0}; }
    static QColor frame_inner() { return {0x80, 0x9c, 0xff}; }
    static QColor frame_cap_top() { return {0x20, 0x40, 0xf0}; }
    static QColor frame_cap_bottom() { return {0x10, 0x20, 0x90}; }

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
