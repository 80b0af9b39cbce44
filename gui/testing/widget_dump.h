#pragma once

#include <QString>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

class QWidget;

namespace kestra {

// What the script driver knows of a named widget: its place and the state `expect` reads,
// one JSON object per widget. A widget's name is its whole dot path.
class WidgetDump {
public:
    // Named widgets under `root` (Qt's own "qt_" names left out), depth first.
    static std::vector<QWidget*> named(QWidget* root);
    // The widget with this path under `root` or among the open dialogs and popups; null if none.
    static QWidget* find(QWidget* root, const QString& path);

    static nlohmann::ordered_json describe(QWidget* widget);
    // A property of the description: one of its top-level keys or a key of its state.
    static const nlohmann::ordered_json* property(const nlohmann::ordered_json& description,
                                                  const std::string& name);
    // Compact JSON, strings without their quotes: what `expect` compares VALUE with.
    static std::string compare_text(const nlohmann::ordered_json& value);

private:
    static nlohmann::ordered_json state_of(QWidget* widget);
};

}  // namespace kestra
