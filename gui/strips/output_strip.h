#pragma once

#include "strips/channel_strip.h"

namespace kestra {

// The strip of one of the 16 outputs: delay, LINE/MIC, FBK of the MASTER outputs, the
// limiter's button (captioned COMP, as on the processor's panel) and the shared controls.
// The limiter button and the graph open the output's editors.
class OutputStrip final : public ChannelStrip {
    Q_OBJECT

public:
    OutputStrip(const QString& path, OperatorActions& surface, NoticeSink& notices,
                QWidget* parent);

protected:
    void load_controls(const DeviceState& state, bool with_graph) override;

private:
    DropListButton* delay_ = nullptr;
    PngButton* lim_ = nullptr;
    PngButton* line_ = nullptr;
    PngButton* fbk_ = nullptr;
};

}  // namespace kestra
