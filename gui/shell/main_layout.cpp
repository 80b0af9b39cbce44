#include "shell/main_layout.h"

#include <algorithm>
#include <stdexcept>

namespace kestra {

namespace {

constexpr std::array<int, MainLayout::kBankCount> kBankOffsets{10,  85,  160, 235, 310,
                                                               385, 460, 535, 770, 845};
constexpr QSize kBankButton{70, 60};
constexpr int kBankTop = 10;
constexpr int kPageButtonTop = 120;
constexpr int kPageButtonHeight = 50;
constexpr int kGroupTop = 100;
constexpr int kGroupLabelHeight = 22;
constexpr int kGroupButtonSize = 34;
constexpr int kReadoutOffset = 610;
constexpr int kReadoutWidth = 150;

}  // namespace

MainLayout::MainLayout() = default;

bool MainLayout::resize(QSize client) {
    client_ = client;
    const int width = std::max(client.width() * 2 / 21, kMinStripWidth);
    const int height = std::max(client.height() - 220, kMinStripHeight);
    if (width == strip_width_ && height == strip_height_) {
        return false;
    }
    strip_width_ = width;
    strip_height_ = height;
    return true;
}

void MainLayout::select_bank(int bank) {
    if (bank < 1 || bank > kBankCount) {
        throw std::invalid_argument("bank 1-10");
    }
    bank_ = bank;
    page_ = Page::Channel;
    edit_mode_ = EditMode::Strips;
}

void MainLayout::select_page(Page page) {
    page_ = page;
    edit_mode_ = EditMode::Strips;
}

QSize MainLayout::canvas_size() const {
    const QRect lowest = strip(0);
    return {std::max({client_.width(), kScrollExtent.width(), page_pane().right() + 1}),
            std::max({client_.height(), kScrollExtent.height(), lowest.bottom() + 1})};
}

QRect MainLayout::page_button(Page page) const {
    const auto at = std::find(kPageOrder.begin(), kPageOrder.end(), page) - kPageOrder.begin();
    return {static_cast<int>(at) * strip_width_, kPageButtonTop, strip_width_, kPageButtonHeight};
}

QRect MainLayout::bank_button(int bank) const {
    return {{header_x(kBankOffsets.at(bank - 1)), kBankTop}, kBankButton};
}

QRect MainLayout::bank_label(int bank) const {
    const QRect button = bank_button(bank);
    return {button.left(), button.bottom() + 1, button.width(), 20};
}

QRect MainLayout::mute_group_label() const {
    return {5 * strip_width_, kGroupTop, strip_width_, kGroupLabelHeight};
}

QRect MainLayout::control_group_label() const {
    return {6 * strip_width_, kGroupTop, strip_width_, kGroupLabelHeight};
}

QRect MainLayout::group_button(int first_x, int group) const {
    const int pitch = strip_width_ / kGroupButtons;
    const int x = first_x + (group - 1) * pitch + (pitch - kGroupButtonSize) / 2;
    return {x, kGroupTop + kGroupLabelHeight + 4, kGroupButtonSize, kGroupButtonSize};
}

QRect MainLayout::mute_group_button(int group) const {
    return group_button(5 * strip_width_, group);
}

QRect MainLayout::control_group_button(int group) const {
    return group_button(6 * strip_width_, group);
}

QRect MainLayout::readout_channel() const {
    return {header_x(kReadoutOffset), 8, kReadoutWidth / 2 - 2, 22};
}

QRect MainLayout::readout_parameter() const {
    return {header_x(kReadoutOffset) + kReadoutWidth / 2, 8, kReadoutWidth / 2, 22};
}

QRect MainLayout::value_box() const {
    return {header_x(kReadoutOffset), 34, kReadoutWidth, 28};
}

QRect MainLayout::freq_box() const {
    return {header_x(kReadoutOffset), 66, kReadoutWidth, 28};
}

QRect MainLayout::status_label() const {
    return {header_x(920), 60, 100, 30};
}

QRect MainLayout::online_indicator() const {
    return {header_x(940), 10, 65, 45};
}

QRect MainLayout::menu_button() const {
    return {header_x(1030), 10, 60, 40};
}

QRect MainLayout::strip(int slot) const {
    return {slot * (strip_width_ + 2), kStripTop, strip_width_, strip_height_};
}

QRect MainLayout::page_pane() const {
    return {0, kStripTop, 9 * strip_width_ + 18, strip_height_};
}

QRect MainLayout::input_detail_strip() const {
    return {0, kStripTop, strip_width_, strip_height_};
}

QRect MainLayout::input_editor() const {
    return {strip_width_ + 2, kStripTop, 8 * strip_width_ + 16, strip_height_};
}

QRect MainLayout::output_detail_strip() const {
    return {8 * strip_width_ + 16, kStripTop, strip_width_, strip_height_};
}

QRect MainLayout::output_editor() const {
    return {0, kStripTop, 8 * strip_width_, strip_height_};
}

}  // namespace kestra
