#pragma once

#include <array>

#include "actions/automix_actions.h"
#include "controls/tiled_background.h"
#include "util/publisher.h"

namespace kestra {

class OperatorActions;
class DropListButton;
class PngButton;

// The MODE page: SYNC, the gating thresholds of CH1-CH32 and the auto-mixer's global
// settings. Every choice goes to the auto-mixer actions; what the page shows is theirs,
// reloaded from the state when the page is shown, after each of its own choices, and, while
// it is on screen, once per burst of other changes (a full-state read, a recall), so the 32
// changes of a synchronised threshold cost one refresh.
class ModePage : public TiledBackground {
    Q_OBJECT

public:
    explicit ModePage(OperatorActions& surface, QWidget* parent = nullptr);
    ~ModePage() override;

    // Loads every control from the state, as showing the page does.
    void load();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build_thresholds();
    void build_settings();
    DropListButton* setting(AutomixList list, const QString& path, int list_id, QRect at);
    void on_change(const StateChange& change);
    void refresh();

    OperatorActions& surface_;
    PngButton* sync_ = nullptr;
    PngButton* last_hold_ = nullptr;
    std::array<DropListButton*, AutomixActions::kChannels> thresholds_{};
    std::array<DropListButton*, kAutomixListCount> settings_{};  // by AutomixList
    bool refresh_due_ = false;
    Publisher<StateChange>::Subscription change_sub_;
};

}  // namespace kestra
