#include "controls/cmenu_ex.h"

#include "controls/menu_resources.h"

namespace kestra {

MenuExStyle& CMenuEx::menu_style() {
    static MenuExStyle* style = new MenuExStyle;
    return *style;
}

CMenuEx::CMenuEx(QWidget* parent) : QMenu(parent) {
    setStyle(&menu_style());
    connect(this, &QMenu::triggered, this, [this](QAction* action) {
        // actions of a sub-menu are reported by the sub-menu and forwarded once
        if (action->parent() == this && action->data().isValid())
            emit command(action->data().toInt());
    });
}

CMenuEx::~CMenuEx() {
    for (CMenuEx* menu : sub_menus_)
        delete menu;
}

bool CMenuEx::load(int menu_id) {
    clear();
    for (CMenuEx* menu : sub_menus_)
        delete menu;
    sub_menus_.clear();
    std::vector<MenuPopupResource> popups = MenuResources::find(menu_id);
    for (const MenuPopupResource& popup : popups) {
        auto* sub = new CMenuEx(this);
        sub->setTitle(popup.caption);
        for (const MenuItemResource& item : popup.items) {
            if (item.separator()) {
                sub->addSeparator();
                continue;
            }
            QAction* action = sub->addAction(item.text);
            action->setData(item.command);
            action->setCheckable(item.checked);
            action->setChecked(item.checked);
            action->setEnabled(!item.disabled);
        }
        connect(sub, &CMenuEx::command, this, &CMenuEx::command);
        addMenu(sub);
        sub_menus_.push_back(sub);
    }
    return !popups.empty();
}

CMenuEx* CMenuEx::sub_menu(int index) const {
    if (index < 0 || index >= sub_menu_count())
        return nullptr;
    return sub_menus_[static_cast<size_t>(index)];
}

QAction* CMenuEx::action_for(int command_id) const {
    for (QAction* action : actions()) {
        if (action->data().isValid() && action->data().toInt() == command_id)
            return action;
    }
    return nullptr;
}

int CMenuEx::track(const QPoint& global_position) {
    CMenuEx* popup = sub_menu(0);
    if (popup == nullptr)
        return -1;
    QAction* chosen = popup->exec(global_position);
    return chosen != nullptr && chosen->data().isValid() ? chosen->data().toInt() : -1;
}

}  // namespace kestra
