#include "strips/output_strip.h"

#include "controls/drop_list_button.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "dsp/geq_bars.h"
#include "operator/operator_actions.h"
#include "params/time_law.h"
#include "session/level_feed.h"
#include "strips/strip_graph.h"

namespace kestra {

namespace {

constexpr int kDelayList = 1009;

QStringList delay_items() {
    QStringList items;
    for (int k = 0; k <= StripActions::kMaxDelayStep; ++k) {
        items << QString::fromStdString(TimeLaw::delay_text(k));
    }
    return items;
}

}  // namespace

OutputStrip::OutputStrip(const QString& path, OperatorActions& surface, NoticeSink& notices,
                         QWidget* parent)
    : ChannelStrip(path, ChannelSide::output(), surface, notices, parent) {
    delay_ = add_selector(QStringLiteral("delay"), kDelayList, delay_items(), 115);
    lim_ = add_button(QStringLiteral("lim"), QStringLiteral("COMP"), 145);
    line_ = add_button(QStringLiteral("line"), QStringLiteral("MIC"), 175);
    fbk_ = add_button(QStringLiteral("fbk"), QStringLiteral("FBK"), 550);
    add_common(50, 200, 230, 520, 580);

    connect(delay_, &DropListButton::selected, this,
            [this](int, int index) { surface_.strips.set_output_delay_step(channel(), index); });
    connect(line_, &PngButton::clicked, this,
            [this] { surface_.strips.set_output_line_mode(channel(), line_->lit() ? 0 : 1); });
    connect(fbk_, &PngButton::clicked, this,
            [this] { surface_.strips.set_output_fbk(channel(), fbk_->lit() ? 0 : 1); });
    connect(lim_, &PngButton::clicked, this,
            [this] { emit editor_requested(channel(), StripEditor::Limiter); });
    connect(graph_, &StripGraph::clicked, this,
            [this] { emit editor_requested(channel(), StripEditor::Geq); });
}

void OutputStrip::load_controls(const DeviceState& state, bool with_graph) {
    const OutputChannel& out = state.outputs[static_cast<std::size_t>(channel())];
    lim_->set_lit(out.lim_on != 0);
    line_->set_lit(out.line_mode != 0);
    line_->setText(out.line_mode != 0 ? QStringLiteral("LINE") : QStringLiteral("MIC"));
    fbk_->set_lit(out.fbk != 0);
    fbk_->setVisible(channel() < kMasterOutputs);
    delay_->select(out.delay_step);
    if (with_graph) {
        const GeqGains gains = geq_gains_db(out);
        graph_->set_bars(std::vector<double>(gains.begin(), gains.end()));
    }
}

}  // namespace kestra
