#include "testing/widget_dump.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QColor>
#include <QLineEdit>
#include <QProgressBar>
#include <cmath>

#include "controls/bitmap_fader.h"
#include "controls/drop_list_button.h"
#include "controls/level_meter.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "editors/response_graph.h"

namespace kestra {

namespace {

using Json = nlohmann::ordered_json;

bool is_named(const QWidget* w) {
    const QString name = w->objectName();
    return !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"));
}

Json rect_json(QRect r) {
    return Json::array({r.x(), r.y(), r.width(), r.height()});
}

std::string utf8(const QString& s) {
    return s.toStdString();
}

Json item_view_state(const QAbstractItemView* view) {
    Json state = Json::object();
    const QAbstractItemModel* model = view->model();
    Json items = Json::array();
    const int rows = model ? model->rowCount() : 0;
    const int columns = model ? model->columnCount() : 0;
    for (int r = 0; r < rows; ++r) {
        // A row of several columns reads as its texts joined by tabs.
        QStringList texts;
        for (int c = 0; c < columns; ++c) {
            texts << model->index(r, c).data().toString();
        }
        items.push_back(utf8(texts.join(QLatin1Char('\t'))));
    }
    state["count"] = rows;
    state["items"] = items;
    state["index"] = view->currentIndex().isValid() ? view->currentIndex().row() : -1;
    return state;
}

}  // namespace

std::vector<QWidget*> WidgetDump::named(QWidget* root) {
    std::vector<QWidget*> out;
    if (is_named(root)) {
        out.push_back(root);
    }
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (is_named(w)) {
            out.push_back(w);
        }
    }
    return out;
}

QWidget* WidgetDump::find(QWidget* root, const QString& path) {
    if (root->objectName() == path) {
        return root;
    }
    if (QWidget* w = root->findChild<QWidget*>(path)) {
        return w;
    }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == path) {
            return top;
        }
        if (QWidget* w = top->findChild<QWidget*>(path)) {
            return w;
        }
    }
    return nullptr;
}

Json WidgetDump::state_of(QWidget* w) {
    if (auto* graph = qobject_cast<ResponseGraph*>(w)) {
        Json markers = Json::array();
        for (const GraphPoint& p : graph->marker_pixels()) {
            markers.push_back({std::lround(p.x), std::lround(p.y)});
        }
        Json curve = Json::array();
        for (double v : graph->shown_values()) {
            curve.push_back(std::round(v * 100) / 100);
        }
        return {{"markers", markers},
                {"curve", curve},
                {"dragging", graph->dragging()},
                {"drawing", graph->drawing()}};
    }
    if (auto* fader = qobject_cast<BitmapFader*>(w)) {
        return {{"position", fader->position()},
                {"minimum", fader->minimum()},
                {"maximum", fader->maximum()},
                {"dragging", fader->dragging()}};
    }
    if (auto* list = qobject_cast<DropListButton*>(w)) {
        Json items = Json::array();
        for (int i = 0; i < list->count(); ++i) {
            items.push_back(utf8(list->item_text(i)));
        }
        return {{"index", list->current_index()},
                {"count", list->count()},
                {"items", items},
                {"text", utf8(list->item_text(list->current_index()))}};
    }
    if (auto* button = qobject_cast<PngButton*>(w)) {
        Json state = {{"text", utf8(button->text())},
                      {"lit", button->lit()},
                      {"clipped", !button->caption_fits()}};
        if (button->has_mini_meters()) {
            Json meters = Json::array();
            for (int bar = 0; bar < PngButton::kMaxMiniMeters; ++bar) {
                meters.push_back(button->mini_meter_value(bar));
            }
            state["meters"] = meters;
        }
        return state;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return {{"text", utf8(button->text())}, {"lit", button->isChecked()}};
    }
    if (auto* label = qobject_cast<ValueLabel*>(w)) {
        return {{"text", utf8(label->display_text())}};
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // The colours it is painted in now, so a check can tell unreadable from greyed.
        const QPalette::ColorGroup group =
            edit->isEnabled() ? QPalette::Active : QPalette::Disabled;
        return {{"text", utf8(edit->text())},
                {"ink", utf8(edit->palette().color(group, QPalette::Text).name())},
                {"paper", utf8(edit->palette().color(group, QPalette::Base).name())}};
    }
    if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        return {{"value", bar->value()}, {"minimum", bar->minimum()}, {"maximum", bar->maximum()}};
    }
    if (auto* meter = qobject_cast<LevelMeter*>(w)) {
        Json values = Json::array();
        for (int bar = 0; bar < meter->bar_count(); ++bar) {
            values.push_back(meter->value(bar));
        }
        return {{"value", values}, {"count", meter->bar_count()}};
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        return item_view_state(view);
    }
    return Json::object();
}

Json WidgetDump::describe(QWidget* w) {
    QString cls = QString::fromLatin1(w->metaObject()->className());
    cls = cls.mid(cls.lastIndexOf(QLatin1Char(':')) + 1);
    QWidget* window = w->window();
    const QPoint in_window = w->mapTo(window, QPoint(0, 0));
    const QPoint on_screen = w->mapToGlobal(QPoint(0, 0));
    Json j;
    j["path"] = utf8(w->objectName());
    j["class"] = utf8(cls);
    j["visible"] = w->isVisible();
    j["enabled"] = w->isEnabled();
    j["focused"] = w->hasFocus();
    j["rect"] = rect_json({in_window, w->size()});
    j["global"] = rect_json({on_screen, w->size()});
    j["state"] = state_of(w);
    // A widget that paints a frame of its own colour says which, as "#rrggbb".
    const QVariant frame = w->property("frame");
    if (frame.metaType() == QMetaType::fromType<QColor>()) {
        j["state"]["frame"] = utf8(frame.value<QColor>().name());
    }
    return j;
}

const Json* WidgetDump::property(const Json& description, const std::string& name) {
    if (name != "state" && description.contains(name)) {
        return &description[name];
    }
    const Json& state = description["state"];
    if (state.contains(name)) {
        return &state[name];
    }
    return nullptr;
}

std::string WidgetDump::compare_text(const Json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    return value.dump();
}

}  // namespace kestra
