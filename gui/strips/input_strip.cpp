#include "strips/input_strip.h"

#include "controls/drop_list_button.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "dsp/response_curve.h"
#include "operator/operator_actions.h"
#include "session/level_feed.h"
#include "strips/strip_graph.h"

namespace kestra {

namespace {

constexpr int kSourceList = 1009;
constexpr int kGainList = 1010;

QStringList gain_items() {
    QStringList items;
    for (int n = 0; n <= StripActions::kMaxGainStep; ++n) {
        items << QStringLiteral("G:%1 dB").arg(n);
    }
    return items;
}

}  // namespace

InputStrip::InputStrip(const QString& path, OperatorActions& surface, NoticeSink& notices,
                       QWidget* parent)
    : ChannelStrip(path, ChannelSide::input(), surface, notices, parent) {
    signal_ = add_label(QStringLiteral("signal"), QStringLiteral("SIGNAL"), 5);
    source_ = add_selector(QStringLiteral("source"), kSourceList,
                           {QStringLiteral("DANTE"), QStringLiteral("AUX1"), QStringLiteral("AUX2"),
                            QStringLiteral("AUX3"), QStringLiteral("AUX4")},
                           25);
    gain_ = add_selector(QStringLiteral("gain"), kGainList, gain_items(), 115);
    comp_ = add_button(QStringLiteral("comp"), QStringLiteral("COMP"), 145);
    priority_ = add_button(QStringLiteral("priority"), QStringLiteral("PRIORITY"), 175);
    matrix_ = add_button(QStringLiteral("matrix"), QStringLiteral("MATRIX"), 205);
    active_ = add_button(QStringLiteral("active"), QStringLiteral("WAITING"), 235);
    active_->setFocusPolicy(Qt::NoFocus);
    add_common(50, 260, 290, 520, 580);

    connect(source_, &DropListButton::selected, this, [this](int, int index) {
        if (!surface_.strips.set_input_source(channel(), index)) {
            source_->select(
                surface_.context().state().inputs[static_cast<std::size_t>(channel())].source);
        }
    });
    connect(gain_, &DropListButton::selected, this,
            [this](int, int index) { surface_.strips.set_input_gain_step(channel(), index); });
    connect(priority_, &PngButton::clicked, this,
            [this] { surface_.strips.set_input_priority(channel(), priority_->lit() ? 0 : 1); });
    connect(comp_, &PngButton::clicked, this,
            [this] { emit editor_requested(channel(), StripEditor::Compressor); });
    connect(matrix_, &PngButton::clicked, this,
            [this] { emit editor_requested(channel(), StripEditor::Routing); });
    connect(graph_, &StripGraph::clicked, this,
            [this] { emit editor_requested(channel(), StripEditor::Peq); });
}

bool InputStrip::local() const {
    return channel() < StripActions::kFirstSourceInput;
}

void InputStrip::set_active(bool active) {
    active_->set_lit(active);
    active_->setText(active ? QStringLiteral("ACTIVE") : QStringLiteral("WAITING"));
}

void InputStrip::show_levels(const LevelView& view) {
    ChannelStrip::show_levels(view);
    const auto i = static_cast<size_t>(channel());
    if (i < view.active.size()) {
        set_active(view.active[i] != 0);
    }
}

void InputStrip::load_controls(const DeviceState& state, bool with_graph) {
    const InputChannel& in = state.inputs[static_cast<std::size_t>(channel())];
    comp_->set_lit(in.comp_on != 0);
    priority_->set_lit(in.priority != 0);
    set_active(in.mix_flag == 1 || in.mix_state == 1);
    gain_->select(in.gain_step);
    source_->select(in.source);
    const bool with_source = !local();
    signal_->setVisible(with_source);
    source_->setVisible(with_source);
    for (QWidget* w : {static_cast<QWidget*>(graph_), static_cast<QWidget*>(comp_),
                       static_cast<QWidget*>(priority_), static_cast<QWidget*>(active_)}) {
        w->setVisible(!with_source);
    }
    if (local() && with_graph) {
        const auto curve = input_response(in, channel());
        graph_->set_curve(std::vector<double>(curve.begin(), curve.end()));
    }
}

}  // namespace kestra
