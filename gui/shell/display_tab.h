#pragma once

#include <QWidget>
#include <array>

#include "actions/unit_actions.h"
#include "model/state_change.h"
#include "util/publisher.h"

namespace kestra {

class Console;
class DropListButton;
class PngButton;
class ValueLabel;

// The SYSTEM page's DISPLAY tab: the processor's own button and the ten microphone units (the
// first `unit_extra` of them usable), the five assignment lists of the record shown with their
// swatches, CALL and the reset of every unit. Every rule is the unit actions'; the tab shows
// their panel after each action, when it is shown and when the units change.
class DisplayTab : public QWidget {
    Q_OBJECT

public:
    static constexpr int kButtons = UnitPanel::kButtons;
    static constexpr int kSlots = UnitPanel::kSlots;
    // The lists' ids name their slots, 1 to 5.
    static constexpr std::array<int, kSlots> kListIds{1247, 1248, 1250, 1251, 1252};

    DisplayTab(Console& controller, QWidget* parent);

    // Enables the allowed buttons and selects the remembered record; only while shown.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    UnitActions& units();
    void build_buttons();
    void build_slots();
    void build_actions();
    void on_change(const StateChange& change);
    void show_panel();

    Console& controller_;
    std::array<PngButton*, kButtons> buttons_{};
    std::array<DropListButton*, kSlots> lists_{};
    std::array<ValueLabel*, kSlots> swatches_{};
    PngButton* call_ = nullptr;
    PngButton* reset_ = nullptr;
    Publisher<StateChange>::Subscription change_sub_;
};

}  // namespace kestra
