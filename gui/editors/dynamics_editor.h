#pragma once

#include <array>

#include "editors/editor_pane.h"
#include "editors/preset_selector.h"
#include "session/level_feed.h"

namespace kestra {

class DynamicsActions;
class LevelMeter;
class ResponseGraph;

// The compressor of an input or the limiter of an output: the transfer curve with its three
// markers (threshold, ratio, make-up gain), the five slider rows with their values, the IN /
// OUT / GR meter fed from the level feed's view while shown, the on button (captioned COMP in
// both, as the strips' buttons are), RESET and the block's presets.
class DynamicsEditor final : public EditorPane {
    Q_OBJECT

public:
    enum class Kind { Compressor, Limiter };

    DynamicsEditor(Kind kind, OperatorActions& surface, NoticeSink& notices,
                   PresetSelector::Presets presets, QWidget* parent);

    // The meter follows these level views while the editor is shown; `current` is the feed's
    // view, which is silent whenever the processor is not heard.
    void follow(Publisher<LevelView>& levels, const LevelView& current);
    using EditorPane::follow;
    ResponseGraph* graph() const { return graph_; }

protected:
    void load() override;
    bool concerns(const StateChange& change) const override;
    void on_show() override;

private:
    static constexpr int kRows = 5;  // threshold, ratio, attack, release, gain

    DynamicsActions& actions() const;
    int level() const;
    void show_meter();

    Kind kind_;
    ResponseGraph* graph_ = nullptr;
    std::array<BitmapFader*, kRows> sliders_{};
    std::array<ValueLabel*, kRows> values_{};
    LevelMeter* meter_ = nullptr;
    PngButton* on_ = nullptr;
    PngButton* reset_ = nullptr;
    PresetSelector* preset_ = nullptr;
    const LevelView* levels_ = nullptr;
    Publisher<LevelView>::Subscription level_sub_;
};

}  // namespace kestra
