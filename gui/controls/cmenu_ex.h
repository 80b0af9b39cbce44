#pragma once

#include <QMenu>
#include <vector>

#include "controls/menu_ex_style.h"

namespace kestra {

// A context menu in the console's menu look, built from one of the menu resources. Every
// popup of the resource becomes a sub-menu; `track` shows sub-menu 0 at a screen point and
// returns the chosen command id (or -1), also reported through `command`.
class CMenuEx : public QMenu {
    Q_OBJECT

public:
    explicit CMenuEx(QWidget* parent = nullptr);
    ~CMenuEx() override;

    // False (and an empty menu) for an unknown resource id.
    bool load(int menu_id);
    int sub_menu_count() const { return static_cast<int>(sub_menus_.size()); }
    CMenuEx* sub_menu(int index) const;
    QAction* action_for(int command) const;
    // One style for every menu, alive for the whole process, so no menu outlives its style.
    static MenuExStyle& menu_style();

    int track(const QPoint& global_position);

signals:
    void command(int command_id);

private:
    std::vector<CMenuEx*> sub_menus_;
};

}  // namespace kestra
