#include "editors/dynamics_editor.h"

#include "controls/bitmap_fader.h"
#include "controls/level_meter.h"
#include "controls/menu_resources.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "dsp/dynamics_transfer.h"
#include "dsp/transfer_graph.h"
#include "editors/response_graph.h"
#include "operator/operator_actions.h"
#include "params/level_law.h"
#include "params/tenths_law.h"

namespace kestra {

namespace {

constexpr int kGraphSide = 430;
constexpr int kRowsLeft = kGraphSide + 30;
constexpr int kRowStep = 44;
constexpr int kCaptionWidth = 100;
constexpr int kSliderWidth = 300;

constexpr std::array<DynamicsField, 5> kFields{DynamicsField::Threshold, DynamicsField::Ratio,
                                               DynamicsField::Attack, DynamicsField::Release,
                                               DynamicsField::Gain};
constexpr std::array<const char*, 5> kNames{"threshold", "ratio", "attack", "release", "gain"};
constexpr std::array<const char*, 5> kCaptions{"THRESHOLD", "RATIO", "ATTACK", "RELEASE", "GAIN"};

QString tenths(int value) {
    return QString::fromStdString(TenthsLaw::text(value, 1));
}

QString value_text(DynamicsField field, int value) {
    switch (field) {
        case DynamicsField::Threshold:
            return QStringLiteral("%1 dB").arg(LevelLaw::db(value));
        case DynamicsField::Ratio:
            return QStringLiteral("1:%1 ").arg(tenths(value));
        case DynamicsField::Attack:
        case DynamicsField::Release:
            return QString::asprintf("%d ms", value);
        case DynamicsField::Gain:
            return QStringLiteral("%1 dB").arg(tenths(value));
        case DynamicsField::On:
            break;
    }
    return {};
}

}  // namespace

DynamicsEditor::DynamicsEditor(Kind kind, OperatorActions& surface, NoticeSink& notices,
                               PresetSelector::Presets presets, QWidget* parent)
    : EditorPane(
          kind == Kind::Compressor ? QStringLiteral("editor.comp") : QStringLiteral("editor.lim"),
          surface, notices, parent),
      kind_(kind) {
    graph_ = new ResponseGraph(ResponseGraph::Mode::Transfer, this);
    graph_->setObjectName(path() + QStringLiteral(".graph"));
    graph_->setGeometry(10, 10, kGraphSide, kGraphSide);
    connect(graph_, &ResponseGraph::marker_moved, this,
            [this](int marker, double x, double y, bool) {
                actions().marker_moved(channel(), marker, x, y);
            });
    const DynamicsBlock& block = actions().block();
    for (int r = 0; r < kRows; ++r) {
        const DynamicsField field = kFields[static_cast<size_t>(r)];
        const int y = 20 + r * kRowStep;
        const QString name = QString::fromLatin1(kNames[static_cast<size_t>(r)]);
        add_label(name + QStringLiteral(".caption"),
                  QString::fromLatin1(kCaptions[static_cast<size_t>(r)]),
                  QRect(kRowsLeft, y, kCaptionWidth, 24));
        BitmapFader* slider = add_slider(name, block.min(field), block.max(field),
                                         QRect(kRowsLeft + kCaptionWidth, y, 0, 0));
        values_[static_cast<size_t>(r)] =
            add_label(name + QStringLiteral(".value"), {},
                      QRect(kRowsLeft + kCaptionWidth + kSliderWidth + 8, y, 90, 24));
        on_slider(slider, [this, field](int p, bool released) {
            actions().set(channel(), field, p,
                          released ? SliderCommit::Released : SliderCommit::Moved);
        });
        sliders_[static_cast<size_t>(r)] = slider;
    }
    meter_ = new LevelMeter(this);
    meter_->setObjectName(path() + QStringLiteral(".meter"));
    meter_->setGeometry(kRowsLeft + kCaptionWidth + kSliderWidth + 110, 10, 150, 222);
    meter_->set_bar_count(4);
    meter_->set_margins(10, 30);
    meter_->set_zone_limits(0.7, 0.9);
    meter_->set_bar_kind(0, LevelMeter::kScaleColumn);
    meter_->set_bar_range(0, 0, 60);
    // GR shows the dB taken off, empty while nothing is reduced, on the scale of IN and OUT.
    const std::array<const char*, 3> bars{"IN", "OUT", "GR"};
    for (int bar = 1; bar < 4; ++bar) {
        meter_->set_bar_range(bar, 0, 60);
        meter_->set_bar_caption(bar, QString::fromLatin1(bars[static_cast<size_t>(bar - 1)]));
    }
    const int y = kGraphSide + 30;
    on_ = add_button(QStringLiteral("on"), QStringLiteral("COMP"), QRect(10, y, 100, 28));
    connect(on_, &PngButton::clicked, this, [this] { actions().toggle_on(channel()); });
    reset_ = add_button(QStringLiteral("reset"), QStringLiteral("RESET"), QRect(120, y, 100, 28));
    connect(reset_, &PngButton::clicked, this, [this] { actions().reset(channel()); });
    preset_ = new PresetSelector(
        path() + QStringLiteral(".preset"),
        kind == Kind::Compressor ? PresetTable::Compressor : PresetTable::Limit,
        kind == Kind::Compressor ? MenuResources::kCompressorPresetMenu
                                 : MenuResources::kPresetMenu,
        std::move(presets), [this] { return channel(); }, notices, this);
    preset_->setGeometry(240, y + 2, 160, 25);
}

DynamicsActions& DynamicsEditor::actions() const {
    return kind_ == Kind::Compressor ? static_cast<DynamicsActions&>(surface_.compressor)
                                     : static_cast<DynamicsActions&>(surface_.limiter);
}

void DynamicsEditor::follow(Publisher<LevelView>& levels, const LevelView& current) {
    levels_ = &current;
    level_sub_ = levels.subscribe([this](const LevelView&) {
        if (isVisible()) {
            show_meter();
        }
    });
}

// The feed's clamped meter value: min(level, 60) reads the same for every reported level.
int DynamicsEditor::level() const {
    if (levels_ == nullptr) {
        return 0;
    }
    const auto k = static_cast<size_t>(channel());
    return kind_ == Kind::Compressor ? levels_->input_meter[k] : levels_->output_meter[k];
}

void DynamicsEditor::show_meter() {
    const DynamicsActions& a = actions();
    const DynamicsMeter m = dynamics_meter(level(), a.value(channel(), DynamicsField::Threshold),
                                           a.value(channel(), DynamicsField::Ratio),
                                           a.value(channel(), DynamicsField::Gain));
    meter_->set_value(m.in, 1);
    meter_->set_value(m.out, 2);
    meter_->set_value(m.reduction(), 3);
}

bool DynamicsEditor::concerns(const StateChange& change) const {
    const auto scope =
        kind_ == Kind::Compressor ? StateChange::Scope::Input : StateChange::Scope::Output;
    return change.scope == StateChange::Scope::Everything ||
           (change.scope == scope &&
            (change.index == channel() || change.index == StateChange::kEvery));
}

void DynamicsEditor::on_show() {
    preset_->refresh();
}

void DynamicsEditor::load() {
    const DynamicsActions& a = actions();
    for (int r = 0; r < kRows; ++r) {
        const DynamicsField field = kFields[static_cast<size_t>(r)];
        const int v = a.value(channel(), field);
        EditorPane::follow(sliders_[static_cast<size_t>(r)], v);
        values_[static_cast<size_t>(r)]->set_text(value_text(field, v));
    }
    const TransferParams p = transfer_params(a.value(channel(), DynamicsField::Threshold),
                                             a.value(channel(), DynamicsField::Ratio),
                                             a.value(channel(), DynamicsField::Gain));
    const TransferMarkers m = transfer_markers(p);
    graph_->set_markers({m.threshold, m.ratio, m.gain});
    graph_->set_polyline(transfer_polyline(p));
    on_->set_lit(a.value(channel(), DynamicsField::On) != 0);
    show_meter();
}

}  // namespace kestra
