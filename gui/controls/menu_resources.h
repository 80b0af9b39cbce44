#pragma once

#include <QString>
#include <vector>

namespace kestra {

// The context menus the pages show, by resource number: each a list of popups, each popup a
// caption and its items in order.
struct MenuItemResource {
    int command = 0;  // 0 for a separator
    QString text;
    bool checked = false;
    bool disabled = false;
    bool separator() const { return command == 0; }
};

struct MenuPopupResource {
    QString caption;
    std::vector<MenuItemResource> items;
};

class MenuResources {
public:
    static constexpr int kPresetMenu = 215;
    // The compressor editor's preset menu; the other editors and the scene buttons use 215.
    static constexpr int kCompressorPresetMenu = 216;
    static constexpr int kRenameMenu = 218;

    static constexpr int kPresetName = 32771;
    static constexpr int kPresetRecall = 32773;
    static constexpr int kPresetDelete = 32774;
    static constexpr int kName = 32775;
    static constexpr int kRecall = 32776;
    static constexpr int kDelete = 32777;

    // Empty for an unknown id.
    static std::vector<MenuPopupResource> find(int menu_id);
};

}  // namespace kestra
