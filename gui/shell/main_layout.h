#pragma once

#include <QRect>
#include <QSize>
#include <array>

namespace kestra {

enum class Page { Channel = 0, System = 1, Mode = 3, Groups = 4 };
enum class EditMode { Strips = 1, InputEditor = 2, OutputEditor = 3 };

// Where everything of the main window goes, from the client size, the bank, the page and the
// editor mode. Pure geometry: the window applies it.
class MainLayout {
public:
    static constexpr int kBankCount = 10;
    static constexpr int kStripsPerBank = 8;
    static constexpr int kGroupButtons = 4;
    static constexpr int kStripTop = 200;
    static constexpr int kMinStripWidth = 150;
    static constexpr int kMinStripHeight = 700;
    // The scroll ranges: the canvas is at least this big.
    static constexpr QSize kScrollExtent{1600, 1000};

    MainLayout();

    // True when the strips change size, that is when the window has to lay out again.
    bool resize(QSize client);
    void select_bank(int bank);  // 1-10; also returns to the CHANNEL page
    void select_page(Page page);
    void set_edit_mode(EditMode mode) { edit_mode_ = mode; }

    int strip_width() const { return strip_width_; }
    int strip_height() const { return strip_height_; }
    int bank() const { return bank_; }
    Page page() const { return page_; }
    EditMode edit_mode() const { return edit_mode_; }
    QSize canvas_size() const;

    // Pages in the order of the page buttons: CHANNEL, MODE, SYSTEM, GROUPS.
    static constexpr std::array<Page, 4> kPageOrder{Page::Channel, Page::Mode, Page::System,
                                                    Page::Groups};
    QRect page_button(Page page) const;
    QRect bank_button(int bank) const;
    QRect bank_label(int bank) const;
    QRect mute_group_label() const;
    QRect control_group_label() const;
    QRect mute_group_button(int group) const;     // 1-4
    QRect control_group_button(int group) const;  // 1-4
    QRect readout_channel() const;
    QRect readout_parameter() const;
    QRect value_box() const;
    QRect freq_box() const;
    QRect status_label() const;
    QRect online_indicator() const;
    QRect menu_button() const;

    // The strip in slot 0-7 of the current bank, and the one page pane of SYSTEM, MODE and
    // GROUPS.
    QRect strip(int slot) const;
    QRect page_pane() const;
    // Editor modes: the detail strip and the editor beside it.
    QRect input_detail_strip() const;
    QRect input_editor() const;
    QRect output_detail_strip() const;
    QRect output_editor() const;

private:
    int header_x(int offset) const { return strip_width_ * 3 / 2 + offset; }
    QRect group_button(int first_x, int group) const;

    QSize client_;
    int strip_width_ = 100;
    int strip_height_ = 500;
    int bank_ = 1;
    Page page_ = Page::Channel;
    EditMode edit_mode_ = EditMode::Strips;
};

}  // namespace kestra
