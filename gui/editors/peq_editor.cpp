#include "editors/peq_editor.h"

#include <QFontMetrics>
#include <array>

#include "controls/bitmap_fader.h"
#include "controls/drop_list_button.h"
#include "controls/menu_resources.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "dsp/eq_laws.h"
#include "dsp/response_curve.h"
#include "editors/response_graph.h"
#include "operator/operator_actions.h"
#include "params/eq_gain_law.h"
#include "params/frequency_law.h"
#include "params/q_law.h"
#include "skin/skin_font.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

constexpr int kGraphTop = 10;
constexpr int kGraphHeight = 300;
constexpr int kRowsTop = kGraphTop + kGraphHeight + 22;
constexpr int kRowStep = 36;
constexpr int kTitleWidth = 110;
constexpr int kSliderWidth = 300;
constexpr int kValueWidth = 64;
constexpr double kValueFontPoints = 9;  // the pane's label size
constexpr int kColumn = kSliderWidth + kValueWidth + 6;
constexpr int kHpfSlopeList = 1009;
constexpr int kLpfSlopeList = 1010;

QStringList slope_items() {
    QStringList items;
    for (std::string_view item : PeqActions::kSlopeItems) {
        items << QString::fromLatin1(item.data(), static_cast<int>(item.size()));
    }
    return items;
}

// A value label beside its slider. Labels draw their text at the top of their box, so the box
// is one line high with its centre on the track's.
QRect value_box(const QWidget* slider, int x) {
    const int height = QFontMetrics(skin::SkinFont::points(kValueFontPoints)).height();
    return QRect(x, slider->y() + (slider->height() - height) / 2, kValueWidth, height);
}

QString hz_text(int hz) {
    return QString::fromStdString(FrequencyLaw::text(hz));
}

}  // namespace

PeqEditor::PeqEditor(OperatorActions& surface, NoticeSink& notices, PresetSelector::Presets presets,
                     QWidget* parent)
    : EditorPane(QStringLiteral("editor.peq"), surface, notices, parent) {
    graph_ = new ResponseGraph(ResponseGraph::Mode::Eq, this);
    graph_->setObjectName(path() + QStringLiteral(".graph"));
    connect(graph_, &ResponseGraph::marker_moved, this,
            [this](int marker, double freq, double gain, bool dragging) {
                surface_.peq.marker_moved(channel(), marker, freq, gain, dragging);
            });
    connect(graph_, &ResponseGraph::marker_double_clicked, this,
            [this](int marker) { surface_.peq.marker_double_clicked(channel(), marker); });
    build_headings();
    for (int band = 0; band < 4; ++band) {
        build_band(band, kRowsTop + band * kRowStep);
    }
    hpf_ =
        build_filter(QStringLiteral("hpf"), QStringLiteral("HPF"), kRowsTop + 4 * kRowStep, true);
    lpf_ =
        build_filter(QStringLiteral("lpf"), QStringLiteral("LPF"), kRowsTop + 5 * kRowStep, false);
    const int bottom = kRowsTop + 6 * kRowStep + 10;
    bypass_ =
        add_button(QStringLiteral("bypass"), QStringLiteral("BYPASS"), QRect(10, bottom, 100, 28));
    reset_ =
        add_button(QStringLiteral("reset"), QStringLiteral("RESET"), QRect(120, bottom, 100, 28));
    connect(bypass_, &PngButton::clicked, this, [this] { surface_.peq.toggle_bypass(channel()); });
    connect(reset_, &PngButton::clicked, this, [this] { surface_.peq.reset(channel()); });
    preset_ = new PresetSelector(
        path() + QStringLiteral(".preset"), PresetTable::Peq, MenuResources::kPresetMenu,
        std::move(presets), [this] { return channel(); }, notices, this);
    preset_->setGeometry(240, bottom + 2, 160, 25);
}

// GAIN, FREQ and Q over the band columns, in the gap between the graph and the first row.
void PeqEditor::build_headings() {
    constexpr int kHeight = 18;
    const int x = 10 + kTitleWidth;
    const std::array<const char*, 3> columns{"gain", "freq", "q"};
    for (int c = 0; c < 3; ++c) {
        const QString name = QString::fromLatin1(columns[static_cast<size_t>(c)]);
        add_label(QStringLiteral("heading.") + name, name.toUpper(),
                  QRect(x + c * kColumn, kRowsTop - kHeight - 2, kSliderWidth, kHeight));
    }
}

void PeqEditor::build_band(int band, int y) {
    const QString name = QStringLiteral("band%1").arg(band + 1);
    add_label(name + QStringLiteral(".title"), QStringLiteral("BAND %1").arg(band + 1),
              QRect(10, y, 56, 24));
    BandRow& row = bands_[static_cast<size_t>(band)];
    const int x = 10 + kTitleWidth;
    row.gain =
        add_slider(name + QStringLiteral(".gain"), 0, PeqActions::kMaxGain, QRect(x, y, 0, 0));
    row.freq = add_slider(name + QStringLiteral(".freq"), kFreqSliderMin, kFreqSliderMax,
                          QRect(x + kColumn, y, 0, 0));
    row.q = add_slider(name + QStringLiteral(".q"), 0, PeqActions::kMaxQ - 1,
                       QRect(x + 2 * kColumn, y, 0, 0));
    row.gain_value = add_label(name + QStringLiteral(".gain.value"), {},
                               value_box(row.gain, x + kSliderWidth + 4));
    row.freq_value = add_label(name + QStringLiteral(".freq.value"), {},
                               value_box(row.freq, x + kColumn + kSliderWidth + 4));
    row.q_value = add_label(name + QStringLiteral(".q.value"), {},
                            value_box(row.q, x + 2 * kColumn + kSliderWidth + 4));
    on_slider(row.gain, [this, band](int p, bool released) {
        surface_.peq.set_band_gain(channel(), band, gain_of_slider(p),
                                   released ? SliderCommit::Released : SliderCommit::Moved);
    });
    on_slider(row.freq, [this, band](int p, bool released) {
        surface_.peq.set_band_freq(channel(), band, freq_of_slider(p),
                                   released ? SliderCommit::Released : SliderCommit::Moved);
    });
    on_slider(row.q, [this, band](int p, bool released) {
        surface_.peq.set_band_q(channel(), band, q_of_slider(p),
                                released ? SliderCommit::Released : SliderCommit::Moved);
    });
    if (band == 0 || band == 3) {
        PngButton* shelf = new PngButton(this);
        shelf->setObjectName(path() +
                             (band == 0 ? QStringLiteral(".shelf1") : QStringLiteral(".shelf4")));
        shelf->set_images(band == 0 ? skin::kLowShelf : skin::kHighShelf,
                          band == 0 ? skin::kLowShelfLit : skin::kHighShelfLit);
        shelf->setGeometry(68, y - 2, 40, 28);
        connect(shelf, &PngButton::clicked, this, [this, band] {
            if (band == 0) {
                surface_.peq.toggle_low_shelf(channel());
            } else {
                surface_.peq.toggle_high_shelf(channel());
            }
        });
        (band == 0 ? shelf1_ : shelf4_) = shelf;
    }
}

PeqEditor::FilterRow PeqEditor::build_filter(const QString& name, const QString& caption, int y,
                                             bool high) {
    FilterRow row;
    row.on = add_button(name, caption, QRect(10, y - 2, 98, 28));
    const int x = 10 + kTitleWidth;
    row.freq = add_slider(name + QStringLiteral(".freq"), kFreqSliderMin, kFreqSliderMax,
                          QRect(x, y, 0, 0));
    row.freq_value = add_label(name + QStringLiteral(".freq.value"), {},
                               value_box(row.freq, x + kSliderWidth + 4));
    row.slope = add_selector(name + QStringLiteral(".slope"), high ? kHpfSlopeList : kLpfSlopeList,
                             slope_items(), QRect(x + kColumn, y, 130, 25));
    connect(row.on, &PngButton::clicked, this, [this, high] {
        if (high) {
            surface_.peq.toggle_hpf(channel());
        } else {
            surface_.peq.toggle_lpf(channel());
        }
    });
    on_slider(row.freq, [this, high](int p, bool released) {
        const SliderCommit commit = released ? SliderCommit::Released : SliderCommit::Moved;
        if (high) {
            surface_.peq.set_hpf_freq(channel(), freq_of_slider(p), commit);
        } else {
            surface_.peq.set_lpf_freq(channel(), freq_of_slider(p), commit);
        }
    });
    connect(row.slope, &DropListButton::selected, this, [this, high](int, int item) {
        if (high) {
            surface_.peq.select_hpf_slope(channel(), item);
        } else {
            surface_.peq.select_lpf_slope(channel(), item);
        }
    });
    return row;
}

bool PeqEditor::concerns(const StateChange& change) const {
    return change.scope == StateChange::Scope::Everything ||
           (change.scope == StateChange::Scope::Input &&
            (change.index == channel() || change.index == StateChange::kEvery));
}

void PeqEditor::tick() {
    surface_.peq.tick();
}

void PeqEditor::load() {
    const InputChannel& in = surface_.context().state().inputs[static_cast<size_t>(channel())];
    std::vector<GraphPoint> markers;
    for (int b = 0; b < 4; ++b) {
        const PeqBand& band = in.peq_band[static_cast<size_t>(b)];
        markers.push_back({static_cast<double>(band.freq), gain_db_of_code(band.gain)});
        load_band(b);
    }
    markers.push_back({static_cast<double>(in.hpf_freq), 0});
    markers.push_back({static_cast<double>(in.lpf_freq), 0});
    graph_->set_markers(markers, {false, false, false, false, true, true});
    graph_->set_curve(input_response(in, channel()));
    shelf1_->set_lit(in.peq_band[0].type >= 1);
    shelf4_->set_lit(in.peq_band[3].type >= 1);
    load_filter(hpf_, in.hpf_on != 0, in.hpf_freq, in.hpf_slope);
    load_filter(lpf_, in.lpf_on != 0, in.lpf_freq, in.lpf_slope);
    bypass_->set_lit(surface_.peq.bypassed(channel()));
}

void PeqEditor::load_band(int b) {
    const PeqBand& band = surface_.context()
                              .state()
                              .inputs[static_cast<size_t>(channel())]
                              .peq_band[static_cast<size_t>(b)];
    BandRow& row = bands_[static_cast<size_t>(b)];
    follow(row.gain, gain_slider_position(band.gain));
    follow(row.freq, freq_slider_position(band.freq));
    follow(row.q, q_slider_position(band.q));
    row.gain_value->set_text(QString::fromStdString(EqGainLaw::text(band.gain)));
    row.freq_value->set_text(hz_text(band.freq));
    row.q_value->set_text(QString::fromStdString(QLaw::text(band.q)));
}

void PeqEditor::load_filter(const FilterRow& row, bool on, int freq, int slope) {
    row.on->set_lit(on);
    row.freq->setEnabled(on);
    follow(row.freq, freq_slider_position(freq));
    row.freq_value->set_text(hz_text(freq));
    const int item = slope_item(slope);
    if (item >= 0) {
        row.slope->select(item);
    } else {
        row.slope->select_none();  // a processor slope the list has no item for
    }
}

void PeqEditor::resizeEvent(QResizeEvent* event) {
    EditorPane::resizeEvent(event);
    graph_->setGeometry(5, kGraphTop, width() - 10, kGraphHeight);
}

void PeqEditor::on_show() {
    preset_->refresh();
}

}  // namespace kestra
