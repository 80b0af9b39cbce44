#pragma once

#include <QObject>
#include <array>

#include "model/group_tables.h"
#include "model/state_change.h"
#include "util/publisher.h"

namespace kestra {

class OperatorActions;
class PngButton;

// The main window's activation buttons, four per group kind. A control group's button turns
// that group on or off, each on its own; the mute-group buttons are one set over the one
// active mute group the state holds (GroupActions::press_mute_button). Every button is lit
// from the state, so a recall, a membership change or kestra-ctl shows on them too.
class GroupButtons : public QObject {
    Q_OBJECT

public:
    using Buttons = std::array<PngButton*, kGroupCount>;

    GroupButtons(OperatorActions& surface, Buttons mute, Buttons control, QObject* parent);
    ~GroupButtons() override;

    void refresh();

private:
    OperatorActions& surface_;
    Buttons mute_;
    Buttons control_;
    Publisher<StateChange>::Subscription change_sub_;
};

}  // namespace kestra
