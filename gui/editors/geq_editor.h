#pragma once

#include <optional>

#include "dsp/graph_geometry.h"
#include "editors/editor_pane.h"
#include "editors/preset_selector.h"

namespace kestra {

class ResponseGraph;

// The graphic EQ of one output: 15 bars with their markers, DRAW (lit from the start; the
// mode survives hiding and showing) for free-hand strokes across the bands, the GEQ switch,
// RESET and the GEQ presets.
class GeqEditor final : public EditorPane {
    Q_OBJECT

public:
    GeqEditor(OperatorActions& surface, NoticeSink& notices, PresetSelector::Presets presets,
              QWidget* parent);

    ResponseGraph* graph() const { return graph_; }

protected:
    void load() override;
    bool concerns(const StateChange& change) const override;
    void tick() override;
    void on_show() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stroke_at(double x_pixel, double y_pixel);

    ResponseGraph* graph_ = nullptr;
    PngButton* draw_ = nullptr;
    PngButton* on_ = nullptr;
    PngButton* reset_ = nullptr;
    PresetSelector* preset_ = nullptr;
    // The stroke's previous point, so the bands a fast pointer jumps over are set too.
    std::optional<GraphPoint> stroke_from_;
};

}  // namespace kestra
