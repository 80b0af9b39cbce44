#include "editors/geq_editor.h"

#include "controls/menu_resources.h"
#include "controls/png_button.h"
#include "dsp/geq_bars.h"
#include "editors/response_graph.h"
#include "operator/operator_actions.h"

namespace kestra {

namespace {

constexpr int kGraphTop = 10;
constexpr int kGraphHeight = 420;

}  // namespace

GeqEditor::GeqEditor(OperatorActions& surface, NoticeSink& notices, PresetSelector::Presets presets,
                     QWidget* parent)
    : EditorPane(QStringLiteral("editor.geq"), surface, notices, parent) {
    graph_ = new ResponseGraph(ResponseGraph::Mode::Bars, this);
    graph_->setObjectName(path() + QStringLiteral(".graph"));
    graph_->set_drawing(true);
    connect(graph_, &ResponseGraph::marker_moved, this,
            [this](int band, double, double gain, bool dragging) {
                surface_.geq.marker_moved(
                    channel(), band, gain,
                    dragging ? GeqActions::MarkerUpdate::Drag : GeqActions::MarkerUpdate::Release);
            });
    connect(graph_, &ResponseGraph::marker_double_clicked, this,
            [this](int band) { surface_.geq.marker_double_clicked(channel(), band); });
    connect(
        graph_, &ResponseGraph::stroke, this,
        [this](double, double, double x_pixel, double y_pixel) { stroke_at(x_pixel, y_pixel); });
    connect(graph_, &ResponseGraph::stroke_finished, this, [this] {
        stroke_from_.reset();
        surface_.geq.draw_path_finished(channel());
    });

    const int y = kGraphTop + kGraphHeight + 16;
    draw_ = add_button(QStringLiteral("draw"), QStringLiteral("DRAW"), QRect(10, y, 100, 28));
    draw_->set_lit(true);
    connect(draw_, &PngButton::clicked, this, [this] {
        graph_->set_drawing(!graph_->drawing());
        draw_->set_lit(graph_->drawing());
    });
    on_ = add_button(QStringLiteral("on"), QStringLiteral("GEQ"), QRect(120, y, 100, 28));
    connect(on_, &PngButton::clicked, this, [this] { surface_.geq.toggle_on(channel()); });
    reset_ = add_button(QStringLiteral("reset"), QStringLiteral("RESET"), QRect(230, y, 100, 28));
    connect(reset_, &PngButton::clicked, this, [this] { surface_.geq.reset(channel()); });
    preset_ = new PresetSelector(
        path() + QStringLiteral(".preset"), PresetTable::Geq, MenuResources::kPresetMenu,
        std::move(presets), [this] { return channel(); }, notices, this);
    preset_->setGeometry(350, y + 2, 160, 25);
}

void GeqEditor::stroke_at(double x_pixel, double y_pixel) {
    const GraphGeometry g = graph_->geometry_now();
    const GraphPoint to{x_pixel, y_pixel};
    for (const GeqDrawSet& set : geq_draw_segment(g, stroke_from_.value_or(to), to)) {
        surface_.geq.marker_moved(channel(), set.band, set.gain_db,
                                  GeqActions::MarkerUpdate::DrawPath);
    }
    stroke_from_ = to;
}

bool GeqEditor::concerns(const StateChange& change) const {
    return change.scope == StateChange::Scope::Everything ||
           (change.scope == StateChange::Scope::Output &&
            (change.index == channel() || change.index == StateChange::kEvery));
}

void GeqEditor::tick() {
    surface_.geq.tick();
}

void GeqEditor::on_show() {
    preset_->refresh();
}

void GeqEditor::load() {
    const OutputChannel& out = surface_.context().state().outputs[static_cast<size_t>(channel())];
    const GeqGains gains = geq_gains_db(out);
    std::vector<GraphPoint> markers;
    for (int b = 0; b < kGeqShownBands; ++b) {
        markers.push_back({static_cast<double>(b + 1), gains[static_cast<size_t>(b)]});
    }
    graph_->set_markers(markers);
    graph_->set_bars(std::vector<double>(gains.begin(), gains.end()));
    on_->set_lit(out.geq_on != 0);
}

void GeqEditor::resizeEvent(QResizeEvent* event) {
    EditorPane::resizeEvent(event);
    graph_->setGeometry(5, kGraphTop, width() - 10, kGraphHeight);
}

}  // namespace kestra
