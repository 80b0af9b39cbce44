#pragma once

#include <QWidget>
#include <array>

#include "readout/readout.h"
#include "shell/main_layout.h"

namespace kestra {

class EntryEdit;
class PngButton;
class ValueLabel;
struct LevelView;

// The band above the strips: page tabs, bank buttons with their overview bars, the mute and
// control group pads, the read-out with its two entry boxes, the LINK lamp with the status
// words, and MENU. It holds no rules of its own: presses leave as signals and the window
// feeds back what to show. It paints nothing, so the canvas's metal shows through.
class HeaderBar : public QWidget {
    Q_OBJECT

public:
    using GroupPads = std::array<PngButton*, MainLayout::kGroupButtons>;

    explicit HeaderBar(QWidget* canvas);

    // Places every control in the canvas's coordinates and lights the layout's page and bank.
    void apply(const MainLayout& layout);
    void show_readout(const ReadoutDisplay& display);
    void show_connection(bool online);
    void show_overviews(const LevelView& view);
    void set_senders_tip(const QString& tip);

    const GroupPads& mute_groups() const { return mute_groups_; }
    const GroupPads& control_groups() const { return control_groups_; }

signals:
    void page_chosen(Page page);
    void bank_chosen(int bank);
    // LINK pressed while lit (online) or dark.
    void link_pressed(bool lit);
    void menu_requested(const QPoint& global);
    void typed(Readout::Box box, const QString& text);

private:
    void build_pages();
    void build_banks();
    void build_groups();
    void build_link_and_menu();
    void open_menu_at(const QPoint& global);
    void build_readout();

    std::array<PngButton*, 4> page_buttons_{};
    std::array<PngButton*, MainLayout::kBankCount> bank_buttons_{};
    std::array<ValueLabel*, MainLayout::kBankCount> bank_labels_{};
    GroupPads mute_groups_{};
    GroupPads control_groups_{};
    ValueLabel* mute_group_label_ = nullptr;
    ValueLabel* control_group_label_ = nullptr;
    PngButton* online_ = nullptr;
    ValueLabel* status_ = nullptr;
    PngButton* menu_ = nullptr;
    ValueLabel* readout_channel_ = nullptr;
    ValueLabel* readout_parameter_ = nullptr;
    EntryEdit* value_box_ = nullptr;
    EntryEdit* freq_box_ = nullptr;
};

}  // namespace kestra
