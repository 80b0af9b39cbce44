#pragma once

#include <array>

#include "editors/editor_pane.h"
#include "editors/preset_selector.h"

namespace kestra {

class ResponseGraph;

// The parametric EQ of one input: the curve with its six markers, four band rows (gain,
// frequency and Q sliders with their values; shelf buttons on bands 1 and 4), the HPF and
// LPF with their frequency sliders (enabled only while on) and slopes, BYPASS, RESET and the
// PEQ presets. Moves store and redraw; releases send and copy to the link group.
class PeqEditor final : public EditorPane {
    Q_OBJECT

public:
    PeqEditor(OperatorActions& surface, NoticeSink& notices, PresetSelector::Presets presets,
              QWidget* parent);

    ResponseGraph* graph() const { return graph_; }

protected:
    void load() override;
    bool concerns(const StateChange& change) const override;
    void tick() override;
    void on_show() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct BandRow {
        BitmapFader* gain = nullptr;
        BitmapFader* freq = nullptr;
        BitmapFader* q = nullptr;
        ValueLabel* gain_value = nullptr;
        ValueLabel* freq_value = nullptr;
        ValueLabel* q_value = nullptr;
    };
    struct FilterRow {
        PngButton* on = nullptr;
        BitmapFader* freq = nullptr;
        ValueLabel* freq_value = nullptr;
        DropListButton* slope = nullptr;
    };

    void build_headings();
    void build_band(int band, int y);
    FilterRow build_filter(const QString& name, const QString& caption, int y, bool high);
    void load_band(int band);
    void load_filter(const FilterRow& row, bool on, int freq, int slope);

    ResponseGraph* graph_ = nullptr;
    std::array<BandRow, 4> bands_{};
    PngButton* shelf1_ = nullptr;
    PngButton* shelf4_ = nullptr;
    FilterRow hpf_{};
    FilterRow lpf_{};
    PngButton* bypass_ = nullptr;
    PngButton* reset_ = nullptr;
    PresetSelector* preset_ = nullptr;
};

}  // namespace kestra
