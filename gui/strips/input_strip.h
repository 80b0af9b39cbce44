#pragma once

#include "strips/channel_strip.h"

namespace kestra {

// The strip of one of the 64 inputs: gain step, the source of CH33-CH64 (each AUX feeds one
// channel only), COMP, PRIORITY and ACTIVE/WAITING of CH1-CH32, MATRIX, and the shared
// controls. COMP, MATRIX and the graph open the channel's editors.
class InputStrip final : public ChannelStrip {
    Q_OBJECT

public:
    InputStrip(const QString& path, OperatorActions& surface, NoticeSink& notices, QWidget* parent);

    // The auto-mixer state of CH1-CH32 from the level reports.
    void set_active(bool active);
    void show_levels(const LevelView& view) override;

protected:
    void load_controls(const DeviceState& state, bool with_graph) override;

private:
    bool local() const;  // CH1-CH32: no source, but the graph, COMP, PRIORITY and ACTIVE

    ValueLabel* signal_ = nullptr;
    DropListButton* source_ = nullptr;
    DropListButton* gain_ = nullptr;
    PngButton* comp_ = nullptr;
    PngButton* priority_ = nullptr;
    PngButton* matrix_ = nullptr;
    PngButton* active_ = nullptr;
};

}  // namespace kestra
