#include "controls/menu_resources.h"

namespace kestra {

std::vector<MenuPopupResource> MenuResources::find(int menu_id) {
    const QString save = QStringLiteral("SAVE");
    switch (menu_id) {
        case kPresetMenu:
            return {{save,
                     {{kPresetName, QStringLiteral("NAME")},
                      {kPresetRecall, QStringLiteral("RECALL")},
                      {kPresetDelete, QStringLiteral("DELETE")}}}};
        case kCompressorPresetMenu:
            return {{save,
                     {{kName, QStringLiteral("NAME")},
                      {kRecall, QStringLiteral("RECALL")},
                      {kDelete, QStringLiteral("DELETE")}}}};
        case kRenameMenu:
            return {{save, {{kName, QStringLiteral("NAME")}}}};
        default:
            return {};
    }
}

}  // namespace kestra
