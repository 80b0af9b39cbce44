#include "pages/group_buttons.h"

#include "controls/png_button.h"
#include "operator/operator_actions.h"
#include "pages/page_controls.h"

namespace kestra {

GroupButtons::GroupButtons(OperatorActions& surface, Buttons mute, Buttons control, QObject* parent)
    : QObject(parent), surface_(surface), mute_(mute), control_(control) {
    for (int g = 0; g < kGroupCount; ++g) {
        const auto at = static_cast<std::size_t>(g);
        connect(control_[at], &PngButton::clicked, this, [this, g] {
            surface_.groups.set_control_active(g, !surface_.groups.control_active(g));
        });
        connect(mute_[at], &PngButton::clicked, this,
                [this, g] { surface_.groups.press_mute_button(g); });
    }
    change_sub_ = surface_.context().changes().subscribe([this](const StateChange& c) {
        if ((c.scope == StateChange::Scope::Groups && c.block == StateChange::Block::Activation) ||
            page_controls::touches_everything(c)) {
            refresh();
        }
    });
    refresh();
}

GroupButtons::~GroupButtons() = default;

void GroupButtons::refresh() {
    const GroupActions& groups = surface_.groups;
    for (int g = 0; g < kGroupCount; ++g) {
        const auto at = static_cast<std::size_t>(g);
        control_[at]->set_lit(groups.control_active(g));
        mute_[at]->set_lit(groups.active_mute_group() == g + 1);
    }
}

}  // namespace kestra
